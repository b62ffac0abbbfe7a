#pragma once

#include <QAbstractListModel>
#include <QStringList>

// One list control of the playlist: texts in insertion order and a single
// selection (-1 = nothing selected). It is the model behind the visible
// playlist view and, unseen, the path list.
class ListControl : public QAbstractListModel {
    Q_OBJECT
  public:
    // Counts and indices are 16-bit in the list files' world.
    static constexpr int MaxEntries = 32767;

    explicit ListControl(QObject* parent = nullptr);

    int count() const { return static_cast<int>(entries_.size()); }
    bool isFull() const { return count() >= MaxEntries; }
    const QStringList& entries() const { return entries_; }
    // The text of entry i, or the empty string when there is no such entry.
    QString text(int i) const;

    // Appends; refused (false) when the list already holds MaxEntries.
    bool addItem(const QString& text);
    // Appends as many as fit; returns how many were added.
    int addItems(const QStringList& texts);
    bool removeItem(int i);
    bool setText(int i, const QString& text);
    void clear();

    int listIndex() const { return listIndex_; }
    // -1 deselects; an index outside the list is refused (false).
    bool setListIndex(int i);
    // Text of the selected entry; empty when nothing is selected.
    QString selectedText() const { return text(listIndex_); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  signals:
    void listIndexChanged(int index);

  private:
    QStringList entries_;
    int listIndex_ = -1;
};
