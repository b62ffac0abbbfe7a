#pragma once

#include <QVariant>

struct mpv_event_property;
struct mpv_node;

// A value mpv reported, as Qt holds it: text as its raw bytes (QByteArray:
// mpv hands tags over as the file has them, in whatever encoding), maps
// and lists as QVariantMap and QVariantList, numbers and flags as they are.
QVariant VariantFromNode(const mpv_node& node);
// The value of a property report made in MPV_FORMAT_NODE; invalid when the
// property has none (nothing loaded).
QVariant VariantOfProperty(const mpv_event_property& property);
