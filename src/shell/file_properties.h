#pragma once

#include "engine/media_info.h"

#include <QList>
#include <QString>
#include <optional>

// One line of the properties panel: what it is, and its value as shown.
struct PropertyRow {
    QString label;
    QString value;
    bool operator==(const PropertyRow&) const = default;
};

// The properties of the file at `path` that are known, in the panel's
// order: 文件名, 标题, 艺术家, 专辑, 时长, 格式, 码率, 采样率 / 声道,
// 分辨率, 大小. A property without a value has no row; with no info
// (nothing loaded) there are none.
QList<PropertyRow> FileProperties(const QString& path, const MediaInfo& info,
                                  std::optional<double> duration);
