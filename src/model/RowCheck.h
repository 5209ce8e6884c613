#pragma once

#include <QString>
#include <QStringList>

namespace zlx {

// What the editor row holds, as typed.
struct RowInput
{
    QString effectText;
    int effectIndex = -1;  // selected list position, -1 when none
    QString amountText;
    QString fontText;
    QString text;

    bool operator==(const RowInput &) const = default;
};

enum class RowProblem { None, UnknownEffect, BadAmount, BadFont, BadText };

struct RowCheckResult
{
    RowProblem problem = RowProblem::None;
    int effectIndex = -1;  // the effect the row stands for (a typed effect name counts)
    int amount = 0;
};

// The nine effects, list positions 0..8.
const QStringList &effectNames();

// Whether a row with a non-empty effect can be stored faithfully.
RowCheckResult checkRow(const RowInput &row);

}  // namespace zlx
