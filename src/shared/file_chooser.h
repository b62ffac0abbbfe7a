#pragma once

#include "playlist/folder_browser.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// The player's modal file and folder chooser. Qt's own file dialog leaves
// out every name that is not UTF-8 (it cannot stat what it decoded), so an
// archive of GBK-named songs would look empty; this one lists folders
// byte for byte (FolderBrowser) and shows such names as GB18030 text.
//
// A double click or Enter on a folder opens it; on a file it chooses it.
// The location line takes a typed folder or file. The accept button opens
// the selected folder or chooses the selected file; in folder mode it
// chooses the selected folder, or the folder shown.
class FileChooser : public QDialog {
    Q_OBJECT
  public:
    FileChooser(FolderBrowser::Shows shows, QWidget* parent = nullptr);

    // The filters, in the form "音频文件 (*.MP3 *.WAV)"; the first is chosen.
    void setNameFilters(const QStringList& filters);
    QStringList nameFilters() const { return filters_; }
    void selectNameFilter(const QString& filter);
    bool setFolder(const QString& folder);
    QString folder() const { return browser_.folder(); }
    // What the user chose once accepted: a file, or a folder; "" else.
    QString chosenPath() const { return chosen_; }

    // The rows as the user sees them, in order.
    QStringList shownNames() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showFolder();
    void openItem(QListWidgetItem* item);
    void takeTypedPath();
    // The accept button.
    void choose();
    void finishWith(const QString& path);

    FolderBrowser browser_;
    const bool choosesFiles_;
    QStringList filters_;
    QString chosen_;
    QLineEdit* pathLine_;
    QListWidget* list_;
    QComboBox* filterBox_;
    QDialogButtonBox* buttons_;
};
