#include "shell/playlist_view.h"

void PlaylistView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    removingRows_ = true;
    QListView::rowsAboutToBeRemoved(parent, start, end);
    removingRows_ = false;
}

QItemSelectionModel::SelectionFlags PlaylistView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    if (removingRows_)
        return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate
                                                           : command;
}
