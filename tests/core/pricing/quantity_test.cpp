#include "core/pricing/quantity.h"

#include "support/qt_print.h"
#include "support/size_texts.h"

#include <gtest/gtest.h>

using namespace pricing;

namespace {

TEST(ReadQuantity, SizeTextsOfShopLists)
{
    for (const testfiles::SizeTextRow& row : testfiles::sizeTexts()) {
        SCOPED_TRACE(testing::Message() << row.goods << ": " << row.text);
        const QuantityReading reading = readQuantity(QString::fromUtf8(row.text));
        if (!row.read) {
            EXPECT_FALSE(reading.quantity.has_value());
            EXPECT_EQ(reading.note, QString::fromUtf8(row.shown));
            continue;
        }
        ASSERT_TRUE(reading.quantity.has_value()) << reading.note.toStdString();
        EXPECT_EQ(reading.quantity->kind, row.kind);
        EXPECT_EQ(reading.quantity->milli, row.milli);
        EXPECT_EQ(reading.quantity->countWord, QString::fromUtf8(row.countWord));
        EXPECT_TRUE(reading.note.isEmpty());
    }
}

// The same amount however it is spelled: the squared signs, full-width letters, katakana names.
TEST(ReadQuantity, SpellingsOfOneAmount)
{
    struct Row {
        const char* amount;  // what every text of the row means
        Kind kind;
        qint64 milli;
        std::vector<const char*> texts;
    };
    const std::vector<Row> rows {
        {"1 L", Kind::volume, 1'000'000, {"1L", "1l", "1ℓ", "1㍑", "1リットル", "１Ｌ", "1000ml", "1,000cc", "10dl"}},
        {"500 ml",
         Kind::volume,
         500'000,
         {"500ml", "500mL", "500ML", "500㎖", "500cc", "500㏄", "500ミリリットル", "0.5L"}},
        {"1 kg", Kind::mass, 1'000'000, {"1kg", "1KG", "1㎏", "1キロ", "1キログラム", "1000g", "1,000グラム"}},
        {"100 g",
         Kind::mass,
         100'000,
         {"100g", "100G", "100㌘", "１００ｇ", "0.1kg", "100000mg", "NET 100g", "本体 100g"}},
        {"20 m", Kind::length, 20'000, {"20m", "20メートル", "2000cm", "20000mm", "２０ｍ"}},
        {"1.5 kg", Kind::mass, 1'500'000, {"1.5kg", "1,500g", "1.500kg", "1500.0g"}},
    };
    for (const Row& row : rows) {
        for (const char* text : row.texts) {
            SCOPED_TRACE(testing::Message() << row.amount << ": " << text);
            const QuantityReading reading = readQuantity(QString::fromUtf8(text));
            ASSERT_TRUE(reading.quantity.has_value()) << reading.note.toStdString();
            EXPECT_EQ(reading.quantity->kind, row.kind);
            EXPECT_EQ(reading.quantity->milli, row.milli);
        }
    }
}

// Every way of writing a multiple gives the same total.
TEST(ReadQuantity, MultiplesInEveryOrderAndSign)
{
    const std::vector<const char*> texts {
        "350ml×6",   "350ml*6", "350mlx6",   "350mlX6",       "350ml x 6", "350ml✕6",       "350ml×6本", "350ml×6缶",
        "6本×350ml", "6×350ml", "(350ml×6)", "【350ml×6本】", "350ml×3×2", "３５０ｍｌ×６", "350ml 6本",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const QuantityReading reading = readQuantity(QString::fromUtf8(text));
        ASSERT_TRUE(reading.quantity.has_value()) << reading.note.toStdString();
        EXPECT_EQ(reading.quantity->kind, Kind::volume);
        EXPECT_EQ(reading.quantity->milli, 2'100'000);
    }
}

// Texts that must not be read, each refused by one rule, whatever else they hold.
TEST(ReadQuantity, RefusalsTakeTheirRuleFirst)
{
    struct Row {
        const char* text;
        const char* note;
    };
    const std::vector<Row> rows {
        // The approximation is named even where the text has other faults.
        {"約300～350g", "量がおおよそです（約・前後など）"},
        {"約 5kg", "量がおおよそです（約・前後など）"},
        {"300g以上", "量がおおよそです（約・前後など）"},
        {"1.5L〜2L", "量に幅があります"},
        {"300+30g増量", "足し算（増量など）は読みません"},
        {"500g国産", "読めない語があります（国産）"},
        {"×6", "数と量の関係がわかりません"},
        {"350ml×", "数と量の関係がわかりません"},
        {"350ml××6", "数と量の関係がわかりません"},
        {"6本 2袋", "数と量の関係がわかりません"},
        {"500ml 2本 3袋", "数と量の関係がわかりません"},
        {"1kg 2kg", "量が2つ以上書かれています"},
        {"500g×2kg", "量が2つ以上書かれています"},
        {"6×2", "単位のない数があります"},
        {"350ml 6", "単位のない数があります"},
        {"1.2.3g", "数「1.2.3」が読めません"},
        {"1,00g", "数「1,00」が読めません"},
        {"3.5本", "数が整数ではありません"},
        {"350ml×1000001", "量が大きすぎます"},
        {"1000000000g×1000", "量が大きすぎます"},
        {"0個", "量が0です"},
        {"100ml×0", "量が0です"},
        {"　", "規格が空です"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const QuantityReading reading = readQuantity(QString::fromUtf8(row.text));
        EXPECT_FALSE(reading.quantity.has_value());
        EXPECT_EQ(reading.note, QString::fromUtf8(row.note));
    }
}

TEST(ReadQuantityColumns, AmountAndUnitFromTheRegister)
{
    struct Row {
        const char* name;
        const char* amount;
        const char* unit;
        std::optional<Quantity> quantity;
        const char* note;
    };
    const std::vector<Row> rows {
        {"ml", "500", "ml", Quantity {Kind::volume, 500'000, {}}, ""},
        {"L with a decimal", "1.5", "L", Quantity {Kind::volume, 1'500'000, {}}, ""},
        {"full-width", "１，０００", "ｇ", Quantity {Kind::mass, 1'000'000, {}}, ""},
        {"katakana unit", "12", "ロール", Quantity {Kind::count, 12'000, QStringLiteral("ロール")}, ""},
        {"count and package", "6", "本入", Quantity {Kind::count, 6'000, QStringLiteral("本")}, ""},
        {"spaces about", " 400 ", " g ", Quantity {Kind::mass, 400'000, {}}, ""},
        {"no unit: the amount is a size text", "350ml×6", "", Quantity {Kind::volume, 2'100'000, {}}, ""},
        {"no amount", "", "ml", std::nullopt, "内容量が空です"},
        {"amount with its unit", "500ml", "ml", std::nullopt, "内容量「500ml」が数ではありません"},
        {"approximate amount", "約500", "g", std::nullopt, "内容量「約500」が数ではありません"},
        {"unknown unit", "500", "ケ月", std::nullopt, "単位「ケ月」が読めません"},
        {"two units", "500", "ml×6", std::nullopt, "単位「ml×6」が読めません"},
        {"bad number", "1,5", "L", std::nullopt, "数「1,5」が読めません"},
        {"zero", "0", "g", std::nullopt, "量が0です"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QuantityReading reading = readQuantityColumns(QString::fromUtf8(row.amount), QString::fromUtf8(row.unit));
        EXPECT_EQ(reading.quantity, row.quantity);
        EXPECT_EQ(reading.note, QString::fromUtf8(row.note));
    }
}

TEST(QuantityText, ShortFormsOfEachKind)
{
    struct Row {
        Quantity quantity;
        const char* text;
    };
    const std::vector<Row> rows {
        {{Kind::volume, 500'000, {}}, "500ml"},
        {{Kind::volume, 2'100'000, {}}, "2.1L"},
        {{Kind::volume, 1'000'500, {}}, "1000.5ml"},  // not a whole millilitre of a litre
        {{Kind::volume, 500, {}}, "0.5ml"},
        {{Kind::mass, 400'000, {}}, "400g"},
        {{Kind::mass, 1'200'000, {}}, "1.2kg"},
        {{Kind::mass, 10'000'000, {}}, "10kg"},
        {{Kind::mass, 100, {}}, "0.1g"},
        {{Kind::length, 50'000, {}}, "50m"},
        {{Kind::length, 27'500, {}}, "27.5m"},
        {{Kind::length, 300, {}}, "30cm"},
        {{Kind::length, 5, {}}, "0.5cm"},
        {{Kind::count, 12'000, QStringLiteral("ロール")}, "12ロール"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(quantityText(row.quantity), QString::fromUtf8(row.text));
    }
}

TEST(MilliText, DecimalsWithoutTrailingZeros)
{
    const std::vector<std::pair<qint64, const char*>> rows {
        {0, "0"}, {1, "0.001"}, {10, "0.01"}, {1500, "1.5"}, {2000, "2"}, {1'234'567, "1234.567"}, {100'100, "100.1"},
    };
    for (const auto& [milli, text] : rows) {
        EXPECT_EQ(milliText(milli), QString::fromUtf8(text)) << milli;
    }
}

}  // namespace
