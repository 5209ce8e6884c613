// The port scan and the detection of the sign, the part of the link that runs until a sign
// has answered.
#include "link/LinkLog.h"
#include "link/PortAddress.h"
#include "link/SignLink.h"
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
    m_timer2->setEnabled(false);
}

// The pass ends at its last port without opening it: a probe written there as the port closes
// could never be heard, and its answer would wait on that line for whoever opens it next.
void SignLink::ScanStep()
{
    m_port->close();
    m_phase = Phase::None;
    const ScanStepper::Probe next = m_scan.step();
    if (next.endsPass) {
        m_portNumber = next.port;
        disarm();
        m_mode = LinkMode::Idle;
        m_timer2->setEnabled(true);
        emit scanPassEnded();
        return;
    }
    probe(next);
}

void SignLink::probe(const ScanStepper::Probe &probe)
{
    m_portNumber = probe.port;
    m_probeAddress = m_map.devicePath(probe.port);
    if (m_probeAddress.isEmpty()) {
        m_phase = Phase::None;
        arm(kScanStep);
        return;
    }
    openLine(m_probeAddress);
}

// A port that fails to open or to take the probe is skipped: it simply gives no answer.
void SignLink::probeFailed(PortStatus status, const QString &detail)
{
    notice(m_probeAddress, status, detail);
    m_phase = Phase::None;
    arm(kScanStep);
}

// The system's own ports get the defined 100 ms each; a named or network port, far away
// perhaps, gets the answer time.
void SignLink::writeProbe()
{
    m_port->setReceiveThreshold(kDetectThreshold);
    qCDebug(lcLink) << "probe COM" << m_portNumber << m_probeAddress;
    if (!m_port->write(frames::detectionProbe())) {
        m_port->close();
        m_phase = Phase::None;
        arm(kScanStep);
        return;
    }
    const bool far = m_map.isNamed() || PortAddress::parse(m_probeAddress).value_or(PortAddress{}).isNetwork();
    arm(far ? m_responseTimeout : kScanStep);
}

// The operator learns once why a port stays silent; the scan goes on as ever.
void SignLink::notice(const QString &address, PortStatus status, const QString &detail)
{
    if (status == PortStatus::NoDevice && !m_map.isNamed())
        return;
    const QString key = address + u'\n' + QString::number(int(status));
    if (m_noticed.contains(key))
        return;
    m_noticed.insert(key);
    emit portNotice(address, status, detail);
}

void SignLink::Detection(const QByteArray &answer)
{
    const answers::DetectionAnswer detected = answers::classifyDetection(answer);
    if (detected.kind == answers::Detection::Nothing)
        return;
    m_port->close();
    m_phase = Phase::None;
    if (detected.kind == answers::Detection::NotASign)
        return;  // the scan goes on at the next tick
    m_exchangeModel = modelFromCode(detected.modelCode);
    if (m_exchangeModel)
        m_model = m_exchangeModel;
    m_signDetected = true;
    m_signAddress = m_probeAddress;
    m_mode = LinkMode::Idle;
    m_port->discardInput();
    disarm();
    m_timer2->setEnabled(false);
    qCInfo(lcLink) << "sign detected on COM" << m_portNumber << m_signAddress << "model code" << detected.modelCode;
    emit signFound();
    emit exchangesAvailable(true);
}

}  // namespace zlx
