#include "link/TelnetCodec.h"

#include <algorithm>
#include <initializer_list>

namespace zlx::telnet {

namespace {

constexpr quint8 kSe = 240;
constexpr quint8 kSb = 250;
constexpr quint8 kWill = 251;
constexpr quint8 kWont = 252;
constexpr quint8 kDo = 253;
constexpr quint8 kDont = 254;
constexpr quint8 kIac = 255;

constexpr quint8 kBinary = 0;
constexpr quint8 kSuppressGoAhead = 3;
constexpr quint8 kComPort = 44;

// COM-PORT commands: SET-BAUDRATE, SET-DATASIZE, SET-PARITY, SET-STOPSIZE in this order; the
// server confirms each with its code plus 100.
constexpr quint8 kSetBaud = 1;
constexpr quint8 kServerOffset = 100;
constexpr int kSettings = 4;

QByteArray bytes(std::initializer_list<quint8> list)
{
    QByteArray out;
    for (const quint8 b : list)
        out.append(char(b));
    return out;
}

QByteArray iac(quint8 verb, quint8 option)
{
    return bytes({kIac, verb, option});
}

QByteArray comPortCommand(quint8 command, const QByteArray &value)
{
    return bytes({kIac, kSb, kComPort, command}) + TelnetCodec::escape(value) + bytes({kIac, kSe});
}

// A setting's value as the wire carries it: the baud rate in four bytes, high byte first.
QByteArray wireValue(const LineSettings &s, int setting)
{
    switch (setting) {
    case 0:
        return bytes({quint8(s.baud >> 24), quint8(s.baud >> 16), quint8(s.baud >> 8), quint8(s.baud)});
    case 1:
        return QByteArray(1, char(s.dataSize));
    case 2:
        return QByteArray(1, char(s.parity));
    default:
        return QByteArray(1, char(s.stopSize));
    }
}

QString describe(int setting, quint32 value)
{
    switch (setting) {
    case 0:
        return QStringLiteral("%1 baud").arg(value);
    case 1:
        return QStringLiteral("%1 data bits").arg(value);
    case 2: {
        static constexpr std::array kParities{"no", "odd", "even", "mark", "space"};
        if (value >= 1 && value <= kParities.size())
            return QStringLiteral("%1 parity").arg(QLatin1StringView(kParities[value - 1]));
        return QStringLiteral("parity code %1").arg(value);
    }
    default:
        if (value == 1)
            return QStringLiteral("1 stop bit");
        if (value == 3)
            return QStringLiteral("1.5 stop bits");
        return QStringLiteral("%1 stop bits").arg(value);
    }
}

quint32 bigEndian(QByteArrayView bytes)
{
    quint32 value = 0;
    for (const char c : bytes)
        value = value << 8 | quint8(c);
    return value;
}

}  // namespace

TelnetCodec::TelnetCodec(LineSettings wanted) : m_wanted(wanted)
{
    // opening() asks for these; the server's agreement needs no answer.
    m_ours[kComPort] = Side::Asked;
    m_ours[kBinary] = Side::Asked;
    m_theirs[kBinary] = Side::Asked;
}

QByteArray TelnetCodec::opening() const
{
    QByteArray out = iac(kWill, kComPort) + iac(kWill, kBinary) + iac(kDo, kBinary);
    for (int s = 0; s < kSettings; ++s)
        out += comPortCommand(quint8(kSetBaud + s), wireValue(m_wanted, s));
    return out;
}

QByteArray TelnetCodec::escape(QByteArrayView data)
{
    QByteArray out;
    out.reserve(data.size() + data.count(char(kIac)));
    for (const char c : data) {
        out.append(c);
        if (quint8(c) == kIac)
            out.append(c);
    }
    return out;
}

TelnetCodec::Fed TelnetCodec::feed(QByteArrayView bytes)
{
    Fed out;
    for (const char c : bytes) {
        const auto byte = quint8(c);
        switch (m_read) {
        case Read::Data:
            if (byte == kIac)
                m_read = Read::Command;
            else
                out.data.append(c);
            break;
        case Read::Command:
            command(byte, out);
            break;
        case Read::Option:
            m_read = Read::Data;
            negotiate(m_verb, byte, out.reply);
            break;
        case Read::Sub:
            if (byte == kIac)
                m_read = Read::SubCommand;
            else
                keep(byte, out);
            break;
        case Read::SubCommand:
            if (byte == kIac) {
                keep(byte, out);
            } else if (byte == kSe) {
                m_read = Read::Data;
                subnegotiation();
                m_sub.clear();
            } else {
                // The end never came: the subnegotiation is dropped and the command counts.
                m_sub.clear();
                command(byte, out);
            }
            break;
        }
    }
    return out;
}

// The byte after an IAC outside a subnegotiation.
void TelnetCodec::command(quint8 byte, Fed &out)
{
    m_read = Read::Data;
    if (byte == kIac) {
        out.data.append(char(kIac));
    } else if (byte >= kWill) {
        m_verb = byte;
        m_read = Read::Option;
    } else if (byte == kSb) {
        m_read = Read::Sub;
    }
    // NOP, GA, DM and the like, and bytes that are no command at all, carry nothing here.
}

void TelnetCodec::keep(quint8 byte, Fed &out)
{
    if (m_sub.size() < kMaxSubnegotiation) {
        m_read = Read::Sub;
        m_sub.append(char(byte));
        return;
    }
    m_sub.clear();
    m_read = Read::Data;
    out.data.append(char(byte));
}

// Simplified RFC 1143: an answer only when the option changes, or to turn down a request.
void TelnetCodec::negotiate(quint8 verb, quint8 option, QByteArray &reply)
{
    const bool theirSide = verb == kWill || verb == kWont;
    const bool enable = verb == kWill || verb == kDo;
    Side &side = theirSide ? m_theirs[option] : m_ours[option];
    const bool wanted = option == kBinary || option == kSuppressGoAhead
        || (!theirSide && option == kComPort);
    if (enable) {
        if (side == Side::On)
            return;
        if (!wanted) {
            reply += iac(theirSide ? kDont : kWont, option);
            return;
        }
        if (side == Side::Off)
            reply += iac(theirSide ? kDo : kWill, option);
        side = Side::On;
        checkReady();
        return;
    }
    if (side == Side::Off)
        return;
    if (side == Side::On)
        reply += iac(theirSide ? kDont : kWont, option);
    side = Side::Off;
    if (option == kBinary)
        refuse(QStringLiteral("the device server refused binary mode"));
    else if (option == kComPort)
        refuse(QStringLiteral("the device server does not offer RFC 2217"));
}

void TelnetCodec::subnegotiation()
{
    if (m_sub.size() < 2 || quint8(m_sub.at(0)) != kComPort)
        return;
    const int setting = quint8(m_sub.at(1)) - kServerOffset - kSetBaud;
    if (setting >= 0 && setting < kSettings)
        confirmed(setting, QByteArrayView(m_sub).sliced(2));
    // Notifications of line and modem state, and whatever else, are no business of ours.
}

void TelnetCodec::confirmed(int setting, QByteArrayView value)
{
    const QByteArray asked = wireValue(m_wanted, setting);
    if (value.size() != asked.size())
        return;  // not a confirmation that can be read
    if (value != asked) {
        refuse(QStringLiteral("the device server set %1, not %2")
                   .arg(describe(setting, bigEndian(value)), describe(setting, bigEndian(asked))));
        return;
    }
    m_confirmed[size_t(setting)] = true;
    checkReady();
}

void TelnetCodec::refuse(const QString &why)
{
    if (m_state == State::Refused)
        return;  // the first reason is the one that counts
    m_state = State::Refused;
    m_refusal = why;
}

void TelnetCodec::checkReady()
{
    if (m_state != State::Negotiating)
        return;
    const bool agreed = m_ours[kComPort] == Side::On && m_ours[kBinary] == Side::On
        && m_theirs[kBinary] == Side::On;
    const bool settled = std::all_of(m_confirmed.begin(), m_confirmed.end(), [](bool b) { return b; });
    if (agreed && settled)
        m_state = State::Ready;
}

}  // namespace zlx::telnet
