#include "shell/chrome.h"

#include "ui/accessibility.h"
#include "ui/image_button.h"
#include "ui/widget_helpers.h"

#include <QFrame>
#include <QLabel>

namespace {
constexpr int CaptionFontPx = 12;
} // namespace

namespace Chrome {

QLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent,
                  const QRect& where) {
    QLabel* label = Widgets::makeLabel(name, caption, parent, where);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

QLabel* makeStripCaption(const QString& name, const QString& caption, QColor colour,
                         QWidget* parent, const QRect& where) {
    QLabel* label = makeLabel(name, caption, parent, where);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPixelSize(CaptionFontPx);
    font.setBold(true);
    label->setFont(font);
    Widgets::setTextColor(label, colour);
    return label;
}

QFrame* makePanel(const QString& name, QWidget* parent, const QRect& where) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setGeometry(where);
    Widgets::fillBackground(frame, Widgets::FrameGrey);
    Widgets::setAccessibleRole(frame, QAccessible::Pane);
    return frame;
}

void addLine(QWidget* parent, const QRect& where) {
    auto* line = new QFrame(parent);
    line->setGeometry(where);
    line->setFrameShape(where.width() >= where.height() ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    Widgets::setDecorative(line);
}

ImageButton* makeButton(const QString& name, int index, const QString& tooltip, QWidget* parent,
                        const QRect& where) {
    auto* button = new ImageButton(index < 0 ? name : name + u'_' + QString::number(index), parent);
    if (index >= 0)
        button->setProperty("Index", index);
    button->setToolTip(tooltip);
    button->setGeometry(where);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace Chrome
