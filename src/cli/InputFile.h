#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

namespace zlx::cli {

// The bytes of a file named on the command line, or of stdin ("-"), read in pieces so that
// memory stays bounded whatever comes: a pipe or a FIFO is as welcome as a file.
class InputFile
{
public:
    enum class Problem { None, Missing, NoPermission, IsDirectory, CannotOpen, CannotRead, TooBig, Interrupted };

    // interruptFd: becomes readable when the user asks to stop (Ctrl-C); -1 for none.
    InputFile(const QString &name, int interruptFd);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    Problem open();
    // Hands every piece to take, up to the end, a problem, or take returning false.
    // More than maxBytes in all is TooBig.
    Problem read(qint64 maxBytes, const std::function<bool(QByteArrayView piece)> &take);
    // The system's reason for CannotOpen and CannotRead.
    QString detail() const { return m_detail; }

private:
    Problem failed(Problem problem, int error);

    QString m_name;
    int m_interruptFd;
    int m_fd = -1;
    QString m_detail;
};

}  // namespace zlx::cli
