#include "link/SignLink.h"

#include "link/LinkLog.h"
#include "link/SignPort.h"
#include "link/Ticker.h"
#include "protocol/Answers.h"
#include "protocol/Frames.h"

using namespace std::chrono_literals;

namespace zlx {

namespace {
constexpr auto kScanPause = 1000ms;
}  // namespace

SignLink::SignLink(SignPort *port, Ticker *timer1, Ticker *timer2, QObject *parent)
    : QObject(parent), m_port(port), m_timer1(timer1), m_timer2(timer2)
{
    connect(m_timer1, &Ticker::tick, this, &SignLink::Timer1_Timer);
    connect(m_timer2, &Ticker::tick, this, &SignLink::Timer2_Timer);
    connect(m_port, &SignPort::dataArrived, this, &SignLink::MSComm1_OnComm);
    connect(m_port, &SignPort::lost, this, &SignLink::onPortLost);
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
    if (settling()) {
        endSettle();
        return;
    }
    switch (m_mode) {
    case LinkMode::Program:
    case LinkMode::Read:
        qCInfo(lcLink) << "no answer within" << m_responseTimeout.count() << "ms in mode" << modeName(m_mode);
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
    const QByteArray answer = m_port->read();
    qCDebug(lcLink) << "answer" << modeName(m_mode) << answer.toHex(' ');
    if (settling()) {
        endSettle();  // the ended exchange's answer: read and dropped
        return;
    }
    switch (m_mode) {
    case LinkMode::Read:
        if (m_readBack) {
            const Step step = m_readBack->answer(answer);
            if (step.outcome != Outcome::WrongAnswer && step.outcome != Outcome::ForeignPage)
                emit progress(Exchange::Read);
            apply(step);
        }
        break;
    case LinkMode::Program:
        if (m_transfer) {
            const int acknowledged = m_transfer->acknowledged();
            const Step step = m_transfer->answer(answer);
            if (m_transfer->acknowledged() > acknowledged)
                emit progress(Exchange::Send);
            apply(step);
        }
        break;
    case LinkMode::Detect:
        Detection(answer);
        break;
    case LinkMode::Idle:
        break;  // a late answer: read and dropped
    }
}

void SignLink::onPortLost()
{
    if (m_mode == LinkMode::Program || m_mode == LinkMode::Read)
        finish(Outcome::PortLost);
}

bool SignLink::beginSend()
{
    if (!m_signDetected || programBusy() || m_mode == LinkMode::Detect)
        return false;
    if (m_mode == LinkMode::Read)
        endPrevious(Exchange::Send);
    m_mode = LinkMode::Program;
    m_transfer.reset();
    return true;
}

void SignLink::startSend(const QList<QByteArray> &frames)
{
    if (m_mode != LinkMode::Program || m_transfer)
        return;
    m_transfer.emplace(frames);
    if (!settling())
        launch();
}

bool SignLink::startRead()
{
    if (!m_signDetected || readBusy() || !m_model || m_mode == LinkMode::Detect)
        return false;
    if (m_mode == LinkMode::Program)
        endPrevious(Exchange::Read);
    m_mode = LinkMode::Read;
    m_readBack.emplace(*m_model);
    if (!settling())
        launch();
    return true;
}

void SignLink::cancel()
{
    if (m_mode == LinkMode::Program || m_mode == LinkMode::Read)
        finish(Outcome::Cancelled);
}

// The exchange under way gives way to the next one. Its answer may still be on the line; taken
// for the first answer of the next exchange it would end that one as a wrong answer, so the
// next exchange writes only once that answer is in or the response time has passed.
void SignLink::endPrevious(Exchange next)
{
    const Exchange ended = next == Exchange::Send ? Exchange::Read : Exchange::Send;
    if (!settling()) {
        if (m_mode == LinkMode::Read && m_readBack)
            m_settleBytes = ReadBackStepper::kAnswerSize;
        else if (m_transfer && m_transfer->written() > m_transfer->acknowledged())
            m_settleBytes = TransferStepper::kAnswerSize;
    }
    m_mode = LinkMode::Idle;
    if (settling()) {
        m_port->setReceiveThreshold(m_settleBytes);
        restartResponseTimer();
    } else {
        m_timer1->setEnabled(false);
    }
    emit finished(ended, Outcome::Superseded);
}

void SignLink::endSettle()
{
    m_settleBytes = 0;
    m_timer1->setEnabled(false);
    if ((m_mode == LinkMode::Program && m_transfer) || m_mode == LinkMode::Read)
        launch();
}

// Opens the sign's port and writes the exchange's first request.
void SignLink::launch()
{
    const OpenResult opened = m_port->open();
    if (opened != OpenResult::Opened) {
        qCWarning(lcLink) << "cannot open COM" << m_port->portNumber() << m_port->devicePath();
        // A device that is gone is a lost port; one that is there but refuses stays the sign's.
        finish(opened == OpenResult::NoDevice ? Outcome::PortLost : Outcome::CannotOpen);
        return;
    }
    const bool sending = m_mode == LinkMode::Program;
    m_port->setReceiveThreshold(sending ? TransferStepper::kAnswerSize : ReadBackStepper::kAnswerSize);
    m_port->discardInput();
    apply(sending ? m_transfer->start() : m_readBack->start());
}

void SignLink::apply(const Step &step)
{
    if (!step.write.isEmpty()) {
        qCDebug(lcLink) << "write" << step.write.toHex(' ');
        if (!m_port->write(step.write)) {
            qCWarning(lcLink) << "write to COM" << m_port->portNumber() << "failed";
            finish(Outcome::PortLost);
            return;
        }
    }
    if (step.outcome) {
        // The end frame must be on the line before the port is released.
        if (*step.outcome == Outcome::Completed && m_mode == LinkMode::Program && !m_port->drain()) {
            finish(Outcome::PortLost);
            return;
        }
        finish(*step.outcome);
        return;
    }
    if (step.awaitAnswer)
        restartResponseTimer();
}

void SignLink::finish(Outcome outcome)
{
    // A port may report its loss from inside write() or drain(), ending the exchange there.
    if (m_mode != LinkMode::Program && m_mode != LinkMode::Read)
        return;
    const Exchange ended = m_mode == LinkMode::Program ? Exchange::Send : Exchange::Read;
    qCInfo(lcLink) << "exchange" << modeName(m_mode) << "ended with outcome" << int(outcome);
    m_settleBytes = 0;
    m_timer1->setEnabled(false);
    m_port->close();
    m_mode = LinkMode::Idle;
    if (outcome == Outcome::PortLost) {
        // The adapter may come back, even under another name: look for the sign as at start.
        m_signDetected = false;
        m_model.reset();  // the sign found next tells its own
        SetUpLink();
    }
    emit finished(ended, outcome);
}

void SignLink::restartResponseTimer()
{
    m_timer1->setEnabled(false);
    m_timer1->setInterval(m_responseTimeout);
    m_timer1->setEnabled(true);
}

}  // namespace zlx
