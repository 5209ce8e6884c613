#include "cli/SignJob.h"

#include "cli/CliTexts.h"
#include "link/ExchangeReply.h"
#include "link/PortAddress.h"
#include "link/PortMap.h"
#include "link/QtSignPort.h"
#include "link/QtTicker.h"
#include "link/SignLink.h"
#include "protocol/Frames.h"
#include "protocol/PageDecoder.h"
#include "protocol/PageImages.h"
#include "project/ProjectIo.h"
#include "session/ProgramSession.h"

#include <QRegularExpression>
#include <QTimer>

namespace zlx::cli {

namespace {

// COMn names a port of the scan's own map; anything else is an address.
QString resolvePort(const QString &portArg)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]*)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = comName.match(portArg);
    return m.hasMatch() ? PortMap::fromEnvironment().devicePath(m.captured(1).toInt()) : PortAddress::absolute(portArg);
}

ResultKind resultOf(Outcome outcome, PortStatus status)
{
    switch (outcome) {
    case Outcome::Completed: return ResultKind::Ok;
    case Outcome::Timeout: return ResultKind::Timeout;
    case Outcome::WrongAnswer:
    case Outcome::ForeignPage: return ResultKind::WrongAnswer;
    case Outcome::CannotOpen: return status == PortStatus::Busy ? ResultKind::Busy : ResultKind::CannotOpen;
    case Outcome::Cancelled: return ResultKind::Interrupted;
    case Outcome::PortLost:
    case Outcome::Superseded: break;
    }
    return ResultKind::PortLost;
}

}  // namespace

SignJob::SignJob(JobKind kind, const QString &portArg, const MessageStore &program,
                 const QString &outFile, std::chrono::milliseconds timeout, QObject *parent)
    : QObject(parent), m_kind(kind), m_portArg(portArg), m_outFile(outFile), m_program(program)
{
    m_result.kind = kind;
    m_result.port = portArg;
    const bool named = !portArg.isEmpty();
    if (named)
        m_result.path = resolvePort(portArg);
    // A named port is the only one tried; its probe waits up to the answer time.
    const PortMap map = named ? PortMap::fromPaths({m_result.path}) : PortMap::fromEnvironment();
    m_port = new QtSignPort(this);
    m_timer1 = new QtTicker(this);
    m_timer2 = new QtTicker(this);
    m_link = new SignLink(m_port, map, m_timer1, m_timer2, this);
    m_link->setResponseTimeout(timeout);
    // A pass ends when it reaches its last port, one past the list.
    m_link->setLastScanPort(int(map.devicePaths().size()) + 1);
    m_session = new ProgramSession(*m_link, this);
    connect(m_link, &SignLink::signFound, this, &SignJob::onSignFound);
    connect(m_link, &SignLink::scanPassEnded, this, &SignJob::onScanPassEnded);
    connect(m_link, &SignLink::portNotice, this, &SignJob::onPortNotice);
    connect(m_session, &ProgramSession::progress, this, &SignJob::onProgress);
    connect(m_session, &ProgramSession::finished, this, &SignJob::onFinished);
}

SignJob::~SignJob() = default;

void SignJob::start()
{
    if (!m_portArg.isEmpty() && m_result.path.isEmpty()) {
        QTimer::singleShot(0, this, [this] {
            finishWith(ResultKind::CannotOpen, QStringLiteral("no such port: %1").arg(m_portArg));
        });
        return;
    }
    m_link->SetUpLink();
    m_link->Timer2_Timer();  // no pause before the first pass
}

void SignJob::interrupt()
{
    if (m_done)
        return;
    if (m_link->programBusy() || m_link->readBusy())
        m_link->cancel();  // reports through the session once the frame on the line has left
    else
        finishWith(ResultKind::Interrupted, texts::outcome(Outcome::Cancelled, -1));
}

QString SignJob::label() const
{
    return m_result.port.isEmpty() ? QStringLiteral("zantolux-cli") : m_result.port;
}

// A named port that would not open says why; a scan that found nothing says so.
void SignJob::onScanPassEnded()
{
    if (m_link->signDetected())
        return;
    if (m_openProblem)
        finishWith(m_openProblem->first, m_openProblem->second);
    else
        finishWith(ResultKind::NoSign, texts::noSignAnswered());
}

// A named port's problem is its result; a scan tells of the ports it passes on the way.
void SignJob::onPortNotice(const QString &address, PortStatus status, const QString &detail)
{
    const QString problem = texts::portProblem(address, status, detail);
    if (m_portArg.isEmpty())
        emit note(QStringLiteral("%1: %2").arg(label(), problem), false);
    else
        m_openProblem.emplace(status == PortStatus::Busy ? ResultKind::Busy : ResultKind::CannotOpen, problem);
}

void SignJob::onSignFound()
{
    if (m_done)
        return;
    if (m_portArg.isEmpty()) {
        m_result.port = QStringLiteral("COM%1").arg(m_link->portNumber());
        m_result.path = m_link->signAddress();
    }
    if (const auto &model = m_link->exchangeModel())
        m_result.model = model->pageCount;
    switch (m_kind) {
    case JobKind::Detect:
        if (m_result.model)
            finishWith(ResultKind::Ok);
        else
            finishWith(ResultKind::WrongAnswer, QStringLiteral("unknown sign model"));
        break;
    case JobKind::Send:
        startSend();
        break;
    case JobKind::Read:
    case JobKind::Verify:
        startRead();
        break;
    }
}

void SignJob::startSend()
{
    if (const auto &model = m_link->exchangeModel()) {
        for (int page : pagesWithUnsentRows(m_program, *model))
            emit note(QStringLiteral("%1: page %2: rows not sent (behind an empty row or page, or past "
                                     "the sign's last page)").arg(label()).arg(page + 1),
                      false);
        // Where each page's frames end, for a progress line a page.
        const PageImageBuild build = buildPageImages(m_program, *model);
        int frames = 0;
        for (const QByteArray &image : build.images) {
            frames += int((image.size() + frames::kMaxData - 1) / frames::kMaxData);
            if (image.size() > 1)
                m_pageFrameEnds.append(frames);
        }
    }
    m_store = m_program;
    m_clock.start();
    const ProgramSession::SendStart start = m_session->send(m_store, [this](int page) {
        m_result.cutPages.append(page + 1);
        emit note(QStringLiteral("%1: page %2 cut to fit the sign's page memory").arg(label()).arg(page + 1),
                  false);
    });
    if (start.fault) {
        finishWith(ResultKind::BadFile, QStringLiteral("page %1, row %2: %3")
                                            .arg(start.fault->page + 1)
                                            .arg(start.fault->row + 1)
                                            .arg(texts::entryProblem(start.fault->problem)));
    } else if (start.refusal != Refusal::None) {
        finishWith(ResultKind::WrongAnswer, QStringLiteral("the sign cannot take a program (unknown model)"));
    }
}

void SignJob::startRead()
{
    if (m_session->read() != Refusal::None)
        finishWith(ResultKind::WrongAnswer, QStringLiteral("the sign cannot be read (unknown model)"));
}

void SignJob::onProgress(const ExchangeReply *reply)
{
    if (reply->exchange() == Exchange::Send) {
        const int acknowledged = reply->acknowledged();
        while (m_pagesReported < m_pageFrameEnds.size() && acknowledged >= m_pageFrameEnds.at(m_pagesReported))
            emit note(QStringLiteral("%1: page %2 sent").arg(label()).arg(++m_pagesReported), true);
    } else {
        const int page = reply->answeredPage() + 1;
        if (page > m_pagesReported) {
            m_pagesReported = page;
            emit note(QStringLiteral("%1: reading page %2").arg(label()).arg(page), true);
        }
    }
}

void SignJob::onFinished(const ExchangeReport &report)
{
    if (report.program)
        m_store = *report.program;
    if (m_done || report.outcome == Outcome::Superseded)
        return;
    if (report.exchange == Exchange::Send) {
        m_result.frames = report.frames;
        m_result.seconds = double(m_clock.elapsed()) / 1000.0;
    }
    // A page that is neither a page nor the end marker is never what a Send wrote: it differs.
    if (m_kind == JobKind::Verify && report.outcome == Outcome::ForeignPage) {
        finishVerify(report.page);
        return;
    }
    if (report.outcome == Outcome::CannotOpen || report.outcome == Outcome::PortLost) {
        finishWith(resultOf(report.outcome, report.portStatus),
                   texts::portProblem(report.address, report.portStatus, report.portDetail));
        return;
    }
    if (report.outcome != Outcome::Completed) {
        finishWith(resultOf(report.outcome, report.portStatus), texts::outcome(report.outcome, report.page));
        return;
    }
    if (report.exchange == Exchange::Send)
        finishWith(ResultKind::Ok);
    else if (m_kind == JobKind::Verify)
        finishVerify(-1);
    else
        finishRead();
}

void SignJob::finishRead()
{
    const QString error = project::writeFile(m_outFile, m_store, m_link->exchangeModel()->pageCount);
    finishWith(error.isEmpty() ? ResultKind::Ok : ResultKind::WriteFailed, error);
}

void SignJob::finishVerify(int foreignPage)
{
    const SignModel model = *m_link->exchangeModel();
    // What the sign should hold is what a Send writes, cut pages in their cut form.
    MessageStore expected;
    decodePageImages(buildPageImages(m_program, model).images, model.pageCount, expected);
    for (int p = 0; p < model.pageCount; ++p) {
        for (int r = 0; r < MessageStore::kRowsPerPage; ++r) {
            if (p == foreignPage || expected.entry(p, r) != m_store.entry(p, r)) {
                m_result.differingPages.append(p + 1);
                break;
            }
        }
    }
    if (m_result.differingPages.isEmpty())
        finishWith(ResultKind::Ok);
    else
        finishWith(ResultKind::Differs, QStringLiteral("the sign holds another program"));
}

void SignJob::finishWith(ResultKind result, const QString &message)
{
    if (m_done)
        return;
    m_done = true;
    // The link would look for the sign again after a lost port; the job is over.
    m_timer1->setEnabled(false);
    m_timer2->setEnabled(false);
    m_port->close();
    m_result.result = result;
    m_result.message = message;
    emit done(m_result);
}

}  // namespace zlx::cli
