#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

namespace zlx {

// One editor row: the five controls of row r, children of the editor frame.
class EditorRow : public QObject
{
    Q_OBJECT
public:
    EditorRow(int r, QWidget *frame);

    int index() const { return m_index; }
    QComboBox *cmbEfecto = nullptr;
    QLineEdit *Text2 = nullptr;  // unit of the amount; locked
    QComboBox *cmbVelocidad = nullptr;
    QComboBox *cmbFuente = nullptr;
    QLineEdit *Text1 = nullptr;  // message text

    void setVisible(bool visible);  // all five, in the order effect, unit, amount, font, text
    bool isVisible() const;
    // A non-empty note marks the message text as cut on Send: red, with the note as tooltip.
    // An empty one gives the text box back its own colours and no tooltip.
    void markCut(const QString &note);

private:
    int m_index;
};

}  // namespace zlx
