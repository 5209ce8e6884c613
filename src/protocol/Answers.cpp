#include "protocol/Answers.h"

#include "protocol/Frames.h"

namespace zlx::answers {

DetectionAnswer classifyDetection(QByteArrayView answer)
{
    if (answer.isEmpty())
        return {};
    if (quint8(answer.at(0)) != frames::kMark)
        return {Detection::NotASign, -1};
    return {Detection::Sign, answer.size() > 1 ? int(quint8(answer.at(1))) : -1};
}

bool isAcknowledgement(QByteArrayView answer)
{
    return answer.size() == 1 && quint8(answer.at(0)) == frames::kMark;
}

std::optional<QByteArray> readBlock(QByteArrayView answer)
{
    if (answer.size() < 1 + frames::kMaxData || quint8(answer.at(0)) != frames::kMark)
        return std::nullopt;
    return answer.sliced(1, frames::kMaxData).toByteArray();
}

}  // namespace zlx::answers
