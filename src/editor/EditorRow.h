#pragma once

#include "model/RowCheck.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

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
    bool holds(const QWidget *w) const;  // w is one of the row's controls, or part of one
    // A non-empty note marks the message text as left out of a Send: red, with the note as
    // tooltip. An empty one gives the text box back its own colours and no tooltip.
    void markCut(const QString &note);

    RowInput input() const;  // what the controls hold, as typed
    // The entry ShowPage put here: while the controls still show what they showed then, the row
    // stands for that entry byte for byte, whatever a fresh encoding of them would give.
    void remember(const QByteArray &entry) { m_shown.emplace(entry, input()); }
    void forget() { m_shown.reset(); }
    std::optional<QByteArray> unchangedEntry() const;

    // Read-only: the text can be selected, nothing changed; the boxes are off.
    void setReadOnly(bool readOnly);
    // Ends the boxes' own undo history: what was typed before a commit is undone as a step of
    // the program, not inside a box.
    void forgetTyping();

private:
    int m_index;
    std::optional<std::pair<QByteArray, RowInput>> m_shown;
};

}  // namespace zlx
