#pragma once

#include "editor/EditorRow.h"
#include "model/RowCheck.h"

#include <QWidget>
#include <array>
#include <optional>

class QLabel;
class QPushButton;
class QFrame;

namespace zlx {

class BoxUndoKeys;
class ProgramDocument;
struct DocumentChange;

// A row of the shown page that cannot be stored, and why; page and row from 0.
struct RowFault
{
    int page = 0;
    int row = 0;
    RowProblem problem = RowProblem::None;
};

// Frame1: the page bar, the column headings and the 20 editor rows over Picture1: a view of
// the program document. It shows a page of it (ShowPage) and commits the shown page back
// (SaveShownPage) when the focus leaves a row and before a page change; applies the effect
// rules; carries the navigation handlers and PageDown/PageUp; and marks the rows a Send would
// leave out or cut.
class PageEditor : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRows = 20;

    explicit PageEditor(ProgramDocument &document, QWidget *parent = nullptr);
    ~PageEditor() override;

    int currentPage() const { return m_currentPage; }
    int nextRow() const { return m_nextRow; }
    // The detected sign's page count; unset before detection (then paging stops at page 40 and
    // no row is marked).
    void setPageCount(std::optional<int> pageCount);
    std::optional<int> pageCount() const { return m_pageCount; }

    EditorRow &row(int r) { return *m_rows[size_t(r)]; }
    const EditorRow &row(int r) const { return *m_rows[size_t(r)]; }

    // The editor's part of the window's reset: page 1, rows 0..3 shown and empty, rows 4..19
    // hidden, effect lists refilled. The document is left alone.
    void reset();
    // Commits the rows into page index p (one undo step when it changes). False when a row
    // cannot be stored faithfully: the refusal was reported through refused(), the focus is on
    // the control at fault and nothing was stored.
    bool SaveShownPage(int p);
    // The same for the shown page, without a word: false when a row cannot be stored.
    bool commitQuietly();
    std::optional<RowFault> unstorableRow() const;
    void focusRow(const RowFault &fault);
    void ShowPage(int p);
    // Page `page` (1-based) with at least rows 0..visibleRows-1 shown.
    void showPageNumber(int page, int visibleRows = 0);
    // ShowPage puts rows on the screen up to the first entry for which this is false.
    static bool shows(const QByteArray &entry);

    // While a read-back runs the rows show the reset page, read-only, and nothing is committed.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

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

    void wireRow(EditorRow *row);
    void setPageLabel();
    // The shown rows' entries up to the first empty effect or, setting *fault, up to the
    // first row that cannot be stored; nothing is stored.
    QList<QByteArray> shownEntries(std::optional<RowFault> *fault = nullptr) const;
    bool commit(int p, bool report);
    void onFocusChanged(QWidget *old, QWidget *now);
    void onDocumentChanged(const DocumentChange &change);
    void markRows();

    ProgramDocument &m_document;
    std::array<EditorRow *, kRows> m_rows{};
    int m_currentPage = 1;
    int m_nextRow = 4;
    std::optional<int> m_pageCount;
    // The application's focus signal still fires while QWidget's destructor hides this widget.
    QMetaObject::Connection m_focusWatch;
    bool m_filling = false;  // ShowPage and reset: no commit, one marking at the end
    bool m_readOnly = false;
    BoxUndoKeys *m_undoKeys = nullptr;

    QLabel *m_lblPagina = nullptr;
    QPushButton *m_cmdBajar = nullptr;
    QPushButton *m_cmdSubir = nullptr;
    QPushButton *m_cmdAgregar = nullptr;
    std::array<QLabel *, 3> m_labels{};
    QFrame *m_line1 = nullptr;
    QLabel *m_picture1 = nullptr;
};

}  // namespace zlx
