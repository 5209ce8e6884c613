#include "editor/Fonts.h"

#include <QStringList>

namespace zlx::fonts {

namespace {
QFont sansSerif(qreal pointSize, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}
}  // namespace

QFont standard() { return sansSerif(8.25, false); }
QFont bold8() { return sansSerif(8.25, true); }
QFont bold12() { return sansSerif(12.0, true); }

}  // namespace zlx::fonts
