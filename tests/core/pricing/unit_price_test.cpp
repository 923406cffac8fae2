#include "core/pricing/unit_price.h"

#include "support/qt_print.h"
#include "support/size_texts.h"

#include <gtest/gtest.h>

using namespace pricing;

namespace {

Quantity quantityOf(const char* sizeText)
{
    const QuantityReading reading = readQuantity(QString::fromUtf8(sizeText));
    EXPECT_TRUE(reading.quantity.has_value()) << sizeText << ": " << reading.note.toStdString();
    return reading.quantity.value_or(Quantity {});
}

// The unit price's text, or the note why there is none.
QString shown(const UnitPriceResult& result)
{
    return result.price ? unitPriceText(*result.price) : result.note;
}

TEST(UnitPrice, SizeTextsOfShopListsAtTheDefaultBases)
{
    for (const testfiles::SizeTextRow& row : testfiles::sizeTexts()) {
        if (!row.read) {
            continue;
        }
        SCOPED_TRACE(testing::Message() << row.goods << ": " << row.text << " at " << row.priceYen << " yen");
        const Quantity quantity {row.kind, row.milli, QString::fromUtf8(row.countWord)};
        EXPECT_EQ(shown(unitPrice(quantity, row.priceYen)), QString::fromUtf8(row.shown));
    }
}

// Products with the base a shop gives them in its 単位 column, worked out by hand.
TEST(UnitPrice, ProductsWorkedOutByHand)
{
    struct Row {
        const char* product;
        const char* size;
        qint64 priceYen;
        const char* base;  // as the 単位 column says it
        Scaling scaling;
        const char* shown;
    };
    const std::vector<Row> rows {
        // 160 組 x 5 = 800 組; 328 / 800 * 10 = 4.1 (the base counts what the size counts).
        {"ティッシュ", "160組×5箱", 328, "10枚", Scaling::byContent, "10組あたり 4.1円"},
        // 27.5 m x 12 = 330 m; 498 / 330 * 10 = 15.09 -> 15.0, shown whole.
        {"トイレットペーパー", "114mm×27.5m×12ロール", 498, "10m", Scaling::asGiven, "10mあたり 15円"},
        // The same by the 告示: 330 m >= 10 x 10 m, so per 100 m; 498 / 330 * 100 = 150.90 -> 150.9.
        {"トイレットペーパー", "114mm×27.5m×12ロール", 498, "10m", Scaling::byContent, "100mあたり 150.9円"},
        // 1 L >= 10 x 100 ml: per 1 L; 398 / 1 = 398.
        {"醤油", "1L", 398, "100ml", Scaling::byContent, "1Lあたり 398円"},
        // A base in grams serves goods in millilitres: per 100 ml; 120 / 5 = 24.
        {"お茶", "500ml", 120, "100g", Scaling::byContent, "100mlあたり 24円"},
        // And millilitres serve grams: per 100 g; 298 / 4.5 = 66.22 -> 66.2.
        {"マヨネーズ", "450g", 298, "100ml", Scaling::byContent, "100gあたり 66.2円"},
        // 248 / 10 = 24.8.
        {"卵", "10個入", 248, "1個", Scaling::byContent, "1個あたり 24.8円"},
        // 5 kg < 10 x 1 kg: stays per 1 kg; 2,480 / 5 = 496.
        {"米 5kg", "5kg", 2480, "1kg", Scaling::byContent, "1kgあたり 496円"},
        // 20 kg >= 10 x 1 kg: per 10 kg; 19,600 / 20 * 10 = 9,800.
        {"米 20kg", "20kg", 19600, "1kg", Scaling::byContent, "10kgあたり 9,800円"},
        // The same as given: 19,600 / 20 = 980.
        {"米 20kg", "20kg", 19600, "1kg", Scaling::asGiven, "1kgあたり 980円"},
        // 80 g is between 10 g and 100 g: per 10 g; 598 / 8 = 74.75 -> 74.7.
        {"インスタントコーヒー", "80g", 598, "10g", Scaling::byContent, "10gあたり 74.7円"},
        // 350 ml >= 10 x 10 ml: per 100 ml; 698 / 3.5 = 199.42 -> 199.4.
        {"シャンプー", "詰替用 350ml", 698, "10ml", Scaling::byContent, "100mlあたり 199.4円"},
        // 298 / 50 = 5.96 -> 5.9.
        {"ラップ", "30cm×50m", 298, "1m", Scaling::asGiven, "1mあたり 5.9円"},
        // 2,380 / 8 = 297.5.
        {"粉ミルク", "800g", 2380, "100g", Scaling::byContent, "100gあたり 297.5円"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.product << " " << row.size << " per " << row.base);
        const UnitBaseReading base = readUnitBase(QString::fromUtf8(row.base));
        ASSERT_EQ(base.outcome, UnitBaseReading::Outcome::base) << base.note.toStdString();
        EXPECT_EQ(shown(unitPrice(quantityOf(row.size), row.priceYen, base.base, row.scaling)),
                  QString::fromUtf8(row.shown));
    }
}

TEST(ReadUnitBase, TheTextsOfTheUnitColumn)
{
    using O = UnitBaseReading::Outcome;
    struct Row {
        const char* text;
        O outcome;
        UnitBase base;  // when O::base
        const char* note;
    };
    const std::vector<Row> rows {
        {"100g", O::base, {Kind::mass, 100'000}, ""},
        {"1kg", O::base, {Kind::mass, 1'000'000}, ""},
        {"10g", O::base, {Kind::mass, 10'000}, ""},
        {"100ml", O::base, {Kind::volume, 100'000}, ""},
        {"1L", O::base, {Kind::volume, 1'000'000}, ""},
        {"10ml", O::base, {Kind::volume, 10'000}, ""},
        {"1個", O::base, {Kind::count, 1'000}, ""},
        {"10枚", O::base, {Kind::count, 10'000}, ""},
        {"10m", O::base, {Kind::length, 10'000}, ""},
        {"1m", O::base, {Kind::length, 1'000}, ""},
        {"10cm", O::base, {Kind::length, 100}, ""},
        {"100gあたり", O::base, {Kind::mass, 100'000}, ""},
        {"１００ｇ当たり", O::base, {Kind::mass, 100'000}, ""},
        {" 10 m ", O::base, {Kind::length, 10'000}, ""},
        {"10kg", O::base, {Kind::mass, 10'000'000}, ""},
        {"0.1g", O::base, {Kind::mass, 100}, ""},
        {"100個", O::base, {Kind::count, 100'000}, ""},
        {"", O::byKind, {}, ""},
        {"　", O::byKind, {}, ""},
        {"なし", O::leftOut, {}, ""},
        {"-", O::leftOut, {}, ""},
        {"－", O::leftOut, {}, ""},
        {"対象外", O::leftOut, {}, ""},
        {"表示しない", O::leftOut, {}, ""},
        {"abc", O::refused, {}, "単位「abc」が読めません（例：100g、1kg、100ml、1L、1個、10m）"},
        {"g", O::refused, {}, "単位「g」が読めません（例：100g、1kg、100ml、1L、1個、10m）"},
        {"100", O::refused, {}, "単位「100」が読めません（例：100g、1kg、100ml、1L、1個、10m）"},
        {"100g×2", O::refused, {}, "単位「100g×2」が読めません（例：100g、1kg、100ml、1L、1個、10m）"},
        {"約100g", O::refused, {}, "単位「約100g」が読めません（例：100g、1kg、100ml、1L、1個、10m）"},
        {"0g", O::refused, {}, "単位「0g」が読めません（例：100g、1kg、100ml、1L、1個、10m）"},
        {"150g", O::refused, {}, "単位の量は1、10、100、1000のどれかにしてください（150g）"},
        {"1.5kg", O::refused, {}, "単位の量は1、10、100、1000のどれかにしてください（1.5kg）"},
        {"0.01g", O::refused, {}, "単位の量は1、10、100、1000のどれかにしてください（0.01g）"},
        {"100kg", O::refused, {}, "単位の量は1、10、100、1000のどれかにしてください（100kg）"},
        {"1000個", O::refused, {}, "単位の量は1、10、100、1000のどれかにしてください（1000個）"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const UnitBaseReading reading = readUnitBase(QString::fromUtf8(row.text));
        EXPECT_EQ(reading.outcome, row.outcome);
        if (row.outcome == O::base) {
            EXPECT_EQ(reading.base, row.base);
        }
        EXPECT_EQ(reading.note, QString::fromUtf8(row.note));
    }
}

// The 告示's scaling at its edges: ten times the base from ten times its content, a tenth of it
// below the base, one step only; counts are never scaled.
TEST(UnitPrice, TheTenTimesRuleAtItsEdges)
{
    struct Row {
        const char* name;
        Quantity quantity;
        Scaling scaling;
        const char* base;  // the base the unit price is given for
    };
    const std::vector<Row> rows {
        {"99 ml", {Kind::volume, 99'000, {}}, Scaling::byContent, "10ml"},
        {"100 ml", {Kind::volume, 100'000, {}}, Scaling::byContent, "100ml"},
        {"999 ml", {Kind::volume, 999'000, {}}, Scaling::byContent, "100ml"},
        {"999.999 ml", {Kind::volume, 999'999, {}}, Scaling::byContent, "100ml"},
        {"1,000 ml", {Kind::volume, 1'000'000, {}}, Scaling::byContent, "1L"},
        {"10 L: one step", {Kind::volume, 10'000'000, {}}, Scaling::byContent, "1L"},
        {"9 g: one step", {Kind::mass, 9'000, {}}, Scaling::byContent, "10g"},
        {"1 kg", {Kind::mass, 1'000'000, {}}, Scaling::byContent, "1kg"},
        {"0.5 m", {Kind::length, 500, {}}, Scaling::byContent, "10cm"},
        {"9.999 m", {Kind::length, 9'999, {}}, Scaling::byContent, "1m"},
        {"10 m", {Kind::length, 10'000, {}}, Scaling::byContent, "10m"},
        {"12 items", {Kind::count, 12'000, QStringLiteral("個")}, Scaling::byContent, "1個"},
        {"100 items", {Kind::count, 100'000, QStringLiteral("枚")}, Scaling::byContent, "1枚"},
        {"1 L as given", {Kind::volume, 1'000'000, {}}, Scaling::asGiven, "100ml"},
        {"60 ml as given", {Kind::volume, 60'000, {}}, Scaling::asGiven, "100ml"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const UnitPriceResult result = unitPrice(row.quantity, 1000, std::nullopt, row.scaling);
        ASSERT_TRUE(result.price.has_value()) << result.note.toStdString();
        EXPECT_EQ(unitBaseText(result.price->base, result.price->countWord), QString::fromUtf8(row.base));
    }
}

TEST(UnitPrice, NoneWhereItWouldMislead)
{
    struct Row {
        const char* name;
        Quantity quantity;
        qint64 priceYen;
        std::optional<UnitBase> base;
        const char* note;
    };
    const Quantity halfLitre {Kind::volume, 500'000, {}};
    const std::vector<Row> rows {
        {"no price", halfLitre, 0, {}, "売価がありません"},
        {"negative price", halfLitre, -100, {}, "売価がありません"},
        {"price too large", halfLitre, 1'000'000'001, {}, "売価が大きすぎます"},
        {"no content", {Kind::volume, 0, {}}, 100, {}, "量が0です"},
        {"a count base for millilitres", halfLitre, 100, UnitBase {Kind::count, 1'000},
         "単位「1個」はこの内容量（500ml）に使えません"},
        {"grams for rolls",
         {Kind::count, 12'000, QStringLiteral("ロール")},
         398,
         UnitBase {Kind::mass, 100'000},
         "単位「100g」はこの内容量（12ロール）に使えません"},
        {"millilitres for metres",
         {Kind::length, 50'000, {}},
         298,
         UnitBase {Kind::volume, 100'000},
         "単位「100ml」はこの内容量（50m）に使えません"},
        {"a base of nothing", halfLitre, 100, UnitBase {Kind::volume, 0}, "単位の量が正しくありません"},
        {"a base too large", halfLitre, 100, UnitBase {Kind::volume, 100'000'000}, "単位の量が正しくありません"},
        // 1 yen for 1,000 kL is 0.001 yen per litre.
        {"below a tenth of a yen", {Kind::volume, 1'000'000'000'000LL, {}}, 1, {}, "単位価格が0.1円未満です"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const UnitPriceResult result = unitPrice(row.quantity, row.priceYen, row.base);
        EXPECT_FALSE(result.price.has_value());
        EXPECT_EQ(result.note, QString::fromUtf8(row.note));
    }
}

TEST(UnitPrice, TheLargestFiguresStayExact)
{
    struct Row {
        const char* name;
        Quantity quantity;
        qint64 priceYen;
        std::optional<UnitBase> base;
        qint64 tenths;
    };
    const std::vector<Row> rows {
        // 1,000,000,000 yen for 1,000 kL: 1,000 yen per litre.
        {"the largest price and content", {Kind::volume, 1'000'000'000'000LL, {}}, 1'000'000'000, {}, 10'000},
        // 1,000,000,000 yen for 1 ml, per 10 ml: 10,000,000,000 yen.
        {"the largest price for the least", {Kind::volume, 1'000, {}}, 1'000'000'000, {}, 100'000'000'000LL},
        // The largest base, 10 kg, made 100 kg by the rule: 1,000,000,000 yen for 100 kg per 100 kg.
        {"the largest base",
         {Kind::mass, 100'000'000, {}},
         1'000'000'000,
         UnitBase {Kind::mass, 10'000'000},
         10'000'000'000LL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const UnitPriceResult result = unitPrice(row.quantity, row.priceYen, row.base);
        ASSERT_TRUE(result.price.has_value()) << result.note.toStdString();
        EXPECT_EQ(result.price->tenthsOfYen, row.tenths);
    }
}

}  // namespace
