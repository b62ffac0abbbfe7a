#include "ui/skin.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace Skin {
namespace {

// Buttons are shrunk by their image controls (17 by 16 into 12 by 12), so
// they are drawn with four times the screen's density: the smooth scaling
// of the control then averages them down without jagged edges.
constexpr qreal ButtonOversampling = 4;
constexpr qreal StripOversampling = 2;
constexpr int StoreSize = 4;

qreal screenRatio() {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return std::max<qreal>(1.0, ratio);
}

// A transparent picture of the given logical size; painting on it uses
// logical coordinates.
QPixmap canvas(QSizeF logical, qreal oversampling) {
    const qreal ratio = screenRatio() * oversampling;
    QPixmap picture(std::ceil(logical.width() * ratio), std::ceil(logical.height() * ratio));
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    return picture;
}

QColor accent() {
    return QColor(128, 128, 255);
}

// A glossy round face: lit from the top left, darker and lit from below
// while pressed, so a press reads as pushing the button in.
void paintFace(QPainter& p, const QRectF& area, QColor base, bool pressed) {
    const QRectF ball = area.adjusted(1.5, 1.0, -1.5, -2.0);
    QRadialGradient light(ball.left() + ball.width() * 0.35,
                          ball.top() + ball.height() * (pressed ? 0.75 : 0.3), ball.width() * 0.75);
    const QColor face = pressed ? base.darker(125) : base;
    light.setColorAt(0.0, face.lighter(150));
    light.setColorAt(0.6, face);
    light.setColorAt(1.0, face.darker(140));
    p.setPen(QPen(face.darker(190), 0.8));
    p.setBrush(light);
    p.drawEllipse(ball);
    if (pressed)
        return;
    // Gloss on the upper half.
    QLinearGradient gloss(ball.topLeft(), QPointF(ball.left(), ball.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 150));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(
        ball.adjusted(ball.width() * 0.18, 0.6, -ball.width() * 0.18, -ball.height() * 0.45));
}

enum class Glyph { Cross, Bar, Chevron, None };

void paintGlyph(QPainter& p, QPointF centre, Glyph glyph) {
    QPen pen(Qt::white, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const qreal r = 2.6;
    switch (glyph) {
    case Glyph::Cross:
        p.drawLine(centre + QPointF(-r, -r), centre + QPointF(r, r));
        p.drawLine(centre + QPointF(-r, r), centre + QPointF(r, -r));
        break;
    case Glyph::Bar:
        p.drawLine(centre + QPointF(-r - 0.4, 1.2), centre + QPointF(r + 0.4, 1.2));
        break;
    case Glyph::Chevron:
        p.drawPolyline(QPolygonF{centre + QPointF(-r - 0.3, 1.4), centre + QPointF(0, -1.6),
                                 centre + QPointF(r + 0.3, 1.4)});
        break;
    case Glyph::None:
        break;
    }
}

struct ButtonStyle {
    QColor colour;
    Glyph glyph;
};

ButtonStyle styleOf(int index) {
    switch (index) {
    case 0:
        return {QColor(222, 78, 66), Glyph::Cross};
    case 1:
        return {QColor(92, 124, 226), Glyph::Bar};
    case 2:
        return {QColor(72, 170, 96), Glyph::Chevron};
    default:
        return {QColor(170, 174, 186), Glyph::None};
    }
}

QPixmap storeButton(int index, bool pressed) {
    if (index < 0 || index >= StoreSize)
        return {};
    QPixmap picture = canvas(QSizeF(17, 16), ButtonOversampling);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area(0, 0, 17, 16);
    const ButtonStyle style = styleOf(index);
    paintFace(p, area, style.colour, pressed);
    const QPointF shift = pressed ? QPointF(0.4, 0.6) : QPointF();
    paintGlyph(p, QRectF(area.adjusted(1.5, 1.0, -1.5, -2.0)).center() + shift, style.glyph);
    return picture;
}

// The program icon on a square of `size` logical pixels: a rounded tile in
// the accent colour with a disc and a play triangle.
void paintIcon(QPainter& p, qreal size) {
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(size * 0.04, size * 0.04, size * 0.92, size * 0.92);
    QLinearGradient body(tile.topLeft(), tile.bottomLeft());
    body.setColorAt(0, QColor(150, 150, 255));
    body.setColorAt(1, QColor(58, 58, 190));
    p.setPen(QPen(QColor(40, 40, 140), std::max<qreal>(1.0, size / 48)));
    p.setBrush(body);
    p.drawRoundedRect(tile, size * 0.22, size * 0.22);

    const QPointF centre = tile.center();
    const qreal disc = size * 0.33;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawEllipse(centre, disc, disc);

    const qreal t = size * 0.2;
    QPainterPath play;
    play.moveTo(centre + QPointF(-t * 0.62, -t));
    play.lineTo(centre + QPointF(t * 1.05, 0));
    play.lineTo(centre + QPointF(-t * 0.62, t));
    play.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(play);

    if (size < 24)
        return;
    QLinearGradient gloss(tile.topLeft(), QPointF(tile.left(), tile.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 90));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    const QRectF upper = tile.adjusted(size * 0.05, size * 0.03, -size * 0.05, -tile.height() / 2);
    p.drawRoundedRect(upper, size * 0.18, size * 0.18);
}

} // namespace

QPixmap StripPicture() {
    const QSizeF size(326, 17);
    QPixmap picture = canvas(size, StripOversampling);
    QPainter p(&picture);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0.0, QColor(252, 252, 255));
    shade.setColorAt(0.45, QColor(232, 235, 246));
    shade.setColorAt(0.5, QColor(220, 224, 240));
    shade.setColorAt(1.0, QColor(200, 206, 228));
    p.fillRect(QRectF(QPointF(), size), shade);
    p.setPen(QPen(QColor(255, 255, 255), 1));
    p.drawLine(QPointF(0, 0.5), QPointF(size.width(), 0.5));
    p.setPen(QPen(QColor(146, 152, 196), 1));
    p.drawLine(QPointF(0, size.height() - 0.5), QPointF(size.width(), size.height() - 0.5));
    return picture;
}

QPixmap b0(int index) {
    return storeButton(index, false);
}

QPixmap b1(int index) {
    return storeButton(index, true);
}

QPixmap AboutPicture() {
    QPixmap picture = canvas(QSizeF(12, 12), ButtonOversampling);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    paintFace(p, QRectF(-0.5, 0, 13, 13.5), accent(), false);
    QFont font(QStringLiteral("serif"));
    font.setPixelSize(9);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, -0.5, 12, 12), Qt::AlignCenter, QStringLiteral("i"));
    return picture;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap picture = canvas(QSizeF(size, size), 1);
        QPainter p(&picture);
        paintIcon(p, size);
        p.end();
        icon.addPixmap(picture);
    }
    return icon;
}

QImage ProgramIconImage(int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    paintIcon(p, pixels);
    return image;
}

QColor CaptionColor() {
    return accent();
}

} // namespace Skin
