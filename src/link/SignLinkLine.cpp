// Opening the line for the scan's probe or an exchange's first request, letting it settle when
// an exchange ends early (cancelled, or superseded by another), and what the port reports on its
// own: a late open, a loss, a flush.
#include "link/ExchangeReply.h"
#include "link/LinkLog.h"
#include "link/SignLink.h"
#include "link/SignPort.h"
#include "link/Ticker.h"

namespace zlx {

namespace {
// A line that never goes still (a device that chatters) is not waited for without end.
constexpr int kMaxQuietRestarts = 256;
}  // namespace

void SignLink::arm(std::chrono::milliseconds interval)
{
    m_timer1->setEnabled(false);
    m_timer1->setInterval(interval);
    m_timer1->setEnabled(true);
}

void SignLink::disarm()
{
    m_timer1->setEnabled(false);
}

// A network port opens later, within the answer time; a local one at once.
void SignLink::openLine(const QString &address)
{
    m_phase = Phase::Opening;
    const PortStatus status = m_port->open(address);
    if (status == PortStatus::Pending) {
        arm(m_responseTimeout);
        return;
    }
    onOpened(status);
}

void SignLink::onOpened(PortStatus status)
{
    if (m_phase != Phase::Opening)
        return;  // a port closed while it was opening
    if (status == PortStatus::Opened) {
        startQuiet();
        return;
    }
    const QString detail = m_port->detail();
    qCInfo(lcLink) << "cannot open COM" << m_portNumber << m_port->detail() << status;
    m_port->close();
    m_phase = Phase::None;
    if (m_mode == LinkMode::Detect)
        probeFailed(status, detail);
    else if (status == PortStatus::NoDevice)
        finish(Outcome::PortLost, status, detail);  // unplugged: look for the sign again
    else
        finish(Outcome::CannotOpen, status, detail);
}

// Bytes waiting at open, or still on their way, are the late answer of an exchange that gave up
// (a timeout, an interrupted run): taken for this exchange's first answer, they would derail it.
// The protocol has no sequence numbers, so they are dropped until the line has been still.
void SignLink::startQuiet()
{
    m_port->discardInput();
    m_quietTime = m_port->quietTime();
    if (m_quietTime.count() == 0) {
        lineQuiet();  // a port that knows of no earlier exchange: nothing to wait for
        return;
    }
    m_port->setReceiveThreshold(1);
    m_quietRestarts = 0;
    m_phase = Phase::Quieting;
    arm(m_quietTime);
}

void SignLink::keepQuiet()
{
    if (++m_quietRestarts < kMaxQuietRestarts)
        arm(m_quietTime);
}

void SignLink::lineQuiet()
{
    m_phase = Phase::Awaiting;
    if (m_mode == LinkMode::Detect)
        writeProbe();
    else
        writeFirstRequest();
}

// Timer1 while opening: a network port that did not open within the answer time.
void SignLink::openTimedOut()
{
    m_port->close();
    m_phase = Phase::None;
    const QString detail = QStringLiteral("no connection within %1 ms").arg(m_responseTimeout.count());
    if (m_mode == LinkMode::Detect)
        probeFailed(PortStatus::Unreachable, detail);
    else
        finish(Outcome::CannotOpen, PortStatus::Unreachable, detail);
}

void SignLink::onPortLost(PortStatus why)
{
    const QString detail = m_port->detail();
    qCInfo(lcLink) << "port lost in mode" << m_mode << why << detail;
    const bool opening = m_phase == Phase::Opening || m_phase == Phase::Quieting;
    switch (m_mode) {
    case LinkMode::Detect:
        m_port->close();
        if (opening)
            probeFailed(why, detail);
        break;
    case LinkMode::Program:
    case LinkMode::Read:
        // A device server that turns this client away right after accepting it is busy, not gone.
        if (opening && why == PortStatus::Busy)
            finish(Outcome::CannotOpen, why, detail);
        else
            finish(Outcome::PortLost, why, detail);
        break;
    case LinkMode::Idle:
        break;
    }
}

void SignLink::onFlushed(bool ok)
{
    if (m_phase != Phase::Draining)
        return;
    if (m_cancelling) {
        // After a cancel: the sign's answer to what just left is heard here, not by whoever
        // opens the port next.
        if (ok && m_settleBytes > 0) {
            m_phase = Phase::Settling;
            m_port->setReceiveThreshold(m_settleBytes);
            arm(m_responseTimeout);
        } else {
            endSettle();
        }
        return;
    }
    if (ok)
        finish(Outcome::Completed);
    else
        finish(Outcome::PortLost, PortStatus::Dropped, QStringLiteral("the end frame did not leave"));
}

// The caller hears at once. The line settles on its own: a frame or request on its way leaves
// whole, so that the sign is never left inside a frame, and the sign's answer to it is waited
// for, so that it is not left on the line for the next exchange or program; then the port closes.
void SignLink::cancel()
{
    if (m_mode != LinkMode::Program && m_mode != LinkMode::Read)
        return;
    if (m_phase == Phase::Draining)
        return;  // the last frame is leaving already
    if (m_phase != Phase::Awaiting || !m_port->isOpen()) {
        finish(Outcome::Cancelled);
        return;
    }
    ExchangeReply *ended = m_reply;
    m_settleBytes = answerDue() ? (m_mode == LinkMode::Read ? ReadBackStepper::kAnswerSize : TransferStepper::kAnswerSize) : 0;
    qCInfo(lcLink) << "exchange" << m_mode << "cancelled; the line settles";
    m_mode = LinkMode::Idle;
    m_reply = nullptr;
    m_phase = Phase::Draining;
    m_cancelling = true;
    arm(m_responseTimeout);
    m_port->flush();
    if (ended)
        ended->end(Outcome::Cancelled, PortStatus::Opened, {});
}

// The exchange under way gives way to the next one. Its answer may still be on the line; taken
// for the first answer of the next exchange it would end that one as a wrong answer, so the
// next exchange opens the line only once that answer is in or the response time has passed.
bool SignLink::answerDue() const
{
    if (!m_reply)
        return false;
    return m_mode == LinkMode::Read || m_reply->framesWritten() > m_reply->acknowledged();
}

void SignLink::endPrevious()
{
    ExchangeReply *ended = m_reply;
    if (m_phase == Phase::Awaiting && answerDue())
        m_settleBytes = m_mode == LinkMode::Read ? ReadBackStepper::kAnswerSize : TransferStepper::kAnswerSize;
    m_mode = LinkMode::Idle;
    m_reply = nullptr;
    m_cancelling = false;  // a cancel belonged to the ended exchange; its answer is still awaited
    if (m_settleBytes > 0 && m_phase != Phase::Settling) {
        m_phase = Phase::Settling;
        m_port->setReceiveThreshold(m_settleBytes);
        arm(m_responseTimeout);
    } else if (m_phase != Phase::Settling) {
        m_phase = Phase::None;
        disarm();
    }
    if (ended)
        ended->end(Outcome::Superseded, PortStatus::Opened, {});
}

// The answer due is in, or its time is up: the next exchange may open the line. With none
// waiting (after a cancel) the port closes.
void SignLink::endSettle()
{
    m_settleBytes = 0;
    m_phase = Phase::None;
    m_cancelling = false;
    disarm();
    if (m_reply && (m_mode == LinkMode::Read || m_reply->m_transfer)) {
        launch();
    } else if (!m_reply) {
        m_port->close();
        emit lineReleased();
    }
}

}  // namespace zlx
