#include "engine/mpv_probe.h"

#include <mpv/client.h>

#include <QMetaObject>

MpvProbe::MpvProbe(QObject* parent) : QObject(parent) {
    mpv_ = mpv_create();
    if (!mpv_)
        return;
    ApplyCommonMpvOptions(mpv_);
    for (const char* name : {"vo", "ao"})
        mpv_set_option_string(mpv_, name, "null");
    mpv_set_option_string(mpv_, "pause", "yes");
    mpv_ = StartMpv(mpv_);
    if (mpv_)
        wakeups_ = std::make_unique<MpvWakeups>(mpv_, this, [this] { drainEvents(); });
}

MpvProbe::~MpvProbe() {
    wakeups_.reset();
    if (mpv_)
        mpv_terminate_destroy(mpv_);
}

void MpvProbe::start(const QString& path, const QByteArray& options) {
    if (!load_.start(mpv_, path, options))
        emit finished(false);
}

void MpvProbe::cancel() {
    if (!load_.active())
        return;
    load_.forget();
    const char* stop[] = {"stop", nullptr};
    mpv_command_async(mpv_, 0, stop);
}

void MpvProbe::drainEvents() {
    wakeups_->rearm();
    while (mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        const MpvLoad::Outcome outcome = load_.feed(*event);
        if (outcome == MpvLoad::Outcome::Pending)
            continue;
        // Known: let go of the file, it is the engine's to play.
        const char* stop[] = {"stop", nullptr};
        mpv_command_async(mpv_, 0, stop);
        emit finished(outcome == MpvLoad::Outcome::Loaded);
    }
}
