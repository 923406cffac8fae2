#include "core/sheet/tag_sheet.h"

#include <gtest/gtest.h>

using sheet::CellOrigin;
using sheet::SheetFormat;
using sheet::TagSheet;

TEST(TagSheet, NewSheetsHoldTheDefaultsOfTheirFormat)
{
    const TagSheet large(SheetFormat::large);
    EXPECT_EQ(large.records.size(), 24u);
    EXPECT_EQ(large.current, 1);
    EXPECT_EQ(large.fileName, QStringLiteral("無題"));
    EXPECT_EQ(large.nameFont, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(large.priceFont, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(large.priceFontSize, 36);
    EXPECT_EQ(large.marginLeft, 10);
    EXPECT_EQ(large.marginTop, 15);
    EXPECT_FALSE(large.bordered);
    EXPECT_EQ(large.borderColor, 0u);
    EXPECT_EQ(large.format().initialPositionText(), QStringLiteral("1/24"));

    const TagSheet small(SheetFormat::small);
    EXPECT_EQ(small.records.size(), 40u);
    EXPECT_EQ(small.priceFontSize, 28);
    EXPECT_EQ(small.marginLeft, 28);
    EXPECT_EQ(small.marginTop, 15);
    EXPECT_TRUE(small.format().hasProductName2);
    EXPECT_FALSE(large.format().hasProductName2);
    EXPECT_EQ(small.format().initialPositionText(), QStringLiteral("1/40"));
}

TEST(TagSheet, CellsRunLeftToRightThenTopToBottom)
{
    const TagSheet large(SheetFormat::large);
    EXPECT_EQ(large.cellOrigin(1), (CellOrigin {10, 15}));
    EXPECT_EQ(large.cellOrigin(2), (CellOrigin {70, 15}));
    EXPECT_EQ(large.cellOrigin(4), (CellOrigin {10, 45}));
    EXPECT_EQ(large.cellOrigin(24), (CellOrigin {130, 225}));

    const TagSheet small(SheetFormat::small);
    EXPECT_EQ(small.cellOrigin(1), (CellOrigin {28, 15}));
    EXPECT_EQ(small.cellOrigin(5), (CellOrigin {156, 15}));
    EXPECT_EQ(small.cellOrigin(6), (CellOrigin {28, 47}));
    EXPECT_EQ(small.cellOrigin(40), (CellOrigin {156, 239}));
}

TEST(TagSheet, CellsFollowTheMargins)
{
    TagSheet sheet(SheetFormat::large);
    sheet.marginLeft = 12;
    sheet.marginTop = 20;
    EXPECT_EQ(sheet.cellOrigin(5), (CellOrigin {72, 50}));
}

TEST(TagSheet, ClearAllEmptiesRecordsOnly)
{
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        TagSheet sheet(*format);
        for (int i = 1; i <= sheet.tagsPerPage(); ++i) {
            sheet.record(i) = {QStringLiteral("4901234567894"),
                               QStringLiteral("maker"),
                               QStringLiteral("name"),
                               QStringLiteral("name2"),
                               QStringLiteral("spec"),
                               QStringLiteral("lot"),
                               100 + i};
        }
        sheet.scratch[3].maker = QStringLiteral("left over");
        sheet.current = 7;
        sheet.nameFont = QStringLiteral("IPAGothic");
        sheet.priceFontSize = 20;
        sheet.bordered = true;
        sheet.printOffsetX = 3;

        sheet.clearAll();

        for (const auto& r : sheet.records) {
            EXPECT_EQ(r, sheet::TagRecord {});
        }
        for (const auto& r : sheet.scratch) {
            EXPECT_EQ(r, sheet::TagRecord {});
        }
        EXPECT_EQ(sheet.records.size(), size_t(format->tagsPerPage));
        EXPECT_EQ(sheet.current, 7);
        EXPECT_EQ(sheet.nameFont, QStringLiteral("IPAGothic"));
        EXPECT_EQ(sheet.priceFontSize, 20);
        EXPECT_TRUE(sheet.bordered);
        EXPECT_EQ(sheet.printOffsetX, 3);
    }
}

TEST(TagSheet, PositionTextHasTheSignPlaceBlank)
{
    TagSheet sheet(SheetFormat::large);
    sheet.current = 7;
    EXPECT_EQ(sheet.positionText(), QStringLiteral(" 7/24"));
    TagSheet small(SheetFormat::small);
    small.current = 40;
    EXPECT_EQ(small.positionText(), QStringLiteral(" 40/40"));
}
