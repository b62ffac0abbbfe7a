#include "desktop/hand_over.h"

#include "platform/instance_guard.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Bigger than any command line can be; a peer sending more is cut off.
constexpr qsizetype MaxMessageBytes = 8 * 1024 * 1024;
constexpr char Receipt = '\x06';
// Pause between two connection attempts while the running copy is
// starting to listen.
constexpr int RetryPauseMs = 20;
// How long the server stops taking connections when it has no file
// descriptor left for one.
constexpr int AcceptPauseMs = 200;
// Starts remembered as served; a retry comes within seconds.
constexpr qsizetype RememberedStarts = 64;

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

bool BindTo(int fd, const QByteArray& name) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
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
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
    }
}

void HandOverServer::pauseAccepting() {
    notifier_->setEnabled(false);
    QTimer::singleShot(AcceptPauseMs, notifier_,
                       [notifier = notifier_] { notifier->setEnabled(true); });
}

bool HandOverServer::firstFrom(const QByteArray& id) {
    if (servedStarts_.contains(id))
        return false;
    if (servedStarts_.size() == RememberedStarts)
        servedStarts_.removeFirst();
    servedStarts_ << id;
    return true;
}

void HandOverServer::readFrom(QLocalSocket* socket) {
    if (socket->bytesAvailable() > MaxMessageBytes) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    QByteArray id;
    QStringList paths;
    in >> id >> paths;
    if (!in.commitTransaction())
        return; // more to come
    socket->write(&Receipt, 1);
    socket->flush();
    socket->disconnectFromServer();
    if (firstFrom(id))
        emit filesReceived(paths);
}

namespace {

bool ConnectBefore(QLocalSocket& socket, const QString& socketPath,
                   const QDeadlineTimer& deadline) {
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            return true;
        if (deadline.hasExpired())
            return false;
        // Nobody listens yet: the lock holder is still starting.
        QThread::msleep(std::min<qint64>(RetryPauseMs, deadline.remainingTime()));
    }
}

} // namespace

bool HandFilesToRunningCopy(const QString& socketPath, const QStringList& paths, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    if (!ConnectBefore(socket, socketPath, deadline))
        return false;
    QDataStream out(&socket);
    out << ThisStartsId() << paths;
    // What flush leaves unwritten goes out while waiting for the receipt.
    socket.flush();
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    char receipt = 0;
    return socket.read(&receipt, 1) == 1 && receipt == Receipt;
}

bool HandedToRunningCopy(InstanceGuard& guard, const QStringList& paths) {
    if (paths.isEmpty() || guard.acquire())
        return false;
    return HandFilesToRunningCopy(HandOverSocketPath(guard.folder()), paths);
}
