#include "engine/mpv_view.h"

#include "engine/mpv_engine.h"
#include "engine/mpv_surface.h"
#include "ui/input_codes.h"
#include "ui/seen_watcher.h"

#include <QKeyEvent>
#include <QScreen>

QSize FitPictureInto(QSize clip, QSize frame, QSize available) {
    const QSize room = available - frame;
    if (room.width() <= 0 || room.height() <= 0 ||
        (clip.width() <= room.width() && clip.height() <= room.height()))
        return clip;
    return clip.scaled(room, Qt::KeepAspectRatio);
}

MpvView::MpvView(MpvEngine* engine, QWidget* parent)
    : QWidget(parent), engine_(engine), surface_(new MpvSurface(engine)),
      container_(QWidget::createWindowContainer(surface_, this)), seen_(new SeenWatcher(this)) {
    setObjectName(QStringLiteral("player"));
    // The video window opens its own menu on MouseDown.
    setContextMenuPolicy(Qt::PreventContextMenu);
    container_->setGeometry(rect());
    connect(surface_, &MpvSurface::pressed, this, &MpvView::onSurfacePressed);
    connect(surface_, &MpvSurface::doubleClicked, this, &MpvView::onSurfaceDoubleClicked);
    connect(surface_, &MpvSurface::keyPressed, this, &MpvView::keyPressEvent);
    connect(engine, &MpvEngine::clipSizeChanged, this, &MpvView::fitToClip);
    connect(engine, &MpvEngine::pictureGone, surface_, &MpvSurface::clearPicture);
    connect(engine, &MpvEngine::clipSizeChanged, surface_, &MpvSurface::showPicture);
    // Made hidden: nothing is decoded for it until it is seen.
    connect(seen_, &SeenWatcher::seenChanged, this, &MpvView::followVisibility);
    QMetaObject::invokeMethod(
        this, [this] { followVisibility(seen_->isSeen()); }, Qt::QueuedConnection);
}

MpvView::~MpvView() {
    surface_->detachEngine();
}

void MpvView::detachEngine() {
    surface_->detachEngine();
    engine_ = nullptr;
}

void MpvView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    container_->setGeometry(rect());
}

// A hidden or minimised picture is not decoded at all.
void MpvView::followVisibility(bool seen) {
    if (engine_)
        engine_->setPictureShown(seen);
    // Wayland drops a hidden window's surface and does not bring back the
    // picture's own surface inside it: show that one anew.
    if (seen && !surface_->isExposed()) {
        surface_->holdDrawing();
        container_->hide();
        container_->show();
        surface_->resumeDrawing();
    }
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
    if (const QScreen* screen = window()->screen())
        clipSize = FitPictureInto(clipSize, frame_, screen->availableGeometry().size());
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
    surface_->holdDrawing();
    moveToHost();
    surface_->resumeDrawing();
}

// Out into a top-level window over the screen, or back home.
void MpvView::moveToHost() {
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
