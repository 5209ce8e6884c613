#pragma once

#include <QObject>

class QSocketNotifier;

namespace zlx::cli {

// Turns SIGINT into a Qt signal: the handler writes a byte to a socket pair, the event loop
// reads it. One instance a process.
class SigintWatcher final : public QObject
{
    Q_OBJECT
public:
    explicit SigintWatcher(QObject *parent = nullptr);
    ~SigintWatcher() override;

    bool install();
    // Becomes readable once Ctrl-C has come, before the event loop hears of it; -1 before install().
    int pendingFd() const { return m_fds[0]; }
    // Ctrl-C has come and interrupted() is still to be emitted.
    bool pending() const;

signals:
    void interrupted();

private:
    void readSocket();

    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};

}  // namespace zlx::cli
