// Project files: encoding, line splitting and its caps, and what reading or saving refuses.
#include "TestPrograms.h"
#include "project/ProjectFile.h"
#include "project/ProjectIo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace zlx;
using namespace zlx::test;

class tst_Project : public QObject
{
    Q_OBJECT
private slots:
    void encode_data();
    void encode();
    void decodeLines_data();
    void decodeLines();
    void readRefuses_data();
    void readRefuses();
    void saveRefusesALineBreakAndKeepsTheOldFile();
    void saveWhereNoTemporaryFileCanBeMade_data();
    void saveWhereNoTemporaryFileCanBeMade();
};

void tst_Project::encode_data()
{
    QTest::addColumn<Pages>("pages");
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("worked example, 806 bytes") << Pages{{"1\x02" "2ABC"}} << 20 << hex("310232414243 0d0a") + hex("0d0a").repeated(399);
    QTest::newRow("emptied row keeps later rows")
        << Pages{{"1\x02" "1a", "", "1\x02" "1c"}, {}, {"2\x03" "1d"}} << 20
        << QByteArray("1\x02" "1a\r\n\r\n1\x02" "1c\r\n") + hex("0d0a").repeated(37) + "2\x03" "1d\r\n" + hex("0d0a").repeated(359);
    const QByteArray anyByte("1\n2\0\xff\x1e\n", 7);  // any byte but CR: amount 10, 0, 255, 30
    QTest::newRow("40 pages, any byte") << Pages{{anyByte}} << 40 << anyByte + "\r\n" + hex("0d0a").repeated(799);
}

void tst_Project::encode()
{
    QFETCH(Pages, pages);
    QFETCH(int, pageCount);
    QFETCH(QByteArray, file);
    const MessageStore store = storeOf(pages);
    QCOMPARE(project::encode(store, pageCount), file);
    // Loading over another program replaces it where the file has lines, the rest stays.
    MessageStore opened = storeOf({{"9\x09" "9old", "9\x09" "9old"}});
    opened.setEntry(39, 19, "9");
    project::load(*project::decodeLines(file), opened);
    QCOMPARE(opened.entry(39, 19), pageCount == 20 ? "9" : "");
    opened.setEntry(39, 19, {});
    QCOMPARE(opened, store);
}

void tst_Project::decodeLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArrayList>("lines");  // {"refused"}: over the line cap
    const QByteArrayList refused{"refused"};
    QTest::newRow("empty file") << QByteArray() << QByteArrayList{};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QByteArrayList{""};
    QTest::newRow("trailing CR LF opens no line") << QByteArray("a\r\nb\r\n") << QByteArrayList{"a", "b"};
    QTest::newRow("last line without an end") << QByteArray("a\r\nb") << QByteArrayList{"a", "b"};
    QTest::newRow("CR alone") << QByteArray("a\rb\r\rc") << QByteArrayList{"a", "b", "", "c"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArrayList{"a", "", "b"};
    QTest::newRow("amount 10") << QByteArray("1\n2x\r\n4\n3") << QByteArrayList{"1\n2x", "4\n3"};
    QTest::newRow("LF after CR LF") << QByteArray("a\r\n\nb\r\n") << QByteArrayList{"a", "\nb"};
    QTest::newRow("bytes 0 and 255") << hex("31003200ff0d0a") << QByteArrayList{hex("31003200ff")};
    const QByteArrayList x820(820, "x");
    QTest::newRow("820 lines") << QByteArray("x\r\n").repeated(820) << x820;
    QTest::newRow("820 lines, last without end") << QByteArray("x\r\n").repeated(819) + "x" << x820;
    QTest::newRow("821 lines") << QByteArray("x\r\n").repeated(821) << refused;
    QTest::newRow("821st line without end") << QByteArray("x\r\n").repeated(820) + "x" << refused;
    QTest::newRow("821 CR-only lines") << QByteArray("\r").repeated(821) << refused;
}

void tst_Project::decodeLines()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArrayList, lines);
    const auto decoded = project::decodeLines(file);
    QCOMPARE(decoded.value_or(QByteArrayList{"refused"}), lines);
    if (lines.size() == 820) {
        MessageStore store;
        project::load(lines, store);
        QCOMPARE(store.entry(40, 19), "x");
    }
}

void tst_Project::readRefuses_data()
{
    QTest::addColumn<QString>("path");  // "big:N": a file of N bytes
    QTest::addColumn<QString>("because");
    QTest::newRow("a device") << "/dev/zero" << "no es un archivo";
    QTest::newRow("a folder") << "/tmp" << "no es un archivo";
    QTest::newRow("missing") << "/nonexistent/p.zlx" << "no es un archivo";
    QTest::newRow("64 MiB fits") << "big:67108864" << "";
    QTest::newRow("one byte more") << "big:67108865" << "demasiado grande";
    QTest::newRow("821 lines") << "lines:821" << "más de 820 líneas";
}

void tst_Project::readRefuses()
{
    QFETCH(QString, path);
    QFETCH(QString, because);
    QTemporaryDir dir;
    if (path.contains(u':')) {
        QFile file(dir.filePath("p.zlx"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const int n = path.section(u':', 1).toInt();
        QVERIFY(path.startsWith(u"big") ? file.resize(n) : file.write(QByteArray("\r\n").repeated(n)) == 2 * n);
        path = file.fileName();
    }
    const project::ReadResult result = project::readFile(path);
    QVERIFY2(because.isEmpty() ? result.error.isEmpty() : result.error.contains(because), qPrintable(result.error));
    QCOMPARE(result.lines.size(), because.isEmpty() ? 1 : 0);
}

void tst_Project::saveRefusesALineBreakAndKeepsTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.zlx");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("1\x02" "2old\r\n");
    old.close();
    // A sign written by other software can hold a carriage return in a text.
    MessageStore store = storeOf({{"1\x02" "2fine", {}, {}, {}, {}, "1\x02" "2a\rb"}});
    const QString error = project::writeFile(path, store, 20);
    QVERIFY2(error.contains("página 1, fila 6"), qPrintable(error));
    QCOMPARE(project::readFile(path).lines, QByteArrayList{"1\x02" "2old"});
    store.setEntry(0, 5, "1\x02" "2ab");
    QCOMPARE(project::writeFile(path, store, 20), QString());
    QCOMPARE(project::readFile(path).lines.size(), 400);
}

void tst_Project::saveWhereNoTemporaryFileCanBeMade_data()
{
    QTest::addColumn<QString>("where");  // under the temporary folder
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<int>("failure");  // errno of the expected failure, 0: saved
    // The folder takes no new file; root would ignore that, so those rows run as "nobody".
    QTest::newRow("writable file, read-only folder") << "ro/p.zlx" << true << 0;
    QTest::newRow("no file, read-only folder") << "ro/p.zlx" << false << EACCES;
    QTest::newRow("folder is a file") << "plain/p.zlx" << false << ENOTDIR;
}

void tst_Project::saveWhereNoTemporaryFileCanBeMade()
{
    QFETCH(QString, where);
    QFETCH(bool, fileThere);
    QFETCH(int, failure);
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ExeOther | QFile::ExeGroup));
    QVERIFY(QDir(dir.path()).mkdir("ro"));
    QFile plain(dir.filePath("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString path = dir.filePath(where);
    if (fileThere) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
    }
    const QByteArray ro = QFile::encodeName(dir.filePath("ro"));
    constexpr uid_t kNobody = 65534;
    const bool asRoot = geteuid() == 0;
    if (asRoot && (::chown(ro, kNobody, kNobody) != 0
                   || (fileThere && ::chown(QFile::encodeName(path), kNobody, kNobody) != 0)))
        QFAIL(strerror(errno));
    QVERIFY(QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner));
    if (asRoot)
        QCOMPARE(::seteuid(kNobody), 0);
    const QString error = project::writeFile(path, storeOf({{"1\x02" "2new"}}), 20);
    if (asRoot)
        QCOMPARE(::seteuid(0), 0);
    QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (failure == 0) {
        QCOMPARE(error, QString());
        QCOMPARE(project::readFile(path).lines.value(0), QByteArray("1\x02" "2new"));
    } else {
        QVERIFY2(error.contains(path) && error.contains(QString::fromLocal8Bit(strerror(failure))), qPrintable(error));
    }
}

QTEST_GUILESS_MAIN(tst_Project)
#include "tst_project.moc"
