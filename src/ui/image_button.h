#pragma once

#include <QLabel>
#include <QPixmap>

// A skinned button: a label showing a picture, reporting presses, releases
// and clicks the way the windows' handlers expect. A click is a release
// over the button after a press on it. The picture is swapped by the
// handlers (pressed and normal looks), never by the button itself.
// The keyboard reaches it with Tab only (a mouse press does not take the
// focus); Space or Enter then presses it, and so does a screen reader's
// press action (see ui/accessibility.h).
class ImageButton : public QLabel {
    Q_OBJECT
  public:
    explicit ImageButton(const QString& name, QWidget* parent = nullptr);

    // Shows `picture` scaled to the button's size.
    void setLook(const QPixmap& picture);
    // A thin single-line outline, the hover highlight of some buttons.
    void setOutlined(bool outlined);
    bool isOutlined() const { return outlined_; }

  public slots:
    // A whole left click at once: pressed, released, clicked.
    void press();

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
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool outlined_ = false;
};
