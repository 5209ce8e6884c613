#pragma once

#include <QString>
#include <QStringList>

namespace zlx {

// What choosing effect k (list position 0..8) does to its row.
struct EffectRule
{
    QString unitCaption;     // Text2: "N seg", "N veces" or "Velocidad"
    QStringList amounts;     // items of the amount box, in order
    QString defaultAmount;   // "4" for "Parpadeo", else "2"
    QString defaultFont;     // "2"
    QString sampleText;      // "12:30 pm  " for "Hora", else empty (text unchanged)
};

// The rule for list position k, or nullptr when k is not 0..8.
const EffectRule *effectRule(int k);

}  // namespace zlx
