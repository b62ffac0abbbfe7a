#include "shell/folder_picker.h"

#include "platform/data_folders.h"
#include "platform/local_names.h"
#include "shared/file_chooser.h"

const QString FolderPrompt = QStringLiteral("请选择含有媒体文件的驱动器或文件夹目录：");

QString BrowseForFolder(QWidget* owner, const QString& prompt) {
    FileChooser dialog(FolderBrowser::Shows::FoldersOnly, owner);
    dialog.setWindowTitle(prompt);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString folder = dialog.chosenPath();
    if (!IsLocalFolder(folder))
        return {};
    return EnsureTrailingSeparator(folder);
}
