// libFuzzer target: the link state machine fed arbitrary answers, ticks and clicks in every
// mode, for both models and for a sign whose model code is unknown. The input is a script of
// operations; after each one the link's invariants are checked.
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "link/PageImages.h"
#include "link/SignLink.h"
#include "model/MessageStore.h"

#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>

using namespace zlx;
using namespace std::chrono_literals;

namespace {

[[noreturn]] void fail(const char *why)
{
    fprintf(stderr, "invariant broken: %s\n", why);
    __builtin_trap();
}

void require(bool ok, const char *why)
{
    if (!ok)
        fail(why);
}

class Input
{
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_at >= m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    QByteArray bytes(int n)
    {
        QByteArray out;
        out.reserve(n);
        for (int i = 0; i < n; ++i)
            out.append(char(byte()));
        return out;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

enum Op : uint8_t {
    SetUp, FireTimer1, FireTimer2, DeliverRaw, DeliverAck, DeliverDetection, DeliverBlock,
    DeliverEndBlock, DeliverZeroPairBlock, ClickSend, ClickRead, TogglePortVanished,
    ToggleWriteFails, OpCount
};

// The window's part: it calls the link as Form1 does and checks what comes out.
class Harness
{
public:
    explicit Harness(Input &in) : m_in(in)
    {
        QObject::connect(&m_link, &SignLink::message, [this](MessageIcon, const QString &text) {
            onMessage(text);
        });
        QObject::connect(&m_link, &SignLink::readCompleted, [this](const QList<QByteArray> &images) {
            onReadCompleted(images);
        });
        QObject::connect(&m_link, &SignLink::panelText, [this](int panel, const QString &text) {
            require(panel >= 1 && panel <= 3, "panel number");
            static const QString kSending = QStringLiteral("Enviando: ");
            if (panel == 1 && text.startsWith(kSending)) {
                const int n = text.mid(kSending.size()).section(u' ', 0, 0).toInt();
                require(n >= 1 && n <= m_link.frameCount(), "acknowledged count beyond the frames");
            }
        });
    }

    // trace: one line per operation on stderr, to follow a crashing input.
    void run(bool trace)
    {
        for (int ops = 0; ops < 2000 && !m_in.done(); ++ops) {
            const int op = m_in.byte() % OpCount;
            step(op);
            if (trace)
                fprintf(stderr, "op %2d -> mode %-12s program %d read %d frame %d/%d page %d block %d open %d\n", op,
                        qPrintable(modeName(m_link.mode())), m_link.programBusy(), m_link.readBusy(),
                        m_link.frameIndex(), m_link.frameCount(), m_link.readPage(), m_link.readBlock(),
                        m_port.isOpen());
            check();
        }
    }

private:
    void step(int op)
    {
        switch (op) {
        case SetUp:
            // The window's reset sets the link up only until a sign is found.
            if (!m_link.signDetected())
                m_link.SetUpLink();
            break;
        case ClickSend: clickSend(); break;
        case ClickRead:
            if (!m_link.readBusy() && m_link.model())
                m_link.startRead();
            break;
        case TogglePortVanished: m_port.vanished = !m_port.vanished; break;
        case ToggleWriteFails: m_port.writeFails = !m_port.writeFails; break;
        default: lineEvent(op); break;
        }
    }

    // Events that can also arrive while a modal message box is up.
    void lineEvent(int op)
    {
        switch (op) {
        case FireTimer1: m_timer1.fire(); break;
        case FireTimer2: m_timer2.fire(); break;
        case DeliverRaw: m_port.deliver(m_in.bytes(m_in.byte() % 80)); break;
        case DeliverAck: m_port.deliver(QByteArray(1, char(0xB5))); break;
        case DeliverDetection:
            m_port.deliver(QByteArray(1, char(0xB5)) + char(m_in.byte() % 4) + m_in.bytes(2));
            break;
        case DeliverBlock: m_port.deliver(QByteArray(1, char(0xB5)) + m_in.bytes(65)); break;
        case DeliverEndBlock:
            m_port.deliver(QByteArray(1, char(0xB5)) + char(0xFF) + m_in.bytes(64));
            break;
        case DeliverZeroPairBlock: {
            QByteArray block = m_in.bytes(64);
            const int at = m_in.byte() % 64;
            block[at] = 0;
            if (at + 1 < block.size())
                block[at + 1] = 0;
            m_port.deliver(QByteArray(1, char(0xB5)) + block + char(0));
            break;
        }
        default: break;
        }
    }

    void modalEvents()
    {
        static constexpr int kLineOps[] = {FireTimer1, FireTimer2, DeliverRaw, DeliverAck, DeliverBlock};
        for (int n = m_in.byte() % 3; n > 0; --n)
            lineEvent(kLineOps[m_in.byte() % std::size(kLineOps)]);
    }

    void clickSend()
    {
        // The window refuses a Send without a known model before the link changes state.
        if (m_link.programBusy() || !m_link.model())
            return;
        if (!m_link.beginSend())
            return;
        // The cut message may be up between the two calls: nothing may answer or tick then.
        const LinkMode before = m_link.mode();
        m_inModal = true;
        modalEvents();
        m_inModal = false;
        require(m_link.mode() == before && m_link.programBusy(), "the link moved while the frames were built");
        const SignModel model = *m_link.model();
        QList<QByteArray> images;
        const int pages = 1 + m_in.byte() % model.pageCount;
        for (int p = 0; p < pages; ++p) {
            const int length = 1 + (m_in.byte() | m_in.byte() << 8) % model.pageBytes();
            images.append(m_in.bytes(length));
        }
        m_link.startSend(images);
    }

    void onMessage(const QString &text)
    {
        // A message is the last thing a handler does: the link is idle by then.
        require(m_link.mode() == LinkMode::Idle, "message while an exchange runs");
        require(!m_link.programBusy() && !m_link.readBusy(), "message while busy");
        if (text.endsWith(QStringLiteral("finalizada correctamente"))) {
            require(!m_port.isOpen(), "port open after completion");
            require(!m_timer1.isEnabled(), "response timer left running");
        }
        if (text.startsWith(QStringLiteral("El letrero no responde")))
            require(!m_port.isOpen(), "port open after a timeout");
        // The modal box runs an event loop: ticks and answers may arrive while it is up.
        if (!m_inModal) {
            m_inModal = true;
            modalEvents();
            m_inModal = false;
        }
    }

    void onReadCompleted(const QList<QByteArray> &images)
    {
        const SignModel model = *m_link.model();
        require(images.size() == model.pageCount, "read-back image count");
        for (const QByteArray &image : images)
            require(image.size() <= model.pageBytes(), "read-back image beyond its page");
        MessageStore store;
        decodePageImages(images, model.pageCount, store);
    }

    void check() const
    {
        const LinkMode mode = m_link.mode();
        switch (mode) {
        case LinkMode::Idle:
            require(!m_link.programBusy() && !m_link.readBusy(), "idle but busy");
            break;
        case LinkMode::Detect:
            require(!m_link.signDetected(), "scanning after detection");
            require(!m_link.programBusy() && !m_link.readBusy(), "scanning but busy");
            require(m_timer1.isEnabled() && m_timer1.interval() == 100ms, "scan without its step timer");
            break;
        case LinkMode::Program:
        case LinkMode::Read:
            require(m_link.model().has_value(), "exchange without a model");
            require(m_link.programBusy() == (mode == LinkMode::Program), "programBusy out of step");
            require(m_link.readBusy() == (mode == LinkMode::Read), "readBusy out of step");
            // A sign that falls silent must always end the exchange.
            require(m_timer1.isEnabled() && m_timer1.interval() == 3000ms, "exchange without a response timer");
            break;
        }
        if (m_link.signDetected())
            require(!m_timer2.isEnabled(), "scan pass armed after detection");
        require(m_link.portNumber() >= 0 && m_link.portNumber() <= 40, "port number");
        if (m_link.frameCount() > 0)
            require(m_link.frameIndex() <= m_link.frameCount(), "frameIndex beyond frameCount");
        if (const auto &model = m_link.model()) {
            require(m_link.pageImages().size() <= MessageStore::kPageSlots, "too many page images");
            if (mode == LinkMode::Read) {
                require(m_link.readPage() >= 0 && m_link.readPage() < model->pageCount, "readPage out of range");
                require(m_link.readBlock() >= 0 && m_link.readBlock() < model->pageUnits * 4, "readBlock out of range");
                require(m_link.addrLow() % 64 == 0 && m_link.addrLow() < 256, "addrLow");
                require(m_link.addrHigh() >= model->firstUnit(m_link.readPage())
                            && m_link.addrHigh() < model->firstUnit(m_link.readPage() + 1),
                        "addrHigh outside the page being read");
                require(m_link.pageImages().size() == model->pageCount, "read-back images");
                for (const QByteArray &image : m_link.pageImages())
                    require(image.size() <= model->pageBytes(), "page image beyond its page");
            }
            require(m_link.readPage() >= 0 && m_link.readPage() <= model->pageCount, "readPage beyond pageCount");
        }
    }

    Input &m_in;
    ScriptedPort m_port;  // COM1 only
    ManualTicker m_timer1;
    ManualTicker m_timer2;
    SignLink m_link{&m_port, &m_timer1, &m_timer2};
    bool m_inModal = false;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Port failures are logged as warnings; thousands of them per second would only slow the run.
    QLoggingCategory::setFilterRules(QStringLiteral("zantolux.link.warning=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    Harness harness(in);
    static const bool trace = qEnvironmentVariableIsSet("ZANTOLUX_FUZZ_TRACE");
    harness.run(trace);
    return 0;
}
