#include "video/video_window_manager.h"

#include "engine/media_engine.h"
#include "video/video_menu.h"
#include "video/video_window.h"

VideoWindowManager::VideoWindowManager(PlaylistPair& playlist, TitleScroller& songTitle,
                                       TipsHost& tips, EngineFactory engineFactory, QObject* parent)
    : QObject(parent), playlist_(playlist), songTitle_(songTitle), tips_(tips),
      engineFactory_(std::move(engineFactory)) {}

VideoWindowManager::~VideoWindowManager() {
    delete window_.data();
}

VideoWindow* VideoWindowManager::window() {
    if (!window_) {
        window_ = new VideoWindow(engineFactory_(), playlist_, songTitle_, *this);
        window_->setPanel(panel_);
        connect(window_, &VideoWindow::closedBySystem, this,
                &VideoWindowManager::forgetClosedWindow);
        emit engineCreated(window_->engine());
    }
    return window_;
}

void VideoWindowManager::forgetClosedWindow() {
    // The closed window deletes itself later; from now on the next use
    // gets a new one.
    window_.clear();
}

void VideoWindowManager::setPanel(PanelHost* panel) {
    panel_ = panel;
    if (window_)
        window_->setPanel(panel);
}

VideoMenu& VideoWindowManager::menu() {
    if (!menu_)
        menu_ = std::make_unique<VideoMenu>(*this, tips_);
    return *menu_;
}

MediaEngine& VideoWindowManager::engine() {
    return window()->engine();
}

void VideoWindowManager::showVideoWindow() {
    window()->show();
}

void VideoWindowManager::hideVideoWindow() {
    window()->hide();
}

void VideoWindowManager::popupVideoMenu(QPoint at) {
    menu().popup(at);
}
