// Loads and saves a full pair of list files (32,767 entries, Chinese titles,
// long paths) through the real list-file code and prints the medians.
#include "playlist/list_file.h"
#include "playlist/playlist_pair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

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

double TimeMs(const auto& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    PlaylistPair source;
    FillPair(source);
    SaveLists(source, folder.path());

    std::vector<double> loads;
    std::vector<double> saves;
    for (int run = 0; run < Runs; ++run) {
        PlaylistPair loaded;
        loads.push_back(TimeMs([&] {
            List_Load(loaded.lstsong, folder.filePath(QStringLiteral("load.lwo")));
            List_Load(loaded.temlst, folder.filePath(QStringLiteral("load1.lwo")));
        }));
        if (loaded.lstsong.entries() != source.lstsong.entries() ||
            loaded.temlst.entries() != source.temlst.entries()) {
            std::fprintf(stderr, "round trip changed the lists\n");
            return 1;
        }
        saves.push_back(TimeMs([&] { SaveLists(loaded, folder.path()); }));
    }
    std::printf("load_ms %.2f\n", Median(loads));
    std::printf("save_ms %.2f\n", Median(saves));
    // startup_ms: measured by the application start-up benchmark (to come).
    return 0;
}
