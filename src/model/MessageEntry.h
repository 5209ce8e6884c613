#pragma once

#include <QByteArray>
#include <QString>

// One row of the program as a byte string: effect digit, amount byte, font digit, text.
// In the text "Ñ" is held as byte 30 and "ñ" as byte 31.
namespace zlx::entry {

inline constexpr char kStoredEnye = 30;       // "Ñ" in a stored text
inline constexpr char kStoredEnyeSmall = 31;  // "ñ" in a stored text

// An entry is empty when it is the empty string or its effect digit is '0'.
bool isEmpty(const QByteArray &entry);

// Builds an entry; effectDigit 0..9, amount 0..255, font a single byte such as '2'.
QByteArray make(int effectDigit, int amount, char font, const QByteArray &storedText);

// Screen text (Latin-1 only) to stored bytes and back; "Ñ"/"ñ" become 30/31.
QByteArray textToStored(const QString &text);
QString storedToText(const QByteArray &stored);

// Field access; a field missing from a short entry reads as -1 or empty.
int effectDigit(const QByteArray &entry);  // 0..9, or -1 when not a digit/missing
int amount(const QByteArray &entry);       // 0..255, or -1 when missing
int fontDigit(const QByteArray &entry);    // 0..9, or -1 when not a digit/missing
QByteArray storedText(const QByteArray &entry);

}  // namespace zlx::entry
