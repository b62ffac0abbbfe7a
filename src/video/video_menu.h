#pragma once

#include <QWidget>

class QAction;
class QMenu;
class TipsHost;
class VideoHost;

// `frmmnu`: a form that is never shown and only holds the video menu
// `mnuplay` (full screen, back to the window, help, close).
class VideoMenu : public QWidget {
    Q_OBJECT
  public:
    // The engine's display sizes the menu switches between.
    static constexpr int ClipSize = 0;
    static constexpr int FullScreen = 3;

    VideoMenu(VideoHost& video, TipsHost& tips, QWidget* parent = nullptr);

    QMenu* menu() const { return mnuplay_; }
    // Pops the menu up at `at` (global); returns once it has closed and the
    // chosen item's action has run.
    void popup(QPoint at);

    void mnuFullscreen_Click();
    void mnuRestore_Click();
    void mnuhelp_Click();
    void mnuClose_Click();

  private:
    QAction* addItem(const char* name, const QString& caption, void (VideoMenu::*handler)());
    void addSeparator(const char* name);

    VideoHost& video_;
    TipsHost& tips_;
    QMenu* mnuplay_;
};
