#include "engine/mpv_load.h"

#include "platform/local_names.h"

#include "engine/mpv_vcd_streams.h"

#include <mpv/client.h>

#include <QMetaObject>
#include <QObject>
#include <atomic>

namespace {

// Every loadfile of the process gets its own reply id.
uint64_t nextRequestId() {
    static std::atomic<uint64_t> next{1u << 20};
    return next++;
}

int64_t entryIdOf(const mpv_node& result) {
    if (result.format != MPV_FORMAT_NODE_MAP)
        return -1;
    for (int i = 0; i < result.u.list->num; ++i) {
        if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
            result.u.list->values[i].format == MPV_FORMAT_INT64)
            return result.u.list->values[i].u.int64;
    }
    return -1;
}

} // namespace

bool MpvLoad::start(mpv_handle* mpv, const QString& path, const QByteArray& options) {
    // A name that is not UTF-8 reaches mpv as the bytes it has on disc.
    const QByteArray name = StringToLocalName(path);
    const char* args[] = {"loadfile", name.constData(), "replace",
                          options.isEmpty() ? nullptr : options.constData(), nullptr};
    request_ = nextRequestId();
    entry_ = -1;
    started_ = false;
    active_ = mpv && mpv_command_async(mpv, request_, args) >= 0;
    return active_;
}

MpvLoad::Outcome MpvLoad::finish(Outcome outcome) {
    active_ = false;
    return outcome;
}

MpvLoad::Outcome MpvLoad::feed(const mpv_event& event) {
    if (!active_)
        return Outcome::Pending;
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata != request_)
            break;
        if (event.error < 0)
            return finish(Outcome::Failed);
        entry_ = entryIdOf(static_cast<const mpv_event_command*>(event.data)->result);
        break;
    case MPV_EVENT_START_FILE:
        if (entry_ >= 0 &&
            static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id >= entry_)
            started_ = true;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (started_)
            return finish(Outcome::Loaded);
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (entry_ >= 0 && end->playlist_entry_id == entry_ &&
            end->reason == MPV_END_FILE_REASON_ERROR)
            return finish(Outcome::Failed);
        break;
    }
    case MPV_EVENT_IDLE:
        // Everything an M3U held failed: mpv went idle without loading.
        if (started_)
            return finish(Outcome::Failed);
        break;
    default:
        break;
    }
    return Outcome::Pending;
}

void ApplyCommonMpvOptions(mpv_handle* mpv) {
    const char* fixed[][2] = {
        {"audio-fallback-to-null", "yes"}, // no sound device: play silently
        {"idle", "yes"},
        {"keep-open", "no"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"osc", "no"},
        {"ytdl", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"input-builtin-bindings", "no"},
        {"cursor-autohide", "no"},
        {"osd-level", "0"},
        {"audio-display", "no"},     // cover art is no picture to show
        {"gpu-hwdec-interop", "no"}, // software decoding: probe no GPU APIs
        {"terminal", "no"},
        // Chinese subtitles beside a clip are mostly GBK: a file that is
        // not UTF-8 is read as GB18030, its superset.
        {"sub-codepage", "gb18030"},
    };
    for (const auto& [name, value] : fixed)
        mpv_set_option_string(mpv, name, value);
}

mpv_handle* StartMpv(mpv_handle* mpv) {
    if (!mpv)
        return nullptr;
    if (mpv_initialize(mpv) < 0) {
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    RegisterVcdStreams(mpv);
    return mpv;
}

MpvWakeups::MpvWakeups(mpv_handle* mpv, QObject* receiver, std::function<void()> drain)
    : mpv_(mpv), receiver_(receiver), drain_(std::move(drain)) {
    mpv_set_wakeup_callback(
        mpv_,
        [](void* self) {
            auto* wakeups = static_cast<MpvWakeups*>(self);
            if (!wakeups->posted_.exchange(true))
                QMetaObject::invokeMethod(wakeups->receiver_, wakeups->drain_,
                                          Qt::QueuedConnection);
        },
        this);
}

MpvWakeups::~MpvWakeups() {
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
}
