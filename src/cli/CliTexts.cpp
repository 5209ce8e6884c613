#include "cli/CliTexts.h"

#include "link/DeviceAccess.h"
#include "link/PortAddress.h"

#include <QStringList>

namespace zlx::cli::texts {

namespace {
QString withDetail(const QString &text, const QString &detail)
{
    return detail.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, detail);
}
}  // namespace

QString spans(const QList<int> &numbers)
{
    QStringList parts;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype last = i;
        while (last + 1 < numbers.size() && numbers.at(last + 1) == numbers.at(last) + 1)
            ++last;
        parts.append(last == i ? QString::number(numbers.at(i))
                               : QStringLiteral("%1-%2").arg(numbers.at(i)).arg(numbers.at(last)));
        i = last + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString portProblem(const QString &address, PortStatus status, const QString &detail)
{
    const bool network = PortAddress::parse(address).value_or(PortAddress{}).isNetwork();
    switch (status) {
    case PortStatus::NoPermission:
        return QStringLiteral("permission denied: %1 (the user must be in the group %2, then log in again)")
            .arg(address, accessGroup(address));
    case PortStatus::Busy:
        return network ? withDetail(QStringLiteral("port in use: %1 serves another client").arg(address), detail)
                       : QStringLiteral("port in use: another program holds %1").arg(address);
    case PortStatus::NoDevice:
        return QStringLiteral("no such device: %1").arg(address);
    case PortStatus::NotSerial:
        return QStringLiteral("not a serial device: %1").arg(address);
    case PortStatus::Refused:
        return QStringLiteral("connection refused by %1").arg(address);
    case PortStatus::Unreachable:
        return withDetail(QStringLiteral("cannot reach %1").arg(address), detail);
    case PortStatus::Dropped:
        return withDetail(QStringLiteral("the connection to %1 dropped").arg(address), detail);
    case PortStatus::Opened:
    case PortStatus::Pending:
    case PortStatus::Failed:
        break;
    }
    return withDetail(QStringLiteral("cannot open %1").arg(address), detail);
}

QString outcome(Outcome outcome, int page)
{
    switch (outcome) {
    case Outcome::Completed: return {};
    case Outcome::Timeout: return QStringLiteral("the sign did not answer in time");
    case Outcome::WrongAnswer: return QStringLiteral("the sign gave a wrong answer");
    case Outcome::ForeignPage: return QStringLiteral("page %1 of the sign is unreadable").arg(page + 1);
    case Outcome::PortLost: return QStringLiteral("the port was lost");
    case Outcome::CannotOpen: return QStringLiteral("the port cannot be opened");
    case Outcome::Superseded: return QStringLiteral("the exchange was superseded");
    case Outcome::Cancelled: return QStringLiteral("interrupted");
    }
    return {};
}

QString noSignAnswered() { return QStringLiteral("no sign answered"); }
QString unknownModel() { return QStringLiteral("unknown sign model"); }
QString noSuchPort(const QString &port) { return QStringLiteral("no such port: %1").arg(port); }

QString pageSent(const QString &label, int page) { return QStringLiteral("%1: page %2 sent").arg(label).arg(page); }

QString readingPage(const QString &label, int page)
{
    return QStringLiteral("%1: reading page %2").arg(label).arg(page);
}

QString pageCut(const QString &label, int page)
{
    return QStringLiteral("%1: page %2 cut to fit the sign's page memory").arg(label).arg(page);
}

QString notWhole(const QList<int> &cut, const QList<int> &leftOut)
{
    QStringList why;
    if (!cut.isEmpty())
        why.append(QStringLiteral("pages cut to fit: %1").arg(spans(cut)));
    if (!leftOut.isEmpty())
        why.append(QStringLiteral("pages past the sign's last: %1").arg(spans(leftOut)));
    return QStringLiteral("the sign does not hold the whole program (%1)").arg(why.join(QStringLiteral("; ")));
}

QString signDiffers() { return QStringLiteral("the sign does not hold the whole program"); }

QString stdoutFailed(const QString &detail) { return QStringLiteral("cannot write to stdout: %1").arg(detail); }

QString noSignalHandler() { return QStringLiteral("Ctrl-C cannot be caught; it will end the program abruptly"); }

QString noCommand() { return QStringLiteral("no command given (try --help)"); }
QString unknownCommand(const QString &command) { return QStringLiteral("unknown command \"%1\"").arg(command); }
QString takesOneFile(const QString &command) { return QStringLiteral("%1 takes one FILE").arg(command); }
QString takesNoArgument(const QString &command) { return QStringLiteral("%1 takes no argument").arg(command); }
QString readOneSign() { return QStringLiteral("read works on one sign only"); }
QString badTimeout() { return QStringLiteral("--timeout must be a number of milliseconds, 1 or more"); }
QString badModel() { return QStringLiteral("--model must be 20 or 40"); }
QString allOnlyDetect() { return QStringLiteral("--all is for detect only"); }
QString allWithPort() { return QStringLiteral("--all lists the signs of the port list; with --port every port given is listed anyway"); }
QString allowEmptyOnlySend() { return QStringLiteral("--allow-empty is for send only"); }
QString portListTwice(const QString &port) { return QStringLiteral("ZANTOLUX_PORTS names the port %1 twice").arg(port); }
QString portGivenBefore(const QString &port) { return QStringLiteral("--port %1 names a port given before").arg(port); }
QString badPort(const QString &why) { return QStringLiteral("--port: %1").arg(why); }

}  // namespace zlx::cli::texts
