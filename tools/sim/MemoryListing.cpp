#include "sim/MemoryListing.h"

#include <array>

namespace zlx::sim {

namespace {

constexpr int kFirstUnit = 24;
constexpr int kTitleSize = 14;
constexpr quint8 kEndOfProgram = 0xFF;

constexpr std::array kEffects{"Texto Fijo", "Parpadeo", "Caida", "Desplazamiento", "Abrirse",
                              "Pintado", "Hora", "Color A", "Color B"};

quint8 at(const QByteArray &bytes, qsizetype i)
{
    return static_cast<quint8>(bytes.at(i));
}

QString effectName(quint8 effect)
{
    if (effect >= 1 && effect <= kEffects.size())
        return QLatin1String(kEffects[effect - 1]);
    return QStringLiteral("efecto %1").arg(effect);
}

// Message text as the sign holds it: "Ñ" and "ñ" travel as 30 and 31; other control bytes are
// shown as hex escapes so that nothing invisible hides in a listing.
QString messageText(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto b = static_cast<quint8>(c);
        if (b == 30)
            text += QChar(0xD1);
        else if (b == 31)
            text += QChar(0xF1);
        else if (b < 0x20 || b == 0x7F)
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
        else
            text += QChar(b);  // Latin-1
    }
    return text;
}

bool titleIsValid(const QByteArray &page, int pageNumber)
{
    const QByteArray expected = QByteArray("\x01\x02\x03", 3)
        + QByteArray::number(pageNumber).rightJustified(2, '0') + " PAGINA " + '\0';
    return page.left(kTitleSize) == expected;
}

// Lists the records after the title row; returns false if the page has no closing 0.
bool listRows(const QByteArray &page, QString &out)
{
    qsizetype pos = kTitleSize;
    int row = 1;
    while (pos < page.size()) {
        if (page.at(pos) == 0)
            return true;  // the closing 0 right after a record's own 0
        const qsizetype end = page.indexOf('\0', pos);
        const QByteArray record = page.mid(pos, end < 0 ? -1 : end - pos);
        if (record.size() < 3) {
            out += QStringLiteral("  %1: (registro corto: %2)\n").arg(row).arg(QString::fromLatin1(record.toHex(' ')));
        } else {
            out += QStringLiteral("  %1: %2  cantidad %3  fuente %4  \"%5\"\n")
                       .arg(row)
                       .arg(effectName(at(record, 0)))
                       .arg(at(record, 1))
                       .arg(at(record, 2))
                       .arg(messageText(record.mid(3)));
        }
        if (end < 0)
            return false;
        pos = end + 1;
        ++row;
    }
    return false;
}

}  // namespace

QString listMemory(const QByteArray &memory)
{
    const int code = memory.isEmpty() ? -1 : at(memory, 0);
    const int units = code == 1 ? 4 : code == 2 ? 2 : 0;
    if (units == 0)
        return QStringLiteral("Codigo de modelo desconocido: %1\n").arg(code);
    const int pageCount = code == 1 ? 20 : 40;
    const int pageBytes = units * 256;

    QString out = QStringLiteral("Modelo: %1 paginas\n").arg(pageCount);
    for (int p = 0; p < pageCount; ++p) {
        const QByteArray page = memory.mid(qsizetype(kFirstUnit + p * units) * 256, pageBytes);
        if (page.size() < pageBytes || at(page, 0) == kEndOfProgram) {
            if (p == 0)
                out += QStringLiteral("Sin programa\n");
            break;
        }
        out += QStringLiteral("Pagina %1\n").arg(p + 1);
        if (!titleIsValid(page, p + 1))
            out += QStringLiteral("  (fila de titulo no valida)\n");
        if (!listRows(page, out))
            out += QStringLiteral("  (pagina sin cierre)\n");
    }
    return out;
}

}  // namespace zlx::sim
