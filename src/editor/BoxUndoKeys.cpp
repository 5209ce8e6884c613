#include "editor/BoxUndoKeys.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace zlx {

void BoxUndoKeys::watch(QWidget *box)
{
    box->installEventFilter(this);
}

bool BoxUndoKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const QLineEdit *edit = qobject_cast<QLineEdit *>(watched);
    if (const auto *combo = qobject_cast<QComboBox *>(watched))
        edit = combo->lineEdit();
    if (!edit || edit->isReadOnly())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QKeyCombination pressed = key->keyCombination();
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo) || pressed == (Qt::CTRL | Qt::SHIFT | Qt::Key_Z)
                      || pressed == (Qt::CTRL | Qt::Key_Y);
    // Taken here without being accepted: the box does not claim the key, the shortcut runs.
    return (undo && !edit->isUndoAvailable()) || (redo && !edit->isRedoAvailable());
}

}  // namespace zlx
