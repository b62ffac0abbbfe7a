#include "playlist/list_control.h"

ListControl::ListControl(QObject* parent) : QAbstractListModel(parent) {}

QString ListControl::text(int i) const {
    return (i >= 0 && i < count()) ? entries_.at(i) : QString();
}

bool ListControl::addItem(const QString& text) {
    if (isFull())
        return false;
    beginInsertRows({}, count(), count());
    entries_.append(text);
    endInsertRows();
    return true;
}

int ListControl::addItems(const QStringList& texts) {
    const int room = MaxEntries - count();
    const int n = std::min<int>(room, static_cast<int>(texts.size()));
    if (n <= 0)
        return 0;
    beginInsertRows({}, count(), count() + n - 1);
    entries_.append(texts.mid(0, n));
    endInsertRows();
    return n;
}

bool ListControl::removeItem(int i) {
    if (i < 0 || i >= count())
        return false;
    beginRemoveRows({}, i, i);
    entries_.removeAt(i);
    endRemoveRows();
    if (i == listIndex_)
        setListIndex(-1);
    else if (i < listIndex_)
        setListIndex(listIndex_ - 1);
    return true;
}

bool ListControl::setText(int i, const QString& text) {
    if (i < 0 || i >= count())
        return false;
    entries_[i] = text;
    const QModelIndex changed = index(i);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
    return true;
}

void ListControl::clear() {
    beginResetModel();
    entries_.clear();
    endResetModel();
    setListIndex(-1);
}

bool ListControl::setListIndex(int i) {
    if (i < -1 || i >= count())
        return false;
    if (i == listIndex_)
        return true;
    listIndex_ = i;
    emit listIndexChanged(i);
    return true;
}

int ListControl::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ListControl::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return entries_.at(index.row());
    return {};
}
