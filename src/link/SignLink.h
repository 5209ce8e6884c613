#pragma once

#include "link/Outcome.h"
#include "link/ReadBackStepper.h"
#include "link/ScanStepper.h"
#include "link/TransferStepper.h"
#include "protocol/SignModel.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <chrono>
#include <optional>

namespace zlx {

class SignPort;
class Ticker;

enum class LinkMode { Idle, Detect, Program, Read };

// The link to the sign: the port scan and detection, then one exchange at a time (a transfer
// or a read-back), each driven by its stepper. Timer1 steps the scan every 100 ms and is the
// response timer of an exchange; Timer2 starts a scan pass. Between exchanges the port is
// closed. Every exchange ends in finish(), which reports its outcome through finished().
class SignLink : public QObject
{
    Q_OBJECT
public:
    SignLink(SignPort *port, Ticker *timer1, Ticker *timer2, QObject *parent = nullptr);

    LinkMode mode() const { return m_mode; }
    const std::optional<SignModel> &model() const { return m_model; }
    bool signDetected() const { return m_signDetected; }
    int portNumber() const { return m_portNumber; }
    bool programBusy() const { return m_mode == LinkMode::Program; }
    bool readBusy() const { return m_mode == LinkMode::Read; }
    // An ended exchange's answer is still due; the next exchange writes once it is in.
    bool settling() const { return m_settleBytes > 0; }
    SignPort *port() const { return m_port; }
    // The steppers of the exchange under way, or of the last one until the next starts.
    const std::optional<TransferStepper> &transfer() const { return m_transfer; }
    const std::optional<ReadBackStepper> &readBack() const { return m_readBack; }

    void setResponseTimeout(std::chrono::milliseconds timeout) { m_responseTimeout = timeout; }
    void setLastScanPort(int port) { m_lastScanPort = port; }

    // Configures the port and arms Timer2 for the next scan pass.
    void SetUpLink();

    // Send in two steps, so that nothing answers while the caller tells of cut pages: begin
    // ends a read-back under way (false while a transfer runs or before detection); start
    // writes frame 0, once an answer still due to the ended exchange is in.
    bool beginSend();
    void startSend(const QList<QByteArray> &frames);
    // False while a read-back runs, before detection, or with an unknown model.
    bool startRead();
    void cancel();  // ends the exchange under way with Outcome::Cancelled

public slots:
    void Timer1_Timer();
    void Timer2_Timer();
    void MSComm1_OnComm();

signals:
    void scanPassStarted();
    void scanPassEnded();
    void signFound();                        // model() tells the page count, if known
    void exchangesAvailable(bool available); // Send and Read may be offered
    void portRefused(const QString &devicePath);  // lack of permission, once per device
    void progress(zlx::Exchange exchange);   // transfer() or readBack() tells how far
    void finished(zlx::Exchange exchange, zlx::Outcome outcome);

private:
    void ScanStart();
    void ScanStep();
    void probe(const ScanStepper::Probe &probe);
    void Detection(const QByteArray &answer);
    void onPortLost();
    void endPrevious(Exchange next);
    void endSettle();
    void launch();
    void apply(const Step &step);
    void finish(Outcome outcome);
    void restartResponseTimer();

    SignPort *m_port;
    Ticker *m_timer1;
    Ticker *m_timer2;
    ScanStepper m_scan;
    int m_lastScanPort = ScanStepper::kLastPort;
    std::chrono::milliseconds m_responseTimeout{3000};

    LinkMode m_mode = LinkMode::Idle;
    std::optional<SignModel> m_model;
    bool m_signDetected = false;
    int m_portNumber = 0;
    int m_settleBytes = 0;  // size of the answer still due to an ended exchange
    std::optional<TransferStepper> m_transfer;
    std::optional<ReadBackStepper> m_readBack;
    QSet<QString> m_refusedDevices;
};

QString modeName(LinkMode mode);  // "autodetectar", "programar", "lectura" or ""

}  // namespace zlx
