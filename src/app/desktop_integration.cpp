#include "app/desktop_integration.h"

#include "app/application.h"
#include "desktop/opened_files.h"
#include "platform/cover_art.h"
#include "playback/control_panel.h"
#include "playback/transport.h"
#include "playlist/paths.h"
#include "shell/main_window.h"
#include "video/video_window_manager.h"

#include <QScrollBar>
#include <QTimer>
#include <cmath>

namespace {

const QString ListFullText = QStringLiteral("播放列表已满，不能再添加文件。");

// The transport buttons' indexes.
enum Button { PlayButton = 1, StopButton = 2, NextButton = 4, PreviousButton = 5 };

} // namespace

DesktopIntegration::DesktopIntegration(Application& app)
    : app_(app), mpris_(*this, CoverArt::CacheFolder()) {
    QObject::connect(&handOver_, &HandOverServer::filesReceived, &handOver_,
                     [this](const QStringList& paths) {
                         openFiles(paths);
                         showMainWindow();
                     });
}

void DesktopIntegration::listenForSecondStarts(const QString& lockFolder) {
    if (!lockFolder.isEmpty())
        handOver_.listen(HandOverSocketPath(lockFolder));
}

void DesktopIntegration::start() {
    QObject::connect(app_.mainWindow().frm->HScroll1, &QScrollBar::valueChanged, &mpris_,
                     [this] { refresh(); });
    mpris_.registerOnSessionBus();
}

void DesktopIntegration::openFiles(const QStringList& paths) {
    const OpenedFiles opened = AppendOpenedFiles(app_.playlist(), paths);
    if (opened.listFull) {
        // After the caller (a bus call, a second start) has had its answer.
        QTimer::singleShot(0, &handOver_,
                           [this] { app_.messages().warning(NoticeTitle, ListFullText); });
    }
    if (opened.first < 0)
        return;
    // Played by its number, as next and previous play, so they go on
    // from here.
    Transport& transport = *app_.mainWindow().frm->transport;
    transport.Tnum = static_cast<qint16>(opened.first + 1);
    transport.PlayIt();
}

void DesktopIntegration::showMainWindow() {
    MainWindow& window = app_.mainWindow();
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

void DesktopIntegration::exitProgram() {
    app_.exitProgram();
}

void DesktopIntegration::pressButton(int index) {
    app_.mainWindow().frm->CtrlImage_Click(index);
}

void DesktopIntegration::pressPlay() {
    pressButton(PlayButton);
}

void DesktopIntegration::setPaused(bool paused) {
    app_.mainWindow().frm->transport->setPaused(paused);
}

void DesktopIntegration::pressStop() {
    pressButton(StopButton);
}

void DesktopIntegration::pressNext() {
    pressButton(NextButton);
}

void DesktopIntegration::pressPrevious() {
    pressButton(PreviousButton);
}

MediaEngine& DesktopIntegration::engine() const {
    return app_.video().engine();
}

void DesktopIntegration::seekTo(double seconds) {
    engine().setCurrentPosition(seconds);
}

PlaybackState DesktopIntegration::playbackState() const {
    return engine().playbackState();
}

bool DesktopIntegration::isOpening() const {
    return engine().isOpening();
}

QString DesktopIntegration::currentPath() const {
    return engine().fileName();
}

QString DesktopIntegration::currentTitle() const {
    return MakeTitle(currentPath());
}

MediaTags DesktopIntegration::currentTags() const {
    return engine().mediaInfo().tags;
}

std::optional<double> DesktopIntegration::duration() const {
    return engine().duration();
}

std::optional<double> DesktopIntegration::position() const {
    return engine().currentPosition();
}

double DesktopIntegration::volume() const {
    const QScrollBar* bar = app_.mainWindow().frm->HScroll1;
    return double(bar->value() - bar->minimum()) / (bar->maximum() - bar->minimum());
}

void DesktopIntegration::setVolume(double level) {
    QScrollBar* bar = app_.mainWindow().frm->HScroll1;
    bar->setValue(bar->minimum() + int(std::lround(level * (bar->maximum() - bar->minimum()))));
}
