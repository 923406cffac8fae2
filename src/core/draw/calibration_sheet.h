#pragma once

// The calibration sheet: the cell frames of a tag format and two cross marks at known places,
// each labelled with where it should be on the paper, and the calibration the sheet was printed with. The user prints it, measures where the
// marks came out, and the calibration is computed from that (core/calibration/calibration.h).

#include "core/calibration/calibration.h"

#include <QString>

#include <array>

namespace draw {
class Surface;
}
namespace sheet {
struct SheetFormat;
}

namespace draw {

struct CalibrationMark {
    QString name;                 // "A", "B": how the dialog and the label call it
    calibration::PointMm centre;  // mm from the paper's left and top edges
};

// The marks the user measures: A 15 mm from the left and top edges, B 15 mm from the right and
// bottom edges of an A4 page.
const std::array<CalibrationMark, 2>& calibrationMarks();

// Half the length of a mark's arms and the width of its bars, in millimetres.
inline constexpr double kMarkArmMm = 6.0;
inline constexpr double kMarkBarMm = 0.3;

// Draws the sheet for `format` on `surface` (cleared first), in millimetres. Beside the marks it
// says, in words and numbers, the calibration `printedWith` the sheet is printed with, so that the
// measurements are later reckoned from the right one.
void drawCalibrationSheet(const sheet::SheetFormat& format, const calibration::Calibration& printedWith,
                          draw::Surface& surface);

// The line the sheet prints about that calibration.
QString printedWithLine(const calibration::Calibration& printedWith);

}  // namespace draw
