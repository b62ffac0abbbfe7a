#include "desktop/mpris_adaptors.h"

#include "desktop/mpris_host.h"
#include "desktop/mpris_service.h"
#include "platform/local_names.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QUrl>
#include <algorithm>
#include <cmath>

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), host_(service->host()) {}

QStringList MprisRootAdaptor::mimeTypes() const {
    // The same list the desktop entry offers, written once in the build.
    return QStringLiteral(SONVELA_MIME_TYPES).split(u',', Qt::SkipEmptyParts);
}

void MprisRootAdaptor::Raise() {
    host_.showMainWindow();
}

void MprisRootAdaptor::Quit() {
    // The caller hears back first: the reply goes out once this returns,
    // and a round trip to the bus behind it makes sure it has left.
    QMetaObject::invokeMethod(
        this,
        [this] {
            QDBusConnection::sessionBus().call(
                QDBusMessage::createMethodCall(
                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                    QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")),
                QDBus::Block, 1000);
            host_.exitProgram();
        },
        Qt::QueuedConnection);
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service), host_(service->host()) {}

QString MprisPlayerAdaptor::playbackStatus() const {
    return service_->playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    return service_->metadata();
}

double MprisPlayerAdaptor::volume() const {
    return host_.volume();
}

void MprisPlayerAdaptor::setVolume(double level) {
    // NaN, infinity and negative levels mean nothing a bar could show.
    if (!std::isfinite(level) || level < 0)
        return;
    host_.setVolume(std::min(level, 1.0));
}

qlonglong MprisPlayerAdaptor::position() const {
    return service_->position();
}

void MprisPlayerAdaptor::Play() {
    switch (host_.playbackState()) {
    case PlaybackState::Paused:
        host_.setPaused(false);
        break;
    case PlaybackState::Stopped:
        host_.pressPlay();
        break;
    case PlaybackState::Playing:
        break;
    }
}

void MprisPlayerAdaptor::Pause() {
    if (host_.playbackState() == PlaybackState::Playing)
        host_.setPaused(true);
}

void MprisPlayerAdaptor::PlayPause() {
    if (host_.playbackState() == PlaybackState::Playing)
        Pause();
    else
        Play();
}

void MprisPlayerAdaptor::Stop() {
    host_.pressStop();
}

void MprisPlayerAdaptor::Next() {
    host_.pressNext();
}

void MprisPlayerAdaptor::Previous() {
    host_.pressPrevious();
}

void MprisPlayerAdaptor::Seek(qlonglong Offset) {
    const auto now = host_.position();
    if (!now)
        return;
    const double target = std::max(0.0, *now + Offset / Mpris::MicrosecondsPerSecond);
    const auto length = host_.duration();
    if (length && target > *length) {
        host_.pressNext(); // past the end: on to the next track
        return;
    }
    seekAndTell(target);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    // A request for a track that is no longer open is stale.
    if (TrackId != service_->trackId() || Position < 0)
        return;
    const double target = Position / Mpris::MicrosecondsPerSecond;
    const auto length = host_.duration();
    if (length && target > *length)
        return;
    seekAndTell(target);
}

void MprisPlayerAdaptor::seekAndTell(double seconds) {
    host_.seekTo(seconds);
    emit Seeked(service_->position());
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri) {
    const QUrl url(Uri);
    // Only local files: the player reaches no network. A path relative to
    // whatever folder the player was started from ("file:b.wav") names no
    // file the caller can mean.
    const QString path = LocalFileOfUrl(url);
    if (url.isLocalFile() && path.startsWith(u'/'))
        host_.openFile(path);
}
