// Imports a large folder tree (100,000 files in 5,000 folders, 30,000 of
// them media files) through the real folder scan into the playlist of the
// real main window, and prints:
//   import_s      median wall time of one import
//   find_ratio    that time over `find` listing the same tree
//   max_stall_ms  longest stretch in which the event loop did not run
// and, for the full list (32,767 entries) in the view:
//   view_fill_ms  adding all entries at once
//   view_paint_ms median time to scroll to an entry, select it and repaint
//   delete_first_ms median time of "删除文件" on the first entry, repainted
// Runs offscreen by default (QT_QPA_PLATFORM=offscreen), or on a display.
#include "app/application.h"
#include "playlist/folder_import.h"
#include "playlist/playlist_pair.h"
#include "shell/main_window.h"
#include "shell/playlist_view.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

namespace {

constexpr int TopFolders = 50;
constexpr int SubfoldersEach = 99; // 50 + 50 * 99 = 5,000 folders
constexpr int FilesPerFolder = 20; // 100,000 files
constexpr int Runs = 5;
const char* const Extensions[FilesPerFolder] = {
    "mp3", "wma", "avi", "MP3",  "mpg", "mpeg", // the 6 that match: 30,000
    "jpg", "txt", "wav", "flac", "ogg", "png",  "nfo",
    "cue", "log", "m4a", "mkv",  "doc", "ini",  "wv"};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void FillFolder(const QString& folder) {
    QDir().mkpath(folder);
    for (int f = 0; f < FilesPerFolder; ++f) {
        QFile file(QStringLiteral("%1/曲目 %2.%3").arg(folder).arg(f).arg(Extensions[f]));
        file.open(QIODevice::WriteOnly);
    }
}

void MakeTree(const QString& root) {
    for (int t = 0; t < TopFolders; ++t) {
        const QString top = QStringLiteral("%1/专辑%2").arg(root).arg(t);
        FillFolder(top);
        for (int s = 0; s < SubfoldersEach; ++s)
            FillFolder(QStringLiteral("%1/碟%2").arg(top).arg(s));
    }
}

double FindSeconds(const QString& root) {
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        QProcess find;
        find.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        find.start(QStringLiteral("find"), {root});
        find.waitForFinished(-1);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    return Median(times);
}

// Records the longest gap between two turns of the event loop.
class StallMeter {
  public:
    StallMeter() {
        ticker_.setTimerType(Qt::PreciseTimer);
        ticker_.setInterval(1);
        QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        maxGapNs_ = 0;
        sinceTick_.start();
        ticker_.start();
    }
    double stop() {
        tick();
        ticker_.stop();
        return static_cast<double>(maxGapNs_) / 1e6;
    }

  private:
    void tick() {
        maxGapNs_ = std::max(maxGapNs_, sinceTick_.nsecsElapsed());
        sinceTick_.start();
    }
    QTimer ticker_;
    QElapsedTimer sinceTick_;
    qint64 maxGapNs_ = 0;
};

void BenchImport(PlaylistPair& pair, QListView& view, const QString& root) {
    const double findS = FindSeconds(root);
    std::vector<double> imports;
    double maxStall = 0;
    StallMeter meter;
    for (int run = 0; run < Runs; ++run) {
        pair.clear();
        QApplication::processEvents();
        meter.start();
        QElapsedTimer timer;
        timer.start();
        ScanFolder(root, pair.lstsong, pair.temlst, MediaExtensions);
        imports.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        maxStall = std::max(maxStall, meter.stop());
        if (pair.lstsong.count() != 30000 || pair.temlst.count() != 30000) {
            std::fprintf(stderr, "imported %d entries, expected 30000\n", pair.lstsong.count());
            std::exit(1);
        }
    }
    view.scrollToBottom();
    QApplication::processEvents();
    const double importS = Median(imports);
    std::printf("import_s %.3f\n", importS);
    std::printf("find_ratio %.1f\n", importS / findS);
    std::printf("max_stall_ms %.1f\n", maxStall);
    std::printf("find_s %.3f\n", findS);
}

void BenchFullView(PlaylistPair& pair, QListView& view) {
    pair.clear();
    QStringList titles;
    for (int i = 0; i < ListControl::MaxEntries; ++i)
        titles << QStringLiteral("%1 周杰伦 - 七里香").arg(i);
    QElapsedTimer timer;
    timer.start();
    pair.lstsong.addItems(titles);
    pair.temlst.addItems(titles);
    view.repaint();
    std::printf("view_fill_ms %.2f\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    std::vector<double> paints;
    for (int i = 0; i < 50; ++i) {
        const int row = (i * 7919) % ListControl::MaxEntries;
        timer.start();
        view.scrollTo(pair.lstsong.index(row));
        pair.select(row);
        view.setCurrentIndex(pair.lstsong.index(row));
        view.repaint();
        paints.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("view_paint_ms %.2f\n", Median(paints));
}

void BenchDeleteFirst(PlaylistPair& pair, QListView& view, MainWindow& window) {
    std::vector<double> deletes;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        pair.select(0);
        window.lstsong->mnudel_Click();
        view.repaint();
        deletes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("delete_first_ms %.2f\n", Median(deletes));
}

// The player itself, started in its own temporary folders (tips off).
std::unique_ptr<Application> StartPlayer(const QString& root) {
    AppEnvironment env = AppEnvironment::forThisProgram();
    env.programFolder = root + QStringLiteral("/program");
    env.settingsFolder = root + QStringLiteral("/config");
    env.lockFolder = root + QStringLiteral("/run");
    env.appName = QStringLiteral("sonvela");
    env.endProcess = [] {};
    SettingsStore(env.settingsFolder)
        .write(env.appName, QStringLiteral("Options"), QStringLiteral("Show Tips at startup"),
               QStringLiteral("0"));
    auto player = std::make_unique<Application>(std::move(env));
    if (!player->Form_Load())
        std::exit(1);
    return player;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QTemporaryDir temp;
    const QString root = temp.filePath(QStringLiteral("媒体"));
    MakeTree(root);

    std::unique_ptr<Application> player = StartPlayer(temp.path());
    PlaylistPair& pair = player->playlist();
    QListView& view = *player->mainWindow().lstsong;
    QApplication::processEvents();

    BenchImport(pair, view, root);
    BenchFullView(pair, view);
    BenchDeleteFirst(pair, view, player->mainWindow());
    return 0;
}
