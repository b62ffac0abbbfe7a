#pragma once

#include <QPointer>
#include <QWindow>
#include <atomic>
#include <memory>

class MpvEngine;
class MpvRenderer;

// The native surface mpv draws the picture on: a window of its own inside
// the picture area. The drawing happens on a thread of its own (see
// MpvRenderer), paced by mpv, so neither a busy UI thread holds a frame
// back nor a frame the UI. Nothing else in the video window (the banner,
// the drag strip) ever redraws the picture, nor the picture them.
class MpvSurface : public QWindow {
    Q_OBJECT
  public:
    explicit MpvSurface(MpvEngine* engine);
    ~MpvSurface() override;

    // The engine is going away: free the render context now.
    void detachEngine();
    // Frames drawn so far (for benchmarks and tests).
    quint64 framesDrawn() const;
    // Draws black where the last frame was (the open file has no picture).
    void clearPicture();
    // The open file has a picture again.
    void showPicture();
    // Around a change of the hosting window: no frame is drawn on the
    // native surface while it may be replaced (see MpvRenderer::hold).
    void holdDrawing();
    void resumeDrawing();

  signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at);
    void doubleClicked(Qt::MouseButton button);
    void keyPressed(QKeyEvent* event);

  protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void startRenderer();
    void onRendererReady(bool ready);

    QPointer<MpvEngine> engine_;
    std::unique_ptr<MpvRenderer> renderer_;
};
