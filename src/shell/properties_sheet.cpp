#include "shell/properties_sheet.h"

#include "engine/media_engine.h"
#include "ui/accessibility.h"

#include <QPainter>
#include <QWidget>

namespace {

constexpr int TextPx = 12;
constexpr int Padding = 4;
// The grid's lines are two pixels wide.
constexpr int LineWidth = 2;

// One row: its label over the key column, its value beside it.
class PropertyLine : public QWidget {
  public:
    PropertyLine(QWidget* parent, int valueLeft) : QWidget(parent), valueLeft_(valueLeft) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        Widgets::setAccessibleRole(this, QAccessible::StaticText);
        QFont small = font();
        small.setPixelSize(TextPx);
        setFont(small);
    }

    void setRow(const PropertyRow& row) {
        row_ = row;
        // An empty row is hidden, and says nothing to a reader either.
        setAccessibleName(row.value.isEmpty() ? QString()
                                              : row.label + QStringLiteral(": ") + row.value);
        setVisible(!row.value.isEmpty());
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect label(Padding, 0, valueLeft_ - 2 * Padding, height());
        const QRect value(valueLeft_ + LineWidth + Padding, 0,
                          width() - valueLeft_ - LineWidth - 2 * Padding, height());
        const int flags = Qt::AlignLeft | Qt::AlignVCenter;
        painter.drawText(label, flags,
                         fontMetrics().elidedText(row_.label, Qt::ElideRight, label.width()));
        painter.drawText(value, flags,
                         fontMetrics().elidedText(row_.value, Qt::ElideRight, value.width()));
    }

  private:
    int valueLeft_;
    PropertyRow row_;
};

} // namespace

PropertiesSheet::PropertiesSheet(QWidget* panel, const QRect& grid, int keyColumn, int rowPitch)
    : QObject(panel) {
    // Between the ruled lines, inside the grid's left and right edges.
    const int left = grid.left() + LineWidth;
    const int width = grid.right() - LineWidth - left;
    for (int top = grid.top(); top + rowPitch <= grid.bottom(); top += rowPitch) {
        auto* line = new PropertyLine(panel, keyColumn - left);
        line->setObjectName(QStringLiteral("property_%1").arg(rows_.size()));
        line->setGeometry(left, top + LineWidth, width, rowPitch - LineWidth);
        line->setRow({});
        rows_ << line;
    }
}

void PropertiesSheet::follow(MediaEngine& engine) {
    if (engine_)
        engine_->disconnect(this);
    engine_ = &engine;
    for (auto signal : {&MediaEngine::mediaInfoChanged, &MediaEngine::playbackStateChanged})
        connect(&engine, signal, this, &PropertiesSheet::refresh);
    connect(&engine, &MediaEngine::durationKnown, this, &PropertiesSheet::refresh);
    connect(&engine, &QObject::destroyed, this, &PropertiesSheet::refresh);
    refresh();
}

void PropertiesSheet::refresh() {
    // While the next file opens, the one shown stays until it has loaded.
    if (engine_ && engine_->isOpening())
        return;
    show(engine_ ? FileProperties(engine_->fileName(), engine_->mediaInfo(), engine_->duration())
                 : QList<PropertyRow>());
}

void PropertiesSheet::show(const QList<PropertyRow>& rows) {
    for (qsizetype i = 0; i < rows_.size(); ++i)
        static_cast<PropertyLine*>(rows_[i])->setRow(rows.value(i));
}
