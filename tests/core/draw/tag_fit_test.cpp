#include "core/draw/tag_fit.h"

#include "core/draw/draw_tag_sheet.h"
#include "core/draw/recording_surface.h"

#include <gtest/gtest.h>

using draw::DrawOp;
using sheet::Field;
using sheet::SheetFormat;

namespace {

// A tag whose size or lot (and on the large tag, maker) would reach its price, each drawn at its
// own place; "*" is the longest text the box takes.
struct Crowded {
    const SheetFormat* format;
    const char* spec;
    const char* lot;
    qint32 price;
    bool lotLeftOut;  // no room beside the price even at its smallest
};

const Crowded kCrowded[] = {
    {&SheetFormat::small, "1パック", "", 358, false},     {&SheetFormat::small, "1パック", "", 648, false},
    {&SheetFormat::small, "1パック", "", 268, false},     {&SheetFormat::small, "1パック", "", 498, false},
    {&SheetFormat::small, "250g", "", 1350, false},       {&SheetFormat::small, "350ml×6", "", 540, false},
    {&SheetFormat::small, "12ロール", "", 132, false},    {&SheetFormat::small, "200ml", "", 1628, false},
    {&SheetFormat::small, "6本入", "", 297, false},       {&SheetFormat::small, "500g", "", 3278, false},
    {&SheetFormat::small, "", "3個組", 688, false},       {&SheetFormat::small, "", "2本組", 588, false},
    {&SheetFormat::small, "*", "*", 100000, true},        {&SheetFormat::small, "*", "*", 99999, true},
    {&SheetFormat::small, "*", "*", 9999, false},         {&SheetFormat::small, "*", "*", 999, false},
    {&SheetFormat::large, "１．２ｋｇ", "", 1480, false}, {&SheetFormat::large, "1パック", "3個組", 358, false},
    {&SheetFormat::large, "*", "*", 100000, false},       {&SheetFormat::large, "*", "*", 99999, false},
    {&SheetFormat::large, "*", "*", 9999, false},         {&SheetFormat::large, "*", "*", 999, false},
};

QString textOf(const char* given, const char* longest)
{
    return QString::fromUtf8(QByteArrayView(given) == "*" ? longest : given);
}

bool near(const DrawOp& a, const DrawOp& b, double gapXMm, double gapYMm)
{
    for (const draw::BoxMm& x : draw::glyphInkBoxes(a.font, a.x, a.y, a.text)) {
        for (const draw::BoxMm& y : draw::glyphInkBoxes(b.font, b.x, b.y, b.text)) {
            if (draw::tooClose(x, y, gapXMm, gapYMm)) {
                return true;
            }
        }
    }
    return false;
}

// Every text of the tag keeps clear of every other by its drawn ink; a text that gave way keeps the
// full gap from them and would not at one step wider or larger; only what has no room is missing,
// and that is said. On regular and sale tags alike.
TEST(TagFit, TextsBesideThePriceKeepClearOfItsInkByJustEnough)
{
    for (const Crowded& row : kCrowded) {
        for (const bool sale : {false, true}) {
            SCOPED_TRACE(row.format->key().toStdString() + " " + std::to_string(row.price) + (sale ? " sale" : ""));
            const bool longest = QByteArrayView(row.spec) == "*";
            const sheet::TagRecord record {QStringLiteral("4901234567894"),
                                           longest ? QStringLiteral("棚札食品工業") : QStringLiteral("棚札食品"),
                                           QStringLiteral("品名"),
                                           {},
                                           textOf(row.spec, "５００ｍｌ×２４"),
                                           textOf(row.lot, "２４本入り箱売り"),
                                           row.price};
            sheet::TagSheet page(*row.format);
            page.record(1) = record;
            if (sale) {
                page.extras[1].sale = sheet::SaleMark {QStringLiteral("12/16〜12/20"), 0};
            }
            draw::RecordingSurface surface;
            std::vector<draw::LeftOutField> leftOut;
            draw::drawTagSheet(page, surface, {}, &leftOut);
            const std::vector<draw::LeftOutField> lot {{1, Field::lot}};
            EXPECT_EQ(leftOut, row.lotLeftOut ? lot : std::vector<draw::LeftOutField> {});

            // The tag's own texts (the sale's are laid out by tag_extras), with the size of those
            // that may give way.
            std::vector<std::pair<DrawOp, double>> own;
            const bool largeMaker = row.format->isLarge();
            int yielding = 0;
            for (const DrawOp& op : surface.ops()) {
                const QString trimmed = op.text.trimmed();
                const bool price
                    = op.colour == draw::kRed && QString(trimmed).remove(u',') == QString::number(row.price);
                const bool gives = (!op.text.isEmpty() && (op.text == record.spec || op.text == record.lot))
                    || (largeMaker && op.text == record.maker);
                if (op.kind == DrawOp::Kind::text
                    && (price || gives || trimmed == u'円' || trimmed == record.jan || trimmed == record.productName
                        || trimmed == record.maker)) {
                    own.push_back({op, gives ? (largeMaker ? 10 : 9) : price ? op.font.sizePt : 0});
                    yielding += gives ? 1 : 0;
                }
            }
            EXPECT_EQ(yielding, !record.spec.isEmpty() + !record.lot.isEmpty() + largeMaker - row.lotLeftOut);
            for (const auto& [a, laidPt] : own) {
                const bool gaveWay = a.font.stretchPercent < 100 || a.font.sizePt < laidPt;
                DrawOp wider = a;
                wider.font.stretchPercent = a.font.stretchPercent < 100 ? a.font.stretchPercent + 1 : 60;
                wider.font.sizePt += a.font.stretchPercent < 100 ? 0 : 0.5;
                bool widerTouches = false;
                for (const auto& [b, ignored] : own) {
                    if (&a != &b) {
                        EXPECT_FALSE(near(a, b, 0, 0)) << a.text.toStdString() << " / " << b.text.toStdString();
                        EXPECT_FALSE(gaveWay && near(a, b, draw::kFitClearXMm, draw::kFitClearYMm))
                            << a.text.toStdString() << " gave way too little";
                        widerTouches = widerTouches || near(wider, b, draw::kFitClearXMm, draw::kFitClearYMm);
                    }
                }
                EXPECT_TRUE(!gaveWay || widerTouches) << a.text.toStdString() << " gave way further than it needed";
            }
        }
    }
}

// The ink of a face not measured is not known: a price in it leaves the texts beside it as they are.
TEST(TagFit, APriceInAFaceNotMeasuredLeavesTheTagAsItWas)
{
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        sheet::TagSheet page(*format);
        page.priceFont = sheet::kPGothic;
        page.record(1)
            = {{}, QStringLiteral("棚札精肉"), QStringLiteral("品名"), {}, QStringLiteral("１．２ｋｇ"), {}, 980};
        draw::RecordingSurface surface;
        draw::drawTagSheet(page, surface);
        for (const DrawOp& op : surface.ops()) {
            EXPECT_EQ(op.font.stretchPercent, 100) << op.text.toStdString();
            EXPECT_TRUE(op.text.trimmed() != QStringLiteral("980") || op.x == (format->isLarge() ? 10 + 22 : 28 + 4));
        }
    }
}

}  // namespace
