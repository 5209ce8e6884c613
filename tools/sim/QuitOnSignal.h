#pragma once

#include "sim/UniqueFd.h"

#include <QObject>

class QSocketNotifier;

namespace zlx::sim {

// Turns SIGINT and SIGTERM into a Qt signal delivered by the event loop. The handler only
// writes a byte to a pipe (the one thing a signal handler can safely do); the event loop
// reads it. One instance per process.
class QuitOnSignal final : public QObject
{
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject *parent = nullptr);
    ~QuitOnSignal() override;

    bool install();  // false if the pipe or the handlers cannot be set up

signals:
    void quitRequested(int signalNumber);

private:
    void readPipe();

    UniqueFd m_read;
    UniqueFd m_write;
    QSocketNotifier *m_notifier = nullptr;
};

}  // namespace zlx::sim
