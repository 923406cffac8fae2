#pragma once

// A printer's calibration: how the printed page is moved and stretched so that it lands on the
// paper where it is drawn. Every printer feeds and scales paper a little differently; the user
// prints the calibration sheet once per printer, measures two marks with a ruler, and the
// correction computed here is applied to the whole page when printing on that printer.
//
// A point (x, y) of the page, in millimetres from the paper's top-left corner, is printed at
//   x' = offsetX + x * scaleX / 100,   y' = offsetY + y * scaleY / 100
// (the scale is taken about the paper's corner, then the page is shifted by the offset).

#include <QString>

#include <optional>

namespace calibration {

inline constexpr double kMaxOffsetMm = 20.0;
inline constexpr double kMinScalePercent = 90.0;
inline constexpr double kMaxScalePercent = 110.0;

struct PointMm {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const PointMm&, const PointMm&) = default;
};

struct Calibration {
    double offsetXMm = 0.0;
    double offsetYMm = 0.0;
    double scaleXPercent = 100.0;
    double scaleYPercent = 100.0;

    bool isIdentity() const;
    // Where a point of the page lands on the printer's device (before the printer's own error).
    PointMm apply(PointMm pageMm) const;
    friend bool operator==(const Calibration&, const Calibration&) = default;
};

// A printer's calibration as the settings file keeps it (settings::PrinterCalibrations).
struct StoredCalibration {
    std::optional<Calibration> calibration;  // none when the printer has none or it is not usable
    QString problem;                         // Japanese: why a stored calibration is not used
};

// True when every value is a finite number within the bounds: offsets within ±20 mm, scales
// within 90–110 %.
bool withinBounds(const Calibration& calibration);

// The values rounded as they are kept: hundredths of a millimetre and of a percent.
Calibration rounded(const Calibration& calibration);

// "DX,DY,SX,SY": offsets in millimetres, scales in percent. Nothing when the text is not four
// numbers or the values are out of bounds; `problem` then says why (in English, for the
// command line).
std::optional<Calibration> parseCalibration(const QString& text, QString* problem = nullptr);
// The same form, with at most two decimals.
QString formatCalibration(const Calibration& calibration);
// A value as the calibration texts show it: at most two decimals, no trailing zeros ("1.5", "-0.25", "100").
QString formatNumber(double value);

// A shift in the user's words, rightwards and downwards positive: "右に 1.65 mm・下に 2 mm"; an
// axis without a shift is left out, and a text without any is empty.
QString describeShift(double rightMm, double downMm);
// What a calibration does, in words: "調整なし", or "左に 1.65 mm・上に 2 mm 動かす、大きさ 横 100 %・縦 99.5 %".
QString describeCalibration(const Calibration& calibration);
// The same with its numbers, as the calibration sheet prints it and the dialog lists it:
// "左に 1.65 mm・上に 2 mm 動かす、大きさ 横 100 %・縦 100 %（-1.65,-2,100,100）".
QString describeCalibrationWithNumbers(const Calibration& calibration);

// One cross mark of the calibration sheet: where it is drawn on the page and where the user
// found it on the paper, both in millimetres from the paper's left and top edges.
struct MarkMeasurement {
    PointMm drawnMm;
    PointMm measuredMm;
};

struct CalibrationResult {
    std::optional<Calibration> calibration;
    QString problem;  // Japanese, for the dialog; empty when a calibration was computed
};

// The calibration that puts the page where it is drawn, from two marks measured on a
// calibration sheet that was printed with `printedWith` (the identity for a printer without a
// calibration). The printer's own error is taken to be a shift and a stretch of each axis; the
// marks must lie apart in both directions. Refused when the measurements do not make sense or
// the result is out of bounds; the refusals quote the measurements ("first" is the sheet's mark A,
// "second" its mark B).
CalibrationResult calibrationFromMarks(const Calibration& printedWith, const MarkMeasurement& first,
                                       const MarkMeasurement& second);

// What the measured sheet shows, in the user's words: "印刷が右に 1.65 mm・下に 2 mm ずれています" when
// both marks moved alike, "印 A は右に 1 mm、印 B は右に 1.5 mm・下に 0.5 mm ずれています" when not,
// "印はずれていません" when neither moved.
QString describeMeasurement(const MarkMeasurement& first, const MarkMeasurement& second);

}  // namespace calibration
