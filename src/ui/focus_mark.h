#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

// The keyboard focus made visible in a skinned window: a dotted frame in
// the skin's caption colour drawn round whichever control inside `window`
// has the focus. It lies over the window's children, takes no presses and
// never takes the focus itself.
class FocusMark : public QWidget {
    Q_OBJECT
  public:
    explicit FocusMark(QWidget* window, QColor colour);

    // The control the mark is round; null while it shows none.
    QWidget* target() const { return target_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void follow(QWidget* now);
    void place();

    QColor colour_;
    QPointer<QWidget> target_;
};
