#pragma once

#include "link/LinkTypes.h"
#include "model/MessageStore.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <optional>

namespace zlx {

// How one Send or read-back ended, with what the operator is to be told about it.
struct ExchangeReport
{
    Exchange exchange = Exchange::Send;
    Outcome outcome = Outcome::Completed;
    int port = 0;           // COM number of the sign's port
    QString address;        // the device the sign was found on
    PortStatus portStatus = PortStatus::Opened;  // why it would not open, or was lost
    QString portDetail;     // the system's or the device server's words about it
    int page = -1;          // read-back: the page (from 0) from which the memory was unreadable
    int frames = 0;         // send: frames written, the end frame not counted
    QList<int> cutPages;    // send: pages (from 0) cut to fit the sign's page memory
    // read-back: the sign's program, when the read completed or stopped at an unreadable page
    // after the first (the pages before it)
    std::optional<MessageStore> program;
};

enum class Refusal { None, NoSign, Busy, UnknownModel, BadEntry };

}  // namespace zlx
