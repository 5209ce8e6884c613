#include "sim/QuitOnSignal.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zlx::sim {

namespace {

// A signal handler reaches no object, so the pipe's write end is the program's one global;
// sig_atomic_t keeps its update safe against a signal arriving mid-write.
volatile std::sig_atomic_t s_writeFd = -1;

void onSignal(int signalNumber)
{
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(s_writeFd, &byte, 1);
}

}  // namespace

QuitOnSignal::QuitOnSignal(QObject *parent) : QObject(parent) {}

QuitOnSignal::~QuitOnSignal()
{
    if (m_write.isValid()) {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        s_writeFd = -1;
    }
}

bool QuitOnSignal::install()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_read.reset(fds[0]);
    m_write.reset(fds[1]);
    s_writeFd = m_write.get();

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, nullptr) != 0 || ::sigaction(SIGTERM, &action, nullptr) != 0)
        return false;

    m_notifier = new QSocketNotifier(m_read.get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitOnSignal::readPipe);
    return true;
}

void QuitOnSignal::readPipe()
{
    unsigned char byte = 0;
    while (::read(m_read.get(), &byte, 1) == 1)
        emit quitRequested(byte);
}

}  // namespace zlx::sim
