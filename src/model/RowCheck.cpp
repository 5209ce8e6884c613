#include "model/RowCheck.h"

#include "model/MessageEntry.h"

#include <QStringList>

namespace zlx {

namespace {

// 13 is refused: a carriage return inside an entry would split its project-file line.
constexpr int kCarriageReturn = 13;

// Whatever a project file or a sign brings in must go back out byte for byte, so a text is
// refused only for what cannot be kept: a character without a single-byte code, a 0 (it would
// end the record on the sign), a carriage return (it would end the file line), and 30 or 31,
// which hold "Ñ" and "ñ" and so would come back as those letters.
bool textStorable(const QString &text)
{
    for (QChar ch : text) {
        const auto code = ch.unicode();
        if (code > 0xFF || code == 0 || code == kCarriageReturn || code == entry::kStoredEnye
            || code == entry::kStoredEnyeSmall)
            return false;
    }
    return true;
}

// A whole number written with decimal digits only (blanks around it allowed), or -1.
int wholeNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 3)
        return -1;
    int value = 0;
    for (QChar ch : t) {
        if (ch < u'0' || ch > u'9')
            return -1;
        value = value * 10 + (ch.unicode() - u'0');
    }
    return value;
}

}  // namespace

const QStringList &effectNames()
{
    static const QStringList names{
        QStringLiteral("Texto Fijo"), QStringLiteral("Parpadeo"), QStringLiteral("Caida"),
        QStringLiteral("Desplazamiento"), QStringLiteral("Abrirse"), QStringLiteral("Pintado"),
        QStringLiteral("Hora"), QStringLiteral("Color A"), QStringLiteral("Color B"),
    };
    return names;
}

RowCheckResult checkRow(const RowInput &row)
{
    RowCheckResult result;
    // The text on screen decides: a selection edited afterwards no longer counts, and a typed
    // effect name counts as that effect.
    const QStringList &names = effectNames();
    if (row.effectIndex >= 0 && row.effectIndex < names.size()
        && names.at(row.effectIndex) == row.effectText)
        result.effectIndex = row.effectIndex;
    else
        result.effectIndex = int(names.indexOf(row.effectText));
    if (result.effectIndex < 0) {
        result.problem = RowProblem::UnknownEffect;
        return result;
    }

    const int amount = wholeNumber(row.amountText);
    if (amount < 1 || amount > 255 || amount == kCarriageReturn) {
        result.problem = RowProblem::BadAmount;
        return result;
    }
    result.amount = amount;

    if (row.fontText != u"1" && row.fontText != u"2" && row.fontText != u"3") {
        result.problem = RowProblem::BadFont;
        return result;
    }
    if (!textStorable(row.text))
        result.problem = RowProblem::BadText;
    return result;
}

}  // namespace zlx
