#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>

namespace zlx::telnet {

// The far serial line in the COM-PORT option's codes: parity 1 none, 2 odd, 3 even, 4 mark,
// 5 space; stop size 1 one bit, 2 two bits, 3 one and a half.
struct LineSettings
{
    quint32 baud = 2400;
    quint8 dataSize = 8;
    quint8 parity = 1;
    quint8 stopSize = 1;
};

// The client end of a telnet stream to a serial device server, bytes only: the opening
// negotiation, the server's answers to it, and the line's data (0xFF doubled on the wire).
// The caller sends opening() on connect, escape()s what it writes and feed()s what it reads.
class TelnetCodec
{
public:
    enum class State { Negotiating, Ready, Refused };
    struct Fed
    {
        QByteArray data;   // the line's bytes
        QByteArray reply;  // what goes back to the server now
    };
    // Longest subnegotiation kept. Past it the subnegotiation is given up and what follows is
    // read as data again, so that a lost end cannot swallow the line.
    static constexpr qsizetype kMaxSubnegotiation = 64;

    explicit TelnetCodec(LineSettings wanted = {});

    // COM-PORT and binary asked for, then the four line settings.
    QByteArray opening() const;
    static QByteArray escape(QByteArrayView data);
    // Bytes from the server, cut anywhere: a command may straddle two calls.
    Fed feed(QByteArrayView bytes);

    State state() const { return m_state; }
    // Why the server is of no use, for the log or the command line; empty unless Refused.
    QString refusal() const { return m_refusal; }
    // Bytes of an unfinished subnegotiation kept for the next call.
    qsizetype heldBytes() const { return m_sub.size(); }

private:
    enum class Read { Data, Command, Option, Sub, SubCommand };
    enum class Side : quint8 { Off, Asked, On };

    void command(quint8 byte, Fed &out);
    void keep(quint8 byte, Fed &out);
    void negotiate(quint8 verb, quint8 option, QByteArray &reply);
    void subnegotiation();
    void confirmed(int setting, QByteArrayView value);
    void refuse(const QString &why);
    void checkReady();

    LineSettings m_wanted;
    Read m_read = Read::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    std::array<Side, 256> m_ours{};    // options on our side (WILL)
    std::array<Side, 256> m_theirs{};  // options on the server's side (DO)
    std::array<bool, 4> m_confirmed{};
    State m_state = State::Negotiating;
    QString m_refusal;
};

}  // namespace zlx::telnet
