// The page editor. Pages: page changes and their refusals, pages between the rows and the store,
// and the rows marked as cut to fit the sign's page memory. Rows: effect rules, typed text and the
// wheel, Enter and added rows.
#include "EditorHelpers.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

using namespace editortest;

namespace {
const QStringList kLong{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "60", "200"};
const QStringList kShort{"1", "2", "3"};

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}
// What the effect rule overwrites, to tell whether it ran.
QStringList ruleFields(const zlx::EditorRow &row)
{
    return {row.Text2->text(), row.cmbVelocidad->currentText(), row.cmbFuente->currentText(),
            row.Text1->text()};
}
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

    void effectChoice()
    {
        // Each effect's unit caption, amount list, default amount and sample text, in list order.
        const struct { const char *caption; bool longList; const char *amount; const char *text; } rules[] = {
            {"N seg", true, "2", ""},      {"N veces", true, "4", ""},   {"N seg", true, "2", ""},
            {"Velocidad", false, "2", ""}, {"N seg", true, "2", ""},     {"N seg", true, "2", ""},
            {"N seg", true, "2", "12:30 pm  "}, {"Velocidad", false, "2", ""}, {"Velocidad", false, "2", ""}};
        EditorFixture f;
        zlx::EditorRow &row = f.editor.row(1);
        for (int k = 0; k < 9; ++k) {
            // Whatever the operator had set is replaced by the effect's defaults, in its own row only.
            fillRow(f.editor, 1, -1, "60", "3", "mensaje");
            row.cmbEfecto->setCurrentIndex(k);
            const QStringList chosen{rules[k].caption, rules[k].amount, "2", *rules[k].text ? rules[k].text : "mensaje"};
            QCOMPARE(ruleFields(row), chosen);
            QCOMPARE(row.Text2->cursorPosition(), 0);  // the caption from its beginning
            QCOMPARE(itemsOf(row.cmbVelocidad), rules[k].longList ? kLong : kShort);
            QCOMPARE(row.cmbVelocidad->currentIndex(), -1);
            QCOMPARE(itemsOf(row.cmbFuente), kShort);
            QCOMPARE(ruleFields(f.editor.row(0)), QStringList(4));
            // Emptying the effect empties the row; choosing it again applies its rule again.
            row.cmbEfecto->setEditText(QString());
            QCOMPARE(ruleFields(row), QStringList(4));
            QCOMPARE(row.cmbEfecto->currentIndex(), -1);
            row.Text1->setText("mensaje");
            row.cmbEfecto->setCurrentIndex(k);
            QCOMPARE(ruleFields(row), chosen);
        }
    }

    // Typed text stays as typed: no completion, no item chosen by Enter or on leaving; the wheel
    // changes only the box that has the focus.
    void typedTextAndWheel()
    {
        EditorFixture f;
        QVERIFY(f.show());
        zlx::EditorRow &row = f.editor.row(0);
        fillRow(f.editor, 0, 2, "7", "3", "HOLA");
        row.cmbFuente->setCurrentIndex(-1);
        row.cmbFuente->setEditText("3");
        auto type = [](QComboBox *box, const QString &text, Qt::Key leave) {
            box->setFocus();
            box->lineEdit()->selectAll();
            QTest::keyClicks(box, text);
            QTest::keyClick(box, leave);
        };
        type(row.cmbVelocidad, "20", Qt::Key_Tab);  // the list holds "200"
        type(row.cmbFuente, "1", Qt::Key_Tab);
        type(row.cmbEfecto, "pa", Qt::Key_Tab);      // the list holds "Parpadeo"
        type(row.cmbEfecto, "Hora", Qt::Key_Return);
        QCOMPARE(ruleFields(row), QStringList({"N seg", "20", "1", "HOLA"}));
        QCOMPARE(row.cmbEfecto->currentText(), QStringLiteral("Hora"));
        QCOMPARE(row.cmbEfecto->currentIndex(), 2);
        QCOMPARE(row.cmbVelocidad->currentIndex(), -1);
        QCOMPARE(row.cmbFuente->currentIndex(), -1);
        QCOMPARE(row.cmbEfecto->count() + row.cmbVelocidad->count() + row.cmbFuente->count(), 9 + 12 + 3);
        // An item chosen on the opened list runs its rule.
        QTest::keyClick(row.cmbEfecto, Qt::Key_F4);
        QTRY_VERIFY(row.cmbEfecto->view()->isVisible());
        QTest::keyClick(row.cmbEfecto->view(), Qt::Key_Down);
        QTest::keyClick(row.cmbEfecto->view(), Qt::Key_Return);
        QTRY_VERIFY(!row.cmbEfecto->view()->isVisible());
        QCOMPARE(row.cmbEfecto->currentText(), QStringLiteral("Desplazamiento"));
        QCOMPARE(ruleFields(row), QStringList({"Velocidad", "2", "2", "HOLA"}));

        // The wheel as the window system delivers it: spontaneous, to the window, over the box.
        auto turn = [&](QWidget *focus) {
            focus->setFocus();
            QTRY_VERIFY(focus->hasFocus());
            const QPoint at = row.cmbEfecto->mapTo(&f.editor, row.cmbEfecto->rect().center());
            QWheelEvent e(at, f.editor.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&e);
            QApplication::instance()->notify(f.editor.windowHandle(), &e);
        };
        turn(row.Text1);  // passing over: the row unchanged, the focus where it was
        QCOMPARE(row.cmbEfecto->currentText(), QStringLiteral("Desplazamiento"));
        QVERIFY(row.Text1->hasFocus());
        turn(row.cmbEfecto);  // the box the operator works in steps through its list
        QCOMPARE(row.cmbEfecto->currentText(), QStringLiteral("Abrirse"));
        QCOMPARE(row.Text2->text(), QStringLiteral("N seg"));
    }

    void enterAndAddRow()
    {
        EditorFixture f;
        zlx::PageEditor &e = f.editor;
        QVERIFY(f.show());
        auto enter = [&](int r) { e.row(r).Text1->setFocus(); QTest::keyClick(e.row(r).Text1, Qt::Key_Return); };
        enter(2);
        QVERIFY(e.row(3).Text1->hasFocus());
        QTest::keyClick(e.row(3).Text1, Qt::Key_Return);  // row 4 is hidden
        QVERIFY(e.row(3).Text1->hasFocus());
        e.cmdAgregar()->click();
        QCOMPARE(visibleRows(e), 5);
        QVERIFY(e.row(4).isVisible());
        for (int i = 0; i < 16; ++i)
            e.cmdAgregar()->click();
        QCOMPARE(visibleRows(e), 20);
        QCOMPARE(e.nextRow(), 19);
        enter(19);
        QVERIFY(e.row(19).Text1->hasFocus());
    }
};

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
