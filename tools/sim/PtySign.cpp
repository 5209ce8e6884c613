#include "sim/PtySign.h"

#include "sim/MemoryFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace zlx::sim {

namespace {

constexpr qint64 kNsPerMs = 1'000'000;
constexpr qint64 kNsPerS = 1'000'000'000;
constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr int kSplitPiece = 3;
constexpr qint64 kSplitGapNs = 4 * kNsPerMs;
constexpr int kRetryMs = 50;

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

PtySign::PtySign(Model model, QObject *parent)
    : QObject(parent),
      m_sign(model),
      m_releaseTimer(new QTimer(this)),
      m_retryTimer(new QTimer(this))
{
    m_releaseTimer->setSingleShot(true);
    m_releaseTimer->setTimerType(Qt::PreciseTimer);
    connect(m_releaseTimer, &QTimer::timeout, this, &PtySign::releaseDue);
    m_retryTimer->setSingleShot(true);
    m_retryTimer->setInterval(kRetryMs);
    connect(m_retryTimer, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
    m_clock.start();
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
        m_error = systemError("posix_openpt");
        return false;
    }
    if (::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) {
        m_error = systemError("grantpt/unlockpt");
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master.get(), name, sizeof name) != 0) {
        m_error = systemError("ptsname");
        return false;
    }
    UniqueFd slave(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    termios settings{};
    if (!slave.isValid() || ::tcgetattr(slave.get(), &settings) != 0) {
        m_error = systemError("open slave");
        return false;
    }
    // Raw: no echo, no line editing, no translation of CR/LF or of the control bytes a frame holds.
    ::cfmakeraw(&settings);
    if (::tcsetattr(slave.get(), TCSANOW, &settings) != 0) {
        m_error = systemError("tcsetattr");
        return false;
    }
    const int flags = ::fcntl(master.get(), F_GETFL);
    if (flags < 0 || ::fcntl(master.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        m_error = systemError("fcntl");
        return false;
    }
    if (!linkPath.isEmpty()) {
        if (QFileInfo(linkPath).isSymLink())
            QFile::remove(linkPath);  // a link left behind by an earlier run
        if (::symlink(name, QFile::encodeName(linkPath).constData()) != 0) {
            m_error = systemError("symlink");
            return false;
        }
        m_linkPath = linkPath;
    }

    m_master = std::move(master);
    m_slave = std::move(slave);
    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_master.get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtySign::readMaster);
    m_rxLineFreeNs = 0;
    m_txLineFreeNs = 0;
    m_error.clear();
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
    m_releaseTimer->stop();
    m_retryTimer->stop();
    m_pending.clear();
    m_master.reset();
    m_slave.reset();
    if (!m_linkPath.isEmpty()) {
        QFile::remove(m_linkPath);
        m_linkPath.clear();
    }
    m_slavePath.clear();
}

bool PtySign::setMemoryFile(const QString &path)
{
    m_memoryFile = path;
    if (!QFileInfo::exists(path))
        return true;
    const auto image = loadMemoryFile(path, &m_error);
    return image && m_sign.setMemory(*image);
}

bool PtySign::saveMemory()
{
    if (m_memoryFile.isEmpty())
        return true;
    return saveMemoryFile(m_memoryFile, m_sign.memory(), &m_error);
}

qint64 PtySign::byteTimeNs() const
{
    return m_paceBaud > 0 ? kBitsPerByte * kNsPerS / m_paceBaud : 0;
}

void PtySign::readMaster()
{
    char buffer[512];
    while (isOpen()) {
        const ssize_t n = ::read(m_master.get(), buffer, sizeof buffer);
        if (n > 0) {
            const qint64 now = m_clock.nsecsElapsed();
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
    releaseDue();
}

// Bytes are fed one at a time so that each answer can be timed from the arrival of the last
// byte of its own frame.
void PtySign::takeByte(char byte, qint64 nowNs)
{
    qint64 arrived = nowNs;
    if (m_paceBaud > 0) {
        m_rxLineFreeNs = std::max(m_rxLineFreeNs, nowNs) + byteTimeNs();
        arrived = m_rxLineFreeNs;
    }
    const int framesBefore = m_sign.framesReceived();
    const int endsBefore = m_sign.endFramesSeen();
    const QByteArray answer = m_sign.feed(QByteArray(1, byte));
    if (m_sign.framesReceived() != framesBefore)
        emit frameHandled(m_sign.frameLog().constLast(), answer);
    schedule(answer, arrived);
    if (m_sign.endFramesSeen() != endsBefore) {
        if (!saveMemory())
            qWarning("zantolux-sim: cannot save the memory: %s", qPrintable(m_error));
        emit endFrameReceived();
    }
}

void PtySign::schedule(const QByteArray &answer, qint64 requestDoneNs)
{
    if (answer.isEmpty())
        return;
    const Fault fault = m_sign.fault();
    qint64 start = requestDoneNs;
    if (fault.kind == FaultKind::SlowAnswers)
        start += fault.value * kNsPerMs;
    // One line: an answer cannot start before the previous one has left.
    start = std::max(start, m_txLineFreeNs);
    const bool split = fault.kind == FaultKind::SplitAnswers;
    qint64 due = start;
    for (qsizetype i = 0; i < answer.size(); ++i) {
        due = start + (i + 1) * byteTimeNs() + (split ? (i / kSplitPiece) * kSplitGapNs : 0);
        if (!m_pending.empty() && m_pending.back().dueNs == due)
            m_pending.back().bytes += answer.at(i);
        else
            m_pending.push_back({due, QByteArray(1, answer.at(i))});
    }
    m_txLineFreeNs = due;
}

void PtySign::releaseDue()
{
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray out;
    while (!m_pending.empty() && m_pending.front().dueNs <= now) {
        out += m_pending.front().bytes;
        m_pending.pop_front();
    }
    if (!out.isEmpty())
        writeOut(out);
    if (m_pending.empty()) {
        m_releaseTimer->stop();
        return;
    }
    // Rounded up: a byte must never reach the program before its line time has passed.
    const qint64 waitMs = (m_pending.front().dueNs - now + kNsPerMs - 1) / kNsPerMs;
    m_releaseTimer->start(int(waitMs));
}

void PtySign::writeOut(const QByteArray &bytes)
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
    // A full pty means nobody reads the line; a real line would lose these bytes as well.
    m_dropped += bytes.size() - done;
    if (done > 0)
        emit answerBytesSent(bytes.left(done));
}

}  // namespace zlx::sim
