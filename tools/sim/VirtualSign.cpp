#include "sim/VirtualSign.h"

#include <QString>

namespace zlx::sim {

namespace {

constexpr char kStart = char(0xA5);
constexpr char kMark = char(0xB5);
constexpr quint8 kRead = 1;
constexpr quint8 kWrite = 2;
constexpr quint8 kEnd = 0xB5;
constexpr int kMaxData = 64;
constexpr int kBlock = 64;  // the read-back's block size

quint8 at(const QByteArray &bytes, qsizetype i)
{
    return static_cast<quint8>(bytes.at(i));
}

int addressOf(const QByteArray &frame)
{
    return at(frame, 3) * 256 + at(frame, 4);
}

}  // namespace

VirtualSign::VirtualSign(Model model, Fault fault)
    : m_memory(kMemorySize, char(0xFF)), m_fault(fault)
{
    setModel(model);
}

void VirtualSign::setModel(Model model)
{
    m_memory[0] = static_cast<char>(model);
}

int VirtualSign::modelCode() const
{
    return at(m_memory, 0);
}

int VirtualSign::pageUnits() const
{
    switch (modelCode()) {
    case int(Model::Pages20): return 4;
    case int(Model::Pages40): return 2;
    default: return 0;
    }
}

bool VirtualSign::setMemory(const QByteArray &image)
{
    if (image.size() != kMemorySize)
        return false;
    m_memory = image;
    return true;
}

QByteArray VirtualSign::readMemory(int address, int length) const
{
    QByteArray out;
    out.reserve(length);
    for (int i = 0; i < length; ++i)
        out += m_memory.at((address + i) % kMemorySize);
    return out;
}

void VirtualSign::writeMemory(int address, const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        m_memory[(address + i) % kMemorySize] = bytes.at(i);
}

QByteArray VirtualSign::feed(const QByteArray &bytesFromProgram)
{
    m_rx += bytesFromProgram;
    QByteArray answers;
    for (;;) {
        // A serial line has no framing of its own: after line noise, a frame cut short or bytes
        // meant for another device, the only way back into step is to look for the next start
        // byte. Whatever precedes it cannot be a frame and is dropped.
        const qsizetype start = m_rx.indexOf(kStart);
        if (start < 0) {
            m_bytesSkipped += m_rx.size();
            m_rx.clear();
            break;
        }
        m_bytesSkipped += start;
        m_rx.remove(0, start);

        const Check check = checkFrame(m_rx);
        if (check == Check::Incomplete)
            break;
        if (check == Check::Bad) {
            // Drop only the false start: a real frame may begin inside the bytes after it.
            ++m_bytesSkipped;
            m_rx.remove(0, 1);
            continue;
        }
        const qsizetype length = at(m_rx, 1) + 2;
        answers += handle(m_rx.left(length));
        m_rx.remove(0, length);
    }
    return answers;
}

// Judges a frame from its header as early as possible, so that a damaged frame is dropped at
// once instead of swallowing the next frame while waiting for bytes that never come.
VirtualSign::Check VirtualSign::checkFrame(const QByteArray &bytes)
{
    if (bytes.size() < 3)
        return Check::Incomplete;
    const int count = at(bytes, 1);
    switch (at(bytes, 2)) {
    case kRead:
        if (count != 5)
            return Check::Bad;
        break;
    case kWrite:
        if (count < 6 || count > kMaxData + 5)
            return Check::Bad;
        if (bytes.size() >= 6 && at(bytes, 5) + 5 != count)
            return Check::Bad;
        break;
    case kEnd:
        if (count != 2)
            return Check::Bad;
        break;
    default:
        return Check::Bad;
    }
    if (bytes.size() < count + 2)
        return Check::Incomplete;
    return bytes.at(count + 1) == 0 ? Check::Complete : Check::Bad;
}

void VirtualSign::setFault(Fault fault)
{
    m_fault = fault;
    m_faultFrom = {m_answered, m_framesWritten, m_blockReads};
}

bool VirtualSign::silent() const
{
    return m_fault.kind == FaultKind::Silent
        || (m_fault.kind == FaultKind::SilentAfter && m_answered - m_faultFrom.answered >= m_fault.value);
}

QByteArray VirtualSign::handle(const QByteArray &frame)
{
    ++m_framesReceived;
    m_log.append(frame);
    if (m_log.size() > kLogLimit)
        m_log.removeFirst();

    // A silent sign behaves as one that is cut off: the frame is seen here but not carried out.
    if (silent())
        return {};

    QByteArray answer;
    switch (at(frame, 2)) {
    case kRead: answer = readAnswer(frame); break;
    case kWrite: answer = writeAnswer(frame); break;
    default:
        // The program closes the port right after the end frame and never reads an answer.
        ++m_endFrames;
        return {};
    }
    ++m_answered;
    if (m_fault.kind == FaultKind::GarbageBefore)
        answer.prepend(QByteArray::fromHex("00ff13"));
    return answer;
}

QByteArray VirtualSign::readAnswer(const QByteArray &frame)
{
    const int length = at(frame, 5);
    ++m_readsServed;
    // The mark, the bytes asked for, and one byte more that the program does not examine: 4 bytes
    // for the detection probe, 66 for a block of the read-back.
    QByteArray answer = kMark + readMemory(addressOf(frame), length) + '\0';
    if (length == kBlock) {
        ++m_blockReads;
        if (m_fault.kind == FaultKind::BadReadMarkAt && m_blockReads - m_faultFrom.blockReads == m_fault.value)
            answer[0] = 0;
    }
    return answer;
}

QByteArray VirtualSign::writeAnswer(const QByteArray &frame)
{
    const int length = at(frame, 5);
    writeMemory(addressOf(frame), frame.mid(6, length));
    ++m_framesWritten;
    const int written = m_framesWritten - m_faultFrom.framesWritten;
    if (m_fault.kind == FaultKind::WrongAckAt && written == m_fault.value)
        return QByteArray(1, '\0');
    if (m_fault.kind == FaultKind::DoubleAckAt && written == m_fault.value)
        return QByteArray(2, kMark);
    return QByteArray(1, kMark);
}

QString VirtualSign::describeFrame(const QByteArray &frame)
{
    if (frame.size() < 3)
        return QStringLiteral("?");
    switch (at(frame, 2)) {
    case kRead:
        return QStringLiteral("read  0x%1 %2")
            .arg(addressOf(frame), 4, 16, QLatin1Char('0'))
            .arg(at(frame, 5));
    case kWrite:
        return QStringLiteral("write 0x%1 %2")
            .arg(addressOf(frame), 4, 16, QLatin1Char('0'))
            .arg(at(frame, 5));
    case kEnd: return QStringLiteral("end");
    default: return QStringLiteral("?");
    }
}

}  // namespace zlx::sim
