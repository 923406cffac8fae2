#pragma once

// Printing a page at its actual size, with the printer's calibration.
//
// The page is drawn from the paper's top-left corner (the printer's full-page mode), not from the
// corner of its printable area, so that the printed page, the PDF and the preview agree on every
// printer; the printer's calibration moves and scales the whole page (output/page_transform.h).

#include "output/page_transform.h"
#include "output/print_pages.h"
#include "core/calibration/calibration.h"

#include <QString>

#include <functional>

class QPrinter;

namespace draw {
class Surface;
}

namespace output {

// Draws one page on `printer` through a surface in millimetres with `calibration` applied to the
// whole page, and ends the document. A PDF file written this way is marked to print at actual
// size. False when the printer could not begin a page or reported an error; `error` then says
// so in Japanese.
bool printCalibratedPage(QPrinter& printer, const calibration::Calibration& calibration,
                         const std::function<void(draw::Surface&)>& drawPage, QString* error = nullptr);

}  // namespace output
