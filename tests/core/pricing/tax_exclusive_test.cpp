#include "core/pricing/tax_exclusive.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace pricing;
using productlist::Rounding;

namespace {

TEST(TaxExclusive, WorkedBackFromTheTagPrice)
{
    struct Row {
        const char* name;
        qint64 tagYen;
        int rate;
        Rounding rounding;
        qint64 yen;
    };
    const std::vector<Row> rows {
        // 98 * 1.08 = 105.84 -> 105 (切り捨て), 106 (四捨五入, 切り上げ): each goes back to 98.
        {"98 at 8 % rounded down", 105, 8, Rounding::floor, 98},
        {"98 at 8 % rounded half up", 106, 8, Rounding::halfUp, 98},
        {"98 at 8 % rounded up", 106, 8, Rounding::ceil, 98},
        // 980 * 1.1 = 1,078 exactly.
        {"980 at 10 %", 1078, 10, Rounding::floor, 980},
        {"980 at 10 % by any rounding", 1078, 10, Rounding::ceil, 980},
        // 106 rounded down comes from 99: 99 * 1.08 = 106.92 -> 106.
        {"106 rounded down at 8 %", 106, 8, Rounding::floor, 99},
        {"exact at 8 %", 108, 8, Rounding::floor, 100},
        {"exact at 10 %", 110, 10, Rounding::halfUp, 100},
        // 1 * 1.1 = 1.1 -> 1.
        {"one yen", 1, 10, Rounding::floor, 1},
        {"nothing", 0, 10, Rounding::floor, 0},
        {"nothing rounded half up", 0, 8, Rounding::halfUp, 0},
        // 12 * 1.08 = 12.96, 13 * 1.08 = 14.04: no price gives 13 rounded down; the tax share of
        // 13 is 0.96, rounded down to 0.
        {"no price gives 13 rounded down", 13, 8, Rounding::floor, 13},
        // 6 * 1.08 = 6.48 -> 6, 7 * 1.08 = 7.56 -> 8: none gives 7 half up; 7 less 0.51 rounded down.
        {"no price gives 7 half up", 7, 8, Rounding::halfUp, 7},
        // 12 * 1.08 -> 13, 13 * 1.08 -> 15 rounded up: none gives 14; 14 less 1.03 rounded down.
        {"no price gives 14 rounded up", 14, 8, Rounding::ceil, 13},
        // 90,909 * 1.1 = 99,999.9 -> 99,999; 90,910 * 1.1 = 100,001: 100,000 less 9,090.9 -> 9,090.
        {"100,000 at 10 %", 100000, 10, Rounding::floor, 90910},
        // 92,593 * 1.08 = 100,000.44 -> 100,000.
        {"100,000 at 8 %", 100000, 8, Rounding::floor, 92593},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto result = taxExclusive(row.tagYen, row.rate, std::nullopt, row.rounding);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->yen, row.yen);
        EXPECT_EQ(result->source, TaxExclusive::Source::tagPrice);
        EXPECT_FALSE(result->listDisagrees);
    }
}

// Every tax-exclusive price of a range goes back to itself through the tax-inclusive price it
// gives, at both rates and by every rounding.
TEST(TaxExclusive, RoundTripsEveryPriceUpToTenThousand)
{
    for (int rate : {productlist::kReducedRate, productlist::kStandardRate}) {
        for (Rounding rounding : productlist::allRoundings()) {
            for (qint64 yen = 0; yen <= 10000; ++yen) {
                const qint64 tag = productlist::taxIncluded(yen, rate, rounding);
                const auto back = taxExclusive(tag, rate, std::nullopt, rounding);
                ASSERT_TRUE(back.has_value());
                ASSERT_EQ(back->yen, yen)
                    << tag << " yen at " << rate << " % by " << productlist::roundingKey(rounding).toStdString();
            }
        }
    }
}

TEST(TaxExclusive, TheListsOwnPrice)
{
    struct Row {
        const char* name;
        qint64 tagYen;
        int rate;
        qint64 listYen;
        Rounding rounding;
        TaxExclusive expected;
    };
    using S = TaxExclusive::Source;
    const std::vector<Row> rows {
        {"agrees", 105, 8, 98, Rounding::floor, {98, S::list, false}},
        {"agrees at 10 %", 1078, 10, 980, Rounding::floor, {980, S::list, false}},
        // 106 rounded down would be 99; the list's 98 gives 106 rounded half up, so it stands.
        {"agrees by another rounding", 106, 8, 98, Rounding::floor, {98, S::list, false}},
        // 980 gives 1,078, not 1,100: the tag was changed by hand; 1,100 / 1.1 = 1,000.
        {"disagrees", 1100, 10, 980, Rounding::floor, {1000, S::tagPrice, true}},
        {"negative", 1078, 10, -980, Rounding::floor, {980, S::tagPrice, true}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(taxExclusive(row.tagYen, row.rate, row.listYen, row.rounding), row.expected);
    }
}

TEST(TaxExclusive, NoneWithoutATax)
{
    struct Row {
        const char* name;
        qint64 tagYen;
        int rate;
    };
    const std::vector<Row> rows {
        {"非課税", 500, 0},
        {"negative rate", 500, -8},
        {"rate above 100", 500, 101},
        {"negative price", -1, 10},
        {"price beyond any tag", 1'000'000'000'001LL, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(taxExclusive(row.tagYen, row.rate, std::nullopt), std::nullopt);
        EXPECT_EQ(taxExclusive(row.tagYen, row.rate, row.tagYen), std::nullopt);
    }
}

TEST(TaxExclusiveText, SmallPrintBesideThePrice)
{
    const std::vector<std::pair<qint64, const char*>> rows {
        {980, "（税抜 980円）"},
        {1280, "（税抜 1,280円）"},
        {90910, "（税抜 90,910円）"},
        {0, "（税抜 0円）"},
    };
    for (const auto& [yen, text] : rows) {
        EXPECT_EQ(taxExclusiveText(yen), QString::fromUtf8(text)) << yen;
    }
}

TEST(ReducedRateMark, OnlyTheReducedRateTakesIt)
{
    const std::vector<std::pair<int, bool>> rows {{8, true}, {10, false}, {0, false}, {5, false}};
    for (const auto& [rate, takes] : rows) {
        EXPECT_EQ(takesReducedRateMark(rate), takes) << rate;
    }
    EXPECT_EQ(reducedRateMarkText(ReducedRateMark::asterisk), QStringLiteral("※"));
    EXPECT_EQ(reducedRateMarkText(ReducedRateMark::kei), QStringLiteral("軽"));
}

}  // namespace
