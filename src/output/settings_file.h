#pragma once

// The program's settings file, which keeps three things between runs: each printer's calibration,
// the choices made for each layout of product list (section [layouts], a JSON text per header key),
// and the address of the product catalogue's database.
// It is an INI file (QSettings) in the user's configuration folder, ~/.config/tanafuda/tanafuda.ini
// unless XDG_CONFIG_HOME says otherwise. A damaged file or a value out of bounds is never used:
// the caller is told why and prints without a calibration. Only a regular file of at most 1 MiB is
// read at all; anything else in its place counts as damaged, and a save moves it aside.

#include "core/calibration/calibration.h"
#include "core/productlist/layout_memory.h"

#include <QString>

#include <optional>

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

private:
    // Sets (or with nothing removes) the value at `key` ("group/name"), false as for save().
    bool write(const QString& key, const std::optional<QString>& value, QString* problem);

    QString path_;
};

}  // namespace output
