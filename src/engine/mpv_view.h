#pragma once

#include <QOpenGLWidget>
#include <QPointer>

struct mpv_render_context;
class MpvEngine;

// The picture area `player`: mpv draws the video into it through its render
// API. It takes the clip's own size at display size 0 and can leave its
// parent to cover the whole screen. Presses on it become the engine's
// MouseDown.
class MpvView : public QOpenGLWidget {
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

    // Lets the renderer finish work it queued for this thread while the UI
    // thread waits for mpv.
    void serviceRenderer();
    // The engine is going away: free the render context now.
    void detachEngine();

  protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void createRenderContext();
    void freeRenderContext();
    void onRenderUpdate();
    void fitToClip(QSize clipSize);
    void applyFullScreen();

    QPointer<MpvEngine> engine_;
    mpv_render_context* render_ = nullptr;
    // Asked for, and what the picture does at the moment.
    bool fullScreen_ = false;
    bool covering_ = false;
    QPointer<QWidget> homeParent_;
    QPoint homePosition_;
    QSize homeSize_;
};
