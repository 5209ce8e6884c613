#include "document/ProgramDocument.h"

#include "document/ProgramStep.h"
#include "model/MessageEntry.h"
#include "session/OperatorTexts.h"

#include <algorithm>
#include <memory>

namespace zlx {

ProgramDocument::ProgramDocument(QObject *parent)
    : QObject(parent)
{
}

ProgramDocument::~ProgramDocument() = default;

void ProgramDocument::commitPage(int page, const QList<QByteArray> &rows)
{
    MessageStore after = m_store;
    const int n = int(std::min<qsizetype>(rows.size(), MessageStore::kRowsPerPage));
    for (int r = 0; r < n; ++r)
        after.setEntry(page, r, rows.at(r));
    if (n < MessageStore::kRowsPerPage && !entry::isEmpty(after.entry(page, n)))
        after.setEntry(page, n, QByteArray());
    auto step = std::make_unique<ProgramStep>(*this, m_store, after, page, page, m_fileName, page + 1,
                                              true, texts::stepPage(page + 1));
    if (!step->isEmpty())
        m_steps.push(step.release());
}

void ProgramDocument::replace(const MessageStore &program, const QString &fileName, const QString &what)
{
    auto step = std::make_unique<ProgramStep>(*this, m_store, program, 0, MessageStore::kPageSlots - 1,
                                              fileName, 1, false, what);
    if (step->isEmpty()) {
        tell({1, false});
        return;
    }
    m_steps.push(step.release());
}

void ProgramDocument::startNew()
{
    replace(MessageStore(), m_fileName, texts::stepNew());
    m_steps.setClean();
}

void ProgramDocument::open(const MessageStore &program, const QString &fileName)
{
    replace(program, fileName, texts::stepOpen(fileName));
    m_steps.setClean();
}

void ProgramDocument::takeRead(const MessageStore &program)
{
    replace(program, m_fileName, texts::stepRead());
}

void ProgramDocument::markSaved(const QString &fileName)
{
    m_fileName = fileName;
    m_steps.setClean();
}

void ProgramDocument::undo()
{
    m_steps.undo();
}

void ProgramDocument::redo()
{
    m_steps.redo();
}

}  // namespace zlx
