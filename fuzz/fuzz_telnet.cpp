// libFuzzer target: the telnet codec fed arbitrary server bytes in pieces the input picks (its
// first byte seeds the piece sizes, the rest is the stream). Checked after every piece: the kept
// subnegotiation stays bounded, data and replies never outgrow the bytes fed, Refused is final
// and always has a reason. At the end: the outcome is the same as for the stream in one piece,
// and the stream taken as line data, escaped and fed to a codec past its negotiation, comes
// back unchanged.
#include "Invariant.h"
#include "link/TelnetCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace zlx::telnet;
using State = TelnetCodec::State;

namespace {

struct Run
{
    QByteArray data;
    QByteArray reply;
    State state = State::Negotiating;
    QString refusal;

    bool operator==(const Run &) const = default;
};

// Pieces of 1 to 16 bytes, their sizes drawn from the seed.
Run feedInPieces(TelnetCodec &codec, QByteArrayView stream, quint8 seed)
{
    Run run;
    quint32 draw = seed;
    for (qsizetype at = 0; at < stream.size();) {
        draw = draw * 1103515245u + 12345u;
        const qsizetype n = std::min<qsizetype>(1 + (draw >> 16) % 16, stream.size() - at);
        const bool wasRefused = codec.state() == State::Refused;
        const TelnetCodec::Fed out = codec.feed(stream.sliced(at, n));
        at += n;
        run.data += out.data;
        run.reply += out.reply;
        require(codec.heldBytes() <= TelnetCodec::kMaxSubnegotiation, "subnegotiation unbounded");
        require(run.data.size() <= at, "more data than bytes fed");
        require(run.reply.size() <= at, "more reply than bytes fed");
        require(!wasRefused || codec.state() == State::Refused, "Refused did not last");
        require((codec.state() == State::Refused) != codec.refusal().isEmpty(), "refusal without reason");
    }
    run.state = codec.state();
    run.refusal = codec.refusal();
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const quint8 seed = data[0];
    const auto stream = QByteArrayView(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    TelnetCodec cut;
    const Run inPieces = feedInPieces(cut, stream, seed);
    TelnetCodec whole;
    const TelnetCodec::Fed once = whole.feed(stream);
    require(inPieces == Run{once.data, once.reply, whole.state(), whole.refusal()}, "cuts changed the outcome");

    // The server agrees to everything and confirms 2400 8N1; from then on data is data.
    static const QByteArray agreed = QByteArray::fromHex(
        "fffd2cfffd00fffb00fffa2c6500000960fff0fffa2c6608fff0fffa2c6701fff0fffa2c6801fff0");
    TelnetCodec ready;
    const TelnetCodec::Fed greeting = ready.feed(agreed);
    require(ready.state() == State::Ready && greeting.data.isEmpty() && greeting.reply.isEmpty(),
            "agreement not taken");
    const Run back = feedInPieces(ready, TelnetCodec::escape(stream), seed);
    require(back == Run{stream.toByteArray(), {}, State::Ready, {}}, "escaped data did not come back");
    require(ready.heldBytes() == 0, "bytes held after plain data");
    return 0;
}
