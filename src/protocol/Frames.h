#pragma once

#include <QByteArray>

// Frames from the program to the sign: start byte 0xA5, count of the bytes that follow,
// command, the command's bytes, a closing 0. No checksum.
namespace zlx::frames {

inline constexpr quint8 kStart = 0xA5;
inline constexpr quint8 kMark = 0xB5;  // the sign's answer mark and acknowledgement
inline constexpr quint8 kRead = 1;
inline constexpr quint8 kWrite = 2;
inline constexpr int kMaxData = 64;
inline constexpr int kReadAnswerSize = 66;  // mark, 64 data bytes, one more
inline constexpr int kDetectAnswerSize = 4; // mark, model code, two more

QByteArray readRequest(quint8 addrHigh, quint8 addrLow, quint8 length);
QByteArray detectionProbe();  // the read of 2 bytes at address 0
QByteArray writeFrame(quint8 addrHigh, quint8 addrLow, const QByteArray &data);  // 1..64 bytes
QByteArray endFrame();        // A5 02 B5 00

}  // namespace zlx::frames
