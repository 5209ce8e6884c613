#include "sim/AnswerPacer.h"

#include <QTimer>

#include <algorithm>

namespace zlx::sim {

namespace {

constexpr qint64 kNsPerMs = 1'000'000;
constexpr qint64 kNsPerS = 1'000'000'000;
constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr int kSplitPiece = 3;
constexpr qint64 kSplitGapNs = 4 * kNsPerMs;

}  // namespace

AnswerPacer::AnswerPacer(QObject *parent)
    : QObject(parent),
      m_releaseTimer(new QTimer(this))
{
    m_releaseTimer->setSingleShot(true);
    m_releaseTimer->setTimerType(Qt::PreciseTimer);
    connect(m_releaseTimer, &QTimer::timeout, this, &AnswerPacer::releaseDue);
    m_clock.start();
}

qint64 AnswerPacer::byteTimeNs() const
{
    return m_paceBaud > 0 ? kBitsPerByte * kNsPerS / m_paceBaud : 0;
}

qint64 AnswerPacer::byteReceived(qint64 nowNs)
{
    if (m_paceBaud <= 0)
        return nowNs;
    m_rxLineFreeNs = std::max(m_rxLineFreeNs, nowNs) + byteTimeNs();
    return m_rxLineFreeNs;
}

void AnswerPacer::schedule(const QByteArray &answer, qint64 requestDoneNs, Fault fault)
{
    if (answer.isEmpty())
        return;
    qint64 start = requestDoneNs;
    if (fault.kind == FaultKind::SlowAnswers)
        start += fault.value * kNsPerMs;
    // One line: an answer cannot start before the previous one has left.
    start = std::max(start, m_txLineFreeNs);
    const bool split = fault.kind == FaultKind::SplitAnswers;
    qint64 due = start;
    for (qsizetype i = 0; i < answer.size(); ++i) {
        due = start + (i + 1) * byteTimeNs() + (split ? (i / kSplitPiece) * kSplitGapNs : 0);
        if (!m_pending.empty() && m_pending.back().dueNs == due)
            m_pending.back().bytes += answer.at(i);
        else
            m_pending.push_back({due, QByteArray(1, answer.at(i))});
    }
    m_txLineFreeNs = due;
}

void AnswerPacer::releaseDue()
{
    const qint64 now = nowNs();
    QByteArray out;
    while (!m_pending.empty() && m_pending.front().dueNs <= now) {
        out += m_pending.front().bytes;
        m_pending.pop_front();
    }
    if (!out.isEmpty())
        emit answerDue(out);
    if (m_pending.empty()) {
        m_releaseTimer->stop();
        return;
    }
    // Rounded up: a byte must never reach the program before its line time has passed.
    const qint64 waitMs = (m_pending.front().dueNs - now + kNsPerMs - 1) / kNsPerMs;
    m_releaseTimer->start(int(waitMs));
}

void AnswerPacer::reset()
{
    m_releaseTimer->stop();
    m_pending.clear();
    m_rxLineFreeNs = 0;
    m_txLineFreeNs = 0;
}

}  // namespace zlx::sim
