#pragma once

#include "Invariant.h"
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "link/ExchangeReply.h"
#include "link/SignLink.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

// What holds of the link after every operation. active: the exchange its caller has started and
// not yet seen end.
inline void checkLinkState(const zlx::SignLink &link, const ScriptedPort &port, const ManualTicker &timer1,
                           const ManualTicker &timer2, std::optional<zlx::Exchange> active)
{
    using namespace zlx;
    using namespace std::chrono_literals;
    const LinkMode mode = link.mode();
    const bool exchange = mode == LinkMode::Program || mode == LinkMode::Read;
    require(exchange == active.has_value(), "an exchange the link and its caller disagree on");
    if (active)
        require(*active == (mode == LinkMode::Program ? Exchange::Send : Exchange::Read), "exchange kind");
    require(link.programBusy() == (mode == LinkMode::Program), "programBusy out of step");
    require(link.readBusy() == (mode == LinkMode::Read), "readBusy out of step");
    if (mode == LinkMode::Idle)
        require(!port.isOpen() || link.releasing(), "port open while idle");
    // A step, a quiet spell, an open's bound, or the response time: something always ticks.
    const auto ticking = [&timer1](std::initializer_list<std::chrono::milliseconds> intervals) {
        return timer1.isEnabled() && std::find(intervals.begin(), intervals.end(), timer1.interval()) != intervals.end();
    };
    if (mode == LinkMode::Detect) {
        require(!link.signDetected(), "scanning after detection");
        require(ticking({100ms, 20ms, 3000ms}), "scan without its step timer");
    }
    if (exchange) {
        require(link.exchangeModel().has_value(), "exchange without a model");
        // A sign that falls silent must always end the exchange.
        require(ticking({20ms, 3000ms}), "exchange without a response timer");
    }
    if (link.settling())
        require(exchange || link.releasing(), "settling with no exchange to follow");
    if (link.releasing())
        require(timer1.isEnabled() && timer1.interval() == 3000ms, "a cancelled line without its bound");
    if (link.signDetected())
        require(!timer2.isEnabled(), "scan pass armed after detection");
}
