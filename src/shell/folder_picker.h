#pragma once

#include <QString>

class QWidget;

// The prompt of the folder picker.
extern const QString FolderPrompt;

// A modal folder picker owned by `owner`, titled `prompt`, folders only.
// Returns the chosen folder ending in "/", or "" when cancelled.
QString BrowseForFolder(QWidget* owner, const QString& prompt);
