#pragma once

#include <QObject>

class QWidget;

namespace zlx {

// The undo and redo keys reach a text box (a line edit, or an editable combo box) only while
// it has typing of its own to undo or redo; otherwise Qt hands them on to the window's
// actions, which undo and redo the program's steps.
class BoxUndoKeys : public QObject
{
    Q_OBJECT
public:
    explicit BoxUndoKeys(QObject *parent = nullptr) : QObject(parent) {}
    void watch(QWidget *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

}  // namespace zlx
