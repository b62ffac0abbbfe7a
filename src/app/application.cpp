#include "app/application.h"

#include "app/desktop_integration.h"
#include "app/shutdown.h"
#include "desktop/hand_over.h"
#include "desktop/opened_files.h"
#include "engine/mpv_engine.h"
#include "platform/data_folders.h"
#include "platform/linux_drive_probe.h"
#include "playback/control_panel.h"
#include "playlist/list_file.h"
#include "shell/main_window.h"
#include "shell/properties_sheet.h"
#include "tips/tips_manager.h"
#include "ui/widget_helpers.h"
#include "video/video_window_manager.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScrollBar>

namespace {
const QString ProductTitle = QStringLiteral("Sonvela");
const QString AlreadyRunning = QStringLiteral("程序已经运行，不能再装载！");
} // namespace

AppEnvironment AppEnvironment::forThisProgram() {
    AppEnvironment env;
    const DataFolders folders = DataFoldersForThisProgram();
    env.programFolder = folders.lists;
    env.tipsFolder = folders.tips;
    env.settingsFolder = SettingsStore::defaultFolder();
    env.lockFolder = InstanceGuard::runtimeFolder();
    env.lockFallbackFolder = InstanceGuard::fallbackFolder();
    env.appName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    env.engineFactory = [] { return std::make_unique<MpvEngine>(MpvEngineOptions{}); };
    env.drives = std::make_unique<LinuxOpticalDriveProbe>();
    env.messages = std::make_unique<QtMessages>();
    env.endProcess = &Shutdown::endProcessNow;
    return env;
}

Application::Application(AppEnvironment environment)
    : env_(std::move(environment)), settings_(env_.settingsFolder),
      guard_(env_.lockFolder, env_.lockFallbackFolder) {
    if (env_.tipsFolder.isEmpty())
        env_.tipsFolder = env_.programFolder;
    tips_ = std::make_unique<TipsManager>(settings_, env_.appName, env_.tipsFolder);
    video_ = std::make_unique<VideoWindowManager>(playlist_, songTitle_, *tips_,
                                                  reportingStateChanges(env_.engineFactory));
    mainWindow_ = std::make_unique<MainWindow>(
        MainWindowDeps{playlist_, songTitle_, *video_, *tips_, *env_.messages, *env_.drives,
                       env_.programFolder, [this] { closeProgram(); }, [this] { exitProgram(); }});
    // A video window closed by the system comes back with a new engine,
    // which must play at the level the bars show, not at full level.
    QObject::connect(video_.get(), &VideoWindowManager::engineCreated, mainWindow_->frm,
                     &ControlPanel::applySoundTo);
    QObject::connect(video_.get(), &VideoWindowManager::engineCreated, mainWindow_->frm,
                     &ControlPanel::followEngine);
    QObject::connect(video_.get(), &VideoWindowManager::engineCreated, mainWindow_->properties,
                     &PropertiesSheet::follow);
    tips_->setOwner(mainWindow_.get());
    video_->setPanel(mainWindow_->frm);
    if (auto* boxes = dynamic_cast<QtMessages*>(env_.messages.get()))
        boxes->setParent(mainWindow_.get());
    desktop_ = std::make_unique<DesktopIntegration>(*this);
}

Application::EngineFactory Application::reportingStateChanges(EngineFactory factory) {
    // The video window makes a new engine each time it is created again.
    return [this, factory = std::move(factory)] {
        std::unique_ptr<MediaEngine> engine = factory();
        const auto refresh = [this] {
            if (desktop_)
                desktop_->refresh();
        };
        QObject::connect(engine.get(), &MediaEngine::playbackStateChanged, engine.get(), refresh);
        QObject::connect(engine.get(), &MediaEngine::durationKnown, engine.get(), refresh);
        QObject::connect(engine.get(), &MediaEngine::mediaInfoChanged, engine.get(), refresh);
        return engine;
    };
}

Application::~Application() = default;

bool Application::Form_Load() {
    if (handedToRunningCopy()) {
        env_.endProcess();
        return false;
    }
    openTipsIfWanted();
    songTitle_.setText(ProductTitle);
    if (!guard_.acquire()) {
        env_.messages->warning(NoticeTitle, AlreadyRunning);
        env_.endProcess();
        return false;
    }
    desktop_->listenForSecondStarts(guard_.folder());
    // Placed where a user looks first; a tip of the day opened in step 1
    // stays on top of it.
    Widgets::centerOnScreen(mainWindow_.get());
    mainWindow_->show();
    tips_->keepAboveOwner();
    video_->window();
    mainWindow_->addTrayIcon();
    loadLists();
    playlist_.lstsong.setListIndex(0);
    playlist_.temlst.setListIndex(0);
    mainWindow_->frm->HScroll1->setValue(1700);
    handFirstEntryToEngine();
    desktop_->start();
    desktop_->openFiles(env_.filesToOpen);
    return true;
}

bool Application::handedToRunningCopy() {
    return HandedToRunningCopy(guard_, env_.filesToOpen);
}

void Application::openTipsIfWanted() {
    const QString wanted =
        settings_.read(env_.appName, QStringLiteral("Options"),
                       QStringLiteral("Show Tips at startup"), QStringLiteral("1"));
    // A value that is not a number counts as 0: no dialog, start-up goes on.
    if (wanted.trimmed().toInt() == 1)
        tips_->openTips();
}

void Application::loadLists() {
    FinishInterruptedSave(env_.programFolder);
    List_Load(playlist_.lstsong, ProgramFile(env_.programFolder, TitlesListName));
    List_Load(playlist_.temlst, ProgramFile(env_.programFolder, PathsListName));
}

void Application::handFirstEntryToEngine() {
    const QString title = playlist_.selectedTitle();
    if (title.isEmpty())
        return;
    video_->engine().setFileName(playlist_.selectedPath());
    songTitle_.setText(title);
}

void Application::closeProgram() {
    Shutdown::closeButton(
        playlist_, env_.programFolder, [this] { mainWindow_->removeTrayIcon(); }, env_.endProcess);
}

void Application::exitProgram() {
    Shutdown::exitNow(env_.endProcess);
}
