#include "core/settings/remembered_layouts.h"

namespace settings {

namespace {

QString keyOf(const QString& layoutKey)
{
    return QStringLiteral("layouts/") + escapedKey(layoutKey);
}

}  // namespace

std::optional<QString> RememberedLayouts::rememberedLayout(const QString& key) const
{
    if (key.isEmpty()) {
        return std::nullopt;
    }
    return store_.read().text(keyOf(key));
}

bool RememberedLayouts::rememberLayout(const QString& key, const QString& json, QString* problem)
{
    if (key.isEmpty()) {
        return true;
    }
    return store_.write({{keyOf(key), json}}, problem);
}

}  // namespace settings
