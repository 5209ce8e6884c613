// CPU used while the scan runs with no sign attached, and the time from a paced sign's answer
// to the detection being handled.
#include "Figures.h"
#include "link/QtSignPort.h"
#include "link/SignLink.h"
#include "link/QtTicker.h"
#include "sim/PtySign.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

using namespace zlx;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"seconds", "How long to scan with no sign.", "N", "60"});
    parser.addOption({"detections", "How many detections to time.", "N", "20"});
    parser.process(app);
    const int seconds = parser.value("seconds").toInt();
    const int detections = parser.value("detections").toInt();

    {
        // The system's own serial ports, as the program sees them without a sign.
        QtSignPort port;
        QtTicker timer1, timer2;
        SignLink link(&port, PortMap::fromEnvironment(), &timer1, &timer2);
        link.SetUpLink();
        const double before = bench::cpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double used = bench::cpuSeconds() - before;
        bench::printRow(QStringLiteral("CPU while scanning with no sign (%1 s)").arg(seconds),
                        QString::number(100.0 * used / seconds, 'f', 3) + " % of one core", "< 1 %");
    }

    QList<double> latencies;
    for (int i = 0; i < detections; ++i) {
        sim::PtySign sign;
        sign.setPaceBaud(2400);
        if (!sign.open())
            return 1;
        QElapsedTimer clock;
        clock.start();
        qint64 lastAnswerByteNs = 0;
        QObject::connect(&sign, &sim::PtySign::answerBytesSent, [&](const QByteArray &) {
            lastAnswerByteNs = clock.nsecsElapsed();
        });
        QtSignPort port;
        QtTicker timer1, timer2;
        SignLink link(&port, PortMap({sign.slavePath()}), &timer1, &timer2);
        QEventLoop loop;
        QObject::connect(&link, &SignLink::signFound, &loop, [&] {
            latencies.append(double(clock.nsecsElapsed() - lastAnswerByteNs) / 1e6);
            loop.quit();
        });
        link.SetUpLink();
        loop.exec();
    }
    bench::printRow(QStringLiteral("Detection handled after the answer's last byte (median / max of %1)").arg(detections),
                    QString::number(bench::percentile(latencies, 50), 'f', 3) + " ms / "
                        + QString::number(bench::percentile(latencies, 100), 'f', 3) + " ms",
                    "< 5 ms");
    return 0;
}
