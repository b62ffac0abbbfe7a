#include "shell/about_box.h"

#include "ui/message_box.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>

const QString AboutAppName = QStringLiteral("Sonvela");
const QString AboutAdditionalText = QStringLiteral("  超强格式支持；方便实用快捷！");

namespace {

QIcon ownerIcon(QWidget* owner) {
    const QIcon icon = owner ? owner->window()->windowIcon() : QIcon();
    return icon.isNull() ? QApplication::windowIcon() : icon;
}

} // namespace

std::unique_ptr<QMessageBox> BuildAboutBox(QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(AboutAppName);
    // Plain text keeps the two leading spaces that rich text would drop.
    box->setTextFormat(Qt::PlainText);
    box->setText(AboutAppName);
    box->setInformativeText(AboutAdditionalText);
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
        // One short line: broken in two it reads badly.
        informative->setWordWrap(false);
    }
    box->setStandardButtons(QMessageBox::Ok);
    const QIcon icon = ownerIcon(owner);
    box->setWindowIcon(icon);
    if (!icon.isNull())
        box->setIconPixmap(icon.pixmap(48, 48));
    // Modal to its owner only: other windows (the video) stay usable.
    box->setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    // Last: the box lays itself out again when its parts change.
    FitTitle(*box);
    return box;
}

void ShowAboutBox(QWidget* owner) {
    BuildAboutBox(owner)->exec();
}
