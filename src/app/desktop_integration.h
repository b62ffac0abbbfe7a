#pragma once

#include "desktop/hand_over.h"
#include "desktop/mpris_host.h"
#include "desktop/mpris_service.h"

#include <QStringList>

class Application;

// The player's place on the desktop: files from the command line or from a
// second start, and the media controls on the session bus. It drives the
// player only through the main window's own buttons and bars.
class DesktopIntegration : public MprisHost {
  public:
    explicit DesktopIntegration(Application& app);

    // As soon as the instance lock is ours: second starts may hand over
    // files through a socket beside the lock, in `lockFolder` (none when
    // it is empty). They are taken once the event loop runs.
    void listenForSecondStarts(const QString& lockFolder);
    // Once start-up has finished: registers on the session bus, if there
    // is one.
    void start();
    // Something clients see may have changed.
    void refresh() { mpris_.refresh(); }

    // Appends the files as a drop does and plays the first one appended,
    // showing the video window as the play button does.
    void openFiles(const QStringList& paths);

    // MprisHost
    void showMainWindow() override;
    void exitProgram() override;
    void pressPlay() override;
    void setPaused(bool paused) override;
    void pressStop() override;
    void pressNext() override;
    void pressPrevious() override;
    void seekTo(double seconds) override;
    void openFile(const QString& path) override { openFiles({path}); }
    PlaybackState playbackState() const override;
    bool isOpening() const override;
    QString currentPath() const override;
    QString currentTitle() const override;
    MediaTags currentTags() const override;
    std::optional<double> duration() const override;
    std::optional<double> position() const override;
    double volume() const override;
    void setVolume(double level) override;

  private:
    void pressButton(int index);
    MediaEngine& engine() const;

    Application& app_;
    HandOverServer handOver_;
    MprisService mpris_;
};
