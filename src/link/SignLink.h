#pragma once

#include "link/SignModel.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

namespace zlx {

class SignPort;
class Ticker;

enum class LinkMode { Idle, Detect, Program, Read };
enum class MessageIcon { Information, Exclamation };

// The link to the sign: the port scan and detection, the acknowledged programming transfer and
// the block-wise read-back. One exchange at a time; between exchanges the port is closed.
// Timer1 steps the scan every 100 ms and is the 3000 ms response timer of an exchange; Timer2
// starts a scan pass. Status texts, the title and messages leave through signals; a message is
// always the last thing a handler does, after the mode is back to idle.
class SignLink : public QObject
{
    Q_OBJECT
public:
    SignLink(SignPort *port, Ticker *timer1, Ticker *timer2, QObject *parent = nullptr);

    LinkMode mode() const { return m_mode; }
    const std::optional<SignModel> &model() const { return m_model; }
    bool signDetected() const { return m_signDetected; }
    int portNumber() const { return m_portNumber; }
    bool programBusy() const { return m_programBusy; }
    bool readBusy() const { return m_readBusy; }
    SignPort *port() const { return m_port; }
    Ticker *timer1() const { return m_timer1; }
    Ticker *timer2() const { return m_timer2; }

    const QList<QByteArray> &pageImages() const { return m_pageImages; }
    const QList<QByteArray> &frameList() const { return m_frames; }
    int frameCount() const { return int(m_frames.size()); }
    int frameIndex() const { return m_frameIndex; }
    int readPage() const { return m_readPage; }
    int readBlock() const { return m_readBlock; }
    int addrHigh() const { return m_addrHigh; }
    int addrLow() const { return m_addrLow; }

    // Configures the port and arms Timer2 for the first scan pass (only before detection).
    void SetUpLink();
    void clearPageImages();  // not while a read-back fills them

    // Send: beginSend sets the mode, flags and "Enviando ..."; the caller then builds the page
    // images (it may show the cut message) and hands them to startSend, which writes frame 0.
    // beginSend is false while a transfer is under way.
    bool beginSend();
    void startSend(const QList<QByteArray> &pageImages);

    // Read-back: false while one is under way; otherwise requests the first block.
    bool startRead();

public slots:
    void Timer1_Timer();
    void Timer2_Timer();
    void MSComm1_OnComm();

signals:
    void panelText(int panel, const QString &text);  // panels 1..3 of the status bar
    void titleChanged(const QString &title);
    void signFound();  // enable Send and Read; model() tells the page count
    void sendButtonsEnabled(bool enabled);
    // A read-back completed: the window empties the store, decodes these and shows page 1.
    void readCompleted(const QList<QByteArray> &pageImages);
    // A read-back ended without completing (wrong answer, timeout, port failure).
    void readAbandoned();
    void message(zlx::MessageIcon icon, const QString &text);

private:
    void ScanStart();
    void ScanStep();
    void Detection(const QByteArray &answer);
    void ResponseTimeout();
    void programAnswer(const QByteArray &answer);
    void readAnswer(const QByteArray &answer);
    bool openForExchange();
    void writeFrame(const QByteArray &bytes);
    void restartResponseTimer();
    void setPanel(int panel, const QString &text);

    SignPort *m_port;
    Ticker *m_timer1;
    Ticker *m_timer2;

    LinkMode m_mode = LinkMode::Idle;
    std::optional<SignModel> m_model;
    bool m_signDetected = false;
    int m_portNumber = 0;
    bool m_programBusy = false;
    bool m_readBusy = false;

    QList<QByteArray> m_pageImages;
    QList<QByteArray> m_frames;
    int m_frameIndex = 0;

    QString m_panel1;        // what panel 1 shows
    QString m_panel1Before;  // what it showed before an exchange; back if the port fails

    int m_readPage = 0;
    int m_readBlock = 0;
    int m_addrHigh = 0;
    int m_addrLow = 0;
};

QString modeName(LinkMode mode);  // "autodetectar", "programar", "lectura" or ""

}  // namespace zlx
