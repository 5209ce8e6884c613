#include "link/SignLink.h"

#include "link/LinkLog.h"
#include "link/SignPort.h"
#include "link/Ticker.h"
#include "protocol/Frames.h"

using namespace std::chrono_literals;

namespace zlx {

namespace {
constexpr auto kScanPause = 1000ms;
}  // namespace

SignLink::SignLink(SignPort *port, PortMap map, Ticker *timer1, Ticker *timer2, QObject *parent)
    : QObject(parent), m_port(port), m_map(std::move(map)), m_timer1(timer1), m_timer2(timer2)
{
    connect(m_timer1, &Ticker::tick, this, &SignLink::Timer1_Timer);
    connect(m_timer2, &Ticker::tick, this, &SignLink::Timer2_Timer);
    connect(m_port, &SignPort::dataArrived, this, &SignLink::MSComm1_OnComm);
    connect(m_port, &SignPort::opened, this, &SignLink::onOpened);
    connect(m_port, &SignPort::lost, this, &SignLink::onPortLost);
    connect(m_port, &SignPort::flushed, this, &SignLink::onFlushed);
}

void SignLink::SetUpLink()
{
    if (m_port->isOpen())
        m_port->close();
    m_port->setReceiveThreshold(frames::kDetectAnswerSize);
    m_port->setSettings(PortSettings{});
    m_timer2->setInterval(kScanPause);
    m_timer2->setEnabled(true);
    emit exchangesAvailable(false);
}

void SignLink::Timer1_Timer()
{
    switch (m_phase) {
    case Phase::Settling:
        endSettle();
        return;
    case Phase::Opening:
        openTimedOut();
        return;
    case Phase::Quieting:
        lineQuiet();
        return;
    case Phase::Draining:
        onFlushed(false);  // the port never told: as good as a failed flush
        return;
    case Phase::None:
    case Phase::Awaiting:
        break;
    }
    switch (m_mode) {
    case LinkMode::Program:
    case LinkMode::Read:
        qCInfo(lcLink) << "no answer within" << m_responseTimeout.count() << "ms in mode" << m_mode;
        finish(Outcome::Timeout);
        break;
    case LinkMode::Detect:
        ScanStep();
        break;
    case LinkMode::Idle:
        break;
    }
}

void SignLink::MSComm1_OnComm()
{
    const QByteArray bytes = m_port->read();
    qCDebug(lcLink) << "answer" << m_mode << bytes.toHex(' ');
    switch (m_phase) {
    case Phase::Settling:
        endSettle();  // the ended exchange's answer: read and dropped
        return;
    case Phase::Draining:
        if (m_cancelling)
            m_settleBytes = std::max(0, m_settleBytes - int(bytes.size()));  // the answer due, coming early
        return;
    case Phase::Quieting:
        keepQuiet();  // an earlier exchange's: dropped
        return;
    case Phase::Awaiting:
        break;
    case Phase::None:
    case Phase::Opening:
        return;  // nothing was asked: read and dropped
    }
    if (m_mode == LinkMode::Detect)
        Detection(bytes);
    else if (m_mode != LinkMode::Idle)
        answer(bytes);
}

void SignLink::answer(const QByteArray &bytes)
{
    ExchangeReply *reply = m_reply;
    if (!reply) {
        finish(Outcome::Cancelled);
        return;
    }
    Step step;
    bool advanced = false;
    if (m_mode == LinkMode::Read) {
        step = reply->m_readBack->answer(bytes);
        advanced = step.outcome != Outcome::WrongAnswer && step.outcome != Outcome::ForeignPage;
    } else {
        const int acknowledged = reply->acknowledged();
        step = reply->m_transfer->answer(bytes);
        advanced = reply->acknowledged() > acknowledged;
    }
    if (advanced) {
        emit reply->progress();
        if (m_reply != reply || m_phase != Phase::Awaiting)
            return;  // the caller ended it meanwhile
    }
    apply(step);
}

ExchangeReply *SignLink::newReply(Exchange exchange)
{
    return new ExchangeReply(exchange, *m_exchangeModel, m_signAddress, m_portNumber, this);
}

ExchangeReply *SignLink::beginSend()
{
    if (!m_signDetected || programBusy() || m_mode == LinkMode::Detect || !m_exchangeModel)
        return nullptr;
    if (m_mode == LinkMode::Read)
        endPrevious();
    m_mode = LinkMode::Program;
    m_reply = newReply(Exchange::Send);
    return m_reply;
}

void SignLink::startSend(const QList<QByteArray> &frames)
{
    if (m_mode != LinkMode::Program || !m_reply || m_reply->m_transfer)
        return;
    m_reply->m_transfer.emplace(frames);
    if (!settling())
        launch();
}

ExchangeReply *SignLink::startRead()
{
    if (!m_signDetected || readBusy() || !m_exchangeModel || m_mode == LinkMode::Detect)
        return nullptr;
    if (m_mode == LinkMode::Program)
        endPrevious();
    m_mode = LinkMode::Read;
    ExchangeReply *reply = newReply(Exchange::Read);
    m_reply = reply;
    if (!settling())
        launch();
    return reply;
}

// Opens the sign's own device: the one it was found on, whatever the COM numbers say now.
void SignLink::launch()
{
    openLine(m_signAddress);
}

void SignLink::writeFirstRequest()
{
    ExchangeReply *reply = m_reply;
    if (!reply) {
        finish(Outcome::Cancelled);
        return;
    }
    const bool sending = m_mode == LinkMode::Program;
    m_port->setReceiveThreshold(sending ? TransferStepper::kAnswerSize : ReadBackStepper::kAnswerSize);
    apply(sending ? reply->m_transfer->start() : reply->m_readBack->start());
}

void SignLink::apply(const Step &step)
{
    if (!step.write.isEmpty()) {
        qCDebug(lcLink) << "write" << step.write.toHex(' ');
        if (!m_port->write(step.write)) {
            finish(Outcome::PortLost, PortStatus::Dropped, QStringLiteral("the write failed"));
            return;
        }
    }
    if (step.outcome) {
        // The end frame must be on the line before the port is released.
        if (*step.outcome == Outcome::Completed && m_mode == LinkMode::Program) {
            m_phase = Phase::Draining;
            m_cancelling = false;
            arm(m_responseTimeout);
            m_port->flush();
            return;
        }
        finish(*step.outcome);
        return;
    }
    if (step.awaitAnswer)
        arm(m_responseTimeout);
}

void SignLink::finish(Outcome outcome, PortStatus why, const QString &detail)
{
    // A port may report its loss from inside write() or flush(), ending the exchange there.
    if (m_mode != LinkMode::Program && m_mode != LinkMode::Read)
        return;
    ExchangeReply *reply = m_reply;
    m_reply = nullptr;
    qCInfo(lcLink) << "exchange" << m_mode << "ended with" << outcome << why << detail;
    m_settleBytes = 0;
    m_phase = Phase::None;
    m_cancelling = false;
    disarm();
    m_port->close();
    m_mode = LinkMode::Idle;
    // The adapter may come back, even under another name, and a device server that refuses or
    // cannot be reached may come back too: look for the sign as at start. The model stays for
    // the editor; exchanges wait for a sign to tell its own.
    const bool lineGone = outcome == Outcome::PortLost
                          || (outcome == Outcome::CannotOpen
                              && (why == PortStatus::Refused || why == PortStatus::Unreachable));
    if (lineGone) {
        m_signDetected = false;
        m_exchangeModel.reset();
        SetUpLink();
    }
    if (reply)
        reply->end(outcome, why, detail);
}

}  // namespace zlx
