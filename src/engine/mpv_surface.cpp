#include "engine/mpv_surface.h"

#include "engine/mpv_engine.h"
#include "engine/mpv_renderer.h"

#include <QExposeEvent>
#include <QMouseEvent>

namespace {

QSurfaceFormat pictureFormat() {
    // mpv needs colour only: no depth, stencil or alpha to clear and copy.
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    format.setAlphaBufferSize(0);
    return format;
}

} // namespace

MpvSurface::MpvSurface(MpvEngine* engine) : engine_(engine) {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(pictureFormat());
}

MpvSurface::~MpvSurface() {
    renderer_.reset();
}

void MpvSurface::detachEngine() {
    if (engine_)
        engine_->setRendererAttached(false);
    renderer_.reset();
    engine_ = nullptr;
}

quint64 MpvSurface::framesDrawn() const {
    return renderer_ ? renderer_->framesDrawn() : 0;
}

void MpvSurface::clearPicture() {
    if (renderer_)
        renderer_->clear();
}

void MpvSurface::showPicture() {
    if (renderer_)
        renderer_->showPicture();
}

void MpvSurface::holdDrawing() {
    if (renderer_)
        renderer_->hold();
}

void MpvSurface::resumeDrawing() {
    if (renderer_)
        renderer_->resume();
}

// The renderer starts once the window is on screen: its GL context needs a
// native window to be current on.
void MpvSurface::startRenderer() {
    if (renderer_ || !engine_ || !engine_->handle() || !engine_->drawsPicture())
        return;
    renderer_ = std::make_unique<MpvRenderer>(engine_->handle(), this, [this](bool ready) {
        // The render thread: hand the news to the UI thread.
        QMetaObject::invokeMethod(
            this, [this, ready] { onRendererReady(ready); }, Qt::QueuedConnection);
    });
}

void MpvSurface::onRendererReady(bool ready) {
    if (ready && engine_)
        engine_->setRendererAttached(true);
}

void MpvSurface::exposeEvent(QExposeEvent* event) {
    QWindow::exposeEvent(event);
    // Unexposed, the native surface may go (Wayland drops it with a hidden
    // window): the renderer lets go of it until the window is seen again.
    if (!isExposed()) {
        holdDrawing();
        return;
    }
    startRenderer();
    if (renderer_) {
        renderer_->resume();
        renderer_->redraw(size() * devicePixelRatio());
    }
}

void MpvSurface::resizeEvent(QResizeEvent* event) {
    QWindow::resizeEvent(event);
    if (renderer_ && isExposed())
        renderer_->redraw(size() * devicePixelRatio());
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
