#include "link/TransferStepper.h"

#include "protocol/Answers.h"
#include "protocol/Frames.h"

namespace zlx {

Step TransferStepper::start()
{
    if (m_frames.isEmpty())
        return {frames::endFrame(), false, Outcome::Completed};
    return {m_frames.at(m_written++), true, std::nullopt};
}

Step TransferStepper::answer(QByteArrayView answer)
{
    if (!answers::isAcknowledgement(answer))
        return {{}, false, Outcome::WrongAnswer};
    ++m_acknowledged;
    if (m_written < m_frames.size())
        return {m_frames.at(m_written++), true, std::nullopt};
    // No answer to the end frame is awaited.
    return {frames::endFrame(), false, Outcome::Completed};
}

}  // namespace zlx
