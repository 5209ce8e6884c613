// The main window's commands through its buttons: Send and its refusals, project files, New.
#include "Form1Harness.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
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
    void send_refused_data();
    void send_refused();

    void save_writesTheExampleFile_data();
    void save_writesTheExampleFile();
    void save_failureOrCancelChangesNothing_data();
    void save_failureOrCancelChangesNothing();
    void open_loadsAndShowsPageOne();
    void open_failureKeepsTheProgram_data();
    void open_failureKeepsTheProgram();

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

void tst_Form1Files::send_refused_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArrayList>("file");  // the program opened from a file, if any
    QTest::addColumn<QString>("amount");       // of row 1 on the screen
    QTest::addColumn<QString>("box");          // "": nothing to tell, nothing sent

    const QByteArrayList none;
    QTest::newRow("empty first row") << 1 << none << "" << "";
    QTest::newRow("unknown model") << 3 << none << "" << "modelo";
    QTest::newRow("invalid row on the screen") << 1 << none << "13" << "página 1, fila 2";
    // Page 1 is clean; the bad entry is row 2 of page 2, never shown.
    QByteArrayList file(22);
    file[0] = file[20] = kExampleEntry;
    file[21] = "A\x02" "2x";
    QTest::newRow("entry from a file") << 1 << file << "" << "página 2, fila 2";
}

void tst_Form1Files::send_refused()
{
    QFETCH(int, model);
    QFETCH(QByteArrayList, file);
    QFETCH(QString, amount);
    QFETCH(QString, box);
    Form1Harness h;
    h.detect(model);
    if (!file.isEmpty()) {
        h.writeFile("bad.zlx", projectBytes(file, 40));
        h.open("bad.zlx");
    } else if (!box.isEmpty()) {
        fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    }
    if (!amount.isEmpty())
        fillRow(h.editor(), 1, 0, amount, "2", "DEF");
    const QString panel = h.form->panelText(1);
    const auto before = h.port->writes.size();
    h.form->cmdEnviar->click();
    QCOMPARE(h.boxes->texts().size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        QCOMPARE(h.boxes->shown[0].icon, MessageIcon::Exclamation);
        QVERIFY2(h.boxes->shown[0].text.contains(box), qPrintable(h.boxes->shown[0].text));
    }
    QCOMPARE(h.port->writes.size(), before);
    QCOMPARE(h.form->link()->mode(), LinkMode::Idle);
    QVERIFY(!h.form->link()->programBusy());
    QVERIFY(!h.timer1->isEnabled());
    QCOMPARE(h.form->panelText(1), panel);
}

void tst_Form1Files::save_writesTheExampleFile_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lines");
    QTest::newRow("20-page sign") << 1 << 400;
    QTest::newRow("before detection: every page") << 0 << 800;
}

void tst_Form1Files::save_writesTheExampleFile()
{
    QFETCH(int, code);
    QFETCH(int, lines);
    Form1Harness h;
    if (code)
        h.detect(code);
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    h.save("example.zlx");
    QCOMPARE(h.dialogs, QList<FileDialogKind>{FileDialogKind::Save});
    const QByteArray expected = QByteArray::fromHex("3102324142430d0a") + QByteArray("\r\n").repeated(lines - 1);
    QCOMPARE(Form1Harness::readFile(h.path("example.zlx")), expected);
    QCOMPARE(h.form->panelText(3), h.path("example.zlx"));
    QCOMPARE(h.form->projectFileName(), h.path("example.zlx"));
    QVERIFY(h.boxes->shown.isEmpty());
}

void tst_Form1Files::save_failureOrCancelChangesNothing_data()
{
    QTest::addColumn<QString>("target");  // "": the dialog is cancelled
    QTest::newRow("cancelled") << "";
    QTest::newRow("under a regular file") << "plain.txt/p.zlx";
}

void tst_Form1Files::save_failureOrCancelChangesNothing()
{
    QFETCH(QString, target);
    Form1Harness h;
    h.detect(1);
    h.writeFile("plain.txt", "keep");
    h.save("good.zlx");
    fillRow(h.editor(), 0, 0, "2", "2", "ABC");
    h.save(target);
    QCOMPARE(h.boxes->shown.size(), target.isEmpty() ? 0 : 1);
    QCOMPARE(h.form->panelText(3), h.path("good.zlx"));
    QCOMPARE(h.form->projectFileName(), h.path("good.zlx"));
    QCOMPARE(Form1Harness::readFile(h.path("plain.txt")), QByteArray("keep"));
    QCOMPARE(QDir(h.dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 2);
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
    QTest::newRow("821 lines") << "long.zlx" << true;
}

void tst_Form1Files::open_failureKeepsTheProgram()
{
    QFETCH(QString, name);
    QFETCH(bool, message);
    Form1Harness h;
    h.detect(1);
    h.writeFile("long.zlx", projectBytes({QByteArray("1\x02" "2new")}, 821));
    h.form->store().setEntry(1, 0, kExampleEntry);
    fillRow(h.editor(), 0, 0, "2", "2", "kept");
    h.open(name);
    QCOMPARE(h.boxes->shown.size(), message ? 1 : 0);
    QCOMPARE(h.form->store().entry(1, 0), kExampleEntry);
    QCOMPARE(h.editor().row(0).Text1->text(), QStringLiteral("kept"));
    QCOMPARE(h.form->panelText(3), QStringLiteral("Paginas soportadas: 20"));
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
    QCOMPARE(h.editor().row(0).Text1->text(), QStringLiteral("two"));  // "No" changes nothing

    h.boxes->answerYes = true;
    h.form->cmdNuevo->click();
    QCOMPARE(h.form->store(), zlx::MessageStore());
    QCOMPARE(h.editor().currentPage(), 1);
    QCOMPARE(h.editor().row(0).Text1->text(), QString());
    QCOMPARE(h.form->panelText(3), h.path("p.zlx"));
    QVERIFY(h.form->cmdEnviar->isEnabled());
}

QTEST_MAIN(tst_Form1Files)
#include "tst_form1_files.moc"
