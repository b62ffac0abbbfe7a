#include "support/fake_engine.h"

FakeEngine::~FakeEngine() {
    // The view belongs to whoever parented it; an unparented one is ours.
    if (view_ && !view_->parent())
        delete view_;
}

bool FakeEngine::record(const QString& call) {
    calls << call;
    return !failAll;
}

bool FakeEngine::open(const QString& call, const QString& path) {
    calls << call + path;
    if (failAll || failFileName)
        return false;
    fileName_ = path;
    state_ = PlaybackState::Playing;
    emit playbackStateChanged();
    return true;
}

bool FakeEngine::setFileName(const QString& path) {
    return open(QStringLiteral("FileName "), path);
}

bool FakeEngine::openPlaylist(const QString& path) {
    return open(QStringLiteral("Playlist "), path);
}

bool FakeEngine::transport(const QString& call, PlaybackState state) {
    if (!record(call))
        return false;
    state_ = state;
    emit playbackStateChanged();
    return true;
}

bool FakeEngine::play() {
    return transport(QStringLiteral("Play"), PlaybackState::Playing);
}

bool FakeEngine::pause() {
    return transport(QStringLiteral("Pause"), PlaybackState::Paused);
}

bool FakeEngine::stop() {
    return transport(QStringLiteral("Stop"), PlaybackState::Stopped);
}

std::optional<double> FakeEngine::currentPosition() const {
    if (failAll)
        return std::nullopt;
    return position;
}

bool FakeEngine::setCurrentPosition(double seconds) {
    if (!record(QStringLiteral("CurrentPosition %1").arg(seconds)))
        return false;
    position = seconds;
    return true;
}

std::optional<double> FakeEngine::duration() const {
    return failAll ? std::nullopt : length;
}

bool FakeEngine::setVolume(int hundredthsDb) {
    if (!record(QStringLiteral("Volume %1").arg(hundredthsDb)))
        return false;
    volume = hundredthsDb;
    return true;
}

bool FakeEngine::setBalance(int hundredthsDb) {
    if (!record(QStringLiteral("Balance %1").arg(hundredthsDb)))
        return false;
    balanceValue = hundredthsDb;
    return true;
}

std::optional<int> FakeEngine::balance() const {
    if (failAll)
        return std::nullopt;
    return balanceValue;
}

bool FakeEngine::setMute(bool on) {
    if (!record(QStringLiteral("Mute %1").arg(on ? "true" : "false")))
        return false;
    muted = on;
    return true;
}

bool FakeEngine::setDisplaySize(int mode) {
    if (!record(QStringLiteral("DisplaySize %1").arg(mode)))
        return false;
    displaySize = mode;
    return true;
}

QSize FakeEngine::pictureSize() const {
    return view_ ? view_->size() : QSize(306, 229);
}

QWidget* FakeEngine::view() {
    if (!view_) {
        view_ = new QWidget;
        view_->setObjectName(QStringLiteral("player"));
        view_->resize(306, 229);
    }
    return view_;
}
