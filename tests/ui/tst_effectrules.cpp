#include "EditorHelpers.h"
#include "editor/EffectRules.h"
#include "model/RowCheck.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

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
}  // namespace

class tst_EffectRules : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void choosingAnEffect_data();
    void choosingAnEffect();
    void ruleTableOutOfRange();
    void emptyingTheEffect();
    void typedTextIsNoChoice();
    void choosingTheSameEffectAgainAfterEmptying();

private:
    zlx::MessageStore m_store;
    std::unique_ptr<zlx::PageEditor> m_editor;
};

void tst_EffectRules::init()
{
    m_store = {};
    m_editor = std::make_unique<zlx::PageEditor>(m_store);
    m_editor->reset();
}

void tst_EffectRules::cleanup() { m_editor.reset(); }

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
    row.cmbVelocidad->setEditText("60");
    row.cmbFuente->setEditText("3");
    row.Text1->setText("mensaje");
    row.cmbEfecto->setCurrentIndex(k);

    QCOMPARE(row.cmbEfecto->currentText(), zlx::effectNames().at(k));
    QCOMPARE(row.Text2->text(), caption);
    QCOMPARE(itemsOf(row.cmbVelocidad), items);
    QCOMPARE(row.cmbVelocidad->currentText(), amount);
    QCOMPARE(row.cmbVelocidad->currentIndex(), -1);  // the rule selects no amount item
    QCOMPARE(row.cmbFuente->currentText(), QStringLiteral("2"));
    QCOMPARE(row.Text1->text(), text);
    QCOMPARE(itemsOf(row.cmbFuente), kShort);

    // The rule touches its own row only.
    QCOMPARE(m_editor->row(0).Text2->text(), QString());
    QCOMPARE(m_editor->row(2).cmbVelocidad->count(), 0);
}

void tst_EffectRules::ruleTableOutOfRange()
{
    QVERIFY(zlx::effectRule(-1) == nullptr);
    QVERIFY(zlx::effectRule(9) == nullptr);
    QCOMPARE(zlx::effectRule(6)->sampleText.size(), 10);
}

void tst_EffectRules::emptyingTheEffect()
{
    zlx::EditorRow &row = m_editor->row(0);
    fillRow(*m_editor, 0, 1, "60", "3", "HOLA");
    row.cmbEfecto->setEditText(QString());

    QCOMPARE(row.Text2->text(), QString());
    QCOMPARE(row.cmbVelocidad->currentText(), QString());
    QCOMPARE(row.cmbFuente->currentText(), QString());
    QCOMPARE(row.Text1->text(), QString());
    QCOMPARE(itemsOf(row.cmbVelocidad), kLong);
    QCOMPARE(row.cmbEfecto->currentIndex(), -1);
    QVERIFY(row.isVisible());
}

void tst_EffectRules::typedTextIsNoChoice()
{
    zlx::EditorRow &row = m_editor->row(0);
    fillRow(*m_editor, 0, 3, "1", "3", "HOLA");
    row.cmbEfecto->setFocus();
    row.cmbEfecto->lineEdit()->selectAll();
    QTest::keyClicks(row.cmbEfecto, "Horario");

    QCOMPARE(row.cmbEfecto->currentText(), QStringLiteral("Horario"));
    QCOMPARE(row.Text2->text(), QStringLiteral("Velocidad"));
    QCOMPARE(row.cmbVelocidad->currentText(), QStringLiteral("1"));
    QCOMPARE(row.cmbFuente->currentText(), QStringLiteral("3"));
    QCOMPARE(row.Text1->text(), QStringLiteral("HOLA"));
    QCOMPARE(row.cmbEfecto->count(), 9);  // typed text never becomes an item
    QTest::keyClick(row.cmbEfecto, Qt::Key_Return);
    QCOMPARE(row.cmbEfecto->count(), 9);
}

void tst_EffectRules::choosingTheSameEffectAgainAfterEmptying()
{
    zlx::EditorRow &row = m_editor->row(0);
    fillRow(*m_editor, 0, 6, "5", "1", "otra");
    row.cmbEfecto->setEditText(QString());
    row.cmbEfecto->setCurrentIndex(6);
    QCOMPARE(row.Text1->text(), QStringLiteral("12:30 pm  "));
    QCOMPARE(row.Text2->text(), QStringLiteral("N seg"));
}

QTEST_MAIN(tst_EffectRules)
#include "tst_effectrules.moc"
