#include "shell/chrome.h"

#include "ui/accessibility.h"
#include "ui/image_button.h"
#include "ui/widget_helpers.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <qdrawutil.h>

namespace {
constexpr int CaptionFontPx = 12;

// A panel that engraves its own lines: drawn rather than made of widgets,
// they are nothing a screen reader lists.
class EngravedPanel : public QFrame {
  public:
    using QFrame::QFrame;
    void addLine(const QRect& where) {
        lines_ << where;
        update(where);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        for (const QRect& line : lines_) {
            // As a sunken QFrame line of that size draws itself.
            const bool across = line.width() >= line.height();
            const QPoint from = across ? QPoint(line.left(), line.top() + line.height() / 2)
                                       : QPoint(line.left() + line.width() / 2, line.top());
            const QPoint to = across ? QPoint(line.left() + line.width(), from.y())
                                     : QPoint(from.x(), line.top() + line.height());
            qDrawShadeLine(&painter, from, to, palette(), true, 1, 0);
        }
    }

  private:
    QList<QRect> lines_;
};
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
    auto* frame = new EngravedPanel(parent);
    frame->setObjectName(name);
    frame->setGeometry(where);
    Widgets::fillBackground(frame, Widgets::FrameGrey);
    Widgets::setAccessibleRole(frame, QAccessible::Pane);
    return frame;
}

void addLine(QFrame* panel, const QRect& where) {
    static_cast<EngravedPanel*>(panel)->addLine(where);
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
