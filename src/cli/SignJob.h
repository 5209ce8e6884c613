#pragma once

#include "cli/JobResult.h"
#include "link/LinkTypes.h"
#include "model/MessageStore.h"
#include "session/ExchangeReport.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <chrono>
#include <optional>
#include <utility>

namespace zlx {
class ExchangeReply;
class ProgramSession;
class QtSignPort;
class QtTicker;
class SignLink;
}  // namespace zlx

namespace zlx::cli {

// Where a job looks for its sign.
struct JobTarget
{
    QString port;  // as given to --port, or COMn for detect --all; empty: one scan of the port list
    QString path;  // the port's address; empty when port names no port
    bool named = true;  // the probe waits the answer time (not a system port of detect --all)
};

// The work on one sign: find it (on its port only, or by one scan pass), then detect, send,
// read or verify through its own port, link and session. Ends once, with done().
class SignJob : public QObject
{
    Q_OBJECT
public:
    // program: what send and verify use; outFile: where read writes ("-": stdout).
    SignJob(JobKind kind, const JobTarget &target, const MessageStore &program, const QString &outFile,
            std::chrono::milliseconds timeout, QObject *parent = nullptr);
    ~SignJob() override;

    void start();
    void interrupt();  // ends the exchange under way, closing the port

signals:
    void note(const QString &line, bool progress);  // for stderr; progress lines may be silenced
    void done(const zlx::cli::JobResult &result);

private:
    void onSignFound();
    void onScanPassEnded();
    void onPortNotice(const QString &address, PortStatus status, const QString &detail);
    void onProgress(const ExchangeReply *reply);
    void onFinished(const ExchangeReport &report);
    void startSend();
    void startRead();
    void finishSend();
    void finishRead();
    void finishVerify(int foreignPage);  // foreignPage: unreadable page (from 0), or -1
    void finishWith(ResultKind result, const QString &message = {});
    void release();  // closes the port and tells done()
    QString label() const;

    JobKind m_kind;
    JobTarget m_target;
    QString m_outFile;
    MessageStore m_program;
    MessageStore m_store;  // the session's: the program sent, or the one read back
    QtSignPort *m_port = nullptr;
    QtTicker *m_timer1 = nullptr;
    QtTicker *m_timer2 = nullptr;
    SignLink *m_link = nullptr;
    ProgramSession *m_session = nullptr;
    JobResult m_result;
    QElapsedTimer m_clock;
    QList<int> m_pageFrameEnds;  // send: frames written once each page is in
    int m_pagesReported = 0;
    bool m_done = false;
    bool m_released = false;
    std::optional<std::pair<ResultKind, QString>> m_openProblem;  // why the named port would not open
};

}  // namespace zlx::cli
