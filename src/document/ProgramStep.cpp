#include "document/ProgramStep.h"

#include "document/ProgramDocument.h"

namespace zlx {

ProgramStep::ProgramStep(ProgramDocument &document, const MessageStore &before, const MessageStore &after,
                         int first, int last, const QString &fileAfter, int page, bool fromView,
                         const QString &text)
    : QUndoCommand(text)
    , m_document(document)
    , m_fileBefore(document.fileName())
    , m_fileAfter(fileAfter)
    , m_page(page)
    , m_fromView(fromView)
{
    // Only what differs is kept: a step of one row costs one row, whatever the program's size.
    for (int p = first; p <= last; ++p) {
        for (int r = 0; r < MessageStore::kRowSlots; ++r) {
            if (before.entry(p, r) != after.entry(p, r))
                m_changes.append({p, r, before.entry(p, r), after.entry(p, r)});
        }
    }
}

void ProgramStep::redo()
{
    for (const EntryChange &c : std::as_const(m_changes))
        m_document.put(c.page, c.row, c.after);
    if (m_fileBefore != m_fileAfter)
        m_document.setFileName(m_fileAfter);
    m_document.tell({m_page, m_fromView});
    m_fromView = false;  // a redo later is the document's, not the view's
}

void ProgramStep::undo()
{
    for (const EntryChange &c : std::as_const(m_changes))
        m_document.put(c.page, c.row, c.before);
    // Only a step that named another file gives the earlier name back: a name Guardar gave
    // since stays with the program it saved.
    if (m_fileBefore != m_fileAfter)
        m_document.setFileName(m_fileBefore);
    m_document.tell({m_page, false});
}

}  // namespace zlx
