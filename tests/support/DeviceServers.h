#pragma once

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

#include <memory>
#include <vector>

// Signs far away, made real on loopback: ser2net serving a device, or socat carrying it over TCP
// to a local pty. The test starts each server and kills it when its handle goes; no service of
// the system is used.
namespace deviceservers {

constexpr int kStartMs = 10000;

struct KillProcess
{
    void operator()(QProcess *process) const
    {
        process->kill();
        process->waitForFinished(kStartMs);
        delete process;
    }
};
using Child = std::unique_ptr<QProcess, KillProcess>;

// A loopback port nobody listens on now.
inline quint16 freePort()
{
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
}

// Listening on 127.0.0.1:port, as the kernel's table says: a trial connection would make the
// server open its device, and a server lets a device go only a moment after its client.
inline bool listening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

// ser2net serving device on a free loopback port, in raw TCP ("tcp") or telnet with the COM-PORT
// option ("rfc2217"); address gets the port's address. Empty, or what failed.
inline QString serve(const QString &device, const QString &mode, const QString &folder, Child &server,
                     QString &address)
{
    QString ser2net = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (ser2net.isEmpty())
        ser2net = QStandardPaths::findExecutable(QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin")});
    if (ser2net.isEmpty())
        return QStringLiteral("ser2net is not installed (Debian package ser2net)");
    // ser2net cannot be given port 0: a port free a moment ago, and another one if it was taken.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const quint16 port = freePort();
        const QString config = QStringLiteral("%1/ser2net-%2.yaml").arg(folder).arg(port);
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot write ") + config;
        file.write(QStringLiteral("connection: &sign\n  accepter: %1tcp,127.0.0.1,%2\n"
                                  "  connector: serialdev,%3,2400n81,local\n")
                       .arg(mode == u"rfc2217" ? QStringLiteral("telnet(rfc2217),") : QString())
                       .arg(port)
                       .arg(device)
                       .toLocal8Bit());
        file.close();
        server.reset(new QProcess);
        server->setProcessChannelMode(QProcess::MergedChannels);  // "Unable to start mdns" is harmless
        server->start(ser2net, {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config});
        if (QTest::qWaitFor([&] { return listening(port) || server->state() == QProcess::NotRunning; }, kStartMs)
            && server->state() == QProcess::Running) {
            address = QStringLiteral("%1://127.0.0.1:%2").arg(mode).arg(port);
            return {};
        }
    }
    return QStringLiteral("ser2net did not listen: ") + QString::fromLocal8Bit(server->readAll());
}

// socat serving device on a loopback port, and a second socat linking a local pty (link) to that
// port, as a device server and its bridge would. Empty, or what failed.
inline QString bridge(const QString &device, const QString &link, std::vector<Child> &children)
{
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty())
        return QStringLiteral("socat is not installed (Debian package socat)");
    const auto start = [&](const QStringList &addresses, const QRegularExpression &ready) {
        QProcess *process = children.emplace_back(new QProcess).get();
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(socat, QStringList{QStringLiteral("-d"), QStringLiteral("-d")} + addresses);
        QString said;
        QRegularExpressionMatch match;
        return QTest::qWaitFor([&] { return (match = ready.match(said += QString::fromLatin1(process->readAll()))).hasMatch(); }, kStartMs)
            ? match : QRegularExpressionMatch();
    };
    // Port 0: the system picks a free port, and socat says which.
    const auto served = start({QStringLiteral("TCP-LISTEN:0,bind=127.0.0.1,reuseaddr"),
                                  QStringLiteral("FILE:%1,raw,echo=0").arg(device)},
                                 QRegularExpression(QStringLiteral("listening on .*:(\\d+)\n")));
    if (!served.hasMatch())
        return QStringLiteral("socat did not listen");
    const auto linked = start({QStringLiteral("PTY,link=%1,raw,echo=0").arg(link),
                               QStringLiteral("TCP:127.0.0.1:%1").arg(served.captured(1))},
                              QRegularExpression(QStringLiteral("starting data transfer loop")));
    if (!linked.hasMatch() || !QFileInfo::exists(link))
        return QStringLiteral("the socat bridge did not come up at ") + link;
    return {};
}

}  // namespace deviceservers
