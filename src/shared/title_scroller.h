#pragma once

#include <QObject>
#include <QString>

// The song title `lblsongname` inside its strip `Picture1`: the text other
// parts set, and the marquee position the scroll timer moves. Positions
// and widths are twips, kept as floating point so a step of a third of a
// pixel adds up; the window places the label at the rounded pixel.
class TitleScroller : public QObject {
    Q_OBJECT
  public:
    static constexpr double StripWidth = 1860;
    static constexpr double StartLeft = 2000;
    static constexpr double Step = 5;

    using QObject::QObject;

    QString text() const { return text_; }
    // The label keeps its position when its text changes.
    void setText(const QString& text);

    double left() const { return left_; }
    double width() const { return width_; }
    // The window measures the text and reports the label's width here.
    void setWidth(double twips) { width_ = twips; }

    // One tick of `timscrollsongname`: 5 twips left; once the label has left
    // the strip completely it re-enters from the right edge.
    void tick();
    // How many ticks from now the label lands on another whole pixel.
    int ticksUntilPixelMoves() const;

  signals:
    void textChanged(const QString& text);

  private:
    QString text_;
    double left_ = StartLeft;
    double width_ = 0;
};
