#include "cli/InputFile.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zlx::cli {

namespace {
constexpr qsizetype kPieceBytes = qsizetype(64) * 1024;
}  // namespace

InputFile::InputFile(const QString &name, int interruptFd) : m_name(name), m_interruptFd(interruptFd) {}

InputFile::~InputFile()
{
    if (m_fd > STDIN_FILENO)
        ::close(m_fd);
}

InputFile::Problem InputFile::failed(Problem problem, int error)
{
    m_detail = QString::fromLocal8Bit(std::strerror(error));
    return problem;
}

InputFile::Problem InputFile::open()
{
    if (m_name == u"-") {
        m_fd = STDIN_FILENO;
        return Problem::None;
    }
    m_fd = ::open(QFile::encodeName(m_name).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        switch (error) {
        case ENOENT: return Problem::Missing;
        case EACCES:
        case EPERM: return Problem::NoPermission;
        default: return failed(Problem::CannotOpen, error);
        }
    }
    struct stat info = {};
    if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode))
        return Problem::IsDirectory;
    return Problem::None;
}

InputFile::Problem InputFile::read(qint64 maxBytes, const std::function<bool(QByteArrayView piece)> &take)
{
    std::array<char, kPieceBytes> buffer{};
    qint64 total = 0;
    for (;;) {
        // A pipe may keep us waiting: Ctrl-C is heard meanwhile, not only once data comes.
        // (poll passes over a negative interruptFd.)
        std::array<pollfd, 2> wait{{{m_fd, POLLIN, 0}, {m_interruptFd, POLLIN, 0}}};
        if (::poll(wait.data(), wait.size(), -1) < 0 && errno != EINTR)
            return failed(Problem::CannotRead, errno);
        if (wait[1].revents != 0)
            return Problem::Interrupted;
        if (wait[0].revents == 0)
            continue;
        const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return failed(Problem::CannotRead, errno);
        }
        if (n == 0)
            return Problem::None;
        total += n;
        if (total > maxBytes)
            return Problem::TooBig;
        if (!take(QByteArrayView(buffer.data(), n)))
            return Problem::None;
    }
}

}  // namespace zlx::cli
