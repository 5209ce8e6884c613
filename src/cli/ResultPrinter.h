#pragma once

#include "cli/JobResult.h"

#include <QByteArrayView>
#include <QString>

#include <unistd.h>

namespace zlx::cli {

// Writes one result line a sign, as text or as a JSON object, to stdout (or to another stream
// when stdout carries a file), and the reason of a failure to stderr. Remembers the first
// line it could not write, so that a full disk or a closed pipe is never taken for success.
class ResultPrinter
{
public:
    explicit ResultPrinter(bool json, int fd = STDOUT_FILENO) : m_json(json), m_fd(fd) {}

    void print(const JobResult &result);
    void printLine(const JobResult &result);  // the result line without the reason
    void line(QByteArrayView bytes);           // any line: the bytes and a line feed
    void bytes(QByteArrayView bytes);          // as they are

    bool failed() const { return !m_failure.isEmpty(); }
    QString failure() const { return m_failure; }  // the system's reason

    static void error(const QString &message);  // "zantolux-cli: message" on stderr
    static void note(const QString &line);      // a line on stderr as it is

private:
    QString textLine(const JobResult &result) const;
    QString jsonLine(const JobResult &result) const;

    bool m_json;
    int m_fd;
    QString m_failure;
};

}  // namespace zlx::cli
