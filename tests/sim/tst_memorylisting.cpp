#include "sim/MemoryFile.h"
#include "sim/MemoryListing.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zlx::sim;

namespace {

constexpr int kMemorySize = 0x10000;

// A memory as the sign keeps it: model code at 0, 0xFF elsewhere, page images placed by hand
// from the layout, not by the program's encoder.
QByteArray memoryWith(int modelCode, const QList<std::pair<int, QByteArray>> &blocks)
{
    QByteArray memory(kMemorySize, char(0xFF));
    memory[0] = char(modelCode);
    for (const auto &[address, bytes] : blocks)
        memory.replace(address, bytes.size(), bytes);
    return memory;
}

QByteArray title(int page)
{
    return QByteArray("\x01\x02\x03", 3) + QByteArray::number(page).rightJustified(2, '0')
        + " PAGINA " + '\0';
}

QByteArray record(int effect, int amount, int font, const QByteArray &text)
{
    return char(effect) + QByteArray(1, char(amount)) + char(font) + text + '\0';
}

}  // namespace

class TestMemoryListing : public QObject
{
    Q_OBJECT
private slots:
    void listing_data();
    void listing();
    void memoryFile();
};

void TestMemoryListing::listing_data()
{
    QTest::addColumn<QByteArray>("memory");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty 20-page sign") << memoryWith(1, {}) << "Modelo: 20 paginas\nSin programa\n";

    QTest::newRow("worked example")
        << memoryWith(1, {{0x1800, QByteArray::fromHex("0102033031205041474 94E412000010202414243 0000")},
                          {0x1C00, QByteArray::fromHex("FF")}})
        << "Modelo: 20 paginas\nPagina 1\n  1: Texto Fijo  cantidad 2  fuente 2  \"ABC\"\n";

    // On the 40-page model page 2 starts 512 bytes after page 1.
    QTest::newRow("40-page, two pages, accented text")
        << memoryWith(2, {{0x1800, title(1) + record(7, 2, 1, "12:30 pm  ") + record(9, 5, 3, "A\x1eO \x1f") + '\0'},
                          {0x1A00, title(2) + record(4, 1, 2, "Hola") + '\0'},
                          {0x1C00, "\xff"}})
        << QString::fromUtf8("Modelo: 40 paginas\n"
                             "Pagina 1\n"
                             "  1: Hora  cantidad 2  fuente 1  \"12:30 pm  \"\n"
                             "  2: Color B  cantidad 5  fuente 3  \"AÑO ñ\"\n"
                             "Pagina 2\n"
                             "  1: Desplazamiento  cantidad 1  fuente 2  \"Hola\"\n");

    QTest::newRow("damaged title, unknown effect, page without closing 0")
        << memoryWith(1, {{0x1800, QByteArray("\x01\x02\x03" "07 PAGINA ", 13) + '\0' + record(12, 0x41, 1, "X\x07")},
                          {0x1800 + 20, '\x01' + QByteArray(1024 - 21, 'Z')}})
        << "Modelo: 20 paginas\nPagina 1\n  (fila de titulo no valida)\n"
           "  1: efecto 12  cantidad 65  fuente 1  \"X\\x07\"\n"
           "  2: Texto Fijo  cantidad 90  fuente 90  \"" + QString(1024 - 20 - 3, u'Z') + "\"\n"
           "  (pagina sin cierre)\n";

    QTest::newRow("unknown model") << memoryWith(3, {}) << "Codigo de modelo desconocido: 3\n";
}

void TestMemoryListing::listing()
{
    QFETCH(QByteArray, memory);
    QFETCH(QString, expected);

    QCOMPARE(listMemory(memory), expected);
}

void TestMemoryListing::memoryFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sign.mem"));
    const QByteArray memory = memoryWith(2, {{0x1800, "abc"}});

    QString error;
    QVERIFY(saveMemoryFile(path, memory, &error));
    QCOMPARE(loadMemoryFile(path).value_or(QByteArray()), memory);

    QVERIFY(!loadMemoryFile(dir.filePath(QStringLiteral("missing.mem")), &error));
    QVERIFY(!error.isEmpty());

    QFile longer(path);
    QVERIFY(longer.open(QIODevice::Append));
    longer.write("x");
    longer.close();
    QVERIFY(!loadMemoryFile(path, &error));
    QVERIFY(error.contains(QStringLiteral("65537")));
}

QTEST_APPLESS_MAIN(TestMemoryListing)
#include "tst_memorylisting.moc"
