#pragma once

// Print jobs of several pages: one painter on one printer, a new page for each page. Needs Qt's
// print support only, so that a program can load it when it prints and not before.

#include "core/calibration/calibration.h"

#include <QString>
#include <QStringList>

#include <functional>

class QPainter;
class QPrinter;

namespace output {

struct DocumentResult {
    bool ok = false;
    QString error;  // why not, when !ok
};

// Draws page `index` (0-based) through `painter`, begun on a device of `dpiX` x `dpiY` dots per inch,
// moved and scaled as a whole by `calibration`.
using PageDrawer = std::function<void(int index, QPainter& painter, double dpiX, double dpiY,
                                      const calibration::Calibration& calibration)>;

// The calibration of the printer a job goes to, asked once the printer is set up and before the
// first page (core/jobs/printer_calibration.h chooses it).
using CalibrationOfPrinter = std::function<calibration::Calibration(const QPrinter& printer)>;

// Sets `printer` up for an A4 portrait page drawn from the paper's corner, and asks the print
// system to print it at 100 % (no fit-to-page or shrinking). Call before the print dialog and
// again after it, since the dialog may set options of its own.
void prepareActualSizePage(QPrinter& printer);

// The print-system options that the job is sent with (name, value, name, value, ...).
QStringList printJobOptions(const QPrinter& printer);

// Sets `printer` to the printer named (the default one when empty); false with the reason in
// `error` when there is no such printer.
bool choosePrinterByName(QPrinter& printer, const QString& printerName, QString& error);

// Every page the programs print goes through here. Prints `pageCount` pages as one job on
// `printer` (already chosen and named), each on A4 portrait drawn from the paper's corner at actual
// size (prepareActualSizePage), each drawn with the calibration `calibrationOf` gives for the printer.
DocumentResult printPages(QPrinter& printer, int pageCount, const CalibrationOfPrinter& calibrationOf,
                          const PageDrawer& drawPage);

}  // namespace output
