#pragma once

#include "sim/SignHost.h"
#include "sim/UniqueFd.h"

#include <QString>

class QSocketNotifier;
class QTimer;

namespace zlx::sim {

// A VirtualSign on a pseudo-terminal: the program opens slavePath() as its serial port. Runs in
// the caller's event loop, so a test can host it in the same thread as the program under test.
class PtySign final : public SignHost
{
    Q_OBJECT
public:
    explicit PtySign(Model model = Model::Pages20, QObject *parent = nullptr);
    ~PtySign() override;

    // Opens the pty pair; links linkPath (if given) to the device. False with errorString().
    bool open(const QString &linkPath = {});
    // Closes the pty and removes the link, as if the sign's port had vanished.
    void closePty();
    bool isOpen() const { return m_master.isValid(); }
    QString slavePath() const { return m_slavePath; }
    QString linkPath() const { return m_linkPath; }

private:
    void readMaster();
    qsizetype writeOut(const QByteArray &bytes) override;

    UniqueFd m_master;
    UniqueFd m_slave;  // held open so the master never sees a hang-up between the program's opens
    QSocketNotifier *m_notifier = nullptr;  // child; replaced on every open
    QTimer *m_retryTimer;
    QString m_slavePath;
    QString m_linkPath;
};

}  // namespace zlx::sim
