#include "core/pricing/yen_text.h"

#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace pricing;

namespace {

TEST(GroupedYen, DigitsInThrees)
{
    const std::vector<std::pair<qint64, const char*>> rows {
        {0, "0"},
        {7, "7"},
        {980, "980"},
        {1000, "1,000"},
        {1078, "1,078"},
        {12800, "12,800"},
        {100000, "100,000"},
        {1234567, "1,234,567"},
        {-1000, "-1,000"},
        {-980, "-980"},
        {9'223'372'036'854'775'807LL, "9,223,372,036,854,775,807"},
    };
    for (const auto& [yen, text] : rows) {
        EXPECT_EQ(groupedYen(yen), QString::fromUtf8(text)) << yen;
    }
}

TEST(TenthsOfYenText, OneDecimalUnlessWhole)
{
    const std::vector<std::pair<qint64, const char*>> rows {
        {398, "39.8"}, {5980, "598"}, {18857, "1,885.7"}, {4, "0.4"}, {10, "1"}, {0, "0"}, {100001, "10,000.1"},
    };
    for (const auto& [tenths, text] : rows) {
        EXPECT_EQ(tenthsOfYenText(tenths), QString::fromUtf8(text)) << tenths;
    }
}

}  // namespace
