// Soak: many Send/Read cycles of random programs against two virtual signs (one of each model)
// at full speed, each read-back compared with what was sent, and the process's memory watched
// for growth between an early cycle and the last one. Exits non-zero on any failed exchange or
// any read-back that differs.
#include "Figures.h"
#include "RandomProgram.h"
#include "protocol/PageDecoder.h"
#include "protocol/PageImages.h"
#include "link/QtSignPort.h"
#include "link/SignLink.h"
#include "link/QtTicker.h"
#include "sim/PtySign.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

using namespace zlx;

namespace {

constexpr int kMemoryCycle = 10;  // the first figures are taken here, after warm-up
constexpr int kExchangeLimitMs = 60000;

// VmRSS or VmHWM of this process, in MiB.
double statusMiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// One sign with the link that talks to it, real timers and the real serial port code.
struct Rig
{
    explicit Rig(sim::Model model)
        : sign(model)
    {
    }

    bool open(QString *error)
    {
        if (!sign.open()) {
            *error = sign.errorString();
            return false;
        }
        port = std::make_unique<QtSignPort>();
        link = std::make_unique<SignLink>(port.get(), PortMap({sign.slavePath()}), &timer1, &timer2);
        return true;
    }

    sim::PtySign sign;
    QtTicker timer1;
    QtTicker timer2;
    std::unique_ptr<QtSignPort> port;
    std::unique_ptr<SignLink> link;
};

// Runs the event loop until the exchange ends; nothing if it did not end in time. The reply
// goes when the loop next runs.
std::optional<Outcome> waitForFinished(ExchangeReply *reply)
{
    if (!reply)
        return std::nullopt;
    reply->deleteLater();
    if (reply->isFinished())
        return reply->outcome();
    std::optional<Outcome> outcome;
    QEventLoop loop;
    QObject::connect(reply, &ExchangeReply::finished, &loop, [&] {
        outcome = reply->outcome();
        loop.quit();
    });
    // A timer object of our own: a pending single-shot timer would outlive every cycle and
    // show up as growth of the process.
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(kExchangeLimitMs);
    loop.exec();
    return outcome;
}

QString outcomeText(const std::optional<Outcome> &outcome)
{
    return outcome ? QStringLiteral("outcome %1").arg(int(*outcome)) : QStringLiteral("no end in time");
}

bool detect(Rig &rig)
{
    QEventLoop loop;
    QObject::connect(rig.link.get(), &SignLink::signFound, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    rig.link->SetUpLink();
    loop.exec();
    return rig.link->model().has_value();
}

QString mib(double v) { return QString::number(v, 'f', 1) + " MiB"; }

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"cycles", "Send/Read cycles, alternating the 20- and 40-page sign.", "N", "200"});
    parser.addOption({"seed", "Seed of the random programs.", "S", "2024"});
    parser.process(app);
    const int cycles = parser.value("cycles").toInt();
    if (cycles < 1) {
        QTextStream(stderr) << "--cycles must be at least 1\n";
        return 2;
    }
    QRandomGenerator rng(parser.value("seed").toUInt());
    QTextStream err(stderr);

    std::array<Rig, 2> rigs{Rig(sim::Model::Pages20), Rig(sim::Model::Pages40)};
    for (Rig &rig : rigs) {
        QString error;
        if (!rig.open(&error)) {
            err << "cannot open a pty: " << error << '\n';
            return 1;
        }
        if (!detect(rig)) {
            err << "the virtual sign was not detected\n";
            return 1;
        }
    }

    int failedExchanges = 0;
    int mismatches = 0;
    qint64 frames = 0;
    qint64 blocks = 0;
    const int early = std::min(kMemoryCycle, cycles);
    double hwmEarly = 0, rssEarly = 0;
    QElapsedTimer clock;
    clock.start();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        Rig &rig = rigs[size_t(cycle % 2)];
        SignLink &link = *rig.link;
        const SignModel model = *link.exchangeModel();
        MessageStore readable;
        const MessageStore program = testprograms::randomProgram(rng, model, readable);

        const QList<QByteArray> frameList = buildFrameList(buildPageImages(program, model).images, model);
        ExchangeReply *sending = link.beginSend();
        link.startSend(frameList);
        frames += frameList.size();
        const auto sent = waitForFinished(sending);
        if (sent != Outcome::Completed) {
            ++failedExchanges;
            err << "cycle " << cycle << ": send ended with " << outcomeText(sent) << '\n';
            continue;
        }

        const int readsBefore = rig.sign.sign().readsServed();
        ExchangeReply *reading = link.startRead();
        QList<QByteArray> images;
        if (reading)
            QObject::connect(reading, &ExchangeReply::finished, [&images, reading] { images = reading->images(); });
        const auto read = waitForFinished(reading);
        blocks += rig.sign.sign().readsServed() - readsBefore;
        if (read != Outcome::Completed) {
            ++failedExchanges;
            err << "cycle " << cycle << ": read-back ended with " << outcomeText(read) << '\n';
            continue;
        }
        MessageStore back;
        decodePageImages(images, model.pageCount, back);
        if (!(back == readable)) {
            ++mismatches;
            err << "cycle " << cycle << " (" << model.pageCount << " pages): the read-back differs from what was sent\n";
        }

        if (cycle == early) {
            hwmEarly = statusMiB("VmHWM");
            rssEarly = statusMiB("VmRSS");
        }
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const double hwmLast = statusMiB("VmHWM");
    const double rssLast = statusMiB("VmRSS");

    bench::printRow(QStringLiteral("Soak: %1 Send/Read cycles, both models, full speed").arg(cycles),
                    QStringLiteral("%1 s, %2 frames, %3 blocks").arg(seconds, 0, 'f', 1).arg(frames).arg(blocks),
                    QStringLiteral("every exchange completes"));
    bench::printRow(QStringLiteral("Soak: failed exchanges / read-backs unlike what was sent"),
                    QStringLiteral("%1 / %2").arg(failedExchanges).arg(mismatches), QStringLiteral("0 / 0"));
    bench::printRow(QStringLiteral("Soak: peak resident (VmHWM) at cycle %1 / %2").arg(early).arg(cycles),
                    mib(hwmEarly) + " / " + mib(hwmLast), QStringLiteral("no growth after warm-up"));
    bench::printRow(QStringLiteral("Soak: resident (VmRSS) at cycle %1 / %2").arg(early).arg(cycles),
                    mib(rssEarly) + " / " + mib(rssLast), QStringLiteral("no growth after warm-up"));
    return failedExchanges == 0 && mismatches == 0 ? 0 : 1;
}
