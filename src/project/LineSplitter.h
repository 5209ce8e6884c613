#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

namespace zlx::project {

// Cuts bytes that arrive in pieces into lines, holding only the line under way. With End::Cr
// (project files) a CR, or CR LF, ends a line and a LF elsewhere is data; with End::Lf (text)
// a LF, or CR LF, ends a line and a CR elsewhere is data. The last line may have no end; a
// line end at the very end opens no empty line after it.
class LineSplitter
{
public:
    enum class End { Cr, Lf };
    // Takes one line; returns false to stop the splitting.
    using LineSink = std::function<bool(QByteArray &&line)>;

    explicit LineSplitter(End end) : m_end(end) {}

    // Hands every line the bytes complete to sink; false once sink has stopped.
    bool feed(QByteArrayView bytes, const LineSink &sink);
    // The input is over: hands the last line, if any.
    bool finish(const LineSink &sink);
    // Bytes of the line under way.
    qsizetype pending() const { return m_line.size(); }

private:
    void hold(QByteArrayView bytes);
    bool endLine(const LineSink &sink);

    End m_end;
    QByteArray m_line;
    bool m_afterCr = false;  // Cr: the last byte fed ended a line, so a LF now belongs to it
};

}  // namespace zlx::project
