#include "engine/mpv_variant.h"

#include <mpv/client.h>

#include <QVariantList>
#include <QVariantMap>

QVariant VariantFromNode(const mpv_node& node) {
    switch (node.format) {
    case MPV_FORMAT_STRING:
        return QByteArray(node.u.string);
    case MPV_FORMAT_FLAG:
        return node.u.flag != 0;
    case MPV_FORMAT_INT64:
        return qint64(node.u.int64);
    case MPV_FORMAT_DOUBLE:
        return node.u.double_;
    case MPV_FORMAT_NODE_ARRAY: {
        QVariantList list;
        for (int i = 0; i < node.u.list->num; ++i)
            list << VariantFromNode(node.u.list->values[i]);
        return list;
    }
    case MPV_FORMAT_NODE_MAP: {
        QVariantMap map;
        for (int i = 0; i < node.u.list->num; ++i)
            map.insert(QString::fromUtf8(node.u.list->keys[i]),
                       VariantFromNode(node.u.list->values[i]));
        return map;
    }
    default:
        return {};
    }
}

QVariant VariantOfProperty(const mpv_event_property& property) {
    if (property.format != MPV_FORMAT_NODE)
        return {};
    return VariantFromNode(*static_cast<const mpv_node*>(property.data));
}
