// Sends a full program (every page full: 320 frames) to the virtual sign paced at a baud rate,
// reads it back (320 blocks), and prints total time against line time and the program's own
// turnaround per frame and per block.
#include "Figures.h"
#include "TimingPort.h"
#include "protocol/PageImages.h"
#include "link/QtSignPort.h"
#include "link/SignLink.h"
#include "link/QtTicker.h"
#include "model/MessageEntry.h"
#include "sim/PtySign.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>

using namespace zlx;

namespace {

MessageStore fullProgram(const SignModel &model)
{
    MessageStore store;
    const QByteArray text(model.pageBytes() / MessageStore::kRowsPerPage, 'Z');
    for (int p = 0; p < model.pageCount; ++p)
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r)
            store.setEntry(p, r, entry::make(1 + r % 9, 2, '2', text));
    return store;
}

// Runs the event loop until the exchange ends; returns the elapsed seconds since start.
double runUntilFinished(ExchangeReply *reply, const QElapsedTimer &clock, Outcome *outcome)
{
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply, &ExchangeReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    *outcome = reply->outcome();
    return double(clock.nsecsElapsed()) / 1e9;
}

QString ms(double v) { return QString::number(v, 'f', 3) + " ms"; }

// Two rows: total time against line time, and the program's turnaround.
void printExchange(const QString &what, double total, double line, const QString &turnWhat,
                   const QList<double> &turnarounds)
{
    bench::printRow(what,
                    QStringLiteral("%1 s total / %2 s line time = %3")
                        .arg(total, 0, 'f', 2).arg(line, 0, 'f', 2).arg(total / line, 0, 'f', 4),
                    "within 1% of line time");
    bench::printRow(turnWhat + " (median / p99)",
                    ms(bench::percentile(turnarounds, 50)) + " / " + ms(bench::percentile(turnarounds, 99)),
                    "< 0.5 ms / < 2 ms");
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"baud", "Line speed of the virtual sign (bits per second).", "N", "2400"});
    parser.addOption({"model", "20 or 40 pages.", "N", "20"});
    parser.process(app);
    const int baud = parser.value("baud").toInt();
    const bool forty = parser.value("model") == "40";

    sim::PtySign sign(forty ? sim::Model::Pages40 : sim::Model::Pages20);
    sign.setPaceBaud(baud);
    if (!sign.open()) {
        QTextStream(stderr) << "cannot open a pty: " << sign.errorString() << '\n';
        return 1;
    }
    TimingPort port(std::make_unique<QtSignPort>());
    QtTicker timer1, timer2;
    SignLink link(&port, PortMap({sign.slavePath()}), &timer1, &timer2);

    QEventLoop detect;
    QObject::connect(&link, &SignLink::signFound, &detect, &QEventLoop::quit);
    link.SetUpLink();
    detect.exec();
    const SignModel model = *link.exchangeModel();
    const double byteTime = 10.0 / baud;

    const auto build = buildPageImages(fullProgram(model), model);
    const QList<QByteArray> frames = buildFrameList(build.images, model);
    double sendLine = 4 * byteTime;  // the end frame
    for (const QByteArray &f : frames)
        sendLine += double(f.size() + 1) * byteTime;

    Outcome outcome{};
    port.resetFigures();
    QElapsedTimer clock;
    clock.start();
    ExchangeReply *sending = link.beginSend();
    link.startSend(frames);
    const double sendTotal = runUntilFinished(sending, clock, &outcome);
    if (outcome != Outcome::Completed) {
        QDebug(QtCriticalMsg) << "send failed:" << outcome;
        return 1;
    }
    const QList<double> sendTurn = port.turnaroundsMs();

    port.resetFigures();
    clock.start();
    const double readTotal = runUntilFinished(link.startRead(), clock, &outcome);
    if (outcome != Outcome::Completed) {
        QDebug(QtCriticalMsg) << "read failed:" << outcome;
        return 1;
    }
    const QList<double> readTurn = port.turnaroundsMs();
    const double readLine = double(readTurn.size() + 1) * (7 + 66) * byteTime;

    const QString at = QStringLiteral(" (%1 baud, %2 pages)").arg(baud).arg(model.pageCount);
    printExchange(QStringLiteral("Send: %1 frames").arg(frames.size()) + at, sendTotal, sendLine,
                  "Send turnaround per frame", sendTurn);
    printExchange(QStringLiteral("Read: %1 blocks").arg(readTurn.size() + 1) + at, readTotal, readLine,
                  "Read turnaround per block", readTurn);
    bench::printRow("Peak resident memory (exchange)", QString::number(bench::peakResidentMiB(), 'f', 1) + " MiB");
    return 0;
}
