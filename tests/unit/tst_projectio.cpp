// Project files on disk: what reading refuses before anything changes, and what saving refuses.
#include "project/ProjectIo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <unistd.h>

using namespace zlx;

class TestProjectIo : public QObject
{
    Q_OBJECT
private slots:
    void readRefuses_data();
    void readRefuses();
    void saveRefusesALineBreakAndKeepsTheOldFile();
    void saveWhereNoTemporaryFileCanBeMade_data();
    void saveWhereNoTemporaryFileCanBeMade();
};

void TestProjectIo::readRefuses_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("because");
    QTest::newRow("a device") << "/dev/zero" << "no es un archivo";
    QTest::newRow("a folder") << "/tmp" << "no es un archivo";
    QTest::newRow("missing") << "/nonexistent/p.zlx" << "no es un archivo";
}

void TestProjectIo::readRefuses()
{
    QFETCH(QString, path);
    QFETCH(QString, because);
    const project::ReadResult result = project::readFile(path);
    QVERIFY2(result.error.contains(because), qPrintable(result.error));
    QVERIFY(result.lines.isEmpty());
}

void TestProjectIo::saveRefusesALineBreakAndKeepsTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.zlx");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("1\x02" "2old\r\n");
    old.close();

    // A sign written by other software can hold a carriage return in a text.
    MessageStore store;
    store.setEntry(0, 0, "1\x02" "2fine");
    store.setEntry(2, 5, "1\x02" "2a\rb");
    const QString error = project::writeFile(path, store, 20);
    QVERIFY2(error.contains("página 3, fila 6"), qPrintable(error));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("1\x02" "2old\r\n"));
    old.close();

    store.setEntry(2, 5, "1\x02" "2ab");
    QCOMPARE(project::writeFile(path, store, 20), QString());
    QCOMPARE(project::readFile(path).lines.size(), 400);
}

void TestProjectIo::saveWhereNoTemporaryFileCanBeMade_data()
{
    QTest::addColumn<QString>("where");  // under the temporary folder
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<int>("failure");  // errno of the expected failure, 0: saved

    // The folder takes no new file; root would ignore that, so those rows run as "nobody".
    QTest::newRow("writable file, read-only folder") << "ro/p.zlx" << true << 0;
    QTest::newRow("no file, read-only folder") << "ro/p.zlx" << false << EACCES;
    QTest::newRow("folder is a file") << "plain/p.zlx" << false << ENOTDIR;
}

void TestProjectIo::saveWhereNoTemporaryFileCanBeMade()
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
        old.write("old\r\n");
    }
    const QByteArray ro = QFile::encodeName(dir.filePath("ro"));
    constexpr uid_t kNobody = 65534;
    const bool asRoot = geteuid() == 0;
    if (asRoot && (::chown(ro, kNobody, kNobody) != 0
                   || (fileThere && ::chown(QFile::encodeName(path), kNobody, kNobody) != 0)))
        QFAIL(strerror(errno));
    QVERIFY(QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner));

    MessageStore store;
    store.setEntry(0, 0, "1\x02" "2new");
    if (asRoot)
        QCOMPARE(::seteuid(kNobody), 0);
    const QString error = project::writeFile(path, store, 20);
    if (asRoot)
        QCOMPARE(::seteuid(0), 0);
    QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    if (failure == 0) {
        QCOMPARE(error, QString());
        QCOMPARE(project::readFile(path).lines.value(0), QByteArray("1\x02" "2new"));
    } else {
        QVERIFY2(error.contains(path) && error.contains(QString::fromLocal8Bit(strerror(failure))),
                 qPrintable(error));
    }
}

QTEST_GUILESS_MAIN(TestProjectIo)
#include "tst_projectio.moc"
