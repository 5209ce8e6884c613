// The port scan and the detection of the sign, the part of the link that runs until a sign
// has answered.
#include "link/SignLink.h"

#include "link/LinkLog.h"
#include "link/SignPort.h"
#include "link/Ticker.h"
#include "protocol/Answers.h"
#include "protocol/Frames.h"

using namespace std::chrono_literals;

namespace zlx {

namespace {
constexpr auto kScanStep = 100ms;
constexpr int kDetectThreshold = frames::kDetectAnswerSize;
}  // namespace

QString modeName(LinkMode mode)
{
    switch (mode) {
    case LinkMode::Detect:
        return QStringLiteral("autodetectar");
    case LinkMode::Program:
        return QStringLiteral("programar");
    case LinkMode::Read:
        return QStringLiteral("lectura");
    case LinkMode::Idle:
        break;
    }
    return {};
}

void SignLink::Timer2_Timer()
{
    ScanStart();
}

void SignLink::ScanStart()
{
    emit scanPassStarted();
    m_mode = LinkMode::Detect;
    m_port->discardInput();
    m_port->close();
    m_scan = ScanStepper(m_lastScanPort);
    probe(m_scan.begin());
    m_timer1->setInterval(kScanStep);
    m_timer1->setEnabled(true);
    m_timer2->setEnabled(false);
}

void SignLink::ScanStep()
{
    m_port->close();
    const ScanStepper::Probe next = m_scan.step();
    probe(next);
    m_timer1->setInterval(kScanStep);
    m_timer1->setEnabled(true);
    if (next.endsPass) {
        m_timer1->setEnabled(false);
        m_port->close();
        m_mode = LinkMode::Idle;
        m_timer2->setEnabled(true);
        emit scanPassEnded();
    }
}

// A port that fails to open or to take the probe is skipped: it simply gives no answer.
void SignLink::probe(const ScanStepper::Probe &probe)
{
    m_portNumber = probe.port;
    m_port->setPortNumber(m_portNumber);
    m_port->setReceiveThreshold(kDetectThreshold);
    switch (m_port->open()) {
    case OpenResult::Opened:
        qCDebug(lcLink) << "probe COM" << m_portNumber;
        m_port->write(frames::detectionProbe());
        break;
    case OpenResult::NoPermission:
        // The scan goes on as ever; the operator learns once why this device stays silent.
        if (const QString path = m_port->devicePath(); !m_refusedDevices.contains(path)) {
            m_refusedDevices.insert(path);
            emit portRefused(path);
        }
        break;
    case OpenResult::NoDevice:
    case OpenResult::Failed:
        break;
    }
}

void SignLink::Detection(const QByteArray &answer)
{
    const answers::DetectionAnswer detected = answers::classifyDetection(answer);
    if (detected.kind == answers::Detection::Nothing)
        return;
    m_port->close();
    if (detected.kind == answers::Detection::NotASign)
        return;  // the scan goes on at the next tick
    if (const auto model = modelFromCode(detected.modelCode))
        m_model = model;
    m_signDetected = true;
    m_mode = LinkMode::Idle;
    m_port->discardInput();
    m_timer1->setEnabled(false);
    m_timer2->setEnabled(false);
    qCInfo(lcLink) << "sign detected on COM" << m_portNumber << "model code" << detected.modelCode;
    emit signFound();
    emit exchangesAvailable(true);
}

}  // namespace zlx
