#include "link/PortLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zlx {

namespace {

PortLock::Result flockNow(int fd)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return PortLock::Result::Held;
    return errno == EWOULDBLOCK ? PortLock::Result::Busy : PortLock::Result::Failed;
}

// Opens the lock file, creating it readable by all. An existing one is opened without O_CREAT:
// in a sticky folder a file of another user may not be opened with it.
int openLockFile(const QByteArray &path)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        const int created = ::open(path.constData(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (created >= 0 || errno != EEXIST)
            return created;
    }
    return -1;
}

}  // namespace

PortLock::Result PortLock::lockDevice(int fd)
{
    return flockNow(fd);
}

PortLock::Result PortLock::lockNetwork(const QHostAddress &address, quint16 port)
{
    release();
    bool v4 = false;
    const quint32 ipv4 = address.toIPv4Address(&v4);
    QString name = v4 ? QHostAddress(ipv4).toString() : address.toString();
    name.replace(u':', u'_');
    const QString path = QDir(lockFolder()).filePath(QStringLiteral("zantolux-%1-%2.lock").arg(name).arg(port));
    const QByteArray encoded = QFile::encodeName(path);
    // The holder removes the file when it lets go; a lock taken on a file removed meanwhile
    // holds nothing, so it is taken again on the file that is there now.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = openLockFile(encoded);
        if (fd < 0) {
            m_error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return Result::Failed;
        }
        const Result result = flockNow(fd);
        if (result != Result::Held) {
            m_error = result == Result::Busy ? QString() : QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return result;
        }
        struct stat held{};
        struct stat named{};
        if (::fstat(fd, &held) == 0 && ::stat(encoded.constData(), &named) == 0 && held.st_ino == named.st_ino
            && held.st_dev == named.st_dev) {
            m_fd = fd;
            m_path = encoded;
            return result;
        }
        ::close(fd);
    }
    m_error = QStringLiteral("%1: the lock file keeps changing").arg(path);
    return Result::Failed;
}

void PortLock::release()
{
    if (m_fd < 0)
        return;
    ::unlink(m_path.constData());
    ::close(m_fd);
    m_fd = -1;
}

QString PortLock::lockFolder()
{
    const QFileInfo run(QStringLiteral("/run/lock"));
    return run.isDir() && run.isWritable() ? run.filePath() : QDir::tempPath();
}

}  // namespace zlx
