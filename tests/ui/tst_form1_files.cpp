// The main window's commands through its buttons: Send and its refusals, project files, New.
#include "Form1Harness.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

using editortest::fillRow;
using zlx::FileDialogKind;
using zlx::LinkMode;
using zlx::MessageIcon;

namespace {
const QByteArray kExampleEntry("1\x02" "2ABC");
// The worked example: page 1 of a 20-page sign with one row, FrameList(0).
const QByteArray kExampleFrame = QByteArray::fromHex(
    "a51b02180016010203303120504147494e412000010202414243000000");
}  // namespace

class tst_Form1Files : public QObject
{
    Q_OBJECT
private slots:
    void send_writesTheFirstFrame();
    void send_emptyFirstRowDoesNothing();
    void send_unknownModelIsRefusedBeforeTheLinkMoves();
    void send_invalidRowIsRefused_data();
    void send_invalidRowIsRefused();
    void send_entryFromAFileIsRefused_data();
    void send_entryFromAFileIsRefused();

    void save_writesTheExampleFile();
    void save_beforeDetectionWritesFortyPages();
    void save_failureChangesNothing_data();
    void save_failureChangesNothing();
    void save_cancelledIsSilent();
    void open_loadsAndShowsPageOne();
    void open_failureKeepsTheProgram_data();
    void open_failureKeepsTheProgram();
    void open_oddFiles();
    void open_fortyPagesWithTwentyPageSign();
    void saveOpenSave_isByteIdentical();

    void nuevo();
};

void tst_Form1Files::send_writesTheFirstFrame()
{
    Form1Harness h;
    h.detect(1);
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    const auto before = h.port->writes.size();
    h.form->cmdEnviar->click();
    QCOMPARE(h.port->writes.mid(before), QList<QByteArray>{kExampleFrame});
    QCOMPARE(h.form->store().entry(0, 0), kExampleEntry);
    QCOMPARE(h.form->link()->mode(), LinkMode::Program);
    QVERIFY(h.form->link()->programBusy());
    QCOMPARE(h.form->panelText(1), QStringLiteral("Enviando ..."));
    QVERIFY(h.boxes->shown.isEmpty());
}

void tst_Form1Files::send_emptyFirstRowDoesNothing()
{
    Form1Harness h;
    h.detect(1);
    const auto before = h.port->writes.size();
    h.form->cmdEnviar->click();
    QCOMPARE(h.port->writes.size(), before);
    QCOMPARE(h.form->link()->mode(), LinkMode::Idle);
    QCOMPARE(h.form->panelText(1), QStringLiteral("Letrero detectado"));
    QVERIFY(h.boxes->shown.isEmpty());
}

void tst_Form1Files::send_unknownModelIsRefusedBeforeTheLinkMoves()
{
    Form1Harness h;
    h.detect(3);
    QVERIFY(h.form->cmdEnviar->isEnabled());
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    const auto before = h.port->writes.size();
    h.form->cmdEnviar->click();
    QCOMPARE(h.boxes->shown.size(), 1);
    QCOMPARE(h.boxes->shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(h.port->writes.size(), before);
    QCOMPARE(h.form->link()->mode(), LinkMode::Idle);
    QVERIFY(!h.form->link()->programBusy());
    QVERIFY(!h.timer1->isEnabled());
}

void tst_Form1Files::send_invalidRowIsRefused_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("font");
    QTest::newRow("amount 0") << "0" << "2";
    QTest::newRow("amount 13") << "13" << "2";
    QTest::newRow("amount 256") << "256" << "2";
    QTest::newRow("font 4") << "2" << "4";
}

void tst_Form1Files::send_invalidRowIsRefused()
{
    QFETCH(QString, amount);
    QFETCH(QString, font);
    Form1Harness h;
    h.detect(1);
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    fillRow(h.editor(), 1, 0, amount, font, "DEF");
    const auto before = h.port->writes.size();
    h.form->cmdEnviar->click();
    QCOMPARE(h.boxes->shown.size(), 1);
    QVERIFY2(h.boxes->shown[0].text.contains(QStringLiteral("página 1, fila 2")), qPrintable(h.boxes->shown[0].text));
    QCOMPARE(h.port->writes.size(), before);
    QVERIFY(!h.form->link()->programBusy());
    QCOMPARE(h.form->link()->mode(), LinkMode::Idle);
    QCOMPARE(h.form->panelText(1), QStringLiteral("Letrero detectado"));
    QVERIFY(h.form->store().entry(0, 0).isEmpty());
}

void tst_Form1Files::send_entryFromAFileIsRefused_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::newRow("effect A") << QByteArray("A\x02" "2x");
    QTest::newRow("amount 0") << QByteArray("1\x00" "2x", 4);
    QTest::newRow("font 9") << QByteArray("1\x02" "9x");
}

void tst_Form1Files::send_entryFromAFileIsRefused()
{
    QFETCH(QByteArray, entry);
    Form1Harness h;
    h.detect(1);
    // Page 1 is clean; the bad entry is row 2 of page 2, never shown.
    h.writeFile("bad.zlx", projectBytes({kExampleEntry, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
                                         {}, {}, {}, {}, {}, kExampleEntry, entry}, 40));
    h.open("bad.zlx");
    QCOMPARE(h.form->store().entry(1, 1), entry);
    const auto before = h.port->writes.size();
    h.form->cmdEnviar->click();
    QCOMPARE(h.boxes->shown.size(), 1);
    QVERIFY2(h.boxes->shown[0].text.contains(QStringLiteral("página 2, fila 2")), qPrintable(h.boxes->shown[0].text));
    QCOMPARE(h.port->writes.size(), before);
    QVERIFY(!h.form->link()->programBusy());
    QCOMPARE(h.form->link()->mode(), LinkMode::Idle);
}

void tst_Form1Files::save_writesTheExampleFile()
{
    Form1Harness h;
    h.detect(1);
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    h.save("example.zlx");
    QCOMPARE(h.dialogs, QList<FileDialogKind>{FileDialogKind::Save});
    const QByteArray expected = QByteArray::fromHex("3102324142430d0a") + QByteArray("\r\n").repeated(399);
    QCOMPARE(expected.size(), 806);
    QCOMPARE(Form1Harness::readFile(h.path("example.zlx")), expected);
    QCOMPARE(h.form->panelText(3), h.path("example.zlx"));
    QCOMPARE(h.form->projectFileName(), h.path("example.zlx"));
    QVERIFY(h.boxes->shown.isEmpty());
}

void tst_Form1Files::save_beforeDetectionWritesFortyPages()
{
    Form1Harness h;
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    h.save("early.zlx");
    const QByteArray bytes = Form1Harness::readFile(h.path("early.zlx"));
    QCOMPARE(bytes.count("\r\n"), 800);
    QVERIFY(bytes.startsWith(kExampleEntry + "\r\n\r\n"));
}

void tst_Form1Files::save_failureChangesNothing_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("missing folder") << "missing/p.zlx";
    QTest::newRow("under a regular file") << "plain.txt/p.zlx";
}

void tst_Form1Files::save_failureChangesNothing()
{
    QFETCH(QString, target);
    Form1Harness h;
    h.detect(1);
    h.writeFile("plain.txt", "keep");
    h.save("good.zlx");
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    h.save(target);
    QCOMPARE(h.boxes->shown.size(), 1);
    QCOMPARE(h.boxes->shown[0].icon, MessageIcon::Exclamation);
    QCOMPARE(h.form->panelText(3), h.path("good.zlx"));
    QCOMPARE(h.form->projectFileName(), h.path("good.zlx"));
    QVERIFY(!QFileInfo::exists(h.path(target)));
    QCOMPARE(Form1Harness::readFile(h.path("plain.txt")), QByteArray("keep"));
    QCOMPARE(QDir(h.dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 2);
}

void tst_Form1Files::save_cancelledIsSilent()
{
    Form1Harness h;
    h.detect(1);
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    h.save({});
    QVERIFY(h.boxes->shown.isEmpty());
    QCOMPARE(h.form->panelText(3), QStringLiteral("Paginas soportadas: 20"));
    QCOMPARE(h.form->projectFileName(), QString());
    QVERIFY(QDir(h.dir.path()).isEmpty());
    // The shown page has reached the store all the same.
    QCOMPARE(h.form->store().entry(0, 0), kExampleEntry);
}

void tst_Form1Files::open_loadsAndShowsPageOne()
{
    Form1Harness h;
    h.detect(1);
    h.writeFile("two.zlx", projectBytes({kExampleEntry, QByteArray("7\x0a" "1Diez")}, 400));
    h.editor().cmdAgregar_Click();
    fillRow(h.editor(), 4, 2, "5", "1", "old");
    h.open("two.zlx");
    QCOMPARE(h.form->store().entry(0, 0), kExampleEntry);
    QCOMPARE(h.form->store().entry(0, 1), QByteArray("7\x0a" "1Diez"));
    QCOMPARE(h.editor().currentPage(), 1);
    QCOMPARE(h.editor().row(1).Text1->text(), QStringLiteral("Diez"));
    QCOMPARE(h.editor().row(1).cmbVelocidad->currentText(), QStringLiteral("10"));
    QVERIFY(h.editor().row(2).Text1->text().isEmpty());
    QVERIFY(!h.editor().row(4).isVisible());
    QCOMPARE(h.form->panelText(3), h.path("two.zlx"));
    QCOMPARE(h.form->projectFileName(), h.path("two.zlx"));
    QVERIFY(h.boxes->shown.isEmpty());
}

void tst_Form1Files::open_failureKeepsTheProgram_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("message");
    QTest::newRow("cancelled") << "" << false;
    QTest::newRow("missing") << "nothere.zlx" << true;
    QTest::newRow("a folder") << "folder" << true;
    QTest::newRow("821 lines") << "long.zlx" << true;
}

void tst_Form1Files::open_failureKeepsTheProgram()
{
    QFETCH(QString, name);
    QFETCH(bool, message);
    Form1Harness h;
    h.detect(1);
    QVERIFY(QDir(h.dir.path()).mkdir("folder"));
    h.writeFile("long.zlx", projectBytes({QByteArray("1\x02" "2new")}, 821));
    h.form->store().setEntry(1, 0, kExampleEntry);
    fillRow(h.editor(), 0, 0, "2", "2", "kept");
    h.open(name);
    QCOMPARE(h.boxes->shown.size(), message ? 1 : 0);
    QCOMPARE(h.form->store().entry(1, 0), kExampleEntry);
    QCOMPARE(h.editor().row(0).Text1->text(), QStringLiteral("kept"));
    QCOMPARE(h.form->panelText(3), QStringLiteral("Paginas soportadas: 20"));
}

void tst_Form1Files::open_oddFiles()
{
    Form1Harness h;
    h.detect(1);
    QList<QByteArray> lines;
    for (int k = 0; k < 820; ++k)
        lines << "1\x02" "2L" + QByteArray::number(k);
    h.writeFile("full.zlx", projectBytes(lines, 820));
    h.open("full.zlx");
    QVERIFY(h.boxes->shown.isEmpty());
    QCOMPARE(h.form->store().entry(40, 19), QByteArray("1\x02" "2L819"));
    QCOMPARE(h.editor().row(19).Text1->text(), QStringLiteral("L19"));

    QRandomGenerator rng(20240);
    QByteArray noise(6000, '\0');
    for (char &c : noise)
        c = char(rng.bounded(256));
    h.writeFile("noise.zlx", noise);
    h.open("noise.zlx");
    QCOMPARE(h.form->panelText(3), h.path("noise.zlx"));
    QCOMPARE(h.editor().currentPage(), 1);
}

void tst_Form1Files::open_fortyPagesWithTwentyPageSign()
{
    Form1Harness h;
    h.detect(1);
    QList<QByteArray> lines(800);
    lines[0] = kExampleEntry;
    lines[39 * 20] = QByteArray("2\x05" "1last");
    h.writeFile("forty.zlx", projectBytes(lines, 800));
    h.open("forty.zlx");
    QCOMPARE(h.form->store().entry(39, 0), QByteArray("2\x05" "1last"));
    h.save("twenty.zlx");
    QCOMPARE(Form1Harness::readFile(h.path("twenty.zlx")), projectBytes({kExampleEntry}, 400));
}

void tst_Form1Files::saveOpenSave_isByteIdentical()
{
    Form1Harness h;
    h.detect(2);
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    fillRow(h.editor(), 1, 1, "10", "3", QStringLiteral("Año Ñandú"));
    h.editor().cmdSubir_Click();
    fillRow(h.editor(), 0, 6, "255", "1", "12:00");
    h.save("a.zlx");
    const zlx::MessageStore saved = h.form->store();
    h.open("a.zlx");
    QCOMPARE(h.form->store(), saved);
    h.save("b.zlx");
    const QByteArray a = Form1Harness::readFile(h.path("a.zlx"));
    QCOMPARE(a.count("\r\n"), 800);
    QVERIFY(a.contains("2\x0a" "3A\x1fo \x1e" "and\xfa\r\n"));
    QCOMPARE(Form1Harness::readFile(h.path("b.zlx")), a);
}

void tst_Form1Files::nuevo()
{
    Form1Harness h;
    h.detect(1);
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    h.save("p.zlx");
    h.editor().cmdSubir_Click();
    fillRow(h.editor(), 0, 1, "3", "1", "two");

    h.form->cmdNuevo->click();
    QCOMPARE(h.boxes->questions,
             QStringList{QStringLiteral("¿ Desea crear un nuevo proyecto ?\nLas modificaciones que no haya "
                                        "guardado se perderán")});
    QCOMPARE(h.form->store().entry(0, 0), kExampleEntry);
    QCOMPARE(h.editor().currentPage(), 2);
    QCOMPARE(h.editor().row(0).Text1->text(), QStringLiteral("two"));

    h.boxes->answerYes = true;
    h.form->cmdNuevo->click();
    QCOMPARE(h.form->store(), zlx::MessageStore());
    QCOMPARE(h.editor().currentPage(), 1);
    QCOMPARE(h.editor().row(0).Text1->text(), QString());
    QCOMPARE(h.form->panelText(3), h.path("p.zlx"));
    QCOMPARE(h.form->projectFileName(), h.path("p.zlx"));
    QVERIFY(h.form->cmdEnviar->isEnabled());
    QVERIFY(h.boxes->shown.isEmpty());
}

QTEST_MAIN(tst_Form1Files)
#include "tst_form1_files.moc"
