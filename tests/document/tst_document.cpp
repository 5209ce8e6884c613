// The program document's rules in one table: commands in; the program, the modified flag, the
// file name, the steps and the page the view is to show out.
#include "document/ProgramDocument.h"

#include <QSignalSpy>
#include <QTest>

using zlx::MessageStore;
using zlx::ProgramDocument;

namespace {

// A row is one letter: the entry effect 1, amount 2, font 2, that letter; '0' is an entry with
// effect "0", '.' an empty one.
QByteArray entryOf(char c)
{
    if (c == '.')
        return {};
    return QByteArray(c == '0' ? "0" : "1") + "\x02" "2" + (c == '0' ? "" : QByteArray(1, c));
}

// "AB|C": page 1 rows A and B, page 2 row C.
MessageStore program(const QString &pages)
{
    MessageStore store;
    const QStringList list = pages.split(u'|');
    for (int p = 0; p < list.size(); ++p)
        for (int r = 0; r < list.at(p).size(); ++r)
            store.setEntry(p, r, entryOf(list.at(p).at(r).toLatin1()));
    return store;
}

// steps: undoable from where the document stands; view: the page the last change asks the view
// to show, 0 when none did or the view made it.
struct Case { QStringList commands; QString pages; bool modified; QString file; int steps; QString undoText; int view; };

}  // namespace

class tst_Document : public QObject
{
    Q_OBJECT
private slots:
    void rules_data()
    {
        QTest::addColumn<Case>("c");
        auto row = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        row("nothing yet", {{}, "", false, "", 0, "", 0});
        row("a commit is a step", {{"commit 2 AB"}, "|AB", true, "", 1, "Página 2", 0});
        row("the same rows again: no step", {{"commit 1 A", "commit 1 A"}, "A", true, "", 1, "Página 1", 0});
        row("the page ends at the first row not given", {{"commit 1 ABC", "commit 1 A"}, "A.C", true, "", 2, "Página 1", 0});
        row("a row that ends the page already stays", {{"open f.zlx A0C", "commit 1 A"}, "A0C", false, "f.zlx", 1, "Abrir f.zlx", 1});
        row("undo shows the page", {{"commit 3 A", "commit 1 B", "undo"}, "||A", true, "", 1, "Página 3", 1});
        row("undo to the start", {{"commit 3 A", "undo"}, "", false, "", 0, "", 3});
        row("redo", {{"commit 3 A", "undo", "redo"}, "||A", true, "", 1, "Página 3", 3});
        row("a commit drops what redo had", {{"commit 1 A", "undo", "commit 2 B", "redo"}, "|B", true, "", 1, "Página 2", 0});
        row("saved", {{"commit 1 A", "save p.zlx"}, "A", false, "p.zlx", 1, "Página 1", 0});
        row("undo after saving", {{"commit 1 A", "save p.zlx", "commit 1 B", "undo"}, "A", false, "p.zlx", 1, "Página 1", 1});
        row("undo past the save keeps its name", {{"commit 1 A", "save p.zlx", "undo"}, "", true, "p.zlx", 0, "", 1});
        row("open", {{"commit 1 A", "open f.zlx |B"}, "|B", false, "f.zlx", 2, "Abrir f.zlx", 1});
        row("undo open: the program and its name", {{"open a.zlx A", "open b.zlx B", "undo"}, "A", true, "a.zlx", 1, "Abrir a.zlx", 1});
        row("new keeps the name", {{"open a.zlx A", "new"}, "", false, "a.zlx", 2, "Nuevo", 1});
        row("new over nothing: no step", {{"commit 1 A", "commit 1 ", "new"}, "", false, "", 2, "Página 1", 1});
        row("read", {{"open a.zlx A", "read B|C"}, "B|C", true, "a.zlx", 2, "Lectura", 1});
        row("undo read", {{"open a.zlx A", "read B", "undo"}, "A", false, "a.zlx", 1, "Abrir a.zlx", 1});
        row("read of the same program: no step", {{"open a.zlx A", "read A"}, "A", false, "a.zlx", 1, "Abrir a.zlx", 1});
    }

    void rules()
    {
        QFETCH(Case, c);
        ProgramDocument doc;
        QSignalSpy changes(&doc, &ProgramDocument::changed);
        for (const QString &command : c.commands) {
            const QStringList w = command.split(u' ');
            if (w[0] == u"commit") {
                QList<QByteArray> rows;
                for (QChar ch : w.value(2))
                    rows << entryOf(ch.toLatin1());
                doc.commitPage(w[1].toInt() - 1, rows);
            } else if (w[0] == u"open") {
                doc.open(program(w[2]), w[1]);
            } else if (w[0] == u"read") {
                doc.takeRead(program(w[1]));
            } else if (w[0] == u"save") {
                doc.markSaved(w[1]);
            } else if (w[0] == u"new") {
                doc.startNew();
            } else {
                w[0] == u"undo" ? doc.undo() : doc.redo();
            }
        }
        QCOMPARE(doc.store(), program(c.pages));
        QCOMPARE(doc.isModified(), c.modified);
        QCOMPARE(doc.fileName(), c.file);
        QCOMPARE(doc.canUndo() ? doc.undoText() : QString(), c.undoText);
        int view = 0;
        if (!changes.isEmpty()) {
            const auto change = changes.constLast().at(0).value<zlx::DocumentChange>();
            view = change.fromView ? 0 : change.page;
        }
        QCOMPARE(view, c.view);
        int undoable = 0;
        for (; undoable < 10 && doc.canUndo(); ++undoable)  // bounded: an undo that stays would loop
            doc.undo();
        QCOMPARE(undoable, c.steps);
    }
};

QTEST_MAIN(tst_Document)
#include "tst_document.moc"
