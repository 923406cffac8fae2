#include "core/productlist/tax.h"

#include <gtest/gtest.h>

using namespace productlist;

namespace {

struct TaxRow {
    qint64 yen;
    int rate;
    qint64 floor;
    qint64 halfUp;
    qint64 ceil;
};

TEST(TaxIncluded, EveryRoundingAtBothRates)
{
    const std::vector<TaxRow> rows {
        {98, 8, 105, 106, 106},    // 105.84
        {98, 10, 107, 108, 108},   // 107.8
        {100, 8, 108, 108, 108},   // exact
        {100, 10, 110, 110, 110},  // exact
        {106, 8, 114, 114, 115},   // 114.48
        {1, 8, 1, 1, 2},           // 1.08
        {5, 10, 5, 6, 6},          // 5.5: half rounds up
        {15, 10, 16, 17, 17},      // 16.5
        {123, 10, 135, 135, 136},  // 135.3
        {0, 10, 0, 0, 0},
        {99, 0, 99, 99, 99},                  // 非課税
        {92593, 8, 100000, 100000, 100001},   // 100000.44: the limit is decided after rounding
        {90910, 10, 100001, 100001, 100001},  // 100001.0
        {1'000'000'000'000LL, 10, 1'100'000'000'000LL, 1'100'000'000'000LL, 1'100'000'000'000LL},
    };
    for (const TaxRow& row : rows) {
        SCOPED_TRACE(testing::Message() << row.yen << " yen at " << row.rate << "%");
        EXPECT_EQ(taxIncluded(row.yen, row.rate, Rounding::floor), row.floor);
        EXPECT_EQ(taxIncluded(row.yen, row.rate, Rounding::halfUp), row.halfUp);
        EXPECT_EQ(taxIncluded(row.yen, row.rate, Rounding::ceil), row.ceil);
    }
}

TEST(ParseTaxClass, RatesAndWords)
{
    struct Row {
        const char* text;
        std::optional<int> rate;       // nothing: list-wide
        std::optional<bool> includes;  // what the class says about the price
        bool known;
    };
    const std::vector<Row> rows {
        {"10", 10, {}, true},     {"10%", 10, {}, true},     {"１０％", 10, {}, true},
        {"8", 8, {}, true},       {"8%", 8, {}, true},       {"８", 8, {}, true},
        {"0.1", 10, {}, true},    {"0.08", 8, {}, true},     {"0.10", 10, {}, true},
        {"10.0", 10, {}, true},   {" 8 % ", 8, {}, true},    {"0", 0, {}, true},
        {"0%", 0, {}, true},      {"標準", 10, {}, true},    {"標準税率", 10, {}, true},
        {"軽減", 8, {}, true},    {"軽減税率", 8, {}, true}, {"非課税", 0, {}, true},
        {"免税", 0, {}, true},    {"内税", {}, true, true},  {"外税", {}, false, true},
        {"5", {}, {}, false},     {"5%", {}, {}, false},     {"1", {}, {}, false},
        {"0.085", {}, {}, false}, {"10.5", {}, {}, false},   {"税込", {}, {}, false},
        {"", {}, {}, false},      {"-10", {}, {}, false},    {"1000000000000", {}, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const auto parsed = parseTaxClass(QString::fromUtf8(row.text));
        ASSERT_EQ(parsed.has_value(), row.known);
        if (parsed) {
            EXPECT_EQ(parsed->ratePercent, row.rate);
            EXPECT_EQ(parsed->priceIncludesTax, row.includes);
        }
    }
}

TEST(ReadPrice, TheWaysListsWritePrices)
{
    using O = PriceReading::Status;
    struct Row {
        const char* text;
        O status;
        qint64 yen;
        bool reformatted;
    };
    const std::vector<Row> rows {
        {"1080", O::ok, 1080, false},
        {"1,080", O::ok, 1080, true},
        {"¥1,080", O::ok, 1080, true},
        {"￥1,080", O::ok, 1080, true},
        {"\\1080", O::ok, 1080, true},
        {"1080円", O::ok, 1080, true},
        {"１０８０", O::ok, 1080, true},
        {"１，０８０円", O::ok, 1080, true},
        {"1080.00", O::ok, 1080, true},
        {" 98 ", O::ok, 98, false},
        {"0", O::ok, 0, false},
        {"007", O::ok, 7, true},
        {"1,234,567", O::ok, 1234567, true},
        {"100001", O::ok, 100001, false},
        {"99999999999999999999", O::ok, 1'000'000'000'000LL, false},
        {"", O::empty, 0, false},
        {"   ", O::empty, 0, false},
        {"10,80", O::notANumber, 0, false},
        {"1,0800", O::notANumber, 0, false},
        {",100", O::notANumber, 0, false},
        {"オープン", O::notANumber, 0, false},
        {"1e3", O::notANumber, 0, false},
        {"¥", O::notANumber, 0, false},
        {"105.84", O::fraction, 0, false},
        {"-100", O::negative, 0, false},
        {"－１００", O::negative, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const PriceReading reading = readPrice(QString::fromUtf8(row.text));
        EXPECT_EQ(reading.status, row.status);
        EXPECT_EQ(reading.yen, row.yen);
        EXPECT_EQ(reading.reformatted, row.reformatted);
    }
}

TEST(Roundings, KeysAndTitles)
{
    const std::vector<std::tuple<Rounding, const char*, const char*>> rows {
        {Rounding::floor, "floor", "切り捨て"},
        {Rounding::halfUp, "half-up", "四捨五入"},
        {Rounding::ceil, "ceil", "切り上げ"},
    };
    for (const auto& [rounding, key, title] : rows) {
        EXPECT_EQ(roundingKey(rounding), QString::fromUtf8(key));
        EXPECT_EQ(roundingTitle(rounding), QString::fromUtf8(title));
        EXPECT_EQ(roundingOfKey(QString::fromUtf8(key)), rounding);
    }
    EXPECT_EQ(roundingOfKey(QStringLiteral("round")), std::nullopt);
}

}  // namespace
