#pragma once

#include "cli/JobResult.h"

#include <QString>

namespace zlx::cli {

// Writes one result line a sign to stdout, as text or as a JSON object, and the reason of a
// failure to stderr.
class ResultPrinter
{
public:
    explicit ResultPrinter(bool json) : m_json(json) {}

    void print(const JobResult &result) const;

    static void error(const QString &message);  // "zantolux-cli: message" on stderr
    static void out(const QString &line);        // a line on stdout, UTF-8

private:
    QString textLine(const JobResult &result) const;
    QString jsonLine(const JobResult &result) const;

    bool m_json;
};

}  // namespace zlx::cli
