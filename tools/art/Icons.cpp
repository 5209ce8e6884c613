#include "Icons.h"

#include "LedFont.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace art {

namespace {

const QColor kDarkBlue(0, 0, 64);
const QColor kAmber(255, 176, 0);

QImage transparent(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void softShadow(QPainter &p, const QPainterPath &shape, QPointF offset)
{
    for (int i = 3; i >= 1; --i) {
        p.setPen(QPen(QColor(0, 0, 0, 18), i * 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0, 0, 0, 25));
        p.drawPath(shape.translated(offset));
    }
}

// An arrow along the x axis from 0 to length, pointing to +x, centred on y = 0.
QPainterPath arrowShape(qreal length, qreal shaft, qreal head, qreal headLength)
{
    QPainterPath path;
    path.moveTo(0, -shaft / 2);
    path.lineTo(length - headLength, -shaft / 2);
    path.lineTo(length - headLength, -head / 2);
    path.lineTo(length, 0);
    path.lineTo(length - headLength, head / 2);
    path.lineTo(length - headLength, shaft / 2);
    path.lineTo(0, shaft / 2);
    path.closeSubpath();
    return path;
}

}  // namespace

QImage applicationIcon(int size)
{
    QImage img = transparent(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32-unit grid: every size is the same drawing.
    p.scale(size / 32.0, size / 32.0);
    QLinearGradient ground(0, 0, 0, 32);
    ground.setColorAt(0, QColor(10, 10, 96));
    ground.setColorAt(1, kDarkBlue);
    p.setPen(QPen(kAmber.darker(130), 1.5));
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    // The letter Z of the sign's alphabet, one LED per dot.
    const LedPanel panel{QPointF(8, 4.5), 4, 5, 7};
    drawPanelGrid(p, panel, QColor(40, 30, 60));
    drawLedText(p, panel, 0, 0, QStringLiteral("Z"), kAmber);
    return img;
}

QImage blankDocument()
{
    QImage img = transparent(90, 90);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal l = 20, t = 8, r = 70, b = 82, fold = 16;
    QPainterPath page;
    page.moveTo(l, t);
    page.lineTo(r - fold, t);
    page.lineTo(r, t + fold);
    page.lineTo(r, b);
    page.lineTo(l, b);
    page.closeSubpath();
    softShadow(p, page, QPointF(3, 3));
    QLinearGradient paper(l, t, r, b);
    paper.setColorAt(0, Qt::white);
    paper.setColorAt(1, QColor(218, 224, 236));
    p.setPen(QPen(QColor(70, 80, 110), 2, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(paper);
    p.drawPath(page);

    QPainterPath corner;
    corner.moveTo(r - fold, t);
    corner.lineTo(r - fold, t + fold);
    corner.lineTo(r, t + fold);
    corner.closeSubpath();
    p.setBrush(QColor(190, 198, 216));
    p.drawPath(corner);
    return img;
}

QImage folder()
{
    QImage img = transparent(90, 90);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor edge(120, 80, 0);

    QPainterPath back;
    back.moveTo(8, 22);
    back.lineTo(32, 22);
    back.lineTo(38, 28);
    back.lineTo(78, 28);
    back.lineTo(78, 76);
    back.lineTo(8, 76);
    back.closeSubpath();
    softShadow(p, back, QPointF(3, 3));
    p.setPen(QPen(edge, 2, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(QColor(214, 150, 20));
    p.drawPath(back);

    // A sheet sticking out of the folder.
    p.setBrush(QColor(245, 245, 250));
    p.setPen(QPen(QColor(120, 120, 140), 1.5));
    p.drawRect(QRectF(18, 24, 50, 30));

    QPainterPath front;
    front.moveTo(8, 76);
    front.lineTo(18, 40);
    front.lineTo(86, 40);
    front.lineTo(78, 76);
    front.closeSubpath();
    QLinearGradient face(0, 40, 0, 76);
    face.setColorAt(0, QColor(255, 214, 90));
    face.setColorAt(1, QColor(236, 168, 30));
    p.setPen(QPen(edge, 2, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(face);
    p.drawPath(front);
    return img;
}

QImage disc()
{
    QImage img = transparent(90, 91);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(12, 10, 66, 70);
    QPainterPath shape;
    shape.moveTo(body.left() + 4, body.top());
    shape.lineTo(body.right() - 10, body.top());
    shape.lineTo(body.right(), body.top() + 10);
    shape.lineTo(body.right(), body.bottom() - 4);
    shape.quadTo(body.right(), body.bottom(), body.right() - 4, body.bottom());
    shape.lineTo(body.left() + 4, body.bottom());
    shape.quadTo(body.left(), body.bottom(), body.left(), body.bottom() - 4);
    shape.lineTo(body.left(), body.top() + 4);
    shape.quadTo(body.left(), body.top(), body.left() + 4, body.top());
    softShadow(p, shape, QPointF(3, 3));
    QLinearGradient plastic(body.topLeft(), body.bottomRight());
    plastic.setColorAt(0, QColor(40, 60, 150));
    plastic.setColorAt(1, QColor(10, 20, 80));
    p.setPen(QPen(QColor(5, 10, 40), 2));
    p.setBrush(plastic);
    p.drawPath(shape);

    // Metal shutter with its window.
    QLinearGradient metal(0, 10, 0, 36);
    metal.setColorAt(0, QColor(230, 232, 238));
    metal.setColorAt(1, QColor(150, 155, 168));
    p.setPen(QPen(QColor(80, 85, 100), 1.5));
    p.setBrush(metal);
    p.drawRect(QRectF(26, 10, 36, 26));
    p.setBrush(QColor(40, 45, 60));
    p.drawRect(QRectF(48, 14, 8, 18));

    // Label with ruled lines.
    p.setBrush(QColor(250, 250, 245));
    p.setPen(QPen(QColor(160, 160, 170), 1));
    p.drawRoundedRect(QRectF(20, 46, 50, 30), 2, 2);
    p.setPen(QPen(kAmber, 2));
    p.drawLine(QPointF(24, 53), QPointF(66, 53));
    p.setPen(QPen(QColor(170, 180, 200), 1));
    for (int y = 60; y <= 72; y += 6)
        p.drawLine(QPointF(24, y), QPointF(66, y));
    return img;
}

QImage bigArrow(int width, int height, bool pointsRight, const QColor &colour)
{
    QImage img = transparent(width, height);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal length = width - 20;
    QPainterPath arrow = arrowShape(length, height * 0.30, height * 0.66, length * 0.42);
    QTransform place;
    if (pointsRight)
        place.translate(10, height / 2.0);
    else
        place.translate(width - 10, height / 2.0).scale(-1, 1);
    arrow = place.map(arrow);
    softShadow(p, arrow, QPointF(3, 3));
    QLinearGradient fill(0, height * 0.2, 0, height * 0.8);
    fill.setColorAt(0, colour.lighter(150));
    fill.setColorAt(0.5, colour);
    fill.setColorAt(1, colour.darker(160));
    p.setPen(QPen(colour.darker(250), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPath(arrow);

    // A trail of LEDs behind the arrow, as a message running on the sign.
    for (int i = 0; i < 3; ++i) {
        const qreal x = pointsRight ? 10 + i * 10.0 : width - 10 - i * 10.0;
        p.setPen(Qt::NoPen);
        drawLed(p, QPointF(x + (pointsRight ? 4 : -4), height / 2.0), 6, colour.lighter(140), true);
    }
    return img;
}

QImage smallArrow(bool pointsRight)
{
    QImage img = transparent(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow = arrowShape(24, 8, 20, 12);
    QTransform place;
    if (pointsRight)
        place.translate(4, 16);
    else
        place.translate(28, 16).scale(-1, 1);
    arrow = place.map(arrow);
    QLinearGradient fill(0, 6, 0, 26);
    fill.setColorAt(0, kAmber.lighter(140));
    fill.setColorAt(1, kAmber.darker(140));
    p.setPen(QPen(QColor(110, 60, 0), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPath(arrow);
    return img;
}

}  // namespace art
