#pragma once

#include "shell/file_properties.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class MediaEngine;
class QWidget;

// The properties panel's ruled grid, filled with the properties of the file
// the engine has loaded: in each row the label left of the grid's key
// column and the value right of it. Rows left over stay blank, and so does
// the whole grid while nothing is loaded. A screen reader reads each row as
// "label: value"; presses go through to the panel.
class PropertiesSheet : public QObject {
    Q_OBJECT
  public:
    // `grid` and `keyColumn` in the panel's pixels; a row every `rowPitch`.
    PropertiesSheet(QWidget* panel, const QRect& grid, int keyColumn, int rowPitch);

    // The engine whose file is shown; a new one replaces it.
    void follow(MediaEngine& engine);
    // As many of `rows` as the grid holds, from the top.
    void show(const QList<PropertyRow>& rows);
    // One widget per row of the grid, top to bottom.
    const QList<QWidget*>& rowWidgets() const { return rows_; }

  private:
    void refresh();

    QList<QWidget*> rows_;
    QPointer<MediaEngine> engine_;
};
