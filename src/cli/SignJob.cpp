#include "cli/SignJob.h"

#include "cli/CliTexts.h"
#include "cli/ProgramFit.h"
#include "cli/ResultPrinter.h"
#include "link/ExchangeReply.h"
#include "link/PortMap.h"
#include "link/QtSignPort.h"
#include "link/QtTicker.h"
#include "link/SignLink.h"
#include "project/ProjectFile.h"
#include "project/ProjectIo.h"
#include "protocol/Frames.h"
#include "protocol/PageImages.h"
#include "session/ProgramSession.h"

#include <QTimer>

#include <algorithm>

namespace zlx::cli {

namespace {

// The port list the job's link scans: its one port, or the whole list.
PortMap mapOf(const JobTarget &target)
{
    if (target.port.isEmpty())
        return PortMap::fromEnvironment();
    if (target.named)
        return PortMap::fromPaths({target.path});
    // A system port keeps the scan's own short probe.
    return PortMap([path = target.path] { return QStringList{path}; });
}

}  // namespace

SignJob::SignJob(JobKind kind, const JobTarget &target, const MessageStore &program, const QString &outFile,
                 std::chrono::milliseconds timeout, QObject *parent)
    : QObject(parent), m_kind(kind), m_target(target), m_outFile(outFile), m_program(program)
{
    m_result.kind = kind;
    m_result.port = target.port;
    m_result.path = target.path;
    const PortMap map = mapOf(target);
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
    if (!m_target.port.isEmpty() && m_target.path.isEmpty()) {
        QTimer::singleShot(0, this, [this] { finishWith(ResultKind::CannotOpen, texts::noSuchPort(m_target.port)); });
        return;
    }
    m_link->SetUpLink();
    m_link->Timer2_Timer();  // no pause before the first pass
}

void SignJob::interrupt()
{
    if (m_done) {
        release();  // a second Ctrl-C waits no more
        return;
    }
    if (m_link->programBusy() || m_link->readBusy())
        m_link->cancel();  // reports through the session; the line settles before the job ends
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
    if (m_target.port.isEmpty())
        emit note(QStringLiteral("%1: %2").arg(label(), problem), false);
    else
        m_openProblem.emplace(status == PortStatus::Busy ? ResultKind::Busy : ResultKind::CannotOpen, problem);
}

void SignJob::onSignFound()
{
    if (m_done)
        return;
    if (m_target.port.isEmpty()) {
        m_result.port = QStringLiteral("COM%1").arg(m_link->portNumber());
        m_result.path = m_link->signAddress();
    }
    const auto &model = m_link->exchangeModel();
    if (!model) {
        finishWith(ResultKind::WrongAnswer, texts::unknownModel());
        return;
    }
    m_result.model = model->pageCount;
    switch (m_kind) {
    case JobKind::Detect:
    case JobKind::Show:
        finishWith(ResultKind::Ok);
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
    const SignModel model = *m_link->exchangeModel();
    // Where each page's frames end, for a progress line a page.
    int frames = 0;
    for (const QByteArray &image : buildPageImages(m_program, model).images) {
        frames += int((image.size() + frames::kMaxData - 1) / frames::kMaxData);
        if (image.size() > 1)
            m_pageFrameEnds.append(frames);
    }
    m_store = m_program;
    m_clock.start();
    const ProgramSession::SendStart start =
        m_session->send(m_store, [this](int page) { emit note(texts::pageCut(label(), page + 1), false); });
    // The file's rows were checked before any port was touched; this is the last guard.
    if (start.fault) {
        const QByteArray &e = m_program.entry(start.fault->page, start.fault->row);
        finishWith(ResultKind::BadFile, texts::atRow(start.fault->page + 1, start.fault->row + 1,
                                                     texts::entryProblem(start.fault->problem, e)));
    } else if (start.refusal != Refusal::None) {
        finishWith(ResultKind::WrongAnswer, texts::unknownModel());
    }
}

void SignJob::startRead()
{
    if (m_session->read() != Refusal::None)
        finishWith(ResultKind::WrongAnswer, texts::unknownModel());
}

void SignJob::onProgress(const ExchangeReply *reply)
{
    if (reply->exchange() == Exchange::Send) {
        const int acknowledged = reply->acknowledged();
        while (m_pagesReported < m_pageFrameEnds.size() && acknowledged >= m_pageFrameEnds.at(m_pagesReported))
            emit note(texts::pageSent(label(), ++m_pagesReported), true);
    } else {
        const int page = reply->answeredPage() + 1;
        if (page > m_pagesReported) {
            m_pagesReported = page;
            emit note(texts::readingPage(label(), page), true);
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
        finishSend();
    else if (m_kind == JobKind::Verify)
        finishVerify(-1);
    else
        finishRead();
}

void SignJob::finishSend()
{
    const ProgramFit fit = ProgramFit::of(m_program, *m_link->exchangeModel());
    m_result.cutPages = fit.cutPages;
    m_result.leftOutPages = fit.leftOutPages;
    if (fit.whole())
        finishWith(ResultKind::Ok);
    else
        finishWith(ResultKind::Incomplete, texts::notWhole(fit.cutPages, fit.leftOutPages));
}

void SignJob::finishRead()
{
    const int pages = m_link->exchangeModel()->pageCount;
    if (m_outFile != u"-") {
        const project::SaveResult saved = project::saveFile(m_outFile, m_store, pages);
        if (saved.problem == project::SaveProblem::None)
            finishWith(ResultKind::Ok);
        else
            finishWith(ResultKind::WriteFailed, texts::saveProblem(m_outFile, saved));
        return;
    }
    if (const auto row = project::findCarriageReturn(m_store, pages)) {
        finishWith(ResultKind::WriteFailed,
                   texts::saveProblem(m_outFile, {project::SaveProblem::CarriageReturn, *row, {}}));
        return;
    }
    ResultPrinter out(false);
    out.bytes(project::encode(m_store, pages));
    if (out.failed())
        finishWith(ResultKind::WriteFailed, texts::stdoutFailed(out.failure()));
    else
        finishWith(ResultKind::Ok);
}

void SignJob::finishVerify(int foreignPage)
{
    const SignModel model = *m_link->exchangeModel();
    const ProgramFit fit = ProgramFit::of(m_program, model);
    m_result.cutPages = fit.cutPages;
    m_result.leftOutPages = fit.leftOutPages;
    QList<int> pages = differingPages(m_program, m_store, model, foreignPage) + fit.cutPages + fit.leftOutPages;
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    m_result.differingPages = pages;
    if (pages.isEmpty())
        finishWith(ResultKind::Ok);
    else
        finishWith(ResultKind::Differs, fit.whole() ? texts::signDiffers() : texts::notWhole(fit.cutPages, fit.leftOutPages));
}

void SignJob::finishWith(ResultKind result, const QString &message)
{
    if (m_done)
        return;
    m_done = true;
    m_result.result = result;
    m_result.message = message;
    // The link would look for the sign again after a lost port; the job is over. A cancelled
    // exchange's line settles first: the frame on its way, and the sign's answer to it.
    m_timer2->setEnabled(false);
    if (m_link->releasing())
        connect(m_link, &SignLink::lineReleased, this, &SignJob::release);
    else
        release();
}

void SignJob::release()
{
    if (m_released)
        return;
    m_released = true;
    m_timer1->setEnabled(false);
    m_timer2->setEnabled(false);
    m_port->close();
    emit done(m_result);
}

}  // namespace zlx::cli
