#include "cli/CliTexts.h"

#include "link/DeviceAccess.h"
#include "link/PortAddress.h"

namespace zlx::cli::texts {

namespace {
QString withDetail(const QString &text, const QString &detail)
{
    return detail.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, detail);
}
}  // namespace

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

QString noSignAnswered()
{
    return QStringLiteral("no sign answered");
}

QString entryProblem(EntryProblem problem)
{
    switch (problem) {
    case EntryProblem::Incomplete: return QStringLiteral("the row is incomplete (under 3 bytes)");
    case EntryProblem::BadEffect: return QStringLiteral("the effect is not 1 to 9");
    case EntryProblem::BadFont: return QStringLiteral("the font is not 1, 2 or 3");
    case EntryProblem::ZeroAmount: return QStringLiteral("the amount is 0");
    case EntryProblem::ZeroInText: return QStringLiteral("the text holds a byte 0");
    }
    return {};
}

}  // namespace zlx::cli::texts
