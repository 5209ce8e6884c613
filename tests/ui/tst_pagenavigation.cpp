// Page navigation and rows: going forward and back, refusing a page that cannot be stored,
// adding rows, and Enter in a message text.
#include "EditorHelpers.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace editortest;

class tst_PageNavigation : public QObject
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
    void refusal_data();
    void refusal();
    void navigation();
    void agregarAndEnter();

private:
    zlx::MessageStore m_store;
    std::unique_ptr<zlx::PageEditor> m_editor;
};

void tst_PageNavigation::refusal_data()
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

void tst_PageNavigation::refusal()
{
    QFETCH(QString, effect);
    QFETCH(QString, amount);
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(QString, culprit);

    m_editor->show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
    m_store.setEntry(0, 0, entryOf('1', 2, '1', "ANTES"));
    fillRow(*m_editor, 0, 0, "2", "2", "bien");
    fillRow(*m_editor, 1, 2, amount, font, text);
    m_editor->row(1).cmbEfecto->setEditText(effect);
    m_editor->row(1).Text1->setText(text);
    const zlx::MessageStore before = m_store;
    QSignalSpy refused(m_editor.get(), &zlx::PageEditor::refused);

    m_editor->cmdSubir_Click();
    QCOMPARE(refused.count(), 1);
    const QString message = refused.at(0).at(0).toString();
    QVERIFY2(message.startsWith(QStringLiteral("No se puede guardar la página 1, fila 2: ")),
             qPrintable(message));
    QCOMPARE(m_store, before);
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  1"));
    QVERIFY(hasFocusIn(m_editor->findChild<QWidget *>(culprit + "_1")));
    QCOMPARE(m_editor->row(1).cmbVelocidad->currentText(), amount);  // the rows stay as they were
}

void tst_PageNavigation::navigation()
{
    // Page 1 back: nothing stored, the label written again.
    fillRow(*m_editor, 0, 1, "3", "1", "primera");
    m_editor->lblPagina()->setText("x");
    m_editor->cmdBajar_Click();
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  1"));
    QCOMPARE(m_store.entry(0, 0), QByteArray());

    m_editor->cmdSubir_Click();
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  2"));
    QCOMPARE(m_editor->row(0).cmbEfecto->currentText(), QString());
    // An empty first row blocks going forward, even with later rows filled.
    fillRow(*m_editor, 1, 0, "2", "2", "dos");
    m_editor->cmdSubir_Click();
    QCOMPARE(m_editor->currentPage(), 2);
    QCOMPARE(m_store.entry(1, 1), QByteArray());
    // Going back stores the page too, and a page that cannot be stored keeps the editor there.
    fillRow(*m_editor, 0, 7, "300", "2", "otra");
    QSignalSpy refused(m_editor.get(), &zlx::PageEditor::refused);
    m_editor->cmdBajar_Click();
    QCOMPARE(refused.count(), 1);
    QCOMPARE(m_editor->currentPage(), 2);
    m_editor->row(0).cmbVelocidad->setEditText("1");
    m_editor->cmdBajar_Click();
    QCOMPARE(m_editor->currentPage(), 1);
    QCOMPARE(m_store.entry(1, 0), QByteArray("8\x01" "2otra"));
    QCOMPARE(m_editor->row(0).Text1->text(), QStringLiteral("primera"));

    auto climb = [this] {
        for (int i = 0; i < 45; ++i) {
            fillRow(*m_editor, 0, 0, "2", "2", "p");
            m_editor->cmdSubir_Click();
        }
        return m_editor->currentPage();
    };
    m_editor->setPageCount(20);
    QCOMPARE(climb(), 20);
    QCOMPARE(m_store.entry(19, 0), QByteArray());  // the last page is not stored by a refused step
    m_editor->setPageCount(std::nullopt);
    QCOMPARE(climb(), 40);
}

void tst_PageNavigation::agregarAndEnter()
{
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
    m_editor->row(2).Text1->setFocus();
    QTest::keyClick(m_editor->row(2).Text1, Qt::Key_Return);
    QVERIFY(m_editor->row(3).Text1->hasFocus());
    QTest::keyClick(m_editor->row(3).Text1, Qt::Key_Return);  // row 4 is hidden
    QVERIFY(m_editor->row(3).Text1->hasFocus());

    for (int i = 0; i < 16; ++i) {
        QVERIFY(!m_editor->row(4 + i).isVisible());
        m_editor->cmdAgregar_Click();
        QCOMPARE(visibleRows(*m_editor), 5 + i);
    }
    m_editor->cmdAgregar_Click();
    QCOMPARE(m_editor->nextRow(), 19);
    m_editor->row(19).Text1->setFocus();
    QTest::keyClick(m_editor->row(19).Text1, Qt::Key_Return);
    QVERIFY(m_editor->row(19).Text1->hasFocus());
}

QTEST_MAIN(tst_PageNavigation)
#include "tst_pagenavigation.moc"
