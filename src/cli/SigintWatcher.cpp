#include "cli/SigintWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zlx::cli {

namespace {
// The one global: a signal handler can reach nothing else, and may only write() to it.
volatile std::sig_atomic_t g_writeFd = -1;

extern "C" void onSigint(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
}
}  // namespace

SigintWatcher::SigintWatcher(QObject *parent) : QObject(parent) {}

SigintWatcher::~SigintWatcher()
{
    if (m_fds[0] < 0)
        return;
    std::signal(SIGINT, SIG_DFL);
    g_writeFd = -1;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

bool SigintWatcher::install()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0)
        return false;
    g_writeFd = m_fds[1];
    m_notifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SigintWatcher::readSocket);
    struct sigaction action = {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0;
}

bool SigintWatcher::pending() const
{
    pollfd waiting{m_fds[0], POLLIN, 0};
    return m_fds[0] >= 0 && ::poll(&waiting, 1, 0) > 0;
}

void SigintWatcher::readSocket()
{
    char byte = 0;
    if (::read(m_fds[0], &byte, 1) == 1)
        emit interrupted();
}

}  // namespace zlx::cli
