#include "session/OperatorTexts.h"

#include "link/DeviceAccess.h"

namespace zlx::texts {

namespace {

QString sendFailure(Outcome outcome, bool busy = false)
{
    switch (outcome) {
    case Outcome::Timeout:
        return QStringLiteral("Envio fallido: sin respuesta");
    case Outcome::WrongAnswer:
        return QStringLiteral("Envio fallido: mala respuesta");
    case Outcome::PortLost:
        return QStringLiteral("Envio fallido: puerto caido");
    case Outcome::CannotOpen:
        return busy ? QStringLiteral("Envio fallido: puerto en uso") : QStringLiteral("Envio fallido: sin puerto");
    default:
        return QStringLiteral("Envio interrumpido");
    }
}

QString readFailure(Outcome outcome, int page, bool busy)
{
    switch (outcome) {
    case Outcome::Timeout:
        return QStringLiteral("Lectura fallida: sin respuesta");
    case Outcome::WrongAnswer:
        return QStringLiteral("Lectura fallida: mal dato");
    case Outcome::PortLost:
        return QStringLiteral("Lectura fallida: puerto caido");
    case Outcome::CannotOpen:
        return busy ? QStringLiteral("Lectura fallida: puerto en uso") : QStringLiteral("Lectura fallida: sin puerto");
    case Outcome::ForeignPage:
        // page: how many pages were read before the unreadable one
        return page > 0 ? QStringLiteral("Lectura hasta la pagina %1").arg(page)
                        : QStringLiteral("Lectura fallida: otro formato");
    default:
        return QStringLiteral("Lectura interrumpida");
    }
}

QString noAnswer()
{
    return QStringLiteral("El letrero no responde, verifique las conexiones y vuelva a intentar");
}

QString portLost(int port)
{
    return QStringLiteral("Se perdió la conexión con el letrero (COM%1). El programa del editor "
                          "sigue intacto; el letrero se buscará de nuevo.").arg(port);
}

// The port's COM name and why it would not open.
QString cannotOpen(const ExchangeReport &r)
{
    return QStringLiteral("No se puede abrir el puerto COM%1. ").arg(r.port)
           + portNote(r.address, r.portStatus, r.portDetail, accessGroup(r.address));
}

QString unreadableFrom(int page)
{
    return QStringLiteral("La memoria del letrero no se pudo leer desde la página %1.").arg(page);
}

Ending sendEnding(const ExchangeReport &r)
{
    switch (r.outcome) {
    case Outcome::Completed:
        return {QStringLiteral("Transmision Completa"), QStringLiteral("Programacion finalizada correctamente"), false};
    case Outcome::Timeout:
        return {sendFailure(r.outcome), noAnswer()};
    case Outcome::PortLost:
        return {sendFailure(r.outcome), portLost(r.port)};
    case Outcome::CannotOpen:
        return {sendFailure(r.outcome, r.portStatus == PortStatus::Busy),
                cannotOpen(r) + QStringLiteral("\nEl programa no fue enviado.")};
    case Outcome::Superseded:
        return {};  // the read-back that ended it speaks for itself
    default:
        return {sendFailure(r.outcome), {}};  // a wrong answer ends the Send without a box
    }
}

Ending readEnding(const ExchangeReport &r)
{
    if (r.outcome == Outcome::Completed)
        return {QStringLiteral("Lectura Completa"), QStringLiteral("Lectura finalizada correctamente"), false};
    if (r.outcome == Outcome::Superseded)
        return {};  // the Send that ended it speaks for itself
    if (r.outcome == Outcome::Cancelled)
        return {readFailure(r.outcome, r.page, false), {}};  // the operator ended it
    QString cause;
    switch (r.outcome) {
    case Outcome::Timeout:
        cause = noAnswer();
        break;
    case Outcome::PortLost:
        cause = portLost(r.port);
        break;
    case Outcome::CannotOpen:
        cause = cannotOpen(r);
        break;
    case Outcome::ForeignPage:
        cause = unreadableFrom(r.page + 1);
        break;
    default:
        cause = QStringLiteral("El letrero dio una respuesta incorrecta.");
        break;
    }
    const QString panel = readFailure(r.outcome, r.page, r.portStatus == PortStatus::Busy);
    if (r.outcome == Outcome::ForeignPage && r.page > 0)
        return {panel, cause + QStringLiteral("\nSe muestran las páginas anteriores.")};
    return {panel, cause + QStringLiteral("\nNo se leyó el programa del letrero: el programa anterior "
                                          "ha vuelto al editor.")};
}

}  // namespace

QString detectedTitle(const SignModel &model)
{
    return QStringLiteral("Letreros Electronicos ZANTOLUX - %1   v2.0").arg(model.name());
}

QString resetTitle(const SignModel &model)
{
    return QStringLiteral("Letreros Electronicos ZANTOLUX - %1    v2.0").arg(model.name());
}

QString modelPanel(const SignModel &model)
{
    return QStringLiteral("Paginas soportadas: %1").arg(model.pageCount);
}

QString portPanel(int port)
{
    return QStringLiteral("COM%1:2400bps,8,N,1").arg(port);
}

QString searching() { return QStringLiteral("Buscando dispositivo..."); }
QString maker() { return QStringLiteral("ZANTOLUX"); }
QString detected() { return QStringLiteral("Letrero detectado"); }
QString sending() { return QStringLiteral("Enviando ..."); }
QString reading() { return QStringLiteral("Lectura..."); }

QString sendProgress(int acknowledged)
{
    return QStringLiteral("Enviando: %1 tramas").arg(acknowledged);
}

QString readProgress(int page, int block)
{
    return QStringLiteral("Lectura: %1:%2 paginas").arg(page).arg(block);
}

QString cutMessage()
{
    return QStringLiteral("Se ha recortado parte del mensaje por ser muy largo");
}

Ending ending(const ExchangeReport &report)
{
    return report.exchange == Exchange::Send ? sendEnding(report) : readEnding(report);
}

QString refusal(Refusal refusal)
{
    if (refusal == Refusal::UnknownModel)
        return QStringLiteral("No se reconoce el modelo del letrero: no se puede enviar ni leer el programa.");
    return {};
}

QString unsendableEntry(int page, int row, EntryProblem problem)
{
    QString why;
    switch (problem) {
    case EntryProblem::Incomplete: why = QStringLiteral("la fila está incompleta"); break;
    case EntryProblem::BadEffect: why = QStringLiteral("el efecto no es válido"); break;
    case EntryProblem::BadFont: why = QStringLiteral("la fuente no es 1, 2 ni 3"); break;
    case EntryProblem::ZeroAmount: why = QStringLiteral("la cantidad es 0"); break;
    case EntryProblem::ZeroInText: why = QStringLiteral("el texto contiene un carácter de código 0"); break;
    }
    return QStringLiteral("No se puede enviar el programa: página %1, fila %2: %3.")
        .arg(page + 1).arg(row + 1).arg(why);
}

QString portNote(const QString &address, PortStatus status, const QString &detail, const QString &group)
{
    switch (status) {
    case PortStatus::NoPermission:
        return QStringLiteral("Sin permiso para abrir %1: el usuario debe pertenecer al grupo «%2» "
                              "(y volver a iniciar la sesión).").arg(address, group);
    case PortStatus::Busy:
        return QStringLiteral("Puerto en uso: otro programa tiene abierto %1.").arg(address);
    case PortStatus::NoDevice:
        return QStringLiteral("No existe el dispositivo %1.").arg(address);
    case PortStatus::NotSerial:
        return QStringLiteral("%1 no es un puerto serie.").arg(address);
    case PortStatus::Refused:
        return QStringLiteral("%1 rechazó la conexión.").arg(address);
    case PortStatus::Unreachable:
        return QStringLiteral("No se puede conectar con %1.").arg(address);
    case PortStatus::Dropped:
        return QStringLiteral("Se cortó la conexión con %1.").arg(address);
    case PortStatus::Opened:
    case PortStatus::Pending:
    case PortStatus::Failed:
        break;
    }
    return detail.isEmpty() ? QStringLiteral("No se puede abrir %1.").arg(address)
                            : QStringLiteral("No se puede abrir %1 (%2).").arg(address, detail);
}

}  // namespace zlx::texts
