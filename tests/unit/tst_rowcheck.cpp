#include "model/RowCheck.h"

#include <QTest>

using zlx::RowProblem;

class tst_RowCheck : public QObject
{
    Q_OBJECT
private slots:
    void effectNames();
    void check_data();
    void check();
    void message();
};

void tst_RowCheck::effectNames()
{
    QCOMPARE(zlx::effectNames(),
             QStringList({"Texto Fijo", "Parpadeo", "Caida", "Desplazamiento", "Abrirse",
                          "Pintado", "Hora", "Color A", "Color B"}));
}

void tst_RowCheck::check_data()
{
    QTest::addColumn<QString>("effect");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("text");
    QTest::addColumn<RowProblem>("problem");
    QTest::addColumn<int>("effectIndex");
    QTest::addColumn<int>("value");

    QTest::newRow("selected") << "Parpadeo" << 1 << "4" << "2" << "HOLA" << RowProblem::None << 1 << 4;
    QTest::newRow("typed name counts") << "Hora" << -1 << "2" << "1" << "" << RowProblem::None << 6 << 2;
    QTest::newRow("selection edited") << "Horas" << 6 << "2" << "1" << "" << RowProblem::UnknownEffect << -1 << 0;
    QTest::newRow("case matters") << "hora" << -1 << "2" << "1" << "" << RowProblem::UnknownEffect << -1 << 0;
    QTest::newRow("amount 1") << "Caida" << 2 << "1" << "3" << "" << RowProblem::None << 2 << 1;
    QTest::newRow("amount 255") << "Caida" << 2 << "255" << "3" << "" << RowProblem::None << 2 << 255;
    QTest::newRow("amount 209") << "Caida" << 2 << "209" << "3" << "" << RowProblem::None << 2 << 209;
    QTest::newRow("amount blanks") << "Caida" << 2 << " 60 " << "3" << "" << RowProblem::None << 2 << 60;
    QTest::newRow("amount 0") << "Caida" << 2 << "0" << "3" << "" << RowProblem::BadAmount << 2 << 0;
    QTest::newRow("amount 13") << "Caida" << 2 << "13" << "3" << "" << RowProblem::BadAmount << 2 << 0;
    QTest::newRow("amount 256") << "Caida" << 2 << "256" << "3" << "" << RowProblem::BadAmount << 2 << 0;
    QTest::newRow("amount empty") << "Caida" << 2 << "" << "3" << "" << RowProblem::BadAmount << 2 << 0;
    QTest::newRow("amount sign") << "Caida" << 2 << "+5" << "3" << "" << RowProblem::BadAmount << 2 << 0;
    QTest::newRow("amount fraction") << "Caida" << 2 << "2.5" << "3" << "" << RowProblem::BadAmount << 2 << 0;
    QTest::newRow("font 4") << "Caida" << 2 << "2" << "4" << "" << RowProblem::BadFont << 2 << 2;
    QTest::newRow("font empty") << "Caida" << 2 << "2" << "" << "" << RowProblem::BadFont << 2 << 2;
    QTest::newRow("font 12") << "Caida" << 2 << "2" << "12" << "" << RowProblem::BadFont << 2 << 2;
    QTest::newRow("text enye") << "Caida" << 2 << "2" << "1" << QStringLiteral("AÑOñé") << RowProblem::None << 2 << 2;
    // Controls a file or a sign may bring in go back out unchanged.
    QTest::newRow("text LF, DEL, C1") << "Caida" << 2 << "2" << "1" << QStringLiteral("A\nB\x01\x7F\u0085\u009F")
                                      << RowProblem::None << 2 << 2;
    QTest::newRow("text carriage return") << "Caida" << 2 << "2" << "1" << "A\rB" << RowProblem::BadText << 2 << 2;
    QTest::newRow("text 0") << "Caida" << 2 << "2" << "1" << QString(QChar(0)) << RowProblem::BadText << 2 << 2;
    QTest::newRow("text byte 30") << "Caida" << 2 << "2" << "1" << QString(QChar(30)) << RowProblem::BadText << 2 << 2;
    QTest::newRow("text byte 31") << "Caida" << 2 << "2" << "1" << QString(QChar(31)) << RowProblem::BadText << 2 << 2;
    QTest::newRow("text euro") << "Caida" << 2 << "2" << "1" << QStringLiteral("5 €") << RowProblem::BadText << 2 << 2;
}

void tst_RowCheck::check()
{
    QFETCH(QString, effect);
    QFETCH(int, index);
    QFETCH(QString, amount);
    QFETCH(QString, font);
    QFETCH(QString, text);
    QFETCH(RowProblem, problem);
    QFETCH(int, effectIndex);
    QFETCH(int, value);

    const zlx::RowCheckResult result = zlx::checkRow({effect, index, amount, font, text});
    QCOMPARE(result.problem, problem);
    QCOMPARE(result.effectIndex, effectIndex);
    if (problem == RowProblem::None || problem == RowProblem::BadFont || problem == RowProblem::BadText)
        QCOMPARE(result.amount, value);
}

void tst_RowCheck::message()
{
    QCOMPARE(zlx::rowProblemMessage(3, 2, RowProblem::BadAmount),
             QStringLiteral("No se puede guardar la página 3, fila 2: la cantidad debe ser un número entero de 1 a 255 (distinto de 13)."));
    for (RowProblem p : {RowProblem::UnknownEffect, RowProblem::BadFont, RowProblem::BadText})
        QVERIFY(zlx::rowProblemMessage(7, 12, p).startsWith(QStringLiteral("No se puede guardar la página 7, fila 12: ")));
    QVERIFY(zlx::rowProblemMessage(1, 1, RowProblem::None).isEmpty());
}

QTEST_APPLESS_MAIN(tst_RowCheck)
#include "tst_rowcheck.moc"
