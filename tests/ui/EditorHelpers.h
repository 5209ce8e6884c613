#pragma once

#include "document/ProgramDocument.h"
#include "editor/PageEditor.h"
#include "model/MessageEntry.h"
#include "model/MessageStore.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// Drives editor rows the way the operator does, through the row controls.
namespace editortest {

inline void fillRow(zlx::PageEditor &editor, int r, int effect, const QString &amount,
                    const QString &font, const QString &text)
{
    zlx::EditorRow &row = editor.row(r);
    row.cmbEfecto->setCurrentIndex(effect);
    row.cmbVelocidad->setEditText(amount);
    row.cmbFuente->setEditText(font);
    row.Text1->setText(text);
}

inline bool hasFocusIn(const QWidget *w)
{
    const QWidget *f = QApplication::focusWidget();
    return f && (f == w || w->isAncestorOf(f) || f->focusProxy() == w);
}

inline int visibleRows(const zlx::PageEditor &editor)
{
    int n = 0;
    for (int r = 0; r < zlx::PageEditor::kRows; ++r)
        n += editor.row(r).isVisible() ? 1 : 0;
    return n;
}

// A reset editor on its own document.
struct EditorFixture
{
    zlx::ProgramDocument document;
    zlx::PageEditor editor{document};
    EditorFixture() { editor.reset(); }
    const zlx::MessageStore &store() const { return document.store(); }
    // The program as a file brings it; the editor shows its page 1.
    void load(const zlx::MessageStore &program) { document.open(program, QString()); }
    bool show()
    {
        editor.show();
        return QTest::qWaitForWindowActive(&editor);
    }
};

}  // namespace editortest
