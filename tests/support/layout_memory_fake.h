#pragma once

// Remembered list layouts kept in memory, for tests of what uses them.

#include "core/productlist/layout_memory.h"

#include <map>

namespace testfiles {

class FakeLayoutMemory : public productlist::LayoutMemory {
public:
    std::optional<QString> rememberedLayout(const QString& key) const override
    {
        const auto it = layouts.find(key);
        return it == layouts.end() ? std::nullopt : std::optional<QString>(it->second);
    }
    bool rememberLayout(const QString& key, const QString& json, QString*) override
    {
        layouts[key] = json;
        return true;
    }

    std::map<QString, QString> layouts;
};

}  // namespace testfiles
