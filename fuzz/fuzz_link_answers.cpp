// libFuzzer target: the link state machine fed arbitrary answers, ticks and clicks in every
// mode, for both models and for a sign whose model code is unknown, on a port that may open
// later, refuse, be busy, want a quiet spell or hold back its flush. The input is a script of
// operations; after each one the link's invariants are checked, and at its end a silent sign
// must end whatever exchange is still under way.
#include "FuzzInput.h"
#include "Invariant.h"
#include "LinkState.h"
#include "ManualTicker.h"
#include "ScriptedPort.h"
#include "link/ExchangeReply.h"
#include "link/SignLink.h"
#include "model/MessageStore.h"
#include "protocol/PageDecoder.h"
#include "protocol/PageImages.h"

#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>

using namespace zlx;
using namespace std::chrono_literals;

namespace {

// Numbers 0..14 keep the meaning they have in the committed corpus.
enum Op : uint8_t {
    SetUp, FireTimer1, FireTimer2, DeliverRaw, DeliverAck, DeliverDetection, DeliverBlock,
    DeliverEndBlock, DeliverZeroPairBlock, ClickSend, ClickRead, ToggleVanished, ToggleWriteFails,
    Cancel, ToggleRefusing, TogglePending, FinishOpen, ToggleQuiet, ToggleHoldFlush, FinishFlush,
    ToggleBusy, TurnedAway, OpCount
};

// The window's part: it calls the link as the window and the session do, and checks what
// comes out.
class Harness
{
public:
    explicit Harness(FuzzInput &in) : m_in(in)
    {
        QObject::connect(&m_link, &SignLink::portNotice, [this](const QString &address, PortStatus status) {
            const QString key = address + QString::number(int(status));
            require(!m_noticed.contains(key), "a port's problem told twice");
            require(status != PortStatus::Opened && status != PortStatus::Pending, "a notice of nothing wrong");
            m_noticed.insert(key);
        });
    }

    // trace: one line per operation on stderr, to follow a crashing input.
    void run(bool trace)
    {
        for (int ops = 0; ops < 2000 && !m_in.done(); ++ops) {
            const int op = m_in.byte() % OpCount;
            if (trace)
                fprintf(stderr, "op %2d ...\n", op);
            step(op);
            if (trace)
                fprintf(stderr, "op %2d -> mode %-12s settling %d open %d active %d timer1 %d/%d\n", op,
                        qPrintable(modeName(m_link.mode())), m_link.settling(), m_port.isOpen(),
                        m_active ? int(*m_active) : -1, int(m_timer1.isEnabled()), int(m_timer1.interval().count()));
            checkLinkState(m_link, m_port, m_timer1, m_timer2, m_active);
        }
        // The sign falls silent: the settle, the open, the quiet spell and then the response time
        // end what is under way.
        for (int tick = 0; tick < 4 && m_active; ++tick)
            require(m_timer1.fire(), "an exchange without its response timer");
        require(!m_active, "an exchange that never ends");
        for (int tick = 0; tick < 2 && m_link.releasing(); ++tick)
            require(m_timer1.fire(), "a cancelled line without its bound");
        require(!m_link.releasing() && (m_link.mode() != LinkMode::Idle || !m_port.isOpen()), "a line never let go");
    }

private:
    static void flip(QSet<int> &ports)
    {
        if (!ports.remove(1))
            ports.insert(1);
    }

    void step(int op)
    {
        switch (op) {
        case SetUp:
            // The window's reset sets the link up only until a sign is found.
            if (!m_link.signDetected())
                m_link.SetUpLink();
            break;
        case ClickSend: clickSend(); break;
        case ClickRead: start(Exchange::Read, [this] { return m_link.startRead(); }); break;
        case Cancel:
            m_cancelAsked = m_active.has_value();
            m_link.cancel();
            break;
        case ToggleVanished: m_port.vanished ? void(m_port.vanished = false) : m_port.vanish(); break;
        case ToggleWriteFails: m_port.writeFails = !m_port.writeFails; break;
        case ToggleRefusing: flip(m_port.refusing); break;
        case ToggleBusy: flip(m_port.busy); break;
        case TogglePending: m_port.pending = !m_port.pending; break;
        case ToggleQuiet: m_port.quiet = m_port.quiet.count() ? 0ms : 20ms; break;
        case ToggleHoldFlush: m_port.holdFlush = !m_port.holdFlush; break;
        default: lineEvent(op); break;
        }
    }

    // Events that can also arrive while a modal message box is up.
    void lineEvent(int op)
    {
        const QByteArray mark(1, char(0xB5));
        switch (op) {
        case FireTimer1: m_timer1.fire(); break;
        case FinishOpen: {
            static constexpr PortStatus kEnds[] = {PortStatus::Opened, PortStatus::Refused, PortStatus::Unreachable,
                                                   PortStatus::Busy, PortStatus::Failed};
            m_port.finishOpen(kEnds[m_in.byte() % std::size(kEnds)]);
            break;
        }
        case FinishFlush: m_port.finishFlush(m_in.byte() % 2 == 0); break;
        case TurnedAway:
            m_port.vanish(PortStatus::Busy);
            m_port.vanished = false;
            break;
        case FireTimer2: m_timer2.fire(); break;
        case DeliverRaw: m_port.deliver(m_in.bytes(m_in.byte() % 80)); break;
        case DeliverAck: m_port.deliver(mark); break;
        case DeliverDetection: m_port.deliver(mark + char(m_in.byte() % 4) + m_in.bytes(2)); break;
        case DeliverBlock: m_port.deliver(mark + m_in.bytes(65)); break;
        case DeliverEndBlock: m_port.deliver(mark + char(0xFF) + m_in.bytes(64)); break;
        case DeliverZeroPairBlock: {
            QByteArray block = m_in.bytes(64);
            const int at = m_in.byte() % 64;
            block[at] = 0;
            if (at + 1 < block.size())
                block[at + 1] = 0;
            m_port.deliver(mark + block + char(0));
            break;
        }
        default: break;
        }
    }

    void modalEvents()
    {
        static constexpr int kLineOps[] = {FireTimer1, FireTimer2, DeliverRaw, DeliverAck, DeliverBlock, FinishOpen,
                                           FinishFlush};
        for (int n = m_in.byte() % 3; n > 0; --n)
            lineEvent(kLineOps[m_in.byte() % std::size(kLineOps)]);
    }

    // Starts an exchange; one it ends (the exchange under way) or that ends at once (a port that
    // will not open) is reported from within the call.
    template <typename Call>
    bool start(Exchange exchange, Call call)
    {
        m_starting = exchange;
        m_endedAtStart = false;
        ExchangeReply *reply = call();
        if (reply)
            watch(reply);
        m_starting.reset();
        require(reply || !m_endedAtStart, "a refused exchange reported an end");
        if (reply) {
            require(reply->exchange() == exchange, "a reply of the other kind");
            require(!m_active, "two exchanges at once");
            if (!m_endedAtStart && !reply->isFinished())
                m_active = exchange;
        }
        return reply != nullptr;
    }

    void watch(ExchangeReply *reply)
    {
        QObject::connect(reply, &ExchangeReply::finished, [this, reply] { onFinished(*reply); });
        QObject::connect(reply, &ExchangeReply::progress, [this, reply] { onProgress(*reply); });
    }

    void clickSend()
    {
        // The session refuses a Send without a known model before the link changes state.
        if (m_link.programBusy() || !m_link.exchangeModel())
            return;
        if (!start(Exchange::Send, [this] { return m_link.beginSend(); }))
            return;
        // The cut message may be up between the two calls: only the line and the timers act then.
        modalEvents();
        require(m_link.programBusy() || !m_active, "the link moved while the frames were built");
        const SignModel model = *m_link.exchangeModel();
        QList<QByteArray> images;
        const int pages = 1 + m_in.byte() % model.pageCount;
        for (int p = 0; p < pages; ++p) {
            const int length = 1 + (m_in.byte() | m_in.byte() << 8) % model.pageBytes();
            images.append(m_in.bytes(length));
        }
        m_link.startSend(buildFrameList(images, model));
    }

    void onFinished(const ExchangeReply &reply)
    {
        const Exchange exchange = reply.exchange();
        const Outcome outcome = reply.outcome();
        require(m_link.mode() == LinkMode::Idle, "an end reported while an exchange runs");
        require(outcome != Outcome::Cancelled || m_cancelAsked, "cancelled without cancel()");
        require((outcome == Outcome::CannotOpen) == (reply.portStatus() != PortStatus::Opened
                                                      && outcome != Outcome::PortLost),
                "a port status without a port problem");
        if (outcome == Outcome::Superseded) {
            require(m_starting && *m_starting != exchange, "superseded by nothing");
        } else if (!m_link.releasing()) {
            require(!m_port.isOpen(), "port left open after an exchange");
            require(!m_timer1.isEnabled(), "response timer left running");
        }
        if (m_active && *m_active == exchange) {
            m_active.reset();
            m_cancelAsked = false;
        } else {
            require(m_starting == exchange && !m_endedAtStart, "an end without an exchange");
            m_endedAtStart = true;
        }
        if (outcome == Outcome::Completed && exchange == Exchange::Read) {
            MessageStore store;
            decodePageImages(reply.images(), reply.model().pageCount, store);
        }
        // A message box runs an event loop: ticks and answers may arrive while it is up. The
        // window shows none for an exchange another one replaced.
        if (outcome != Outcome::Superseded && !m_inModal) {
            m_inModal = true;
            modalEvents();
            m_inModal = false;
        }
    }

    void onProgress(const ExchangeReply &reply)
    {
        require(!reply.isFinished(), "progress after the end");
        if (reply.exchange() == Exchange::Send) {
            const int acked = reply.acknowledged();
            require(acked >= 1 && acked <= reply.frameCount(), "acknowledged count beyond the frames");
            require(acked <= reply.framesWritten(), "acknowledged more than was written");
        } else {
            require(reply.answeredPage() < reply.model().pageCount, "answered page beyond the model");
            require(reply.images().size() == reply.model().pageCount, "read-back images");
            for (const QByteArray &image : reply.images())
                require(image.size() <= reply.model().pageBytes(), "page image beyond its page");
        }
    }

    FuzzInput &m_in;
    ScriptedPort m_port;  // COM1 only
    ManualTicker m_timer1;
    ManualTicker m_timer2;
    SignLink m_link{&m_port, ScriptedPort::systemMap(), &m_timer1, &m_timer2};
    std::optional<Exchange> m_active;    // started and not yet ended
    std::optional<Exchange> m_starting;  // inside the call that starts it
    bool m_endedAtStart = false;
    bool m_inModal = false;
    bool m_cancelAsked = false;
    QSet<QString> m_noticed;
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
    FuzzInput in(data, size);
    Harness harness(in);
    static const bool trace = qEnvironmentVariableIsSet("ZANTOLUX_FUZZ_TRACE");
    harness.run(trace);
    return 0;
}
