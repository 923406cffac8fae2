#pragma once

// Printing tag sheets: one job, one page per sheet, each with the calibration chosen for the
// printer the job goes to.

#include "core/jobs/printer_calibration.h"
#include "core/sheet/tag_sheet.h"
#include "output/print_job.h"

#include <functional>
#include <vector>

class QPrinter;

namespace settings {
class PrinterCalibrations;
}

namespace output {

// The calibration `request` chooses for `printer` from `calibrations`: a printer that writes a PDF
// file rather than printing has none unless one is given. `warn` is told why a kept one is not used
// (Japanese, two lines), before anything is printed.
CalibrationOfPrinter printerCalibration(const jobs::CalibrationRequest& request,
                                        const settings::PrinterCalibrations& calibrations,
                                        const std::function<void(const QString& warning)>& warn);

// Prints each sheet (its texts cut for drawing) on its own page of one job on `printer` (already
// chosen: its name, its document name) through printPages, with the calibration `calibrationOf`
// gives. A PDF file written this way is marked to print at actual size.
DocumentResult printSheets(const std::vector<sheet::TagSheet>& sheets, QPrinter& printer,
                           const CalibrationOfPrinter& calibrationOf);

}  // namespace output
