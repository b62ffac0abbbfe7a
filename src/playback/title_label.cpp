#include "playback/title_label.h"

#include "ui/accessibility.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>

TitleLabel::TitleLabel(QWidget* strip) : QWidget(strip) {
    setObjectName(QStringLiteral("lblsongname"));
    // It paints every pixel of itself: nothing under it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(strip->rect());
    Widgets::setAccessibleRole(this, QAccessible::StaticText);
}

void TitleLabel::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    // Screen readers read the title as the strip's name; a title of
    // millions of characters (a list file without line breaks) is cut.
    setAccessibleName(text_.left(SpokenLength));
    pieces_.clear();
    laidOut_.clear();
    const PieceWidth measure = pieceMeasure(text_.size());
    qreal x = 0;
    for (int start = 0; start < text_.size();) {
        int length = std::min<int>(PieceLength, text_.size() - start);
        // Never split a surrogate pair between two pieces.
        if (start + length < text_.size() && text_.at(start + length - 1).isHighSurrogate())
            ++length;
        pieces_.append({start, length, x});
        x += measure(QStringView(text_).mid(start, length));
        start += length;
    }
    width_ = int(std::ceil(x));
    update();
}

TitleLabel::PieceWidth TitleLabel::pieceMeasure(qsizetype textLength) const {
    const QFontMetricsF metrics(font());
    if (textLength <= ShapedLength)
        return [metrics](QStringView piece) { return metrics.horizontalAdvance(piece.toString()); };
    // Shaping millions of characters takes seconds; the sum of the
    // characters' own advances takes milliseconds and is as good a place for
    // each piece (only kerning across a piece's edge is lost).
    auto advances = std::make_shared<QHash<char16_t, qreal>>();
    return [metrics, advances](QStringView piece) {
        qreal width = 0;
        for (QChar c : piece) {
            auto known = advances->constFind(c.unicode());
            if (known == advances->cend())
                known = advances->insert(c.unicode(), metrics.horizontalAdvance(c));
            width += *known;
        }
        return width;
    };
}

void TitleLabel::setTextPosition(int left, int top) {
    if (left == left_ && top == top_)
        return;
    left_ = left;
    top_ = top;
    update();
}

void TitleLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    const qreal visibleFrom = event->rect().left() - left_;
    const qreal visibleTo = event->rect().right() + 1 - left_;
    // The first piece that may reach into view: the one before the first
    // starting at or after the visible part.
    auto piece = std::lower_bound(pieces_.cbegin(), pieces_.cend(), visibleFrom,
                                  [](const Piece& p, qreal x) { return p.x < x; });
    if (piece != pieces_.cbegin())
        --piece;
    // Only the pieces that scrolled out of view are laid out again later.
    if (laidOut_.size() > 64)
        laidOut_.clear();
    for (; piece != pieces_.cend() && piece->x < visibleTo; ++piece)
        painter.drawStaticText(QPointF(left_ + piece->x, top_), laidOutPiece(*piece));
}

const QStaticText& TitleLabel::laidOutPiece(const Piece& piece) {
    auto known = laidOut_.find(piece.start);
    if (known == laidOut_.end()) {
        QStaticText layout(QStringView(text_).mid(piece.start, piece.length).toString());
        layout.setTextFormat(Qt::PlainText);
        layout.prepare(QTransform(), font());
        known = laidOut_.insert(piece.start, layout);
    }
    return *known;
}
