#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running player per user. The lock lives in the per-user runtime
// folder; a lock left behind by a crashed or killed instance is recognised
// by its dead process id and taken over.
class InstanceGuard {
  public:
    // `folder` holds the lock file; the program passes runtimeFolder().
    explicit InstanceGuard(const QString& folder);

    static QString runtimeFolder();

    // True when no other live instance holds the lock; the lock is then ours
    // until this object goes away (or the process ends).
    bool acquire();

  private:
    std::unique_ptr<QLockFile> lock_;
};
