#include "EditorHelpers.h"
#include "protocol/PageDecoder.h"
#include "protocol/PageImages.h"
#include "project/ProjectFile.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace editortest;

class tst_PageEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void layout();
    void reset_isIdempotent();

    void saveShownPage_bytes_data();
    void saveShownPage_bytes();
    void programReadIn_goesBackUnchanged_data();
    void programReadIn_goesBackUnchanged();
    void saveShownPage_stopsAtFirstEmptyEffect();
    void showPage_fullAndEmptyPages();
    void showPage_reappliesTheRuleOfTheSameEffect();
    void showPage_malformedEntries();

private:
    zlx::MessageStore m_store;
    std::unique_ptr<zlx::PageEditor> m_editor;
};

void tst_PageEditor::init()
{
    m_store = {};
    m_editor = std::make_unique<zlx::PageEditor>(m_store);
    m_editor->reset();
}

void tst_PageEditor::cleanup() { m_editor.reset(); }

void tst_PageEditor::layout()
{
    zlx::PageEditor &e = *m_editor;
    QCOMPARE(e.size(), QSize(673, 545));
    QCOMPARE(e.lblPagina()->geometry(), QRect(56, 16, 113, 17));
    QCOMPARE(e.cmdBajar()->geometry(), QRect(0, 8, 33, 31));
    QCOMPARE(e.cmdSubir()->geometry(), QRect(176, 8, 33, 31));
    QCOMPARE(e.cmdAgregar()->geometry(), QRect(560, 16, 97, 25));
    QCOMPARE(e.cmdAgregar()->text(), QStringLiteral("Agregar Fila"));
    QCOMPARE(e.label(1)->text(), QStringLiteral("EFECTO"));
    QCOMPARE(e.label(2)->text(), QStringLiteral("FUENTE"));
    QCOMPARE(e.label(3)->text(), QStringLiteral("TEXTO"));
    QCOMPARE(e.picture1()->geometry(), QRect(8, 128, 660, 411));
    // Row 19 ends inside the frame; the picture lies beneath every row.
    const zlx::EditorRow &last = e.row(19);
    QCOMPARE(last.cmbEfecto->geometry(), QRect(8, 520, 97, 21));
    QCOMPARE(last.Text2->geometry(), QRect(104, 520, 57, 21));
    QCOMPARE(last.cmbVelocidad->geometry(), QRect(160, 520, 41, 21));
    QCOMPARE(last.cmbFuente->geometry(), QRect(200, 520, 49, 21));
    QCOMPARE(last.Text1->geometry(), QRect(248, 520, 417, 21));
    QCOMPARE(e.children().indexOf(e.picture1()), 0);

    // Every item and any amount up to 255 shows whole at those sizes: a line edit scrolls its
    // text once text, cursor and a pixel of slack pass the field less its 2-pixel margins.
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    zlx::EditorRow &row = e.row(0);
    row.cmbEfecto->setCurrentIndex(0);  // the long amount list
    for (QComboBox *box : {row.cmbEfecto, row.cmbVelocidad, row.cmbFuente}) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        if (box == row.cmbVelocidad)
            texts << "255";
        const QLineEdit *edit = box->lineEdit();
        const QMargins margins = edit->textMargins();
        const int room = edit->contentsRect().width() - margins.left() - margins.right() - 4;
        for (const QString &text : texts) {
            const int width = edit->fontMetrics().horizontalAdvance(text);
            QVERIFY2(width + 2 <= room, qPrintable(QStringLiteral("%1 \"%2\": %3 + 2 > %4")
                                                       .arg(box->objectName(), text).arg(width).arg(room)));
        }
    }
}

void tst_PageEditor::reset_isIdempotent()
{
    fillRow(*m_editor, 0, 1, "60", "3", "HOLA");
    for (int i = 0; i < 6; ++i)
        m_editor->cmdAgregar_Click();
    m_store.setEntry(39, 19, "1\x02" "1X");
    for (int i = 0; i < 3; ++i)
        m_editor->reset();

    QCOMPARE(m_editor->nextRow(), 4);
    QCOMPARE(m_editor->currentPage(), 1);
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  1"));
    QCOMPARE(visibleRows(*m_editor), 4);
    QCOMPARE(m_store, zlx::MessageStore());
    for (int r = 0; r < zlx::PageEditor::kRows; ++r) {
        const zlx::EditorRow &row = m_editor->row(r);
        QCOMPARE(row.isVisible(), r < 4);
        QCOMPARE(row.cmbEfecto->count(), 9);
        QCOMPARE(row.cmbEfecto->itemText(0), QStringLiteral("Texto Fijo"));
        QCOMPARE(row.cmbEfecto->itemText(8), QStringLiteral("Color B"));
        QCOMPARE(row.cmbEfecto->currentIndex(), -1);
        QCOMPARE(row.cmbEfecto->currentText(), QString());
        QCOMPARE(row.cmbFuente->count(), 3);
        QCOMPARE(row.cmbFuente->currentText(), QString());
        QVERIFY(row.Text2->isReadOnly());
        QCOMPARE(row.Text2->text(), QString());
        QCOMPARE(row.cmbVelocidad->currentText(), QString());
        QCOMPARE(row.Text1->text(), QString());
    }
    // The amount list keeps the items of the row's last effect choice.
    QCOMPARE(m_editor->row(0).cmbVelocidad->count(), 12);
    QCOMPARE(m_editor->row(1).cmbVelocidad->count(), 0);
}

void tst_PageEditor::saveShownPage_bytes_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<QString>("typedEffect");  // replaces the selection when not empty
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("Texto Fijo, 7 characters") << 0 << "" << "2" << "2" << "HOLA"
                                              << QByteArray("1\x02" "2HOLA");
    QTest::newRow("enye in the text") << 1 << "" << "4" << "1" << QStringLiteral("AÑOñ")
                                      << QByteArray("2\x04" "1A\x1EO\x1F");
    QTest::newRow("amount 209 stays 209") << 3 << "" << "209" << "2" << "x"
                                          << QByteArray("4\xD1" "2x");
    QTest::newRow("Hora sample time") << 6 << "" << "2" << "2" << "12:30 pm  "
                                      << QByteArray("7\x02" "212:30 pm  ");
    QTest::newRow("typed effect name") << -1 << "Caida" << "5" << "1" << "A"
                                       << QByteArray("3\x05" "1A");
    QTest::newRow("text over a line edit's usual limit") << 0 << "" << "2" << "2" << QString(40000, u'L')
                                                         << "1\x02" "2" + QByteArray(40000, 'L');
}

void tst_PageEditor::saveShownPage_bytes()
{
    QFETCH(int, effect);
    QFETCH(QString, typedEffect);
    QFETCH(QString, amount);
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);

    fillRow(*m_editor, 0, effect, amount, font, text);
    if (!typedEffect.isEmpty())
        m_editor->row(0).cmbEfecto->setEditText(typedEffect);
    m_editor->row(0).cmbVelocidad->setEditText(amount);
    m_editor->row(0).cmbFuente->setEditText(font);
    m_editor->row(0).Text1->setText(text);
    QVERIFY(m_editor->SaveShownPage(2));
    QCOMPARE(m_store.entry(2, 0), stored);
    QCOMPARE(m_store.entry(2, 1), QByteArray());
}

// A program read in (a project file, or a sign another program wrote) goes through the editor
// and back out to the file and to the sign byte for byte.
void tst_PageEditor::programReadIn_goesBackUnchanged_data()
{
    QTest::addColumn<QByteArrayList>("entries");  // page 1

    auto bytes = [](int from, int to, QByteArray skip = {}) {
        QByteArray b;
        for (int c = from; c <= to; ++c)
            if (!skip.contains(char(c)))
                b.append(char(c));
        return b;
    };
    QTest::newRow("DEL and C1 controls") << QByteArrayList{"1\x02" "2" + bytes(127, 159)};
    QTest::newRow("C0 controls, LF among them")
        << QByteArrayList{"2\x04" "1" + bytes(1, 29, "\r"), "3\x02" "3x\n"};
    QTest::newRow("enye codes") << QByteArrayList{"3\x05" "3A\x1E\x1F"};
    // A literal "Ñ" or "ñ" is stored as 30 or 31 once it has been on the screen.
    QTest::newRow("upper Latin-1 but Ñ ñ") << QByteArrayList{"8\x03" "2" + bytes(160, 255, "\xD1\xF1")};
    QTest::newRow("amounts LF, DEL, 159, 255")
        << QByteArrayList{"4\x0A" "1a", "5\x7F" "2", "6\x9F" "3\x7F", "9\xFF" "1"};
    QTest::newRow("Hora with its own text") << QByteArrayList{"7\x02" "29:15 am", "7\x01" "1"};
}

void tst_PageEditor::programReadIn_goesBackUnchanged()
{
    QFETCH(QByteArrayList, entries);
    const zlx::SignModel model{20, 4};
    QByteArray file;
    for (int line = 0; line < 400; ++line)
        file += entries.value(line) + "\r\n";

    zlx::project::load(*zlx::project::decodeLines(file), m_store);
    m_editor->showFirstPage();
    QVERIFY(m_editor->SaveShownPage(0));
    QVERIFY(!zlx::findUnsendableEntry(m_store, model));
    QCOMPARE(zlx::project::encode(m_store, 20), file);

    // The sign keeps each frame's data at its address; a read-back returns the pages so.
    QList<QByteArray> images(20);
    for (const QByteArray &frame : zlx::buildFrameList(zlx::buildPageImages(m_store, model).images, model))
        images[(quint8(frame.at(3)) - 24) / 4] += frame.mid(6, quint8(frame.at(5)));
    zlx::MessageStore readBack;
    zlx::decodePageImages(images, 20, readBack);
    QCOMPARE(zlx::project::encode(readBack, 20), file);
}

void tst_PageEditor::saveShownPage_stopsAtFirstEmptyEffect()
{
    m_editor->cmdAgregar_Click();
    for (int r = 0; r < 5; ++r)
        fillRow(*m_editor, r, r, "2", "1", QString::number(r));
    QVERIFY(m_editor->SaveShownPage(0));
    const QByteArray row3 = m_store.entry(0, 3), row4 = m_store.entry(0, 4);
    QCOMPARE(row4, QByteArray("5\x02" "14"));

    m_editor->row(2).cmbEfecto->setEditText(QString());
    QVERIFY(m_editor->SaveShownPage(0));
    QCOMPARE(m_store.entry(0, 1), QByteArray("2\x02" "11"));
    QCOMPARE(m_store.entry(0, 2), QByteArray());
    QCOMPARE(m_store.entry(0, 3), row3);
    QCOMPARE(m_store.entry(0, 4), row4);

    m_editor->ShowPage(0);
    QCOMPARE(m_editor->nextRow(), 2);
    QCOMPARE(m_editor->row(1).Text1->text(), QStringLiteral("1"));
    for (int r = 2; r < 5; ++r) {
        QCOMPARE(m_editor->row(r).cmbEfecto->currentText(), QString());
        QCOMPARE(m_editor->row(r).Text1->text(), QString());
        QVERIFY(m_editor->row(r).isVisible());  // ShowPage never hides a row
    }
}

void tst_PageEditor::showPage_fullAndEmptyPages()
{
    for (int r = 0; r < 20; ++r)
        m_store.setEntry(3, r, entryOf(char('1' + r % 9), r + 1, '2', "R" + QByteArray::number(r)));
    m_editor->ShowPage(3);
    QCOMPARE(m_editor->nextRow(), 19);
    QCOMPARE(visibleRows(*m_editor), 20);
    QCOMPARE(m_editor->row(19).Text1->text(), QStringLiteral("R19"));
    QCOMPARE(m_editor->row(19).cmbVelocidad->currentText(), QStringLiteral("20"));
    QCOMPARE(m_editor->row(19).cmbEfecto->currentIndex(), 19 % 9);

    m_editor->ShowPage(4);
    QCOMPARE(m_editor->nextRow(), 0);
    QCOMPARE(visibleRows(*m_editor), 20);
    for (int r = 0; r < 20; ++r)
        QCOMPARE(m_editor->row(r).cmbEfecto->currentIndex(), -1);
    // ShowPage changes neither the page number nor the label.
    QCOMPARE(m_editor->currentPage(), 1);
    QCOMPARE(m_editor->lblPagina()->text(), QStringLiteral("PAGINA:  1"));
}

void tst_PageEditor::showPage_reappliesTheRuleOfTheSameEffect()
{
    zlx::EditorRow &row = m_editor->row(0);
    row.cmbEfecto->setCurrentIndex(1);
    row.Text2->clear();
    row.cmbVelocidad->clear();
    m_store.setEntry(0, 0, entryOf('2', 7, '1', "X"));
    m_editor->ShowPage(0);
    QCOMPARE(row.Text2->text(), QStringLiteral("N veces"));
    QCOMPARE(row.cmbVelocidad->count(), 12);
    QCOMPARE(row.cmbVelocidad->currentText(), QStringLiteral("7"));
}

void tst_PageEditor::showPage_malformedEntries()
{
    m_store.setEntry(0, 0, "2");                   // too short: no amount, no font
    m_store.setEntry(0, 1, entryOf('3', 5, '7', "A"));  // font out of range
    m_store.setEntry(0, 2, "X\x02" "1B");          // effect not a digit: the page ends
    m_store.setEntry(0, 3, entryOf('1', 2, '1', "C"));
    m_editor->ShowPage(0);
    QCOMPARE(m_editor->nextRow(), 2);
    QCOMPARE(m_editor->row(0).cmbEfecto->currentText(), QStringLiteral("Parpadeo"));
    QCOMPARE(m_editor->row(0).cmbVelocidad->currentText(), QString());
    QCOMPARE(m_editor->row(0).cmbFuente->currentText(), QString());
    QCOMPARE(m_editor->row(1).cmbFuente->currentText(), QString());
    QCOMPARE(m_editor->row(1).cmbFuente->currentIndex(), -1);
    QCOMPARE(m_editor->row(1).Text1->text(), QStringLiteral("A"));
    QCOMPARE(m_editor->row(3).Text1->text(), QString());
}

QTEST_MAIN(tst_PageEditor)
#include "tst_pageeditor.moc"
