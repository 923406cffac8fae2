#include "core/draw/draw_tag_sheet.h"

#include "core/barcode/barcode.h"
#include "core/draw/draw_barcode.h"
#include "core/draw/recording_surface.h"
#include "core/sheet/tag_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>

using draw::DrawOp;
using draw::RecordingSurface;
using draw::Unit;
using sheet::SheetFormat;
using sheet::TagSheet;

namespace {

constexpr draw::Colour kGrey = draw::kButtonFace;

std::vector<DrawOp> drawnOps(const TagSheet& sheet, sheet::OutputMode mode)
{
    TagSheet copy = sheet;
    copy.outputMode = mode;
    RecordingSurface surface(15, 15);
    draw::drawTagSheet(copy, surface);
    return surface.ops();
}

std::vector<DrawOp> ofKind(const std::vector<DrawOp>& ops, DrawOp::Kind kind)
{
    std::vector<DrawOp> out;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(out), [kind](const DrawOp& op) { return op.kind == kind; });
    return out;
}

// The one text op with this text; fails the test when there is none or more than one.
DrawOp textOp(const std::vector<DrawOp>& ops, const QString& text)
{
    std::vector<DrawOp> found;
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Kind::text && op.text == text) {
            found.push_back(op);
        }
    }
    EXPECT_EQ(found.size(), 1u) << "text \"" << text.toStdString() << "\"";
    return found.empty() ? DrawOp {} : found.front();
}

bool hasText(const std::vector<DrawOp>& ops, const QString& text)
{
    return std::any_of(ops.begin(), ops.end(),
                       [&](const DrawOp& op) { return op.kind == DrawOp::Kind::text && op.text == text; });
}

TagSheet sheetWithTag(const SheetFormat& format, int slot, sheet::TagRecord record)
{
    TagSheet sheet(format);
    sheet.record(slot) = std::move(record);
    return sheet;
}

sheet::TagRecord tag(qint32 price, const QString& jan = QString())
{
    return {jan,
            QStringLiteral("メーカー"),
            QStringLiteral("品名"),
            QStringLiteral("二行目"),
            QStringLiteral("500ml"),
            QStringLiteral("6本"),
            price};
}

}  // namespace

TEST(drawTagSheet, EmptySheetInPreviewIsTheGreyGridNumbersAndHeader)
{
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        TagSheet sheet(*format);
        const auto ops = drawnOps(sheet, sheet::OutputMode::preview);
        const int n = format->tagsPerPage;
        ASSERT_EQ(ops.size(), size_t(2 + 2 * n));
        EXPECT_EQ(ops[0].kind, DrawOp::Kind::cls);
        for (int t = 1; t <= n; ++t) {
            const DrawOp& frame = ops[size_t(2 * t - 1)];
            const DrawOp& number = ops[size_t(2 * t)];
            const auto o = sheet.cellOrigin(t);
            EXPECT_EQ(frame.kind, DrawOp::Kind::outline);
            EXPECT_EQ(frame.unit, Unit::millimetres);
            EXPECT_EQ(frame.x, o.xMm);
            EXPECT_EQ(frame.y, o.yMm);
            EXPECT_EQ(frame.w, format->cellWidthMm);
            EXPECT_EQ(frame.h, format->cellHeightMm);
            EXPECT_EQ(frame.colour, kGrey);
            EXPECT_EQ(number.text, QString::number(t).rightJustified(2, u' '));
            EXPECT_EQ(number.x, o.xMm + (format->isLarge() ? 56 : 26));
            EXPECT_EQ(number.y, o.yMm + 16);
            EXPECT_EQ(number.font, (draw::FontSpec {QStringLiteral("ＭＳ 明朝"), 10, false, false, false}));
            EXPECT_EQ(number.colour, kGrey);
        }
        const DrawOp& header = ops.back();
        EXPECT_EQ(header.text, QStringLiteral("FileName  無題"));
        EXPECT_EQ(header.x, 10);
        EXPECT_EQ(header.y, 5);
        EXPECT_EQ(header.font, (draw::FontSpec {QStringLiteral("ＭＳ 明朝"), 16, false, false, false}));
        EXPECT_EQ(header.colour, draw::kBlack);

        // On paper only the header is printed.
        const auto printed = drawnOps(sheet, sheet::OutputMode::printer);
        ASSERT_EQ(printed.size(), 1u);
        EXPECT_EQ(printed[0], header);
    }
}

TEST(drawTagSheet, TagWithoutProductNameDrawsNothing)
{
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        auto record = tag(1980, QStringLiteral("4901234567894"));
        record.productName.clear();
        const TagSheet sheet = sheetWithTag(*format, 3, record);
        EXPECT_EQ(drawnOps(sheet, sheet::OutputMode::preview), drawnOps(TagSheet(*format), sheet::OutputMode::preview));
        EXPECT_EQ(drawnOps(sheet, sheet::OutputMode::printer).size(), 1u);
    }
}

TEST(drawTagSheet, LargePriceBands)
{
    struct Row {
        qint32 price;
        QString text;  // empty: no price drawn
        double x;
        double yenX;
        double specX;
    };
    const Row rows[] = {
        {0, {}, 0, 50, 10},
        {-5, {}, 0, 50, 10},
        {5, QStringLiteral(" 5 "), 22, 42, 10},
        {99, QStringLiteral(" 99 "), 22, 42, 10},
        {100, QStringLiteral(" 100 "), 22, 50, 10},
        {999, QStringLiteral(" 999 "), 22, 50, 10},
        {1000, QStringLiteral("1,000"), 15, 50, 2},
        {9999, QStringLiteral("9,999"), 15, 50, 2},
        {10000, QStringLiteral("10,000"), 12, 50, 2},
        {1234567, QStringLiteral("1,234,567"), 12, 50, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.price);
        const TagSheet sheet = sheetWithTag(SheetFormat::large, 5, tag(row.price));  // cell (70, 45)
        const auto ops = drawnOps(sheet, sheet::OutputMode::printer);
        const auto reds = ofKind(ops, DrawOp::Kind::text);
        int priceTexts = 0;
        for (const DrawOp& op : reds) {
            if (op.colour == draw::kRed && op.text != QStringLiteral("円")) {
                ++priceTexts;
                EXPECT_EQ(op.text, row.text);
                EXPECT_EQ(op.x, 70 + row.x);
                EXPECT_EQ(op.y, 45 + 16);
                EXPECT_EQ(op.font, (draw::FontSpec {QStringLiteral("ＭＳ 明朝"), 36, false, false, false}));
            }
        }
        EXPECT_EQ(priceTexts, row.text.isEmpty() ? 0 : 1);
        const DrawOp yen = textOp(ops, QStringLiteral("円"));
        EXPECT_EQ(yen.x, 70 + row.yenX);
        EXPECT_EQ(yen.y, 45 + 23);
        EXPECT_EQ(yen.font, (draw::FontSpec {QStringLiteral("ＭＳ 明朝"), 12, false, false, false}));
        EXPECT_EQ(yen.colour, draw::kRed);
        const DrawOp spec = textOp(ops, QStringLiteral("500ml"));
        const DrawOp lot = textOp(ops, QStringLiteral("6本"));
        EXPECT_EQ(spec.x, 70 + row.specX);
        EXPECT_EQ(spec.y, 45 + 21);
        EXPECT_EQ(lot.x, 70 + row.specX);
        EXPECT_EQ(lot.y, 45 + 25);
        EXPECT_EQ(spec.font, (draw::FontSpec {QStringLiteral("ＭＳ 明朝"), 10, false, false, true}));
        EXPECT_EQ(spec.colour, draw::kBlue);
    }
}

TEST(drawTagSheet, SmallPriceBands)
{
    struct Row {
        qint32 price;
        QString text;
        double x, y, sizePt;
    };
    const Row rows[] = {
        {0, {}, 0, 0, 0},
        {50, QStringLiteral(" 50 "), 10, 21, 28},
        {500, QStringLiteral(" 500 "), 4, 21, 28},
        {5000, QStringLiteral(" 5000 "), 2, 22, 20},
        {50000, QStringLiteral(" 50000 "), 0, 22, 24},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.price);
        // Nothing beside the price: the size and lot of tag() would reach the prices of four and
        // five digits, which then move towards 円 (tag_fit_test.cpp).
        sheet::TagRecord record = tag(row.price);
        record.spec.clear();
        record.lot.clear();
        const TagSheet sheet = sheetWithTag(SheetFormat::small, 7, record);  // cell (60, 47)
        const auto ops = drawnOps(sheet, sheet::OutputMode::printer);
        if (row.text.isEmpty()) {
            EXPECT_FALSE(hasText(ops, QStringLiteral(" 0 ")));
        } else {
            const DrawOp price = textOp(ops, row.text);
            EXPECT_EQ(price.x, 60 + row.x);
            EXPECT_EQ(price.y, 47 + row.y);
            EXPECT_EQ(price.font.sizePt, row.sizePt);
            EXPECT_EQ(price.colour, draw::kRed);
        }
        const DrawOp yen = textOp(ops, QStringLiteral("円"));
        EXPECT_EQ(yen.x, 60 + 27);
        EXPECT_EQ(yen.y, 47 + 27);
    }
}

TEST(drawTagSheet, PrintOffsetsMoveOnlyThePrice)
{
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        TagSheet plain = sheetWithTag(*format, 1, tag(980, QStringLiteral("4901234567894")));
        TagSheet moved = plain;
        moved.printOffsetX = 3;
        moved.printOffsetY = -2;
        const auto a = drawnOps(plain, sheet::OutputMode::preview);
        const auto b = drawnOps(moved, sheet::OutputMode::preview);
        ASSERT_EQ(a.size(), b.size());
        int differing = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i] == b[i]) {
                continue;
            }
            ++differing;
            EXPECT_EQ(a[i].text, QStringLiteral(" 980 "));
            EXPECT_EQ(b[i].x, a[i].x + 3);
            EXPECT_EQ(b[i].y, a[i].y - 2);
        }
        EXPECT_EQ(differing, 1);
    }
}

TEST(drawTagSheet, LargeFrameWithAndWithoutBorder)
{
    TagSheet sheet = sheetWithTag(SheetFormat::large, 1, tag(100));
    auto ops = drawnOps(sheet, sheet::OutputMode::printer);
    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops[1], (DrawOp {DrawOp::Kind::outline, Unit::millimetres, 10, 15, 60, 30, {}, {}, draw::kRed, 1}));
    EXPECT_TRUE(textOp(ops, QStringLiteral("品名")).font.underline);

    sheet.bordered = true;
    sheet.borderColor = 0x00123456;
    ops = drawnOps(sheet, sheet::OutputMode::printer);
    const double bands[][4] = {{0, 0, 60, 1.8}, {0, 28, 60, 2}, {0, 2, 25, 1.8}, {0, 7, 25, 2}, {0, 15, 60, 0.5}};
    ASSERT_GE(ops.size(), 7u);
    for (int i = 0; i < 5; ++i) {
        const DrawOp& op = ops[size_t(1 + i)];
        EXPECT_EQ(op.kind, DrawOp::Kind::fill);
        EXPECT_EQ(op.x, 10 + bands[i][0]);
        EXPECT_EQ(op.y, 15 + bands[i][1]);
        EXPECT_EQ(op.w, bands[i][2]);
        EXPECT_EQ(op.h, bands[i][3]);
        EXPECT_EQ(op.colour, 0x00123456u);
    }
    EXPECT_EQ(ops[6].kind, DrawOp::Kind::outline);
    EXPECT_EQ(ops[6].colour, draw::kBlack);
    EXPECT_FALSE(textOp(ops, QStringLiteral("品名")).font.underline);
}

TEST(drawTagSheet, SmallFrameWithAndWithoutBorder)
{
    auto record = tag(100);
    record.productName = QStringLiteral("ABC");
    record.productName2 = QStringLiteral("X");
    TagSheet sheet = sheetWithTag(SheetFormat::small, 1, record);
    auto ops = drawnOps(sheet, sheet::OutputMode::printer);
    // Red frame, slogan, red frame again.
    ASSERT_GE(ops.size(), 4u);
    EXPECT_EQ(ops[1].kind, DrawOp::Kind::outline);
    EXPECT_EQ(ops[1].colour, draw::kRed);
    EXPECT_EQ(ops[2].text, QStringLiteral("Happy & Merry"));
    EXPECT_EQ(ops[3], ops[1]);
    EXPECT_TRUE(textOp(ops, QStringLiteral("   ABC   ")).font.underline);
    EXPECT_TRUE(textOp(ops, QStringLiteral("     X     ")).font.underline);

    sheet.bordered = true;
    sheet.borderColor = 0x0000FF00;
    ops = drawnOps(sheet, sheet::OutputMode::printer);
    ASSERT_GE(ops.size(), 6u);
    EXPECT_EQ(ops[1].kind, DrawOp::Kind::fill);
    EXPECT_EQ(ops[1].h, 0.5);
    EXPECT_EQ(ops[2].kind, DrawOp::Kind::fill);
    EXPECT_EQ(ops[2].y, 15 + 30);
    EXPECT_EQ(ops[3].kind, DrawOp::Kind::outline);
    EXPECT_EQ(ops[3].colour, draw::kBlack);
    EXPECT_EQ(ops[4].kind, DrawOp::Kind::fill);
    EXPECT_EQ(ops[4].y, 15 + 20);
    EXPECT_EQ(ops[5].text, QStringLiteral("Happy & Merry"));
    EXPECT_TRUE(textOp(ops, QStringLiteral("   ABC   ")).font.underline);
    EXPECT_FALSE(textOp(ops, QStringLiteral("     X     ")).font.underline);
}

TEST(drawTagSheet, SmallBlankFill)
{
    struct Row {
        QString maker, name, name2;
        QString makerOut, nameOut, name2Out;
    };
    const Row rows[] = {
        {QStringLiteral("abc"), QStringLiteral("りんご"), QStringLiteral("赤"), QStringLiteral("  abc"),
         QStringLiteral("   りんご   "), QStringLiteral("     赤     ")},
        {QStringLiteral("abcde"), QStringLiteral("12345"), QStringLiteral("12345"), QStringLiteral("abcde"),
         QStringLiteral("  12345  "), QStringLiteral(" 12345 ")},
        {QStringLiteral("abcdef"), QStringLiteral("123456"), QStringLiteral("123456"), QStringLiteral("abcdef"),
         QStringLiteral(" 123456 "), QStringLiteral("123456")},
        {QStringLiteral("a"), QStringLiteral("1234567"), QString(), QStringLiteral("    a"), QStringLiteral("1234567"),
         QString()},
    };
    for (const Row& row : rows) {
        sheet::TagRecord r = tag(10);
        r.maker = row.maker;
        r.productName = row.name;
        r.productName2 = row.name2;
        const auto ops = drawnOps(sheetWithTag(SheetFormat::small, 1, r), sheet::OutputMode::printer);
        const DrawOp maker = textOp(ops, row.makerOut);
        EXPECT_EQ(maker.x, 28 + 5);
        EXPECT_EQ(maker.y, 15 + 9);
        EXPECT_EQ(maker.font.sizePt, 11);
        const DrawOp name = textOp(ops, row.nameOut);
        EXPECT_EQ(name.x, 28 + 4);
        EXPECT_EQ(name.y, 15 + 13);
        if (!row.name2Out.isEmpty()) {
            const DrawOp name2 = textOp(ops, row.name2Out);
            EXPECT_EQ(name2.x, 28 + 6);
            EXPECT_EQ(name2.y, 15 + 17);
            EXPECT_EQ(name2.font.sizePt, 9);
        }
    }
}

TEST(drawTagSheet, CodeLengthDecidesPlaceholderOrSlogan)
{
    struct Row {
        const SheetFormat* format;
        QString jan;
        int lines;  // placeholder lines; 0 means the slogan
    };
    const Row rows[] = {
        {&SheetFormat::large, QStringLiteral("4901234567894"), 21},
        {&SheetFormat::large, QStringLiteral("49012347"), 21},
        {&SheetFormat::large, QStringLiteral("490123456789"), 0},
        {&SheetFormat::large, QString(), 0},
        {&SheetFormat::small, QStringLiteral("4901234567894"), 20},
        {&SheetFormat::small, QStringLiteral("12345"), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.jan.toStdString());
        const auto ops = drawnOps(sheetWithTag(*row.format, 1, tag(100, row.jan)), sheet::OutputMode::preview);
        const auto lines = ofKind(ops, DrawOp::Kind::line);
        ASSERT_EQ(lines.size(), size_t(row.lines));
        EXPECT_EQ(hasText(ops, QStringLiteral("Happy & Merry")), row.lines == 0);
        if (!row.jan.isEmpty()) {
            const DrawOp code = textOp(ops, row.jan);  // printed as stored
            EXPECT_EQ(code.font.sizePt, 9);
        }
        if (row.lines == 21) {
            EXPECT_EQ(lines[0], (DrawOp {DrawOp::Kind::line, Unit::millimetres, 40, 17, 0, 6, {}, {}, 0, 1}));
            EXPECT_EQ(lines[1].width, 3);
            EXPECT_EQ(lines[1].h, 5.5);
            EXPECT_EQ(lines[2].width, 2);
            EXPECT_EQ(lines[2].h, 5.8);
            EXPECT_EQ(lines[20].x, 10 + 55);
        } else if (row.lines == 20) {
            EXPECT_EQ(lines[0], (DrawOp {DrawOp::Kind::line, Unit::millimetres, 31, 18.5, 0, 5.3, {}, {}, 0, 3}));
            EXPECT_EQ(lines[19].x, 28 + 27);
            EXPECT_EQ(lines[19].width, 2);
        }
    }
}

TEST(drawTagSheet, PenWidthIsBackToOneAfterAPlaceholder)
{
    TagSheet sheet = sheetWithTag(SheetFormat::small, 40, tag(100, QStringLiteral("49012347")));
    sheet.outputMode = sheet::OutputMode::preview;
    RecordingSurface surface;
    draw::drawTagSheet(sheet, surface);
    EXPECT_EQ(surface.drawWidth(), 1);
    surface.clearOps();
    draw::drawTagSheet(sheet, surface);
    for (const DrawOp& op : ofKind(surface.ops(), DrawOp::Kind::outline)) {
        EXPECT_EQ(op.width, 1);
    }
}

TEST(drawTagSheet, PreviewShowsTheTagNumberOnTopOfEachDrawnTag)
{
    const auto large = drawnOps(sheetWithTag(SheetFormat::large, 24, tag(100)), sheet::OutputMode::preview);
    const auto numbers
        = std::count_if(large.begin(), large.end(), [](const DrawOp& op) { return op.text == QStringLiteral("24"); });
    EXPECT_EQ(numbers, 2);
    EXPECT_EQ(large.back().text, QStringLiteral("6本"));  // lot is the last text of a large tag
    const auto small = drawnOps(sheetWithTag(SheetFormat::small, 7, tag(100)), sheet::OutputMode::preview);
    EXPECT_EQ(small.back().text, QStringLiteral(" 7"));
    EXPECT_EQ(small.back().x, 60 + 26);
}

TEST(drawBlankSheet, ClearsAndDrawsTheGridOnly)
{
    TagSheet large(SheetFormat::large);
    large.marginLeft = 3;
    large.marginTop = 4;
    large.record(1) = tag(100);
    RecordingSurface surface;
    large.restoreStartMargins();
    draw::drawBlankSheet(large, surface);
    EXPECT_EQ(large.marginLeft, 10);
    EXPECT_EQ(large.marginTop, 15);
    EXPECT_EQ(surface.unit(), Unit::millimetres);
    TagSheet empty(SheetFormat::large);
    auto expected = drawnOps(empty, sheet::OutputMode::preview);
    expected.pop_back();  // no header
    EXPECT_EQ(surface.ops(), expected);

    TagSheet small(SheetFormat::small);
    small.marginLeft = 30;
    RecordingSurface smallSurface;
    small.restoreStartMargins();
    draw::drawBlankSheet(small, smallSurface);
    EXPECT_EQ(small.marginLeft, 30);  // only the large format puts its margins back
    EXPECT_EQ(smallSurface.ops().size(), 1u + 80u);
}

TEST(drawTagSheet, PrintedSmallSymbolsKeepTheirQuietZonesClearOfLaterMarks)
{
    // Tags 1 and 2 sit side by side; tag 2's frame runs through tag 1's right quiet zone. Tag 3 has
    // no symbol, tag 4 no product name.
    TagSheet sheet(SheetFormat::small);
    sheet.record(1) = tag(100, QStringLiteral("4901234567894"));
    sheet.record(2) = tag(200, QStringLiteral("12345670"));
    sheet.record(3) = tag(300, QStringLiteral("123"));
    sheet.record(4).jan = QStringLiteral("4901234567894");
    const auto printed = drawnOps(sheet, sheet::OutputMode::printer);

    RecordingSurface zones(15, 15);
    zones.setUnit(Unit::millimetres);
    for (int t : {1, 2}) {
        const sheet::CellOrigin o = sheet.cellOrigin(t);
        ASSERT_EQ(draw::drawJanQuietZones(zones, sheet.record(t).jan, o.xMm + 0.5, o.yMm + 3.5, o.xMm + 35, o.yMm + 9),
                  barcode::JanStatus::ok);
    }
    // The zones come last, after every frame and text of the page.
    ASSERT_GT(printed.size(), zones.ops().size());
    const std::vector<DrawOp> tail(printed.end() - qsizetype(zones.ops().size()), printed.end());
    EXPECT_EQ(tail, zones.ops());
    const auto lastFrame = std::find_if(printed.rbegin(), printed.rend(),
                                        [](const DrawOp& op) { return op.kind == DrawOp::Kind::outline; });
    EXPECT_LT(lastFrame.base() - printed.begin(), printed.end() - printed.begin() - qsizetype(zones.ops().size()));

    // The preview and the large page draw no such zones.
    const auto preview = drawnOps(sheet, sheet::OutputMode::preview);
    EXPECT_TRUE(ofKind(preview, DrawOp::Kind::fill).empty());
    TagSheet large(SheetFormat::large);
    large.record(1) = tag(100, QStringLiteral("4901234567894"));
    const auto largePrinted = drawnOps(large, sheet::OutputMode::printer);
    ASSERT_FALSE(largePrinted.empty());
    EXPECT_EQ(largePrinted.back().kind, DrawOp::Kind::text);
}
