#include "link/PortAddress.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>

#include <sys/stat.h>

namespace zlx {

namespace {

struct Scheme
{
    const char *prefix;
    PortAddress::Kind kind;
};
constexpr Scheme kSchemes[] = {{"tcp://", PortAddress::Kind::Tcp}, {"rfc2217://", PortAddress::Kind::Rfc2217}};

const Scheme *schemeOf(QStringView text)
{
    for (const Scheme &s : kSchemes) {
        if (text.startsWith(QLatin1String(s.prefix), Qt::CaseInsensitive))
            return &s;
    }
    return nullptr;
}

// Where the "HOST:PORT" after a scheme ends: past the port's digits.
qsizetype endOfHostPort(QStringView text, qsizetype from)
{
    qsizetype i = from;
    if (i < text.size() && text[i] == u'[') {
        const qsizetype close = text.indexOf(u']', i);
        i = close < 0 ? text.size() : close + 1;
    } else {
        while (i < text.size() && text[i] != u':')
            ++i;
    }
    if (i < text.size() && text[i] == u':')
        ++i;
    while (i < text.size() && text[i].isDigit())
        ++i;
    return i;
}

}  // namespace

QString PortAddress::toString() const
{
    if (kind == Kind::Device)
        return path;
    const QString h = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("%1%2:%3").arg(QLatin1String(kind == Kind::Tcp ? "tcp://" : "rfc2217://"), h).arg(port);
}

std::optional<PortAddress> PortAddress::parse(const QString &text, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<PortAddress> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const Scheme *scheme = schemeOf(text);
    if (!scheme) {
        if (text.isEmpty())
            return fail(QStringLiteral("no device given"));
        if (text.contains(QLatin1String("://")))
            return fail(QStringLiteral("\"%1\": only tcp:// and rfc2217:// are network ports").arg(text));
        return PortAddress{Kind::Device, text, {}, 0};
    }
    const QString rest = text.mid(qsizetype(qstrlen(scheme->prefix)));
    const qsizetype colon = rest.lastIndexOf(u':');
    QString host = colon < 0 ? rest : rest.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(u':') || host.contains(u'[') || host.contains(u']'))
        return fail(QStringLiteral("\"%1\": an IPv6 host goes in brackets").arg(text));
    bool ok = false;
    const uint port = colon < 0 ? 0 : rest.mid(colon + 1).toUInt(&ok);
    if (host.isEmpty() || host.contains(u'/') || !ok || port < 1 || port > 65535)
        return fail(QStringLiteral("\"%1\" is not HOST:PORT with a port 1 to 65535").arg(text));
    return PortAddress{scheme->kind, {}, host, quint16(port)};
}

QString PortAddress::absolute(const QString &text)
{
    if (text.isEmpty() || schemeOf(text) || text.contains(QLatin1String("://")))
        return text;
    return QFileInfo(text).absoluteFilePath();
}

QString PortAddress::identity(const QString &text)
{
    const std::optional<PortAddress> address = parse(text);
    if (!address)
        return text;
    if (address->isNetwork()) {
        QString host = address->host.toLower();
        if (host == u"localhost")
            host = QStringLiteral("127.0.0.1");
        QHostAddress ip(host);
        if (!ip.isNull()) {
            bool v4 = false;
            const quint32 mapped = ip.toIPv4Address(&v4);
            host = v4 ? QHostAddress(mapped).toString() : ip.toString();
        }
        return QStringLiteral("net:%1:%2").arg(host).arg(address->port);
    }
    struct stat st{};
    const QString path = absolute(address->path);
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return QStringLiteral("dev:%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
    return QStringLiteral("path:") + QDir::cleanPath(path);
}

QStringList splitPortList(const QString &value)
{
    QStringList entries;
    qsizetype i = 0;
    for (;;) {
        const QStringView rest = QStringView(value).mid(i);
        qsizetype end;
        if (const Scheme *scheme = schemeOf(rest))
            end = i + endOfHostPort(rest, qsizetype(qstrlen(scheme->prefix)));
        else
            end = i;
        // Whatever follows up to the next ':' stays in the entry, for parse() to judge.
        const qsizetype colon = value.indexOf(u':', end);
        const qsizetype stop = colon < 0 ? value.size() : colon;
        entries.append(value.mid(i, stop - i));
        if (colon < 0)
            return entries;
        i = colon + 1;
    }
}

}  // namespace zlx
