// The link through the real QSerialPort code against the virtual sign on a pseudo-terminal.
#include "ManualTicker.h"
#include "RandomProgram.h"
#include "link/PageImages.h"
#include "link/QtSignPort.h"
#include "link/QtTicker.h"
#include "link/SignLink.h"
#include "sim/PtySign.h"

#include <QSignalSpy>
#include <QTest>

using namespace zlx;
using sim::FaultKind;
using sim::PtySign;

namespace {
const QString kMissing = QStringLiteral("/nonexistent/ttyZ");

// The link with real timers, its port mapped to the given devices.
struct Rig
{
    explicit Rig(const QStringList &devices, bool manualTimers = false)
        : port(PortMap(devices))
    {
        if (manualTimers) {
            timer1 = std::make_unique<ManualTicker>();
            timer2 = std::make_unique<ManualTicker>();
        } else {
            timer1 = std::make_unique<QtTicker>();
            timer2 = std::make_unique<QtTicker>();
        }
        link = std::make_unique<SignLink>(&port, timer1.get(), timer2.get());
        QObject::connect(link.get(), &SignLink::panelText, [this](int p, const QString &t) { panels[p] = t; });
        QObject::connect(link.get(), &SignLink::titleChanged, [this](const QString &t) { title = t; });
        QObject::connect(link.get(), &SignLink::message,
                         [this](MessageIcon, const QString &t) { messages.append(t); });
    }

    bool detect()
    {
        QSignalSpy found(link.get(), &SignLink::signFound);
        link->SetUpLink();
        return found.wait(3000);
    }

    // Sends the store's program; true when the completion message came.
    bool send(const MessageStore &store)
    {
        const auto build = buildPageImages(store, *link->model());
        messages.clear();
        if (!link->beginSend())
            return false;
        link->startSend(build.images);
        QSignalSpy msg(link.get(), &SignLink::message);
        msg.wait(10000);
        return messages == QStringList{"Programacion finalizada correctamente"};
    }

    QtSignPort port;
    std::unique_ptr<Ticker> timer1;
    std::unique_ptr<Ticker> timer2;
    std::unique_ptr<SignLink> link;
    QMap<int, QString> panels;
    QString title;
    QStringList messages;
};

ManualTicker &manual(const std::unique_ptr<Ticker> &t) { return static_cast<ManualTicker &>(*t); }

std::unique_ptr<PtySign> openSign(sim::Model model)
{
    auto sign = std::make_unique<PtySign>(model);
    if (!sign->open())
        qFatal("cannot open a pty: %s", qPrintable(sign->errorString()));
    return sign;
}
}  // namespace

class TestLinkE2E : public QObject
{
    Q_OBJECT
private slots:
    void detectsSignBehindMissingPorts_data();
    void detectsSignBehindMissingPorts();
    void wrongMarkIsNotASign();
    void noSignTwoPasses();
    void sendAndReadBackRoundTrip_data();
    void sendAndReadBackRoundTrip();
};

void TestLinkE2E::detectsSignBehindMissingPorts_data()
{
    QTest::addColumn<int>("modelCode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("panel3");
    QTest::newRow("20 pages") << 1 << "Letreros Electronicos ZANTOLUX - Z20   v2.0" << "Paginas soportadas: 20";
    QTest::newRow("40 pages") << 2 << "Letreros Electronicos ZANTOLUX - Z40   v2.0" << "Paginas soportadas: 40";
    QTest::newRow("unknown model code 3") << 3 << "" << "";
}

void TestLinkE2E::detectsSignBehindMissingPorts()
{
    QFETCH(int, modelCode);
    QFETCH(QString, title);
    QFETCH(QString, panel3);
    auto sign = openSign(sim::Model::Pages20);
    sign->sign().writeMemory(0, QByteArray(1, char(modelCode)));
    Rig rig({kMissing + "1", kMissing + "2", sign->slavePath()});
    QVERIFY(rig.detect());
    QCOMPARE(rig.link->portNumber(), 3);
    QCOMPARE(rig.panels[1], QStringLiteral("Letrero detectado"));
    QCOMPARE(rig.panels[2], QStringLiteral("COM3:2400bps,8,N,1"));
    QCOMPARE(rig.panels.value(3), panel3);
    QCOMPARE(rig.title, title);
    QCOMPARE(rig.link->model().has_value(), modelCode != 3);
    QVERIFY(!rig.port.isOpen());
    QVERIFY(!rig.timer1->isEnabled());
    QVERIFY(!rig.timer2->isEnabled());
}

void TestLinkE2E::wrongMarkIsNotASign()
{
    auto sign = openSign(sim::Model::Pages20);
    sign->sign().setFault({FaultKind::GarbageBefore, 0});
    Rig rig({sign->slavePath()}, true);
    rig.link->SetUpLink();
    QVERIFY(manual(rig.timer2).fire());
    QSignalSpy frames(sign.get(), &PtySign::frameHandled);
    QVERIFY(frames.wait(2000));
    QTRY_VERIFY(!rig.port.isOpen());  // the answer was handled: port closed, answer dropped
    QVERIFY(!rig.link->signDetected());
    QCOMPARE(rig.link->mode(), LinkMode::Detect);
}

void TestLinkE2E::noSignTwoPasses()
{
    Rig rig({kMissing + "1", kMissing + "2"}, true);
    rig.link->SetUpLink();
    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(manual(rig.timer2).fire());
        while (rig.link->mode() == LinkMode::Detect)
            QVERIFY(manual(rig.timer1).fire());
        QCOMPARE(rig.panels[1], QStringLiteral("Buscando dispositivo..."));
        QCOMPARE(rig.panels[2], QStringLiteral("ZANTOLUX"));
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.timer2->isEnabled());
    }
    QVERIFY(!rig.link->signDetected());
}

void TestLinkE2E::sendAndReadBackRoundTrip_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("overfull");
    QTest::newRow("20 pages, random") << 1 << false;
    QTest::newRow("40 pages, random") << 2 << false;
    QTest::newRow("20 pages, every page cut") << 1 << true;
    QTest::newRow("40 pages, every page cut") << 2 << true;
}

void TestLinkE2E::sendAndReadBackRoundTrip()
{
    QFETCH(int, model);
    QFETCH(bool, overfull);
    auto sign = openSign(sim::Model(model));
    Rig rig({sign->slavePath()});
    QVERIFY(rig.detect());
    const SignModel m = *rig.link->model();
    QRandomGenerator rng(quint32(model * 100 + int(overfull)));
    MessageStore sent;
    const MessageStore store = overfull ? testprograms::overfullProgram(rng, m)
                                        : testprograms::randomProgram(rng, m, sent);
    const auto build = buildPageImages(store, m);
    QCOMPARE(build.cutPages.size(), overfull ? m.pageCount : 0);

    QVERIFY(rig.send(store));
    QCOMPARE(rig.panels[1], QStringLiteral("Transmision Completa"));
    QTRY_COMPARE(sign->sign().endFramesSeen(), 1);  // drained before the port closed
    for (int p = 0; p < build.images.size(); ++p)
        QCOMPARE(sign->sign().readMemory(m.firstUnit(p) * 256, int(build.images[p].size())), build.images[p]);

    QSignalSpy completed(rig.link.get(), &SignLink::readCompleted);
    rig.messages.clear();
    QVERIFY(rig.link->startRead());
    QVERIFY(completed.wait(10000));
    QCOMPARE(rig.messages, QStringList{"Lectura finalizada correctamente"});
    MessageStore back;
    decodePageImages(completed.at(0).at(0).value<QList<QByteArray>>(), m.pageCount, back);
    MessageStore expected;
    decodePageImages(build.images, m.pageCount, expected);
    QCOMPARE(back, expected);  // the sign gives back what was sent
    if (!overfull)
        QCOMPARE(back, sent);
}

QTEST_GUILESS_MAIN(TestLinkE2E)
#include "tst_link_e2e.moc"
