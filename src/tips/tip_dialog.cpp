#include "tips/tip_dialog.h"

#include "platform/data_folders.h"
#include "platform/settings_store.h"
#include "tips/tip_store.h"
#include "ui/accessibility.h"
#include "ui/drag_window.h"
#include "ui/skin.h"
#include "ui/twips.h"
#include "ui/widget_helpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

using Widgets::fillBackground;
using Widgets::setTextColor;

namespace {

const QString AppTitle = QStringLiteral("Sonvela");
const QString OptionsSection = QStringLiteral("Options");
const QString ShowTipsKey = QStringLiteral("Show Tips at Startup");
const QString TipSection = QStringLiteral("Tip");

template <typename Control> Control* place(QWidget* parent, const char* name, QRect twipsRect) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipsRect);
    return control;
}

QLabel* stripImage(QWidget* parent, const char* name, QRect twipsRect) {
    auto* strip = place<QLabel>(parent, name, twipsRect);
    strip->setScaledContents(true);
    strip->setPixmap(Skin::StripPicture());
    Widgets::setDecorative(strip);
    return strip;
}

// X11 coordinates are 16-bit: a saved position beyond them is clamped, not
// wrapped round.
int windowCoordinate(double twips) {
    return std::clamp(Twips::toPx(std::clamp(twips, -1e9, 1e9)), -32768, 32767);
}

} // namespace

TipDialog::TipDialog(SettingsStore& settings, QString appName, QString programFolder,
                     TipStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), settings_(settings),
      appName_(std::move(appName)), programFolder_(std::move(programFolder)), store_(store) {
    setObjectName(QStringLiteral("frmtip"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("每日一帖"));
    Widgets::setAccessibleRole(this, QAccessible::Dialog);
    buildControls();
}

void TipDialog::buildControls() {
    QFont font = this->font();
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(Twips::toPx(4335), Twips::toPx(3840));
    fillBackground(this, Widgets::FrameGrey);

    Image1 = stripImage(this, "Image1", Twips::rect(30, 0, 4275, 255));
    Label2 = place<QLabel>(this, "Label2", Twips::rect(1740, 60, 720, 180));
    Label2->setText(QStringLiteral("每日一帖"));
    setTextColor(Label2, Qt::blue);

    Picture1 = place<QFrame>(this, "Picture1", Twips::rect(150, 345, 3945, 2850));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    fillBackground(Picture1, QColor(192, 192, 255));
    Widgets::setAccessibleRole(Picture1, QAccessible::Pane);
    Picture2 = place<QLabel>(Picture1, "Picture2", Twips::rect(45, 30, 480, 480));
    Picture2->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    Widgets::setDecorative(Picture2);
    Label1 = place<QLabel>(Picture1, "Label1", Twips::rect(675, 165, 1110, 255));
    Label1->setText(QStringLiteral("您了解吗？"));
    setTextColor(Label1, Qt::red);
    lblTipText = place<QLabel>(Picture1, "lblTipText", Twips::rect(45, 510, 3705, 1800));
    lblTipText->setWordWrap(true);
    lblTipText->setTextFormat(Qt::PlainText);
    lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    chktip = place<QCheckBox>(Picture1, "chktip", Twips::rect(90, 2430, 1410, 195));
    chktip->setText(QStringLiteral("启动显示"));
    // The box and its text need more than the 13 pixels it was drawn with.
    chktip->resize(std::max(chktip->width(), chktip->sizeHint().width()),
                   std::max(chktip->height(), chktip->sizeHint().height()));

    cmdNextTip = place<QPushButton>(this, "cmdNextTip", Twips::rect(885, 3240, 1125, 285));
    cmdNextTip->setText(QStringLiteral("下一个(&N)"));
    cmdOK = place<QPushButton>(this, "cmdOK", Twips::rect(2565, 3255, 1140, 300));
    cmdOK->setText(QStringLiteral("关闭"));
    // As in any dialog, Enter presses the focused button, else the default.
    cmdNextTip->setAutoDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setDefault(true);
    Image2 = stripImage(this, "Image2", Twips::rect(30, 3600, 4245, 255));

    setTabOrder(cmdNextTip, cmdOK);
    setTabOrder(cmdOK, chktip);
    cmdNextTip->setFocus();

    Image1->installEventFilter(this);
    Label2->installEventFilter(this);
    connect(chktip, &QCheckBox::toggled, this, &TipDialog::chktip_Click);
    connect(cmdNextTip, &QPushButton::clicked, this, &TipDialog::cmdNextTip_Click);
    connect(cmdOK, &QPushButton::clicked, this, &TipDialog::cmdOK_Click);
}

bool TipDialog::Form_Load() {
    const QString showTip = settings_.read(appName_, QStringLiteral("StartUp"),
                                           QStringLiteral("ShowTip"), QStringLiteral("1"));
    // Only a value that really reads as 0 keeps the dialog shut; anything
    // unreadable lets it open.
    bool isNumber = false;
    const double showTipValue = showTip.trimmed().toDouble(&isNumber);
    if (isNumber && showTipValue == 0) {
        close();
        return false;
    }
    chktip->setChecked(true);
    restorePosition();
    store_.seedFromClock();
    if (!LoadTips(tipsFilePath()))
        presentTip(TipsNotFoundText());
    return true;
}

QString TipDialog::tipsFilePath() const {
    return ProgramFile(programFolder_, TipsFileName);
}

bool TipDialog::LoadTips(const QString& path) {
    if (!store_.LoadTips(path))
        return false;
    DisplayCurrentTip();
    return true;
}

void TipDialog::DisplayCurrentTip() {
    if (const std::optional<QString> tip = store_.currentTip())
        presentTip(*tip);
}

void TipDialog::presentTip(const QString& text) {
    lblTipText->setText(text);
    // Screen readers say the dialog's description as it opens (a tip in
    // Chinese is one word to them, too short to be read as a label).
    Widgets::describe(this, text);
}

void TipDialog::PickRandomTip() {
    store_.PickRandomTip();
    DisplayCurrentTip();
}

void TipDialog::restorePosition() {
    const QString left = settings_.read(appName_, TipSection, QStringLiteral("Left"));
    const QString top = settings_.read(appName_, TipSection, QStringLiteral("Top"));
    restoredTwips_ = QPointF(LeadingNumber(left), LeadingNumber(top));
    move(windowCoordinate(restoredTwips_.x()), windowCoordinate(restoredTwips_.y()));
}

QPointF TipDialog::positionTwips() const {
    // Pixels cannot hold every twip: as long as the window stands where the
    // restored position put it, that exact position is the one to keep.
    const QPoint restoredPixels(windowCoordinate(restoredTwips_.x()),
                                windowCoordinate(restoredTwips_.y()));
    if (pos() == restoredPixels)
        return restoredTwips_;
    return QPointF(Twips::fromPx(pos().x()), Twips::fromPx(pos().y()));
}

QString TipDialog::chktipValue() const {
    return chktip->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void TipDialog::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void TipDialog::Form_Unload() {
    const QPointF position = positionTwips();
    settings_.write(appName_, TipSection, QStringLiteral("Left"), TwipsText(position.x()));
    settings_.write(appName_, TipSection, QStringLiteral("Top"), TwipsText(position.y()));
    settings_.write(AppTitle, OptionsSection, ShowTipsKey, chktipValue());
}

void TipDialog::keyPressEvent(QKeyEvent* event) {
    // cmdOK is the default and the cancel button.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cmdOK->click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool TipDialog::eventFilter(QObject* watched, QEvent* event) {
    // The press that starts a drag is the drag's alone, as on the main
    // window's handle: passed on, it reaches the dialog behind the strip
    // while the move is already under way.
    if (event->type() == QEvent::MouseButtonPress && (watched == Image1 || watched == Label2)) {
        if (watched == Image1)
            Image1_MouseDown();
        else
            Label2_MouseDown();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TipDialog::chktip_Click() {
    settings_.write(appName_, OptionsSection, ShowTipsKey, chktipValue());
}

void TipDialog::cmdNextTip_Click() {
    PickRandomTip();
    // Readers speak a new description of the control the user is on: the
    // button carries the tip it brought.
    Widgets::describe(cmdNextTip, lblTipText->text());
}

void TipDialog::cmdOK_Click() {
    close();
}

void TipDialog::Image1_MouseDown() {
    DragWindow(this);
}

void TipDialog::Label2_MouseDown() {
    DragWindow(this);
}
