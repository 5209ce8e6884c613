#include "link/SignModel.h"

namespace zlx {

QString SignModel::detectedTitle() const
{
    return QStringLiteral("Letreros Electronicos ZANTOLUX - Z%1   v2.0").arg(pageCount);
}

QString SignModel::resetTitle() const
{
    return QStringLiteral("Letreros Electronicos ZANTOLUX - Z%1    v2.0").arg(pageCount);
}

QString SignModel::panelText() const
{
    return QStringLiteral("Paginas soportadas: %1").arg(pageCount);
}

std::optional<SignModel> modelFromCode(int code)
{
    switch (code) {
    case 1:
        return SignModel{20, 4};
    case 2:
        return SignModel{40, 2};
    default:
        return std::nullopt;
    }
}

}  // namespace zlx
