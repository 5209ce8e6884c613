#pragma once

#include <QColor>
#include <QPointF>
#include <QString>

class QPainter;

namespace art {

// A 5 x 7 dot-matrix alphabet, as the sign draws its letters.
constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;

// Whether dot (column, row) of character c is lit; unknown characters are blank.
bool glyphDot(QChar c, int column, int row);

// Number of dot columns text takes: 5 per character and 1 between characters.
int textColumns(const QString &text);

// One LED of the given diameter, lit with a glow or dark.
void drawLed(QPainter &p, QPointF centre, qreal diameter, const QColor &colour, bool lit);

// A panel of columns x rows LEDs with the pitch given; text is drawn lit from (column, row).
struct LedPanel
{
    QPointF origin;  // centre of dot (0, 0)
    qreal pitch = 8;
    int columns = 0;
    int rows = 0;
};
void drawPanelGrid(QPainter &p, const LedPanel &panel, const QColor &dark);
void drawLedText(QPainter &p, const LedPanel &panel, int column, int row, const QString &text,
                 const QColor &colour);

}  // namespace art
