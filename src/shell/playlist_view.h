#pragma once

#include <QListView>

class Messages;
class PlaylistPair;
class QAction;
class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class QMenu;

// The playlist view `lstsong` and its popup `mnulist`. The playlist decides
// what is selected: the view never picks a neighbour when the selected row
// goes, and neither a Ctrl+click, Ctrl+Space nor a click below the last
// entry takes the selection away. While nothing is selected no row shows
// as current. A row made current by the program (playback moving on) is
// announced to screen readers as focused only while the list has the
// keyboard. Every row is as tall as a line of Chinese text needs,
// whatever the titles. Files dropped on it are appended to the playlist.
class PlaylistView : public QListView {
    Q_OBJECT
  public:
    PlaylistView(PlaylistPair& playlist, Messages& messages, QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // The height of every row for the view's font.
    int rowHeight() const;

    QMenu* mnulist = nullptr;
    QAction* mnuadddir = nullptr;
    QAction* mnuplay = nullptr;
    QAction* mnudel = nullptr;
    QAction* mnuclear = nullptr;

    void lstsong_Click(int row);
    void lstsong_MouseUp(int Button);
    void lstsong_KeyPress(int KeyAscii);
    void mnudel_Click();
    void mnuclear_Click();
    void lstsong_OLEDragOver(QDragMoveEvent* event);
    void lstsong_OLEDragDrop(QDropEvent* event);

    // A drag over the view or its window: offered as a copy when it
    // carries local files.
    static void offerCopy(QDragMoveEvent* event);
    // Appends the dropped files to the playlist.
    void dropFiles(QDropEvent* event);

  signals:
    // A double click, Enter or "l": play the selected entry.
    void lstsong_DblClick();
    // The popup's items the window carries out.
    void mnuadddir_Click();
    void mnuplay_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void changeEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildMenu();
    void showSelectionInView(int row);
    void dropCurrentWithoutSelection();
    void updateRowHeight();
    // Where the keyboard opens the popup, in the viewport.
    QPoint menuPlace() const;

    PlaylistPair& playlist_;
    Messages& messages_;
    bool removingRows_ = false;
};
