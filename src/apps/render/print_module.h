#pragma once

// The entry point of tanafuda-render's print module (tanafuda-render-print.so), looked up by name
// once the module is loaded.

#include "core/calibration/calibration.h"
#include "output/print_job.h"

#include <QString>

#include <functional>

inline constexpr char kPrintModuleFile[] = "tanafuda-render-print.so";
inline constexpr char kPrintEntryName[] = "tanafudaPrintPages";

// Asked for the calibration of the printer a job goes to (the default one's when none was named),
// by its name, before the first page is drawn.
using CalibrationOfPrinterName = std::function<calibration::Calibration(const QString& printerName)>;

// Prints `pageCount` pages in one job on the printer named (the default one when empty) through
// output::printPages; false with the reason in `error` when there is no such printer or the job
// failed.
using PrintEntry
    = bool (*)(const QString& printerName, const QString& docName, int pageCount,
               const CalibrationOfPrinterName& calibrationOf, const output::PageDrawer& drawPage, QString& error);
