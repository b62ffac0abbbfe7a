// Loads and saves a full pair of list files (32,767 entries, Chinese titles,
// long paths) through the real list-file code, then starts the player on
// such lists until its main window has painted, and prints the medians.
// Needs a display (run it under xvfb-run) or QT_QPA_PLATFORM=offscreen.
#include "app/application.h"
#include "playlist/list_file.h"
#include "playlist/playlist_pair.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <clocale>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 15;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void FillPair(PlaylistPair& pair) {
    QStringList titles;
    QStringList paths;
    for (int i = 0; i < ListControl::MaxEntries; ++i) {
        const QString title =
            QStringLiteral("%1 周杰伦 - 七里香（现场版）第%2首").arg(i).arg(i % 97);
        titles << title;
        paths << QStringLiteral("/home/听众/音乐/华语流行/2004 年精选合辑/第 %1 张光盘/%2.mp3")
                     .arg(i / 500)
                     .arg(title);
    }
    pair.lstsong.addItems(titles);
    pair.temlst.addItems(paths);
}

// Sees the first paint of the main window.
class FirstPaint : public QObject {
  public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// One start-up of the real player (libmpv engine, tips dialog on as on a
// first run) in `root`, whose program folder holds the list files; from
// building the player to its main window's first paint.
double StartupMs(const QString& root) {
    QElapsedTimer timer;
    timer.start();
    AppEnvironment env = AppEnvironment::forThisProgram();
    env.programFolder = root + QStringLiteral("/program");
    env.settingsFolder = root + QStringLiteral("/config");
    env.lockFolder = root + QStringLiteral("/run");
    env.endProcess = [] {};
    Application player(std::move(env));
    FirstPaint firstPaint;
    player.mainWindow().installEventFilter(&firstPaint);
    if (!player.Form_Load())
        return -1;
    while (!firstPaint.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double TimeMs(const auto& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("program"));
    QDir().mkpath(folder);
    PlaylistPair source;
    FillPair(source);
    SaveLists(source, folder);

    std::vector<double> loads;
    std::vector<double> saves;
    for (int run = 0; run < Runs; ++run) {
        PlaylistPair loaded;
        loads.push_back(TimeMs([&] {
            List_Load(loaded.lstsong, folder + QStringLiteral("/load.lwo"));
            List_Load(loaded.temlst, folder + QStringLiteral("/load1.lwo"));
        }));
        if (loaded.lstsong.entries() != source.lstsong.entries() ||
            loaded.temlst.entries() != source.temlst.entries()) {
            std::fprintf(stderr, "round trip changed the lists\n");
            return 1;
        }
        saves.push_back(TimeMs([&] { SaveLists(loaded, folder); }));
    }
    std::printf("load_ms %.2f\n", Median(loads));
    std::printf("save_ms %.2f\n", Median(saves));

    std::vector<double> startups;
    for (int run = 0; run < 7; ++run)
        startups.push_back(StartupMs(root.path()));
    std::printf("startup_ms %.2f\n", Median(startups));
    return 0;
}
