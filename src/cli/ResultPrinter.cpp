#include "cli/ResultPrinter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

namespace zlx::cli {

namespace {

QJsonArray toArray(const QList<int> &numbers)
{
    QJsonArray array;
    for (int n : numbers)
        array.append(n);
    return array;
}

QString joined(const QList<int> &numbers)
{
    QStringList parts;
    for (int n : numbers)
        parts.append(QString::number(n));
    return parts.join(u',');
}

}  // namespace

void ResultPrinter::print(const JobResult &result) const
{
    if (!result.message.isEmpty())
        error(QStringLiteral("%1: %2").arg(result.port.isEmpty() ? QStringLiteral("-") : result.port,
                                            result.message));
    out(m_json ? jsonLine(result) : textLine(result));
}

void ResultPrinter::error(const QString &message)
{
    QTextStream err(stderr);
    err.setEncoding(QStringConverter::Utf8);
    err << "zantolux-cli: " << message << Qt::endl;
}

void ResultPrinter::out(const QString &line)
{
    QTextStream stream(stdout);
    stream.setEncoding(QStringConverter::Utf8);
    stream << line << Qt::endl;
}

QString ResultPrinter::textLine(const JobResult &r) const
{
    const QString port = r.port.isEmpty() ? QStringLiteral("-") : r.port;
    if (r.kind == JobKind::Detect && r.result == ResultKind::Ok)
        return QStringLiteral("Z%1\t%2\t%3\t%1").arg(*r.model).arg(port, r.path);
    QString line = port + u'\t' + resultName(r.result);
    if (r.result == ResultKind::Ok && r.kind == JobKind::Send) {
        line += QStringLiteral("\tframes %1\t%2 s").arg(r.frames).arg(r.seconds, 0, 'f', 1);
        if (!r.cutPages.isEmpty())
            line += QStringLiteral("\tcut pages ") + joined(r.cutPages);
    }
    if (r.result == ResultKind::Differs)
        line += QStringLiteral("\tpages ") + joined(r.differingPages);
    return line;
}

QString ResultPrinter::jsonLine(const JobResult &r) const
{
    QJsonObject o;
    o.insert(QStringLiteral("port"), r.port.isEmpty() ? QJsonValue() : QJsonValue(r.port));
    o.insert(QStringLiteral("path"), r.path.isEmpty() ? QJsonValue() : QJsonValue(r.path));
    o.insert(QStringLiteral("model"), r.model ? QJsonValue(*r.model) : QJsonValue());
    o.insert(QStringLiteral("result"), resultName(r.result));
    switch (r.kind) {
    case JobKind::Send:
        o.insert(QStringLiteral("frames"), r.frames);
        o.insert(QStringLiteral("seconds"), r.seconds);
        o.insert(QStringLiteral("cut_pages"), toArray(r.cutPages));
        break;
    case JobKind::Verify:
        o.insert(QStringLiteral("differing_pages"), toArray(r.differingPages));
        break;
    case JobKind::Detect:
        o.insert(QStringLiteral("pages"), r.model ? QJsonValue(*r.model) : QJsonValue());
        break;
    case JobKind::Read:
        break;
    }
    if (!r.message.isEmpty())
        o.insert(QStringLiteral("error"), r.message);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

}  // namespace zlx::cli
