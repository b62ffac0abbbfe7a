#include "shell/main_window.h"

#include "engine/media_engine.h"
#include "playback/control_panel.h"
#include "playback/transport.h"
#include "playlist/folder_import.h"
#include "playlist/playlist_pair.h"
#include "shared/tips_host.h"
#include "shared/video_host.h"
#include "shell/about_box.h"
#include "shell/chrome.h"
#include "shell/folder_picker.h"
#include "shell/keyboard_order.h"
#include "shell/playlist_view.h"
#include "shell/properties_sheet.h"
#include "ui/accessibility.h"
#include "ui/drag_window.h"
#include "ui/image_button.h"
#include "ui/input_codes.h"
#include "ui/messages.h"
#include "ui/skin.h"
#include "ui/twips.h"
#include "ui/widget_helpers.h"
#include "vcd/vcd_playback.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

namespace {

constexpr double ClientWidth = 4275;
const QColor WindowBackground(236, 238, 246);
const QColor StripCaptionBlue(40, 60, 200);

} // namespace

MainWindow::MainWindow(MainWindowDeps deps, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), deps_(std::move(deps)) {
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(QStringLiteral("Sonvela"));
    Widgets::setAccessibleRole(this, QAccessible::Window);
    // The program sets its icon on the application once; drawn here only
    // where nobody did.
    const QIcon programIcon = QApplication::windowIcon();
    setWindowIcon(programIcon.isNull() ? Skin::ProgramIcon() : programIcon);
    Widgets::fillBackground(this, WindowBackground);
    setAcceptDrops(true);

    buildImageStore();
    frm = new ControlPanel(deps_.playlist, deps_.songTitle, deps_.video, deps_.messages, this);
    frm->setObjectName(QStringLiteral("frm"));
    frm->setGeometry(Twips::rect(-15, 270, 4365, 1770));
    connect(frm, &ControlPanel::helpClicked, this, &MainWindow::help_Click);
    connect(frm, &ControlPanel::playvcdClicked, this, &MainWindow::playvcd_Click);
    buildTitleStrip();
    buildListPanel();
    buildPropertiesPanel();
    buildMenus();

    tray_ = new TrayIcon(traypop, this);
    connect(tray_, &TrayIcon::leftPressed, this, [this] { Form_MouseMove(1); });
    applyPanelLayout();
    SetUpKeyboard(*this);
    // Qt shows tooltips only in the active window; the video window is
    // usually the active one, and the buttons here must still explain
    // themselves then.
    connect(qApp, &QApplication::focusWindowChanged, this, &MainWindow::followActiveWindow);
    followActiveWindow();
}

void MainWindow::followActiveWindow() {
    setAttribute(Qt::WA_AlwaysShowToolTips, QApplication::activeWindow() != nullptr);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildImageStore() {
    for (int i = 0; i < 4; ++i) {
        b0[i] = Skin::b0(i);
        b1[i] = Skin::b1(i);
    }
}

void MainWindow::buildTitleStrip() {
    const QPixmap strip = Skin::StripPicture();
    const QRect strips[3] = {Twips::rect(-15, 2025, 4305, 255), Twips::rect(-15, 3975, 4305, 255),
                             Twips::rect(-15, -15, 4290, 255)};
    for (int i = 0; i < 3; ++i) {
        Image1[i] = Chrome::makeLabel(QStringLiteral("Image1_%1").arg(i), {}, this, strips[i]);
        Image1[i]->setProperty("Index", i);
        Image1[i]->setScaledContents(true);
        Image1[i]->setPixmap(strip);
    }

    lblhandle =
        Chrome::makeLabel(QStringLiteral("lblhandle"), {}, this, Twips::rect(-255, -15, 3960, 255));
    lblhandle->setToolTip(QStringLiteral("拖拉窗体"));
    lblhandle->setCursor(Qt::SizeAllCursor);
    lblhandle->installEventFilter(this);
    TitleLabel =
        Chrome::makeStripCaption(QStringLiteral("TitleLabel"), QStringLiteral("播放中心"),
                                 Skin::CaptionColor(), this, Twips::rect(1665, 30, 720, 180));

    const QString systemTips[2] = {QStringLiteral("关闭"), QStringLiteral("隐藏")};
    const QRect systemPlaces[2] = {Twips::rect(4050, 30, 180, 180),
                                   Twips::rect(3690, 15, 180, 180)};
    for (int i = 0; i < 2; ++i) {
        SystemButtonImage[i] = Chrome::makeButton(QStringLiteral("SystemButtonImage"), i,
                                                  systemTips[i], this, systemPlaces[i]);
        SystemButtonImage[i]->setLook(b0[i]);
        connectSystemButton(i);
    }
    about = Chrome::makeButton(QStringLiteral("about"), -1, QStringLiteral("关于"), this,
                               Twips::rect(3870, 15, 180, 180));
    about->setLook(Skin::AboutPicture());
    connect(about, &ImageButton::clicked, this, &MainWindow::about_Click);
}

void MainWindow::buildListPanel() {
    lbllist = Chrome::makeStripCaption(QStringLiteral("lbllist"), QStringLiteral("播放列表"),
                                       StripCaptionBlue, this, Twips::rect(1665, 2085, 720, 180));
    const QString toggleTips[2] = {QStringLiteral("隐藏或显示[列表]窗口"),
                                   QStringLiteral("隐藏或显示[属性]窗口")};
    const QRect togglePlaces[2] = {Twips::rect(4050, 2085, 180, 180),
                                   Twips::rect(4050, 4000, 180, 180)};
    for (int i = 0; i < 2; ++i) {
        CloseButtonIamge[i] = Chrome::makeButton(QStringLiteral("CloseButtonIamge"), i,
                                                 toggleTips[i], this, togglePlaces[i]);
        CloseButtonIamge[i]->setLook(b0[2]);
        connectPanelToggle(i);
    }

    PropertiyFrame = Chrome::makePanel(QStringLiteral("PropertiyFrame"), this,
                                       Twips::rect(30, 2280, 4320, 1695));
    // The outline around the playlist; the frame runs past the window's
    // right edge, so the list is centred on the part that shows.
    const QRect list = Twips::rect(75, 45, 4095, 1605);
    Chrome::addLine(PropertiyFrame, QRect(list.left() - 2, list.top() - 2, list.width() + 4, 2));
    Chrome::addLine(PropertiyFrame, QRect(list.left() - 2, list.bottom() + 1, list.width() + 4, 2));
    Chrome::addLine(PropertiyFrame, QRect(list.left() - 2, list.top(), 2, list.height()));
    Chrome::addLine(PropertiyFrame, QRect(list.right() + 1, list.top(), 2, list.height()));
    buildPlaylistView();
    lstsong->setGeometry(list);
}

void MainWindow::buildPlaylistView() {
    lstsong = new PlaylistView(deps_.playlist, deps_.messages, PropertiyFrame);
    connect(lstsong, &PlaylistView::lstsong_DblClick, this, &MainWindow::lstsong_DblClick);
    connect(lstsong, &PlaylistView::mnuplay_Click, this,
            [this] { frm->transport->mnuplay_Click(); });
    connect(lstsong, &PlaylistView::mnuadddir_Click, this, &MainWindow::mnuadddir_Click);
}

void MainWindow::buildPropertiesPanel() {
    Label1 = Chrome::makeStripCaption(QStringLiteral("Label1"), QStringLiteral("文件属性"),
                                      StripCaptionBlue, this, Twips::rect(1665, 4005, 720, 180));
    ListFrame =
        Chrome::makePanel(QStringLiteral("ListFrame"), this, Twips::rect(15, 4245, 4335, 2895));
    ListFrame->installEventFilter(this);
    // A property sheet: a box with ruled rows.
    const QRect sheet = Twips::rect(90, 75, 4080, 2745);
    Chrome::addLine(ListFrame, QRect(sheet.left(), sheet.top(), sheet.width(), 2));
    Chrome::addLine(ListFrame, QRect(sheet.left(), sheet.top(), 2, sheet.height()));
    Chrome::addLine(ListFrame, QRect(sheet.right() - 1, sheet.top(), 2, sheet.height()));
    const int keyColumn = sheet.left() + sheet.width() / 3;
    Chrome::addLine(ListFrame, QRect(keyColumn, sheet.top(), 2, sheet.height()));
    const int rowPitch = Twips::toPx(300);
    for (int top = sheet.top() + rowPitch; top < sheet.bottom(); top += rowPitch)
        Chrome::addLine(ListFrame, QRect(sheet.left(), top, sheet.width(), 2));
    properties = new PropertiesSheet(ListFrame, sheet, keyColumn, rowPitch);

    // The strips are drawn over the window, the captions and buttons over
    // the strips.
    for (QWidget* top : {static_cast<QWidget*>(lblhandle), static_cast<QWidget*>(TitleLabel),
                         static_cast<QWidget*>(lbllist), static_cast<QWidget*>(Label1)})
        top->raise();
    for (ImageButton* button : {SystemButtonImage[0], SystemButtonImage[1], about,
                                CloseButtonIamge[0], CloseButtonIamge[1]})
        button->raise();
}

void MainWindow::buildMenus() {
    const auto addItem = [this](QMenu* menu, const char* name, const QString& caption,
                                void (MainWindow::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    traypop = new QMenu(this);
    traypop->setObjectName(QStringLiteral("traypop"));
    mnuexit = addItem(traypop, "mnuexit", QStringLiteral("关闭程序"), &MainWindow::mnuexit_Click);
    mnupre = addItem(traypop, "mnupre", QStringLiteral("上一首"), &MainWindow::mnupre_Click);
    mnunext = addItem(traypop, "mnunext", QStringLiteral("下一首"), &MainWindow::mnunext_Click);
    mnuabout = addItem(traypop, "mnuabout", QStringLiteral("关于……"), &MainWindow::mnuabout_Click);
    mnuhelp = addItem(traypop, "mnuhelp", QStringLiteral("帮助……"), &MainWindow::mnuhelp_Click);
}

void MainWindow::connectPanelToggle(int index) {
    ImageButton* toggle = CloseButtonIamge[index];
    connect(toggle, &ImageButton::pressed, this,
            [this, index](int button) { CloseButtonIamge_MouseDown(index, button); });
    connect(toggle, &ImageButton::released, this,
            [this, index](int button) { CloseButtonIamge_MouseUp(index, button); });
    connect(toggle, &ImageButton::clicked, this, [this, index] { CloseButtonIamge_Click(index); });
}

void MainWindow::connectSystemButton(int index) {
    ImageButton* button = SystemButtonImage[index];
    connect(button, &ImageButton::pressed, this,
            [this, index](int code) { SystemButtonImage_MouseDown(index, code); });
    connect(button, &ImageButton::released, this,
            [this, index](int code) { SystemButtonImage_MouseUp(index, code); });
    connect(button, &ImageButton::clicked, this, [this, index] { SystemButtonImage_Click(index); });
}

// ---- Tray icon ----

void MainWindow::addTrayIcon() {
    trayRecord_ = MakeTrayIconRecord(this);
    tray_->add(trayRecord_);
}

void MainWindow::removeTrayIcon() {
    tray_->remove(trayRecord_);
}

void MainWindow::Form_MouseMove(int Button) {
    if (Button != 1)
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    deps_.video.showVideoWindow();
}

// ---- Title strip ----

void MainWindow::lblhandle_MouseDown(int /*Button*/) {
    DragWindow(this);
}

void MainWindow::SystemButtonImage_MouseDown(int Index, int /*Button*/) {
    if (Index == 0 || Index == 1)
        SystemButtonImage[Index]->setLook(b1[Index]);
}

void MainWindow::SystemButtonImage_MouseUp(int Index, int /*Button*/) {
    if (Index == 0 || Index == 1)
        SystemButtonImage[Index]->setLook(b0[Index]);
}

void MainWindow::SystemButtonImage_Click(int Index) {
    if (Index == 0 && deps_.closeProgram)
        deps_.closeProgram();
    else if (Index == 1)
        hideToNotificationArea();
}

void MainWindow::hideToNotificationArea() {
    // Without a notification area nothing would bring hidden windows back,
    // and the instance guard would refuse a new start: minimise instead.
    if (!deps_.notificationAreaAvailable || !deps_.notificationAreaAvailable()) {
        minimiseBothWindows();
        return;
    }
    deps_.video.hideVideoWindow();
    hide();
}

void MainWindow::minimiseBothWindows() {
    // The video window is the one that carries the engine's picture; a
    // hidden one stays hidden.
    QWidget* videoWindow = deps_.video.engine().view()->window();
    if (videoWindow != this && videoWindow->isVisible())
        videoWindow->showMinimized();
    showMinimized();
}

void MainWindow::about_Click() {
    ShowAboutBox(this);
}

// ---- Panels ----

void MainWindow::CloseButtonIamge_MouseDown(int Index, int /*Button*/) {
    showToggleLook(Index, ToggleLookFor(ToggleEvent::Press, PanelVisible(panels_, Index)));
}

void MainWindow::CloseButtonIamge_MouseUp(int Index, int /*Button*/) {
    showToggleLook(Index, ToggleLookFor(ToggleEvent::Release, PanelVisible(panels_, Index)));
}

void MainWindow::CloseButtonIamge_Click(int Index) {
    TogglePanel(panels_, Index);
    applyPanelLayout();
    MakeNoBorderForm(this);
}

void MainWindow::showToggleLook(int index, ToggleLook look) {
    ImageButton* toggle = CloseButtonIamge[index == 0 ? 0 : 1];
    toggle->setLook(look.pressed ? b1[look.index] : b0[look.index]);
}

void MainWindow::applyPanelLayout() {
    PropertiyFrame->setVisible(panels_.listPanelVisible);
    ListFrame->setVisible(panels_.propertiesPanelVisible);
    const auto moveTop = [](QWidget* control, int twipsTop) {
        control->move(control->x(), Twips::toPx(twipsTop));
    };
    moveTop(Image1[1], panels_.propertiesStripTop);
    moveTop(CloseButtonIamge[1], panels_.propertiesToggleTop);
    moveTop(ListFrame, panels_.propertiesPanelTop);
    moveTop(Label1, panels_.propertiesCaptionTop);
    // The window keeps its top left corner; only its bottom edge moves.
    setFixedSize(Twips::toPx(ClientWidth), Twips::toPx(panels_.windowHeight));
}

void MainWindow::MakeNoBorderForm(QWidget* form) {
    if (form->windowFlags() & Qt::FramelessWindowHint)
        return;
    const bool shown = form->isVisible();
    form->setWindowFlag(Qt::FramelessWindowHint);
    if (shown)
        form->show();
}

void MainWindow::ListFrame_MouseDown(int Button) {
    if (Button == 2)
        deps_.video.popupVideoMenu();
}

// ---- Commands ----

void MainWindow::help_Click() {
    deps_.tips.openTips();
}

void MainWindow::mnuhelp_Click() {
    help_Click();
}

void MainWindow::mnuabout_Click() {
    about_Click();
}

void MainWindow::mnuexit_Click() {
    if (deps_.exitProgram)
        deps_.exitProgram();
}

void MainWindow::mnunext_Click() {
    frm->transport->next();
}

void MainWindow::mnupre_Click() {
    frm->transport->previous();
}

void MainWindow::playvcd_Click() {
    PlayVcd(deps_.playlist, deps_.drives, deps_.programFolder, deps_.video, deps_.messages);
}

// ---- Playlist ----

void MainWindow::lstsong_DblClick() {
    frm->transport->lstsong_DblClick();
}

void MainWindow::mnuadddir_Click() {
    const QString folder = BrowseForFolder(this, FolderPrompt);
    if (!folder.isEmpty())
        ScanFolder(folder, deps_.playlist.lstsong, deps_.playlist.temlst, MediaExtensions);
}

// ---- Drag and drop ----

void MainWindow::Form_OLEDragOver(QDragMoveEvent* event) {
    PlaylistView::offerCopy(event);
}

void MainWindow::Form_OLEDragDrop(QDropEvent* event) {
    lstsong->dropFiles(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    Form_OLEDragOver(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    Form_OLEDragOver(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    Form_OLEDragDrop(event);
}

// ---- Events of child controls ----

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblhandle && event->type() == QEvent::MouseButtonPress) {
        lblhandle_MouseDown(buttonCode(static_cast<QMouseEvent*>(event)->button()));
        return true;
    }
    if (watched == ListFrame && event->type() == QEvent::MouseButtonPress) {
        ListFrame_MouseDown(buttonCode(static_cast<QMouseEvent*>(event)->button()));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
