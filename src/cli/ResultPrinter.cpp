#include "cli/ResultPrinter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cerrno>
#include <cstring>

namespace zlx::cli {

namespace {

QJsonArray toArray(const QList<int> &numbers)
{
    QJsonArray array;
    for (int n : numbers)
        array.append(n);
    return array;
}

QJsonArray toArray(const QList<RowRef> &rows)
{
    QJsonArray array;
    for (const RowRef &at : rows)
        array.append(QJsonArray{at.page, at.row});
    return array;
}

QString joined(const QList<int> &numbers)
{
    QStringList parts;
    for (int n : numbers)
        parts.append(QString::number(n));
    return parts.join(u',');
}

// Every byte, or the system's reason why not.
QString writeAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t n = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO));
        bytes = bytes.sliced(n);
    }
    return {};
}

}  // namespace

void ResultPrinter::print(const JobResult &result)
{
    if (!result.message.isEmpty())
        error(QStringLiteral("%1: %2").arg(result.port.isEmpty() ? QStringLiteral("-") : result.port,
                                            result.message));
    printLine(result);
}

void ResultPrinter::printLine(const JobResult &result)
{
    line((m_json ? jsonLine(result) : textLine(result)).toUtf8());
}

void ResultPrinter::line(QByteArrayView text)
{
    bytes(text);
    bytes("\n");
}

void ResultPrinter::bytes(QByteArrayView data)
{
    if (failed())
        return;
    m_failure = writeAll(m_fd, data);
}

void ResultPrinter::error(const QString &message)
{
    note(QStringLiteral("zantolux-cli: ") + message);
}

void ResultPrinter::note(const QString &line)
{
    writeAll(STDERR_FILENO, (line + u'\n').toUtf8());
}

QString ResultPrinter::textLine(const JobResult &r) const
{
    const QString port = r.port.isEmpty() ? QStringLiteral("-") : r.port;
    if (r.kind == JobKind::Detect && r.result == ResultKind::Ok)
        return QStringLiteral("Z%1\t%2\t%3\t%1").arg(*r.model).arg(port, r.path);
    QString line = port + u'\t' + resultName(r.result);
    const bool sent = r.kind == JobKind::Send && (r.result == ResultKind::Ok || r.result == ResultKind::Incomplete);
    if (sent)
        line += QStringLiteral("\tframes %1\t%2 s").arg(r.frames).arg(r.seconds, 0, 'f', 1);
    if (r.result == ResultKind::Differs)
        line += QStringLiteral("\tpages ") + joined(r.differingPages);
    if (sent || r.result == ResultKind::Differs) {
        if (!r.cutPages.isEmpty())
            line += QStringLiteral("\tcut pages ") + joined(r.cutPages);
        if (!r.leftOutPages.isEmpty())
            line += QStringLiteral("\tleft out pages ") + joined(r.leftOutPages);
    }
    return line;
}

QString ResultPrinter::jsonLine(const JobResult &r) const
{
    QJsonObject o;
    o.insert(QStringLiteral("port"), r.port.isEmpty() ? QJsonValue() : QJsonValue(r.port));
    o.insert(QStringLiteral("path"), r.path.isEmpty() ? QJsonValue() : QJsonValue(r.path));
    if (r.kind != JobKind::Show)
        o.insert(QStringLiteral("model"), r.model ? QJsonValue(*r.model) : QJsonValue());
    o.insert(QStringLiteral("result"), resultName(r.result));
    switch (r.kind) {
    case JobKind::Send:
        o.insert(QStringLiteral("frames"), r.frames);
        o.insert(QStringLiteral("seconds"), r.seconds);
        break;
    case JobKind::Verify:
        o.insert(QStringLiteral("differing_pages"), toArray(r.differingPages));
        break;
    case JobKind::Detect:
        o.insert(QStringLiteral("pages"), r.model ? QJsonValue(*r.model) : QJsonValue());
        break;
    case JobKind::Read:
    case JobKind::Show:
        break;
    }
    if (r.kind == JobKind::Send || r.kind == JobKind::Verify) {
        o.insert(QStringLiteral("cut_pages"), toArray(r.cutPages));
        o.insert(QStringLiteral("left_out_pages"), toArray(r.leftOutPages));
        o.insert(QStringLiteral("unreachable_rows"), toArray(r.unreachableRows));
    }
    if (!r.message.isEmpty())
        o.insert(QStringLiteral("error"), r.message);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

}  // namespace zlx::cli
