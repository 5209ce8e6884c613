// The editor as a view of the program: showing a page, committing it back, paging.
#include "editor/PageEditor.h"

#include "document/ProgramDocument.h"
#include "model/MessageEntry.h"
#include "session/OperatorTexts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

namespace zlx {

namespace {

constexpr int kLastPageBeforeDetection = 40;

}  // namespace

void PageEditor::setPageLabel()
{
    m_lblPagina->setText(QStringLiteral("PAGINA:  ") + QString::number(m_currentPage));
}

void PageEditor::reset()
{
    m_filling = true;
    m_nextRow = 4;
    m_currentPage = 1;
    setPageLabel();
    for (EditorRow *row : m_rows) {
        row->forget();
        row->cmbEfecto->clear();
        row->cmbEfecto->setEditText(QString());
        {
            // Filling an empty box would select its first item; the reset selects none.
            const QSignalBlocker blocker(row->cmbEfecto);
            row->cmbEfecto->addItems(effectNames());
            row->cmbEfecto->setCurrentIndex(-1);
            row->cmbEfecto->setEditText(QString());
        }
        row->cmbFuente->setEditText(QString());
        row->Text2->clear();
        row->Text2->setReadOnly(true);
        row->cmbVelocidad->setEditText(QString());
        row->Text1->clear();
    }
    for (int r = m_nextRow; r < kRows; ++r)
        m_rows[size_t(r)]->setVisible(false);
    m_filling = false;
    markRows();
}

QList<QByteArray> PageEditor::shownEntries(std::optional<RowFault> *fault) const
{
    QList<QByteArray> entries;
    for (const EditorRow *row : m_rows) {
        const RowInput input = row->input();
        if (input.effectText.isEmpty())
            break;
        // A row as ShowPage left it goes back as it came; only an edited row is encoded anew.
        if (const std::optional<QByteArray> unchanged = row->unchangedEntry()) {
            entries.append(*unchanged);
            continue;
        }
        const RowCheckResult check = checkRow(input);
        if (check.problem != RowProblem::None) {
            if (fault)
                fault->emplace(RowFault{m_currentPage - 1, int(entries.size()), check.problem});
            break;
        }
        entries.append(entry::make(check.effectIndex + 1, check.amount,
                                   input.fontText.at(0).toLatin1(), entry::textToStored(input.text)));
    }
    return entries;
}

std::optional<RowFault> PageEditor::unstorableRow() const
{
    std::optional<RowFault> fault;
    shownEntries(&fault);
    return fault;
}

void PageEditor::focusRow(const RowFault &fault)
{
    const EditorRow &row = *m_rows[size_t(fault.row)];
    QWidget *culprit = row.Text1;
    if (fault.problem == RowProblem::UnknownEffect)
        culprit = row.cmbEfecto;
    else if (fault.problem == RowProblem::BadAmount)
        culprit = row.cmbVelocidad;
    else if (fault.problem == RowProblem::BadFont)
        culprit = row.cmbFuente;
    culprit->setFocus(Qt::OtherFocusReason);
}

bool PageEditor::commit(int p, bool report)
{
    if (m_readOnly)
        return true;  // the rows show the reset page of a read-back, not the program
    // Every row is checked before anything is stored, so a refused page leaves the program as it was.
    std::optional<RowFault> fault;
    const QList<QByteArray> entries = shownEntries(&fault);
    if (fault) {
        if (report) {
            emit refused(texts::rowProblem(p + 1, fault->row + 1, fault->problem));
            focusRow(*fault);
        }
        return false;
    }
    m_document.commitPage(p, entries);
    for (EditorRow *row : m_rows)
        row->forgetTyping();
    return true;
}

bool PageEditor::SaveShownPage(int p)
{
    return commit(p, true);
}

bool PageEditor::commitQuietly()
{
    return commit(m_currentPage - 1, false);
}

bool PageEditor::shows(const QByteArray &entry)
{
    // A first character that is no digit ends the page like an empty entry.
    return !entry::isEmpty(entry) && entry::effectDigit(entry) >= 1;
}

void PageEditor::ShowPage(int p)
{
    m_filling = true;
    for (EditorRow *row : m_rows) {
        row->forget();
        row->cmbEfecto->setEditText(QString());
        // No item stays selected, so that selecting the stored effect always raises its rule.
        row->cmbEfecto->setCurrentIndex(-1);
        row->Text2->clear();
        row->cmbVelocidad->setEditText(QString());
        row->cmbFuente->setEditText(QString());
        row->Text1->clear();
    }

    int filled = 0;
    for (; filled < kRows; ++filled) {
        const QByteArray &e = m_document.store().entry(p, filled);
        if (!shows(e))
            break;
        EditorRow &row = *m_rows[size_t(filled)];
        row.setVisible(true);
        row.cmbEfecto->setCurrentIndex(entry::effectDigit(e) - 1);  // raises cmbEfecto_Click: the defaults

        const int amount = entry::amount(e);
        row.cmbVelocidad->setEditText(amount >= 0 ? QString::number(amount) : QString());

        const int font = entry::fontDigit(e);
        row.cmbFuente->setCurrentIndex(-1);
        if (font >= 1 && font <= 3)
            row.cmbFuente->setCurrentIndex(font - 1);
        else
            row.cmbFuente->setEditText(QString());

        const QString entryText = entry::storedToText(entry::storedText(e));
        row.Text1->setText(entryText);
        row.Text1->setCursorPosition(0);  // a long text shows its beginning
        row.remember(e);
    }
    m_nextRow = std::min(filled, kRows - 1);
    m_filling = false;
    markRows();
}

void PageEditor::showPageNumber(int page, int visibleRows)
{
    m_currentPage = page;
    setPageLabel();
    for (int r = 0; r < std::min(visibleRows, int(kRows)); ++r)
        m_rows[size_t(r)]->setVisible(true);
    ShowPage(page - 1);
}

void PageEditor::onDocumentChanged(const DocumentChange &change)
{
    if (!change.fromView && !m_readOnly)
        showPageNumber(change.page);
    else
        markRows();  // an earlier page may now end the program before this one
}

void PageEditor::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (EditorRow *row : m_rows)
        row->setReadOnly(readOnly);
}

void PageEditor::cmdSubir_Click()
{
    if (m_rows[0]->cmbEfecto->currentText().isEmpty())
        return;
    const int lastPage = std::min(m_pageCount.value_or(kLastPageBeforeDetection),
                                  MessageStore::kPagesInUse);
    if (m_currentPage >= lastPage)
        return;
    // Stored before the page number moves, so a refused page keeps the editor where it is.
    if (!SaveShownPage(m_currentPage - 1))
        return;
    ++m_currentPage;
    setPageLabel();
    ShowPage(m_currentPage - 1);
}

void PageEditor::cmdBajar_Click()
{
    if (m_currentPage != 1) {
        if (!SaveShownPage(m_currentPage - 1))
            return;
        --m_currentPage;
        ShowPage(m_currentPage - 1);
    }
    setPageLabel();
}

void PageEditor::cmdAgregar_Click()
{
    m_rows[size_t(m_nextRow)]->setVisible(true);
    m_nextRow = std::min(m_nextRow + 1, kRows - 1);
}

void PageEditor::Text1_KeyPress(int r, int key)
{
    if (key != kEnter)
        return;
    const int n = std::min(r + 1, kRows - 1);
    if (m_rows[size_t(n)]->isVisible())
        m_rows[size_t(n)]->Text1->setFocus(Qt::OtherFocusReason);
}

}  // namespace zlx
