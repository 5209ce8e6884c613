#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// What the sign's answers mean. Every answer starts with the mark 0xB5; nothing else checks it.
namespace zlx::answers {

enum class Detection { Nothing, NotASign, Sign };

struct DetectionAnswer
{
    Detection kind = Detection::Nothing;
    int modelCode = -1;  // byte 2 of a sign's answer, -1 when it is missing
};

// An empty read is nothing; a first byte other than the mark is not a sign.
DetectionAnswer classifyDetection(QByteArrayView answer);

// A write frame is acknowledged by exactly one mark byte; two marks waiting at once are wrong.
bool isAcknowledgement(QByteArrayView answer);

// The 64 memory bytes of a read answer (mark, 64 bytes, one more), or nullopt when the answer
// is short or lacks the mark.
std::optional<QByteArray> readBlock(QByteArrayView answer);

}  // namespace zlx::answers
