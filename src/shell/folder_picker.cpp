#include "shell/folder_picker.h"

#include "platform/data_folders.h"
#include "platform/local_names.h"

#include <QDir>
#include <QFileDialog>

const QString FolderPrompt = QStringLiteral("请选择含有媒体文件的驱动器或文件夹目录：");

QString BrowseForFolder(QWidget* owner, const QString& prompt) {
    QFileDialog dialog(owner, prompt, QDir::homePath());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    const QString folder = RecoverLocalPath(chosen.value(0));
    if (!IsLocalFolder(folder))
        return {};
    return EnsureTrailingSeparator(folder);
}
