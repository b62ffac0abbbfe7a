#pragma once

#include "engine/mpv_load.h"

#include <QObject>
#include <memory>

struct mpv_handle;

// A silent second mpv that opens a file only to learn whether it plays, so
// that the engine can go on playing the file it has until the new one is
// known to work. Nothing is decoded or shown; it never waits for mpv.
class MpvProbe : public QObject {
    Q_OBJECT
  public:
    explicit MpvProbe(QObject* parent = nullptr);
    ~MpvProbe() override;

    bool isValid() const { return mpv_ != nullptr; }
    // Supersedes a probe under way.
    void start(const QString& path, const QByteArray& options);
    void cancel();

  signals:
    void finished(bool playable);

  private:
    void drainEvents();

    mpv_handle* mpv_ = nullptr;
    MpvLoad load_;
    std::unique_ptr<MpvWakeups> wakeups_;
};
