#pragma once

#include <QObject>

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

private:
    int m_index;
};

}  // namespace zlx
