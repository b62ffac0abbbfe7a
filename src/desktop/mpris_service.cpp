#include "desktop/mpris_service.h"

#include "desktop/mpris_adaptors.h"
#include "desktop/mpris_host.h"
#include "platform/local_names.h"
#include "platform/vcd_track_url.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QUrl>

const QString MprisService::BusName = QStringLiteral("org.mpris.MediaPlayer2.sonvela");
const QString MprisService::ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

namespace {

const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

} // namespace

MprisService::MprisService(MprisHost& host, const QString& coverFolder, QObject* parent)
    : QObject(parent), host_(host), covers_(coverFolder) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    connect(&covers_, &CoverArtFinder::found, this, &MprisService::refresh);
}

bool MprisService::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(ObjectPath, this))
        return false;
    if (!bus.registerService(BusName)) {
        bus.unregisterObject(ObjectPath);
        return false;
    }
    seen_ = {playbackStatus(), metadata(), host_.volume()};
    return true;
}

void MprisService::refresh() {
    // While the next file opens clients keep the track they know, rather
    // than a moment of "Stopped" or of the old title without its length.
    if (host_.isOpening())
        return;
    const QString path = host_.currentPath();
    covers_.follow(IsVcdTrackUrl(path) ? QString() : path);
    QVariantMap changed;
    const QString status = playbackStatus();
    if (status != seen_.status)
        changed.insert(QStringLiteral("PlaybackStatus"), status);
    const QVariantMap now = metadata();
    if (now != seen_.metadata)
        changed.insert(QStringLiteral("Metadata"), now);
    const double level = host_.volume();
    if (level != seen_.volume)
        changed.insert(QStringLiteral("Volume"), level);
    seen_ = {status, now, level};
    if (!changed.isEmpty())
        emitChanged(changed);
}

void MprisService::emitChanged(const QVariantMap& changed) {
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

// ---- properties

QString MprisService::playbackStatus() const {
    switch (host_.playbackState()) {
    case PlaybackState::Playing:
        return QStringLiteral("Playing");
    case PlaybackState::Paused:
        return QStringLiteral("Paused");
    case PlaybackState::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QDBusObjectPath MprisService::trackId() const {
    const QString path = host_.currentPath();
    if (path.isEmpty())
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    if (path != trackPath_) {
        trackPath_ = path;
        ++trackNumber_;
    }
    return QDBusObjectPath(QStringLiteral("/org/sonvela/track/%1").arg(trackNumber_));
}

QVariantMap MprisService::metadata() const {
    QVariantMap data;
    data.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId()));
    const QString path = host_.currentPath();
    if (path.isEmpty())
        return data;
    // A Video CD track is already a URL of the player's own.
    const QUrl url = IsVcdTrackUrl(path) ? QUrl(path) : LocalFileUrl(path);
    data.insert(QStringLiteral("xesam:url"), url.toString());
    if (const auto length = host_.duration())
        data.insert(QStringLiteral("mpris:length"), Mpris::toMicroseconds(*length));
    const QString art = covers_.artUrl(path);
    if (!art.isEmpty())
        data.insert(QStringLiteral("mpris:artUrl"), art);
    // While the next file opens the tags may already be the next file's.
    const MediaTags tags = host_.isOpening() ? MediaTags() : host_.currentTags();
    data.insert(QStringLiteral("xesam:title"),
                tags.title.isEmpty() ? host_.currentTitle() : tags.title);
    const auto insertIfKnown = [&data](const char* key, const QVariant& value, bool known) {
        if (known)
            data.insert(QLatin1String(key), value);
    };
    insertIfKnown("xesam:artist", tags.artists, !tags.artists.isEmpty());
    insertIfKnown("xesam:album", tags.album, !tags.album.isEmpty());
    insertIfKnown("xesam:trackNumber", tags.trackNumber.value_or(0), tags.trackNumber.has_value());
    insertIfKnown("xesam:genre", tags.genres, !tags.genres.isEmpty());
    return data;
}

qlonglong MprisService::position() const {
    const auto seconds = host_.position();
    return seconds ? Mpris::toMicroseconds(*seconds) : 0;
}
