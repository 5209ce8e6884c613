// The telnet codec of the device-server link: what the client sends on connect, 0xFF doubled
// and undoubled, the server's requests answered, its refusals told apart, and the same outcome
// however the server's bytes are cut.
#include "link/TelnetCodec.h"

#include <QTest>

using namespace zlx::telnet;
using State = TelnetCodec::State;

namespace {

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// The server agrees to COM-PORT and binary both ways and confirms 2400 8N1.
const QByteArray kAgreed = hex("fffd2c fffd00 fffb00 fffa2c6500000960fff0 fffa2c6608fff0 fffa2c6701fff0 fffa2c6801fff0");
// Measured on a device server: its answer to the opening up to the baud rate, then the rest.
const QByteArray kMeasuredAnswer = hex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2cfffa2c6b00fff0fffa2c6500000960fff0");
const QByteArray kMeasuredRest = hex("fffa2c6608fff0fffa2c6701fff0fffa2c6801fff0");
const QByteArray kMeasuredReply = hex("fffd03fffb03fffe01");
// 63 bytes after the option byte: a subnegotiation as long as is kept.
const QByteArray kLongSub = hex("fffa2c") + QByteArray(63, '\0');

struct FeedCase
{
    QByteArray input;
    QByteArray data{};
    QByteArray reply{};
    State state = State::Negotiating;
    QString refusal{};
    LineSettings wanted{};
};

QString summary(const QByteArray &data, const QByteArray &reply, State state, const QString &refusal)
{
    static constexpr std::array kStates{"negotiating", "ready", "refused"};
    return QStringLiteral("data [%1] reply [%2] %3 %4")
        .arg(QString::fromLatin1(data.toHex(' ')), QString::fromLatin1(reply.toHex(' ')),
             QLatin1StringView(kStates[size_t(state)]), refusal);
}

// A fresh codec fed the input in pieces of `chunk` bytes after a first piece of `first`.
QString fed(const QByteArray &input, LineSettings wanted, qsizetype first, qsizetype chunk)
{
    TelnetCodec codec(wanted);
    QByteArray data, reply;
    for (qsizetype at = 0; at < input.size();) {
        const qsizetype n = std::min(at == 0 ? first : chunk, input.size() - at);
        const auto out = codec.feed(QByteArrayView(input).sliced(at, n));
        data += out.data;
        reply += out.reply;
        at += n;
    }
    return summary(data, reply, codec.state(), codec.refusal());
}

}  // namespace

class TestTelnet : public QObject
{
    Q_OBJECT
private slots:
    void opening_data()
    {
        QTest::addColumn<LineSettings>("wanted");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray asks = hex("fffb2c fffb00 fffd00");
        QTest::newRow("2400 8N1, as measured") << LineSettings{}
            << asks + hex("fffa2c0100000960fff0 fffa2c0208fff0 fffa2c0301fff0 fffa2c0401fff0");
        QTest::newRow("9600 7E2") << LineSettings{9600, 7, 3, 2}
            << asks + hex("fffa2c0100002580fff0 fffa2c0207fff0 fffa2c0303fff0 fffa2c0402fff0");
        QTest::newRow("ff in the baud rate is doubled") << LineSettings{65535, 8, 1, 1}
            << asks + hex("fffa2c010000fffffffffff0 fffa2c0208fff0 fffa2c0301fff0 fffa2c0401fff0");
    }
    void opening()
    {
        QFETCH(LineSettings, wanted);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TelnetCodec(wanted).opening().toHex(' '), bytes.toHex(' '));
    }

    void escape_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("nothing") << QByteArray() << QByteArray();
        QTest::newRow("the measured probe") << hex("a5050100000200") << hex("a5050100000200");
        QTest::newRow("one ff") << hex("ff") << hex("ffff");
        QTest::newRow("ff inside an answer") << hex("b501ff00") << hex("b501ffff00");
        QTest::newRow("ff at both ends") << hex("ff00ff") << hex("ffff00ffff");
        QTest::newRow("ff next to telnet codes") << hex("fffafff0fffb") << hex("fffffafffff0fffffb");
    }
    void escape()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, wire);
        QCOMPARE(TelnetCodec::escape(data).toHex(' '), wire.toHex(' '));
        // And back through a codec past its negotiation, byte by byte.
        QCOMPARE(fed(kAgreed + wire, {}, kAgreed.size(), 1), summary(data, {}, State::Ready, {}));
    }

    void feed_data()
    {
        QTest::addColumn<FeedCase>("c");
        const auto row = [](const char *name, FeedCase c) { QTest::newRow(name) << c; };
        const QString noComPort = QStringLiteral("the device server does not offer RFC 2217");
        const QString noBinary = QStringLiteral("the device server refused binary mode");
        // Data
        row("data as it is", {hex("a5050100000200"), hex("a5050100000200")});
        row("a doubled ff is one data byte", {hex("b501ffff00"), hex("b501ff00")});
        row("NOP, GA and DM dropped", {hex("41fff142fff943fff244"), hex("41424344")});
        row("IAC and an unknown byte both dropped", {hex("41ff0142ff4143"), hex("414243")});
        row("a stray end of subnegotiation dropped", {hex("41fff042"), hex("4142")});
        row("line and modem notifications are no data", {hex("41fffa2c6a60fff042fffa2c6b00fff0"), hex("4142")});
        row("a doubled ff inside a notification", {hex("fffa2c6bfffffff041"), hex("41")});
        row("another option's subnegotiation dropped", {hex("fffa1801fff041"), hex("41")});
        row("a subnegotiation broken off by a request", {hex("fffa2c65fffb0341"), hex("41"), hex("fffd03")});
        row("a broken-off subnegotiation leaves nothing behind", {hex("fffa2c65fff1") + kAgreed, {}, {}, State::Ready});
        row("a subnegotiation as long as is kept", {kLongSub + hex("fff043"), hex("43")});
        row("past that length the rest is data", {kLongSub + hex("4142fff0"), hex("4142")});
        row("past that length a doubled ff is data", {kLongSub + hex("ffff42fff0"), hex("ff42")});
        // The server's requests
        row("measured requests answered", {hex("fffb03fffd03fffb01fffe01"), {}, hex("fffd03fffb03fffe01")});
        row("DO ECHO turned down", {hex("fffd01"), {}, hex("fffc01")});
        row("other offers and requests turned down", {hex("fffb18fffd18"), {}, hex("fffe18fffc18")});
        row("the server's own COM-PORT turned down", {hex("fffb2c"), {}, hex("fffe2c")});
        row("WONT and DONT of options that are off", {hex("fffc18fffe18fffc03fffe03fffc01"), {}, {}});
        row("go-ahead suppression agreed once", {hex("fffb03fffb03fffd03fffd03"), {}, hex("fffd03fffb03")});
        row("go-ahead suppression withdrawn", {hex("fffb03fffd03fffc03fffe03"), {}, hex("fffd03fffb03fffe03fffc03")});
        row("the client's own requests agreed, twice", {hex("fffd2cfffd00fffb00fffd2cfffd00fffb00"), {}, {}});
        // Ready or not
        row("measured answer to the baud rate", {kMeasuredAnswer, {}, kMeasuredReply});
        row("measured exchange, then data",
            {kMeasuredAnswer + kMeasuredRest + hex("b501ffff00"), hex("b501ff00"), kMeasuredReply, State::Ready});
        row("settings confirmed, options not agreed", {kAgreed.sliced(9), {}, {}});
        row("agreed and confirmed", {kAgreed, {}, {}, State::Ready});
        row("confirmed before agreed", {kAgreed.sliced(9) + kAgreed.first(9), {}, {}, State::Ready});
        row("agreed, then data", {kAgreed + hex("b501ffff00"), hex("b501ff00"), {}, State::Ready});
        row("a baud confirmation too short is not read",
            {hex("fffd2cfffd00fffb00fffa2c650960fff0") + kAgreed.sliced(19), {}, {}});
        row("9600 7E2 confirmed",
            {hex("fffd2cfffd00fffb00fffa2c6500002580fff0fffa2c6607fff0fffa2c6703fff0fffa2c6802fff0"), {}, {},
             State::Ready, {}, {9600, 7, 3, 2}});
        row("a doubled ff inside a baud confirmation",
            {hex("fffd2cfffd00fffb00fffa2c65000000fffffff0") + kAgreed.sliced(19), {}, {}, State::Ready, {},
             {255, 8, 1, 1}});
        // Refused
        row("COM-PORT refused", {hex("fffe2c"), {}, {}, State::Refused, noComPort});
        row("binary refused by DONT", {hex("fffe00"), {}, {}, State::Refused, noBinary});
        row("binary refused by WONT", {hex("fffc00"), {}, {}, State::Refused, noBinary});
        row("binary withdrawn once ready", {kAgreed + hex("fffe00"), {}, hex("fffc00"), State::Refused, noBinary});
        row("COM-PORT withdrawn once ready", {kAgreed + hex("fffe2c"), {}, hex("fffc2c"), State::Refused, noComPort});
        row("server binary withdrawn once ready", {kAgreed + hex("fffc00"), {}, hex("fffe00"), State::Refused, noBinary});
        row("9600 baud", {hex("fffa2c6500002580fff0"), {}, {}, State::Refused,
                          QStringLiteral("the device server set 9600 baud, not 2400 baud")});
        row("7 data bits", {hex("fffa2c6607fff0"), {}, {}, State::Refused,
                            QStringLiteral("the device server set 7 data bits, not 8 data bits")});
        row("even parity", {hex("fffa2c6703fff0"), {}, {}, State::Refused,
                            QStringLiteral("the device server set even parity, not no parity")});
        row("an unknown parity code", {hex("fffa2c6709fff0"), {}, {}, State::Refused,
                                       QStringLiteral("the device server set parity code 9, not no parity")});
        row("two stop bits", {hex("fffa2c6802fff0"), {}, {}, State::Refused,
                              QStringLiteral("the device server set 2 stop bits, not 1 stop bit")});
        row("one and a half stop bits", {hex("fffa2c6803fff0"), {}, {}, State::Refused,
                                         QStringLiteral("the device server set 1.5 stop bits, not 1 stop bit")});
        row("19200 baud once ready", {kAgreed + hex("fffa2c6500004b00fff0"), {}, {}, State::Refused,
                                      QStringLiteral("the device server set 19200 baud, not 2400 baud")});
        row("the first reason stays", {hex("fffe2cfffe00"), {}, {}, State::Refused, noComPort});
        row("refused stays refused", {hex("fffa2c6607fff0") + kAgreed, {}, {}, State::Refused,
                                      QStringLiteral("the device server set 7 data bits, not 8 data bits")});
        row("data still flows when refused", {hex("fffe2c41ffff"), hex("41ff"), {}, State::Refused, noComPort});
    }
    void feed()
    {
        QFETCH(FeedCase, c);
        const QString want = summary(c.data, c.reply, c.state, c.refusal);
        QCOMPARE(fed(c.input, c.wanted, c.input.size(), 1), want);
        // Cut once at every place, and in pieces of every size.
        for (qsizetype cut = 1; cut < c.input.size(); ++cut)
            for (const qsizetype chunk : {c.input.size(), cut})
                QCOMPARE(QString::number(cut) + u' ' + fed(c.input, c.wanted, cut, chunk), QString::number(cut) + u' ' + want);
    }
};

QTEST_GUILESS_MAIN(TestTelnet)
#include "tst_telnet.moc"
