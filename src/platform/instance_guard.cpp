#include "platform/instance_guard.h"

#include <QDir>
#include <QStandardPaths>
#include <unistd.h>

InstanceGuard::InstanceGuard(const QString& folder) {
    QDir().mkpath(folder);
    lock_ = std::make_unique<QLockFile>(folder + QStringLiteral("/sonvela.lock"));
    // Never treat a live holder's lock as stale by age: only a dead process
    // id frees it.
    lock_->setStaleLockTime(0);
}

QString InstanceGuard::runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath() + QStringLiteral("/sonvela-") + QString::number(getuid());
    return folder;
}

bool InstanceGuard::acquire() {
    if (lock_->isLocked())
        return true;
    // tryLock takes over a lock whose holder process is gone.
    return lock_->tryLock(0);
}
