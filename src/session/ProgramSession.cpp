#include "session/ProgramSession.h"

#include "link/SignLink.h"
#include "model/MessageStore.h"
#include "protocol/PageDecoder.h"

namespace zlx {

struct ProgramSession::Snapshot
{
    MessageStore store;
    EditorView view;
};

ProgramSession::ProgramSession(SignLink &link, MessageStore &store, QObject *parent)
    : QObject(parent), m_link(link), m_store(store)
{
    connect(&m_link, &SignLink::finished, this, &ProgramSession::onLinkFinished);
}

ProgramSession::~ProgramSession() = default;

ProgramSession::SendStart ProgramSession::send(const std::function<void(int page)> &onCut)
{
    if (!m_link.signDetected())
        return {Refusal::NoSign, {}};
    if (m_link.programBusy())
        return {Refusal::Busy, {}};
    // Everything that can refuse the Send is checked before the link changes state.
    const std::optional<SignModel> model = m_link.model();
    if (!model)
        return {Refusal::UnknownModel, {}};
    if (auto fault = findUnsendableEntry(m_store, *model))
        return {Refusal::BadEntry, fault};
    if (!m_link.beginSend())
        return {Refusal::Busy, {}};
    const PageImageBuild build = buildPageImages(m_store, *model);
    m_cutPages = build.cutPages;
    for (int page : build.cutPages) {
        if (onCut)
            onCut(page);
    }
    m_link.startSend(buildFrameList(build.images, *model));
    return {};
}

Refusal ProgramSession::read(const EditorView &view)
{
    if (!m_link.signDetected())
        return Refusal::NoSign;
    if (m_link.readBusy())
        return Refusal::Busy;
    if (!m_link.model())
        return Refusal::UnknownModel;
    m_beforeRead = std::make_unique<Snapshot>(Snapshot{m_store, view});
    emit readStarting();
    if (!m_link.startRead()) {
        m_store = m_beforeRead->store;
        m_beforeRead.reset();
        return Refusal::Busy;
    }
    return Refusal::None;
}

void ProgramSession::forgetEarlierProgram()
{
    m_beforeRead.reset();
}

void ProgramSession::onLinkFinished(Exchange exchange, Outcome outcome)
{
    ExchangeReport report{exchange, outcome, m_link.portNumber(), -1, 0, {}, std::nullopt};
    if (exchange == Exchange::Send) {
        report.frames = m_link.transfer() ? m_link.transfer()->written() : 0;
        report.cutPages = m_cutPages;
    } else {
        finishRead(report);
    }
    emit finished(report);
}

void ProgramSession::finishRead(ExchangeReport &report)
{
    const std::unique_ptr<Snapshot> before = std::move(m_beforeRead);
    if (report.outcome == Outcome::Superseded)
        return;  // the Send that ended it sends what the store holds now
    const auto &readBack = m_link.readBack();
    if (report.outcome == Outcome::ForeignPage && readBack)
        report.page = readBack->foreignPage();
    // The pages read before an unreadable one are the sign's program as far as it goes.
    const bool keepRead = report.outcome == Outcome::Completed
                          || (report.outcome == Outcome::ForeignPage && report.page > 0);
    if (keepRead && readBack && m_link.model()) {
        m_store.clearPages(m_link.model()->pageCount);
        decodePageImages(readBack->images(), m_link.model()->pageCount, m_store);
        return;
    }
    if (before) {
        m_store = before->store;
        report.givenBack = before->view;
    }
}

}  // namespace zlx
