#pragma once

#include <QString>

// Where the player keeps its files. Installed (the executable in
// <prefix>/bin beside <prefix>/share/sonvela or <prefix>/lib/sonvela), the
// list files and the VCD playlist go to the user's data folder and the tips
// file is read from the install's share/sonvela, whether or not the user
// can write to the install. Run from any other folder (a build folder, an
// unpacked copy), everything stays beside the executable; only where that
// folder cannot be written do the lists go to the user's data folder.
struct DataFolders {
    // load.lwo, load1.lwo and mirelle.m3u.
    QString lists;
    // File.Lwo.
    QString tips;
};

// `userDataFolder` is $XDG_DATA_HOME/sonvela; it is created when chosen.
DataFolders ChooseDataFolders(const QString& programFolder, bool programFolderWritable,
                              const QString& userDataFolder);

// The folders of this process: its executable's folder, and the per-user
// data folder Qt reports.
DataFolders DataFoldersForThisProgram();

// `path` ending in "/"; the empty string stays empty.
QString EnsureTrailingSeparator(const QString& path);

// A file of a data folder: folder + "/" + name.
QString ProgramFile(const QString& folder, const QString& name);
