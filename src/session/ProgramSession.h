#pragma once

#include "protocol/PageImages.h"
#include "session/ExchangeReport.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

namespace zlx {

class ExchangeReply;
class MessageStore;
class SignLink;

// What an operator does with a sign, without widgets: send the program the store holds, read
// the sign's program into the store, and the earlier program's return when a read-back fails.
// The window and the command-line programmer both drive the link through it.
class ProgramSession : public QObject
{
    Q_OBJECT
public:
    ProgramSession(SignLink &link, MessageStore &store, QObject *parent = nullptr);
    ~ProgramSession() override;

    struct SendStart
    {
        Refusal refusal = Refusal::None;
        std::optional<EntryFault> fault;  // with Refusal::BadEntry
    };
    // Sends the whole store (the caller has stored the shown page). A read-back under way ends
    // and gives nothing back: what the store holds now is what the operator sees. onCut hears of
    // each page cut to fit, before the first frame goes out.
    SendStart send(const std::function<void(int page)> &onCut = {});

    // Reads the sign's program into the store; the store as it is now, with view, comes back if
    // the read-back fails. readStarting() is the editor's moment to reset itself.
    Refusal read(const EditorView &view = {});
    // The operator replaced the program during a read-back (new or open): nothing to give back.
    void forgetEarlierProgram();

signals:
    void readStarting();
    // The exchange under way moved on: frames acknowledged, or a block read.
    void progress(zlx::ExchangeReply *reply);
    void finished(const zlx::ExchangeReport &report);

private:
    void watch(ExchangeReply *reply);
    void onReplyFinished(ExchangeReply *reply);
    void finishRead(const ExchangeReply &reply, ExchangeReport &report);

    struct Snapshot;
    SignLink &m_link;
    MessageStore &m_store;
    std::unique_ptr<Snapshot> m_beforeRead;
    QList<int> m_cutPages;
};

}  // namespace zlx
