#pragma once

#include <QSize>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

struct mpv_handle;
struct mpv_render_context;
class QOpenGLContext;
class QWindow;

// Draws mpv's frames into a native window on a thread of its own, as the
// command-line player does: mpv's render API may block there until a
// frame's display time, and it makes no other libmpv call. The UI thread
// only tells it what changed (a new frame, a new size, an exposure).
class MpvRenderer {
  public:
    // `ready` is called once from the render thread: true when the render
    // context exists, false when it could not be made.
    MpvRenderer(mpv_handle* mpv, QWindow* window, std::function<void(bool)> ready);
    // Frees the render context (with its GL context current) and ends.
    ~MpvRenderer();

    // Draw the current frame again (exposed, resized).
    void redraw(QSize pixels);
    // The open file has no picture: black from now on, whatever mpv still
    // holds of the file before, until showPicture() (a new picture's size).
    void clear();
    void showPicture();
    unsigned long long framesDrawn() const;
    // Before the window's native surface may be replaced (Wayland makes a
    // new one when the window changes parent): returns once the render
    // thread has finished its frame and let go of the surface. Requests
    // wait until resume(), which draws again on whatever surface is there.
    void hold();
    void resume();

  private:
    enum Request : unsigned { NewFrame = 1, Redraw = 2, Quit = 4 };
    void post(unsigned request);
    void run(mpv_handle* mpv, const std::function<void(bool)>& ready);
    bool createRenderContext(mpv_handle* mpv);
    void serve(unsigned requests, bool pictureGone);
    void draw(bool always);
    void clearFramebuffer();

    QWindow* window_;
    QOpenGLContext* gl_ = nullptr;
    mpv_render_context* render_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    unsigned requests_ = 0;
    bool held_ = false;
    bool pictureGone_ = false;
    // The GL context is bound to the window's surface; from the start, as
    // the thread binds it before it looks at any request.
    bool current_ = true;
    std::condition_variable letGo_;
    QSize pixels_;
    unsigned long long framesDrawn_ = 0;
    std::thread thread_;
};
