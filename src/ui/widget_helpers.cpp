#include "ui/widget_helpers.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTextLayout>
#include <QWidget>
#include <cmath>

namespace Widgets {

void fillBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColor(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent, const QRect& where) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(where);
    return label;
}

QSize textSize(const QFont& font, const QString& text) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return {};
    }
    line.setLeadingIncluded(false);
    layout.endLayout();
    return {static_cast<int>(std::ceil(line.naturalTextWidth())),
            static_cast<int>(std::ceil(line.height()))};
}

void fitLabelTo(QLabel* label, const QString& widest) {
    // Smaller than this a Chinese character cannot be read.
    constexpr int SmallestPx = 8;
    QFont font = label->font();
    const int room = label->contentsRect().width();
    while (font.pixelSize() > SmallestPx && textSize(font, widest).width() > room)
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
    const int lineHeight = textSize(font, widest).height();
    if (label->height() < lineHeight)
        label->resize(label->width(), lineHeight);
}

void centerOnScreen(QWidget* window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

} // namespace Widgets
