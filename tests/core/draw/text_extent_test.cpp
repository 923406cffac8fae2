#include "core/draw/text_extent.h"

#include "core/sheet/tag_sheet.h"

#include <gtest/gtest.h>

namespace {

TEST(TextExtent, AdvancesOfTheFixedAndTheProportionalFaces)
{
    struct Row {
        const char* name;
        QString face;
        const char* text;
        double ems;
    };
    const Row rows[] = {
        {"ASCII half an em", sheet::kMincho, "980", 1.5},
        {"kana and kanji one em", sheet::kMincho, "あたり円", 4.0},
        {"mixed", sheet::kMincho, "100mlあたり 39.8円", 9.0},
        {"half-width katakana half an em", sheet::kMincho, "ｶﾚｰ", 1.5},
        {"a character beyond the BMP once", sheet::kMincho, "𠮷", 1.0},
        {"proportional digits at their widest", sheet::kPGothic, "12", 1.26},
        {"proportional kanji one em", sheet::kPGothic, "特価", 2.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const draw::FontSpec font {row.face, 10, false, false, false};
        EXPECT_NEAR(draw::textAdvanceMm(font, QString::fromUtf8(row.text)), row.ems * draw::emMm(10), 1e-9);
    }
}

TEST(TextExtent, InkBoxesJoinRunsOfOneBandAndSkipBlanks)
{
    const draw::FontSpec mincho {sheet::kMincho, 10, false, false, false};
    const double em = draw::emMm(10);
    // " 98" and "円": the blank leaves no ink; digits and kanji lie in bands of their own.
    const std::vector<draw::BoxMm> boxes = draw::textInkBoxes(mincho, 1.0, 2.0, QStringLiteral(" 98円"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NEAR(boxes[0].left, 1.0 + 0.5 * em, 1e-9);
    EXPECT_NEAR(boxes[0].right, 1.0 + 1.5 * em, 1e-9);
    EXPECT_NEAR(boxes[0].top, 2.0 + 0.10 * em, 1e-9);
    EXPECT_NEAR(boxes[1].left, 1.0 + 1.5 * em, 1e-9);
    EXPECT_NEAR(boxes[1].bottom, 2.0 + 0.97 * em, 1e-9);
    EXPECT_TRUE(draw::textInkBoxes(mincho, 0, 0, QStringLiteral("   ")).empty());
    // Underlined blanks leave the line.
    const draw::FontSpec underlined {sheet::kMincho, 10, false, false, true};
    EXPECT_EQ(draw::textInkBoxes(underlined, 0, 0, QStringLiteral("   ")).size(), 1u);
}

TEST(TextExtent, TooCloseCountsTheGapExactly)
{
    struct Row {
        const char* name;
        draw::BoxMm b;
        bool close;
    };
    const draw::BoxMm a {0, 0, 10, 5};
    const Row rows[] = {
        {"overlapping", {9, 4, 12, 8}, true},
        {"touching across, gap wanted", {10, 0, 12, 5}, true},
        {"exactly the gap across", {10.5, 0, 12, 5}, false},
        {"exactly the gap below", {0, 5.15, 10, 8}, false},
        {"inside the gap below", {0, 5.1, 10, 8}, true},
        {"beside, far below", {10.1, 9, 12, 10}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(draw::tooClose(a, row.b, 0.5, 0.15), row.close);
        EXPECT_EQ(draw::tooClose(row.b, a, 0.5, 0.15), row.close);
    }
}

}  // namespace
