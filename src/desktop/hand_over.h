#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class InstanceGuard;
class QLocalSocket;
class QSocketNotifier;

// A second start of the player hands the files it was given to the copy
// already running, through a local socket beside the instance lock.
//
// Every hand-over carries the id of the start that sends it, the same for
// each attempt of that start: a start that gave up waiting for a slow
// answer and tries again gets its files appended once, not twice.

// The socket the running copy listens on, in the lock's folder.
QString HandOverSocketPath(const QString& lockFolder);

// The running copy's side. Listens once the instance lock is ours, so a
// socket left at the name by a crashed copy is stale and is replaced (only
// a socket of this user's: nothing else at that name is removed). Running
// out of file descriptors only pauses the taking of new connections.
class HandOverServer : public QObject {
    Q_OBJECT
  public:
    explicit HandOverServer(QObject* parent = nullptr);
    ~HandOverServer() override;

    bool listen(const QString& socketPath);

  signals:
    // One second start's files, already absolute, in the order given.
    void filesReceived(const QStringList& paths);

  private:
    void stopListening();
    void acceptConnections();
    void pauseAccepting();
    void readFrom(QLocalSocket* socket);
    // False when the start that sent `id` has been served already.
    bool firstFrom(const QByteArray& id);

    int listener_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QString socketPath_;
    quint64 socketInode_ = 0;
    QList<QByteArray> servedStarts_;
};

// The second start's side: hands `paths` to the copy listening on
// `socketPath` and waits for its receipt. A copy that is just starting may
// not listen yet, so the connection is tried again until `timeoutMs` has
// passed. True once the running copy has taken the files.
bool HandFilesToRunningCopy(const QString& socketPath, const QStringList& paths,
                            int timeoutMs = 3000);

// A start with files while a live copy holds `guard`'s lock: hands them to
// that copy, through the socket beside its lock. True when it took them;
// false when there are no files, when the lock is free (it is then ours)
// or when the hand-over failed.
bool HandedToRunningCopy(InstanceGuard& guard, const QStringList& paths);
