#pragma once

#include "sim/UniqueFd.h"
#include "sim/VirtualSign.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <deque>

class QSocketNotifier;
class QTimer;

namespace zlx::sim {

// A VirtualSign on a pseudo-terminal: the program opens slavePath() as its serial port. Runs in
// the caller's event loop, so a test can host it in the same thread as the program under test.
class PtySign final : public QObject
{
    Q_OBJECT
public:
    explicit PtySign(Model model = Model::Pages20, QObject *parent = nullptr);
    ~PtySign() override;

    // Opens the pty pair; links linkPath (if given) to the device. False with errorString().
    bool open(const QString &linkPath = {});
    // Closes the pty and removes the link, as if the sign's port had vanished.
    void closePty();
    bool isOpen() const { return m_master.isValid(); }
    QString slavePath() const { return m_slavePath; }
    QString linkPath() const { return m_linkPath; }
    QString errorString() const { return m_error; }

    // N > 0: every byte takes the line time of 10 bits at N baud in each direction. 0: no delay.
    void setPaceBaud(int baud) { m_paceBaud = baud; }
    int paceBaud() const { return m_paceBaud; }

    // Loads the memory from path if the file exists; from then on the memory is saved there after
    // every end frame. False (with errorString()) if an existing file cannot be loaded.
    bool setMemoryFile(const QString &path);
    bool saveMemory();  // to the memory file, if there is one

    VirtualSign &sign() { return m_sign; }
    const VirtualSign &sign() const { return m_sign; }
    qint64 bytesDropped() const { return m_dropped; }  // answer bytes the pty would not take

signals:
    // One valid frame from the program and the sign's answer to it (before any delay).
    void frameHandled(const QByteArray &frame, const QByteArray &answer);
    void endFrameReceived();
    void answerBytesSent(const QByteArray &bytes);

private:
    struct Pending
    {
        qint64 dueNs;
        QByteArray bytes;
    };

    void readMaster();
    void takeByte(char byte, qint64 nowNs);
    void schedule(const QByteArray &answer, qint64 requestDoneNs);
    void releaseDue();
    void writeOut(const QByteArray &bytes);
    qint64 byteTimeNs() const;

    VirtualSign m_sign;
    UniqueFd m_master;
    UniqueFd m_slave;  // held open so the master never sees a hang-up between the program's opens
    QSocketNotifier *m_notifier = nullptr;  // child; replaced on every open
    QTimer *m_releaseTimer;
    QTimer *m_retryTimer;
    QElapsedTimer m_clock;
    std::deque<Pending> m_pending;
    QString m_slavePath;
    QString m_linkPath;
    QString m_memoryFile;
    QString m_error;
    qint64 m_rxLineFreeNs = 0;
    qint64 m_txLineFreeNs = 0;
    qint64 m_dropped = 0;
    int m_paceBaud = 0;
};

}  // namespace zlx::sim
