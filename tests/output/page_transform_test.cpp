// The calibration as one transform of the page: scaled about the paper's corner, then shifted, so
// that the marks of the calibration sheet land where the calibration says.

#include "output/page_transform.h"

#include "core/draw/calibration_sheet.h"
#include "core/sheet/tag_sheet.h"
#include "support/printed_page_checks.h"

#include <QImage>
#include <gtest/gtest.h>

using calibration::Calibration;

namespace {

TEST(PageTransform, ScalesAboutThePaperCornerThenShifts)
{
    const struct {
        Calibration calibration;
        double dpi;
        QPointF page;    // device pixels
        QPointF device;  // device pixels
    } rows[] = {
        {{0, 0, 100, 100}, 600, {100, 200}, {100, 200}},
        {{25.4, -25.4, 100, 100}, 600, {0, 0}, {600, -600}},
        {{0, 0, 110, 90}, 300, {1000, 1000}, {1100, 900}},
        {{2.54, 0, 101, 99}, 1200, {2400, 2400}, {120 + 2424, 2376}},
    };
    for (const auto& row : rows) {
        const QPointF mapped = output::calibrationTransform(row.calibration, row.dpi, row.dpi).map(row.page);
        EXPECT_NEAR(mapped.x(), row.device.x(), 1e-9);
        EXPECT_NEAR(mapped.y(), row.device.y(), 1e-9);
    }
}

// The calibration sheet drawn on an image with a calibration: the marks land where it says.
TEST(PageTransform, MovesTheWholePageAsOne)
{
    constexpr int kDpi = 300;
    const Calibration calibrations[] = {{0, 0, 100, 100}, {3.5, -2.25, 100, 100}, {-1.2, 4, 98.5, 101.5}};
    for (const Calibration& c : calibrations) {
        SCOPED_TRACE(calibration::formatCalibration(c).toStdString());
        QImage image(printed::mmToPx(210, kDpi), printed::mmToPx(297, kDpi), QImage::Format_RGB32);
        const int dotsPerMetre = int(kDpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        ASSERT_TRUE(output::drawCalibratedPage(
            image, c, [&c](draw::Surface& s) { draw::drawCalibrationSheet(sheet::SheetFormat::large, c, s); }));
        for (const draw::CalibrationMark& mark : draw::calibrationMarks()) {
            const calibration::PointMm want = c.apply(mark.centre);
            const std::optional<printed::Mm> found = printed::findCross(image, kDpi, {want.x, want.y});
            ASSERT_TRUE(found.has_value()) << mark.name.toStdString();
            EXPECT_NEAR(found->x, want.x, 0.1) << mark.name.toStdString();
            EXPECT_NEAR(found->y, want.y, 0.1) << mark.name.toStdString();
        }
    }
}

}  // namespace
