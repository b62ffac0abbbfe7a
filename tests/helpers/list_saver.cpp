// Saves a playlist pair the way the close button does, for the tests that
// kill a save part-way or run it under a file-size limit.
//   list_saver FOLDER GENERATION COUNT [FILE_SIZE_LIMIT]
// Entry i is titled "<generation>-<i>" with the path "/<generation>/<i>".
// Prints "saving" just before the save starts; exits 0 after it.
#include "platform/file_commit.h"
#include "playlist/list_file.h"

#include <QCoreApplication>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    FileCommit::ignoreFileSizeSignal();
    if (args.size() > 4) {
        const rlimit limit{args.at(4).toULongLong(), RLIM_INFINITY};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
    }
    const QString generation = args.at(2);
    const int count = args.at(3).toInt();
    PlaylistPair pair;
    for (int i = 0; i < count; ++i)
        pair.append(QStringLiteral("%1-%2").arg(generation).arg(i),
                    QStringLiteral("/%1/%2").arg(generation).arg(i));
    std::fputs("saving\n", stdout);
    std::fflush(stdout);
    SaveLists(pair, args.at(1));
    return 0;
}
