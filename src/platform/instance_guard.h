#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running player per user. The lock lives in the per-user runtime
// folder. Only a lock held by a live copy of the player keeps a new start
// out; whatever else stands at the lock's name (a lock of a dead process,
// an empty or garbled file, a dangling link, a folder) is cleared away, and
// where the folder cannot hold a lock at all the guard uses a second folder
// of the user's.
//
// Nothing goes into a folder that is not the user's own: each folder is
// created for the user alone (mode 0700), or, when it exists, must be a
// real folder (not a link) owned by the user that nobody else can write
// to; it is then closed to everybody else. A folder that fails the check
// is passed over for the next one.
class InstanceGuard {
  public:
    // `folder` holds the lock file; the program passes runtimeFolder() and
    // fallbackFolder().
    InstanceGuard(QString folder, QString fallbackFolder);

    static QString runtimeFolder();
    static QString fallbackFolder();

    // False only when a live copy of the player holds the lock. Otherwise
    // the lock is ours until this object goes away (or the process ends);
    // when neither folder can hold one, the player runs without a lock.
    bool acquire();

    // The lock file in use; empty when none could be made.
    QString lockPath() const;
    // The folder of the lock: ours once acquire() succeeded, the live
    // copy's when it refused; empty when no folder could hold one. The
    // hand-over socket lives beside the lock.
    QString folder() const { return lockFolder_; }

  private:
    enum class Attempt { Locked, HeldByLiveCopy, Unusable };
    Attempt lockIn(const QString& folder);

    QString folder_;
    QString fallbackFolder_;
    QString lockFolder_;
    std::unique_ptr<QLockFile> lock_;
};
