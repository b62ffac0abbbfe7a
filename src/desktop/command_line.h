#pragma once

#include <QString>
#include <QStringList>

// What a start of `sonvela` makes of its arguments (those after the
// program's name). Files and folders to add and play, as a file manager's
// "Open with" passes them; besides them only --help, -h and --version.
// An argument that starts with a dash is an option, except a lone "-" and
// everything after "--".
struct CommandLine {
    // True when the start only prints and ends, with `exitStatus`: it then
    // hands nothing to a running copy and does not run the player.
    bool answered = false;
    int exitStatus = 0;
    QString standardOutput;
    QString standardError;
    // The files and folders as absolute paths (see AbsoluteFilePaths).
    QStringList files;
};

// The version this build was made as (the project's version in CMake).
QString ProgramVersion();

// `workingFolder` is the folder the start came from. An unknown option
// refuses the whole start (exit status 2), also when --help or --version
// is given too; otherwise the first of --help and --version answers.
CommandLine ParseCommandLine(const QStringList& arguments, const QString& workingFolder);

// The arguments, files to play, as absolute paths, resolved against
// `workingFolder`, with trailing separators taken off as a drop takes them
// off. Empty arguments are dropped.
QStringList AbsoluteFilePaths(const QStringList& arguments, const QString& workingFolder);
