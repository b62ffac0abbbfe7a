#include "video/video_menu.h"

#include "engine/media_engine.h"
#include "shared/tips_host.h"
#include "shared/video_host.h"

#include <QMenu>

VideoMenu::VideoMenu(VideoHost& video, TipsHost& tips, QWidget* parent)
    : QWidget(parent), video_(video), tips_(tips), mnuplay_(new QMenu(this)) {
    setObjectName(QStringLiteral("frmmnu"));
    mnuplay_->setObjectName(QStringLiteral("mnuplay"));
    addItem("mnuFullscreen", QStringLiteral("全屏播放"), &VideoMenu::mnuFullscreen_Click);
    addItem("mnuRestore", QStringLiteral("恢复视窗"), &VideoMenu::mnuRestore_Click);
    addItem("mnuoption", QStringLiteral("属性设置"), nullptr)->setVisible(false);
    addSeparator("mnuLineadg");
    addItem("mnuhelp", QStringLiteral("帮助"), &VideoMenu::mnuhelp_Click);
    addSeparator("mnuLinekkadg");
    addItem("mnuClose", QStringLiteral("关闭"), &VideoMenu::mnuClose_Click);
}

QAction* VideoMenu::addItem(const char* name, const QString& caption,
                            void (VideoMenu::*handler)()) {
    QAction* item = mnuplay_->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    if (handler)
        connect(item, &QAction::triggered, this, handler);
    return item;
}

void VideoMenu::addSeparator(const char* name) {
    mnuplay_->addSeparator()->setObjectName(QString::fromLatin1(name));
}

void VideoMenu::popup(QPoint at) {
    // The chosen action is triggered inside exec(), before it returns.
    mnuplay_->exec(at);
}

// The menu expects nothing back: a display size the engine refuses (nothing
// open, say) simply leaves the picture where it is.
void VideoMenu::mnuFullscreen_Click() {
    video_.engine().setDisplaySize(FullScreen);
}

void VideoMenu::mnuRestore_Click() {
    video_.engine().setDisplaySize(ClipSize);
}

void VideoMenu::mnuhelp_Click() {
    tips_.openTips();
}

void VideoMenu::mnuClose_Click() {
    video_.hideVideoWindow();
}
