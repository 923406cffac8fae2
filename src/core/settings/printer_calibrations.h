#pragma once

// Each printer's calibration in the settings file ([calibration], a value "DX,DY,SX,SY" per
// printer). A damaged file or a value out of bounds is never used: the caller is told why and
// prints without a calibration.

#include "core/calibration/calibration.h"
#include "core/settings/settings_store.h"

#include <QString>

namespace settings {

class PrinterCalibrations {
public:
    // On the user's settings file.
    PrinterCalibrations() = default;
    explicit PrinterCalibrations(SettingsStore store) : store_(std::move(store)) { }

    const SettingsStore& store() const { return store_; }

    // The printer's calibration; nothing when it has none, and with the reason (Japanese) when
    // the one kept cannot be used.
    calibration::StoredCalibration calibrationFor(const QString& printerName) const;
    // Keeps `calibration` (rounded) for the printer. False, with a Japanese message in `problem`,
    // when it is out of bounds, no printer is named or the file could not be written.
    bool saveCalibration(const QString& printerName, const calibration::Calibration& calibration, QString* problem);
    // Removes the printer's calibration; false as for saveCalibration().
    bool clearCalibration(const QString& printerName, QString* problem);

private:
    SettingsStore store_;
};

}  // namespace settings
