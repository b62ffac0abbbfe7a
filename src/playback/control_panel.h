#pragma once

#include "shared/panel_host.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <functional>

class ImageButton;
class SeenWatcher;
class MediaEngine;
class Messages;
class PlaylistPair;
class QCheckBox;
class TitleLabel;
class FileChooser;
class QGroupBox;
class QLabel;
class QScrollBar;
class QSlider;
class QTimer;
class TitleScroller;
class Transport;
class VideoHost;

// The control panel `frm` of the main window: the six transport buttons,
// the title strip, the seek bar with the elapsed time, and the control
// centre `ctlfrm` with volume, balance, mute, VCD and help. It builds the
// controls and hands their events to the handlers below; the commands live
// in Transport and the texts in time_display / sound_labels. The video
// window's keys reach it as a PanelHost.
class ControlPanel : public QFrame, public PanelHost {
    Q_OBJECT
  public:
    static constexpr int TransportButtons = 6;

    ControlPanel(PlaylistPair& playlist, TitleScroller& songTitle, VideoHost& video,
                 Messages& messages, QWidget* parent = nullptr);

    // Tnum, PlayIt, PauseIt and the other commands the main window and the
    // menus reach.
    Transport* transport;

    // Buttons 0..5: open, play, stop, pause, next, previous. Each has
    // objectName "CtrlImage_<i>" and the property "Index".
    ImageButton* CtrlImage[TransportButtons];
    // The normal and the pressed look of each button.
    QPixmap CtrlImageBase[TransportButtons];
    QPixmap CtrlSwapImage[TransportButtons];

    QSlider* Slider1;
    QLabel* lbltime;
    QLabel* lbltimes;
    QWidget* Picture1;
    TitleLabel* lblsongname;
    QGroupBox* ctlfrm;
    QScrollBar* HScroll1;
    QScrollBar* HScroll2;
    QLabel* lblsound;
    QCheckBox* Check1;
    ImageButton* help;
    ImageButton* playvcd;
    QTimer* songtime;
    QTimer* timscrollsongname;

    // The open-file dialog `cd`: returns the chosen file's full path, or an
    // empty string when cancelled. Tests replace it.
    std::function<QString()> openFileDialog;
    // Title, the three filters in order, then every media file and every
    // file; one existing file.
    static void setUpOpenDialog(FileChooser& dialog);

    void CtrlImage_Click(int Index);
    void CtrlImage_MouseDown(int Index, int Button);
    void CtrlImage_MouseUp(int Index, int Button);
    void songtime_Timer();
    void Slider1_Click();
    void Slider1_Scroll();
    void HScroll1_Change();
    void HScroll1_Scroll();
    void HScroll2_Change();
    void HScroll2_Scroll();
    void timscrollsongname_Timer();
    void Check1_Click();
    // Gives `engine` the volume, balance and mute the bars and the box show.
    void applySoundTo(MediaEngine& engine);
    // Follows a new engine's state: the time runs while it plays.
    void followEngine(MediaEngine& engine);
    void help_MouseMove();
    void playvcd_MouseMove();
    void ctlfrm_MouseMove();

    void pressPause() override;
    void seekBy(int seconds) override;
    void stepVolume(int steps) override;
    void toggleMute() override;

  signals:
    void playvcdClicked();
    void helpClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildTitleStrip();
    void buildSeekBar();
    void buildTransportButtons();
    void buildControlCentre();
    void startTimers();
    // The time and the seek bar tick only while the position can move and
    // somebody can see them; a jump (open, seek, Stop) shows at once.
    void followPlayback();
    void showPositionOnce();
    void tickTime();
    // The title's timer fires when the title moves a whole pixel.
    void scrollTitle();
    // From now on (the panel was shown), then step after step.
    void scheduleTitle();
    void scheduleNextTitleStep();
    void followSeen(bool seen);
    void connectScrollBar(QScrollBar* bar, void (ControlPanel::*change)(),
                          void (ControlPanel::*scroll)());
    QString runOpenDialog();
    void showSongTitle(const QString& text);
    // Moves the seek bar without seeking: only the user's moves seek.
    void setSeekBarQuietly(const std::function<void()>& change);
    void seekToSliderValue();
    void setBalance(bool dragging);
    void setVolume(bool dragging);
    void showSound(QScrollBar* bar, const QString& text);

    TitleScroller& songTitle_;
    VideoHost& video_;
    bool updatingSeekBar_ = false;
    QPointer<MediaEngine> engine_;
    SeenWatcher* seen_ = nullptr;
    int titleTicksDue_ = 1;
    QElapsedTimer titleClock_;
    qint64 titleDueMs_ = 0;
};
