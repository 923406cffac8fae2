#include "core/draw/tag_extras.h"

#include "core/draw/draw_tag_sheet.h"
#include "core/draw/recording_surface.h"
#include "core/draw/text_extent.h"

#include <gtest/gtest.h>

#include <algorithm>

using draw::DrawOp;
using draw::ExtraText;
using draw::LeftOutText;
using sheet::SheetFormat;
using sheet::TagSheet;

namespace {

// The tag every case draws at slot 5: a code, a maker, a short name, a size and a price.
sheet::TagRecord record(qint32 price, const QString& name = QStringLiteral("天然水"), const QString& name2 = {},
                        const QString& lot = {})
{
    return {QStringLiteral("4901234567894"), QStringLiteral("棚札食品"), name, name2, QStringLiteral("2L"), lot, price};
}

constexpr int kSlot = 5;

struct Drawn {
    std::vector<DrawOp> ops;
    std::vector<LeftOutText> leftOut;
};

Drawn drawOne(const SheetFormat& format, const sheet::TagRecord& r, const sheet::TagTexts& texts,
              const std::optional<sheet::SaleMark>& sale)
{
    TagSheet page(format);
    page.record(kSlot) = r;
    if (sale) {
        page.extras[kSlot].sale = sale;
    }
    draw::RecordingSurface surface;
    Drawn drawn;
    drawn.leftOut = draw::drawTagSheet(page, surface, {{kSlot, texts}});
    drawn.ops = surface.ops();
    return drawn;
}

// The texts drawn after the tag's own, which are those of the same tag drawn with nothing more.
std::vector<DrawOp> extraOps(const Drawn& drawn, const SheetFormat& format, const sheet::TagRecord& r)
{
    const Drawn plain = drawOne(format, r, {}, std::nullopt);
    std::vector<DrawOp> extra;
    for (const DrawOp& op : drawn.ops) {
        if (std::find(plain.ops.begin(), plain.ops.end(), op) == plain.ops.end()) {
            extra.push_back(op);
        }
    }
    return extra;
}

std::vector<QString> textsOf(const std::vector<DrawOp>& ops)
{
    std::vector<QString> texts;
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Kind::text) {
            texts.push_back(op.text);
        }
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

std::vector<draw::BoxMm> inkOf(const DrawOp& op)
{
    return draw::textInkBoxes(op.font, op.x, op.y, op.text);
}

const QString kUnit = QStringLiteral("100mlあたり 4.9円");
const QString kTax = QStringLiteral("（税抜 91円）");
const QString kMark = QStringLiteral("※");
const QString kKei = QStringLiteral("軽");
const QString kSale = QStringLiteral("特価");
const QString kPeriod = QStringLiteral("12/16〜12/20");
const QString kHours = QStringLiteral("17:00〜19:00");
const QString kFormer = QStringLiteral("当店通常価格 1,280円");
const QString kLongUnit = QStringLiteral("1Lあたり 6,400円");
const QString kLongTax = QStringLiteral("（税抜 11,852円）");
const QString kLongestUnit = QStringLiteral("100mlあたり 1,234,567.8円");

struct ExtrasRow {
    const char* name;
    const SheetFormat* format;
    sheet::TagRecord tag;
    sheet::TagTexts texts;
    std::optional<sheet::SaleMark> sale;
    std::vector<QString> drawn;  // the extra texts drawn (sorted)
    std::vector<ExtraText> leftOut;
};

std::vector<ExtrasRow> extrasRows()
{
    const SheetFormat* large = &SheetFormat::large;
    const SheetFormat* small = &SheetFormat::small;
    const sheet::SaleMark withFormer {kPeriod, 1280};
    const sheet::SaleMark hoursOnly {kHours, 0};
    std::vector<ExtrasRow> rows {
        {"large unit price", large, record(98), {kUnit, {}, {}}, {}, {kUnit}, {}},
        {"large tax-exclusive", large, record(98), {{}, kTax, {}}, {}, {kTax}, {}},
        {"large mark ※", large, record(98), {{}, {}, kMark}, {}, {kMark}, {}},
        {"large mark 軽", large, record(98), {{}, {}, kKei}, {}, {kKei}, {}},
        {"large sale with former price", large, record(98), {}, withFormer, {kFormer, kPeriod, kSale}, {}},
        {"large sale of hours, no former", large, record(98), {}, hoursOnly, {kHours, kSale}, {}},
        {"large every text", large, record(98), {kUnit, kTax, kMark}, withFormer, {}, {}},
        {"large 5-digit price", large, record(12800), {kUnit, kTax, kMark}, {}, {kUnit, kMark, kTax}, {}},
        {"small unit price", small, record(98), {kUnit, {}, {}}, {}, {kUnit}, {}},
        {"small tax-exclusive", small, record(98), {{}, kTax, {}}, {}, {kTax}, {}},
        {"small mark", small, record(98), {{}, {}, kMark}, {}, {kMark}, {}},
        {"small sale with former price", small, record(98), {}, withFormer, {kFormer, kPeriod, kSale}, {}},
        {"small sale of hours, no former", small, record(98), {}, hoursOnly, {kHours, kSale}, {}},
        // The small tag's price leaves room below it for one line: the former price takes it and
        // the tax-exclusive price has nowhere to go; the unit price takes the empty second name line
        // only while the period does not.
        {"small sale and every text",
         small,
         record(98),
         {kUnit, kTax, kMark},
         withFormer,
         {kFormer, kMark, kPeriod, kSale},
         {ExtraText::taxExclusive, ExtraText::unitPrice}},
        // Below a 5-digit price on a small tag there is room for one of the two texts when the
        // second name line is taken: the tax-exclusive price comes first.
        {"small 5-digit price, second name line used",
         small,
         record(12800, QStringLiteral("天然水"), QStringLiteral("ペット")),
         {kLongUnit, kLongTax, {}},
         {},
         {kLongTax},
         {ExtraText::unitPrice}},
        // A 6-digit price reaches 円's column: the mark above 円 has no room.
        {"small 6-digit price", small, record(128000), {{}, {}, kMark}, {}, {}, {ExtraText::reducedRateMark}},
        // A long unit price after the tax-exclusive one meets the lot on the bottom line, the long
        // name leaves too little room beside it, and the lines above the name are too short.
        {"large long unit price, long name and lot",
         large,
         record(98, QStringLiteral("おいしい天然水ペット"), {}, QStringLiteral("ケース24本入り")),
         {kLongestUnit, kTax, {}},
         {},
         {kTax},
         {ExtraText::unitPrice}},
    };
    // The large tag has room for everything at once.
    rows[6].drawn = {kFormer, kMark, kUnit, kPeriod, kTax, kSale};
    std::sort(rows[6].drawn.begin(), rows[6].drawn.end());
    for (ExtrasRow& row : rows) {
        std::sort(row.drawn.begin(), row.drawn.end());
    }
    return rows;
}

TEST(TagExtras, EachTextIsDrawnWhereItFitsAndTheRestIsReported)
{
    for (const ExtrasRow& row : extrasRows()) {
        SCOPED_TRACE(row.name);
        const sheet::TagRecord& r = row.tag;
        const Drawn drawn = drawOne(*row.format, r, row.texts, row.sale);
        EXPECT_EQ(textsOf(extraOps(drawn, *row.format, r)), row.drawn);
        std::vector<LeftOutText> expected;
        for (const ExtraText text : row.leftOut) {
            expected.push_back({kSlot, text});
        }
        EXPECT_EQ(drawn.leftOut, expected);
    }
}

// Every extra text stays inside its cell, keeps clear of every other text, code bar and band of
// the page, and is smaller than the price.
TEST(TagExtras, NothingOverlapsAndThePriceStaysTheLargest)
{
    for (const ExtrasRow& row : extrasRows()) {
        SCOPED_TRACE(row.name);
        const sheet::TagRecord& r = row.tag;
        const Drawn drawn = drawOne(*row.format, r, row.texts, row.sale);
        const std::vector<DrawOp> extra = extraOps(drawn, *row.format, r);
        TagSheet page(*row.format);
        const sheet::CellOrigin o = page.cellOrigin(kSlot);
        const draw::BoxMm cell {double(o.xMm), double(o.yMm), double(o.xMm + row.format->cellWidthMm),
                                double(o.yMm + row.format->cellHeightMm)};
        const double pricePt
            = row.tag.price > 9999 && row.format->isSmall() ? 24.0 : row.format->defaultPriceFontSizePt;
        for (const DrawOp& op : extra) {
            if (op.kind != DrawOp::Kind::text) {
                continue;
            }
            const QString what = op.text;
            EXPECT_LT(op.font.sizePt, pricePt / 2) << what.toStdString();
            for (const draw::BoxMm& box : inkOf(op)) {
                EXPECT_TRUE(box.left >= cell.left && box.right <= cell.right && box.top >= cell.top
                            && box.bottom <= cell.bottom)
                    << what.toStdString();
                for (const DrawOp& other : drawn.ops) {
                    if (other == op || (other.kind == DrawOp::Kind::text && other.text.startsWith(u"FileName"))) {
                        continue;
                    }
                    // The 特価 mark's red box and the former price's bar are the texts' own.
                    const bool own = std::find(extra.begin(), extra.end(), other) != extra.end()
                        && other.kind == DrawOp::Kind::fill;
                    if (own || other.kind == DrawOp::Kind::outline) {
                        continue;
                    }
                    std::vector<draw::BoxMm> others;
                    if (other.kind == DrawOp::Kind::text) {
                        others = inkOf(other);
                    } else if (other.kind == DrawOp::Kind::fill || other.kind == DrawOp::Kind::line) {
                        others = {{other.x, other.y, other.x + other.w, other.y + other.h}};
                    }
                    for (const draw::BoxMm& b : others) {
                        EXPECT_FALSE(draw::tooClose(box, b, 0.0, 0.0))
                            << what.toStdString() << " meets " << other.text.toStdString();
                    }
                }
            }
        }
    }
}

TEST(TagExtras, TheFormerPriceIsStruckThroughOverItsAmountOnly)
{
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        SCOPED_TRACE(format->key().toStdString());
        const sheet::TagRecord r = record(98);
        const Drawn drawn = drawOne(*format, r, {}, sheet::SaleMark {kPeriod, 1280});
        const std::vector<DrawOp> extra = extraOps(drawn, *format, r);
        const auto former
            = std::find_if(extra.begin(), extra.end(), [](const DrawOp& op) { return op.text == kFormer; });
        ASSERT_NE(former, extra.end());
        ASSERT_NE(former + 1, extra.end());
        const DrawOp& bar = *(former + 1);
        EXPECT_EQ(bar.kind, DrawOp::Kind::fill);
        const double labelEnd = former->x + draw::textAdvanceMm(former->font, QStringLiteral("当店通常価格 "));
        const double end = former->x + draw::textAdvanceMm(former->font, kFormer);
        EXPECT_DOUBLE_EQ(bar.x, labelEnd);
        EXPECT_DOUBLE_EQ(bar.x + bar.w, end);
        // Across the middle of the line.
        const double em = draw::emMm(former->font.sizePt);
        EXPECT_NEAR(bar.y + bar.h / 2, former->y + em / 2, 1e-9);
    }
}

TEST(TagExtras, FormerPriceTexts)
{
    struct Row {
        qint32 yen;
        const char* text;
    };
    const Row rows[] = {
        {98, "当店通常価格 98円"},
        {1280, "当店通常価格 1,280円"},
        {128000, "当店通常価格 128,000円"},
        {1234567, "当店通常価格 1,234,567円"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(draw::formerPriceText(row.yen), QString::fromUtf8(row.text));
    }
}

// The layout alone: a mark of the tag in a text's only place sends it to the next, or out.
TEST(TagExtras, ATakenPlaceSendsATextOnOrOut)
{
    struct Row {
        const char* name;
        std::vector<draw::BoxMm> taken;
        bool placed;
    };
    // A small tag at the page's corner; its 円 where the drawing puts it.
    const draw::BoxMm yen {27, 27, 27 + draw::emMm(12), 27 + draw::emMm(12)};
    const Row rows[] = {
        {"free", {yen}, true},
        {"second name line taken", {yen, {1, 17.5, 31, 19.5}}, true},
        {"both places taken", {yen, {1, 17.5, 31, 19.5}, {0, 29, 27, 32}}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const draw::DrawnTag tag {&SheetFormat::small, {0, 0}, row.taken, yen};
        const draw::ExtrasLayout layout = draw::layOutExtras(tag, {kUnit, {}, {}}, std::nullopt);
        EXPECT_EQ(layout.placed.size(), row.placed ? 1u : 0u);
        EXPECT_EQ(layout.leftOut,
                  row.placed ? std::vector<ExtraText> {} : std::vector<ExtraText> {ExtraText::unitPrice});
    }
}

}  // namespace
