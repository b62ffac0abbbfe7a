#pragma once

#include <QString>

// Where the player keeps its files. Run from a folder it can write (a
// build folder, an unpacked copy), everything stays beside the executable.
// Installed where it cannot write (/usr/bin, /usr/local/bin), the list
// files and the VCD playlist go to the user's data folder and the tips
// file is read from the install's share/sonvela.
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
