// The link's state machine against a scripted port and hand-fired timers.
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "link/Frames.h"
#include "link/PageImages.h"
#include "link/SignLink.h"

#include <QSignalSpy>
#include <QTest>

using namespace zlx;
using namespace std::chrono_literals;

namespace {
const QByteArray kProbe = QByteArray::fromHex("a5050100000200");
const QByteArray kAck = QByteArray::fromHex("b5");

struct Rig
{
    ScriptedPort port;
    ManualTicker timer1;
    ManualTicker timer2;
    SignLink link{&port, &timer1, &timer2};
    QMap<int, QString> panels;
    QString title;
    QList<QString> messages;
    bool buttons = false;

    Rig()
    {
        QObject::connect(&link, &SignLink::panelText, [this](int p, const QString &t) { panels[p] = t; });
        QObject::connect(&link, &SignLink::titleChanged, [this](const QString &t) { title = t; });
        QObject::connect(&link, &SignLink::message, [this](MessageIcon, const QString &t) {
            // A message is the last step: the link is idle when it shows.
            QCOMPARE(link.mode(), LinkMode::Idle);
            messages.append(t);
        });
        QObject::connect(&link, &SignLink::sendButtonsEnabled, [this](bool on) { buttons = on; });
    }

    // Scan until the probe has gone to COM n, then let the sign answer there.
    void detectOn(int n, const QByteArray &answer)
    {
        port.existing = {n};
        link.SetUpLink();
        QVERIFY(timer2.fire());
        for (int i = 1; i < n; ++i)
            QVERIFY(timer1.fire());
        port.deliver(answer);
    }
};

QByteArray readAnswer(const QByteArray &block)
{
    return kAck + block.leftJustified(64, '\0', true) + QByteArray(1, '\0');
}
}  // namespace

class TestSignLink : public QObject
{
    Q_OBJECT
private slots:
    void scanPassVisitsCom1To40AndRestarts();
    void detection_data();
    void detection();
    void detectionEndsTheScanForGood();
    void transferAcknowledgedFrameByFrame();
    void transferWrongAnswers_data();
    void transferWrongAnswers();
    void responseTimeoutInBothExchanges_data();
    void responseTimeoutInBothExchanges();
    void transferPortThatCannotOpen();
    void readBackRequestsAndEnds();
    void readBackMarkInsidePageIsText();
    void readBackBadAnswers_data();
    void readBackBadAnswers();
    void lateAnswerWhileIdleIsDropped();
};

void TestSignLink::scanPassVisitsCom1To40AndRestarts()
{
    Rig rig;
    rig.port.existing = {2, 5};
    rig.link.SetUpLink();
    QVERIFY(rig.timer2.isEnabled());
    QCOMPARE(rig.timer2.interval(), 1000ms);
    QCOMPARE(rig.port.receiveThreshold(), 4);

    for (int pass = 0; pass < 2; ++pass) {
        rig.port.writes.clear();
        rig.port.writePorts.clear();
        QVERIFY(rig.timer2.fire());
        QCOMPARE(rig.link.mode(), LinkMode::Detect);
        QCOMPARE(rig.panels[1], QStringLiteral("Buscando dispositivo..."));
        QCOMPARE(rig.panels[2], QStringLiteral("ZANTOLUX"));
        QVERIFY(!rig.timer2.isEnabled());
        QCOMPARE(rig.timer1.interval(), 100ms);
        int ticks = 0;
        while (rig.link.mode() == LinkMode::Detect && rig.timer1.fire())
            ++ticks;
        QCOMPARE(ticks, 39);  // COM2..COM40
        QCOMPARE(rig.link.portNumber(), 40);
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.timer1.isEnabled());
        QVERIFY(rig.timer2.isEnabled());
        // Only the ports that exist got the probe.
        QCOMPARE(rig.port.writePorts, (QList<int>{2, 5}));
        QCOMPARE(rig.port.writes, (QList<QByteArray>{kProbe, kProbe}));
    }
    QCOMPARE(rig.panels[1], QStringLiteral("Buscando dispositivo..."));
}

void TestSignLink::detection_data()
{
    QTest::addColumn<int>("com");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("detected");
    QTest::addColumn<int>("pageCount");  // 0: no model
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("panel3");

    QTest::newRow("20-page on COM1") << 1 << QByteArray::fromHex("b5010000") << true << 20
                                     << "Letreros Electronicos ZANTOLUX - Z20   v2.0" << "Paginas soportadas: 20";
    QTest::newRow("40-page on COM3") << 3 << QByteArray::fromHex("b5020000") << true << 40
                                     << "Letreros Electronicos ZANTOLUX - Z40   v2.0" << "Paginas soportadas: 40";
    QTest::newRow("unknown model code") << 2 << QByteArray::fromHex("b5030000") << true << 0 << "" << "";
    QTest::newRow("wrong mark") << 1 << QByteArray::fromHex("a5010000") << false << 0 << "" << "";
}

void TestSignLink::detection()
{
    QFETCH(int, com);
    QFETCH(QByteArray, answer);
    QFETCH(bool, detected);
    QFETCH(int, pageCount);
    QFETCH(QString, title);
    QFETCH(QString, panel3);

    Rig rig;
    rig.detectOn(com, answer);
    QCOMPARE(rig.link.signDetected(), detected);
    QCOMPARE(rig.link.model().has_value(), pageCount != 0);
    if (pageCount)
        QCOMPARE(rig.link.model()->pageCount, pageCount);
    QCOMPARE(rig.title, title);
    QCOMPARE(rig.panels.value(3), panel3);
    QVERIFY(!rig.port.isOpen());
    QCOMPARE(rig.buttons, detected);
    if (detected) {
        QCOMPARE(rig.panels[1], QStringLiteral("Letrero detectado"));
        QCOMPARE(rig.panels[2], QStringLiteral("COM%1:2400bps,8,N,1").arg(com));
        QCOMPARE(rig.link.portNumber(), com);
        QCOMPARE(rig.link.mode(), LinkMode::Idle);
        QVERIFY(!rig.timer1.isEnabled());
        QVERIFY(!rig.timer2.isEnabled());
    } else {
        QCOMPARE(rig.link.mode(), LinkMode::Detect);
        QVERIFY(rig.timer1.isEnabled());  // the scan goes on
    }
}

void TestSignLink::detectionEndsTheScanForGood()
{
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5010000"));
    const int opens = rig.port.opens;
    QVERIFY(!rig.timer1.fire());
    QVERIFY(!rig.timer2.fire());
    QCOMPARE(rig.port.opens, opens);
}

void TestSignLink::transferAcknowledgedFrameByFrame()
{
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5010000"));
    const QList<QByteArray> images{QByteArray::fromHex("0102033031205041474" "94e41200001020241424300" "00"),
                                   QByteArray::fromHex("ff")};
    QVERIFY(rig.link.beginSend());
    QCOMPARE(rig.panels[1], QStringLiteral("Enviando ..."));
    QVERIFY(!rig.link.beginSend());  // a transfer is under way
    rig.port.writes.clear();
    rig.link.startSend(images);
    QCOMPARE(rig.port.receiveThreshold(), 1);
    QCOMPARE(rig.port.writes.size(), 1);
    QCOMPARE(rig.port.writes[0].toHex(), QByteArray("a51b021800160102033031205041474" "94e4120000102024142430000" "00"));
    QCOMPARE(rig.timer1.interval(), 3000ms);

    rig.port.deliver(kAck);
    QCOMPARE(rig.panels[1], QStringLiteral("Enviando: 1 tramas"));
    QCOMPARE(rig.port.writes.last(), QByteArray::fromHex("a50602" "1c000" "1ff00"));
    rig.port.deliver(kAck);
    QCOMPARE(rig.port.writes.last(), QByteArray::fromHex("a502b500"));
    QCOMPARE(rig.port.drains, 1);
    QVERIFY(!rig.port.isOpen());
    QCOMPARE(rig.panels[1], QStringLiteral("Transmision Completa"));
    QVERIFY(!rig.link.programBusy());
    QVERIFY(!rig.timer1.isEnabled());
    QCOMPARE(rig.messages, QStringList{"Programacion finalizada correctamente"});
}

void TestSignLink::transferWrongAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("zero") << QByteArray::fromHex("00");
    QTest::newRow("ff") << QByteArray::fromHex("ff");
    QTest::newRow("two acks at once") << QByteArray::fromHex("b5b5");
}

void TestSignLink::transferWrongAnswers()
{
    QFETCH(QByteArray, answer);
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5010000"));
    QVERIFY(rig.link.beginSend());
    rig.link.startSend({QByteArray::fromHex("ff")});
    rig.port.deliver(answer);
    QCOMPARE(rig.link.mode(), LinkMode::Idle);
    QVERIFY(!rig.link.programBusy());
    QVERIFY(rig.port.isOpen());          // left open; the next exchange reopens it
    QVERIFY(rig.timer1.isEnabled());     // its ticks are idle ticks now
    QVERIFY(rig.timer1.fire());
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(rig.port.writes.last(), QByteArray::fromHex("a506021800" "01ff00"));

    // The next Send works.
    QVERIFY(rig.link.beginSend());
    rig.link.startSend({QByteArray::fromHex("ff")});
    rig.port.deliver(kAck);
    QCOMPARE(rig.messages, QStringList{"Programacion finalizada correctamente"});
}

void TestSignLink::responseTimeoutInBothExchanges_data()
{
    QTest::addColumn<bool>("reading");
    QTest::newRow("transfer") << false;
    QTest::newRow("read-back") << true;
}

void TestSignLink::responseTimeoutInBothExchanges()
{
    QFETCH(bool, reading);
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5010000"));
    QSignalSpy abandoned(&rig.link, &SignLink::readAbandoned);
    if (reading) {
        QVERIFY(rig.link.startRead());
    } else {
        QVERIFY(rig.link.beginSend());
        rig.link.startSend({QByteArray::fromHex("ff")});
    }
    QVERIFY(rig.timer1.fire());
    QCOMPARE(rig.messages, QStringList{"El letrero no responde, verifique las conexiones y vuelva a intentar"});
    QVERIFY(!rig.link.programBusy());
    QVERIFY(!rig.link.readBusy());
    QVERIFY(!rig.port.isOpen());
    QCOMPARE(abandoned.count(), reading ? 1 : 0);
    QVERIFY(rig.timer1.fire());  // idle tick: nothing more
    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(rig.link.portNumber(), 1);
}

void TestSignLink::transferPortThatCannotOpen()
{
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5010000"));
    rig.port.existing.clear();  // the adapter was pulled
    QVERIFY(rig.link.beginSend());
    rig.link.startSend({QByteArray::fromHex("ff")});
    QCOMPARE(rig.link.mode(), LinkMode::Idle);
    QVERIFY(!rig.link.programBusy());
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY(rig.messages[0].contains("COM1"));
}

void TestSignLink::readBackRequestsAndEnds()
{
    // A 20-page sign with three one-row pages: requests go to 24/0, 28/0, 32/0, 36/0.
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5010000"));
    QSignalSpy completed(&rig.link, &SignLink::readCompleted);
    rig.port.writes.clear();
    QVERIFY(rig.link.startRead());
    QCOMPARE(rig.port.receiveThreshold(), 66);
    QCOMPARE(rig.panels[1], QStringLiteral("Lectura..."));
    QCOMPARE(rig.panels[3], QString());
    const QByteArray page = QByteArray::fromHex("0102033031205041474" "94e4120000102024142430000");
    for (int p = 0; p < 3; ++p) {
        QByteArray image = page;
        image[4] = char('1' + p);
        rig.port.deliver(readAnswer(image));
        QCOMPARE(rig.panels[1], QStringLiteral("Lectura: %1:1 paginas").arg(p + 1));
    }
    rig.port.deliver(readAnswer(QByteArray(64, char(0xff))));
    QCOMPARE(rig.port.writes, (QList<QByteArray>{QByteArray::fromHex("a5050118004000"),
                                                 QByteArray::fromHex("a505011c004000"),
                                                 QByteArray::fromHex("a5050120004000"),
                                                 QByteArray::fromHex("a5050124004000")}));
    QCOMPARE(completed.count(), 1);
    const auto images = completed.at(0).at(0).value<QList<QByteArray>>();
    QCOMPARE(images.size(), 20);
    QCOMPARE(images[0], page.chopped(1));  // cut after the first 0 of the closing pair
    QCOMPARE(images[3], QByteArray());
    QCOMPARE(rig.panels[1], QStringLiteral("Lectura Completa"));
    QVERIFY(!rig.port.isOpen());
    QCOMPARE(rig.messages, QStringList{"Lectura finalizada correctamente"});
}

void TestSignLink::readBackMarkInsidePageIsText()
{
    // 40-page sign: a page whose second unit begins with 0xFF goes on; the read ends only when
    // a page starts with the marker.
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5020000"));
    QSignalSpy completed(&rig.link, &SignLink::readCompleted);
    rig.port.writes.clear();
    QVERIFY(rig.link.startRead());
    const QByteArray filler(64, 'A');
    const QByteArray pageStart = QByteArray::fromHex("010203") + filler.left(61);
    for (int block = 0; block < 8; ++block)
        rig.port.deliver(readAnswer(block == 0 ? pageStart : block == 4 ? QByteArray(64, char(0xff)) : filler));
    QCOMPARE(rig.port.writes.size(), 9);
    QCOMPARE(rig.port.writes.at(4), QByteArray::fromHex("a5050119004000"));  // second unit
    QCOMPARE(rig.port.writes.last(), QByteArray::fromHex("a505011a004000"));  // next page
    QCOMPARE(completed.count(), 0);
    rig.port.deliver(readAnswer(QByteArray(64, char(0xff))));
    QCOMPARE(completed.count(), 1);
    QCOMPARE(completed.at(0).at(0).value<QList<QByteArray>>().at(0).size(), 512);
}

void TestSignLink::readBackBadAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("wrong mark") << QByteArray(66, '\0');
    QTest::newRow("short answer") << QByteArray::fromHex("b5");
    // A stray acknowledgement ahead of the answer shifts it by one byte.
    QTest::newRow("answer out of step") << QByteArray::fromHex("b5b5010203") + QByteArray(61, 'x');
}

void TestSignLink::readBackBadAnswers()
{
    QFETCH(QByteArray, answer);
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5010000"));
    QSignalSpy abandoned(&rig.link, &SignLink::readAbandoned);
    QVERIFY(rig.link.startRead());
    rig.port.setReceiveThreshold(1);
    rig.port.deliver(answer);
    QCOMPARE(abandoned.count(), 1);
    QCOMPARE(rig.link.mode(), LinkMode::Idle);
    QVERIFY(!rig.link.readBusy());
    QVERIFY(rig.messages.isEmpty());
}

void TestSignLink::lateAnswerWhileIdleIsDropped()
{
    Rig rig;
    rig.detectOn(1, QByteArray::fromHex("b5010000"));
    QVERIFY(rig.link.beginSend());
    rig.link.startSend({QByteArray::fromHex("ff")});
    rig.port.deliver(QByteArray::fromHex("00"));  // abandoned, port left open
    const int writes = int(rig.port.writes.size());
    rig.port.deliver(kAck);
    QCOMPARE(rig.port.writes.size(), writes);
    QCOMPARE(rig.port.bytesWaiting(), 0);
}

QTEST_GUILESS_MAIN(TestSignLink)
#include "tst_signlink.moc"
