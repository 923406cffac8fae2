#pragma once

// Which extra texts the shop's tags show, kept in the settings file ([tag-texts]: unit-price,
// tax-exclusive, reduced-rate-mark as true or false; mark ※ or 軽; unit-base as the 単位 column
// takes it; sheet-tax-rate 10 or 8).

#include "core/settings/settings_store.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

namespace settings {

class TagTextSettings {
public:
    // On the user's settings file.
    TagTextSettings() = default;
    explicit TagTextSettings(SettingsStore store) : store_(std::move(store)) { }

    const SettingsStore& store() const { return store_; }

    // The choices the file keeps, all off where it says nothing. A value that is not one of those
    // above is not used (its default stands) and said in `problems`, one Japanese line each; so is
    // a damaged file, of which nothing is used.
    sheet::TagTextChoices tagTextChoices(QStringList* problems) const;
    // Keeps `choices` for the shop as a whole; false, with a Japanese message in `problem`, when
    // the file could not be written.
    bool saveTagTextChoices(const sheet::TagTextChoices& choices, QString* problem);

private:
    SettingsStore store_;
};

}  // namespace settings
