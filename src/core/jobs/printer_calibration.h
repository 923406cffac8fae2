#pragma once

// Which calibration a print job uses: the one the user gives, none, or the one kept for the
// printer the job goes to. The editor, the import dialog, tanafuda-render and tanafuda-import all
// choose it here; the printing itself (output/print_job.h) asks for it once the printer is known.

#include "core/calibration/calibration.h"

#include <QString>

#include <functional>
#include <optional>

namespace jobs {

struct CalibrationRequest {
    std::optional<calibration::Calibration> given;  // instead of the printer's own
    bool none = false;                              // print without one, whatever is kept
};

struct ChosenCalibration {
    calibration::Calibration calibration;  // the identity when none applies
    QString warning;                       // Japanese, two lines: why the kept one is not used
};

// What the settings file keeps for a printer (settings::PrinterCalibrations::calibrationFor).
using StoredCalibrationLookup = std::function<calibration::StoredCalibration(const QString& printerName)>;

// The calibration for a job on `printerName`; an empty name (a PDF file rather than a printer)
// has none unless one is given.
ChosenCalibration chooseCalibration(const CalibrationRequest& request, const QString& printerName,
                                    const StoredCalibrationLookup& lookup);

}  // namespace jobs
