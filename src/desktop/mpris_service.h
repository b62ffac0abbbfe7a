#pragma once

#include "desktop/cover_art_finder.h"
#include "engine/media_engine.h"

#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

class MprisHost;

// The player on the session bus as org.mpris.MediaPlayer2.sonvela, so
// media keys, desktop shells and playerctl can drive it. It keeps no timer:
// the player tells it when something may have changed (refresh), and the
// position is read only when a client asks for it.
class MprisService : public QObject {
    Q_OBJECT
  public:
    static const QString BusName;
    static const QString ObjectPath;

    // Covers are kept in `coverFolder`.
    explicit MprisService(MprisHost& host, const QString& coverFolder, QObject* parent = nullptr);

    // Registers on the session bus. False when there is none or the name is
    // taken; the player then simply runs without it.
    bool registerOnSessionBus();

    // Compares what clients see with the player's state and signals the
    // properties that changed.
    void refresh();

    MprisHost& host() const { return host_; }

    QString playbackStatus() const;
    QVariantMap metadata() const;
    // The id of what is open now, as Metadata reports it.
    QDBusObjectPath trackId() const;
    // Microseconds, read from the engine when asked.
    qlonglong position() const;

  private:
    struct Seen {
        QString status;
        QVariantMap metadata;
        double volume = -1;
    };
    void emitChanged(const QVariantMap& changed);

    MprisHost& host_;
    CoverArtFinder covers_;
    Seen seen_;
    // Bumped whenever another file is opened, so each gets its own id; read
    // lazily, so the const getters keep it.
    mutable int trackNumber_ = 0;
    mutable QString trackPath_;
};
