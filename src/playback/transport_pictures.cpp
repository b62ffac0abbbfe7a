#include "playback/transport_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

namespace TransportPictures {
namespace {

using Painting = std::function<void(QPainter&)>;

QPixmap paint(int width, int height, qreal ratio, const Painting& draw) {
    QPixmap picture(QSize(width, height) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return picture;
}

// A bevelled face: light upper-left and dark lower-right edges when raised,
// the other way round when sunken.
void drawFace(QPainter& p, bool sunken) {
    const QRectF face(0, 0, ButtonWidth, ButtonHeight);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, sunken ? QColor(150, 160, 180) : QColor(238, 241, 247));
    fill.setColorAt(1, sunken ? QColor(188, 196, 212) : QColor(196, 202, 214));
    p.fillRect(face, fill);
    const QColor light = sunken ? QColor(90, 96, 110) : Qt::white;
    const QColor dark = sunken ? Qt::white : QColor(90, 96, 110);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(light);
    p.drawLine(QPointF(0, 0), QPointF(ButtonWidth - 1, 0));
    p.drawLine(QPointF(0, 0), QPointF(0, ButtonHeight - 1));
    p.setPen(dark);
    p.drawLine(QPointF(0, ButtonHeight - 1), QPointF(ButtonWidth - 1, ButtonHeight - 1));
    p.drawLine(QPointF(ButtonWidth - 1, 0), QPointF(ButtonWidth - 1, ButtonHeight - 1));
    p.setRenderHint(QPainter::Antialiasing, true);
}

void triangleRight(QPainter& p, qreal left, qreal top, qreal width, qreal height) {
    p.drawPolygon(QPolygonF{{left, top}, {left + width, top + height / 2}, {left, top + height}});
}

void triangleLeft(QPainter& p, qreal left, qreal top, qreal width, qreal height) {
    p.drawPolygon(
        QPolygonF{{left + width, top}, {left, top + height / 2}, {left + width, top + height}});
}

void drawOpen(QPainter& p) {
    // A folder: tab, back and front.
    p.setBrush(QColor(214, 160, 30));
    p.drawRect(QRectF(3, 3, 4, 2));
    p.drawRect(QRectF(3, 4, 10, 6));
    p.setBrush(QColor(250, 204, 70));
    p.drawPolygon(QPolygonF{{4.5, 6}, {13.5, 6}, {12, 10}, {3, 10}});
}

void drawPlay(QPainter& p) {
    triangleRight(p, 5, 2.5, 7, 8);
}

void drawStop(QPainter& p) {
    p.drawRect(QRectF(4.5, 3, 7, 7));
}

void drawPause(QPainter& p) {
    p.drawRect(QRectF(4.5, 3, 2.5, 7));
    p.drawRect(QRectF(9, 3, 2.5, 7));
}

void drawNext(QPainter& p) {
    triangleRight(p, 3.5, 3, 4.5, 7);
    triangleRight(p, 7.5, 3, 4.5, 7);
    p.drawRect(QRectF(12, 3, 1.5, 7));
}

void drawPrevious(QPainter& p) {
    p.drawRect(QRectF(2.5, 3, 1.5, 7));
    triangleLeft(p, 4, 3, 4.5, 7);
    triangleLeft(p, 8, 3, 4.5, 7);
}

void drawGlyph(QPainter& p, int index) {
    using Glyph = void (*)(QPainter&);
    static const Glyph glyphs[] = {drawOpen, drawPlay, drawStop, drawPause, drawNext, drawPrevious};
    if (index < 0 || index >= static_cast<int>(std::size(glyphs)))
        return;
    glyphs[index](p);
}

} // namespace

QPixmap transportButton(int index, bool pressed, qreal devicePixelRatio) {
    return paint(ButtonWidth, ButtonHeight, devicePixelRatio, [&](QPainter& p) {
        drawFace(p, pressed);
        // Pressed: the glyph sinks one pixel and lights up.
        if (pressed)
            p.translate(1, 1);
        p.setPen(QPen(pressed ? QColor(20, 40, 110) : QColor(30, 34, 44), 0.6));
        p.setBrush(pressed ? QColor(40, 90, 220) : QColor(40, 46, 60));
        drawGlyph(p, index);
    });
}

QPixmap helpButton(qreal devicePixelRatio) {
    return paint(RoundButtonWidth, RoundButtonHeight, devicePixelRatio, [](QPainter& p) {
        const QRectF disc(1.5, 2, 17, 17);
        QRadialGradient fill(disc.center() - QPointF(3, 3), 12);
        fill.setColorAt(0, QColor(120, 170, 255));
        fill.setColorAt(1, QColor(20, 70, 180));
        p.setPen(QPen(QColor(15, 45, 120), 1));
        p.setBrush(fill);
        p.drawEllipse(disc);
        QFont font;
        font.setPixelSize(13);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(disc, Qt::AlignCenter, QStringLiteral("?"));
    });
}

QPixmap vcdButton(qreal devicePixelRatio) {
    return paint(RoundButtonWidth, RoundButtonHeight, devicePixelRatio, [](QPainter& p) {
        const QRectF disc(1, 1.5, 18, 18);
        const QPointF centre = disc.center();
        QConicalGradient sheen(centre, 30);
        sheen.setColorAt(0.00, QColor(225, 228, 235));
        sheen.setColorAt(0.15, QColor(170, 210, 255));
        sheen.setColorAt(0.30, QColor(240, 200, 250));
        sheen.setColorAt(0.50, QColor(200, 204, 214));
        sheen.setColorAt(0.65, QColor(255, 236, 170));
        sheen.setColorAt(0.80, QColor(180, 240, 210));
        sheen.setColorAt(1.00, QColor(225, 228, 235));
        p.setPen(QPen(QColor(90, 96, 110), 1));
        p.setBrush(sheen);
        p.drawEllipse(disc);
        // The clear hub and the spindle hole.
        p.setPen(QPen(QColor(130, 136, 150), 0.8));
        p.setBrush(QColor(235, 237, 242));
        p.drawEllipse(centre, 4, 4);
        p.setBrush(QColor(60, 64, 76));
        p.drawEllipse(centre, 1.5, 1.5);
    });
}

} // namespace TransportPictures
