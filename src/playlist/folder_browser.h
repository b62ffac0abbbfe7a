#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a file chooser shows of one folder: its subfolders, then its files
// that match the chosen patterns. Names are listed as the folder holds
// them, bytes that are not UTF-8 escaped (local_names.h), so a file with a
// GBK name is listed and opened like any other; hidden entries are not
// listed. It holds no window.
class FolderBrowser {
  public:
    enum class Shows { FoldersAndFiles, FoldersOnly };
    struct Entry {
        QString name; // as the folder holds it
        bool folder = false;
    };

    explicit FolderBrowser(Shows shows) : shows_(shows) {}

    // Lists `folder` (a path that may come from a list or from typing:
    // ResolveListedPath finds it). False, changing nothing, when it is not
    // a folder.
    bool enter(const QString& folder);
    // The folder above; false at the root.
    bool up();
    // Reads the folder again.
    void refresh();

    // The folder listed, without a trailing separator except for "/".
    QString folder() const { return folder_; }
    const QList<Entry>& entries() const { return entries_; }
    // The full path of an entry of this folder.
    QString pathOf(const QString& name) const;

    // Patterns with the wildcards * and ?, matched in any letter case; no
    // pattern lists every file.
    void setPatterns(const QStringList& patterns);

  private:
    bool matches(const QString& name) const;

    Shows shows_;
    QString folder_;
    QStringList patterns_;
    QList<Entry> entries_;
};

// The patterns of a file filter as a file dialog writes it:
// "音频文件 (*.MP3 *.WAV)" gives {"*.MP3", "*.WAV"}; a text without
// parentheses is itself the patterns.
QStringList FilterPatterns(const QString& filter);
