#include "editor/EffectRules.h"

#include <array>

namespace zlx {

namespace {

const QStringList &longList()
{
    static const QStringList items{
        QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
        QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8"),
        QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("60"), QStringLiteral("200"),
    };
    return items;
}

const QStringList &shortList()
{
    static const QStringList items{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    return items;
}

EffectRule rule(const char *caption, const QStringList &amounts, const char *amount,
                const char *sample = "")
{
    return EffectRule{QString::fromLatin1(caption), amounts, QString::fromLatin1(amount),
                      QStringLiteral("2"), QString::fromLatin1(sample)};
}

}  // namespace

const EffectRule *effectRule(int k)
{
    static const std::array<EffectRule, 9> rules{
        rule("N seg", longList(), "2"),           // Texto Fijo
        rule("N veces", longList(), "4"),         // Parpadeo
        rule("N seg", longList(), "2"),           // Caida
        rule("Velocidad", shortList(), "2"),      // Desplazamiento
        rule("N seg", longList(), "2"),           // Abrirse
        rule("N seg", longList(), "2"),           // Pintado
        rule("N seg", longList(), "2", "12:30 pm  "),  // Hora
        rule("Velocidad", shortList(), "2"),      // Color A
        rule("Velocidad", shortList(), "2"),      // Color B
    };
    if (k < 0 || k >= int(rules.size()))
        return nullptr;
    return &rules[size_t(k)];
}

}  // namespace zlx
