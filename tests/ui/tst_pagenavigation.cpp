// Page navigation and rows: going forward and back, refusing a page that cannot be stored,
// adding rows, and Enter in a message text.
#include "EditorHelpers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace editortest;

class tst_PageNavigation : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void refusal_data();
    void refusal();
    void navigation_limits();
    void navigation_nextAndBack();
    void agregar_revealsRowsOneByOne();
    void enter_movesFocusOnlyToAShownRow();

private:
    zlx::MessageStore m_store;
    std::unique_ptr<zlx::PageEditor> m_editor;
};

void tst_PageNavigation::init()
{
    m_store = {};
    m_editor = std::make_unique<zlx::PageEditor>(m_store);
    m_editor->reset();
}

void tst_PageNavigation::cleanup() { m_editor.reset(); }

void tst_PageNavigation::refusal_data()
{
    QTest::addColumn<QString>("effect");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("culprit");  // object name prefix of the control at fault
    QTest::addColumn<QString>("why");
    QTest::addColumn<bool>("back");  // leaving page 2 for page 1 rather than page 1 for page 2

    QTest::newRow("unknown effect") << "Parpadeos" << "2" << "1" << "" << "cmbEfecto" << "efecto" << false;
    QTest::newRow("amount 0") << "Caida" << "0" << "1" << "" << "cmbVelocidad" << "cantidad" << false;
    QTest::newRow("amount 13") << "Caida" << "13" << "1" << "" << "cmbVelocidad" << "cantidad" << false;
    QTest::newRow("amount 256") << "Caida" << "256" << "1" << "" << "cmbVelocidad" << "cantidad" << false;
    QTest::newRow("amount letters") << "Caida" << "dos" << "1" << "" << "cmbVelocidad" << "cantidad" << false;
    QTest::newRow("font 4") << "Caida" << "2" << "4" << "" << "cmbFuente" << "fuente" << false;
    QTest::newRow("font empty") << "Caida" << "2" << "" << "" << "cmbFuente" << "fuente" << false;
    QTest::newRow("pasted carriage return") << "Caida" << "2" << "1" << "A\rB" << "Text1" << "texto" << false;
    QTest::newRow("no single-byte code") << "Caida" << "2" << "1" << QStringLiteral("5 €") << "Text1" << "texto" << false;
    QTest::newRow("amount 300, going back") << "Caida" << "300" << "1" << "" << "cmbVelocidad" << "cantidad" << true;
}

void tst_PageNavigation::refusal()
{
    QFETCH(QString, effect);
    QFETCH(QString, amount);
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(QString, culprit);
    QFETCH(QString, why);
    QFETCH(bool, back);

    m_editor->show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
    if (back) {
        fillRow(*m_editor, 0, 0, "2", "2", "uno");
        m_editor->cmdSubir_Click();
    }
    const int page = back ? 2 : 1;
    m_store.setEntry(page - 1, 0, entryOf('1', 2, '1', "ANTES"));
    m_store.setEntry(page - 1, 1, entryOf('1', 2, '1', "ANTES"));
    fillRow(*m_editor, 0, 0, "2", "2", "bien");
    fillRow(*m_editor, 1, 2, "2", "1", "");
    zlx::EditorRow &row = m_editor->row(1);
    row.cmbEfecto->setEditText(effect);
    row.cmbVelocidad->setEditText(amount);
    row.cmbFuente->setEditText(font);
    row.Text1->setText(text);
    const zlx::MessageStore before = m_store;
    QSignalSpy refused(m_editor.get(), &zlx::PageEditor::refused);

    back ? m_editor->cmdBajar_Click() : m_editor->cmdSubir_Click();
    QCOMPARE(refused.count(), 1);
    const QString message = refused.at(0).at(0).toString();
    QVERIFY2(message.startsWith(QStringLiteral("No se puede guardar la página %1, fila 2: ").arg(page)),
             qPrintable(message));
    QVERIFY2(message.contains(why), qPrintable(message));
    QCOMPARE(m_store, before);
    QCOMPARE(m_editor->currentPage(), page);
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  %1").arg(page));
    QWidget *faulty = m_editor->findChild<QWidget *>(culprit + "_1");
    QVERIFY(faulty);
    QVERIFY(hasFocusIn(faulty));
    QCOMPARE(row.Text1->text(), text);  // the rows stay as the operator left them
}

void tst_PageNavigation::navigation_limits()
{
    // Page 1 back: nothing stored, the label written again.
    fillRow(*m_editor, 0, 0, "2", "2", "uno");
    m_editor->lblPagina()->setText("x");
    m_editor->cmdBajar_Click();
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  1"));
    QCOMPARE(m_store.entry(0, 0), QByteArray());

    // An empty first row blocks going forward, even with later rows filled.
    m_editor->row(0).cmbEfecto->setEditText(QString());
    fillRow(*m_editor, 1, 0, "2", "2", "dos");
    m_editor->cmdSubir_Click();
    QCOMPARE(m_editor->currentPage(), 1);
    QCOMPARE(m_store.entry(0, 1), QByteArray());

    auto climb = [this] {
        for (int i = 0; i < 45; ++i) {
            fillRow(*m_editor, 0, 0, "2", "2", "p");
            m_editor->cmdSubir_Click();
        }
    };
    m_editor->setPageCount(20);
    climb();
    QCOMPARE(m_editor->currentPage(), 20);
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  20"));
    QCOMPARE(m_store.entry(19, 0), QByteArray());  // the last page is not stored by a refused step

    m_editor->setPageCount(std::nullopt);
    climb();
    QCOMPARE(m_editor->currentPage(), 40);
    m_editor->setPageCount(40);
    climb();
    QCOMPARE(m_editor->currentPage(), 40);
}

void tst_PageNavigation::navigation_nextAndBack()
{
    fillRow(*m_editor, 0, 1, "3", "1", "primera");
    fillRow(*m_editor, 1, 3, "1", "3", "segunda");
    m_editor->cmdSubir_Click();
    QCOMPARE(m_editor->currentPage(), 2);
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  2"));
    QCOMPARE(m_editor->row(0).cmbEfecto->currentText(), QString());
    QCOMPARE(m_editor->nextRow(), 0);
    fillRow(*m_editor, 0, 7, "1", "2", "otra");

    m_editor->cmdBajar_Click();
    QCOMPARE(m_editor->currentPage(), 1);
    QCOMPARE(m_store.entry(1, 0), QByteArray("8\x01" "2otra"));
    QCOMPARE(m_editor->row(1).Text1->text(), QStringLiteral("segunda"));
    QCOMPARE(m_editor->row(1).cmbFuente->currentText(), QStringLiteral("3"));
    QCOMPARE(m_editor->nextRow(), 2);

    m_editor->showFirstPage();
    QCOMPARE(m_editor->row(0).Text1->text(), QStringLiteral("primera"));
}

void tst_PageNavigation::agregar_revealsRowsOneByOne()
{
    for (int i = 0; i < 16; ++i) {
        QVERIFY(!m_editor->row(4 + i).isVisible());
        m_editor->cmdAgregar_Click();
        QVERIFY(m_editor->row(4 + i).isVisible());
        QCOMPARE(visibleRows(*m_editor), 5 + i);
    }
    QCOMPARE(m_editor->nextRow(), 19);
    m_editor->cmdAgregar_Click();
    QCOMPARE(m_editor->nextRow(), 19);
    QCOMPARE(visibleRows(*m_editor), 20);
}

void tst_PageNavigation::enter_movesFocusOnlyToAShownRow()
{
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
    m_editor->row(2).Text1->setFocus();
    QTest::keyClick(m_editor->row(2).Text1, Qt::Key_Return);
    QVERIFY(m_editor->row(3).Text1->hasFocus());
    QTest::keyClick(m_editor->row(3).Text1, Qt::Key_Return);  // row 4 is hidden
    QVERIFY(m_editor->row(3).Text1->hasFocus());
    m_editor->Text1_KeyPress(1, 'a');
    QVERIFY(m_editor->row(3).Text1->hasFocus());

    for (int i = 0; i < 16; ++i)
        m_editor->cmdAgregar_Click();
    m_editor->row(19).Text1->setFocus();
    QTest::keyClick(m_editor->row(19).Text1, Qt::Key_Return);
    QVERIFY(m_editor->row(19).Text1->hasFocus());
    QCOMPARE(m_editor->row(19).Text1->text(), QString());
}

QTEST_MAIN(tst_PageNavigation)
#include "tst_pagenavigation.moc"
