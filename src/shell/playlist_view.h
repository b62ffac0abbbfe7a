#pragma once

#include <QListView>

// The playlist view `lstsong`. The playlist decides what is selected: the
// view never picks a neighbour when the selected row goes, and neither a
// Ctrl+click, Ctrl+Space nor a click below the last entry takes the
// selection away. While nothing is selected no row shows as current. Every
// row is as tall as a line of Chinese text needs, whatever the titles.
class PlaylistView : public QListView {
  public:
    explicit PlaylistView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // The height of every row for the view's font.
    int rowHeight() const;

  protected:
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void changeEvent(QEvent* event) override;

  private:
    void dropCurrentWithoutSelection();
    void updateRowHeight();

    bool removingRows_ = false;
};
