#pragma once

#include <QPointer>
#include <QWidget>

class MpvEngine;
class MpvSurface;
class SeenWatcher;

// The clip's size scaled down, its aspect kept, until the picture and the
// `frame` a window puts round it fit into `available` (a screen's free
// area). A clip that fits keeps its own size.
QSize FitPictureInto(QSize clip, QSize frame, QSize available);

// The picture area `player`: a widget that holds mpv's native surface and
// takes the clip's own size at display size 0. It can leave its parent to
// cover the whole screen. Presses on the picture become the engine's
// MouseDown. While the area cannot be seen the engine decodes no picture.
class MpvView : public QWidget {
    Q_OBJECT
  public:
    explicit MpvView(MpvEngine* engine, QWidget* parent = nullptr);
    ~MpvView() override;

    // On: out of the parent into a frameless top-level window over the whole
    // screen. Off: back into the parent it had, at the clip's size. The move
    // itself happens once the current event has been handled.
    void setFullScreen(bool on);
    bool isFullScreenMode() const { return fullScreen_; }
    // The area's size in the video window; while the picture covers the
    // screen, the size it will have when it comes back.
    QSize areaSize() const { return fullScreen_ || covering_ ? homeSize_ : size(); }

    MpvSurface* surface() const { return surface_; }
    // The engine is going away: free the render context now.
    void detachEngine();
    // Takes the clip's size, scaled down where the window would not fit
    // its screen.
    void fitToClip(QSize clipSize);
    // The room the hosting window keeps round the picture.
    void setFrameAround(QSize frame) { frame_ = frame; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void onSurfaceDoubleClicked(Qt::MouseButton button);
    void onSurfacePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void applyFullScreen();
    void moveToHost();
    void followVisibility(bool seen);

    QPointer<MpvEngine> engine_;
    MpvSurface* surface_;
    QWidget* container_;
    SeenWatcher* seen_;
    QSize frame_;
    // Asked for, and what the picture does at the moment.
    bool fullScreen_ = false;
    bool covering_ = false;
    QPointer<QWidget> homeParent_;
    QPoint homePosition_;
    QSize homeSize_;
};
