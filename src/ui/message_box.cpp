#include "ui/message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace {
// Room for the title bar's buttons and icon, in lines of title text: a
// window manager draws each button about as wide as the bar is high.
constexpr int TitleBarChromeLines = 7;
} // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QWidget* parent) {
    QWidget* owner = parent && parent->isVisible() ? parent : nullptr;
    auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok, owner);
    FitTitle(*box);
    return box;
}

void FitTitle(QMessageBox& box) {
    // Title bars are usually drawn in a bold face of the desktop's font.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int width =
        metrics.horizontalAdvance(box.windowTitle()) + TitleBarChromeLines * metrics.height();
    // A message box sizes itself to its contents and ignores a minimum
    // width; a spacer across its layout is a content it keeps room for.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}
