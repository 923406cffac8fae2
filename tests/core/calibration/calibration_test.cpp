#include "core/calibration/calibration.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using calibration::Calibration;
using calibration::MarkMeasurement;
using calibration::PointMm;

namespace {

// A printer's own error along both axes: a device point r lands on the paper at offset + scale * r.
struct PrinterError {
    double offsetXMm, scaleX, offsetYMm, scaleY;
    PointMm onPaper(PointMm device) const { return {offsetXMm + scaleX * device.x, offsetYMm + scaleY * device.y}; }
};

constexpr PointMm kMarkA {15, 15};
constexpr PointMm kMarkB {195, 282};
constexpr Calibration kNone {};

struct FromMarksRow {
    const char* name;
    Calibration printedWith;
    PrinterError printer;
    Calibration expected;  // worked out by hand, rounded to hundredths
};

const FromMarksRow kFromMarks[] = {
    {"shift only", kNone, {2, 1, 1, 1}, {-2, -1, 100, 100}},
    {"shrinks by one percent", kNone, {0, 0.99, 0, 0.99}, {0, 0, 101.01, 101.01}},
    // x: 3 + 1.02 r  -> scale 1 / 1.02, offset -3 / 1.02;  y: -1.5 + 0.98 r -> 1 / 0.98, 1.5 / 0.98
    {"shift and stretch per axis", kNone, {3, 1.02, -1.5, 0.98}, {-2.94, 1.53, 98.04, 102.04}},
    // Printed with the right correction already: the marks land where drawn, nothing changes.
    {"already calibrated", {-2, -1, 100, 100}, {2, 1, 1, 1}, {-2, -1, 100, 100}},
    // A wrong correction on an exact printer is taken back to none.
    {"wrong correction on an exact printer", {1, 0, 101, 100}, {0, 1, 0, 1}, {0, 0, 100, 100}},
    // Refining: an old correction that fixed only the shift, on a printer that also stretches.
    {"refined", {-2, 0, 100, 100}, {2, 1.01, 0, 1}, {-1.98, 0, 99.01, 100}},
    {"largest offsets", kNone, {-14, 1, 20, 1}, {14, -20, 100, 100}},
};

TEST(CalibrationFromMarks, PutsThePageWhereItIsDrawn)
{
    for (const FromMarksRow& row : kFromMarks) {
        SCOPED_TRACE(row.name);
        const MarkMeasurement a {kMarkA, row.printer.onPaper(row.printedWith.apply(kMarkA))};
        const MarkMeasurement b {kMarkB, row.printer.onPaper(row.printedWith.apply(kMarkB))};
        const calibration::CalibrationResult result = calibration::calibrationFromMarks(row.printedWith, a, b);
        ASSERT_TRUE(result.calibration.has_value()) << result.problem.toStdString();
        EXPECT_TRUE(result.problem.isEmpty());
        const Calibration& c = *result.calibration;
        EXPECT_DOUBLE_EQ(c.offsetXMm, row.expected.offsetXMm);
        EXPECT_DOUBLE_EQ(c.offsetYMm, row.expected.offsetYMm);
        EXPECT_DOUBLE_EQ(c.scaleXPercent, row.expected.scaleXPercent);
        EXPECT_DOUBLE_EQ(c.scaleYPercent, row.expected.scaleYPercent);
        // Printed with it, points all over the page land where they are drawn (the rounding of
        // the kept values leaves a few hundredths at the far corner).
        for (const PointMm p : {PointMm {0, 0}, kMarkA, PointMm {105, 148.5}, kMarkB, PointMm {210, 297}}) {
            const PointMm landed = row.printer.onPaper(c.apply(p));
            EXPECT_NEAR(landed.x, p.x, 0.05) << "x of (" << p.x << ", " << p.y << ")";
            EXPECT_NEAR(landed.y, p.y, 0.05) << "y of (" << p.x << ", " << p.y << ")";
        }
    }
}

struct RefusedRow {
    const char* name;
    PointMm measuredA;
    PointMm measuredB;
    const char* problemWord;  // a word the message must hold
    const char* quoted;       // the measurements as the message quotes them
};

const RefusedRow kRefused[] = {
    {"marks typed the wrong way round", kMarkB, kMarkA, "逆", "印 A は左端から 195 mm・上端から 282 mm"},
    {"x of the marks swapped", {195, 15}, {15, 282}, "逆", "印 B は左端から 15 mm"},
    {"a negative distance", {-1, 15}, {195, 282}, "用紙の外", "左端から -1 mm"},
    {"a distance far beyond the paper", {15, 15}, {195, 2820}, "用紙の外", "上端から 2820 mm"},
    {"not a number", {std::nan(""), 15}, {195, 282}, "用紙の外", ""},
    {"shifted more than 20 mm", {40, 15}, {220, 282}, "範囲", "印刷が右に 25 mm ずれています"},
    {"stretched beyond 110 %", {15, 15}, {15 + 180 * 0.85, 282}, "範囲", "横 153 mm"},
    {"both marks at one place", {15, 15}, {15, 15}, "逆", "印 B は左端から 15 mm・上端から 15 mm"},
};

TEST(CalibrationFromMarks, RefusesMeasurementsThatMakeNoSense)
{
    for (const RefusedRow& row : kRefused) {
        SCOPED_TRACE(row.name);
        const calibration::CalibrationResult result
            = calibration::calibrationFromMarks(kNone, {kMarkA, row.measuredA}, {kMarkB, row.measuredB});
        EXPECT_FALSE(result.calibration.has_value());
        EXPECT_TRUE(result.problem.contains(QString::fromUtf8(row.problemWord))) << result.problem.toStdString();
        EXPECT_TRUE(result.problem.contains(QString::fromUtf8(row.quoted))) << result.problem.toStdString();
    }
}

TEST(CalibrationFromMarks, NeedsMarksApartOnBothAxes)
{
    const calibration::CalibrationResult result
        = calibration::calibrationFromMarks(kNone, {{15, 15}, {15, 15}}, {{195, 40}, {195, 40}});
    EXPECT_FALSE(result.calibration.has_value());
    EXPECT_FALSE(result.problem.isEmpty());
}

struct BoundsRow {
    Calibration calibration;
    bool within;
};

TEST(Calibration, Bounds)
{
    const double inf = std::numeric_limits<double>::infinity();
    const BoundsRow rows[] = {
        {{0, 0, 100, 100}, true},      {{20, -20, 90, 110}, true},           {{-20, 20, 110, 90}, true},
        {{20.01, 0, 100, 100}, false}, {{0, -20.01, 100, 100}, false},       {{0, 0, 89.99, 100}, false},
        {{0, 0, 100, 110.01}, false},  {{std::nan(""), 0, 100, 100}, false}, {{0, 0, inf, 100}, false},
        {{0, 0, 100, 0}, false},
    };
    for (const BoundsRow& row : rows) {
        const Calibration& c = row.calibration;
        EXPECT_EQ(calibration::withinBounds(c), row.within)
            << c.offsetXMm << "," << c.offsetYMm << "," << c.scaleXPercent << "," << c.scaleYPercent;
    }
}

TEST(Calibration, AppliesScaleAboutThePaperCornerThenOffset)
{
    const struct {
        Calibration calibration;
        PointMm page;
        PointMm device;
    } rows[] = {
        {{0, 0, 100, 100}, {105, 148.5}, {105, 148.5}},
        {{2, -3, 100, 100}, {0, 0}, {2, -3}},
        {{0, 0, 110, 90}, {100, 100}, {110, 90}},
        {{1, 1, 101, 99}, {200, 100}, {203, 100}},
    };
    for (const auto& row : rows) {
        const PointMm device = row.calibration.apply(row.page);
        EXPECT_DOUBLE_EQ(device.x, row.device.x);
        EXPECT_DOUBLE_EQ(device.y, row.device.y);
    }
    EXPECT_TRUE(Calibration {}.isIdentity());
    EXPECT_FALSE((Calibration {0, 0, 100, 100.01}).isIdentity());
}

TEST(Calibration, ParsesAndFormatsTheCommandLineForm)
{
    const struct {
        const char* text;
        bool ok;
        Calibration value;
    } rows[] = {
        {"1.5,-2,99.5,100.25", true, {1.5, -2, 99.5, 100.25}},
        {" 0 , 0 , 100 , 100 ", true, {0, 0, 100, 100}},
        {"-20,20,90,110", true, {-20, 20, 90, 110}},
        {"1,2,100", false, {}},
        {"0,0,100,100,0", false, {}},
        {"a,0,100,100", false, {}},
        {"0,,100,100", false, {}},
        {"nan,0,100,100", false, {}},
        {"inf,0,100,100", false, {}},
        {"20.5,0,100,100", false, {}},
        {"0,0,100,120", false, {}},
        {"", false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        QString problem;
        const std::optional<Calibration> parsed = calibration::parseCalibration(QString::fromUtf8(row.text), &problem);
        ASSERT_EQ(parsed.has_value(), row.ok);
        EXPECT_EQ(problem.isEmpty(), row.ok);
        if (parsed) {
            EXPECT_EQ(*parsed, row.value);
        }
    }
    EXPECT_EQ(calibration::formatCalibration({1.5, -0.25, 100, 99.999}), QStringLiteral("1.5,-0.25,100,100"));
    EXPECT_EQ(calibration::formatCalibration({-0.001, 2.1, 98.04, 110}), QStringLiteral("0,2.1,98.04,110"));
}

}  // namespace
