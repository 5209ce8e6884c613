// Where the link finds a sign's line: port addresses and the port list, an address's identity
// (two names of one port), and the port map from COM numbers to devices.
#include "link/PortAddress.h"
#include "link/PortMap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zlx;

class TestLines : public QObject
{
    Q_OBJECT
private slots:
    void addresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed");  // toString() of what parse() gives, or "!" and the start of its error
        QTest::addColumn<QStringList>("listed");  // the text as a port list, where it matters
        const auto row = [](const char *text, const char *parsed, const QStringList &listed = {}) {
            QTest::newRow(*text ? text : "empty") << QString::fromUtf8(text) << QString::fromUtf8(parsed) << listed;
        };
        row("/dev/ttyUSB0", "/dev/ttyUSB0", {"/dev/ttyUSB0"});
        row("tcp://192.0.2.10:4001", "tcp://192.0.2.10:4001", {"tcp://192.0.2.10:4001"});
        row("RFC2217://sign.example:2217", "rfc2217://sign.example:2217");
        row("tcp://[::1]:4001", "tcp://[::1]:4001", {"tcp://[::1]:4001"});
        row("tcp://::1:4001", "!\"tcp://::1:4001\": an IPv6 host goes in brackets");
        row("tcp://[::1:4001", "!\"tcp://[::1:4001\": an IPv6 host goes in brackets");
        row("tcp://h", "!\"tcp://h\" is not HOST:PORT");
        row("tcp://h:0", "!\"tcp://h:0\" is not HOST:PORT");
        row("rfc2217://h:65536", "!\"rfc2217://h:65536\" is not");
        row("rfc2217://h:65535", "rfc2217://h:65535");
        row("tcp://:4001", "!\"tcp://:4001\" is not");
        row("tcp://h:1/x", "!\"tcp://h:1/x\" is not");
        row("udp://h:1", "!\"udp://h:1\": only tcp:// and rfc2217://");
        row("", "!no device given", {""});
        row("/dev/a:/dev/b", "/dev/a:/dev/b", {"/dev/a", "/dev/b"});
        row("tcp://h:1:/dev/x:rfc2217://[::1]:4001:tcp://k:2", "!", {"tcp://h:1", "/dev/x", "rfc2217://[::1]:4001", "tcp://k:2"});
        row("a::b", "a::b", {"a", "", "b"});  // an empty entry is kept
        row(":/dev/b", ":/dev/b", {"", "/dev/b"});
        row("tcp://h:1x:b", "!", {"tcp://h:1x", "b"});  // junk after a port stays with it
        row("ttyS0", "ttyS0", {"ttyS0"});  // a relative path is a device
    }
    void addresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        QFETCH(QStringList, listed);
        QString error;
        const std::optional<PortAddress> address = PortAddress::parse(text, &error);
        if (parsed.startsWith(u'!'))
            QVERIFY2(!address && error.startsWith(parsed.mid(1)), qPrintable(error));
        else
            QCOMPARE(address.value_or(PortAddress{}).toString(), parsed);
        if (!listed.isEmpty())
            QCOMPARE(splitPortList(text), listed);
    }

    void identity()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("dev"));
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(file, link));
        QCOMPARE(PortAddress::identity(link), PortAddress::identity(file));
        QVERIFY(PortAddress::identity(file) != PortAddress::identity(QStringLiteral("/dev/null")));
        QCOMPARE(PortAddress::identity(QStringLiteral("tcp://LocalHost:7")), QStringLiteral("net:127.0.0.1:7"));
        QCOMPARE(PortAddress::identity(QStringLiteral("rfc2217://[::ffff:127.0.0.1]:7")), QStringLiteral("net:127.0.0.1:7"));
        QCOMPARE(PortAddress::identity(QStringLiteral("tcp://[::1]:7")), QStringLiteral("net:::1:7"));
        QCOMPARE(PortAddress::identity(QStringLiteral("/nonexistent/../x")), QStringLiteral("path:/x"));
        QCOMPARE(PortMap::fromPaths({link, QStringLiteral("/dev/null"), file}).repeated(), file);
        QCOMPARE(PortMap::fromPaths({link, QStringLiteral("tcp://h:1"), QStringLiteral("tcp://h:2")}).repeated(), QString());
    }

    void portMap()
    {
        QStringList listed{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyS0")};
        int listings = 0;
        const PortMap map([&] {
            ++listings;
            return listed;
        });
        QCOMPARE(map.devicePaths(), (QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0"}));
        QCOMPARE(map.devicePath(3), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(map.devicePath(4), QString());
        QCOMPARE(map.devicePath(0), QString());
        // Listed afresh at COM1, the start of every scan pass: an adapter plugged in meanwhile counts.
        listed.append(QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(map.devicePath(2), QStringLiteral("/dev/ttyS1"));
        QCOMPARE(map.devicePath(1), QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(listings, 2);
        // Given paths: a relative one against the working folder, an empty one stays empty.
        const PortMap given = PortMap::fromPaths({"a/../b", "", "/dev/x"});
        QCOMPARE(given.devicePaths(), (QStringList{QDir::currentPath() + "/b", "", "/dev/x"}));
        QCOMPARE(given.devicePath(3), QStringLiteral("/dev/x"));
        QCOMPARE(given.devicePath(4), QString());
    }
};

QTEST_GUILESS_MAIN(TestLines)
#include "tst_lines.moc"
