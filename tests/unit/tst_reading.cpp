// Programs coming back in: page images as a sign holds them, decoded; project files encoded and
// loaded, their line splitting and its cap, and what reading or saving refuses.
#include "SignBytes.h"
#include "TestFiles.h"
#include "project/ProjectFile.h"
#include "project/ProjectIo.h"
#include "protocol/PageDecoder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace zlx;
using namespace signbytes;

namespace {
const QByteArray kAbc = "1\x02" "2ABC";

struct EncodeCase { Pages pages; int pageCount; QByteArray file; };
}  // namespace

class tst_Reading : public QObject
{
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArrayList>("images");
        QTest::addColumn<Pages>("pages");
        auto row = [](const char *name, const QByteArrayList &images, const Pages &p) { QTest::newRow(name) << images << p; };
        const QByteArray t1 = title(1);
        row("empty image stops the pages", {t1 + hex("010202414243 00"), {}, title(3) + hex("010202414243 00")}, {{kAbc}});
        row("short image: page stays empty", {t1.left(13), title(2) + hex("010202414243 00")}, {{}, {kAbc}});
        const QByteArray kept = t1 + hex("010202414243 00");
        row("no closing 0", {kept + hex("02050358")}, {{kAbc}});
        row("short record", {kept + hex("0102 00 010202 00")}, {{kAbc}});
        row("effect 10", {kept + hex("0a0201 58 00")}, {{kAbc}});
        row("font 0", {kept + hex("010200 58 00")}, {{kAbc}});
        row("font 4", {kept + hex("010204 58 00 010202 00")}, {{kAbc}});
        QByteArray many = t1;
        Pages twenty(1);
        for (int i = 0; i < 21; ++i) {
            many += hex("010a02") + QByteArray::number(i) + hex("00");  // amount 10 is data here
            if (i < 20)
                twenty[0] << "1\n2" + QByteArray::number(i);
        }
        row("only 20 records", {many}, twenty);
    }

    void decode()
    {
        QFETCH(QByteArrayList, images);
        QFETCH(Pages, pages);
        MessageStore store;
        decodePageImages(images, 20, store);
        QCOMPARE(store, storeOf(pages));
    }

    void encode_data()
    {
        QTest::addColumn<EncodeCase>("c");
        QTest::newRow("worked example, 806 bytes") << EncodeCase{{{kAbc}}, 20, hex("310232414243 0d0a") + hex("0d0a").repeated(399)};
        QTest::newRow("emptied row keeps later rows") << EncodeCase{{{"1\x02" "1a", "", "1\x02" "1c"}, {}, {"2\x03" "1d"}}, 20,
            QByteArray("1\x02" "1a\r\n\r\n1\x02" "1c\r\n") + hex("0d0a").repeated(37) + "2\x03" "1d\r\n" + hex("0d0a").repeated(359)};
        const QByteArray anyByte("1\n2\0\xff\x1e\n", 7);  // any byte but CR: amount 10, 0, 255, 30
        QTest::newRow("40 pages, any byte") << EncodeCase{{{anyByte}}, 40, anyByte + "\r\n" + hex("0d0a").repeated(799)};
    }

    void encode()
    {
        QFETCH(EncodeCase, c);
        const MessageStore store = storeOf(c.pages);
        QCOMPARE(project::encode(store, c.pageCount), c.file);
        // Loading over another program replaces it where the file has lines, the rest stays.
        MessageStore opened = storeOf({{"9\x09" "9old", "9\x09" "9old"}});
        opened.setEntry(39, 19, "9");
        project::load(*project::decodeLines(c.file), opened);
        QCOMPARE(opened.entry(39, 19), c.pageCount == 20 ? "9" : "");
        opened.setEntry(39, 19, {});
        QCOMPARE(opened, store);
    }

    void decodeLines_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArrayList>("lines");  // {"refused"}: over the line cap
        const QByteArrayList refused{"refused"};
        QTest::newRow("empty file") << QByteArray() << QByteArrayList{};
        QTest::newRow("one empty line") << QByteArray("\r\n") << QByteArrayList{""};
        QTest::newRow("LF after CR LF") << QByteArray("a\r\n\nb\r\n") << QByteArrayList{"a", "\nb"};
        QTest::newRow("bytes 0 and 255") << hex("31003200ff0d0a") << QByteArrayList{hex("31003200ff")};
        const QByteArrayList x820(820, "x");
        QTest::newRow("820 lines") << QByteArray("x\r\n").repeated(820) << x820;
        QTest::newRow("820 lines, last without end") << QByteArray("x\r\n").repeated(819) + "x" << x820;
        QTest::newRow("821 lines") << QByteArray("x\r\n").repeated(821) << refused;
        QTest::newRow("821st line without end") << QByteArray("x\r\n").repeated(820) + "x" << refused;
    }

    void decodeLines()
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

    void readRefuses_data()
    {
        QTest::addColumn<QString>("path");  // "big:N": a file of N bytes
        QTest::addColumn<QString>("because");
        QTest::newRow("a device") << "/dev/zero" << "no es un archivo";
        QTest::newRow("64 MiB fits") << "big:67108864" << "";
        QTest::newRow("one byte more") << "big:67108865" << "demasiado grande";
        QTest::newRow("821 lines") << "lines:821" << "más de 820 líneas";
    }

    void readRefuses()
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

    // The folder takes no new file, the file in it may be written; root would ignore that, so the
    // saves run as "nobody", who gets at both as any other user.
    void save()
    {
        QTemporaryDir dir;
        const QString ro = dir.filePath("ro");
        const QString path = ro + "/p.zlx";
        QVERIFY(QDir(dir.path()).mkdir("ro"));
        QVERIFY(testfiles::write(path, "1\x02" "2old\r\n"));
        // seteuid keeps root's group: the group gets what others get.
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0666), 0);
        QCOMPARE(::chmod(QFile::encodeName(ro).constData(), 0511), 0);
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
        const bool asRoot = geteuid() == 0;
        if (asRoot)
            QCOMPARE(::seteuid(65534), 0);
        // A sign written by other software can hold a carriage return in a text.
        MessageStore store = storeOf({{"1\x02" "2fine", {}, {}, {}, {}, "1\x02" "2a\rb"}});
        const QString lineBreak = project::writeFile(path, store, 20);
        const QByteArrayList kept = project::readFile(path).lines;
        store.setEntry(0, 5, "1\x02" "2ab");
        const QStringList errors{project::writeFile(path, store, 20), project::writeFile(ro + "/new.zlx", store, 20)};
        if (asRoot)
            QCOMPARE(::seteuid(0), 0);
        ::chmod(QFile::encodeName(ro).constData(), 0700);
        QVERIFY2(lineBreak.contains("página 1, fila 6"), qPrintable(lineBreak));
        QCOMPARE(kept, QByteArrayList{"1\x02" "2old"});
        QCOMPARE(errors[0], QString());  // written in place
        QCOMPARE(project::readFile(path).lines.size(), 400);
        QCOMPARE(project::readFile(path).lines.value(5), QByteArray("1\x02" "2ab"));
        const QString denied = QString::fromLocal8Bit(strerror(EACCES));
        QVERIFY2(errors[1].contains(ro) && errors[1].contains(denied), qPrintable(errors[1]));
    }
};

QTEST_GUILESS_MAIN(tst_Reading)
#include "tst_reading.moc"
