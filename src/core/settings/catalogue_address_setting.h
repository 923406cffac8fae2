#pragma once

// The product catalogue's database as the settings file names it ([catalogue] database=, a path or
// a postgresql:// address).

#include "core/settings/settings_store.h"

#include <QString>

namespace settings {

class CatalogueAddressSetting {
public:
    // On the user's settings file.
    CatalogueAddressSetting() = default;
    explicit CatalogueAddressSetting(SettingsStore store) : store_(std::move(store)) { }

    const SettingsStore& store() const { return store_; }

    // The address the file names; empty when it names none. A relative path is taken from the
    // settings file's own folder (and "~/" from the home folder), so that every program finds the
    // same catalogue whatever folder it starts in; an address that cannot be read is given back as
    // it stands, for the caller to refuse with the reason. A damaged file gives nothing and the
    // reason in `problem`.
    QString catalogueAddress(QString* problem) const;

private:
    SettingsStore store_;
};

}  // namespace settings
