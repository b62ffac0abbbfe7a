#pragma once

#include <QListView>

// The playlist view `lstsong`. A single-selection view normally selects a
// neighbour when the selected row is removed; here the playlist decides
// what is selected, and after a delete that is nothing. Nor does a
// Ctrl+click or Ctrl+Space take the selection away: only a delete or a
// clear does.
class PlaylistView : public QListView {
  public:
    using QListView::QListView;

  protected:
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

  private:
    bool removingRows_ = false;
};
