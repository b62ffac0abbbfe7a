#include "shell/playlist_view.h"

#include "playlist/drop.h"
#include "playlist/paths.h"
#include "playlist/playlist_pair.h"
#include "ui/input_codes.h"
#include "ui/messages.h"
#include "ui/widget_helpers.h"

#include <QAction>
#include <QCursor>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTimer>

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
constexpr int KeyEnter = 13;
constexpr int KeyLowerL = 108;

} // namespace

PlaylistView::PlaylistView(PlaylistPair& playlist, Messages& messages, QWidget* parent)
    : QListView(parent), playlist_(playlist), messages_(messages) {
    setObjectName(QStringLiteral("lstsong"));
    setAccessibleName(QStringLiteral("播放列表"));
    setItemDelegate(new FixedRowDelegate(this));
    setUniformItemSizes(true);
    updateRowHeight();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    installEventFilter(this);
    viewport()->installEventFilter(this);
    buildMenu();

    setModel(&playlist_.lstsong);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = selectionModel()->selectedRows();
        lstsong_Click(rows.isEmpty() ? -1 : rows.first().row());
    });
    connect(&playlist_.lstsong, &ListControl::listIndexChanged, this,
            &PlaylistView::showSelectionInView);
    connect(this, &QListView::doubleClicked, this, &PlaylistView::lstsong_DblClick);
    showSelectionInView(playlist_.selectedIndex());
}

void PlaylistView::buildMenu() {
    mnulist = new QMenu(this);
    mnulist->setObjectName(QStringLiteral("mnulist"));
    const auto addItem = [this](const char* name, const QString& caption, auto handler) {
        QAction* action = mnulist->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    mnuadddir = addItem("mnuadddir", QStringLiteral("添加文件夹"), &PlaylistView::mnuadddir_Click);
    mnuplay = addItem("mnuplay", QStringLiteral("播放文件"), &PlaylistView::mnuplay_Click);
    mnudel = addItem("mnudel", QStringLiteral("删除文件"), &PlaylistView::mnudel_Click);
    mnuclear = addItem("mnuclear", QStringLiteral("清空列表"), &PlaylistView::mnuclear_Click);
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

void PlaylistView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The list view tells screen readers its new row has the focus, even
    // when the keyboard is elsewhere: a reader would follow it away from
    // the control the user is on. Only the list that has the keyboard says so.
    if (hasFocus())
        QListView::currentChanged(current, previous);
    else
        QAbstractItemView::currentChanged(current, previous);
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

// ---- Selection, popup and keys ----

void PlaylistView::lstsong_Click(int row) {
    // Selecting a title selects its path too (the pair mirrors it).
    playlist_.select(row);
}

void PlaylistView::showSelectionInView(int row) {
    if (row < 0) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = playlist_.lstsong.index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void PlaylistView::lstsong_MouseUp(int Button) {
    if (Button == 2)
        mnulist->exec(QCursor::pos());
}

// Keys added for those who work without a mouse: the Menu key and
// Shift+F10 open the popup at the selected entry (or the list's middle),
// Delete runs the popup's delete item.
void PlaylistView::keyPressEvent(QKeyEvent* event) {
    if (opensPopupMenu(event->key(), shiftCode(event->modifiers()))) {
        event->accept();
        mnulist->exec(viewport()->mapToGlobal(menuPlace()));
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        event->accept();
        mnudel_Click();
        return;
    }
    QListView::keyPressEvent(event);
}

QPoint PlaylistView::menuPlace() const {
    const int row = playlist_.selectedIndex();
    const QRect entry = row < 0 ? QRect() : visualRect(playlist_.lstsong.index(row));
    return viewport()->rect().intersects(entry) ? entry.center() : viewport()->rect().center();
}

void PlaylistView::lstsong_KeyPress(int KeyAscii) {
    if (KeyAscii == KeyEnter || KeyAscii == KeyLowerL)
        emit lstsong_DblClick();
}

void PlaylistView::mnudel_Click() {
    const int i = playlist_.selectedIndex();
    if (i == -1) {
        messages_.warning(NoticeTitle, QStringLiteral("请先选定媒体文件，然后删除！"));
        return;
    }
    playlist_.temlst.setListIndex(i);
    // Removing the selected entry leaves both lists without a selection.
    playlist_.removeAt(i);
}

void PlaylistView::mnuclear_Click() {
    playlist_.clear();
}

// ---- Drag and drop ----

void PlaylistView::offerCopy(QDragMoveEvent* event) {
    if (!AcceptsDrop(event->mimeData(), event->possibleActions())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PlaylistView::dropFiles(QDropEvent* event) {
    if (!AcceptsDrop(event->mimeData(), event->possibleActions())) {
        event->ignore();
        return;
    }
    QStringList paths = DroppedPaths(event->mimeData());
    const QStringList refused = TakeUnfitPaths(paths);
    DropFiles(playlist_, paths);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Once the drag has ended: its source waits for the drop to finish.
    if (!refused.isEmpty())
        QTimer::singleShot(
            0, this, [this, refused] { messages_.warning(NoticeTitle, UnfitPathsText(refused)); });
}

void PlaylistView::lstsong_OLEDragOver(QDragMoveEvent* event) {
    offerCopy(event);
}

void PlaylistView::lstsong_OLEDragDrop(QDropEvent* event) {
    dropFiles(event);
}

bool PlaylistView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && watched != viewport())
        return QListView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The right button leaves the selection alone, so the popup's items
        // act on the entry selected before.
        return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    case QEvent::MouseButtonRelease: {
        const int button = buttonCode(static_cast<QMouseEvent*>(event)->button());
        if (button != 2)
            return false;
        lstsong_MouseUp(button);
        return true;
    }
    case QEvent::KeyPress: {
        // The list still handles the key itself afterwards.
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1)
            lstsong_KeyPress(typed.at(0).unicode());
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
        lstsong_OLEDragOver(static_cast<QDragMoveEvent*>(event));
        return true;
    case QEvent::Drop:
        lstsong_OLEDragDrop(static_cast<QDropEvent*>(event));
        return true;
    default:
        return false;
    }
}
