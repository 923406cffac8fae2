#include "core/pricing/tag_texts.h"

#include <gtest/gtest.h>

using sheet::TagTextChoices;
using sheet::TagTexts;

namespace {

struct Row {
    const char* name;
    const char* spec;
    qint32 price;
    std::optional<sheet::TagExtras> extras;  // none: the tag has no extras at all
    TagTextChoices choices;
    TagTexts expected;
    bool noted;  // the unit price was asked for and could not be worked out
};

TagTextChoices on(bool unit, bool tax, bool mark, const QString& markText = QStringLiteral("※"),
                  const QString& shopBase = {}, int sheetRate = 10)
{
    TagTextChoices c;
    c.unitPrice = unit;
    c.taxExclusive = tax;
    c.reducedRateMark = mark;
    c.markText = markText;
    c.unitBase = shopBase;
    c.sheetTaxRatePercent = sheetRate;
    return c;
}

sheet::TagExtras rate(int percent, std::optional<qint64> listExclusive = {}, const QString& unitBase = {},
                      const QString& content = {})
{
    sheet::TagExtras e;
    e.taxRatePercent = percent;
    e.listExclusiveYen = listExclusive;
    e.unitBase = unitBase;
    e.content = content;
    return e;
}

TEST(TagTexts, FromTheRecordTheExtrasAndTheChoices)
{
    const QString none;
    const Row rows[] = {
        {"all off", "500ml", 199, rate(8), on(false, false, false), {}, false},
        {"unit price by the content's kind",
         "500ml",
         199,
         rate(8),
         on(true, false, false),
         {QStringLiteral("100mlあたり 39.8円"), none, none},
         false},
        {"the shop's base where it suits",
         "100枚",
         398,
         rate(10),
         on(true, false, false, QStringLiteral("※"), "10枚"),
         {QStringLiteral("10枚あたり 39.8円"), none, none},
         false},
        {"the shop's base of another kind is passed over",
         "6個",
         300,
         rate(8),
         on(true, false, false, QStringLiteral("※"), "100g"),
         {QStringLiteral("1個あたり 50円"), none, none},
         false},
        {"the product's own base first",
         "100枚",
         398,
         rate(10, {}, QStringLiteral("1枚")),
         on(true, false, false, QStringLiteral("※"), "10枚"),
         {QStringLiteral("1枚あたり 3.9円"), none, none},
         false},
        {"the list's content column before the size text",
         "1本",
         199,
         rate(8, {}, {}, QStringLiteral("500ml")),
         on(true, false, false),
         {QStringLiteral("100mlあたり 39.8円"), none, none},
         false},
        {"a content column that cannot be read gives none, and says so",
         "500ml",
         199,
         rate(8, {}, {}, QStringLiteral("約500ml")),
         on(true, false, false),
         {},
         true},
        {"the product left out of unit pricing",
         "500ml",
         199,
         rate(8, {}, QStringLiteral("なし")),
         on(true, false, false),
         {},
         false},
        {"a size that cannot be read is noted", "大", 199, rate(8), on(true, false, false), {}, true},
        {"no size is noted", "", 199, rate(8), on(true, false, false), {}, true},
        {"tax-exclusive at the product's rate",
         "500ml",
         108,
         rate(8),
         on(false, true, false),
         {none, QStringLiteral("（税抜 100円）"), none},
         false},
        {"tax-exclusive at 10 %",
         "500ml",
         1078,
         rate(10),
         on(false, true, false),
         {none, QStringLiteral("（税抜 980円）"), none},
         false},
        {"the list's own tax-exclusive price",
         "500ml",
         1078,
         rate(10, 980),
         on(false, true, false),
         {none, QStringLiteral("（税抜 980円）"), none},
         false},
        {"none at 0 % (非課税)", "500ml", 1000, rate(0), on(false, true, true), {}, false},
        {"the mark at 8 %", "500ml", 108, rate(8), on(false, false, true), {none, none, QStringLiteral("※")}, false},
        {"the mark 軽",
         "500ml",
         108,
         rate(8),
         on(false, false, true, QStringLiteral("軽")),
         {none, none, QStringLiteral("軽")},
         false},
        {"no mark at 10 %", "500ml", 110, rate(10), on(false, false, true), {}, false},
        {"without extras, the sheet's rate (10 %)",
         "500ml",
         1078,
         std::nullopt,
         on(false, true, true),
         {none, QStringLiteral("（税抜 980円）"), none},
         false},
        {"without extras, the sheet's rate (8 %)",
         "500ml",
         108,
         std::nullopt,
         on(false, true, true, QStringLiteral("※"), {}, 8),
         {none, QStringLiteral("（税抜 100円）"), QStringLiteral("※")},
         false},
        {"no price, no texts", "500ml", 0, rate(8), on(true, true, true), {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sheet::TagSheet page(sheet::SheetFormat::large);
        page.textChoices = row.choices;
        page.record(3) = {{}, {}, QStringLiteral("品名"), {}, QString::fromUtf8(row.spec), {}, row.price};
        if (row.extras) {
            page.extras[3] = *row.extras;
        }
        const pricing::TagTextsResult result = pricing::tagTexts(page, 3);
        EXPECT_EQ(result.texts.unitPrice, row.expected.unitPrice);
        EXPECT_EQ(result.texts.taxExclusive, row.expected.taxExclusive);
        EXPECT_EQ(result.texts.reducedRateMark, row.expected.reducedRateMark);
        EXPECT_EQ(!result.unitPriceNote.isEmpty(), row.noted) << result.unitPriceNote.toStdString();
    }
}

TEST(TagTexts, APageKeepsOnlyTheTagsWithTextsOrNotes)
{
    sheet::TagSheet page(sheet::SheetFormat::small);
    page.textChoices = on(true, false, true);
    page.record(1) = {{}, {}, QStringLiteral("水"), {}, QStringLiteral("2L"), {}, 98};
    page.record(2) = {{}, {}, QStringLiteral("箱"), {}, QStringLiteral("大"), {}, 500};
    page.record(4) = {{}, {}, {}, {}, QStringLiteral("2L"), {}, 98};  // no name: not drawn
    const pricing::SheetTextsResult result = pricing::sheetTexts(page);
    ASSERT_EQ(result.texts.size(), 1u);
    EXPECT_EQ(result.texts.at(1).unitPrice, QStringLiteral("1Lあたり 49円"));
    ASSERT_EQ(result.unitPriceNotes.size(), 1u);
    EXPECT_EQ(result.unitPriceNotes.count(2), 1u);
}

}  // namespace
