#include "sim/PtySign.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zlx::sim {

namespace {

constexpr int kRetryMs = 50;

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

PtySign::PtySign(Model model, QObject *parent)
    : SignHost(model, parent),
      m_retryTimer(new QTimer(this))
{
    m_retryTimer->setSingleShot(true);
    m_retryTimer->setInterval(kRetryMs);
    connect(m_retryTimer, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

PtySign::~PtySign()
{
    closePty();
}

bool PtySign::open(const QString &linkPath)
{
    closePty();
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master.isValid()) {
        setErrorString(systemError("posix_openpt"));
        return false;
    }
    if (::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) {
        setErrorString(systemError("grantpt/unlockpt"));
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master.get(), name, sizeof name) != 0) {
        setErrorString(systemError("ptsname"));
        return false;
    }
    UniqueFd slave(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios settings{};
    if (!slave.isValid() || ::tcgetattr(slave.get(), &settings) != 0) {
        setErrorString(systemError("open slave"));
        return false;
    }
    // Raw: no echo, no line editing, no translation of CR/LF or of the control bytes a frame holds.
    ::cfmakeraw(&settings);
    if (::tcsetattr(slave.get(), TCSANOW, &settings) != 0) {
        setErrorString(systemError("tcsetattr"));
        return false;
    }
    const int flags = ::fcntl(master.get(), F_GETFL);
    if (flags < 0 || ::fcntl(master.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        setErrorString(systemError("fcntl"));
        return false;
    }
    if (!linkPath.isEmpty()) {
        if (QFileInfo(linkPath).isSymLink())
            QFile::remove(linkPath);  // a link left behind by an earlier run
        if (::symlink(name, QFile::encodeName(linkPath).constData()) != 0) {
            setErrorString(systemError("symlink"));
            return false;
        }
        m_linkPath = linkPath;
    }

    m_master = std::move(master);
    m_slave = std::move(slave);
    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_master.get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtySign::readMaster);
    setErrorString({});
    return true;
}

void PtySign::closePty()
{
    if (m_notifier) {
        // Possibly called from a slot reached through the notifier itself.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    pacer().reset();
    m_retryTimer->stop();
    m_master.reset();
    m_slave.reset();
    if (!m_linkPath.isEmpty()) {
        QFile::remove(m_linkPath);
        m_linkPath.clear();
    }
    m_slavePath.clear();
}

void PtySign::readMaster()
{
    char buffer[512];
    while (isOpen()) {
        const ssize_t n = ::read(m_master.get(), buffer, sizeof buffer);
        if (n > 0) {
            const qint64 now = pacer().nowNs();
            for (ssize_t i = 0; i < n && isOpen(); ++i)
                takeByte(buffer[i], now);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // EIO (no slave open anywhere) or end of file: the master stays readable, so the
        // notifier would fire again at once, for ever. Pause it and look again a little later.
        if (m_notifier)
            m_notifier->setEnabled(false);
        m_retryTimer->start();
        break;
    }
    pacer().releaseDue();
}

qsizetype PtySign::writeOut(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (isOpen() && done < bytes.size()) {
        const ssize_t n = ::write(m_master.get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return done;  // a full pty means nobody reads the line
}

}  // namespace zlx::sim
