#include "core/productlist/cleaning.h"

#include <gtest/gtest.h>

using namespace productlist;
using sheet::SheetFormat;
using sheet::TagRecord;

namespace {

// Columns of the test lists: JAN, maker, name, name 2, spec, lot, price, tax class.
ColumnMapping fullMapping()
{
    ColumnMapping mapping;
    int column = 0;
    for (ListField field : allListFields()) {
        mapping.set(field, column++);
    }
    return mapping;
}

ListRow listRow(const QString& jan, const QString& name, const QString& price, const QString& taxClass = {},
                const QString& maker = {}, const QString& spec = {})
{
    return ListRow {2, {jan, maker, name, QString(), spec, QString(), price, taxClass}};
}

struct CleanCase {
    const char* name;
    ListRow row;
    TaxSettings tax;
    const SheetFormat* format;
    TagRecord expected;           // compared when the row is used
    std::vector<NoteKind> notes;  // in the order they are noted
};

const TaxSettings kWithTax {PriceBasis::includesTax, 10, Rounding::floor};
TaxSettings withoutTax(int rate, Rounding rounding)
{
    return TaxSettings {PriceBasis::excludesTax, rate, rounding};
}

TagRecord tag(const QString& jan, const QString& name, qint32 price, const QString& maker = {},
              const QString& spec = {})
{
    TagRecord record;
    record.jan = jan;
    record.productName = name;
    record.price = price;
    record.maker = maker;
    record.spec = spec;
    return record;
}

TEST(CleanRows, EachRowAloneWithItsNotes)
{
    using N = NoteKind;
    const QString water = QStringLiteral("水");
    const QString jan = QStringLiteral("4901234567894");
    const std::vector<CleanCase> rows {
        {"clean row", listRow(jan, water, "98"), kWithTax, &SheetFormat::large, tag(jan, water, 98), {}},
        {"full-width code and price",
         listRow("４９０１２３４５６７８９４", water, "１０８０"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, water, 1080),
         {N::madeHalfWidth, N::priceReformatted}},
        {"yen sign and grouping",
         listRow(jan, water, "¥1,080"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, water, 1080),
         {N::priceReformatted}},
        {"exponent code refused",
         listRow("4.90123E+12", water, "98"),
         kWithTax,
         &SheetFormat::large,
         {},
         {N::exponentCode}},
        {"full exponent code refused too",
         listRow("4.901234567894E+12", water, "98"),
         kWithTax,
         &SheetFormat::large,
         {},
         {N::exponentCode}},
        {"wrong check digit kept",
         listRow("4901234567890", water, "98"),
         kWithTax,
         &SheetFormat::large,
         tag("4901234567890", water, 98),
         {N::wrongCheckDigit}},
        {"ean-8 right",
         listRow("49012347", water, "98"),
         kWithTax,
         &SheetFormat::small,
         tag("49012347", water, 98),
         {}},
        {"store code: no barcode",
         listRow("12345", water, "98"),
         kWithTax,
         &SheetFormat::large,
         tag("12345", water, 98),
         {N::notAJanCode}},
        {"no code is fine", listRow("", water, "98"), kWithTax, &SheetFormat::large, tag("", water, 98), {}},
        {"code too long for a small tag",
         listRow("49012345678940", water, "98"),
         kWithTax,
         &SheetFormat::small,
         {},
         {N::codeTooLong}},
        {"no product name", listRow(jan, "  ", "98"), kWithTax, &SheetFormat::large, {}, {N::noProductName}},
        {"name cut to 13 on large",
         listRow(jan, "あいうえおかきくけこさしすせそ", "98"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, "あいうえおかきくけこさしす", 98),
         {N::cut}},
        {"name cut to 7 on small",
         listRow(jan, "あいうえおかきくけこ", "98"),
         kWithTax,
         &SheetFormat::small,
         tag(jan, "あいうえおかき", 98),
         {N::cut}},
        {"maker cut to 6",
         listRow(jan, water, "98", {}, "株式会社サンプル食品"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, water, 98, "株式会社サン"),
         {N::cut}},
        {"line break and quote",
         listRow(jan, "水\n\"天然\"", "98"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, "水 ＂天然＂", 98),
         {N::lineBreakReplaced, N::quoteReplaced}},
        {"not in code page 932",
         listRow(jan, "🍎りんご", "98"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, "🍎りんご", 98),
         {N::notInCodePage}},
        {"cut keeps surrogate pairs whole",
         listRow(jan, "あいうえおか🍎", "98"),
         kWithTax,
         &SheetFormat::small,
         tag(jan, "あいうえおか", 98),
         {N::cut}},
        {"no price", listRow(jan, water, ""), kWithTax, &SheetFormat::large, tag(jan, water, 0), {N::noPrice}},
        {"open price refused",
         listRow(jan, water, "オープン"),
         kWithTax,
         &SheetFormat::large,
         {},
         {N::priceUnreadable}},
        {"fraction refused", listRow(jan, water, "105.84"), kWithTax, &SheetFormat::large, {}, {N::priceFraction}},
        {"negative refused", listRow(jan, water, "-5"), kWithTax, &SheetFormat::large, {}, {N::priceNegative}},
        {"limit itself is fine",
         listRow(jan, water, "100000"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, water, 100000),
         {}},
        {"above the limit refused",
         listRow(jan, water, "100001"),
         kWithTax,
         &SheetFormat::large,
         {},
         {N::priceAboveLimit}},
        {"98 at 8% floor",
         listRow(jan, water, "98", "8%"),
         withoutTax(10, Rounding::floor),
         &SheetFormat::large,
         tag(jan, water, 105),
         {}},
        {"98 at 8% half up",
         listRow(jan, water, "98", "軽減"),
         withoutTax(10, Rounding::halfUp),
         &SheetFormat::large,
         tag(jan, water, 106),
         {}},
        {"98 at 8% ceil",
         listRow(jan, water, "98", "0.08"),
         withoutTax(10, Rounding::ceil),
         &SheetFormat::large,
         tag(jan, water, 106),
         {}},
        {"98 at the list's 10% floor",
         listRow(jan, water, "98"),
         withoutTax(10, Rounding::floor),
         &SheetFormat::large,
         tag(jan, water, 107),
         {}},
        {"98 at the list's 10% half up",
         listRow(jan, water, "98"),
         withoutTax(10, Rounding::halfUp),
         &SheetFormat::large,
         tag(jan, water, 108),
         {}},
        {"98 at the list's 8% ceil",
         listRow(jan, water, "98"),
         withoutTax(8, Rounding::ceil),
         &SheetFormat::large,
         tag(jan, water, 106),
         {}},
        {"非課税 adds nothing",
         listRow(jan, water, "98", "非課税"),
         withoutTax(10, Rounding::ceil),
         &SheetFormat::large,
         tag(jan, water, 98),
         {}},
        {"内税 row in a list without tax",
         listRow(jan, water, "98", "内税"),
         withoutTax(10, Rounding::ceil),
         &SheetFormat::large,
         tag(jan, water, 98),
         {}},
        {"外税 row in a list with tax",
         listRow(jan, water, "98", "外税"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, water, 107),
         {}},
        {"tax class ignored when prices include tax",
         listRow(jan, water, "98", "8%"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, water, 98),
         {}},
        {"unknown tax class ignored with tax",
         listRow(jan, water, "98", "A"),
         kWithTax,
         &SheetFormat::large,
         tag(jan, water, 98),
         {}},
        {"unknown tax class refused without tax",
         listRow(jan, water, "98", "A"),
         withoutTax(10, Rounding::floor),
         &SheetFormat::large,
         {},
         {N::taxClassUnreadable}},
        {"above the limit only with tax",
         listRow(jan, water, "92593", "8"),
         withoutTax(10, Rounding::ceil),
         &SheetFormat::large,
         {},
         {N::priceAboveLimit}},
        {"at the limit with tax",
         listRow(jan, water, "92593", "8"),
         withoutTax(10, Rounding::floor),
         &SheetFormat::large,
         tag(jan, water, 100000),
         {}},
        {"every refusal is listed",
         listRow("4.9E+12", "", "x"),
         kWithTax,
         &SheetFormat::large,
         {},
         {N::exponentCode, N::noProductName, N::priceUnreadable}},
    };
    for (const CleanCase& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<CleanRow> cleaned = cleanRows({row.row}, fullMapping(), *row.format, row.tax);
        ASSERT_EQ(cleaned.size(), 1u);
        std::vector<NoteKind> kinds;
        for (const RowNote& note : cleaned[0].notes) {
            kinds.push_back(note.kind);
            EXPECT_FALSE(noteMessage(note).isEmpty());
        }
        EXPECT_EQ(kinds, row.notes);
        const bool refused = std::any_of(row.notes.begin(), row.notes.end(), refuses);
        EXPECT_EQ(cleaned[0].refused(), refused);
        if (!refused) {
            EXPECT_EQ(cleaned[0].record, row.expected);
        }
    }
}

TEST(CleanRows, DuplicateCodesNameTheFirstRow)
{
    const QString jan = QStringLiteral("4901234567894");
    const std::vector<ListRow> rows {
        {2, {jan, {}, "水"}},  {3, {"", {}, "茶"}},   {4, {"", {}, "茶"}},  // no code: never a duplicate
        {5, {jan, {}, ""}},                                                 // refused: does not count
        {6, {jan, {}, "水2"}}, {7, {jan, {}, "水3"}},
    };
    ColumnMapping mapping;
    mapping.set(ListField::jan, 0);
    mapping.set(ListField::productName, 2);
    const auto cleaned = cleanRows(rows, mapping, SheetFormat::large, kWithTax);
    ASSERT_EQ(cleaned.size(), 6u);
    const std::vector<RowNote> duplicate {{NoteKind::duplicateCode, ListField::jan, QStringLiteral("2")}};
    EXPECT_TRUE(cleaned[0].notes.empty());
    EXPECT_TRUE(cleaned[2].notes.empty());
    EXPECT_TRUE(cleaned[3].refused());
    EXPECT_EQ(cleaned[4].notes, duplicate);
    EXPECT_EQ(cleaned[5].notes, duplicate);
    EXPECT_EQ(noteMessage(duplicate[0]), QStringLiteral("JANコード: 2行目と同じコードです"));
    const CleanCounts counts = countRows(cleaned);
    EXPECT_EQ(counts.used, 5);
    EXPECT_EQ(counts.changed, 2);
    EXPECT_EQ(counts.refused, 1);
}

TEST(CleanRows, UnmappedFieldsStayEmptyAndTheSecondLineOnlyOnSmallTags)
{
    const ListRow row {9, {"茶", "二行目", "150"}};
    ColumnMapping mapping;
    mapping.set(ListField::productName, 0);
    mapping.set(ListField::productName2, 1);
    mapping.set(ListField::price, 2);
    mapping.set(ListField::taxClass, 7);  // beyond the row's cells: empty
    const auto small = cleanRows({row}, mapping, SheetFormat::small, kWithTax);
    const auto large = cleanRows({row}, mapping, SheetFormat::large, kWithTax);
    EXPECT_EQ(small[0].record.productName2, QStringLiteral("二行目"));
    EXPECT_EQ(large[0].record.productName2, QString());
    EXPECT_EQ(small[0].number, 9);
    EXPECT_EQ(small[0].listPrice, 150);
    EXPECT_TRUE(small[0].notes.empty());
    EXPECT_EQ(small[0].record.jan, QString());
}

TEST(NoteMessage, ReadsAsAShopsStaffExpects)
{
    const std::vector<std::pair<RowNote, const char*>> rows {
        {{NoteKind::exponentCode, ListField::jan, QStringLiteral("4.90123E+12")},
         "JANコード: 指数表記 (4.90123E+12) で桁が失われているため使いません"},
        {{NoteKind::priceAboveLimit, ListField::price, QStringLiteral("100001")},
         "売価: 100001円は上限の100000円を超えるため使いません"},
        {{NoteKind::noProductName, ListField::productName, {}}, "商品名: 商品名がないため使いません"},
        {{NoteKind::wrongCheckDigit, ListField::jan, QStringLiteral("4")},
         "JANコード: チェックデジットが違います (正しくは 4)"},
    };
    for (const auto& [note, text] : rows) {
        EXPECT_EQ(noteMessage(note), QString::fromUtf8(text));
    }
}

}  // namespace

namespace {

TEST(Report, LinesForChangedAndRefusedRowsAndTheCounts)
{
    const std::vector<ListRow> rows {
        {2, {"4901234567894", {}, "水", {}, {}, {}, "98"}},
        {3, {"4901234567894", {}, "水", {}, {}, {}, "¥98"}},
        {8, {"4.90123E+12", {}, "茶", {}, {}, {}, "120"}},
    };
    ColumnMapping mapping;
    int column = 0;
    for (ListField field : allListFields()) {
        mapping.set(field, column++);
    }
    const auto cleaned = cleanRows(rows, mapping, SheetFormat::large, TaxSettings {});
    ASSERT_EQ(cleaned.size(), 3u);
    EXPECT_EQ(reportLine(cleaned[0]), QString());
    EXPECT_EQ(
        reportLine(cleaned[1]),
        QStringLiteral("3行目 変更あり: 売価: 数値として読みました (¥98 → 98); JANコード: 2行目と同じコードです"));
    EXPECT_EQ(reportLine(cleaned[2]),
              QStringLiteral("8行目 使いません: JANコード: 指数表記 (4.90123E+12) で桁が失われているため使いません"));
    EXPECT_EQ(countsLine(countRows(cleaned)), QStringLiteral("使う行 2 (うち変更あり 1)、使わない行 1"));
    const auto used = usedRecords(cleaned);
    ASSERT_EQ(used.size(), 2u);
    EXPECT_EQ(used[1].price, 98);
}

}  // namespace
