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
// already running, through a local socket beside the instance lock. A
// start with no files hands over an empty list: the running copy then
// shows its windows.
//
// The names travel as their bytes (UTF-8, and a name's bytes that are not
// UTF-8 as they are), in parts of about a megabyte, all on one connection.
// Every part carries the id of the start that sends it, the same for each
// attempt of that start, its index and the number of parts: the running
// copy takes each part once and in order, also when a start that was cut
// short tries again, and opens the files once the last part is in.

// The socket the running copy listens on, in the lock's folder.
QString HandOverSocketPath(const QString& lockFolder);

// One part as it travels.
struct HandOverPart {
    QByteArray start; // the id of the start that sent it
    quint32 index = 0;
    quint32 count = 1;
    QStringList paths;
};

// What a start writes: every part of `paths`, in order, each framed by its
// length. A hand-over has at least one part.
QByteArray HandOverMessage(const QByteArray& start, const QStringList& paths);

// Puts parts from any number of connections back together. Each part is
// taken once, in order; a start's list is complete with its last part.
class HandOverAssembly {
  public:
    // False when the part cannot belong to a well-formed hand-over (it
    // skips a part, or disagrees on the count); the connection that sent
    // it is then dropped. A part taken before is ignored.
    bool add(HandOverPart part);
    // The lists completed since the last call, oldest first.
    QList<QStringList> takeCompleted();

  private:
    struct Pending {
        QByteArray start;
        quint32 next = 0;
        quint32 count = 0;
        QStringList paths;
    };
    QList<Pending> pending_;
    QList<QByteArray> servedStarts_;
    QList<QStringList> completed_;
};

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
    // Refuses further hand-overs and removes the socket (the process is
    // about to end: what a start wrote now would never be read).
    void stopListening();

  signals:
    // One second start's files, already absolute, in the order given;
    // empty when the start had none.
    void filesReceived(const QStringList& paths);

  private:
    void acceptConnections();
    void pauseAccepting();
    void readFrom(QLocalSocket* socket);

    int listener_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QString socketPath_;
    quint64 socketInode_ = 0;
    HandOverAssembly assembly_;
};

// The second start's side: hands `paths` to the copy listening on
// `socketPath`. A copy that is just starting may not listen yet, so the
// connection is tried again until `timeoutMs` has passed.
//
// True once the hand-over is delivered: the copy's socket has taken the
// connection and every byte of every part is in the kernel. From then on
// the copy reads it whenever it runs, even when it is stopped or out of
// file descriptors at this moment; nothing waits for its answer. False
// when no connection was made, or when no byte could be written for
// `timeoutMs` (a stopped copy holding a hand-over too big for the
// socket's buffer): the parts already written are then never opened.
bool HandFilesToRunningCopy(const QString& socketPath, const QStringList& paths,
                            int timeoutMs = 3000);

// A start with files while a live copy holds `guard`'s lock: hands them to
// that copy, through the socket beside its lock. True when it took them;
// false when there are no files, when the lock is free (it is then ours)
// or when the hand-over failed.
bool HandedToRunningCopy(InstanceGuard& guard, const QStringList& paths);
