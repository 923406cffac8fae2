#include "core/draw/calibration_sheet.h"

#include "core/draw/recording_surface.h"
#include "core/sheet/tag_sheet.h"
#include "support/qt_print.h"

#include <gtest/gtest.h>

#include <algorithm>

using draw::DrawOp;

namespace {

struct SheetRow {
    const sheet::SheetFormat* format;
    int cells;
    double lastCellX, lastCellY;  // top-left of the last cell, mm
    const char* title;
    calibration::Calibration printedWith;
    const char* printedWithLine;  // beside each mark
};

const SheetRow kSheets[] = {
    {&sheet::SheetFormat::large,
     24,
     10 + 2 * 60,
     15 + 7 * 30,
     "大きい棚札",
     {-1.65, -2, 100, 99.5},
     "この用紙を印刷した調整：左に 1.65 mm・上に 2 mm 動かす、大きさ 横 100 %・縦 99.5 %（-1.65,-2,100,99.5）"},
    {&sheet::SheetFormat::small,
     40,
     28 + 4 * 32,
     15 + 7 * 32,
     "小さい棚札",
     {},
     "この用紙を印刷した調整：調整なし（0,0,100,100）"},
};

TEST(CalibrationSheet, DrawsTheCellFramesAndTwoLabelledCrosses)
{
    for (const SheetRow& row : kSheets) {
        SCOPED_TRACE(row.title);
        draw::RecordingSurface surface;
        draw::drawCalibrationSheet(*row.format, row.printedWith, surface);
        const std::vector<DrawOp>& ops = surface.ops();
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops.front().kind, DrawOp::Kind::cls);

        std::vector<DrawOp> frames;
        std::copy_if(ops.begin(), ops.end(), std::back_inserter(frames),
                     [](const DrawOp& op) { return op.kind == DrawOp::Kind::outline; });
        ASSERT_EQ(int(frames.size()), row.cells);
        EXPECT_EQ(frames.back().x, row.lastCellX);
        EXPECT_EQ(frames.back().y, row.lastCellY);
        EXPECT_EQ(frames.back().w, row.format->cellWidthMm);

        // Each mark is two black bars, one across and one upright, centred on it.
        for (const draw::CalibrationMark& mark : draw::calibrationMarks()) {
            SCOPED_TRACE(mark.name.toStdString());
            int across = 0;
            int upright = 0;
            for (const DrawOp& op : ops) {
                if (op.kind != DrawOp::Kind::fill || op.colour != draw::kBlack || op.unit != draw::Unit::millimetres) {
                    continue;
                }
                const bool centred = std::abs(op.x + op.w / 2 - mark.centre.x) < 1e-9
                    && std::abs(op.y + op.h / 2 - mark.centre.y) < 1e-9;
                across += centred && op.w > op.h;
                upright += centred && op.h > op.w;
            }
            EXPECT_EQ(across, 1);
            EXPECT_EQ(upright, 1);
        }

        QStringList texts;
        for (const DrawOp& op : ops) {
            if (op.kind == DrawOp::Kind::text) {
                texts << op.text;
            }
        }
        EXPECT_EQ(texts.count(QString::fromUtf8(row.printedWithLine)), 2) << texts.join(u'\n').toStdString();
        const QString all = texts.join(u'\n');
        EXPECT_TRUE(all.contains(QString::fromUtf8(row.title)));
        EXPECT_TRUE(all.contains(QStringLiteral("印 A：左端から 15 mm・上端から 15 mm"))) << all.toStdString();
        EXPECT_TRUE(all.contains(QStringLiteral("印 B：左端から 195 mm・上端から 282 mm（右端・下端から 15 mm）")))
            << all.toStdString();
    }
}

TEST(CalibrationSheet, MarksSitFifteenMillimetresInFromTheA4Edges)
{
    const auto& marks = draw::calibrationMarks();
    EXPECT_EQ(marks[0].centre, (calibration::PointMm {15, 15}));
    EXPECT_EQ(marks[1].centre, (calibration::PointMm {210 - 15, 297 - 15}));
}

}  // namespace
