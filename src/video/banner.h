#pragma once

#include <QString>
#include <functional>

// The video window's scrolling banner `Label1`: its text and left edge, in
// twips. Each tick moves it left; once it has left the window completely it
// re-enters at the window's right edge with the next text of its table.
class Banner {
  public:
    // Width of a text in twips, as the label would show it.
    using Measure = std::function<int(const QString&)>;

    static constexpr int StartLeft = 2910;
    static constexpr int Top = 315;
    static constexpr int Height = 180;
    static constexpr int Step = 50;
    static constexpr int LastStep = 3;

    static QString initialText();
    static QString supportAddress();
    // The text the banner takes when it wraps with `BannerStep` = step.
    static QString textForStep(int step);

    explicit Banner(Measure measure);

    QString text() const { return text_; }
    int left() const { return left_; }
    int width() const { return width_; }
    int BannerStep() const { return step_; }

    // One tick of `Timer1`; returns true when the banner wrapped (and so
    // changed its text and width).
    bool tick(int windowWidth);

  private:
    void setText(const QString& text);

    Measure measure_;
    QString text_;
    int left_ = StartLeft;
    int width_ = 0;
    int step_ = 0;
};
