#pragma once

// The choices made for each layout of product list, kept in the settings file ([layouts], a JSON
// text per header key): the LayoutMemory the programs use. A damaged file remembers nothing.

#include "core/productlist/layout_memory.h"
#include "core/settings/settings_store.h"

#include <QString>

#include <optional>

namespace settings {

class RememberedLayouts : public productlist::LayoutMemory {
public:
    // On the user's settings file.
    RememberedLayouts() = default;
    explicit RememberedLayouts(SettingsStore store) : store_(std::move(store)) { }

    const SettingsStore& store() const { return store_; }

    std::optional<QString> rememberedLayout(const QString& key) const override;
    // An empty key (a list without a header) is not kept, and that is no failure.
    bool rememberLayout(const QString& key, const QString& json, QString* problem) override;

private:
    SettingsStore store_;
};

}  // namespace settings
