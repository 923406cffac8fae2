// Shelf order: locations compared as staff read them.

#include "core/catalogue/rules/shelf_order.h"

#include <gtest/gtest.h>

namespace {

struct OrderRow {
    const char* before;
    const char* after;
};

TEST(NaturalOrder, NumbersInLocationsCompareAsNumbers)
{
    const OrderRow rows[] = {
        {"A-2", "A-10"}, {"A-9", "A-10"}, {"A-10", "B-1"}, {"Ａ－２", "A-10"}, {"a-3", "A-4"},
        {"2", "10"},     {"07", "8"},     {"A", "A-1"},    {"B-99", ""},       {"棚1", "棚12"},
    };
    for (const OrderRow& row : rows) {
        const QString a = QString::fromUtf8(row.before);
        const QString b = QString::fromUtf8(row.after);
        EXPECT_LT(catalogue::compareNaturally(a, b), 0) << row.before << " < " << row.after;
        EXPECT_GT(catalogue::compareNaturally(b, a), 0) << row.after << " > " << row.before;
    }
}

}  // namespace
