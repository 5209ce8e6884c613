// The editor's pages: page changes and their refusals, pages between the rows and the store,
// and the rows marked as cut to fit the sign's page memory.
#include "EditorHelpers.h"

#include <QSignalSpy>

using namespace editortest;

class tst_Pages : public QObject
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
        QCOMPARE(f.store.entry(0, 0), QByteArray());
        e.cmdSubir()->click();
        QCOMPARE(e.lblPagina()->text(), QStringLiteral("PAGINA:  2"));
        QCOMPARE(e.row(0).cmbEfecto->currentText(), QString());
        // An empty first row blocks going forward, even with later rows filled.
        fillRow(e, 1, 0, "2", "2", "dos");
        e.cmdSubir()->click();
        QCOMPARE(e.currentPage(), 2);
        QCOMPARE(f.store.entry(1, 1), QByteArray());
        // Going back stores the page too; a page that cannot be stored keeps the editor there.
        fillRow(e, 0, 7, "300", "2", "otra");
        e.cmdBajar()->click();
        QCOMPARE(e.currentPage(), 2);
        e.row(0).cmbVelocidad->setEditText("1");
        e.cmdBajar()->click();
        QCOMPARE(e.currentPage(), 1);
        QCOMPARE(f.store.entry(1, 0), QByteArray("8\x01" "2otra"));
        QCOMPARE(e.row(0).Text1->text(), QStringLiteral("primera"));
        auto climb = [&] {
            for (int i = 0; i < 45; ++i) {
                fillRow(e, 0, 0, "2", "2", "p");
                e.cmdSubir()->click();
            }
            return e.currentPage();
        };
        e.setPageCount(20);
        QCOMPARE(climb(), 20);
        QCOMPARE(f.store.entry(19, 0), QByteArray());  // a refused step stores nothing
        e.setPageCount(std::nullopt);
        QCOMPARE(climb(), 40);

    }

    void refusal_data()
    {
        QTest::addColumn<QString>("effect");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("culprit");  // object name prefix of the control at fault
        QTest::newRow("unknown effect") << "Parpadeos" << "2" << "1" << "" << "cmbEfecto";
        QTest::newRow("amount 13") << "Caida" << "13" << "1" << "" << "cmbVelocidad";
        QTest::newRow("font empty") << "Caida" << "2" << "" << "" << "cmbFuente";
        QTest::newRow("no single-byte code") << "Caida" << "2" << "1" << QStringLiteral("5 €") << "Text1";
    }

    void refusal()
    {
        QFETCH(QString, effect);
        QFETCH(QString, amount);
        QFETCH(QString, font);
        QFETCH(QString, text);
        QFETCH(QString, culprit);
        EditorFixture f;
        QVERIFY(f.show());
        f.store.setEntry(0, 0, entryOf('1', 2, '1', "ANTES"));
        fillRow(f.editor, 0, 0, "2", "2", "bien");
        fillRow(f.editor, 1, 2, amount, font, text);
        f.editor.row(1).cmbEfecto->setEditText(effect);
        f.editor.row(1).Text1->setText(text);
        const zlx::MessageStore before = f.store;
        QSignalSpy refused(&f.editor, &zlx::PageEditor::refused);
        f.editor.cmdSubir()->click();
        QCOMPARE(refused.count(), 1);
        const QString message = refused.at(0).at(0).toString();
        QVERIFY2(message.startsWith(QStringLiteral("No se puede guardar la página 1, fila 2: ")),
                 qPrintable(message));
        QCOMPARE(f.store, before);
        QCOMPARE(f.editor.currentPage(), 1);
        QVERIFY(hasFocusIn(f.editor.findChild<QWidget *>(culprit + "_1")));
        QCOMPARE(f.editor.row(1).cmbVelocidad->currentText(), amount);  // the rows stay as they were
    }

    // A program read in goes through the editor and back to the store byte for byte, up to the
    // first entry that cannot be shown.
    void showThenSave_data()
    {
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<int>("kept");  // entries that come back; the next one comes back empty
        QTest::newRow("amounts LF DEL 255, Hora's text, a long text")
            << QByteArrayList{"2\x0A" "1a\x01", "5\x7F" "3", "9\xFF" "1\xE9", "7\x02" "29:15 am",
                              "1\x02" "2" + QByteArray(40000, 'L')} << 5;
        QByteArrayList full;
        for (int r = 0; r < 20; ++r)
            full << entryOf(char('1' + r % 9), 2, '2', "R" + QByteArray::number(r));
        QTest::newRow("full page") << full << 20;
        QTest::newRow("no effect digit") << QByteArrayList{"1\x02" "1A", "X\x02" "1B", "2\x02" "1C"} << 1;
    }

    void showThenSave()
    {
        QFETCH(QByteArrayList, entries);
        QFETCH(int, kept);
        EditorFixture f;
        for (int r = 0; r < entries.size(); ++r)
            f.store.setEntry(0, r, entries.at(r));
        f.editor.ShowPage(0);
        QCOMPARE(f.editor.nextRow(), std::min(kept, 19));
        QVERIFY(f.editor.SaveShownPage(0));
        for (int r = 0; r < entries.size(); ++r)
            QCOMPARE(f.store.entry(0, r), r == kept ? QByteArray() : entries.at(r));
    }

    void cutRows_data()
    {
        QTest::addColumn<std::optional<int>>("pages");
        QTest::addColumn<QList<int>>("lengths");  // message text lengths of rows 0..
        QTest::addColumn<int>("firstCut");        // -1: nothing marked
        QTest::addColumn<int>("over");
        // 512 bytes: a 14-byte title, records of 4 + length bytes, the closing 0.
        QTest::newRow("fits") << std::optional<int>(40) << QList<int>{200, 200, 85} << -1 << 0;
        QTest::newRow("one byte over") << std::optional<int>(40) << QList<int>{200, 200, 86} << 2 << 1;
        QTest::newRow("rows after the cut") << std::optional<int>(40) << QList<int>{500, 5, 5} << 0 << 25;
        QTest::newRow("before detection") << std::optional<int>() << QList<int>{900, 5} << -1 << 0;
    }

    void cutRows()
    {
        QFETCH(std::optional<int>, pages);
        QFETCH(QList<int>, lengths);
        QFETCH(int, firstCut);
        QFETCH(int, over);
        EditorFixture f;
        // The last letter comes after detection: both the page count and typing mark the rows.
        const int last = int(lengths.size()) - 1;
        for (int r = 0; r <= last; ++r)
            fillRow(f.editor, r, 0, "2", "2", QString(lengths.at(r) - (r == last), u'x'));
        f.editor.setPageCount(pages);
        f.editor.row(last).Text1->insert("x");
        for (int r = 0; r < 4; ++r) {
            const QLineEdit *text = f.editor.row(r).Text1;
            const bool cut = firstCut >= 0 && r >= firstCut && r <= last;
            QCOMPARE(text->palette().color(QPalette::Text) == Qt::red, cut);
            QCOMPARE(text->testAttribute(Qt::WA_SetPalette), cut);
            const QString tip = text->toolTip();
            QCOMPARE(tip.contains(QStringLiteral(" en %1 bytes").arg(over)), cut);
            QCOMPARE(tip.contains(QStringLiteral("recortará")), cut && r == firstCut);
            QCOMPARE(tip.isEmpty(), !cut);
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

QTEST_MAIN(tst_Pages)
#include "tst_pages.moc"
