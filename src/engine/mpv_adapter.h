#pragma once

#include "engine/core_event.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <atomic>
#include <cstdint>

struct mpv_handle;
struct mpv_event;

// The one libmpv core of a player, and nothing but the way to it: options
// before the start, observed properties reported as they change, commands
// sent without waiting (each with its reply id), and mpv's events passed on
// as they come. It decides nothing. All calls come from the thread that
// made it; mpv's threads only post a wake-up to it.
class MpvAdapter : public QObject {
    Q_OBJECT
  public:
    enum class Format { Flag, Double, Int, String, Node };
    struct Property {
        const char* name;
        Format format;
    };

    MpvAdapter();
    ~MpvAdapter() override;

    // Before start() only.
    void setOption(const char* name, const QByteArray& value);
    // Starts mpv and observes `properties`: propertyChanged reports the
    // index of the row that changed. False when mpv could not be started.
    bool start(const QList<Property>& properties);
    bool isValid() const { return mpv_ != nullptr; }
    mpv_handle* handle() const { return mpv_; }

    // Sent without waiting; mpv carries them out in the order sent. The
    // reply carries the returned id (0 when mpv refused it at once).
    uint64_t command(const QList<QByteArray>& args);
    void setProperty(const char* name, const QByteArray& value);

  signals:
    // The value of property row `index`; invalid when mpv has none.
    void propertyChanged(int index, const QVariant& value);
    void fileEvent(const CoreEvent& event);

  private:
    void drainEvents();
    void passOn(const mpv_event& event);

    mpv_handle* mpv_ = nullptr;
    // A drain is queued: mpv's wake-ups post no second one meanwhile.
    std::atomic<bool> posted_{false};
    uint64_t nextReply_ = 1;
};
