#pragma once

// Drawing the bars of a JAN (EAN-13 / EAN-8) symbol on a surface: the module string of
// core/barcode/barcode.h laid out in whole device pixels a module where the device allows, and the
// quiet zones drawn again in white over whatever was drawn across them.

#include "core/barcode/barcode.h"

#include <QString>

namespace draw {

class Surface;

// Draws the symbol of `code` into the rectangle (x1, y1)-(x2, y2), given in the surface's current
// unit, and returns barcode::JanStatus::ok, or wrongCheckDigit / notANumber having drawn nothing.
barcode::JanStatus drawJanBarcode(Surface& surface, const QString& code, double x1, double y1, double x2, double y2);
// Draws again, in white, the quiet zones of the symbol that drawJanBarcode draws for the same
// arguments (the light modules before its first bar and after its last), so that marks drawn
// over them since (a neighbouring frame) do not stop a scanner. Returns what drawJanBarcode
// returns, drawing nothing where it draws nothing.
barcode::JanStatus drawJanQuietZones(Surface& surface, const QString& code, double x1, double y1, double x2, double y2);

}  // namespace draw
