#include "engine/mpv_view.h"

#include "engine/mpv_engine.h"
#include "ui/image_button.h"

#include <mpv/render_gl.h>

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QScreen>

namespace {

void* glProcAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace

MpvView::MpvView(MpvEngine* engine, QWidget* parent) : QOpenGLWidget(parent), engine_(engine) {
    setObjectName(QStringLiteral("player"));
    // The video window opens its own menu on MouseDown.
    setContextMenuPolicy(Qt::PreventContextMenu);
    connect(engine, &MpvEngine::clipSizeChanged, this, &MpvView::fitToClip);
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (render_)
            mpv_render_context_report_swap(render_);
    });
}

MpvView::~MpvView() {
    freeRenderContext();
}

void MpvView::detachEngine() {
    freeRenderContext();
    engine_ = nullptr;
}

void MpvView::initializeGL() {
    // Reparenting (full screen and back) replaces the GL context: the render
    // context must go with the old one and be made anew for the new one.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvView::freeRenderContext,
            Qt::UniqueConnection);
    createRenderContext();
}

void MpvView::createRenderContext() {
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
            QMetaObject::invokeMethod(static_cast<MpvView*>(self), &MpvView::onRenderUpdate,
                                      Qt::QueuedConnection);
        },
        this);
    engine_->setRendererAttached(true);
}

void MpvView::freeRenderContext() {
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

void MpvView::onRenderUpdate() {
    if (render_ && (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME))
        update();
}

void MpvView::serviceRenderer() {
    if (!render_)
        return;
    makeCurrent();
    onRenderUpdate();
    doneCurrent();
}

void MpvView::paintGL() {
    if (!render_) {
        QOpenGLContext::currentContext()->functions()->glClearColor(0, 0, 0, 1);
        QOpenGLContext::currentContext()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{int(defaultFramebufferObject()), int(width() * ratio), int(height() * ratio),
                       0};
    int flipY = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(render_, params);
}

void MpvView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (engine_)
        emit engine_->MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), at.x(),
                                at.y());
    event->accept();
}

void MpvView::fitToClip(QSize clipSize) {
    if (clipSize.width() <= 0 || clipSize.height() <= 0)
        return;
    if (fullScreen_ || covering_)
        homeSize_ = clipSize; // taken on the way back
    else
        resize(clipSize);
}

void MpvView::setFullScreen(bool on) {
    if (on && !fullScreen_ && !covering_) {
        homeParent_ = parentWidget();
        homePosition_ = pos();
        homeSize_ = size();
    }
    fullScreen_ = on;
    // The request may come from an event delivered to this very picture (a
    // press on it opened the menu): changing its parent there would destroy
    // the window Qt is still delivering to. Do it once that event is over.
    QMetaObject::invokeMethod(this, &MpvView::applyFullScreen, Qt::QueuedConnection);
}

void MpvView::applyFullScreen() {
    if (fullScreen_ == covering_) {
        if (!fullScreen_ && engine_) // back to the clip's own size
            fitToClip(engine_->clipSize());
        return;
    }
    covering_ = fullScreen_;
    if (covering_) {
        QScreen* screen = window()->screen();
        setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
        if (screen)
            setGeometry(screen->geometry());
        showFullScreen();
        return;
    }
    const bool hadParent = homeParent_ != nullptr;
    setParent(homeParent_, hadParent ? Qt::Widget : Qt::Window);
    move(homePosition_);
    resize(homeSize_);
    show();
}
