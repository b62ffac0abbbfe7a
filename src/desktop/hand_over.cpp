#include "desktop/hand_over.h"

#include "platform/instance_guard.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace {

// Bigger than any command line can be; a peer sending more is cut off.
constexpr qsizetype MaxMessageBytes = 8 * 1024 * 1024;
constexpr char Receipt = '\x06';
// Pause between two connection attempts while the running copy is
// starting to listen.
constexpr int RetryPauseMs = 20;

} // namespace

QString HandOverSocketPath(const QString& runtimeFolder) {
    return runtimeFolder + QStringLiteral("/sonvela.socket");
}

HandOverServer::HandOverServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &HandOverServer::acceptConnections);
}

HandOverServer::~HandOverServer() = default;

bool HandOverServer::listen(const QString& socketPath) {
    QLocalServer::removeServer(socketPath);
    return server_->listen(socketPath);
}

void HandOverServer::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
    }
}

void HandOverServer::readFrom(QLocalSocket* socket) {
    if (socket->bytesAvailable() > MaxMessageBytes) {
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    QStringList paths;
    in >> paths;
    if (!in.commitTransaction())
        return; // more to come
    socket->write(&Receipt, 1);
    socket->flush();
    socket->disconnectFromServer();
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
    out << paths;
    // What flush leaves unwritten goes out while waiting for the receipt.
    socket.flush();
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    char receipt = 0;
    return socket.read(&receipt, 1) == 1 && receipt == Receipt;
}

bool HandedToRunningCopy(InstanceGuard& guard, const QString& runtimeFolder,
                         const QStringList& paths) {
    if (paths.isEmpty() || guard.acquire())
        return false;
    return HandFilesToRunningCopy(HandOverSocketPath(runtimeFolder), paths);
}
