#include "model/MessageEntry.h"

#include <QTest>

using namespace zlx;

class tst_MessageEntry : public QObject
{
    Q_OBJECT

private slots:
    void textoFijoExample();
    void enyeOnlyInText();
    void isEmpty_data();
    void isEmpty();
    void shortEntryFields();
};

void tst_MessageEntry::textoFijoExample()
{
    const QByteArray e = entry::make(1, 2, '2', "ABCD");
    QCOMPARE(e, QByteArray::fromHex("31023241424344"));
    QCOMPARE(entry::effectDigit(e), 1);
    QCOMPARE(entry::amount(e), 2);
    QCOMPARE(entry::fontDigit(e), 2);
    QCOMPARE(entry::storedText(e), "ABCD");
}

void tst_MessageEntry::enyeOnlyInText()
{
    const QString text = QString::fromUtf8("AÑOS año");
    const QByteArray stored = entry::textToStored(text);
    QCOMPARE(stored, QByteArray("A\x1eOS a\x1fo"));
    QCOMPARE(entry::storedToText(stored), text);

    // Amounts 209 and 241 are the codes of "Ñ" and "ñ"; they stay as they are.
    for (int amount : {209, 241}) {
        const QByteArray e = entry::make(2, amount, '1', stored);
        QCOMPARE(entry::amount(e), amount);
        QCOMPARE(entry::storedText(e), stored);
    }
    QVERIFY(!entry::isLatin1(QString::fromUtf8("€")));
    QVERIFY(entry::isLatin1(text));
}

void tst_MessageEntry::isEmpty_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("empty");

    QTest::newRow("empty string") << QByteArray() << true;
    QTest::newRow("effect 0") << QByteArray("0\x02" "2ABC") << true;
    QTest::newRow("effect 1") << QByteArray("1\x02" "2ABC") << false;
    QTest::newRow("amount '0' only") << QByteArray("10") << false;
}

void tst_MessageEntry::isEmpty()
{
    QFETCH(QByteArray, entry);
    QFETCH(bool, empty);
    QCOMPARE(entry::isEmpty(entry), empty);
}

void tst_MessageEntry::shortEntryFields()
{
    QCOMPARE(entry::effectDigit(""), -1);
    QCOMPARE(entry::effectDigit("A\x02" "2"), -1);
    QCOMPARE(entry::amount("1"), -1);
    QCOMPARE(entry::fontDigit("1\x02"), -1);
    QCOMPARE(entry::storedText("1\x02" "2"), QByteArray());
}

QTEST_APPLESS_MAIN(tst_MessageEntry)
#include "tst_messageentry.moc"
