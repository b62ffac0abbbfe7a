#include "platform/instance_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString LockName = QStringLiteral("sonvela.lock");

bool processRunning(qint64 pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// The executable's file name of a running process; empty where the system
// does not tell.
QString executableName(qint64 pid) {
    QString target = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
    target.remove(QStringLiteral(" (deleted)"));
    return QFileInfo(target).fileName();
}

// Whether the lock names a process that runs and is this program: a
// process id taken over by some other program since does not count.
bool heldByLiveCopy(const QLockFile& lock) {
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock.getLockInfo(&pid, &host, &app))
        return false;
    // A lock of another machine (a shared home folder) cannot be checked
    // from here; it is left to its owner.
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true;
    if (!processRunning(pid))
        return false;
    const QString running = executableName(pid);
    return running.isEmpty() || running == QFileInfo(app).fileName();
}

// Removes what stands at the lock's name unless, looked at again while no
// other start does the same, it has become a live copy's lock. A folder
// with something in it is not ours to empty.
bool clearAway(const QString& path) {
    QLockFile removal(path + QStringLiteral(".rmlock"));
    if (!removal.tryLock(1000))
        return false;
    QLockFile again(path);
    if (heldByLiveCopy(again))
        return true;
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir().rmdir(path);
    return QFile::remove(path) || !QFileInfo::exists(path);
}

// Makes `folder` the user's alone, or finds that it is: a real folder,
// not a link, owned by this user, writable by nobody else. What passes is
// closed to others (0700): a folder an earlier version made with the
// usual 0755 is tightened, not given up.
bool MakePrivateFolder(const QString& folder) {
    QDir().mkpath(QFileInfo(folder).absolutePath());
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool own = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() &&
                     (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
                     ((info.st_mode & 07777) == 0700 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    return own;
}

} // namespace

InstanceGuard::InstanceGuard(QString folder, QString fallbackFolder)
    : folder_(std::move(folder)), fallbackFolder_(std::move(fallbackFolder)) {}

QString InstanceGuard::runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath() + QStringLiteral("/sonvela-") + QString::number(getuid());
    return folder;
}

QString InstanceGuard::fallbackFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/sonvela");
}

QString InstanceGuard::lockPath() const {
    return lock_ ? lock_->fileName() : QString();
}

bool InstanceGuard::acquire() {
    if (lock_)
        return true;
    lockFolder_.clear();
    switch (lockIn(folder_)) {
    case Attempt::Locked:
        return true;
    case Attempt::HeldByLiveCopy:
        return false;
    case Attempt::Unusable:
        break;
    }
    if (fallbackFolder_.isEmpty() || fallbackFolder_ == folder_)
        return true;
    return lockIn(fallbackFolder_) != Attempt::HeldByLiveCopy;
}

InstanceGuard::Attempt InstanceGuard::lockIn(const QString& folder) {
    if (folder.isEmpty() || !MakePrivateFolder(folder))
        return Attempt::Unusable;
    const QString path = folder + QLatin1Char('/') + LockName;
    auto lock = std::make_unique<QLockFile>(path);
    // Never treat a live holder's lock as stale by age: only a dead process
    // id frees it.
    lock->setStaleLockTime(0);
    // The second try follows the removal of whatever was in the way.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (lock->tryLock(0)) {
            lock_ = std::move(lock);
            lockFolder_ = folder;
            return Attempt::Locked;
        }
        if (lock->error() != QLockFile::LockFailedError)
            return Attempt::Unusable;
        if (heldByLiveCopy(*lock)) {
            lockFolder_ = folder;
            return Attempt::HeldByLiveCopy;
        }
        if (!clearAway(path))
            return Attempt::Unusable;
    }
    return Attempt::Unusable;
}
