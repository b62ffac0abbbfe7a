#include "shell/keyboard_order.h"

#include "playback/control_panel.h"
#include "shell/main_window.h"
#include "shell/playlist_view.h"
#include "ui/focus_mark.h"
#include "ui/image_button.h"
#include "ui/skin.h"

#include <QCheckBox>
#include <QScrollBar>
#include <QSlider>

namespace {
// The transport buttons' indexes as they stand left to right.
constexpr int TransportLeftToRight[ControlPanel::TransportButtons] = {0, 1, 3, 2, 5, 4};
} // namespace

QList<QWidget*> ReadingOrder(const MainWindow& window) {
    const ControlPanel& panel = *window.frm;
    QList<QWidget*> order{window.SystemButtonImage[1], window.about, window.SystemButtonImage[0],
                          panel.Slider1};
    for (int index : TransportLeftToRight)
        order << panel.CtrlImage[index];
    order << panel.playvcd << panel.HScroll1 << panel.HScroll2 << panel.help << panel.Check1
          << window.CloseButtonIamge[0] << window.lstsong << window.CloseButtonIamge[1];
    return order;
}

void SetUpKeyboard(MainWindow& window) {
    const QList<QWidget*> order = ReadingOrder(window);
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    new FocusMark(&window, Skin::CaptionColor());
}
