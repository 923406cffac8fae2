#pragma once

// The program's settings file, which keeps each printer's calibration between runs and names the
// product catalogue's database.
// It is an INI file (QSettings) in the user's configuration folder, ~/.config/tanafuda/tanafuda.ini
// unless XDG_CONFIG_HOME says otherwise. A damaged file or a value out of bounds is never used:
// the caller is told why and prints without a calibration.

#include "core/calibration/calibration.h"

#include <QString>

#include <optional>

namespace output {

struct StoredCalibration {
    std::optional<calibration::Calibration> calibration;  // none when the printer has none or it is not usable
    QString problem;                                // Japanese: why a stored calibration is not used
};

class CalibrationSettings {
public:
    // The user's settings file.
    CalibrationSettings();
    explicit CalibrationSettings(const QString& iniPath);

    QString path() const { return path_; }
    static QString defaultPath();

    StoredCalibration load(const QString& printerName) const;
    // False, with a Japanese message in `problem`, when the file could not be written.
    bool save(const QString& printerName, const calibration::Calibration& calibration, QString* problem);
    // Removes the printer's calibration; false as for save().
    bool clear(const QString& printerName, QString* problem);

    // The product catalogue's database as the file names it ([catalogue] database=, a path or a
    // postgresql:// address); empty when it names none. A damaged file gives nothing and the
    // reason in `problem`.
    QString catalogueDatabase(QString* problem) const;

private:
    bool write(const QString& printerName, const std::optional<calibration::Calibration>& calibration, QString* problem);

    QString path_;
};

}  // namespace output
