#pragma once

#include <QString>

#include <optional>

namespace zlx::sim {

// Failures the virtual sign can be told to show, so that the program's handling of them can be
// exercised without broken hardware.
enum class FaultKind {
    None,
    Silent,         // never answers
    SilentAfter,    // answers `value` frames, then nothing
    WrongAckAt,     // write frame number `value` (from 1) is acknowledged with 0x00
    DoubleAckAt,    // write frame number `value` is acknowledged twice (B5 B5)
    BadReadMarkAt,  // 64-byte read answer number `value` starts with 0x00 instead of B5
    SlowAnswers,    // every answer leaves `value` ms late (timed by the host, not by feed())
    GarbageBefore,  // junk bytes 00 FF 13 precede every answer
    SplitAnswers,   // answers leave in small pieces with small gaps (timed by the host, not by feed())
};

struct Fault
{
    FaultKind kind = FaultKind::None;
    int value = 0;  // K or D of the fault; unused by the kinds without a number

    friend bool operator==(const Fault &, const Fault &) = default;
};

// Parses "silent", "silent-after=K", "wrong-ack=K", "double-ack=K", "bad-read=K", "slow=MS",
// "garbage", "split" or "none". K must be at least 1, MS at least 0.
std::optional<Fault> parseFault(const QString &text);

// The table of faults for the program's help text.
QString faultHelp();

}  // namespace zlx::sim
