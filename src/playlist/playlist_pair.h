#pragma once

#include "playlist/list_control.h"

#include <QObject>
#include <QString>

// The playlist: titles (`lstsong`, shown) and full paths (`temlst`, never
// shown), index-aligned. Every add, remove and clear touches both lists,
// titles first. A selection made on `lstsong` is mirrored into `temlst`, so
// the selected path always belongs to the selected title.
class PlaylistPair : public QObject {
    Q_OBJECT
  public:
    explicit PlaylistPair(QObject* parent = nullptr);

    ListControl lstsong;
    ListControl temlst;

    // Staging for AppendEntry: callers fill these, then call AppendEntry.
    QString AddName;
    QString AddPath;
    QString AddTitle;

    // Appends AddTitle and AddPath unless AddName is empty.
    void AppendEntry();
    // Appends one title and its path; refused (false) when either list is
    // full, so the pair never goes out of step through a cap.
    bool append(const QString& title, const QString& path);
    // Removes entry i from both lists (only from those that have it).
    void removeAt(int i);
    void clear();

    int selectedIndex() const { return lstsong.listIndex(); }
    QString selectedTitle() const { return lstsong.selectedText(); }
    QString selectedPath() const { return temlst.selectedText(); }
    // Selects entry i of lstsong (-1 deselects); temlst follows.
    bool select(int i) { return lstsong.setListIndex(i); }

  private:
    // lstsong_Click: keep the path list on the title list's index.
    void mirrorSelection(int index);
};
