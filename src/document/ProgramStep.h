#pragma once

#include "model/MessageStore.h"

#include <QList>
#include <QString>
#include <QUndoCommand>

namespace zlx {

class ProgramDocument;

// One undoable change of the program: the entries it changed, each with its value before and
// after, and the file name before and after. Undone and redone, it shows the page it touched.
class ProgramStep : public QUndoCommand
{
public:
    struct EntryChange
    {
        int page = 0;
        int row = 0;
        QByteArray before;
        QByteArray after;
    };

    // The changes that turn `before` into `after` (pages `first` up to `last`), and the file name.
    ProgramStep(ProgramDocument &document, const MessageStore &before, const MessageStore &after,
                int first, int last, const QString &fileAfter, int page, bool fromView, const QString &text);

    bool isEmpty() const { return m_changes.isEmpty() && m_fileBefore == m_fileAfter; }

    void redo() override;
    void undo() override;

private:
    ProgramDocument &m_document;
    QList<EntryChange> m_changes;
    QString m_fileBefore;
    QString m_fileAfter;
    int m_page;
    bool m_fromView;  // the first redo is the view's own commit
};

}  // namespace zlx
