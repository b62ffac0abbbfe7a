#include "playback/control_panel.h"

#include "engine/media_engine.h"
#include "playback/sound_labels.h"
#include "playback/time_display.h"
#include "playback/title_label.h"
#include "playback/transport.h"
#include "playback/transport_pictures.h"
#include "shared/file_chooser.h"
#include "shared/title_scroller.h"
#include "shared/video_host.h"
#include "ui/accessibility.h"
#include "ui/image_button.h"
#include "ui/seen_watcher.h"
#include "ui/twips.h"
#include "ui/widget_helpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <algorithm>

using Widgets::makeLabel;

namespace {

// Both timers ask for the fastest rate; 15 ms is what the desktop delivers
// for that. Neither runs when it could change nothing on screen.
constexpr int TimerIntervalMs = 15;

// The title's top inside its strip, in twips.
constexpr double TitleTop = 45;

constexpr int PanelFontPx = 12;
constexpr int SoundFontPx = 11;

constexpr int PauseButton = 3;

constexpr double ButtonTop = 1365;
constexpr double ButtonWidth = 240;
constexpr double ButtonHeight = 195;
struct ButtonSpec {
    const char* tooltip;
    double left;
};
const ButtonSpec Buttons[ControlPanel::TransportButtons] = {
    {"打开单个媒体文件", 375}, {"播放", 690},    {"停止", 1320},
    {"暂停播放", 1020},        {"下一首", 1935}, {"前一首", 1620}};

const QStringList OpenFilters = {
    QStringLiteral("音频文件 (*.MP3 *.WAV *.MID *.RMI *.MIDI *.AU)"),
    QStringLiteral("视频文件 (*.MPEG *.AVI *.RM)"), QStringLiteral("微软媒体文件 (*.wma)"),
    QStringLiteral("所有媒体文件 (*.mp3 *.mp2 *.wav *.flac *.ape *.ogg "
                   "*.oga *.opus *.m4a *.aac *.wma *.mka *.wv *.mid "
                   "*.midi *.rmi *.au *.mp4 *.m4v *.mkv *.webm *.avi "
                   "*.mpg *.mpeg *.ts *.m2ts *.mts *.vob *.mov *.flv "
                   "*.rm *.rmvb *.wmv *.asf *.ogv *.3gp)"),
    QStringLiteral("所有文件 (*)")};

// The look of the panel's bars: a left press anywhere in the seek bar's
// groove puts the thumb there (and so seeks there) instead of paging towards
// it, and the scroll bars, short as they are, keep a thumb small enough to
// show where it stands.
class PanelBarStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_ScrollBarSliderMin)
            return 8;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

void usePanelBarStyle(QWidget* bar) {
    auto* style = new PanelBarStyle;
    style->setParent(bar);
    bar->setStyle(style);
}

QScrollBar* makeScrollBar(const QString& name, int minimum, int maximum, QWidget* parent,
                          const QRect& where) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(minimum, maximum);
    bar->setSingleStep(5);
    bar->setPageStep(50);
    bar->setValue(0);
    bar->setGeometry(where);
    // A scroll bar's keys run as a document's (Up and Page Up towards the
    // start, Right backwards): these bars are levels, and Right, Up and
    // Page Up move them the way the thumb moves right on screen.
    bar->setInvertedControls(false);
    // Reached with Tab; a press with the mouse leaves the focus where it is.
    bar->setFocusPolicy(Qt::TabFocus);
    usePanelBarStyle(bar);
    return bar;
}

} // namespace

ControlPanel::ControlPanel(PlaylistPair& playlist, TitleScroller& songTitle, VideoHost& video,
                           Messages& messages, QWidget* parent)
    : QFrame(parent), transport(new Transport(playlist, songTitle, video, messages, this)),
      songTitle_(songTitle), video_(video) {
    setObjectName(QStringLiteral("frm"));
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    Widgets::setAccessibleRole(this, QAccessible::Pane);
    Widgets::fillBackground(this, Widgets::FrameGrey);
    QFont small = font();
    small.setPixelSize(PanelFontPx);
    setFont(small);
    resize(Twips::toPx(4365), Twips::toPx(1770));

    openFileDialog = [this] { return runOpenDialog(); };
    buildTitleStrip();
    buildSeekBar();
    buildTransportButtons();
    buildControlCentre();
    startTimers();
}

void ControlPanel::buildTitleStrip() {
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips::rect(345, 150, TitleScroller::StripWidth, 375));
    Widgets::fillBackground(Picture1, Qt::black);
    Widgets::setTextColor(Picture1, Qt::white);

    lblsongname = new TitleLabel(Picture1);
    lblsongname->setTextPosition(Twips::toPx(songTitle_.left()), Twips::toPx(TitleTop));
    connect(&songTitle_, &TitleScroller::textChanged, this, &ControlPanel::showSongTitle);
    showSongTitle(songTitle_.text());
}

void ControlPanel::showSongTitle(const QString& text) {
    // The scroller needs the width the text takes.
    lblsongname->setText(text);
    songTitle_.setWidth(Twips::fromPx(lblsongname->textWidth()));
}

void ControlPanel::buildSeekBar() {
    Slider1 = new QSlider(Qt::Horizontal, this);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    usePanelBarStyle(Slider1);
    Slider1->setAccessibleName(QStringLiteral("播放进度"));
    Slider1->setRange(0, 0);
    Slider1->setGeometry(Twips::rect(345, 600, 1860, 300));
    connect(Slider1, &QSlider::valueChanged, this, [this] {
        if (updatingSeekBar_)
            return;
        if (Slider1->isSliderDown())
            Slider1_Scroll();
        else
            Slider1_Click();
    });
    connect(transport, &Transport::seekMaximumChanged, this,
            [this](int seconds) { setSeekBarQuietly([&] { Slider1->setMaximum(seconds); }); });

    lbltime = makeLabel(QStringLiteral("lbltime"), QStringLiteral("播放进度："), this,
                        Twips::rect(345, 960, 900, 240));
    lbltimes = makeLabel(QStringLiteral("lbltimes"), QStringLiteral("00:00"), this,
                         Twips::rect(1245, 960, 960, 240));
    Widgets::describe(Slider1, lbltimes->text());
}

void ControlPanel::buildTransportButtons() {
    const qreal ratio = qApp->devicePixelRatio();
    for (int i = 0; i < TransportButtons; ++i) {
        CtrlImageBase[i] = TransportPictures::transportButton(i, false, ratio);
        CtrlSwapImage[i] = TransportPictures::transportButton(i, true, ratio);
        auto* button = new ImageButton(QStringLiteral("CtrlImage_%1").arg(i), this);
        button->setProperty("Index", i);
        button->setToolTip(QString::fromUtf8(Buttons[i].tooltip));
        button->setGeometry(Twips::rect(Buttons[i].left, ButtonTop, ButtonWidth, ButtonHeight));
        button->setLook(CtrlImageBase[i]);
        connect(button, &ImageButton::pressed, this,
                [this, i](int mouseButton) { CtrlImage_MouseDown(i, mouseButton); });
        connect(button, &ImageButton::released, this,
                [this, i](int mouseButton) { CtrlImage_MouseUp(i, mouseButton); });
        connect(button, &ImageButton::clicked, this, [this, i] { CtrlImage_Click(i); });
        CtrlImage[i] = button;
    }
}

void ControlPanel::buildControlCentre() {
    ctlfrm = new QGroupBox(QStringLiteral("控制中心"), this);
    ctlfrm->setObjectName(QStringLiteral("ctlfrm"));
    ctlfrm->setGeometry(Twips::rect(2535, 105, 1650, 1545));
    ctlfrm->setMouseTracking(true);
    ctlfrm->installEventFilter(this);

    HScroll1 =
        makeScrollBar(QStringLiteral("HScroll1"), 0, 2500, ctlfrm, Twips::rect(615, 345, 960, 210));
    HScroll2 = makeScrollBar(QStringLiteral("HScroll2"), -5000, 5000, ctlfrm,
                             Twips::rect(615, 645, 960, 210));
    HScroll1->setAccessibleName(QStringLiteral("音量"));
    HScroll2->setAccessibleName(QStringLiteral("平衡"));
    Widgets::describe(HScroll2, BalanceLabel(HScroll2->value(), false).value_or(QString()));
    connectScrollBar(HScroll1, &ControlPanel::HScroll1_Change, &ControlPanel::HScroll1_Scroll);
    connectScrollBar(HScroll2, &ControlPanel::HScroll2_Change, &ControlPanel::HScroll2_Scroll);
    lblsound =
        makeLabel(QStringLiteral("lblsound"), QString(), ctlfrm, Twips::rect(30, 1305, 1590, 210));
    lblsound->setAlignment(Qt::AlignCenter);
    // The longest balance text has to fit the frame's width.
    QFont soundFont = lblsound->font();
    soundFont.setPixelSize(SoundFontPx);
    lblsound->setFont(soundFont);
    Widgets::fitLabelTo(lblsound, WidestSoundText());

    Check1 = new QCheckBox(QStringLiteral("静音"), ctlfrm);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(Twips::rect(885, 1020, 690, 285));
    connect(Check1, &QCheckBox::stateChanged, this, &ControlPanel::Check1_Click);

    const qreal ratio = qApp->devicePixelRatio();
    playvcd = new ImageButton(QStringLiteral("playvcd"), ctlfrm);
    playvcd->setToolTip(QStringLiteral("播放VCD文件"));
    playvcd->setGeometry(Twips::rect(225, 285, 300, 315));
    playvcd->setLook(TransportPictures::vcdButton(ratio));
    connect(playvcd, &ImageButton::hovered, this, &ControlPanel::playvcd_MouseMove);
    connect(playvcd, &ImageButton::clicked, this, &ControlPanel::playvcdClicked);

    help = new ImageButton(QStringLiteral("help"), ctlfrm);
    help->setToolTip(QStringLiteral("帮助文件"));
    help->setGeometry(Twips::rect(255, 825, 300, 315));
    help->setLook(TransportPictures::helpButton(ratio));
    connect(help, &ImageButton::hovered, this, &ControlPanel::help_MouseMove);
    connect(help, &ImageButton::clicked, this, &ControlPanel::helpClicked);
}

void ControlPanel::connectScrollBar(QScrollBar* bar, void (ControlPanel::*change)(),
                                    void (ControlPanel::*scroll)()) {
    // Change: arrows, track, keyboard, code, and once when a drag ends.
    // Scroll: every step while the thumb is dragged.
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar, change, scroll] { (this->*(bar->isSliderDown() ? scroll : change))(); });
    connect(bar, &QScrollBar::sliderReleased, this, change);
}

void ControlPanel::startTimers() {
    songtime = new QTimer(this);
    songtime->setObjectName(QStringLiteral("songtime"));
    connect(songtime, &QTimer::timeout, this, &ControlPanel::tickTime);
    timscrollsongname = new QTimer(this);
    timscrollsongname->setObjectName(QStringLiteral("timscrollsongname"));
    connect(timscrollsongname, &QTimer::timeout, this, &ControlPanel::scrollTitle);
    songtime->setSingleShot(true);
    timscrollsongname->setSingleShot(true);
    titleClock_.start();
    seen_ = new SeenWatcher(this);
    connect(seen_, &SeenWatcher::seenChanged, this, &ControlPanel::followSeen);
}

void ControlPanel::followSeen(bool seen) {
    if (seen)
        scheduleTitle();
    else
        timscrollsongname->stop();
    followPlayback();
}

void ControlPanel::followEngine(MediaEngine& engine) {
    engine_ = &engine;
    connect(&engine, &MediaEngine::playbackStateChanged, this, &ControlPanel::followPlayback);
    connect(&engine, &MediaEngine::positionJumped, this, &ControlPanel::showPositionOnce);
    connect(&engine, &MediaEngine::durationKnown, transport, &Transport::onDurationKnown);
    connect(&engine, &MediaEngine::openFailed, transport, &Transport::onOpenFailed);
    connect(&engine, &MediaEngine::playbackStateChanged, transport, &Transport::onPlaybackChanged);
    followPlayback();
}

void ControlPanel::followPlayback() {
    const bool moving =
        seen_->isSeen() && engine_ && engine_->playbackState() == PlaybackState::Playing;
    if (moving && !songtime->isActive())
        songtime->start(TimerIntervalMs);
    else if (!moving)
        songtime->stop();
    showPositionOnce();
}

// The time and the bar show whole seconds: the next tick comes when the
// second shown changes, not sixty times in between.
void ControlPanel::tickTime() {
    songtime_Timer();
    const std::optional<double> position = engine_ ? engine_->currentPosition() : std::nullopt;
    songtime->start(std::max(TimerIntervalMs,
                             position ? MsUntilShownSecondChanges(*position) : TimerIntervalMs));
}

void ControlPanel::showPositionOnce() {
    if (!engine_ || !seen_->isSeen())
        return;
    songtime_Timer();
    if (songtime->isActive()) // a jump: the next change is due at another time
        songtime->start(TimerIntervalMs);
}

// One fire moves the title by the ticks it takes to reach the next whole
// pixel (usually three): the same path as a tick every 15 ms, a third of
// the wake-ups, and none that would paint nothing.
void ControlPanel::scheduleTitle() {
    titleDueMs_ = titleClock_.elapsed();
    scheduleNextTitleStep();
}

// Each step is due a fixed time after the one before, not after the moment
// it ran, so the late wake-ups of a busy desktop do not slow the title down;
// a step that fell more than a step behind is taken at once, not in a burst.
void ControlPanel::scheduleNextTitleStep() {
    titleTicksDue_ = songTitle_.ticksUntilPixelMoves();
    const qint64 now = titleClock_.elapsed();
    titleDueMs_ = std::max(titleDueMs_ + titleTicksDue_ * TimerIntervalMs, now);
    timscrollsongname->start(int(titleDueMs_ - now));
}

void ControlPanel::scrollTitle() {
    for (int i = 0; i < titleTicksDue_; ++i)
        timscrollsongname_Timer();
    if (seen_->isSeen())
        scheduleNextTitleStep();
}

void ControlPanel::pressPause() {
    CtrlImage[PauseButton]->press();
}

void ControlPanel::seekBy(int seconds) {
    Slider1->setValue(Slider1->value() + seconds);
}

void ControlPanel::stepVolume(int steps) {
    HScroll1->setValue(HScroll1->value() + steps * HScroll1->singleStep());
}

void ControlPanel::toggleMute() {
    Check1->toggle();
}

void ControlPanel::setUpOpenDialog(FileChooser& dialog) {
    dialog.setWindowTitle(QStringLiteral("打开单个媒体文件"));
    // The player's own chooser: it matches the patterns in any letter case
    // and lists names that are not UTF-8.
    dialog.setNameFilters(OpenFilters);
}

QString ControlPanel::runOpenDialog() {
    FileChooser dialog(FolderBrowser::Shows::FoldersAndFiles, this);
    setUpOpenDialog(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.chosenPath();
}

void ControlPanel::CtrlImage_Click(int Index) {
    switch (Index) {
    case 0: {
        const QString path = openFileDialog();
        QCoreApplication::processEvents();
        transport->appendOpenedFile(path);
        break;
    }
    case 1:
        transport->playSelected();
        break;
    case 2:
        transport->stopSelected();
        break;
    case 3:
        transport->PauseIt();
        break;
    case 4:
        transport->next();
        break;
    case 5:
        transport->previous();
        break;
    default:
        break;
    }
}

void ControlPanel::CtrlImage_MouseDown(int Index, int /*Button*/) {
    if (Index >= 0 && Index < TransportButtons)
        CtrlImage[Index]->setLook(CtrlSwapImage[Index]);
}

void ControlPanel::CtrlImage_MouseUp(int Index, int /*Button*/) {
    if (Index >= 0 && Index < TransportButtons)
        CtrlImage[Index]->setLook(CtrlImageBase[Index]);
}

void ControlPanel::setSeekBarQuietly(const std::function<void()>& change) {
    updatingSeekBar_ = true;
    change();
    updatingSeekBar_ = false;
}

void ControlPanel::songtime_Timer() {
    MediaEngine& engine = video_.engine();
    const std::optional<double> position = engine.currentPosition();
    if (!position)
        return;
    setSeekBarQuietly([&] { Slider1->setValue(RoundHalfEven(*position)); });
    const std::optional<double> again = engine.currentPosition();
    if (!again)
        return;
    if (const std::optional<QString> text = ElapsedText(*again)) {
        lbltimes->setText(*text);
        Widgets::describe(Slider1, *text);
    }
}

void ControlPanel::seekToSliderValue() {
    video_.engine().setCurrentPosition(Slider1->value());
}

void ControlPanel::Slider1_Click() {
    seekToSliderValue();
}

void ControlPanel::Slider1_Scroll() {
    seekToSliderValue();
}

void ControlPanel::setVolume(bool dragging) {
    const int v = HScroll1->value();
    video_.engine().setVolume(EngineVolume(v));
    showSound(HScroll1, VolumeLabel(v, dragging));
}

// The label reads what the bar says, and so does a screen reader on the
// bar (the numbers it would read otherwise run to 2500).
void ControlPanel::showSound(QScrollBar* bar, const QString& text) {
    lblsound->setText(text);
    Widgets::describe(bar, text);
}

void ControlPanel::HScroll1_Change() {
    setVolume(false);
}

void ControlPanel::HScroll1_Scroll() {
    setVolume(true);
}

void ControlPanel::setBalance(bool dragging) {
    const int v = HScroll2->value();
    if (const std::optional<QString> text = BalanceLabel(v, dragging))
        showSound(HScroll2, *text);
    video_.engine().setBalance(v);
}

void ControlPanel::HScroll2_Change() {
    setBalance(false);
}

void ControlPanel::HScroll2_Scroll() {
    setBalance(true);
}

void ControlPanel::timscrollsongname_Timer() {
    songTitle_.tick();
    // Three ticks make a pixel: the two that move none paint nothing.
    lblsongname->setTextPosition(Twips::toPx(songTitle_.left()), Twips::toPx(TitleTop));
}

void ControlPanel::Check1_Click() {
    video_.engine().setMute(Check1->checkState() == Qt::Checked);
}

void ControlPanel::applySoundTo(MediaEngine& engine) {
    engine.setVolume(EngineVolume(HScroll1->value()));
    engine.setBalance(HScroll2->value());
    engine.setMute(Check1->checkState() == Qt::Checked);
}

void ControlPanel::help_MouseMove() {
    help->setOutlined(true);
    playvcd->setOutlined(false);
}

void ControlPanel::playvcd_MouseMove() {
    playvcd->setOutlined(true);
    help->setOutlined(false);
}

void ControlPanel::ctlfrm_MouseMove() {
    help->setOutlined(false);
    playvcd->setOutlined(false);
}

bool ControlPanel::eventFilter(QObject* watched, QEvent* event) {
    // Moves over the buttons and bars inside come up here too when those
    // ignore them; only a move over the frame's own area counts.
    if (watched == ctlfrm && event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!ctlfrm->childAt(move->position().toPoint()))
            ctlfrm_MouseMove();
    }
    return QFrame::eventFilter(watched, event);
}
