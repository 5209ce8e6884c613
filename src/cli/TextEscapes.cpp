#include "cli/TextEscapes.h"

#include "model/MessageEntry.h"

#include <QStringDecoder>

namespace zlx::cli::escapes {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr quint8 kLatinEnye = 0xD1;
constexpr quint8 kLatinEnyeSmall = 0xF1;

bool needsHex(quint8 b)
{
    return b < 0x20 || (b >= 0x7F && b < 0xA0) || b == kLatinEnye || b == kLatinEnyeSmall;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte the escape at text[at] == '\\' stands for, and its length; -1 when it is none.
int escapedByte(QByteArrayView text, qsizetype at, qsizetype &length)
{
    const char kind = at + 1 < text.size() ? text.at(at + 1) : '\0';
    length = std::min<qsizetype>(2, text.size() - at);
    switch (kind) {
    case '\\': return '\\';
    case 't': return '\t';
    case 'n': return '\n';
    case 'x': break;
    default: return -1;
    }
    length = std::min<qsizetype>(4, text.size() - at);
    if (length < 4)
        return -1;
    const int high = hexValue(text.at(at + 2));
    const int low = hexValue(text.at(at + 3));
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// The UTF-8 sequence a byte >= 0x80 opens: its length, 0 when it opens none.
qsizetype sequenceLength(quint8 lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    return lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
}

// The character a whole UTF-8 sequence of the expected length stands for, else empty. Two
// bytes (every Latin-1 letter) are decoded here; longer ones never stand for a byte.
QString decodedCharacter(QByteArrayView sequence, qsizetype length)
{
    if (length == 0 || sequence.size() < length)
        return {};
    if (length == 2) {
        const auto next = quint8(sequence.at(1));
        if ((next & 0xC0) != 0x80)
            return {};
        return QChar(char16_t(((quint8(sequence.at(0)) & 0x1F) << 6) | (next & 0x3F)));
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ch = decoder.decode(sequence);
    return decoder.hasError() ? QString() : ch;
}

}  // namespace

QByteArray escape(QByteArrayView stored)
{
    QByteArray out;
    escapeInto(stored, out);
    return out;
}

void escapeInto(QByteArrayView stored, QByteArray &out)
{
    out.reserve(out.size() + stored.size());
    for (const char c : stored) {
        const auto b = quint8(c);
        if (c == '\\')
            out.append("\\\\");
        else if (c == '\t')
            out.append("\\t");
        else if (c == '\n')
            out.append("\\n");
        else if (c == entry::kStoredEnye)
            out.append("Ñ");
        else if (c == entry::kStoredEnyeSmall)
            out.append("ñ");
        else if (needsHex(b))
            out.append("\\x").append(kHexDigits[b >> 4]).append(kHexDigits[b & 0xF]);
        else if (b < 0x80)
            out.append(c);
        else
            out.append(char(0xC0 | (b >> 6))).append(char(0x80 | (b & 0x3F)));  // its Latin-1 letter
    }
}

// Works on the bytes as they come, so a long text is never held twice over as a QString.
Unescaped unescape(QByteArrayView utf8, QByteArray &&into)
{
    Unescaped result;
    result.stored = std::move(into);
    result.stored.reserve(result.stored.size() + utf8.size());
    for (qsizetype at = 0; at < utf8.size();) {
        const auto lead = quint8(utf8.at(at));
        qsizetype length = 1;
        int byte = lead;
        if (lead == '\\') {
            byte = escapedByte(utf8, at, length);
            if (byte < 0) {
                result.problem = TextProblem::BadEscape;
                result.what = QString::fromUtf8(utf8.sliced(at, length));
                return result;
            }
        } else if (lead >= 0x80) {
            length = sequenceLength(lead);
            const QByteArrayView sequence = utf8.sliced(at, std::min(length, utf8.size() - at));
            const QString ch = decodedCharacter(sequence, length);
            if (ch.isEmpty()) {
                result.problem = TextProblem::NotUtf8;
                return result;
            }
            if (ch.size() > 1 || ch.at(0).unicode() > 0xFF) {
                result.problem = TextProblem::NoSingleByte;
                result.what = ch;
                return result;
            }
            byte = ch.at(0) == u'Ñ' ? entry::kStoredEnye : ch.at(0) == u'ñ' ? entry::kStoredEnyeSmall : ch.at(0).unicode();
        }
        if (byte == 0 || byte == '\r') {
            result.problem = byte == 0 ? TextProblem::ZeroByte : TextProblem::CarriageReturn;
            return result;
        }
        result.stored.append(char(byte));
        at += length;
    }
    return result;
}

}  // namespace zlx::cli::escapes
