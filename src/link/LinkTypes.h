#pragma once

#include <QObject>

// The link's enums, printed by name in its log.
namespace zlx {
Q_NAMESPACE

// The exchange under way: the port scan, a programming transfer or a read-back.
enum class LinkMode { Idle, Detect, Program, Read };
Q_ENUM_NS(LinkMode)

enum class Exchange { Send, Read };
Q_ENUM_NS(Exchange)

// How an exchange with the sign ended.
enum class Outcome {
    Completed,    // every frame acknowledged, or the program read to its end
    Timeout,      // the sign fell silent for the response time
    WrongAnswer,  // an answer other than the one expected
    ForeignPage,  // read-back: a page that does not begin with its title row
    PortLost,     // the port vanished, the connection dropped, or a write to it failed
    CannotOpen,   // the sign's port would not open; the reply's portStatus() says why
    Superseded,   // another exchange was started over this one
    Cancelled,    // the caller stopped it
};
Q_ENUM_NS(Outcome)

// What opening a port gave, or why an open port was lost.
enum class PortStatus {
    Opened,
    Pending,       // a network port: opened() follows
    NoDevice,      // no such device
    NoPermission,  // the user may not open it
    NotSerial,     // a plain file, a folder or another kind of device
    Busy,          // another program holds it, or the device server serves another client
    Refused,       // the device server refused the connection
    Unreachable,   // the host is unknown or did not answer in time
    Dropped,       // an open port: the device vanished or the connection dropped
    Failed,        // anything else; the port's detail() says what
};
Q_ENUM_NS(PortStatus)

}  // namespace zlx
