#include "desktop/hand_over.h"

#include "platform/instance_guard.h"
#include "platform/local_names.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

// The names a part holds, in bytes: a part holds at least one name, and
// more while they fit.
constexpr qsizetype PartBytes = 1024 * 1024;
// A longer frame cuts its connection off; no single name comes near it.
constexpr quint32 MaxFrameBytes = 8 * 1024 * 1024;
// Far more parts than a command line can fill (its arguments stay under
// 6 MB on Linux, whatever the stack limit).
constexpr quint32 MaxParts = 256;
// Each frame starts with the length of what follows.
constexpr qsizetype LengthBytes = sizeof(quint32);
// Pause between two connection attempts while the running copy is
// starting to listen.
constexpr int RetryPauseMs = 20;
// How long the server stops taking connections when it has no file
// descriptor left for one.
constexpr int AcceptPauseMs = 200;
// Starts remembered as served, and starts whose parts are coming in; a
// retry comes within seconds.
constexpr qsizetype RememberedStarts = 64;
constexpr qsizetype PendingStarts = 8;

// The same for every attempt of this process (the executable's and the
// player library's copies of this code alike) and different for every
// start: the process id and the process's start time.
QByteArray ThisStartsId() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    QByteArray line;
    if (stat.open(QIODevice::ReadOnly))
        line = stat.readAll();
    // Fields from the third on follow the program's name in parentheses;
    // the start time is the 22nd.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return QByteArray::number(::getpid()) + ' ' + fields.value(22 - 3);
}

std::optional<sockaddr_un> AddressOf(const QByteArray& name) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return std::nullopt;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return address;
}

bool BindTo(int fd, const QByteArray& name) {
    const auto address = AddressOf(name);
    return address &&
           ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
}

// Each name ends in a zero byte, which no file name holds.
QList<QByteArray> NamesInParts(const QStringList& paths) {
    QList<QByteArray> parts{QByteArray()};
    for (const QString& path : paths) {
        const QByteArray name = StringToLocalName(path);
        if (name.contains('\0'))
            continue;
        if (!parts.last().isEmpty() && parts.last().size() + name.size() >= PartBytes)
            parts.append(QByteArray());
        parts.last() += name + '\0';
    }
    return parts;
}

QStringList NamesOfPart(const QByteArray& names) {
    QStringList paths;
    for (qsizetype from = 0; from < names.size();) {
        const qsizetype end = names.indexOf('\0', from);
        if (end < 0)
            break;
        paths << LocalNameToString(names.mid(from, end - from));
        from = end + 1;
    }
    return paths;
}

std::optional<HandOverPart> PartOfFrame(const QByteArray& frame) {
    QDataStream in(frame);
    in.setVersion(QDataStream::Qt_6_0);
    HandOverPart part;
    QByteArray names;
    in >> part.start >> part.index >> part.count >> names;
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    part.paths = NamesOfPart(names);
    return part;
}

// A socket of this user's left at `name` by a copy that is gone.
bool RemoveStaleSocket(const QByteArray& name) {
    struct stat info {};
    return ::lstat(name.constData(), &info) == 0 && S_ISSOCK(info.st_mode) &&
           info.st_uid == ::geteuid() && ::unlink(name.constData()) == 0;
}

quint64 InodeOf(const QByteArray& name) {
    struct stat info {};
    return ::lstat(name.constData(), &info) == 0 ? quint64(info.st_ino) : 0;
}

} // namespace

QString HandOverSocketPath(const QString& lockFolder) {
    return lockFolder + QStringLiteral("/sonvela.socket");
}

QByteArray HandOverMessage(const QByteArray& start, const QStringList& paths) {
    const QList<QByteArray> parts = NamesInParts(paths);
    QByteArray message;
    for (qsizetype index = 0; index < parts.size(); ++index) {
        QByteArray frame;
        QDataStream out(&frame, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << start << quint32(index) << quint32(parts.size()) << parts[index];
        const quint32 length = qToBigEndian(quint32(frame.size()));
        message.append(reinterpret_cast<const char*>(&length), LengthBytes).append(frame);
    }
    return message;
}

bool HandOverAssembly::add(HandOverPart part) {
    if (part.count == 0 || part.count > MaxParts || part.index >= part.count)
        return false;
    if (servedStarts_.contains(part.start))
        return true;
    auto pending = std::find_if(pending_.begin(), pending_.end(),
                                [&](const Pending& p) { return p.start == part.start; });
    if (pending == pending_.end()) {
        if (part.index != 0)
            return false;
        // A start that never finished makes room for the next.
        if (pending_.size() == PendingStarts)
            pending_.removeFirst();
        pending_.append({part.start, 0, part.count, {}});
        pending = pending_.end() - 1;
    }
    if (part.count != pending->count || part.index > pending->next)
        return false;
    if (part.index < pending->next)
        return true;
    pending->paths += part.paths;
    if (++pending->next < pending->count)
        return true;
    completed_.append(std::move(pending->paths));
    pending_.erase(pending);
    if (servedStarts_.size() == RememberedStarts)
        servedStarts_.removeFirst();
    servedStarts_.append(part.start);
    return true;
}

QList<QStringList> HandOverAssembly::takeCompleted() {
    return std::exchange(completed_, {});
}

HandOverServer::HandOverServer(QObject* parent) : QObject(parent) {}

HandOverServer::~HandOverServer() {
    stopListening();
}

bool HandOverServer::listen(const QString& socketPath) {
    stopListening();
    const QByteArray name = QFile::encodeName(socketPath);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool bound = BindTo(fd, name);
    if (!bound && errno == EADDRINUSE && RemoveStaleSocket(name))
        bound = BindTo(fd, name);
    if (!bound || ::chmod(name.constData(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return false;
    }
    listener_ = fd;
    socketPath_ = socketPath;
    socketInode_ = InodeOf(name);
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &HandOverServer::acceptConnections);
    return true;
}

void HandOverServer::stopListening() {
    if (listener_ < 0)
        return;
    delete notifier_;
    notifier_ = nullptr;
    ::close(listener_);
    listener_ = -1;
    const QByteArray name = QFile::encodeName(socketPath_);
    if (InodeOf(name) == socketInode_)
        ::unlink(name.constData());
}

void HandOverServer::acceptConnections() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors: the connection waits in the queue.
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                pauseAccepting();
            return;
        }
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        // One frame always fits; the sender waits while it is read.
        socket->setReadBufferSize(LengthBytes + MaxFrameBytes);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
    }
}

void HandOverServer::pauseAccepting() {
    notifier_->setEnabled(false);
    QTimer::singleShot(AcceptPauseMs, notifier_,
                       [notifier = notifier_] { notifier->setEnabled(true); });
}

void HandOverServer::readFrom(QLocalSocket* socket) {
    quint32 length = 0;
    while (socket->peek(reinterpret_cast<char*>(&length), LengthBytes) == LengthBytes) {
        length = qFromBigEndian(length);
        if (length > MaxFrameBytes) {
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < LengthBytes + length)
            return; // more to come
        socket->skip(LengthBytes);
        const std::optional<HandOverPart> part = PartOfFrame(socket->read(length));
        if (!part || !assembly_.add(*part)) {
            socket->abort();
            return;
        }
        for (const QStringList& paths : assembly_.takeCompleted())
            emit filesReceived(paths);
    }
}

namespace {

// A connection the listener at `name` has taken (it waits in its queue
// until the copy accepts it), or -1 when nobody listens there yet or the
// queue is full.
int ConnectTo(const QByteArray& name) {
    const auto address = AddressOf(name);
    if (!address)
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

int ConnectBefore(const QByteArray& name, const QDeadlineTimer& deadline) {
    for (;;) {
        const int fd = ConnectTo(name);
        if (fd >= 0 || deadline.hasExpired())
            return fd;
        // Nobody listens yet: the lock holder is still starting.
        QThread::msleep(std::min<qint64>(RetryPauseMs, deadline.remainingTime()));
    }
}

// Hands every byte to the kernel, waiting at most `stallMs` each time it
// takes none.
bool WriteAll(int fd, const QByteArray& bytes, int stallMs) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t sent =
            ::send(fd, bytes.constData() + written, size_t(bytes.size() - written), MSG_NOSIGNAL);
        if (sent > 0) {
            written += sent;
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            return false;
        pollfd writable{fd, POLLOUT, 0};
        const int ready = ::poll(&writable, 1, stallMs);
        if (ready == 0 || (ready < 0 && errno != EINTR))
            return false;
    }
    return true;
}

} // namespace

bool HandFilesToRunningCopy(const QString& socketPath, const QStringList& paths, int timeoutMs) {
    const QByteArray message = HandOverMessage(ThisStartsId(), paths);
    const int fd = ConnectBefore(QFile::encodeName(socketPath), QDeadlineTimer(timeoutMs));
    if (fd < 0)
        return false;
    // Closing at once loses nothing: what is written stays queued for the
    // copy to read.
    const bool delivered = WriteAll(fd, message, timeoutMs);
    ::close(fd);
    return delivered;
}

bool HandedToRunningCopy(InstanceGuard& guard, const QStringList& paths) {
    if (paths.isEmpty() || guard.acquire())
        return false;
    return HandFilesToRunningCopy(HandOverSocketPath(guard.folder()), paths);
}
