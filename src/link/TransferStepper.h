#pragma once

#include "link/Step.h"

#include <QByteArrayView>
#include <QList>

namespace zlx {

// The acknowledged programming transfer: one write frame per acknowledgement, then the end
// frame. No I/O of its own: it says what to write next.
class TransferStepper
{
public:
    static constexpr int kAnswerSize = 1;  // the acknowledgement

    explicit TransferStepper(QList<QByteArray> frames) : m_frames(std::move(frames)) {}

    Step start();                         // frame 0
    Step answer(QByteArrayView answer);   // the next frame, the end frame, or a wrong answer

    int frameCount() const { return int(m_frames.size()); }
    int written() const { return m_written; }
    int acknowledged() const { return m_acknowledged; }

private:
    QList<QByteArray> m_frames;
    int m_written = 0;
    int m_acknowledged = 0;
};

}  // namespace zlx
