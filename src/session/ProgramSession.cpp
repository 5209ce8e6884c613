#include "session/ProgramSession.h"

#include "link/ExchangeReply.h"
#include "link/SignLink.h"
#include "model/MessageStore.h"
#include "protocol/PageDecoder.h"

namespace zlx {

ProgramSession::ProgramSession(SignLink &link, QObject *parent)
    : QObject(parent), m_link(link)
{
}

ProgramSession::~ProgramSession() = default;

ProgramSession::SendStart ProgramSession::send(const MessageStore &program, const std::function<void(int page)> &onCut)
{
    if (!m_link.signDetected())
        return {Refusal::NoSign, {}};
    if (m_link.programBusy())
        return {Refusal::Busy, {}};
    // Everything that can refuse the Send is checked before the link changes state.
    const std::optional<SignModel> model = m_link.exchangeModel();
    if (!model)
        return {Refusal::UnknownModel, {}};
    if (auto fault = findUnsendableEntry(program, *model))
        return {Refusal::BadEntry, fault};
    ExchangeReply *reply = m_link.beginSend();
    if (!reply)
        return {Refusal::Busy, {}};
    watch(reply);
    const PageImageBuild build = buildPageImages(program, *model);
    m_cutPages = build.cutPages;
    for (int page : build.cutPages) {
        if (onCut)
            onCut(page);
    }
    m_link.startSend(buildFrameList(build.images, *model));
    return {};
}

Refusal ProgramSession::read()
{
    if (!m_link.signDetected())
        return Refusal::NoSign;
    if (m_link.readBusy())
        return Refusal::Busy;
    if (!m_link.exchangeModel())
        return Refusal::UnknownModel;
    ExchangeReply *reply = m_link.startRead();
    if (!reply)
        return Refusal::Busy;
    emit readStarting();
    watch(reply);
    return Refusal::None;
}

// A port that would not open ends the exchange inside the call that started it: heard here.
void ProgramSession::watch(ExchangeReply *reply)
{
    connect(reply, &ExchangeReply::progress, this, [this, reply] { emit progress(reply); });
    connect(reply, &ExchangeReply::finished, this, [this, reply] { onReplyFinished(reply); });
    if (reply->isFinished())
        onReplyFinished(reply);
}

void ProgramSession::onReplyFinished(ExchangeReply *reply)
{
    ExchangeReport report;
    report.exchange = reply->exchange();
    report.outcome = reply->outcome();
    report.port = reply->comNumber();
    report.address = reply->address();
    report.portStatus = reply->portStatus();
    report.portDetail = reply->portDetail();
    if (report.exchange == Exchange::Send) {
        report.frames = reply->framesWritten();
        report.cutPages = m_cutPages;
    } else {
        finishRead(*reply, report);
    }
    reply->deleteLater();
    emit finished(report);
}

void ProgramSession::finishRead(const ExchangeReply &reply, ExchangeReport &report)
{
    if (report.outcome == Outcome::ForeignPage)
        report.page = reply.foreignPage();
    // The pages read before an unreadable one are the sign's program as far as it goes.
    const bool keepRead = report.outcome == Outcome::Completed
                          || (report.outcome == Outcome::ForeignPage && report.page > 0);
    if (!keepRead)
        return;
    report.program.emplace();
    decodePageImages(reply.images(), reply.model().pageCount, *report.program);
}

}  // namespace zlx
