// The editor's rows: the effect rules, the commit when the focus leaves a row, and the marks
// on rows that a Send would leave out.
#include "editor/PageEditor.h"

#include "document/ProgramDocument.h"
#include "editor/EffectRules.h"
#include "model/MessageEntry.h"
#include "protocol/PageImages.h"
#include "protocol/SendPlan.h"
#include "protocol/SignModel.h"
#include "session/OperatorTexts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace zlx {

void PageEditor::cmbEfecto_Click(int r)
{
    EditorRow &row = *m_rows[size_t(r)];
    const EffectRule *rule = effectRule(row.cmbEfecto->currentIndex());
    if (!rule)
        return;
    row.Text2->setText(rule->unitCaption);
    row.Text2->setCursorPosition(0);
    {
        // Filling the emptied box would select its first item; the rule selects none.
        const QSignalBlocker blocker(row.cmbVelocidad);
        row.cmbVelocidad->clear();
        row.cmbVelocidad->setEditText(rule->defaultAmount);
        row.cmbVelocidad->addItems(rule->amounts);
        row.cmbVelocidad->setCurrentIndex(-1);
        row.cmbVelocidad->setEditText(rule->defaultAmount);
    }
    row.cmbFuente->setEditText(rule->defaultFont);
    if (!rule->sampleText.isEmpty())
        row.Text1->setText(rule->sampleText);
}

void PageEditor::cmbEfecto_Change(int r)
{
    EditorRow &row = *m_rows[size_t(r)];
    if (!row.cmbEfecto->currentText().isEmpty())
        return;
    row.Text2->clear();
    row.cmbVelocidad->setEditText(QString());
    row.cmbFuente->setEditText(QString());
    row.Text1->clear();
    // An emptied box has no effect; choosing the former one again must apply its rule.
    if (row.cmbEfecto->currentIndex() != -1)
        row.cmbEfecto->setCurrentIndex(-1);
}

// Leaving a row commits the page; a row that cannot be stored yet waits, without a word, for
// the command that needs the page.
void PageEditor::onFocusChanged(QWidget *old, QWidget *now)
{
    if (m_filling || m_readOnly)
        return;
    for (const EditorRow *row : m_rows) {
        if (row->holds(old)) {
            if (!row->holds(now))
                commitQuietly();
            return;
        }
    }
}

void PageEditor::setPageCount(std::optional<int> pageCount)
{
    m_pageCount = pageCount;
    markRows();
}

void PageEditor::markRows()
{
    if (m_filling)
        return;
    const std::optional<SignModel> model = m_pageCount ? modelWithPages(*m_pageCount) : std::nullopt;
    const QList<QByteArray> entries = model ? shownEntries() : QList<QByteArray>();
    int firstEmpty = 0;
    while (firstEmpty < kRows && !m_rows[size_t(firstEmpty)]->cmbEfecto->currentText().isEmpty())
        ++firstEmpty;
    // The program as a Send would find it once this page is committed.
    const int page = m_currentPage - 1;
    std::optional<texts::LeftOut> pageLost;
    if (model) {
        MessageStore program = m_document.store();
        for (int r = 0; r < entries.size(); ++r)
            program.setEntry(page, r, entries.at(r));
        if (entries.size() == firstEmpty && firstEmpty < kRows)
            program.setEntry(page, firstEmpty, QByteArray());
        const SendPlan plan = planSend(program, *model);
        if (plan.pagesPastLast.contains(page))
            pageLost = texts::LeftOut::PastLastPage;
        else if (plan.pagesNotReached.contains(page))
            pageLost = texts::LeftOut::PageNotReached;
    }
    const PageFit fit = model ? pageFit(entries, *model) : PageFit{};
    for (int r = 0; r < kRows; ++r) {
        QString note;
        const bool holdsRow = model && !m_rows[size_t(r)]->cmbEfecto->currentText().isEmpty();
        if (holdsRow && r > firstEmpty)
            note = texts::leftOutNote(texts::LeftOut::BehindEmptyRow, 0);
        else if (holdsRow && pageLost)
            note = texts::leftOutNote(*pageLost, model->pageCount);
        else if (fit.cut() && r >= fit.firstCutRow && r < int(entries.size()))
            note = texts::leftOutNote(r == fit.firstCutRow ? texts::LeftOut::Cut : texts::LeftOut::CutWhole,
                                      fit.over());
        m_rows[size_t(r)]->markCut(note);
    }
}

}  // namespace zlx
