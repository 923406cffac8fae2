#include "core/draw/calibration_sheet.h"

#include "core/draw/surface.h"
#include "core/sheet/tag_sheet.h"

namespace draw {

namespace {

using draw::Colour;

constexpr double kA4WidthMm = 210.0;
constexpr double kA4HeightMm = 297.0;
constexpr double kEdgeDistanceMm = 15.0;
constexpr Colour kFrameGrey = 0x00B4B4B4;  // light enough to tell the marks from the frames

QString mm(double value)
{
    return QString::number(value, 'f', 0);
}

void text(draw::Surface& surface, double xMm, double yMm, const QString& line, double sizePt)
{
    surface.setFontName(sheet::kMincho);
    surface.setFontSize(sizePt);
    surface.setFontBold(false);
    surface.setFontItalic(false);
    surface.setFontUnderline(false);
    surface.setFontStretch(100);
    surface.setForeColor(draw::kBlack);
    surface.setCurrentPoint(xMm, yMm);
    surface.print(line);
}

void cross(draw::Surface& surface, calibration::PointMm centre)
{
    const double half = kMarkBarMm / 2.0;
    surface.filled(centre.x - kMarkArmMm, centre.y - half, 2.0 * kMarkArmMm, kMarkBarMm, draw::kBlack);
    surface.filled(centre.x - half, centre.y - kMarkArmMm, kMarkBarMm, 2.0 * kMarkArmMm, draw::kBlack);
}

}  // namespace

const std::array<CalibrationMark, 2>& calibrationMarks()
{
    static const std::array<CalibrationMark, 2> marks {{
        {QStringLiteral("A"), {kEdgeDistanceMm, kEdgeDistanceMm}},
        {QStringLiteral("B"), {kA4WidthMm - kEdgeDistanceMm, kA4HeightMm - kEdgeDistanceMm}},
    }};
    return marks;
}

QString printedWithLine(const calibration::Calibration& printedWith)
{
    return QStringLiteral("この用紙を印刷した調整：") + calibration::describeCalibrationWithNumbers(printedWith);
}

void drawCalibrationSheet(const sheet::SheetFormat& format, const calibration::Calibration& printedWith,
                          draw::Surface& surface)
{
    surface.setUnit(draw::Unit::millimetres);
    surface.cls();
    surface.setDrawWidth(1);

    const sheet::TagSheet cells(format);
    for (int tag = 1; tag <= format.tagsPerPage; ++tag) {
        const sheet::CellOrigin o = cells.cellOrigin(tag);
        surface.outline(o.xMm, o.yMm, format.cellWidthMm, format.cellHeightMm, kFrameGrey);
    }

    text(surface, 40, 4,
         QStringLiteral("印刷位置の調整用紙（%1）")
             .arg(format.isLarge() ? QStringLiteral("大きい棚札") : QStringLiteral("小さい棚札")),
         10);
    text(surface, 40, 9, QStringLiteral("印 A と印 B の十字の中心を、用紙の左端と上端から定規で測ってください。"), 9);

    const auto& marks = calibrationMarks();
    for (const CalibrationMark& mark : marks) {
        cross(surface, mark.centre);
    }
    const CalibrationMark& a = marks[0];
    const CalibrationMark& b = marks[1];
    text(surface, a.centre.x + kMarkArmMm + 2, a.centre.y + 2,
         QStringLiteral("印 %1：左端から %2 mm・上端から %3 mm").arg(a.name, mm(a.centre.x), mm(a.centre.y)), 9);
    text(surface, b.centre.x - 110, b.centre.y + 2,
         QStringLiteral("印 %1：左端から %2 mm・上端から %3 mm（右端・下端から %4 mm）")
             .arg(b.name, mm(b.centre.x), mm(b.centre.y), mm(kEdgeDistanceMm)),
         9);
    // Beside both marks, so that it is read whichever is measured first.
    text(surface, a.centre.x + kMarkArmMm + 2, a.centre.y + 7, printedWithLine(printedWith), 9);
    text(surface, kEdgeDistanceMm, b.centre.y + 7, printedWithLine(printedWith), 8);
}

}  // namespace draw
