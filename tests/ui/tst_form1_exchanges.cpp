// How the window shows the end of each exchange: panel 1 never keeps "work in progress" after a
// failure, a failed read-back puts the earlier program and page back and says so, and a device
// the user may not open is named once in the status bar's tooltip.
#include "Form1Harness.h"
#include "protocol/Frames.h"
#include "session/OperatorTexts.h"

#include <QLabel>
#include <QTest>

using namespace zlx;
using namespace editortest;

namespace {
const QByteArray kAck = QByteArray::fromHex("b5");

QByteArray block(const QByteArray &bytes)
{
    return kAck + bytes.leftJustified(64, '\0', true) + QByteArray(1, '\0');
}
QByteArray signPage1()
{
    return block(QByteArray::fromHex("010203") + "01 PAGINA " + QByteArray(1, '\0')
                 + QByteArray::fromHex("030201") + "SIGN" + QByteArray(2, '\0'));
}
}  // namespace

class tst_Form1Exchanges : public QObject
{
    Q_OBJECT
private slots:
    void endings_data();
    void endings();
    void permissionNote();
};

void tst_Form1Exchanges::endings_data()
{
    QTest::addColumn<bool>("read");
    QTest::addColumn<QList<QByteArray>>("answers");  // "tick": the response time passes
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("box");
    QTest::addColumn<QString>("row0");               // the text of row 0 afterwards
    const QByteArray end = block(QByteArray(1, char(0xFF)));
    auto row = [](const char *name, bool read, QList<QByteArray> answers, Outcome o, bool box, const char *row0) {
        QTest::newRow(name) << read << answers << int(o) << box << QString::fromLatin1(row0);
    };
    row("send completes", false, {kAck, kAck, kAck}, Outcome::Completed, true, "MINE");
    row("send: wrong answer", false, {kAck, QByteArray(1, '\0')}, Outcome::WrongAnswer, false, "MINE");
    row("send: silence", false, {kAck, "tick"}, Outcome::Timeout, true, "MINE");
    row("send: port lost", false, {"vanish"}, Outcome::PortLost, true, "MINE");
    row("read completes", true, {signPage1(), end}, Outcome::Completed, true, "SIGN");
    row("read: bad mark", true, {QByteArray(66, '\0')}, Outcome::WrongAnswer, true, "MINE");
    row("read: page 2 unreadable", true, {signPage1(), block("??")}, Outcome::ForeignPage, true, "SIGN");
    row("read: port lost", true, {"vanish"}, Outcome::PortLost, true, "MINE");
}

void tst_Form1Exchanges::endings()
{
    QFETCH(bool, read);
    QFETCH(QList<QByteArray>, answers);
    QFETCH(int, outcome);
    QFETCH(bool, box);
    Form1Harness h;
    h.detect(1);
    fillRow(h.editor(), 0, 0, QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("MINE"));
    h.save(QStringLiteral("prog.zlx"));
    h.editor().cmdSubir_Click();  // the operator is on page 2 with an empty first row
    h.editor().cmdBajar_Click();
    for (int i = 0; i < 6; ++i)
        h.editor().cmdAgregar_Click();
    const int rowsShown = visibleRows(h.editor());
    (read ? h.form->cmdLeer : h.form->cmdEnviar)->click();
    QCOMPARE(h.form->panelText(1), read ? texts::reading() : texts::sending());
    QStringList panels;
    for (const QByteArray &answer : answers) {
        if (answer == "tick")
            QVERIFY(h.timer1->fire());
        else if (answer == "vanish")
            h.port->vanish();
        else
            h.port->deliver(answer);
        panels << h.form->panelText(1);
    }
    // Progress shows while the exchange runs, then a statement of how it ended.
    if (answers.size() > 1)
        QCOMPARE(panels.constFirst(), read ? texts::readProgress(1, 1) : texts::sendProgress(1));
    ExchangeReport report;
    report.exchange = read ? Exchange::Read : Exchange::Send;
    report.outcome = Outcome(outcome);
    report.port = 1;
    report.page = read && report.outcome == Outcome::ForeignPage ? int(answers.size()) - 1 : -1;
    if (read && report.outcome != Outcome::Completed && report.page != 1)
        report.givenBack = EditorView{};
    const texts::Ending ending = texts::ending(report);
    QCOMPARE(h.form->panelText(1), ending.panel);
    QCOMPARE(h.boxes->texts(), box ? QStringList{ending.message} : QStringList{});
    QTEST(h.editor().row(0).Text1->text(), "row0");
    if (report.givenBack) {
        // The earlier program comes back as the operator left it, with the file name.
        QCOMPARE(visibleRows(h.editor()), rowsShown);
        QCOMPARE(h.form->panelText(3), h.path(QStringLiteral("prog.zlx")));
    }
    // Every statement fits panel 1.
    const auto *panel1 = h.form->findChild<QLabel *>(QStringLiteral("panel1"));
    QVERIFY(panel1->fontMetrics().horizontalAdvance(ending.panel) <= panel1->contentsRect().width());
    const bool lost = report.outcome == Outcome::PortLost;
    QCOMPARE(h.form->cmdEnviar->isEnabled(), !lost);  // a lost port sends the scan looking again
}

void tst_Form1Exchanges::permissionNote()
{
    Form1Harness h;
    h.port->existing = {};
    h.port->refusing = {3};
    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(h.timer2->fire());
        for (int step = 0; step < 45 && h.timer1->fire(); ++step) {
        }
    }
    const QString tip = h.form->findChild<QWidget *>(QStringLiteral("StatusBar1"))->toolTip();
    QVERIFY2(tip.contains(QStringLiteral("/dev/ttyS2")), qPrintable(tip));
    QVERIFY(tip.contains(QStringLiteral("«")));  // names the group
    QCOMPARE(h.form->panelText(1), texts::searching());  // the defined panel texts stay
}

QTEST_MAIN(tst_Form1Exchanges)
#include "tst_form1_exchanges.moc"
