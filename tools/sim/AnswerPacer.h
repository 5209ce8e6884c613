#pragma once

#include "sim/Fault.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

#include <deque>

class QTimer;

namespace zlx::sim {

// The timing of the line between the program and a sign, whatever carries it: each byte takes
// its line time in each direction, an answer starts once its request is in and the previous
// answer has left, and the slow and split faults move the answer's bytes. Runs in the caller's
// event loop and hands out each answer byte through answerDue() when its time has come.
class AnswerPacer final : public QObject
{
    Q_OBJECT
public:
    explicit AnswerPacer(QObject *parent = nullptr);

    // N > 0: every byte takes the line time of 10 bits at N baud in each direction. 0: no delay.
    void setPaceBaud(int baud) { m_paceBaud = baud; }
    int paceBaud() const { return m_paceBaud; }

    qint64 nowNs() const { return m_clock.nsecsElapsed(); }
    // A byte from the program handed over at nowNs; returns when its last bit is in.
    qint64 byteReceived(qint64 nowNs);
    // Queues the sign's answer to a request whose last byte was in at requestDoneNs.
    void schedule(const QByteArray &answer, qint64 requestDoneNs, Fault fault);
    // Hands out every byte that is due, then waits for the next.
    void releaseDue();
    // A fresh line: nothing queued, both directions free.
    void reset();

signals:
    void answerDue(const QByteArray &bytes);

private:
    struct Pending
    {
        qint64 dueNs;
        QByteArray bytes;
    };

    qint64 byteTimeNs() const;

    QTimer *m_releaseTimer;
    QElapsedTimer m_clock;
    std::deque<Pending> m_pending;
    qint64 m_rxLineFreeNs = 0;
    qint64 m_txLineFreeNs = 0;
    int m_paceBaud = 0;
};

}  // namespace zlx::sim
