// The page editor's rows: effect rules, typed text and the wheel, Enter and added rows.
#include "EditorHelpers.h"

#include <QAbstractItemView>
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
}  // namespace

class tst_EditorRows : public QObject
{
    Q_OBJECT
private slots:
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

QTEST_MAIN(tst_EditorRows)
#include "tst_editorrows.moc"
