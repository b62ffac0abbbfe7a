#include "video/video_window.h"

#include "engine/media_engine.h"
#include "engine/mpv_surface.h"
#include "engine/mpv_view.h"
#include "playlist/playlist_pair.h"
#include "shared/panel_host.h"
#include "shared/title_scroller.h"
#include "shared/video_host.h"
#include "ui/accessibility.h"
#include "ui/drag_window.h"
#include "ui/image_button.h"
#include "ui/input_codes.h"
#include "ui/seen_watcher.h"
#include "ui/twips.h"
#include "ui/widget_helpers.h"
#include "video/end_of_stream.h"
#include "video/video_menu.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

namespace {

constexpr int RightButton = 2;

QFont bannerFont() {
    // "宋体" where it is installed, else a CJK face that shows the same text.
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPointSize(9);
    font.setBold(true);
    return font;
}

int textWidthTwips(const QString& text) {
    return static_cast<int>(Twips::fromPx(QFontMetrics(bannerFont()).horizontalAdvance(text)));
}

} // namespace

VideoWindow::VideoWindow(std::unique_ptr<MediaEngine> engine, PlaylistPair& playlist,
                         TitleScroller& songTitle, VideoHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), player_(std::move(engine)),
      playlist_(playlist), songTitle_(songTitle), host_(host), banner_(textWidthTwips) {
    setObjectName(QStringLiteral("frmplay"));
    setWindowTitle(QStringLiteral("Sonvela"));
    Widgets::setAccessibleRole(this, QAccessible::Window);
    // Closing this window must never end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    Widgets::fillBackground(this, QColor(128, 128, 128));
    Widgets::setTextColor(this, Qt::black);
    resize(Twips::toPx(InitialWidth), Twips::toPx(InitialHeight));

    buildDragStrip();
    buildBanner();
    embedPlayer();
    placeOnScreen();
    followNextEntry();

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1_, &QTimer::timeout, this, &VideoWindow::Timer1_Timer);
    Timer1_->setInterval(TickMs);
    // The banner and the fit change nothing anybody sees while the window
    // is hidden or minimised: the timer runs only while it can be seen.
    auto* seen = new SeenWatcher(this);
    connect(seen, &SeenWatcher::seenChanged, this, &VideoWindow::followSeen);
}

void VideoWindow::followSeen(bool seen) {
    if (!seen) {
        Timer1_->stop();
        return;
    }
    Timer1_Timer(); // fit at once, not a tick later
    Timer1_->start();
}

// The engine goes first: it may still need its picture area (a child of
// this window) to release what it draws with.
VideoWindow::~VideoWindow() = default;

void VideoWindow::buildDragStrip() {
    lblhand_ = new QLabel(QStringLiteral("拖拉条"), this);
    lblhand_->setObjectName(QStringLiteral("lblhand"));
    lblhand_->setToolTip(QStringLiteral("拖拉窗体"));
    Widgets::fillBackground(lblhand_, QColor(0, 0, 255));
    Widgets::setTextColor(lblhand_, QColor(255, 255, 0));
    lblhand_->setGeometry(0, 0, width(), Twips::toPx(HandleHeight));
    lblhand_->installEventFilter(this);
    Widgets::setDecorative(lblhand_);
}

void VideoWindow::buildBanner() {
    Label1_ = new QLabel(banner_.text(), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setFont(bannerFont());
    Widgets::setTextColor(Label1_, QColor(255, 0, 0));
    Label1_->setAttribute(Qt::WA_TranslucentBackground);
    placeBanner();
}

void VideoWindow::embedPlayer() {
    connect(player_.get(), &MediaEngine::EndOfStream, this, &VideoWindow::player_EndOfStream);
    connect(player_.get(), &MediaEngine::movedOn, this, &VideoWindow::player_movedOn);
    connect(player_.get(), &MediaEngine::MouseDown, this, &VideoWindow::player_MouseDown);
    connect(player_.get(), &MediaEngine::DblClick, this, &VideoWindow::player_DblClick);
    connect(player_.get(), &MediaEngine::KeyDown, this, &VideoWindow::player_KeyDown);
    QWidget* view = player_->view();
    // The window keeps a margin left of, right of and below the picture,
    // and the banner above it: a clip too large for the screen is shown
    // smaller, so that the whole window fits.
    if (auto* picture = qobject_cast<MpvView*>(view))
        picture->setFrameAround(
            QSize(Twips::toPx(PlayerLeft + FrameMargin), Twips::toPx(PlayerTop + FrameMargin)));
    view->setParent(this);
    view->setGeometry(Twips::rect(PlayerLeft, PlayerTop, PlayerWidth, PlayerHeight));
    view->show();
}

void VideoWindow::placeOnScreen() {
    Widgets::centerOnScreen(this);
}

void VideoWindow::placeBanner() {
    // The face found may be taller than the nominal line; never cut it off.
    const int height = std::max(Twips::toPx(Banner::Height), Label1_->fontMetrics().height());
    Label1_->setGeometry(Twips::toPx(banner_.left()), Twips::toPx(Banner::Top),
                         Twips::toPx(banner_.width()), height);
}

void VideoWindow::Timer1_Timer() {
    if (banner_.tick(static_cast<int>(Twips::fromPx(width()))))
        Label1_->setText(banner_.text());
    placeBanner();
    if (keepsItsSize())
        return;
    fitToPicture();
}

bool VideoWindow::keepsItsSize() const {
    const Qt::WindowStates fixedSize =
        Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    // While the picture covers the whole screen it is no part of this
    // window, and its size says nothing about the window's.
    return (windowState() & fixedSize) || pictureIsAway();
}

void VideoWindow::fitToPicture() {
    // The window holds the whole picture with a thin margin round it: sized
    // to the picture alone (plus 500 twips), its right and bottom edges
    // would be cut off, since the picture sits below the banner and 90
    // twips in from the left.
    const QSize picture = player_->pictureSize();
    const int margin = Twips::toPx(FrameMargin);
    resize(Twips::toPx(PlayerLeft) + picture.width() + margin,
           Twips::toPx(PlayerTop) + picture.height() + margin);
}

void VideoWindow::player_EndOfStream(int /*result*/) {
    advanceOnEndOfStream(playlist_, *player_, songTitle_);
}

void VideoWindow::player_movedOn() {
    followEngineToNextEntry(playlist_, songTitle_);
}

// What the end of stream would pick changes with the selection and with
// every edit of the lists; the engine opens it ahead of time.
void VideoWindow::followNextEntry() {
    const auto queue = [this] { queueNextEntry(); };
    connect(&playlist_.lstsong, &ListControl::listIndexChanged, this, queue);
    for (ListControl* list : {&playlist_.lstsong, &playlist_.temlst}) {
        connect(list, &QAbstractItemModel::rowsInserted, this, queue);
        connect(list, &QAbstractItemModel::rowsRemoved, this, queue);
        connect(list, &QAbstractItemModel::modelReset, this, queue);
        connect(list, &QAbstractItemModel::dataChanged, this, queue);
    }
    queueNextEntry();
}

void VideoWindow::queueNextEntry() {
    player_->setNext(NextEntryPath(playlist_));
}

void VideoWindow::player_MouseDown(int button, int /*shift*/, int /*x*/, int /*y*/) {
    // The menu runs its own event loop and its items may move the picture
    // to another window: open it once the press has been delivered, never
    // inside the picture's own press handler.
    if (button == RightButton)
        popupMenuLater(QCursor::pos());
}

void VideoWindow::popupMenuLater(QPoint at) {
    QMetaObject::invokeMethod(
        this, [this, at] { host_.popupVideoMenu(at); }, Qt::QueuedConnection);
}

void VideoWindow::player_DblClick() {
    toggleFullScreen();
}

void VideoWindow::toggleFullScreen() {
    // As the menu's two items do; the picture moves once the current event
    // has been handled.
    player_->setDisplaySize(pictureIsAway() ? VideoMenu::ClipSize : VideoMenu::FullScreen);
}

void VideoWindow::player_KeyDown(int key, int shift, bool repeated) {
    if (opensPopupMenu(key, shift)) {
        const QWidget* picture = player_->view();
        popupMenuLater(picture->mapToGlobal(picture->rect().center()));
        return;
    }
    if (shift != 0)
        return;
    switch (key) {
    case Qt::Key_Escape:
        if (pictureIsAway())
            player_->setDisplaySize(VideoMenu::ClipSize);
        return;
    case Qt::Key_F:
        if (!repeated)
            toggleFullScreen();
        return;
    default:
        break;
    }
    if (!panel_)
        return;
    switch (key) {
    case Qt::Key_Space:
        if (!repeated)
            panel_->pressPause();
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        panel_->seekBy(key == Qt::Key_Left ? -SeekKeySeconds : SeekKeySeconds);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        panel_->stepVolume(key == Qt::Key_Up ? 1 : -1);
        break;
    case Qt::Key_M:
        if (!repeated)
            panel_->toggleMute();
        break;
    default:
        break;
    }
}

void VideoWindow::keyPressEvent(QKeyEvent* event) {
    // The window itself has the keyboard: nothing inside it took it.
    player_KeyDown(event->key(), shiftCode(event->modifiers()), event->isAutoRepeat());
}

void VideoWindow::lblhand_MouseDown() {
    DragWindow(this);
}

void VideoWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    lblhand_->resize(width(), lblhand_->height());
}

void VideoWindow::setVisible(bool visible) {
    // Hidden, the window loses its native surfaces at once under Wayland,
    // the picture's among them: the render thread lets go of it first. It
    // draws again when the picture is exposed.
    auto* picture = qobject_cast<MpvView*>(player_->view());
    if (!visible && isVisible() && picture && picture->window() == this)
        picture->surface()->holdDrawing();
    QWidget::setVisible(visible);
}

void VideoWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden by the program while the picture covers the screen: the
    // picture comes home first, so no full-screen surface stays behind.
    if (!event->spontaneous() && pictureIsAway())
        player_->setDisplaySize(0);
}

bool VideoWindow::pictureIsAway() const {
    return player_->view()->parentWidget() != this;
}

void VideoWindow::closeEvent(QCloseEvent* event) {
    // Only the window system closes this window (the program hides it), and
    // such a close destroys it together with its engine.
    songTitle_.setText(QStringLiteral("Sonvela"));
    event->accept();
    emit closedBySystem();
    deleteLater();
}

bool VideoWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblhand_ && event->type() == QEvent::MouseButtonPress) {
        lblhand_MouseDown();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
