#include "core/jobs/tag_page.h"

#include "core/draw/draw_tag_sheet.h"
#include "core/draw/recording_surface.h"
#include "support/tag_text_sheets.h"

#include <gtest/gtest.h>

using sheet::SheetFormat;
using sheet::TagSheet;

namespace {

std::vector<draw::DrawOp> opsOf(const TagSheet& page, bool throughTagPage)
{
    draw::RecordingSurface surface;
    if (throughTagPage) {
        jobs::drawTagPage(page, surface);
    } else {
        draw::drawTagSheet(page, surface);
    }
    return surface.ops();
}

// The page as it was drawn before tags showed anything beyond their records: the same records,
// nothing else.
TagSheet recordsOnly(const TagSheet& page)
{
    TagSheet plain(page.format());
    plain.records = page.records;
    plain.fileName = page.fileName;
    plain.outputMode = page.outputMode;
    return plain;
}

// With every text off and no sale, what the tags know beyond their records changes nothing on
// the page, operation for operation, in either mode.
TEST(TagPage, EveryTextOffAndNoSaleDrawsThePageAsItsRecordsAlone)
{
    struct Row {
        const char* name;
        sheet::TagTextChoices choices;
        bool keepSales;
    };
    sheet::TagTextChoices markOnly;
    markOnly.reducedRateMark = true;
    const Row rows[] = {
        {"all off, no sales", {}, false},
        // Texts on that no tag takes (no 8 % goods among them) draw nothing either.
        {"only the mark on, no tag at 8 %", markOnly, false},
    };
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        for (const sheet::OutputMode mode : {sheet::OutputMode::printer, sheet::OutputMode::preview}) {
            for (const Row& row : rows) {
                SCOPED_TRACE(std::string(row.name) + " " + format->key().toStdString());
                TagSheet page = tagtexts::sampleSheet(*format, row.choices);
                page.outputMode = mode;
                for (auto& [slot, extras] : page.extras) {
                    extras.sale.reset();
                    extras.listExclusiveYen = 100;
                    extras.unitBase = QStringLiteral("100g");
                    if (row.choices.reducedRateMark) {
                        extras.taxRatePercent = 10;
                    }
                }
                const std::vector<draw::DrawOp> drawn = opsOf(page, true);
                EXPECT_EQ(drawn, opsOf(recordsOnly(page), false));
                EXPECT_TRUE(jobs::checkTagPage(page).isEmpty());
            }
        }
    }
}

TEST(TagPage, ThePagesLinesNameEachTagAndText)
{
    jobs::TagPageResult result;
    result.leftOut
        = {{3, draw::ExtraText::unitPrice}, {3, draw::ExtraText::taxExclusive}, {12, draw::ExtraText::formerPrice}};
    result.unitPriceNotes = {{5, QStringLiteral("規格「大」: 量が読めません")}};
    struct Row {
        const char* name;
        int sheetNumber;
        QStringList lines;
    };
    const Row rows[] = {
        {"one sheet",
         0,
         {QStringLiteral("棚札 3: 単位価格は入りきらないため省きました"),
          QStringLiteral("棚札 3: 税抜価格は入りきらないため省きました"),
          QStringLiteral("棚札 5: 単位価格なし（規格「大」: 量が読めません）"),
          QStringLiteral("棚札 12: 当店通常価格は入りきらないため省きました")}},
        {"the second of several",
         2,
         {QStringLiteral("シート 2 の棚札 3: 単位価格は入りきらないため省きました"),
          QStringLiteral("シート 2 の棚札 3: 税抜価格は入りきらないため省きました"),
          QStringLiteral("シート 2 の棚札 5: 単位価格なし（規格「大」: 量が読めません）"),
          QStringLiteral("シート 2 の棚札 12: 当店通常価格は入りきらないため省きました")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(jobs::tagPageLines(result, row.sheetNumber), row.lines);
    }
}

// A text of the record with no room beside its price is named with the tag.
TEST(TagPage, TheReportNamesARecordTextLeftOutBesideThePrice)
{
    TagSheet small(SheetFormat::small);
    small.record(4) = {{}, {}, QStringLiteral("品名"), {}, {}, QStringLiteral("２４本入り箱売り"), 100000};
    const jobs::TagPageResult result = jobs::checkTagPage(small);
    EXPECT_EQ(result.leftOutFields, (std::vector<draw::LeftOutField> {{4, sheet::Field::lot}}));
    EXPECT_EQ(jobs::tagPageLines(result), QStringList {QStringLiteral("棚札 4: ロットは価格と重なるため省きました")});
}

// The page's report says what the drawing left out, sheet by sheet.
TEST(TagPage, TheReportFollowsTheDrawing)
{
    const TagSheet small = tagtexts::sampleSheet(SheetFormat::small, tagtexts::allTextsOn());
    draw::RecordingSurface surface;
    const jobs::TagPageResult drawn = jobs::drawTagPage(small, surface);
    EXPECT_FALSE(drawn.leftOut.empty());
    EXPECT_EQ(jobs::checkTagPage(small).leftOut, drawn.leftOut);
    const QStringList lines = jobs::tagPagesLines({small, small});
    EXPECT_EQ(lines.size(), 2 * qsizetype(drawn.leftOut.size()));
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("シート 1 の棚札 ")));
    EXPECT_TRUE(lines.back().startsWith(QStringLiteral("シート 2 の棚札 ")));
}

}  // namespace
