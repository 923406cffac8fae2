#pragma once

// Printing a page at its actual size, with the printer's calibration.
//
// The page is drawn from the paper's top-left corner (the printer's full-page mode), not from the
// corner of its printable area, so that the printed page, the PDF and the preview agree on every
// printer. The calibration of the printer is one transform of the whole page around the page
// drawing: every tag, barcode and text moves and stretches together, and the page drawing itself
// does not change.

#include "print/calibration.h"

#include <QString>
#include <QStringList>

#include <functional>

class QPainter;
class QPaintDevice;
class QPrinter;
class QTransform;

namespace platform {

class Surface;

// Sets `printer` up for an A4 portrait page drawn from the paper's corner, and asks the print
// system to print it at 100 % (no fit-to-page or shrinking). Call before the print dialog and
// again after it, since the dialog may set options of its own.
void prepareActualSizePage(QPrinter& printer);

// The print-system options that the job is sent with (name, value, name, value, ...).
QStringList printJobOptions(const QPrinter& printer);

// The painter transform of `calibration` on a device of the given resolution: a point p of the
// page (in device pixels) lands at offset + scale * p.
QTransform calibrationTransform(const print::Calibration& calibration, double dpiX, double dpiY);

// Draws one page on `printer` through a surface in millimetres with `calibration` applied to the
// whole page, and ends the document. A PDF file written this way is marked to print at actual
// size. False when the printer could not begin a page or reported an error; `error` then says
// so in Japanese.
bool printCalibratedPage(QPrinter& printer, const print::Calibration& calibration,
                         const std::function<void(Surface&)>& draw, QString* error = nullptr);

// The same on any paint device at its logical resolution (an image, a PDF writer); the painter
// is ended before returning.
bool drawCalibratedPage(QPaintDevice& device, const print::Calibration& calibration,
                        const std::function<void(Surface&)>& draw);

}  // namespace platform
