#include "engine/mpv_view.h"

#include "engine/mpv_engine.h"
#include "engine/mpv_surface.h"
#include "ui/image_button.h"

#include <QKeyEvent>
#include <QScreen>

MpvView::MpvView(MpvEngine* engine, QWidget* parent)
    : QWidget(parent), engine_(engine), surface_(new MpvSurface(engine)),
      container_(QWidget::createWindowContainer(surface_, this)) {
    setObjectName(QStringLiteral("player"));
    // The video window opens its own menu on MouseDown.
    setContextMenuPolicy(Qt::PreventContextMenu);
    container_->setGeometry(rect());
    connect(surface_, &MpvSurface::pressed, this, &MpvView::onSurfacePressed);
    connect(surface_, &MpvSurface::doubleClicked, this, &MpvView::onSurfaceDoubleClicked);
    connect(surface_, &MpvSurface::keyPressed, this, &MpvView::keyPressEvent);
    connect(engine, &MpvEngine::clipSizeChanged, this, &MpvView::fitToClip);
    // Made hidden: nothing is decoded for it until it is shown.
    QMetaObject::invokeMethod(this, &MpvView::followVisibility, Qt::QueuedConnection);
}

MpvView::~MpvView() {
    surface_->detachEngine();
}

void MpvView::detachEngine() {
    surface_->detachEngine();
    engine_ = nullptr;
}

void MpvView::serviceRenderer() {
    surface_->serviceRenderer();
}

void MpvView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    container_->setGeometry(rect());
}

// Shown and hidden also come in pairs while the picture changes window:
// decide once the events have settled.
void MpvView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QMetaObject::invokeMethod(this, &MpvView::followVisibility, Qt::QueuedConnection);
}

void MpvView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    QMetaObject::invokeMethod(this, &MpvView::followVisibility, Qt::QueuedConnection);
}

void MpvView::followVisibility() {
    if (engine_)
        engine_->setPictureShown(isVisible());
}

void MpvView::onSurfacePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint at) {
    if (engine_)
        emit engine_->MouseDown(buttonCode(button), shiftCode(modifiers), at.x(), at.y());
}

void MpvView::onSurfaceDoubleClicked(Qt::MouseButton button) {
    if (engine_ && button == Qt::LeftButton)
        emit engine_->DblClick();
}

// Keys reach the picture in the surface (after a click on it) or in this
// area (the full-screen window); both are the engine's KeyDown.
void MpvView::keyPressEvent(QKeyEvent* event) {
    if (!engine_) {
        event->ignore();
        return;
    }
    emit engine_->KeyDown(event->key(), shiftCode(event->modifiers()), event->isAutoRepeat());
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
