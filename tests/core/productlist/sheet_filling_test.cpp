#include "core/productlist/sheet_filling.h"

#include <gtest/gtest.h>

using namespace productlist;
using sheet::SheetFormat;
using sheet::TagRecord;
using sheet::TagSheet;

namespace {

std::vector<TagRecord> numberedRecords(int count)
{
    std::vector<TagRecord> out;
    for (int i = 1; i <= count; ++i) {
        TagRecord record;
        record.productName = QStringLiteral("品%1").arg(i);
        record.productName2 = QStringLiteral("二%1").arg(i);
        record.price = i;
        out.push_back(record);
    }
    return out;
}

struct FillRow {
    const char* name;
    const SheetFormat* format;
    int start;
    int records;
    int onFirst;                // records put on the first sheet
    std::vector<int> perSheet;  // records on every sheet of the whole list
};

TEST(SheetFilling, FromTheStartTagOntoAsManySheetsAsNeeded)
{
    const std::vector<FillRow> rows {
        {"fits", &SheetFormat::large, 1, 10, 10, {10}},
        {"exactly one page", &SheetFormat::large, 1, 24, 24, {24}},
        {"one more", &SheetFormat::large, 1, 25, 24, {24, 1}},
        {"from tag 7", &SheetFormat::large, 7, 30, 18, {18, 12}},
        {"from the last tag", &SheetFormat::small, 40, 3, 1, {1, 2}},
        {"three pages small", &SheetFormat::small, 1, 81, 40, {40, 40, 1}},
        {"nothing", &SheetFormat::large, 5, 0, 0, {0}},
        {"start beyond the page", &SheetFormat::large, 25, 3, 0, {0, 3}},
    };
    for (const FillRow& row : rows) {
        SCOPED_TRACE(row.name);
        const auto records = numberedRecords(row.records);
        TagSheet sheet(*row.format);
        EXPECT_EQ(fittingOnSheet(sheet, row.start, row.records), row.onFirst);
        EXPECT_EQ(fillSheet(sheet, row.start, records), row.onFirst);

        const auto sheets = sheetsForList(*row.format, row.start, records);
        std::vector<int> counts;
        int next = 0;  // records are laid out in list order across the sheets
        for (size_t s = 0; s < sheets.size(); ++s) {
            int filled = 0;
            for (int tag = 1; tag <= sheets[s].tagsPerPage(); ++tag) {
                if (!isEmptyRecord(sheets[s].record(tag))) {
                    ++filled;
                    EXPECT_EQ(sheets[s].record(tag).price, ++next) << "sheet " << s << " tag " << tag;
                    if (s == 0) {
                        EXPECT_GE(tag, row.start);
                    }
                }
            }
            counts.push_back(filled);
        }
        EXPECT_EQ(counts, row.perSheet);
    }
}

TEST(SheetFilling, ReplacesOnlyTheFilledTagsAndFindsTheOnesInUse)
{
    TagSheet sheet(SheetFormat::large);
    sheet.record(3).productName = QStringLiteral("前からある");
    sheet.record(8).price = 50;
    sheet.record(20).maker = QStringLiteral("残る");
    EXPECT_EQ(filledTagsInRange(sheet, 2, 7), (std::vector<int> {3, 8}));
    EXPECT_EQ(filledTagsInRange(sheet, 4, 4), std::vector<int> {});
    EXPECT_EQ(filledTagsInRange(sheet, 20, 100), std::vector<int> {20});

    EXPECT_EQ(fillSheet(sheet, 2, numberedRecords(7)), 7);
    EXPECT_TRUE(isEmptyRecord(sheet.record(1)));
    EXPECT_EQ(sheet.record(3).productName, QStringLiteral("品2"));
    EXPECT_EQ(sheet.record(8).price, 7);
    EXPECT_TRUE(isEmptyRecord(sheet.record(9)));
    EXPECT_EQ(sheet.record(20).maker, QStringLiteral("残る"));
    // Large tags have no second name line.
    EXPECT_EQ(sheet.record(2).productName2, QString());
}

TEST(SheetFilling, OverflowSheetsKeepTheLookButNotTheRecordsOrName)
{
    TagSheet model(SheetFormat::small);
    model.fileName = QStringLiteral("/tmp/棚.csv");
    model.priceFontSize = 20;
    model.bordered = true;
    model.record(1).productName = QStringLiteral("元の");
    model.current = 12;
    const auto rest = overflowSheets(model, 39, numberedRecords(5));
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].priceFontSize, 20);
    EXPECT_TRUE(rest[0].bordered);
    EXPECT_EQ(rest[0].record(1).productName, QStringLiteral("品3"));
    EXPECT_EQ(rest[0].record(1).productName2, QStringLiteral("二3"));
    EXPECT_EQ(rest[0].record(3).price, 5);
    EXPECT_TRUE(isEmptyRecord(rest[0].record(4)));
    EXPECT_EQ(rest[0].current, 1);
    EXPECT_TRUE(rest[0].fileName.isEmpty());
}

TEST(NumberedSheetFileNames, FromTwoOn)
{
    EXPECT_EQ(numberedSheetFileNames(QStringLiteral("棚札"), 2, 3),
              QStringList({QStringLiteral("棚札-2.csv"), QStringLiteral("棚札-3.csv"), QStringLiteral("棚札-4.csv")}));
    EXPECT_EQ(numberedSheetFileNames(QStringLiteral("x"), 1, 0), QStringList());
}

}  // namespace
