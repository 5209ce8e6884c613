#include "Scenes.h"

#include "LedFont.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace art {

namespace {

const QColor kDarkBlue(0, 0, 64);
const QColor kAmber(255, 176, 0);
const QColor kRed(255, 40, 24);
const QColor kUnlit(34, 22, 30);

void darkBlueGround(QPainter &p, const QRect &area, QPointF glowCentre)
{
    p.fillRect(area, kDarkBlue);
    QRadialGradient glow(glowCentre, area.width() * 0.6);
    glow.setColorAt(0, QColor(20, 30, 120, 200));
    glow.setColorAt(1, QColor(0, 0, 64, 0));
    p.fillRect(area, glow);
}

// The sign's housing around a panel of LEDs, with its reflection on the ground.
void drawSignHousing(QPainter &p, const LedPanel &panel, qreal margin)
{
    const QRectF dots(panel.origin - QPointF(panel.pitch / 2, panel.pitch / 2),
                      QSizeF(panel.columns * panel.pitch, panel.rows * panel.pitch));
    const QRectF housing = dots.adjusted(-margin, -margin, margin, margin);
    QLinearGradient frame(housing.topLeft(), housing.bottomLeft());
    frame.setColorAt(0, QColor(120, 124, 140));
    frame.setColorAt(0.5, QColor(60, 62, 74));
    frame.setColorAt(1, QColor(30, 30, 40));
    p.setPen(QPen(QColor(10, 10, 20), 2));
    p.setBrush(frame);
    p.drawRoundedRect(housing, 8, 8);
    p.setBrush(QColor(8, 6, 10));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(dots.adjusted(-margin / 2, -margin / 2, margin / 2, margin / 2), 4, 4);

    // Mounting posts under the housing.
    p.setBrush(QColor(40, 42, 56));
    for (qreal x : {housing.left() + housing.width() * 0.2, housing.right() - housing.width() * 0.2})
        p.drawRect(QRectF(x - 4, housing.bottom(), 8, margin * 1.5));
}

int centredColumn(const LedPanel &panel, const QString &text)
{
    return (panel.columns - textColumns(text)) / 2;
}

}  // namespace

QImage picture1()
{
    QImage img(662, 413, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    darkBlueGround(p, img.rect(), QPointF(331, 220));

    // Faint rays fanning out behind the sign.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        QPainterPath ray;
        ray.moveTo(331, 210);
        ray.arcTo(QRectF(331 - 700, 210 - 700, 1400, 1400), i * 30.0, 9.0);
        ray.closeSubpath();
        p.setBrush(QColor(40, 60, 160, 28));
        p.drawPath(ray);
    }

    const LedPanel panel{QPointF(331 - 59 * 4.5, 150), 9, 60, 16};
    drawSignHousing(p, panel, 14);
    drawPanelGrid(p, panel, kUnlit);
    const QString top = QStringLiteral("ZANTOLUX");
    const QString bottom = QStringLiteral("MENSAJES");
    drawLedText(p, panel, centredColumn(panel, top), 0, top, kAmber);
    drawLedText(p, panel, centredColumn(panel, bottom), 9, bottom, kRed);
    // The running arrows at both ends of the lower line.
    drawLedText(p, panel, 0, 9, QStringLiteral("-"), kRed);
    drawLedText(p, panel, panel.columns - 5, 9, QStringLiteral("-"), kRed);
    return img;
}

QImage splash()
{
    QImage img(743, 430, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    darkBlueGround(p, img.rect(), QPointF(371, 140));

    // A thin amber frame inside the window's edge.
    p.setPen(QPen(kAmber.darker(160), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(6, 6, 731, 414));

    const LedPanel panel{QPointF(371 - 53 * 6, 48), 12, 54, 11};
    drawSignHousing(p, panel, 16);
    drawPanelGrid(p, panel, kUnlit);
    const QString name = QStringLiteral("ZANTOLUX");
    drawLedText(p, panel, centredColumn(panel, name), 2, name, kAmber);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(40);
    title.setWeight(QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(0, 0, 20));
    const QRect titleBox(0, 234, 743, 56);
    p.drawText(titleBox.translated(2, 2), Qt::AlignCenter, QStringLiteral("Letreros ZANTOLUX"));
    p.setPen(Qt::white);
    p.drawText(titleBox, Qt::AlignCenter, QStringLiteral("Letreros ZANTOLUX"));

    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(17);
    p.setFont(sub);
    p.setPen(QColor(180, 190, 230));
    p.drawText(QRect(0, 292, 743, 28), Qt::AlignCenter,
               QStringLiteral("Programación de letreros electrónicos"));

    QFont version(QStringLiteral("DejaVu Sans"));
    version.setPixelSize(22);
    version.setWeight(QFont::Bold);
    p.setFont(version);
    p.setPen(kAmber);
    p.drawText(QRect(0, 330, 743, 30), Qt::AlignCenter, QStringLiteral("v2.0"));

    // A strip of red LEDs along the foot, lit every third one.
    const LedPanel strip{QPointF(24, 396), 10, 70, 1};
    for (int x = 0; x < strip.columns; ++x)
        drawLed(p, strip.origin + QPointF(x * strip.pitch, 0), 6, x % 3 == 0 ? kRed : kUnlit,
                x % 3 == 0);
    return img;
}

}  // namespace art
