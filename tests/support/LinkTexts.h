#pragma once

#include <QString>

// The link's messages as the operator reads them.
namespace linktexts {
inline QString done() { return QStringLiteral("Programacion finalizada correctamente"); }
inline QString readDone() { return QStringLiteral("Lectura finalizada correctamente"); }
inline QString noAnswer()
{
    return QStringLiteral("El letrero no responde, verifique las conexiones y vuelva a intentar");
}
}  // namespace linktexts
