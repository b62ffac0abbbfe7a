#include "engine/mpv_adapter.h"

#include "engine/mpv_variant.h"

#include <mpv/client.h>

#include <QMetaObject>
#include <QVariantMap>
#include <clocale>
#include <vector>

namespace {

mpv_format mpvFormat(MpvAdapter::Format format) {
    switch (format) {
    case MpvAdapter::Format::Flag:
        return MPV_FORMAT_FLAG;
    case MpvAdapter::Format::Double:
        return MPV_FORMAT_DOUBLE;
    case MpvAdapter::Format::Int:
        return MPV_FORMAT_INT64;
    case MpvAdapter::Format::String:
        return MPV_FORMAT_STRING;
    case MpvAdapter::Format::Node:
        break;
    }
    return MPV_FORMAT_NODE;
}

QVariant propertyValue(const mpv_event_property& property) {
    switch (property.format) {
    case MPV_FORMAT_FLAG:
        return *static_cast<int*>(property.data) != 0;
    case MPV_FORMAT_DOUBLE:
        return *static_cast<double*>(property.data);
    case MPV_FORMAT_INT64:
        return qint64(*static_cast<int64_t*>(property.data));
    case MPV_FORMAT_STRING:
        return QString::fromUtf8(*static_cast<char**>(property.data));
    case MPV_FORMAT_NODE:
        return VariantFromNode(*static_cast<mpv_node*>(property.data));
    default:
        return {}; // the property has no value now
    }
}

int64_t loadedEntry(const mpv_node& result) {
    const QVariant value =
        VariantFromNode(result).toMap().value(QStringLiteral("playlist_entry_id"));
    return value.isValid() ? value.toLongLong() : -1;
}

CoreEvent::EndReason endReason(int reason) {
    switch (reason) {
    case MPV_END_FILE_REASON_EOF:
        return CoreEvent::EndReason::Eof;
    case MPV_END_FILE_REASON_QUIT:
        return CoreEvent::EndReason::Quit;
    case MPV_END_FILE_REASON_ERROR:
        return CoreEvent::EndReason::Error;
    case MPV_END_FILE_REASON_REDIRECT:
        return CoreEvent::EndReason::Redirect;
    default:
        return CoreEvent::EndReason::Stop;
    }
}

} // namespace

MpvAdapter::MpvAdapter() {
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    mpv_ = mpv_create();
}

MpvAdapter::~MpvAdapter() {
    if (!mpv_)
        return;
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
}

void MpvAdapter::setOption(const char* name, const QByteArray& value) {
    if (mpv_)
        mpv_set_option_string(mpv_, name, value.constData());
}

bool MpvAdapter::start(const QList<Property>& properties) {
    if (!mpv_)
        return false;
    if (mpv_initialize(mpv_) < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        return false;
    }
    // Reported when they change, so a read never reaches mpv's core.
    for (int i = 0; i < properties.size(); ++i)
        mpv_observe_property(mpv_, uint64_t(i), properties[i].name,
                             mpvFormat(properties[i].format));
    mpv_set_wakeup_callback(
        mpv_,
        [](void* self) {
            auto* adapter = static_cast<MpvAdapter*>(self);
            if (!adapter->posted_.exchange(true))
                QMetaObject::invokeMethod(
                    adapter, [adapter] { adapter->drainEvents(); }, Qt::QueuedConnection);
        },
        this);
    return true;
}

uint64_t MpvAdapter::command(const QList<QByteArray>& args) {
    if (!mpv_)
        return 0;
    std::vector<const char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(arg.constData());
    argv.push_back(nullptr);
    const uint64_t reply = nextReply_++;
    return mpv_command_async(mpv_, reply, argv.data()) >= 0 ? reply : 0;
}

void MpvAdapter::setProperty(const char* name, const QByteArray& value) {
    if (!mpv_)
        return;
    const char* text = value.constData();
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_STRING, &text);
}

void MpvAdapter::drainEvents() {
    posted_ = false; // news from now on posts again
    while (mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        passOn(*event);
    }
}

void MpvAdapter::passOn(const mpv_event& event) {
    CoreEvent file;
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE:
        emit propertyChanged(int(event.reply_userdata),
                             propertyValue(*static_cast<const mpv_event_property*>(event.data)));
        return;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == 0)
            return;
        file.kind = CoreEvent::Kind::Reply;
        file.reply = event.reply_userdata;
        file.error = event.error;
        if (event.error >= 0)
            file.entry = loadedEntry(static_cast<const mpv_event_command*>(event.data)->result);
        break;
    case MPV_EVENT_START_FILE:
        file.kind = CoreEvent::Kind::StartFile;
        file.entry = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        file.kind = CoreEvent::Kind::FileLoaded;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        file.kind = CoreEvent::Kind::PlaybackRestart;
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        file.kind = CoreEvent::Kind::EndFile;
        file.entry = end->playlist_entry_id;
        file.reason = endReason(end->reason);
        file.error = end->error;
        break;
    }
    case MPV_EVENT_IDLE:
        file.kind = CoreEvent::Kind::Idle;
        break;
    default:
        return;
    }
    emit fileEvent(file);
}
