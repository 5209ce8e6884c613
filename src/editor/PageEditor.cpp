#include "editor/PageEditor.h"

#include "editor/EffectRules.h"
#include "model/MessageEntry.h"
#include "protocol/PageImages.h"
#include "protocol/SignModel.h"
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
    m_store.clearPages(MessageStore::kPagesInUse);
    m_filling = false;
    markCutRows();
}

QList<QByteArray> PageEditor::shownEntries(RowProblem *problem) const
{
    QList<QByteArray> entries;
    for (const EditorRow *row : m_rows) {
        const RowInput input{row->cmbEfecto->currentText(), row->cmbEfecto->currentIndex(),
                             row->cmbVelocidad->currentText(), row->cmbFuente->currentText(),
                             row->Text1->text()};
        if (input.effectText.isEmpty())
            break;
        const RowCheckResult check = checkRow(input);
        if (check.problem != RowProblem::None) {
            if (problem)
                *problem = check.problem;
            break;
        }
        entries.append(entry::make(check.effectIndex + 1, check.amount,
                                   input.fontText.at(0).toLatin1(), entry::textToStored(input.text)));
    }
    return entries;
}

bool PageEditor::SaveShownPage(int p)
{
    // Every row is checked before anything is stored, so a refused page leaves the store as it was.
    RowProblem problem = RowProblem::None;
    const QList<QByteArray> entries = shownEntries(&problem);
    const int r = int(entries.size());
    if (problem != RowProblem::None) {
        emit refused(texts::rowProblem(p + 1, r + 1, problem));
        const EditorRow &row = *m_rows[size_t(r)];
        QWidget *culprit = row.Text1;
        if (problem == RowProblem::UnknownEffect)
            culprit = row.cmbEfecto;
        else if (problem == RowProblem::BadAmount)
            culprit = row.cmbVelocidad;
        else if (problem == RowProblem::BadFont)
            culprit = row.cmbFuente;
        culprit->setFocus(Qt::OtherFocusReason);
        return false;
    }
    for (int i = 0; i < r; ++i)
        m_store.setEntry(p, i, entries.at(i));
    if (r < kRows)
        m_store.setEntry(p, r, QByteArray());
    return true;
}

void PageEditor::setPageCount(std::optional<int> pageCount)
{
    m_pageCount = pageCount;
    markCutRows();
}

void PageEditor::markCutRows()
{
    if (m_filling)
        return;
    const std::optional<SignModel> model = m_pageCount ? modelWithPages(*m_pageCount) : std::nullopt;
    const QList<QByteArray> entries = model ? shownEntries() : QList<QByteArray>();
    const PageFit fit = model ? pageFit(entries, *model) : PageFit{};
    for (int r = 0; r < kRows; ++r) {
        QString note;
        if (fit.cut() && r >= fit.firstCutRow && r < int(entries.size()))
            note = QStringLiteral("La página supera la memoria del letrero en %1 bytes: esta fila %2 al enviar.")
                       .arg(fit.over())
                       .arg(r == fit.firstCutRow ? QStringLiteral("se recortará")
                                                 : QStringLiteral("se perderá"));
        m_rows[size_t(r)]->markCut(note);
    }
}

void PageEditor::ShowPage(int p)
{
    m_filling = true;
    for (EditorRow *row : m_rows) {
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
        const QByteArray &e = m_store.entry(p, filled);
        const int effect = entry::effectDigit(e);
        // A first character that is no digit ends the page like an empty entry.
        if (entry::isEmpty(e) || effect < 1)
            break;
        EditorRow &row = *m_rows[size_t(filled)];
        row.setVisible(true);
        row.cmbEfecto->setCurrentIndex(effect - 1);  // raises cmbEfecto_Click: the defaults

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
    }
    m_nextRow = std::min(filled, kRows - 1);
    m_filling = false;
    markCutRows();
}

void PageEditor::showFirstPage()
{
    m_currentPage = 1;
    setPageLabel();
    ShowPage(0);
}

void PageEditor::showPageNumber(int page, int visibleRows)
{
    m_currentPage = page;
    setPageLabel();
    for (int r = 0; r < std::min(visibleRows, int(kRows)); ++r)
        m_rows[size_t(r)]->setVisible(true);
    ShowPage(page - 1);
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

}  // namespace zlx
