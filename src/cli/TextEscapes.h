#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A row's text in the show format: UTF-8 in which "Ñ" and "ñ" stand for the sign's codes 30
// and 31 and every other byte 160..255 is its Latin-1 letter. Backslash, tab and line feed are
// written \\, \t and \n; every byte UTF-8 text cannot tell apart or show (the other bytes
// 0..31, 127..159, and the Latin-1 Ñ and ñ, D1 and F1) is written \xhh.
namespace zlx::cli::escapes {

// The stored text bytes as show-format text (UTF-8); escapeInto appends it to out.
QByteArray escape(QByteArrayView stored);
void escapeInto(QByteArrayView stored, QByteArray &out);

enum class TextProblem { None, NotUtf8, BadEscape, NoSingleByte, ZeroByte, CarriageReturn };

struct Unescaped
{
    QByteArray stored;  // the bytes given to unescape, then the text's
    TextProblem problem = TextProblem::None;
    QString what;  // the escape or character at fault, as written
};

// Show-format text back to stored bytes, appended to into; \x takes either case. A text may
// not hold a byte 0 or a carriage return, which no row can keep.
Unescaped unescape(QByteArrayView utf8, QByteArray &&into = {});

}  // namespace zlx::cli::escapes
