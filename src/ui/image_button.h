#pragma once

#include <QLabel>
#include <QPixmap>

// A skinned button: a label showing a picture, reporting presses, releases
// and clicks the way the windows' handlers expect. A click is a release
// over the button after a press on it. The picture is swapped by the
// handlers (pressed and normal looks), never by the button itself.
class ImageButton : public QLabel {
    Q_OBJECT
  public:
    explicit ImageButton(const QString& name, QWidget* parent = nullptr);

    // Shows `picture` scaled to the button's size.
    void setLook(const QPixmap& picture);
    // A thin single-line outline, the hover highlight of some buttons.
    void setOutlined(bool outlined);
    bool isOutlined() const { return outlined_; }

  signals:
    // button: 1 left, 2 right, 4 middle.
    void pressed(int button);
    void released(int button);
    void clicked();
    void hovered();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    bool outlined_ = false;
};

// 1 left, 2 right, 4 middle, 0 for any other button.
int buttonCode(Qt::MouseButton button);
