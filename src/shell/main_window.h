#pragma once

#include "shell/panel_layout.h"
#include "shell/tray_icon.h"

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>

class ControlPanel;
class ImageButton;
class Messages;
class OpticalDriveProbe;
class PlaylistPair;
class PlaylistView;
class PropertiesSheet;
class QAction;
class QDragMoveEvent;
class QDropEvent;
class QFrame;
class QLabel;
class QMenu;
class TipsHost;
class TitleScroller;
class VideoHost;

// What the main window works with; all of it outlives the window.
struct MainWindowDeps {
    PlaylistPair& playlist;
    TitleScroller& songTitle;
    VideoHost& video;
    TipsHost& tips;
    Messages& messages;
    OpticalDriveProbe& drives;
    QString programFolder;
    // The close button: save the lists, delete the VCD playlist, remove the
    // tray icon, end the process.
    std::function<void()> closeProgram;
    // "关闭程序": end the process at once.
    std::function<void()> exitProgram;
    // Whether the desktop has a notification area to hide into.
    std::function<bool()> notificationAreaAvailable = &QSystemTrayIcon::isSystemTrayAvailable;
};

// The main window `frmmain`: borderless and skinned, with the title strip,
// the control panel `frm`, the list panel `PropertiyFrame` (holding the
// playlist `lstsong`) and the properties panel `ListFrame`, each panel
// under a strip with a show/hide toggle. It builds the controls and hands
// their events to the handlers below.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(MainWindowDeps deps, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Strips: 0 list, 1 properties, 2 title. objectName "Image1_<i>".
    QLabel* Image1[3] = {};
    QLabel* lblhandle = nullptr;
    QLabel* TitleLabel = nullptr;
    // 0 close, 1 hide.
    ImageButton* SystemButtonImage[2] = {};
    ImageButton* about = nullptr;
    ControlPanel* frm = nullptr;
    QLabel* lbllist = nullptr;
    // 0 list toggle, 1 properties toggle.
    ImageButton* CloseButtonIamge[2] = {};
    QFrame* PropertiyFrame = nullptr;
    PlaylistView* lstsong = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* ListFrame = nullptr;
    // The grid of ListFrame, showing the properties of the file playing.
    PropertiesSheet* properties = nullptr;

    // The notification icon's menu.
    QMenu* traypop = nullptr;
    QAction* mnuexit = nullptr;
    QAction* mnupre = nullptr;
    QAction* mnunext = nullptr;
    QAction* mnuabout = nullptr;
    QAction* mnuhelp = nullptr;

    // The image store of the chrome buttons: normal and pressed looks.
    QPixmap b0[4];
    QPixmap b1[4];

    // Start-up adds the notification icon, the close button removes it,
    // both with the same record.
    void addTrayIcon();
    void removeTrayIcon();
    const TrayIconRecord& trayIconRecord() const { return trayRecord_; }
    TrayIcon& trayIcon() { return *tray_; }

    const PanelLayout& panelLayout() const { return panels_; }

    // Makes `form` a window without system frame. The main window is one
    // from its creation, so for it nothing changes.
    void MakeNoBorderForm(QWidget* form);

    void lblhandle_MouseDown(int Button);
    void CloseButtonIamge_MouseDown(int Index, int Button);
    void CloseButtonIamge_MouseUp(int Index, int Button);
    void CloseButtonIamge_Click(int Index);
    void ListFrame_MouseDown(int Button);
    void SystemButtonImage_MouseDown(int Index, int Button);
    void SystemButtonImage_MouseUp(int Index, int Button);
    void SystemButtonImage_Click(int Index);
    // The notification icon's mouse report; 1 (left) shows both windows.
    // The right button's menu, traypop, is the icon's own context menu.
    void Form_MouseMove(int Button);
    void about_Click();
    void help_Click();
    void playvcd_Click();
    void mnuabout_Click();
    void mnuhelp_Click();
    void mnuexit_Click();
    void mnunext_Click();
    void mnupre_Click();
    void lstsong_DblClick();
    // Asks for a folder and imports its media files into the playlist.
    void mnuadddir_Click();
    void Form_OLEDragOver(QDragMoveEvent* event);
    void Form_OLEDragDrop(QDropEvent* event);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildImageStore();
    void buildTitleStrip();
    void buildListPanel();
    void buildPropertiesPanel();
    void buildMenus();
    void buildPlaylistView();
    void connectPanelToggle(int index);
    void connectSystemButton(int index);
    void applyPanelLayout();
    void followActiveWindow();
    void showToggleLook(int index, ToggleLook look);
    void hideToNotificationArea();
    void minimiseBothWindows();

    MainWindowDeps deps_;
    PanelLayout panels_;
    TrayIcon* tray_ = nullptr;
    TrayIconRecord trayRecord_;
};
