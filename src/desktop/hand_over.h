#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class InstanceGuard;
class QLocalServer;
class QLocalSocket;

// A second start of the player hands the files it was given to the copy
// already running, through a local socket beside the instance lock.

// The socket the running copy listens on, in `runtimeFolder`.
QString HandOverSocketPath(const QString& runtimeFolder);

// The running copy's side. Listens once the instance lock is ours, so a
// socket file left by a crashed copy is simply replaced.
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
    void acceptConnections();
    void readFrom(QLocalSocket* socket);

    QLocalServer* server_;
};

// The second start's side: hands `paths` to the copy listening on
// `socketPath` and waits for its receipt. A copy that is just starting may
// not listen yet, so the connection is tried again until `timeoutMs` has
// passed. True once the running copy has taken the files.
bool HandFilesToRunningCopy(const QString& socketPath, const QStringList& paths,
                            int timeoutMs = 3000);

// A start with files while a live copy holds `guard`'s lock: hands them to
// that copy. True when it took them; false when there are no files, when
// the lock is free (it is then ours) or when the hand-over failed.
bool HandedToRunningCopy(InstanceGuard& guard, const QString& runtimeFolder,
                         const QStringList& paths);
