#include "model/MessageEntry.h"

namespace zlx::entry {

namespace {
int digitAt(const QByteArray &entry, qsizetype pos)
{
    if (entry.size() <= pos)
        return -1;
    const char c = entry.at(pos);
    return (c >= '0' && c <= '9') ? c - '0' : -1;
}
}  // namespace

bool isEmpty(const QByteArray &entry)
{
    return entry.isEmpty() || entry.at(0) == '0';
}

QByteArray make(int effectDigit, int amount, char font, const QByteArray &storedText)
{
    QByteArray e;
    e.reserve(3 + storedText.size());
    e.append(char('0' + effectDigit));
    e.append(char(quint8(amount)));
    e.append(font);
    e.append(storedText);
    return e;
}

QByteArray textToStored(const QString &text)
{
    QByteArray out = text.toLatin1();
    for (char &c : out) {
        if (quint8(c) == 0xF1)
            c = kStoredEnyeSmall;
        else if (quint8(c) == 0xD1)
            c = kStoredEnye;
    }
    return out;
}

QString storedToText(const QByteArray &stored)
{
    QByteArray bytes = stored;
    for (char &c : bytes) {
        if (c == kStoredEnye)
            c = char(0xD1);
        else if (c == kStoredEnyeSmall)
            c = char(0xF1);
    }
    return QString::fromLatin1(bytes);
}

int effectDigit(const QByteArray &entry) { return digitAt(entry, 0); }

int amount(const QByteArray &entry)
{
    return entry.size() > 1 ? int(quint8(entry.at(1))) : -1;
}

int fontDigit(const QByteArray &entry) { return digitAt(entry, 2); }

QByteArray storedText(const QByteArray &entry)
{
    return entry.size() > 3 ? entry.mid(3) : QByteArray();
}

}  // namespace zlx::entry
