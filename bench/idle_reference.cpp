// What a marquee costs in a bare Qt program: a window of the main window's
// size whose 124 x 25 px black strip shows "Sonvela" in white, moved one
// pixel to the left every 45 ms (22 repaints a second), its text laid out
// once (QStaticText), as the player does. bench_video measures it beside
// the idle player.
#include <QApplication>
#include <QPainter>
#include <QStaticText>
#include <QTimer>
#include <QWidget>

namespace {

class Strip : public QWidget {
  public:
    explicit Strip(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        QFont small = font();
        small.setPixelSize(12);
        setFont(small);
        title_.setText(QStringLiteral("Sonvela"));
        title_.setTextFormat(Qt::PlainText);
        title_.prepare(QTransform(), font());
        textWidth_ = int(title_.size().width());
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            left_ = left_ <= -textWidth_ ? width() : left_ - 1;
            update();
        });
        timer_.start(45);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.setPen(Qt::white);
        painter.drawStaticText(left_, 3, title_);
    }

  private:
    QStaticText title_;
    QTimer timer_;
    int left_ = 133;
    int textWidth_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("idle_reference"));
    window.resize(286, 476);
    auto* strip = new Strip(&window);
    strip->setGeometry(22, 28, 124, 25);
    window.show();
    return app.exec();
}
