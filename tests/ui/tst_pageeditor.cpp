// The editor on its own: reset, pages between the rows and the store, and the rows marked as
// cut to fit the sign's page memory.
#include "EditorHelpers.h"

#include <QLabel>
#include <QTest>

using namespace editortest;

class tst_PageEditor : public QObject
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

    void reset_isIdempotent();
    void showThenSave_keepsEveryByte_data();
    void showThenSave_keepsEveryByte();
    void saveShownPage_stopsAtFirstEmptyEffect();
    void showPage_malformedEntries();
    void cutRows_data();
    void cutRows();

private:
    zlx::MessageStore m_store;
    std::unique_ptr<zlx::PageEditor> m_editor;
};

void tst_PageEditor::reset_isIdempotent()
{
    fillRow(*m_editor, 0, 1, "60", "3", "HOLA");
    m_editor->cmdAgregar_Click();
    m_editor->cmdSubir_Click();
    m_store.setEntry(39, 19, "1\x02" "1X");
    for (int i = 0; i < 3; ++i)
        m_editor->reset();

    QCOMPARE(m_editor->nextRow(), 4);
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  1"));
    QCOMPARE(m_store, zlx::MessageStore());
    for (int r = 0; r < zlx::PageEditor::kRows; ++r) {
        const zlx::EditorRow &row = m_editor->row(r);
        QCOMPARE(row.isVisible(), r < 4);
        QCOMPARE(row.cmbEfecto->count(), 9);
        QCOMPARE(row.cmbEfecto->currentIndex(), -1);
        const QStringList fields{row.cmbEfecto->currentText(), row.Text2->text(),
                                 row.cmbVelocidad->currentText(), row.cmbFuente->currentText(),
                                 row.Text1->text()};
        QCOMPARE(fields, QStringList(5));
        QVERIFY(row.Text2->isReadOnly());
    }
}

// A program read in (a project file, or a sign another program wrote) goes through the editor
// and back to the store byte for byte.
void tst_PageEditor::showThenSave_keepsEveryByte_data()
{
    QTest::addColumn<QByteArrayList>("entries");

    auto bytes = [](int from, int to, QByteArray skip = {}) {
        QByteArray b;
        for (int c = from; c <= to; ++c)
            if (!skip.contains(char(c)))
                b.append(char(c));
        return b;
    };
    QTest::newRow("controls, LF among them")
        << QByteArrayList{"2\x04" "1" + bytes(1, 29, "\r"), "1\x02" "2" + bytes(127, 159), "3\x02" "3x\n"};
    // A literal "Ñ" or "ñ" is stored as 30 or 31 once it has been on the screen.
    QTest::newRow("enye codes, Latin-1 but Ñ ñ")
        << QByteArrayList{"3\x05" "3A\x1E\x1F", "8\x03" "2" + bytes(160, 255, "\xD1\xF1")};
    QTest::newRow("amounts LF, DEL, 159, 255; Hora's own text")
        << QByteArrayList{"4\x0A" "1a", "5\x7F" "2", "6\x9F" "3\x7F", "9\xFF" "1", "7\x02" "29:15 am"};
    QByteArrayList full;
    for (int r = 0; r < 20; ++r)
        full << entryOf(char('1' + r % 9), 2, '2', "R" + QByteArray::number(r));
    QTest::newRow("full page") << full;
    QTest::newRow("text over a line edit's usual limit") << QByteArrayList{"1\x02" "2" + QByteArray(40000, 'L')};
}

void tst_PageEditor::showThenSave_keepsEveryByte()
{
    QFETCH(QByteArrayList, entries);
    for (int r = 0; r < entries.size(); ++r)
        m_store.setEntry(0, r, entries.at(r));
    const zlx::MessageStore before = m_store;
    m_editor->ShowPage(0);
    QCOMPARE(m_editor->nextRow(), std::min(int(entries.size()), 19));
    QVERIFY(m_editor->SaveShownPage(0));
    QCOMPARE(m_store, before);
}

void tst_PageEditor::saveShownPage_stopsAtFirstEmptyEffect()
{
    m_editor->cmdAgregar_Click();
    for (int r = 0; r < 5; ++r)
        fillRow(*m_editor, r, r, "2", "1", QString::number(r));
    QVERIFY(m_editor->SaveShownPage(0));
    const zlx::MessageStore full = m_store;
    m_editor->row(2).cmbEfecto->setEditText(QString());
    QVERIFY(m_editor->SaveShownPage(0));
    QCOMPARE(m_store.entry(0, 1), QByteArray("2\x02" "11"));
    QCOMPARE(m_store.entry(0, 2), QByteArray());
    QCOMPARE(m_store.entry(0, 3), full.entry(0, 3));  // rows behind stay stored

    m_editor->ShowPage(0);
    QCOMPARE(m_editor->nextRow(), 2);
    QCOMPARE(m_editor->row(3).Text1->text(), QString());
    QVERIFY(m_editor->row(4).isVisible());  // ShowPage never hides a row
}

void tst_PageEditor::showPage_malformedEntries()
{
    m_store.setEntry(0, 0, "2");                        // too short: no amount, no font
    m_store.setEntry(0, 1, entryOf('3', 5, '7', "A"));  // font out of range
    m_store.setEntry(0, 2, "X\x02" "1B");               // effect not a digit: the page ends
    m_store.setEntry(0, 3, entryOf('1', 2, '1', "C"));
    m_editor->ShowPage(0);
    QCOMPARE(m_editor->nextRow(), 2);
    QCOMPARE(m_editor->row(0).cmbEfecto->currentText(), QStringLiteral("Parpadeo"));
    QCOMPARE(m_editor->row(0).cmbVelocidad->currentText(), QString());
    QCOMPARE(m_editor->row(1).cmbFuente->currentText(), QString());
    QCOMPARE(m_editor->row(1).Text1->text(), QStringLiteral("A"));
    QCOMPARE(m_editor->row(3).Text1->text(), QString());
}

void tst_PageEditor::cutRows_data()
{
    QTest::addColumn<std::optional<int>>("pages");
    QTest::addColumn<QList<int>>("lengths");  // message text lengths of rows 0..
    QTest::addColumn<int>("firstCut");        // -1: nothing marked
    QTest::addColumn<int>("over");

    // 512 bytes: a 14-byte title, records of 4 + length bytes, the closing 0.
    QTest::newRow("fits") << std::optional<int>(40) << QList<int>{200, 200, 85} << -1 << 0;
    QTest::newRow("one byte over") << std::optional<int>(40) << QList<int>{200, 200, 86} << 2 << 1;
    QTest::newRow("rows after the cut") << std::optional<int>(40) << QList<int>{500, 5, 5} << 0 << 25;
    QTest::newRow("fits the 20-page sign") << std::optional<int>(20) << QList<int>{500, 5, 5} << -1 << 0;
    QTest::newRow("before detection") << std::optional<int>() << QList<int>{900, 5} << -1 << 0;
}

void tst_PageEditor::cutRows()
{
    QFETCH(std::optional<int>, pages);
    QFETCH(QList<int>, lengths);
    QFETCH(int, firstCut);
    QFETCH(int, over);

    // The last letter comes after detection: both the page count and typing mark the rows.
    const int last = int(lengths.size()) - 1;
    for (int r = 0; r <= last; ++r)
        fillRow(*m_editor, r, 0, "2", "2", QString(lengths.at(r) - (r == last), u'x'));
    m_editor->setPageCount(pages);
    m_editor->row(last).Text1->insert("x");
    for (int r = 0; r < 4; ++r) {
        const QLineEdit *text = m_editor->row(r).Text1;
        const bool cut = firstCut >= 0 && r >= firstCut && r < lengths.size();
        QCOMPARE(text->palette().color(QPalette::Text) == Qt::red, cut);
        QCOMPARE(text->testAttribute(Qt::WA_SetPalette), cut);
        QCOMPARE(text->toolTip().contains(QStringLiteral(" en %1 bytes").arg(over)), cut);
        QCOMPARE(text->toolTip().isEmpty(), !cut);
    }
    // A shown page that fits gives the rows back their own look.
    m_editor->ShowPage(5);
    QVERIFY(!m_editor->row(0).Text1->testAttribute(Qt::WA_SetPalette));
    QCOMPARE(m_editor->row(0).Text1->toolTip(), QString());
}

QTEST_MAIN(tst_PageEditor)
#include "tst_pageeditor.moc"
