#include "sim/Fault.h"

#include <array>

namespace zlx::sim {

namespace {

struct FaultName
{
    const char *name;
    FaultKind kind;
    int minimum;  // smallest value; -1: the fault takes no value
    const char *help;
};

constexpr std::array kFaults{
    FaultName{"none", FaultKind::None, -1, "answer correctly (default)"},
    FaultName{"silent", FaultKind::Silent, -1, "never answer"},
    FaultName{"silent-after", FaultKind::SilentAfter, 1, "answer K frames, then nothing"},
    FaultName{"wrong-ack", FaultKind::WrongAckAt, 1, "acknowledge write frame K with 00"},
    FaultName{"double-ack", FaultKind::DoubleAckAt, 1, "acknowledge write frame K with B5 B5"},
    FaultName{"bad-read", FaultKind::BadReadMarkAt, 1, "start 64-byte read answer K with 00"},
    FaultName{"slow", FaultKind::SlowAnswers, 0, "delay every answer by MS milliseconds"},
    FaultName{"garbage", FaultKind::GarbageBefore, -1, "send 00 FF 13 before every answer"},
    FaultName{"split", FaultKind::SplitAnswers, -1, "send answers in pieces of 3 bytes"},
};

}  // namespace

std::optional<Fault> parseFault(const QString &text)
{
    const qsizetype eq = text.indexOf(u'=');
    const QString name = eq < 0 ? text : text.left(eq);
    for (const FaultName &f : kFaults) {
        if (name != QLatin1String(f.name))
            continue;
        if (f.minimum < 0)
            return eq < 0 ? std::optional(Fault{f.kind, 0}) : std::nullopt;
        if (eq < 0)
            return std::nullopt;
        bool ok = false;
        const int value = text.mid(eq + 1).toInt(&ok);
        if (!ok || value < f.minimum)
            return std::nullopt;
        return Fault{f.kind, value};
    }
    return std::nullopt;
}

QString faultHelp()
{
    QString help = QStringLiteral("Faults (--fault FAULT):\n");
    for (const FaultName &f : kFaults) {
        QString usage = QLatin1String(f.name);
        if (f.minimum >= 0)
            usage += f.kind == FaultKind::SlowAnswers ? QStringLiteral("=MS") : QStringLiteral("=K");
        help += QStringLiteral("  %1%2\n").arg(usage, -16).arg(QLatin1String(f.help));
    }
    return help;
}

}  // namespace zlx::sim
