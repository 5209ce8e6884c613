// The texts of the program as a document: undo steps, the questions that guard unsaved work and
// pages that would not reach the sign, why a row cannot be stored, the editor's row marks.
#include "session/OperatorTexts.h"

#include <QFileInfo>

namespace zlx::texts {

namespace {

QString rowProblemWhy(RowProblem problem)
{
    switch (problem) {
    case RowProblem::None:
        break;
    case RowProblem::UnknownEffect:
        return QStringLiteral("el efecto debe ser uno de los de la lista.");
    case RowProblem::BadAmount:
        return QStringLiteral("la cantidad debe ser un número entero de 1 a 255 (distinto de 13).");
    case RowProblem::BadFont:
        return QStringLiteral("la fuente debe ser 1, 2 o 3.");
    case RowProblem::BadText:
        return QStringLiteral("el texto tiene un carácter que no se puede guardar "
                              "(un retorno de carro, un carácter de código 0, 30 o 31, "
                              "o una letra fuera del alfabeto latino).");
    }
    return {};
}

}  // namespace

QString rowProblem(int page, int row, RowProblem problem)
{
    if (problem == RowProblem::None)
        return {};
    return QStringLiteral("No se puede guardar la página %1, fila %2: %3").arg(page).arg(row).arg(rowProblemWhy(problem));
}

QString readOverRow(int page, int row, RowProblem problem)
{
    return QStringLiteral("Para leer el letrero hay que dejar la página %1, y su fila %2 no se puede "
                          "guardar: %3\n¿Leer de todos modos? Lo que no se ha guardado de esta página "
                          "se perderá.").arg(page).arg(row).arg(rowProblemWhy(problem));
}

QString stepPage(int page) { return QStringLiteral("Página %1").arg(page); }
QString stepNew() { return QStringLiteral("Nuevo"); }
QString stepRead() { return QStringLiteral("Lectura"); }

QString stepOpen(const QString &fileName)
{
    return QStringLiteral("Abrir %1").arg(QFileInfo(fileName).fileName());
}

QString newQuestion()
{
    return QStringLiteral("¿ Desea crear un nuevo proyecto ?\nLas modificaciones que no haya guardado se perderán");
}

QString closeQuestion() { return QStringLiteral("¿Guardar los cambios del programa antes de salir?"); }
QString openQuestion() { return QStringLiteral("¿Guardar los cambios del programa antes de abrir otro?"); }

QString pagesNotSent(const QList<int> &pages)
{
    QStringList numbers;
    for (int page : pages)
        numbers << QString::number(page + 1);
    return QStringLiteral("Las paginas %1 no llegaran al letrero. ¿Enviar de todos modos?")
        .arg(numbers.join(QStringLiteral(", ")));
}

QString leftOutNote(LeftOut why, int amount)
{
    switch (why) {
    case LeftOut::Cut:
    case LeftOut::CutWhole:
        return QStringLiteral("La página supera la memoria del letrero en %1 bytes: esta fila %2 al enviar.")
            .arg(amount)
            .arg(why == LeftOut::Cut ? QStringLiteral("se recortará") : QStringLiteral("se perderá"));
    case LeftOut::BehindEmptyRow:
        return QStringLiteral("Esta fila no se guardará ni se enviará: una fila anterior no tiene efecto.");
    case LeftOut::PageNotReached:
        return QStringLiteral("Esta página no llegará al letrero al enviar: una página anterior no "
                              "tiene mensaje en su primera fila.");
    case LeftOut::PastLastPage:
        return QStringLiteral("Esta página no llegará al letrero al enviar: el letrero tiene %1 páginas.")
            .arg(amount);
    }
    return {};
}

QString shortcutTip(const QString &caption, const QString &keys)
{
    return QStringLiteral("%1 (%2)").arg(caption, keys);
}

}  // namespace zlx::texts
