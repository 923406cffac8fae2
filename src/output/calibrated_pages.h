#pragma once

// Printing a page at its actual size, with the printer's calibration.
//
// The page is drawn from the paper's top-left corner (the printer's full-page mode), not from the
// corner of its printable area, so that the printed page, the PDF and the preview agree on every
// printer; the printer's calibration moves and scales the whole page (output/page_transform.h).

#include "core/calibration/calibration.h"
#include "output/page_transform.h"
#include "output/print_job.h"

#include <QString>

#include <functional>

class QPrinter;

namespace draw {
class Surface;
}

namespace output {

// Prints `pageCount` pages as one job on `printer` through printPages, each drawn by `drawPage`
// through a surface in millimetres with the calibration `calibrationOf` gives for the printer. A
// PDF file written this way is marked to print at actual size.
DocumentResult printCalibratedPages(QPrinter& printer, int pageCount, const CalibrationOfPrinter& calibrationOf,
                                    const std::function<void(int index, draw::Surface&)>& drawPage);

// One page with a calibration fixed beforehand (the calibration sheet, printed with the values it
// checks). False when the printer could not begin a page or reported an error; `error` then says
// so in Japanese.
bool printCalibratedPage(QPrinter& printer, const calibration::Calibration& calibration,
                         const std::function<void(draw::Surface&)>& drawPage, QString* error = nullptr);

}  // namespace output
