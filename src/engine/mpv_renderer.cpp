#include "engine/mpv_renderer.h"

#include <mpv/render_gl.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWindow>
#include <utility>

namespace {

void* glProcAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

} // namespace

MpvRenderer::MpvRenderer(mpv_handle* mpv, QWindow* window, std::function<void(bool)> ready)
    : window_(window), thread_([this, mpv, ready = std::move(ready)] { run(mpv, ready); }) {}

MpvRenderer::~MpvRenderer() {
    post(Quit);
    thread_.join();
}

void MpvRenderer::post(unsigned request) {
    {
        std::lock_guard lock(mutex_);
        requests_ |= request;
    }
    wake_.notify_one();
}

void MpvRenderer::redraw(QSize pixels) {
    {
        std::lock_guard lock(mutex_);
        pixels_ = pixels;
    }
    post(Redraw);
}

void MpvRenderer::clear() {
    {
        std::lock_guard lock(mutex_);
        pictureGone_ = true;
    }
    post(Redraw);
}

void MpvRenderer::showPicture() {
    {
        std::lock_guard lock(mutex_);
        pictureGone_ = false;
    }
    post(Redraw);
}

unsigned long long MpvRenderer::framesDrawn() const {
    std::lock_guard lock(mutex_);
    return framesDrawn_;
}

void MpvRenderer::hold() {
    std::unique_lock lock(mutex_);
    held_ = true;
    wake_.notify_one();
    // At most one frame: the render thread makes no call that waits on us.
    letGo_.wait(lock, [this] { return !current_; });
}

void MpvRenderer::resume() {
    {
        std::lock_guard lock(mutex_);
        held_ = false;
    }
    post(Redraw);
}

void MpvRenderer::run(mpv_handle* mpv, const std::function<void(bool)>& ready) {
    QOpenGLContext gl;
    gl.setFormat(window_->requestedFormat());
    gl_ = &gl;
    const bool ok = gl.create() && gl.makeCurrent(window_) && createRenderContext(mpv);
    ready(ok);
    std::unique_lock lock(mutex_);
    current_ = ok;
    letGo_.notify_all();
    while (ok) {
        wake_.wait(lock,
                   [this] { return (requests_ & Quit) || (held_ ? current_ : requests_ != 0); });
        if (requests_ & Quit)
            break;
        if (held_) {
            gl.doneCurrent();
            current_ = false;
            letGo_.notify_all();
            continue;
        }
        const unsigned requests = std::exchange(requests_, 0u);
        const bool pictureGone = pictureGone_;
        current_ = true; // hold() waits from here until the surface is let go
        lock.unlock();
        // The surface may be a new one since the last frame: bind to it.
        const bool bound = gl.makeCurrent(window_);
        if (bound)
            serve(requests, pictureGone);
        lock.lock();
        if (!bound) {
            current_ = false;
            letGo_.notify_all();
        }
    }
    lock.unlock();
    if (render_) {
        // mpv frees its GL objects: the context must be current for that.
        gl.makeCurrent(window_);
        mpv_render_context_set_update_callback(render_, nullptr, nullptr);
        mpv_render_context_free(render_);
    }
    gl.doneCurrent();
    gl_ = nullptr;
}

bool MpvRenderer::createRenderContext(mpv_handle* mpv) {
    mpv_opengl_init_params glInit{glProcAddress, nullptr};
    int advancedControl = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl},
        {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&render_, mpv, params) < 0) {
        render_ = nullptr;
        return false;
    }
    // mpv's thread: only note that a frame is there.
    mpv_render_context_set_update_callback(
        render_, [](void* self) { static_cast<MpvRenderer*>(self)->post(NewFrame); }, this);
    return true;
}

void MpvRenderer::serve(unsigned requests, bool pictureGone) {
    if (!pictureGone) {
        draw(requests & Redraw);
        return;
    }
    // mpv may still offer the last frame of the file before: it is taken,
    // so that mpv goes on telling of new ones, and not shown.
    if (requests & NewFrame)
        mpv_render_context_update(render_);
    clearFramebuffer();
}

void MpvRenderer::draw(bool always) {
    const bool newFrame = mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME;
    if (!newFrame && !always)
        return;
    QSize pixels;
    {
        std::lock_guard lock(mutex_);
        pixels = pixels_;
    }
    mpv_opengl_fbo fbo{int(gl_->defaultFramebufferObject()), pixels.width(), pixels.height(), 0};
    int flipY = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    // Waits here, on this thread, until the frame is due: mpv paces itself.
    mpv_render_context_render(render_, params);
    gl_->swapBuffers(window_);
    mpv_render_context_report_swap(render_);
    std::lock_guard lock(mutex_);
    ++framesDrawn_;
}

void MpvRenderer::clearFramebuffer() {
    QOpenGLFunctions* gl = gl_->functions();
    gl->glBindFramebuffer(GL_FRAMEBUFFER, gl_->defaultFramebufferObject());
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl_->swapBuffers(window_);
}
