#include "engine/mpv_surface.h"

#include "engine/mpv_engine.h"

#include <mpv/render_gl.h>

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace {

void* glProcAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

QSurfaceFormat pictureFormat() {
    // mpv needs colour only: no depth, stencil or alpha to clear and copy.
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    format.setAlphaBufferSize(0);
    return format;
}

} // namespace

MpvSurface::MpvSurface(MpvEngine* engine)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), engine_(engine) {
    setFormat(pictureFormat());
    connect(this, &QOpenGLWindow::frameSwapped, this, [this] {
        if (render_)
            mpv_render_context_report_swap(render_);
    });
}

MpvSurface::~MpvSurface() {
    freeRenderContext();
}

void MpvSurface::detachEngine() {
    freeRenderContext();
    engine_ = nullptr;
}

void MpvSurface::initializeGL() {
    // Should the context ever go, the render context must go first.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvSurface::freeRenderContext,
            Qt::UniqueConnection);
    createRenderContext();
}

void MpvSurface::createRenderContext() {
    if (render_ || !engine_ || !engine_->handle() || !engine_->drawsPicture())
        return;
    mpv_opengl_init_params glInit{glProcAddress, nullptr};
    int advancedControl = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advancedControl},
        {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&render_, engine_->handle(), params) < 0) {
        render_ = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(
        render_,
        [](void* self) {
            // mpv's thread: only post; the frame is fetched on the UI thread.
            QMetaObject::invokeMethod(static_cast<MpvSurface*>(self), &MpvSurface::onRenderUpdate,
                                      Qt::QueuedConnection);
        },
        this);
    engine_->setRendererAttached(true);
}

void MpvSurface::freeRenderContext() {
    if (!render_)
        return;
    makeCurrent();
    // Move the picture to the null output first, so mpv never loses its
    // video track to a vanished renderer.
    if (engine_)
        engine_->setRendererAttached(false);
    mpv_render_context_set_update_callback(render_, nullptr, nullptr);
    mpv_render_context_free(render_);
    render_ = nullptr;
    doneCurrent();
}

void MpvSurface::onRenderUpdate() {
    if (render_ && (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME))
        update();
}

void MpvSurface::serviceRenderer() {
    if (!render_)
        return;
    makeCurrent();
    onRenderUpdate();
    doneCurrent();
}

void MpvSurface::paintGL() {
    if (!render_) {
        context()->functions()->glClearColor(0, 0, 0, 1);
        context()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatio();
    mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio),
                       0};
    int flipY = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(render_, params);
    ++framesDrawn_;
}

void MpvSurface::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->button(), event->modifiers(), event->position().toPoint());
    event->accept();
}

void MpvSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked(event->button());
    event->accept();
}

void MpvSurface::keyPressEvent(QKeyEvent* event) {
    emit keyPressed(event);
}
