#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>

// Finds the cover of the file playing on a thread of its own (finding it
// reads the file) and keeps its URL while that file is the one followed.
// A search that ends after another file has been followed is dropped.
class CoverArtFinder : public QObject {
    Q_OBJECT
  public:
    explicit CoverArtFinder(QString cacheFolder, QObject* parent = nullptr);
    // Waits for a search under way (one file's header) to end.
    ~CoverArtFinder() override;

    // The local file now playing; empty for none (or one that is no local
    // file). Following the same file again changes nothing.
    void follow(const QString& path);
    // The file:// URL of the kept copy of `path`'s cover: empty unless
    // `path` is the file followed, its search has ended and it has one.
    QString artUrl(const QString& path) const;

  signals:
    // The search for the file followed has ended; artUrl() may have one.
    void found();

  private:
    void take(const QString& path, const QString& copy);

    QString cacheFolder_;
    QThread thread_;
    QObject* worker_;
    QString path_;
    QString url_;
    // Bumped by each follow: a search queued before the latest is skipped.
    std::atomic<quint64> latest_{0};
};
