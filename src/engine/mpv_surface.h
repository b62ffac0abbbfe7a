#pragma once

#include <QOpenGLWindow>
#include <QPointer>

struct mpv_render_context;
class MpvEngine;

// The native surface mpv draws the picture on: a window of its own inside
// the picture area, rendering straight to its default framebuffer. It draws
// only when mpv has a new frame or the surface changed size, so nothing else
// in the video window (the banner, the drag strip) ever redraws the picture,
// nor the picture them.
class MpvSurface : public QOpenGLWindow {
    Q_OBJECT
  public:
    explicit MpvSurface(MpvEngine* engine);
    ~MpvSurface() override;

    // Lets the renderer finish work it queued for this thread while the UI
    // thread waits for mpv.
    void serviceRenderer();
    // The engine is going away: free the render context now.
    void detachEngine();
    // Frames drawn so far (for benchmarks and tests).
    quint64 framesDrawn() const { return framesDrawn_; }

  signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void doubleClicked(Qt::MouseButton button);
    void keyPressed(QKeyEvent* event);

  protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void createRenderContext();
    void freeRenderContext();
    void onRenderUpdate();

    QPointer<MpvEngine> engine_;
    mpv_render_context* render_ = nullptr;
    quint64 framesDrawn_ = 0;
};
