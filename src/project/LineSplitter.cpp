#include "project/LineSplitter.h"

#include <algorithm>

namespace zlx::project {

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
}  // namespace

// The line grows by doubling in place (a huge one by remapping, not copying): so a line costs
// about its size, not twice over, whatever the pieces.
void LineSplitter::hold(QByteArrayView bytes)
{
    const qsizetype need = m_line.size() + bytes.size();
    if (need > m_line.capacity())
        m_line.reserve(std::max(need, 2 * m_line.capacity()));
    m_line.append(bytes);
}

bool LineSplitter::endLine(const LineSink &sink)
{
    // A CR LF pair ends a text line as a LF does; the CR is no part of the line.
    if (m_end == End::Lf && m_line.endsWith(kCr))
        m_line.chop(1);
    QByteArray line;
    line.swap(m_line);
    return sink(std::move(line));
}

bool LineSplitter::feed(QByteArrayView bytes, const LineSink &sink)
{
    const char separator = m_end == End::Cr ? kCr : kLf;
    qsizetype at = 0;
    if (m_afterCr && !bytes.isEmpty()) {
        m_afterCr = false;
        if (bytes.front() == kLf)
            at = 1;
    }
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf(separator, at);
        if (end < 0) {
            hold(bytes.sliced(at));
            break;
        }
        hold(bytes.sliced(at, end - at));
        at = end + 1;
        if (!endLine(sink))
            return false;
        if (m_end == End::Cr) {
            if (at == bytes.size())
                m_afterCr = true;
            else if (bytes.at(at) == kLf)
                ++at;
        }
    }
    return true;
}

bool LineSplitter::finish(const LineSink &sink)
{
    m_afterCr = false;
    return m_line.isEmpty() || endLine(sink);
}

}  // namespace zlx::project
