#pragma once

#include "link/ExchangeReply.h"
#include "link/LinkTypes.h"
#include "link/PortMap.h"
#include "link/ScanStepper.h"
#include "protocol/SignModel.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <chrono>
#include <optional>

namespace zlx {

class SignPort;
class Ticker;

// The link to the sign: the port scan and detection, then one exchange at a time (a transfer
// or a read-back), each driven by its stepper and reported through its ExchangeReply. Timer1
// steps the scan and is the response timer of an exchange; Timer2 starts a scan pass. Between
// exchanges the port is closed.
//
// Every port is opened the same way: the open (a network port's lookup and connection, bounded
// by the answer time), then a quiet spell in which whatever arrives is dropped, until the line
// has been still for the port's quiet time; only then does the first request go out, and only
// answers after it count. The sign found is kept by its device, never by its COM number again.
class SignLink : public QObject
{
    Q_OBJECT
public:
    SignLink(SignPort *port, PortMap map, Ticker *timer1, Ticker *timer2, QObject *parent = nullptr);

    LinkMode mode() const { return m_mode; }
    // The model of the sign detected last; it stays after the sign's port is lost, for the
    // editor and the files, until another sign is detected.
    const std::optional<SignModel> &model() const { return m_model; }
    // The model exchanges use: the one the sign found now told, if it told a known one.
    const std::optional<SignModel> &exchangeModel() const { return m_exchangeModel; }
    bool signDetected() const { return m_signDetected; }
    int portNumber() const { return m_portNumber; }  // probed, or the sign's
    QString signAddress() const { return m_signAddress; }
    bool programBusy() const { return m_mode == LinkMode::Program; }
    bool readBusy() const { return m_mode == LinkMode::Read; }
    // An ended exchange's answer is still due; the next exchange writes once it is in.
    bool settling() const { return m_phase == Phase::Settling || (m_phase == Phase::Draining && m_cancelling); }
    // A cancelled exchange's line still settling, the port open: lineReleased() follows.
    bool releasing() const { return m_mode == LinkMode::Idle && settling(); }
    const PortMap &portMap() const { return m_map; }

    void setResponseTimeout(std::chrono::milliseconds timeout) { m_responseTimeout = timeout; }
    std::chrono::milliseconds responseTimeout() const { return m_responseTimeout; }
    void setLastScanPort(int port) { m_lastScanPort = port; }

    // Configures the port and arms Timer2 for the next scan pass.
    void SetUpLink();

    // Send in two steps, so that nothing answers while the caller tells of cut pages: begin
    // ends a read-back under way (nullptr while a transfer runs, before detection or with an
    // unknown model); start writes frame 0 once the port is open and still.
    ExchangeReply *beginSend();
    void startSend(const QList<QByteArray> &frames);
    // nullptr while a read-back runs, before detection, or with an unknown model.
    ExchangeReply *startRead();
    // Ends the exchange under way with Outcome::Cancelled at once; a frame on the line still
    // leaves, and the sign's answer to it is waited for, before the port closes (lineReleased).
    void cancel();

public slots:
    void Timer1_Timer();
    void Timer2_Timer();
    void MSComm1_OnComm();

signals:
    void scanPassStarted();
    void scanPassEnded();
    void signFound();                        // model() tells the page count, if known
    void exchangesAvailable(bool available); // Send and Read may be offered
    // A port of the scan that would not open, once per address and reason. A missing device
    // only for named ports: the system's empty COM numbers stay silent.
    void portNotice(const QString &address, zlx::PortStatus status, const QString &detail);
    void lineReleased();  // the port closed after a cancelled exchange's line settled

private:
    enum class Phase { None, Settling, Opening, Quieting, Awaiting, Draining };

    // The scan and the detection (SignLinkScan.cpp).
    void ScanStart();
    void ScanStep();
    void probe(const ScanStepper::Probe &probe);
    void probeOpened(PortStatus status);
    void probeFailed(PortStatus status, const QString &detail);
    void writeProbe();
    void Detection(const QByteArray &answer);
    void notice(const QString &address, PortStatus status, const QString &detail);

    // Opening and closing the line (SignLinkLine.cpp).
    void openLine(const QString &address);
    void onOpened(PortStatus status);
    void startQuiet();
    void keepQuiet();
    void lineQuiet();
    void openTimedOut();
    void onPortLost(PortStatus why);
    void onFlushed(bool ok);
    void arm(std::chrono::milliseconds interval);
    void disarm();

    // The exchanges (SignLink.cpp).
    ExchangeReply *newReply(Exchange exchange);
    void answer(const QByteArray &bytes);
    bool answerDue() const;  // the sign still owes an answer to what was written
    void endPrevious();
    void endSettle();
    void launch();
    void writeFirstRequest();
    void apply(const Step &step);
    void finish(Outcome outcome, PortStatus why = PortStatus::Opened, const QString &detail = {});

    SignPort *m_port;
    PortMap m_map;
    Ticker *m_timer1;
    Ticker *m_timer2;
    ScanStepper m_scan;
    int m_lastScanPort = ScanStepper::kLastPort;
    std::chrono::milliseconds m_responseTimeout{3000};

    LinkMode m_mode = LinkMode::Idle;
    Phase m_phase = Phase::None;
    std::optional<SignModel> m_model;
    std::optional<SignModel> m_exchangeModel;
    bool m_signDetected = false;
    int m_portNumber = 0;
    QString m_probeAddress;
    QString m_signAddress;
    int m_settleBytes = 0;  // size of the answer still due to an ended exchange
    int m_quietRestarts = 0;
    std::chrono::milliseconds m_quietTime{0};
    bool m_cancelling = false;
    QPointer<ExchangeReply> m_reply;
    QSet<QString> m_noticed;
};

QString modeName(LinkMode mode);  // "autodetectar", "programar", "lectura" or ""

}  // namespace zlx
