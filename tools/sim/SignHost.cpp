#include "sim/SignHost.h"

#include "sim/MemoryFile.h"

#include <QFileInfo>

namespace zlx::sim {

SignHost::SignHost(Model model, QObject *parent)
    : QObject(parent),
      m_sign(model)
{
    connect(&m_pacer, &AnswerPacer::answerDue, this, &SignHost::sendDue);
}

bool SignHost::setMemoryFile(const QString &path)
{
    m_memoryFile = path;
    if (!QFileInfo::exists(path))
        return true;
    const auto image = loadMemoryFile(path, &m_error);
    return image && m_sign.setMemory(*image);
}

bool SignHost::saveMemory()
{
    if (m_memoryFile.isEmpty())
        return true;
    return saveMemoryFile(m_memoryFile, m_sign.memory(), &m_error);
}

// Bytes are fed one at a time so that each answer can be timed from the arrival of the last
// byte of its own frame.
void SignHost::takeByte(char byte, qint64 nowNs)
{
    const qint64 arrived = m_pacer.byteReceived(nowNs);
    const int framesBefore = m_sign.framesReceived();
    const int endsBefore = m_sign.endFramesSeen();
    const QByteArray answer = m_sign.feed(QByteArray(1, byte));
    if (m_sign.framesReceived() != framesBefore)
        emit frameHandled(m_sign.frameLog().constLast(), answer);
    m_pacer.schedule(answer, arrived, m_sign.fault());
    if (m_sign.endFramesSeen() != endsBefore) {
        if (!saveMemory())
            qWarning("zantolux-sim: cannot save the memory: %s", qPrintable(m_error));
        emit endFrameReceived();
    }
}

void SignHost::sendDue(const QByteArray &bytes)
{
    const qsizetype done = writeOut(bytes);
    // A line nobody reads loses these bytes, as a real one would.
    m_dropped += bytes.size() - done;
    if (done > 0)
        emit answerBytesSent(bytes.left(done));
}

}  // namespace zlx::sim
