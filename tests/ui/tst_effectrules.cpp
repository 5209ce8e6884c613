#include "EditorHelpers.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

using namespace editortest;

namespace {
QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}
const QStringList kLong{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "60", "200"};
const QStringList kShort{"1", "2", "3"};

// What the effect rule overwrites, to tell whether it ran.
QStringList ruleFields(const zlx::EditorRow &row)
{
    return {row.Text2->text(), row.cmbVelocidad->currentText(), row.cmbFuente->currentText(),
            row.Text1->text()};
}

// Counts the wheel events that reach a widget.
struct WheelCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Wheel ? 1 : 0;
        return false;
    }
};
}  // namespace

class tst_EffectRules : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store = {};
        m_editor = std::make_unique<zlx::PageEditor>(m_store);
        m_editor->reset();
    }
    void cleanup() { m_editor.reset(); }
    void choosingAnEffect_data();
    void choosingAnEffect();
    void keyboard_data();
    void keyboard();
    void wheel_data();
    void wheel();

private:
    zlx::MessageStore m_store;
    std::unique_ptr<zlx::PageEditor> m_editor;
};

void tst_EffectRules::choosingAnEffect_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("text");

    const QString kept = QStringLiteral("mensaje");
    QTest::newRow("Texto Fijo") << 0 << "N seg" << kLong << "2" << kept;
    QTest::newRow("Parpadeo") << 1 << "N veces" << kLong << "4" << kept;
    QTest::newRow("Caida") << 2 << "N seg" << kLong << "2" << kept;
    QTest::newRow("Desplazamiento") << 3 << "Velocidad" << kShort << "2" << kept;
    QTest::newRow("Abrirse") << 4 << "N seg" << kLong << "2" << kept;
    QTest::newRow("Pintado") << 5 << "N seg" << kLong << "2" << kept;
    QTest::newRow("Hora") << 6 << "N seg" << kLong << "2" << "12:30 pm  ";
    QTest::newRow("Color A") << 7 << "Velocidad" << kShort << "2" << kept;
    QTest::newRow("Color B") << 8 << "Velocidad" << kShort << "2" << kept;
}

void tst_EffectRules::choosingAnEffect()
{
    QFETCH(int, k);
    QFETCH(QString, caption);
    QFETCH(QStringList, items);
    QFETCH(QString, amount);
    QFETCH(QString, text);

    // Whatever the operator had set is replaced by the effect's defaults.
    zlx::EditorRow &row = m_editor->row(1);
    fillRow(*m_editor, 1, -1, "60", "3", "mensaje");
    row.cmbEfecto->setCurrentIndex(k);
    const QStringList chosen{caption, amount, QStringLiteral("2"), text};
    QCOMPARE(ruleFields(row), chosen);
    QCOMPARE(itemsOf(row.cmbVelocidad), items);
    QCOMPARE(row.cmbVelocidad->currentIndex(), -1);  // the rule selects no amount item
    QCOMPARE(itemsOf(row.cmbFuente), kShort);
    // The rule touches its own row only.
    QCOMPARE(ruleFields(m_editor->row(0)), QStringList(4));
    QCOMPARE(m_editor->row(2).cmbVelocidad->count(), 0);

    // Emptying the effect empties the row but its amount list; choosing the effect again
    // applies its rule again.
    row.cmbEfecto->setEditText(QString());
    QCOMPARE(ruleFields(row), QStringList(4));
    QCOMPARE(itemsOf(row.cmbVelocidad), items);
    QCOMPARE(row.cmbEfecto->currentIndex(), -1);
    QVERIFY(row.isVisible());
    row.Text1->setText("mensaje");
    row.cmbEfecto->setCurrentIndex(k);
    QCOMPARE(ruleFields(row), chosen);
}

// Typed text stays as typed: no completion, no item chosen by Enter or on leaving.
void tst_EffectRules::keyboard_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");  // empty: Down and Enter on the opened list instead
    QTest::addColumn<int>("leaveKey");

    // The row holds "Caida" (chosen), amount 7, font 3; the lists hold "200" and "Parpadeo".
    QTest::newRow("amount 20 is no 200") << "cmbVelocidad" << "20" << int(Qt::Key_Tab);
    QTest::newRow("effect pa, Tab") << "cmbEfecto" << "pa" << int(Qt::Key_Tab);
    QTest::newRow("effect Hora typed, Enter") << "cmbEfecto" << "Hora" << int(Qt::Key_Return);
    QTest::newRow("effect not in the list, Enter") << "cmbEfecto" << "Horario" << int(Qt::Key_Return);
    QTest::newRow("font 1, Tab") << "cmbFuente" << "1" << int(Qt::Key_Tab);
    QTest::newRow("effect chosen on the list") << "cmbEfecto" << "" << 0;
}

void tst_EffectRules::keyboard()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(int, leaveKey);
    const bool chosen = typed.isEmpty();

    m_editor->show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
    zlx::EditorRow &row = m_editor->row(0);
    fillRow(*m_editor, 0, 2, "7", "3", "HOLA");
    row.cmbFuente->setCurrentIndex(-1);
    row.cmbFuente->setEditText("3");
    const QStringList before = ruleFields(row);
    auto *combo = m_editor->findChild<QComboBox *>(box + "_0");
    combo->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));

    if (chosen) {
        QTest::keyClick(combo, Qt::Key_F4);
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_VERIFY(!combo->view()->isVisible());
    } else {
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo, typed);
        QTest::keyClick(combo, Qt::Key(leaveKey));
    }
    const bool effect = box == "cmbEfecto";
    QCOMPARE(combo->currentText(), chosen ? QStringLiteral("Desplazamiento") : typed);
    QCOMPARE(combo->currentIndex(), effect ? (chosen ? 3 : 2) : -1);
    QCOMPARE(combo->count(), effect ? 9 : box == "cmbFuente" ? 3 : 12);
    if (chosen)
        QCOMPARE(ruleFields(row), QStringList({"Velocidad", "2", "2", "HOLA"}));
    else if (effect)
        QCOMPARE(ruleFields(row), before);
}

void tst_EffectRules::wheel_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("focused");

    QTest::newRow("effect") << "cmbEfecto" << false;
    QTest::newRow("amount") << "cmbVelocidad" << false;
    // The box the operator works in steps through its list, as any list box does.
    QTest::newRow("effect with the focus") << "cmbEfecto" << true;
}

void tst_EffectRules::wheel()
{
    QFETCH(QString, box);
    QFETCH(bool, focused);

    m_editor->show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
    zlx::EditorRow &row = m_editor->row(0);
    fillRow(*m_editor, 0, 2, "7", "3", "HOLA");
    auto *combo = m_editor->findChild<QComboBox *>(box + "_0");
    (focused ? static_cast<QWidget *>(combo) : row.Text1)->setFocus();
    QTRY_VERIFY(focused ? combo->hasFocus() : row.Text1->hasFocus());
    const QStringList before = ruleFields(row) << row.cmbEfecto->currentText();
    WheelCounter parent;
    m_editor->installEventFilter(&parent);

    // As the window system delivers it: to the window, at the box's middle, one notch down.
    // notify(), as sendEvent() would mark it as the program's own, which Qt neither passes on
    // to the parent nor lets take the focus.
    const QPoint at = combo->mapTo(m_editor.get(), combo->rect().center());
    QWheelEvent turn(at, m_editor->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&turn);
    QApplication::instance()->notify(m_editor->windowHandle(), &turn);

    if (focused) {
        QCOMPARE(row.cmbEfecto->currentText(), QStringLiteral("Desplazamiento"));
        QCOMPARE(parent.count, 0);
        return;
    }
    QCOMPARE(ruleFields(row) << row.cmbEfecto->currentText(), before);
    QVERIFY(!combo->hasFocus());
    QCOMPARE(parent.count, 1);
}

QTEST_MAIN(tst_EffectRules)
#include "tst_effectrules.moc"
