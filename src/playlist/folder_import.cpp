#include "playlist/folder_import.h"

#include "platform/data_folders.h"
#include "platform/local_names.h"
#include "playlist/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>

const QString MediaExtensions = QStringLiteral("mp3 mp2 avi mpg rmi mpeg wma");

namespace {

// Appends matches to both lists. Matches are held back only between two
// yields, so whatever runs during a yield sees every match found so far,
// and an append always reaches both lists or neither.
class PairedAppender {
  public:
    PairedAppender(ListControl& titles, ListControl& paths) : titles_(&titles), paths_(&paths) {}

    void add(const QString& title, const QString& path) {
        pendingTitles_.append(title);
        pendingPaths_.append(path);
    }

    // False once either list is full or destroyed: nothing more can go in.
    bool flush() {
        if (!titles_ || !paths_)
            return false;
        const int room = std::min(ListControl::MaxEntries - titles_->count(),
                                  ListControl::MaxEntries - paths_->count());
        const int n = std::min<int>(room, static_cast<int>(pendingTitles_.size()));
        if (n > 0) {
            titles_->addItems(pendingTitles_.mid(0, n));
            // A view's slot may have destroyed the path list meanwhile.
            if (paths_)
                paths_->addItems(pendingPaths_.mid(0, n));
        }
        pendingTitles_.clear();
        pendingPaths_.clear();
        return room > n;
    }

  private:
    QPointer<ListControl> titles_;
    QPointer<ListControl> paths_;
    QStringList pendingTitles_;
    QStringList pendingPaths_;
};

// Lets the event loop run while the scan goes on. Handing control over at
// every single entry makes a large import a hundred times slower (each turn
// repaints the list), so the loop runs once a time slice has passed: often
// enough that the window paints and answers without a visible pause.
class Yielder {
  public:
    Yielder(PairedAppender& appender, int sliceMs) : appender_(appender), sliceMs_(sliceMs) {
        sinceYield_.start();
    }

    // Called for every folder listed and every entry; false when the scan
    // should stop.
    bool step() {
        if (sinceYield_.elapsed() < sliceMs_)
            return true;
        if (!appender_.flush())
            return false;
        QCoreApplication::processEvents();
        sinceYield_.start();
        return true;
    }

  private:
    PairedAppender& appender_;
    const int sliceMs_;
    QElapsedTimer sinceYield_;
};

bool IsMatch(const QString& name, const QString& upperExtensions) {
    return upperExtensions.contains(FileExtension(name).toUpper());
}

// Folder phase: every visible folder under root, breadth first. Linked
// folders are not entered, so a link loop cannot fill the list.
bool CollectFolders(QStringList& folders, QStringList& refused, Yielder& yielder) {
    for (qsizetype i = 0; i < folders.size(); ++i) {
        if (!yielder.step())
            return false;
        const QStringList names = ListFolder(folders.at(i), FolderEntries::RealFolders);
        for (const QString& name : names) {
            if (!yielder.step())
                return false;
            const QString folder = folders.at(i) + name + u'/';
            (FitsListFile(name) ? folders : refused).append(folder);
        }
    }
    return true;
}

// File phase: the matching ordinary files of each folder, in folder order.
void CollectFiles(const QStringList& folders, const QString& upperExtensions,
                  PairedAppender& appender, QStringList& refused, Yielder& yielder) {
    for (const QString& folder : folders) {
        if (!yielder.step())
            return;
        const QStringList names = ListFolder(folder, FolderEntries::Files);
        for (const QString& name : names) {
            if (!yielder.step())
                return;
            if (!IsMatch(name, upperExtensions))
                continue;
            if (FitsListFile(name))
                appender.add(MakeTitle(StripExtension(name)), folder + name);
            else
                refused.append(folder + name);
        }
    }
}

} // namespace

QStringList ScanFolder(const QString& path, ListControl& titles, ListControl& paths,
                       const QString& extensions, int yieldSliceMs) {
    const QString root = EnsureTrailingSeparator(path);
    if (root.isEmpty())
        return {};
    if (!FitsListFile(root))
        return {root};
    QStringList refused;
    PairedAppender appender(titles, paths);
    Yielder yielder(appender, yieldSliceMs);
    QStringList folders{root};
    if (!CollectFolders(folders, refused, yielder))
        return refused;
    CollectFiles(folders, extensions.toUpper(), appender, refused, yielder);
    appender.flush();
    return refused;
}
