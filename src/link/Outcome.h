#pragma once

namespace zlx {

enum class Exchange { Send, Read };

// How an exchange with the sign ended.
enum class Outcome {
    Completed,    // every frame acknowledged, or the program read to its end
    Timeout,      // the sign fell silent for the response time
    WrongAnswer,  // an answer other than the one expected
    ForeignPage,  // read-back: a page that does not begin with its title row
    PortLost,     // the port vanished, or a write to it failed
    CannotOpen,   // the sign's port would not open
    Superseded,   // another exchange was started over this one
    Cancelled,    // the caller stopped it
};

}  // namespace zlx
