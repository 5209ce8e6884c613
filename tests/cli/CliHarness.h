#pragma once

// zantolux-cli runs for tst_cli, and the virtual signs they talk to, hosted in the test's process.
#include "DeviceServers.h"
#include "sim/PtySign.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <csignal>
#include <memory>
#include <unistd.h>
#include <vector>

namespace clitest {

constexpr int kWaitMs = 10000;
constexpr int kLateMs = 700;  // a sign whose every answer comes this late

// The signs of a row, and what stands between each and the program.
struct Signs
{
    // Signs separated by ',', each its words joined by '+': z40 (else 20 pages), silent, mute
    // (answers the probe only), late (every answer kLateMs late), paced (2400 baud); reached
    // through a link to its pty (linked), socat (bridged), or ser2net in raw TCP (raw) or telnet
    // COM-PORT mode (telnet); or odd: a device on a TCP port that answers everything with the
    // detection answer of a model no sign has. Empty, or what failed.
    QString start(const QString &kinds, const QString &folder)
    {
        using namespace zlx::sim;
        m_folder = folder;
        ports = QStringList{folder + QStringLiteral("/missing")};
        for (const QString &one : kinds.split(u',', Qt::SkipEmptyParts)) {
            const QStringList is = one.split(u'+');
            if (is.contains(u"odd")) {
                ports.append(startOddModel());
                continue;
            }
            auto sign = std::make_unique<PtySign>(is.contains(u"z40") ? Model::Pages40 : Model::Pages20);
            sign->sign().setFault(is.contains(u"silent") ? Fault{FaultKind::Silent, 0}
                                  : is.contains(u"mute") ? Fault{FaultKind::SilentAfter, 1}
                                  : is.contains(u"late") ? Fault{FaultKind::SlowAnswers, kLateMs}
                                                         : Fault{});
            if (is.contains(u"paced"))
                sign->setPaceBaud(2400);  // a few seconds for a long program
            const QString link = QStringLiteral("%1/sign%2").arg(folder).arg(ports.size());
            if (!sign->open(is.contains(u"linked") ? link : QString()))
                return sign->errorString();
            QString port = is.contains(u"linked") ? link : sign->slavePath();
            QString failed;
            if (is.contains(u"bridged"))
                failed = deviceservers::bridge(sign->slavePath(), port = link + QStringLiteral("-far"), servers);
            else if (is.contains(u"raw") || is.contains(u"telnet"))
                failed = deviceservers::serve(sign->slavePath(), is.contains(u"raw") ? QStringLiteral("tcp") : QStringLiteral("rfc2217"),
                                              folder, servers.emplace_back(), port);
            if (!failed.isEmpty())
                return failed;
            ports.append(port);
            signs.push_back(std::move(sign));
        }
        closed = deviceservers::freePort();
        return {};
    }

    // @1 @2: the signs' ports, @T1: the first sign's pty, @D: the folder, @C: a closed loopback
    // port; escaped for a pattern.
    QString expand(QString text, bool pattern) const
    {
        const auto put = [&](const char *mark, const QString &value) {
            text.replace(QLatin1String(mark), pattern ? QRegularExpression::escape(value) : value);
        };
        put("@D", m_folder);
        put("@C", QString::number(closed));
        if (!signs.empty())
            put("@T1", signs.front()->slavePath());
        for (qsizetype i = 1; i < ports.size(); ++i)
            put(i == 1 ? "@1" : "@2", ports.at(i));
        return text;
    }

    QStringList command(const QString &line) const
    {
        QStringList args = line.split(u' ');
        for (QString &arg : args)
            arg = expand(arg, false);
        return args;
    }

    zlx::sim::VirtualSign &first() { return signs.front()->sign(); }

    QString startOddModel()
    {
        auto &server = *odd.emplace_back(std::make_unique<QTcpServer>());
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
            QTcpSocket *client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, client, [client] {
                client->readAll();
                client->write(QByteArray::fromHex("b5030000"));
            });
        });
        return QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort());
    }

    std::vector<std::unique_ptr<zlx::sim::PtySign>> signs;
    std::vector<deviceservers::Child> servers;  // killed before the signs they lead to close
    std::vector<std::unique_ptr<QTcpServer>> odd;
    QStringList ports;  // COM1: a device that does not exist; then each sign's port
    quint16 closed = 0;

private:
    QString m_folder;
};

// How a run's process is set up, beyond its arguments and stdin.
struct RunHow
{
    bool asNobody = false;    // the user nobody, to whom the test's folder is closed
    bool stdoutFull = false;  // stdout is /dev/full
    bool holdStdin = false;   // stdin stays open until the test closes it
    bool closedStdout = false;  // the program starts with stdout closed
};

// One zantolux-cli run; the test's event loop serves the signs while it runs.
struct CliRun
{
    explicit CliRun(const QStringList &args, const QByteArray &input = {}, const RunHow &how = {})
    {
        QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                         [this] { err += process.readAllStandardError(); });
        if (how.stdoutFull)
            process.setStandardOutputFile(QStringLiteral("/dev/full"));
        if (how.asNobody || how.closedStdout) {
            process.setChildProcessModifier([how] {
                constexpr uid_t kNobody = 65534;
                if (how.asNobody && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                    ::_exit(99);
                if (how.closedStdout)
                    ::close(STDOUT_FILENO);
            });
        }
        process.start(QStringLiteral(ZANTOLUX_CLI), args);
        process.waitForStarted(kWaitMs);
        process.write(input);
        if (!how.holdStdin)
            process.closeWriteChannel();
    }

    // The program has its Ctrl-C handler in place (so SIGINT no longer ends it at once).
    bool catchesSigint() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        const QRegularExpression caught(QStringLiteral("^SigCgt:\\s*([0-9a-f]+)$"), QRegularExpression::MultilineOption);
        const QRegularExpressionMatch m = caught.match(QString::fromLatin1(status.readAll()));
        return m.hasMatch() && (m.captured(1).toULongLong(nullptr, 16) & (1u << (SIGINT - 1))) != 0;
    }

    bool finish()
    {
        const bool ended = QTest::qWaitFor([this] { return process.state() == QProcess::NotRunning; }, kWaitMs);
        err += process.readAllStandardError();
        outBytes = process.readAllStandardOutput();
        out = QString::fromUtf8(outBytes);
        return ended && process.exitStatus() == QProcess::NormalExit;
    }

    int code() const { return process.exitCode(); }
    QByteArray said() const
    {
        return QStringLiteral("%1\nexit %2\nstdout:\n%3\nstderr:\n%4")
            .arg(process.arguments().join(u' ')).arg(code()).arg(out, QString::fromUtf8(err)).toUtf8();
    }

    QProcess process;
    QByteArray err;
    QByteArray outBytes;
    QString out;
};

}  // namespace clitest
