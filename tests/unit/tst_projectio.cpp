// Project files on disk: what reading refuses before anything changes, and what saving refuses.
#include "project/ProjectIo.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zlx;

class TestProjectIo : public QObject
{
    Q_OBJECT
private slots:
    void readRefuses_data();
    void readRefuses();
    void saveRefusesALineBreakAndKeepsTheOldFile();
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

QTEST_GUILESS_MAIN(TestProjectIo)
#include "tst_projectio.moc"
