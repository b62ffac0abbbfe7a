#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Tells whether anybody can see a widget: shown, and its window neither
// hidden nor minimised. Work that only changes what is seen (timers,
// decoding a picture) follows seenChanged and stops while nobody looks.
class SeenWatcher : public QObject {
    Q_OBJECT
  public:
    explicit SeenWatcher(QWidget* widget);

    bool isSeen() const { return seen_; }
    static bool isSeen(const QWidget* widget);

  signals:
    void seenChanged(bool seen);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Shown and hidden come in pairs while a widget changes window: decide
    // once the events have settled.
    void settleLater();
    void settle();
    void watchWindow();

    QPointer<QWidget> widget_;
    QPointer<QWidget> window_;
    bool seen_ = false;
    bool settling_ = false;
};
