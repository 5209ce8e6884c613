#include "LedFont.h"

#include <QPainter>
#include <QRadialGradient>
#include <array>

namespace art {

namespace {

struct Glyph
{
    char c;
    std::array<const char *, kGlyphRows> rows;
};

// clang-format off
constexpr Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {':', {".....", "..#..", "..#..", ".....", "..#..", "..#..", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
};
// clang-format on

}  // namespace

bool glyphDot(QChar c, int column, int row)
{
    if (column < 0 || column >= kGlyphColumns || row < 0 || row >= kGlyphRows)
        return false;
    const char key = char(c.toUpper().toLatin1());
    for (const Glyph &g : kGlyphs) {
        if (g.c == key) {
            // cppcheck-suppress charLiteralWithCharPtrCompare ; rows[row] is a string, [column] a char
            return g.rows[size_t(row)][column] == '#';
        }
    }
    return false;
}

int textColumns(const QString &text)
{
    return text.isEmpty() ? 0 : int(text.size()) * (kGlyphColumns + 1) - 1;
}

void drawLed(QPainter &p, QPointF centre, qreal diameter, const QColor &colour, bool lit)
{
    const qreal r = diameter / 2;
    p.setPen(Qt::NoPen);
    if (!lit) {
        p.setBrush(colour);
        p.drawEllipse(centre, r, r);
        return;
    }
    // A soft halo first, then the bright die.
    QColor halo = colour;
    halo.setAlpha(70);
    QRadialGradient glow(centre, r * 1.9);
    glow.setColorAt(0, halo);
    glow.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
    p.setBrush(glow);
    p.drawEllipse(centre, r * 1.9, r * 1.9);

    QRadialGradient die(centre - QPointF(r * 0.3, r * 0.3), r);
    die.setColorAt(0, colour.lighter(170));
    die.setColorAt(0.55, colour);
    die.setColorAt(1, colour.darker(150));
    p.setBrush(die);
    p.drawEllipse(centre, r, r);
}

void drawPanelGrid(QPainter &p, const LedPanel &panel, const QColor &dark)
{
    for (int y = 0; y < panel.rows; ++y) {
        for (int x = 0; x < panel.columns; ++x)
            drawLed(p, panel.origin + QPointF(x * panel.pitch, y * panel.pitch),
                    panel.pitch * 0.62, dark, false);
    }
}

void drawLedText(QPainter &p, const LedPanel &panel, int column, int row, const QString &text,
                 const QColor &colour)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int left = column + int(i) * (kGlyphColumns + 1);
        for (int gy = 0; gy < kGlyphRows; ++gy) {
            for (int gx = 0; gx < kGlyphColumns; ++gx) {
                if (!glyphDot(text.at(i), gx, gy))
                    continue;
                const QPointF c = panel.origin
                    + QPointF((left + gx) * panel.pitch, (row + gy) * panel.pitch);
                drawLed(p, c, panel.pitch * 0.72, colour, true);
            }
        }
    }
}

}  // namespace art
