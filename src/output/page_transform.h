#pragma once

// The calibration of a printer as one transform of the whole page around the page drawing: every
// tag, barcode and text moves and stretches together, and the page drawing itself does not
// change. Needs no print support (images, PDF and SVG documents use it too).

#include "core/calibration/calibration.h"

#include <functional>

class QPaintDevice;
class QTransform;

namespace draw {
class Surface;
}

namespace output {

// The painter transform of `calibration` on a device of the given resolution: a point p of the
// page (in device pixels) lands at offset + scale * p.
QTransform calibrationTransform(const calibration::Calibration& calibration, double dpiX, double dpiY);

// Draws one page on `device` at its logical resolution (an image, a PDF writer, a printer) through
// a surface in millimetres, with `calibration` applied to the whole page; the painter is ended
// before returning. False when the painter could not begin or end.
bool drawCalibratedPage(QPaintDevice& device, const calibration::Calibration& calibration,
                        const std::function<void(draw::Surface&)>& drawPage);

}  // namespace output
