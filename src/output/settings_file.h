#pragma once

// The program's settings file, which keeps four things between runs: each printer's calibration,
// the choices made for each layout of product list (section [layouts], a JSON text per header key),
// the address of the product catalogue's database, and which extra texts the shop's tags show
// (section [tag-texts]).
// It is an INI file (QSettings) in the user's configuration folder, ~/.config/tanafuda/tanafuda.ini
// unless XDG_CONFIG_HOME says otherwise. A damaged file or a value out of bounds is never used:
// the caller is told why and prints without a calibration. Only a regular file of at most 1 MiB is
// read at all; anything else in its place counts as damaged, and a save moves it aside.

#include "core/calibration/calibration.h"
#include "core/productlist/layout_memory.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace output {

using StoredCalibration = calibration::StoredCalibration;

class SettingsFile : public productlist::LayoutMemory {
public:
    // The user's settings file.
    SettingsFile();
    explicit SettingsFile(const QString& iniPath);

    QString path() const { return path_; }
    static QString defaultPath();

    StoredCalibration load(const QString& printerName) const;
    // False, with a Japanese message in `problem`, when the file could not be written.
    bool save(const QString& printerName, const calibration::Calibration& calibration, QString* problem);
    // Removes the printer's calibration; false as for save().
    bool clear(const QString& printerName, QString* problem);

    // The choices remembered for a list layout; nothing when there are none or the file is damaged.
    std::optional<QString> rememberedLayout(const QString& key) const override;
    bool rememberLayout(const QString& key, const QString& json, QString* problem) override;

    // The product catalogue's database as the file names it ([catalogue] database=, a path or a
    // postgresql:// address); empty when it names none. A relative path is taken from the settings
    // file's own folder (and "~/" from the home folder), so that every program finds the same
    // catalogue whatever folder it starts in. A damaged file gives nothing and the reason in
    // `problem`.
    QString catalogueAddress(QString* problem) const;

    // The extra texts the shop's tags show ([tag-texts]: unit-price, tax-exclusive,
    // reduced-rate-mark as true or false; mark ※ or 軽; unit-base as the 単位 column takes it;
    // sheet-tax-rate 10 or 8), all off where the file says nothing. A value that is not one of
    // those is not used (its default stands) and said in `problems`, one Japanese line each; so is
    // a damaged file, of which nothing is used.
    sheet::TagTextChoices tagTextChoices(QStringList* problems) const;
    // Keeps `choices` for the shop as a whole; false as for save().
    bool saveTagTextChoices(const sheet::TagTextChoices& choices, QString* problem);

private:
    // Sets (or with nothing removes) the value at each key ("group/name") in one write, false as
    // for save().
    using Entry = std::pair<QString, std::optional<QString>>;
    bool write(const std::vector<Entry>& entries, QString* problem);
    bool write(const QString& key, const std::optional<QString>& value, QString* problem)
    {
        return write(std::vector<Entry> {{key, value}}, problem);
    }

    QString path_;
};

}  // namespace output
