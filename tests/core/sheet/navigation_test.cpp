#include "core/sheet/navigation.h"

#include <gtest/gtest.h>

using namespace sheet;

TEST(Navigation, MovesStopAtBothEnds)
{
    const struct {
        qint16 current;
        qint16 tags;
        Move move;
        qint16 expected;
    } rows[] = {
        {5, 24, Move::first, 1},  {5, 24, Move::previous, 4}, {1, 24, Move::previous, 1}, {5, 24, Move::next, 6},
        {23, 24, Move::next, 24}, {24, 24, Move::next, 24},   {40, 40, Move::next, 40},   {5, 24, Move::last, 24},
        {5, 40, Move::last, 40},  {1, 40, Move::first, 1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(movedTag(row.current, row.tags, row.move), row.expected)
            << row.current << "/" << row.tags << " move " << static_cast<int>(row.move);
    }
}

TEST(Navigation, MoveCurrentChangesOnlyCurrent)
{
    TagSheet sheet(SheetFormat::small);
    sheet.record(40).productName = QStringLiteral("x");
    sheet.candidateIndex = 7;
    EXPECT_EQ(moveCurrent(sheet, Move::last), 40);
    EXPECT_EQ(sheet.current, 40);
    EXPECT_EQ(moveCurrent(sheet, Move::next), 40);
    EXPECT_EQ(sheet.candidateIndex, 7);
    EXPECT_EQ(sheet.record(40).productName, QStringLiteral("x"));
}
