// The page editor's pages: page changes and their refusals, pages between the rows and the store,
// and the rows marked as cut to fit the sign's page memory.
#include "EditorHelpers.h"

#include <QSignalSpy>

using namespace editortest;

namespace {
struct RefusalCase { QString effect, amount, font, text, culprit; };  // culprit: object name prefix of the control at fault
// shown: the page on the screen; lengths: message text lengths of rows 0.. (0: the row has no
// effect); notes: a part of the mark of rows 0..3, "" for none.
struct MarkCase { std::optional<int> pages; int shown; QList<int> lengths; QStringList notes; };
}  // namespace

class tst_Editor : public QObject
{
    Q_OBJECT
private slots:
    void pageChange()
    {
        EditorFixture f;
        zlx::PageEditor &e = f.editor;
        fillRow(e, 0, 1, "3", "1", "primera");
        e.lblPagina()->setText("x");
        e.cmdBajar()->click();  // page 1 back: nothing stored, the label written again
        QCOMPARE(e.lblPagina()->text(), QStringLiteral("PAGINA:  1"));
        QCOMPARE(f.store().entry(0, 0), QByteArray());
        e.cmdSubir()->click();
        QCOMPARE(e.lblPagina()->text(), QStringLiteral("PAGINA:  2"));
        QCOMPARE(e.row(0).cmbEfecto->currentText(), QString());
        // An empty first row blocks going forward, even with later rows filled.
        fillRow(e, 1, 0, "2", "2", "dos");
        e.cmdSubir()->click();
        QCOMPARE(e.currentPage(), 2);
        QCOMPARE(f.store().entry(1, 1), QByteArray());
        // Going back stores the page too; a page that cannot be stored keeps the editor there.
        fillRow(e, 0, 7, "300", "2", "otra");
        e.cmdBajar()->click();
        QCOMPARE(e.currentPage(), 2);
        e.row(0).cmbVelocidad->setEditText("1");
        e.cmdBajar()->click();
        QCOMPARE(e.currentPage(), 1);
        QCOMPARE(f.store().entry(1, 0), QByteArray("8\x01" "2otra"));
        QCOMPARE(e.row(0).Text1->text(), QStringLiteral("primera"));
        e.cmdSubir()->click();  // forward onto a stored page: it shows
        QCOMPARE(e.row(0).Text1->text(), QStringLiteral("otra"));
        auto climb = [&] {
            for (int i = 0; i < 45; ++i) {
                fillRow(e, 0, 0, "2", "2", "p");
                e.cmdSubir()->click();
            }
            return e.currentPage();
        };
        e.setPageCount(20);
        QCOMPARE(climb(), 20);
        QCOMPARE(f.store().entry(19, 0), QByteArray());  // a refused step stores nothing
        e.setPageCount(std::nullopt);
        QCOMPARE(climb(), 40);

    }

    void refusal_data()
    {
        QTest::addColumn<RefusalCase>("c");
        QTest::newRow("unknown effect") << RefusalCase{"Parpadeos", "2", "1", "", "cmbEfecto"};
        QTest::newRow("amount 13") << RefusalCase{"Caida", "13", "1", "", "cmbVelocidad"};
        QTest::newRow("font empty") << RefusalCase{"Caida", "2", "", "", "cmbFuente"};
        QTest::newRow("no single-byte code") << RefusalCase{"Caida", "2", "1", QStringLiteral("5 €"), "Text1"};
    }

    void refusal()
    {
        QFETCH(RefusalCase, c);
        EditorFixture f;
        QVERIFY(f.show());
        zlx::MessageStore program;
        program.setEntry(0, 0, zlx::entry::make(1, 2, '1', "ANTES"));
        f.load(program);
        fillRow(f.editor, 0, 0, "2", "2", "bien");
        fillRow(f.editor, 1, 2, c.amount, c.font, c.text);
        f.editor.row(1).cmbEfecto->setEditText(c.effect);
        const zlx::MessageStore before = f.store();
        QSignalSpy refused(&f.editor, &zlx::PageEditor::refused);
        f.editor.cmdSubir()->click();
        QCOMPARE(refused.count(), 1);
        const QString message = refused.at(0).at(0).toString();
        QVERIFY2(message.startsWith(QStringLiteral("No se puede guardar la página 1, fila 2: ")),
                 qPrintable(message));
        QCOMPARE(f.store(), before);
        QCOMPARE(f.editor.currentPage(), 1);
        QVERIFY(hasFocusIn(f.editor.findChild<QWidget *>(c.culprit + "_1")));
        QCOMPARE(f.editor.row(1).cmbVelocidad->currentText(), c.amount);  // the rows stay as they were
    }

    // A program read in goes through the editor and back to the store byte for byte, up to the
    // first entry that cannot be shown; an edited row is encoded anew.
    void showThenSave_data()
    {
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<int>("kept");  // entries that come back; the next one comes back empty
        QTest::addColumn<QByteArray>("edited");  // row 0 once "!" is typed before its text
        QTest::addColumn<QString>("amount1");  // as row 1 shows it
        QTest::newRow("amounts LF DEL 255, Hora's text, a long text")
            << QByteArrayList{"2\x0A" "1a\x01", "5\x7F" "3", "9\xFF" "1\xE9", "7\x02" "29:15 am",
                              "1\x02" "2" + QByteArray(40000, 'L')} << 5 << QByteArray("2\x0A" "1!a\x01") << "127";
        QByteArrayList full;
        for (int r = 0; r < 20; ++r)
            full << zlx::entry::make(1 + r % 9, 2, '2', "R" + QByteArray::number(r));
        QTest::newRow("full page") << full << 20 << QByteArray("1\x02" "2!R0") << "2";
        QTest::newRow("no effect digit") << QByteArrayList{"1\x02" "1A", "X\x02" "1B", "2\x02" "1C"} << 1
                                         << QByteArray("1\x02" "1!A") << "";
        // Unchanged rows go back as they came, whatever a fresh encoding would make of them.
        QTest::newRow("Latin-1 letters, amount 0, font 7, effect 0 behind")
            << QByteArrayList{"1\x02" "2\xD1\xF1", QByteArray("4\x00" "7x", 4), "0\x05" "1cero", "2\x02" "1C"} << 2
            << QByteArray("1\x02" "2!\x1E\x1F") << "0";
    }

    void showThenSave()
    {
        QFETCH(QByteArrayList, entries);
        QFETCH(int, kept);
        QFETCH(QByteArray, edited);
        QFETCH(QString, amount1);
        EditorFixture f;
        zlx::MessageStore program;
        for (int r = 0; r < entries.size(); ++r)
            program.setEntry(0, r, entries.at(r));
        f.load(program);
        QCOMPARE(f.editor.nextRow(), std::min(kept, 19));
        QCOMPARE(f.editor.row(1).cmbVelocidad->currentText(), amount1);
        QVERIFY(f.editor.SaveShownPage(0));
        for (int r = 0; r < entries.size(); ++r)
            QCOMPARE(f.store().entry(0, r), r == kept && entries.at(r).at(0) != '0' ? QByteArray() : entries.at(r));
        f.editor.row(0).Text1->insert("!");
        QVERIFY(f.editor.SaveShownPage(0));
        QCOMPARE(f.store().entry(0, 0), edited);
    }

    // Rows a Send would leave out, as the page is typed: cut to fit the sign's page memory,
    // behind a row without effect, on a page the Send never reaches.
    void marks_data()
    {
        QTest::addColumn<MarkCase>("c");
        const QString cut = QStringLiteral("en %1 bytes: esta fila se %2");
        // 512 bytes: a 14-byte title, records of 4 + length bytes, the closing 0.
        QTest::newRow("fits") << MarkCase{40, 1, {200, 200, 85}, {"", "", "", ""}};
        QTest::newRow("one byte over") << MarkCase{40, 1, {200, 200, 86}, {"", "", cut.arg(1).arg("recortará"), ""}};
        QTest::newRow("rows after the cut")
            << MarkCase{40, 1, {500, 5, 5}, {cut.arg(25).arg("recortará"), cut.arg(25).arg("perderá"), cut.arg(25).arg("perderá"), ""}};
        QTest::newRow("before detection") << MarkCase{std::nullopt, 1, {900, 5}, {"", "", "", ""}};
        QTest::newRow("behind a row without effect")
            << MarkCase{20, 1, {5, 0, 5}, {"", "", "no se guardará ni se enviará: una fila anterior no tiene efecto", ""}};
        QTest::newRow("page 1 empty") << MarkCase{20, 2, {5}, {"una página anterior no tiene mensaje", "", "", ""}};
        QTest::newRow("past the sign's last page") << MarkCase{20, 25, {5}, {"el letrero tiene 20 páginas", "", "", ""}};
    }

    void marks()
    {
        QFETCH(MarkCase, c);
        EditorFixture f;
        f.editor.showPageNumber(c.shown);
        // The last letter comes after detection: both the page count and typing mark the rows.
        const int last = int(c.lengths.size()) - 1;
        for (int r = 0; r <= last; ++r)
            fillRow(f.editor, r, c.lengths.at(r) ? 0 : -1, "2", "2", QString(c.lengths.at(r) - (r == last), u'x'));
        f.editor.setPageCount(c.pages);
        f.editor.row(last).Text1->insert("x");
        for (int r = 0; r < 4; ++r) {
            const QLineEdit *text = f.editor.row(r).Text1;
            const bool marked = !c.notes.at(r).isEmpty();
            QCOMPARE(text->palette().color(QPalette::Text) == Qt::red, marked);
            QCOMPARE(text->testAttribute(Qt::WA_SetPalette), marked);
            QVERIFY2(text->toolTip().contains(c.notes.at(r)), qPrintable(text->toolTip()));
            QCOMPARE(text->toolTip().isEmpty(), !marked);
        }
        // A shown page that fits, or the reset, gives the rows back their own look.
        for (const bool reset : {false, true}) {
            fillRow(f.editor, 0, 0, "2", "2", QString(600, u'x'));
            reset ? f.editor.reset() : f.editor.ShowPage(5);
            QVERIFY(!f.editor.row(0).Text1->testAttribute(Qt::WA_SetPalette));
            QCOMPARE(f.editor.row(0).Text1->toolTip(), QString());
        }
    }
};

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
