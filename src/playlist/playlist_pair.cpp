#include "playlist/playlist_pair.h"

PlaylistPair::PlaylistPair(QObject* parent) : QObject(parent) {
    connect(&lstsong, &ListControl::listIndexChanged, this, &PlaylistPair::mirrorSelection);
}

void PlaylistPair::AppendEntry() {
    if (AddName.isEmpty())
        return;
    append(AddTitle, AddPath);
}

bool PlaylistPair::append(const QString& title, const QString& path) {
    if (lstsong.isFull() || temlst.isFull())
        return false;
    lstsong.addItem(title);
    temlst.addItem(path);
    return true;
}

void PlaylistPair::removeAt(int i) {
    lstsong.removeItem(i);
    temlst.removeItem(i);
    // Removing an entry above the selection shifts the title list's index,
    // which the path list follows at once, and then shifts the path list's
    // index again: put it back on the title list's.
    mirrorSelection(lstsong.listIndex());
}

void PlaylistPair::clear() {
    lstsong.clear();
    temlst.clear();
}

void PlaylistPair::mirrorSelection(int index) {
    // A misaligned pair (list files of different lengths) may lack the
    // entry: then the path list simply has no selection.
    if (!temlst.setListIndex(index))
        temlst.setListIndex(-1);
}
