#pragma once

#include "editor/EditorRow.h"
#include "model/MessageStore.h"
#include "model/RowCheck.h"

#include <QWidget>
#include <array>
#include <optional>

class QLabel;
class QPushButton;
class QFrame;

namespace zlx {

// Frame1: the page bar, the column headings and the 20 editor rows over Picture1.
// Moves pages between the rows and the MessageStore (SaveShownPage, ShowPage), applies the
// effect rules, carries the navigation handlers, and marks the rows of the shown page that
// Send would cut to fit the detected sign's page memory.
class PageEditor : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRows = 20;

    PageEditor(MessageStore &store, QWidget *parent = nullptr);

    int currentPage() const { return m_currentPage; }
    int nextRow() const { return m_nextRow; }
    // The detected sign's page count; unset before detection (then paging stops at page 40 and
    // no row is marked as cut).
    void setPageCount(std::optional<int> pageCount);
    std::optional<int> pageCount() const { return m_pageCount; }

    EditorRow &row(int r) { return *m_rows[size_t(r)]; }
    const EditorRow &row(int r) const { return *m_rows[size_t(r)]; }

    // The editor's part of the window's reset: page 1, rows 0..3 shown and empty, rows 4..19
    // hidden, effect lists refilled, tab order of the rows, store pages 0..39 emptied.
    void reset();
    // Stores the rows into page index p. False when a row cannot be stored faithfully: the
    // refusal was reported through refused(), the focus is on the control at fault and
    // nothing of the page was stored.
    bool SaveShownPage(int p);
    void ShowPage(int p);
    // currentPage 1, "PAGINA:  1", ShowPage(0): what open and read-back end with.
    void showFirstPage();
    // Page `page` (1-based) with at least rows 0..visibleRows-1 shown: how a failed read-back
    // gives the editor back.
    void showPageNumber(int page, int visibleRows);

    // The editor's controls in the window's focus order (page bar, rows, trailing controls).
    QLabel *lblPagina() const { return m_lblPagina; }
    QPushButton *cmdBajar() const { return m_cmdBajar; }
    QPushButton *cmdSubir() const { return m_cmdSubir; }
    QPushButton *cmdAgregar() const { return m_cmdAgregar; }
    QLabel *label(int n) const;  // Label1..Label3
    QLabel *picture1() const { return m_picture1; }

public slots:
    void cmdSubir_Click();
    void cmdBajar_Click();
    void cmdAgregar_Click();
    void Text1_KeyPress(int r, int key);
    void cmbEfecto_Click(int r);
    void cmbEfecto_Change(int r);

signals:
    void refused(const QString &message);  // shown by the window as an exclamation box

private:
    static constexpr int kEnter = 13;

    void setPageLabel();
    // The shown rows' entries up to the first empty effect or, setting *problem, up to the
    // first row that cannot be stored; nothing is stored.
    QList<QByteArray> shownEntries(RowProblem *problem = nullptr) const;
    void markCutRows();

    MessageStore &m_store;
    std::array<EditorRow *, kRows> m_rows{};
    int m_currentPage = 1;
    int m_nextRow = 4;
    std::optional<int> m_pageCount;
    bool m_filling = false;  // ShowPage and reset mark once, when the rows are complete

    QLabel *m_lblPagina = nullptr;
    QPushButton *m_cmdBajar = nullptr;
    QPushButton *m_cmdSubir = nullptr;
    QPushButton *m_cmdAgregar = nullptr;
    std::array<QLabel *, 3> m_labels{};
    QFrame *m_line1 = nullptr;
    QLabel *m_picture1 = nullptr;
};

}  // namespace zlx
