// The places a shelf check looks at: one location, a range in shelf order, every location; and the
// order in which a check's entries are listed.

#include "core/catalogue/rules/shelf_check.h"

#include <gtest/gtest.h>

using catalogue::CheckEntry;
using catalogue::CheckPlace;
using catalogue::CheckVerdict;

namespace {

struct PlaceRow {
    const char* name;
    CheckPlace place;
    QStringList inside;
    QStringList outside;
};

TEST(CheckPlace, HoldsTheLocationsShelfOrderPutsWithinIt)
{
    const PlaceRow rows[] = {
        {"one location, in any width, case and padding",
         CheckPlace::location(QStringLiteral("A-1")),
         {QStringLiteral("A-1"), QStringLiteral("Ａ－１"), QStringLiteral("a-1"), QStringLiteral("A-01"),
          QStringLiteral(" A-1 ")},
         {QStringLiteral("A-10"), QStringLiteral("A-11"), QStringLiteral("B-1"), QString()}},
        {"a range compares numbers as numbers",
         CheckPlace::range(QStringLiteral("A-2"), QStringLiteral("A-10")),
         {QStringLiteral("A-2"), QStringLiteral("A-9"), QStringLiteral("A-10")},
         {QStringLiteral("A-1"), QStringLiteral("A-11"), QStringLiteral("B-3"), QString()}},
        {"a range given backwards",
         CheckPlace::range(QStringLiteral("B-1"), QStringLiteral("A-12")),
         {QStringLiteral("A-12"), QStringLiteral("B-1")},
         {QStringLiteral("A-11"), QStringLiteral("B-2")}},
        {"everywhere, a product without a location too",
         CheckPlace::all(),
         {QStringLiteral("A-1"), QStringLiteral("Z-99"), QString()},
         {}},
    };
    for (const PlaceRow& row : rows) {
        for (const QString& location : row.inside) {
            EXPECT_TRUE(row.place.contains(location)) << row.name << " " << location.toStdString();
        }
        for (const QString& location : row.outside) {
            EXPECT_FALSE(row.place.contains(location)) << row.name << " " << location.toStdString();
        }
    }
    EXPECT_EQ(CheckPlace::range(QStringLiteral("B-1"), QStringLiteral("A-12")).text(), QStringLiteral("A-12〜B-1"));
}

TEST(SortCheckEntries, ByVerdictThenShelfOrderThenListOrderThenAsScanned)
{
    const auto entry = [](CheckVerdict verdict, const char* location, int listOrder, const char* code) {
        CheckEntry out;
        out.verdict = verdict;
        out.location = QString::fromUtf8(location);
        out.listOrder = listOrder;
        out.code = QString::fromUtf8(code);
        return out;
    };
    std::vector<CheckEntry> entries {
        entry(CheckVerdict::right, "A-1", 1, "r"),     entry(CheckVerdict::unknown, "A-10", 0, "u2"),
        entry(CheckVerdict::wrong, "A-10", 2, "w3"),   entry(CheckVerdict::unknown, "A-2", 0, "u1"),
        entry(CheckVerdict::wrong, "A-2", 9, "w2"),    entry(CheckVerdict::wrong, "A-2", 4, "w1"),
        entry(CheckVerdict::unknown, "A-10", 0, "u3"),
    };
    catalogue::sortCheckEntries(entries);
    QStringList codes;
    for (const CheckEntry& sorted : entries) {
        codes << sorted.code;
    }
    EXPECT_EQ(codes, (QStringList {"w1", "w2", "w3", "u1", "u2", "u3", "r"}));
}

}  // namespace
