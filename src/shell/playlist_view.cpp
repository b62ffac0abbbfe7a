#include "shell/playlist_view.h"

#include "ui/widget_helpers.h"

#include <QEvent>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>

namespace {

// Rows of one height: a view with uniform sizes would otherwise take it
// from whichever entry it measured, and a Latin title makes Chinese ones
// lose their tops and bottoms.
class FixedRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int height = 0;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(height);
        return size;
    }
};

// Text that needs the full height of the fonts a title can draw from:
// Chinese, Latin capitals and descenders.
const QString TallestLine = QStringLiteral("播放列表Ég_");
constexpr int RowPaddingPx = 2;

} // namespace

PlaylistView::PlaylistView(QWidget* parent) : QListView(parent) {
    setItemDelegate(new FixedRowDelegate(this));
    setUniformItemSizes(true);
    updateRowHeight();
}

void PlaylistView::setModel(QAbstractItemModel* model) {
    QListView::setModel(model);
    // The selection model picks a neighbour as current when rows go.
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            &PlaylistView::dropCurrentWithoutSelection);
    connect(model, &QAbstractItemModel::modelReset, this,
            &PlaylistView::dropCurrentWithoutSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PlaylistView::dropCurrentWithoutSelection);
}

int PlaylistView::rowHeight() const {
    return static_cast<const FixedRowDelegate*>(itemDelegate())->height;
}

void PlaylistView::updateRowHeight() {
    auto* delegate = static_cast<FixedRowDelegate*>(itemDelegate());
    delegate->height = Widgets::textSize(font(), TallestLine).height() + RowPaddingPx;
    scheduleDelayedItemsLayout();
}

void PlaylistView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        updateRowHeight();
    QListView::changeEvent(event);
}

void PlaylistView::dropCurrentWithoutSelection() {
    if (selectionModel() && !selectionModel()->hasSelection())
        selectionModel()->clearCurrentIndex();
}

void PlaylistView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    removingRows_ = true;
    QListView::rowsAboutToBeRemoved(parent, start, end);
    removingRows_ = false;
}

QItemSelectionModel::SelectionFlags PlaylistView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    // A press on no entry, or a deselecting command, leaves the selection
    // as it was.
    if (removingRows_ || !index.isValid())
        return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate
                                                           : command;
}
