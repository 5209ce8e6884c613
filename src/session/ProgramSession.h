#pragma once

#include "protocol/PageImages.h"
#include "session/ExchangeReport.h"

#include <QObject>
#include <functional>
#include <optional>

namespace zlx {

class ExchangeReply;
class MessageStore;
class SignLink;

// What an operator does with a sign, without widgets: send a program, and read the sign's
// program into a store of its own, which the report carries once the read-back is through.
// The window and the command-line programmer both drive the link through it.
class ProgramSession : public QObject
{
    Q_OBJECT
public:
    explicit ProgramSession(SignLink &link, QObject *parent = nullptr);
    ~ProgramSession() override;

    struct SendStart
    {
        Refusal refusal = Refusal::None;
        std::optional<EntryFault> fault;  // with Refusal::BadEntry
    };
    // Sends the whole program. A read-back under way ends, and its report carries no program.
    // onCut hears of each page cut to fit, before the first frame goes out.
    SendStart send(const MessageStore &program, const std::function<void(int page)> &onCut = {});

    // Reads the sign's program; readStarting() is the window's moment to reset its editor.
    Refusal read();

signals:
    void readStarting();
    // The exchange under way moved on: frames acknowledged, or a block read.
    void progress(zlx::ExchangeReply *reply);
    void finished(const zlx::ExchangeReport &report);

private:
    void watch(ExchangeReply *reply);
    void onReplyFinished(ExchangeReply *reply);
    static void finishRead(const ExchangeReply &reply, ExchangeReport &report);

    SignLink &m_link;
    QList<int> m_cutPages;
};

}  // namespace zlx
