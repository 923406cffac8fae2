#include "core/draw/draw_barcode.h"

#include "core/draw/recording_surface.h"
#include "support/jan_symbols.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <vector>

using draw::DrawOp;
using draw::RecordingSurface;
using draw::Unit;
using test_support::kEan13Of4901234567894;
using test_support::kEan8Of12345670;

namespace {

// The fills that paint `modules` module by module from `leftPx`, each `widthPx` wide.
std::vector<DrawOp> expectedPixelFills(const QString& modules, int leftPx, int topPx, int widthPx, int rowsPx)
{
    std::vector<DrawOp> ops;
    for (int k = 0; k < modules.size(); ++k) {
        DrawOp op;
        op.kind = DrawOp::Kind::fill;
        op.unit = Unit::pixels;
        op.x = leftPx + k * widthPx;
        op.y = topPx;
        op.w = widthPx;
        op.h = rowsPx;
        op.colour = modules.at(k) == u'0' ? draw::kWhite : draw::kBlack;
        ops.push_back(op);
    }
    return ops;
}

}  // namespace

TEST(drawJanBarcode, PrinterAreaGivesWholePixelModulesFromTheLeftEdge)
{
    RecordingSurface surface(2.4, 2.4);  // 600 dpi
    surface.setUnit(Unit::millimetres);
    // 35 x 7 mm at (12.3, 45.6): px = Int(290.5875), py = Int(1077.3), 826 px wide, ph = 165.
    EXPECT_EQ(draw::drawJanBarcode(surface, QStringLiteral("4901234567894"), 12.3, 45.6, 47.3, 52.6),
              barcode::JanStatus::ok);
    EXPECT_EQ(surface.ops(), expectedPixelFills(kEan13Of4901234567894, 290, 1077, 7, 166));
    EXPECT_EQ(surface.unit(), Unit::millimetres);

    surface.clearOps();
    EXPECT_EQ(draw::drawJanBarcode(surface, QStringLiteral("12345670"), 12.3, 45.6, 47.3, 52.6),
              barcode::JanStatus::ok);
    EXPECT_EQ(surface.ops(), expectedPixelFills(kEan8Of12345670, 290, 1077, 9, 166));
    EXPECT_EQ(surface.unit(), Unit::millimetres);
}

TEST(drawJanBarcode, ScreenAreaGivesOnePixelModules)
{
    RecordingSurface surface(15, 15);
    surface.setUnit(Unit::millimetres);
    // 34.5 mm = 130.41 px; 5.5 mm = 20.79 px; (10, 20) mm = (37.8, 75.6) px.
    draw::drawJanBarcode(surface, QStringLiteral("4901234567894"), 10, 20, 44.5, 25.5);
    EXPECT_EQ(surface.ops(), expectedPixelFills(kEan13Of4901234567894, 37, 75, 1, 21));
    surface.clearOps();
    draw::drawJanBarcode(surface, QStringLiteral("12345670"), 10, 20, 44.5, 25.5);
    EXPECT_EQ(surface.ops(), expectedPixelFills(kEan8Of12345670, 37, 75, 1, 21));
}

TEST(drawJanBarcode, WholePixelCountsSurviveRoundingNoise)
{
    // 66.1 - 6.1 is 59.99999999999999 in binary; 60 mm at 720 dpi is exactly 1701 px.
    RecordingSurface surface(2.0, 2.0);
    surface.setUnit(Unit::millimetres);
    const double topMm = 66.1 - 6.1;
    draw::drawJanBarcode(surface, QStringLiteral("12345670"), topMm, topMm, topMm + 35, topMm + 7);
    ASSERT_FALSE(surface.ops().empty());
    EXPECT_EQ(surface.ops().front().x, 1701);
    EXPECT_EQ(surface.ops().front().y, 1701);
}

TEST(drawJanBarcode, NarrowAreaIsDrawnInMillimetresInHundredthSteps)
{
    RecordingSurface surface(15, 15);  // 20 mm = 75.6 px: fewer pixels than modules
    surface.setUnit(Unit::millimetres);
    const struct {
        const char* code;
        const QString& modules;
        double moduleMm;  // 2000 hundredths divided by the module count
    } rows[] = {
        {"4901234567894", kEan13Of4901234567894, 0.17},
        {"12345670", kEan8Of12345670, 0.23},
    };
    for (const auto& row : rows) {
        surface.clearOps();
        EXPECT_EQ(draw::drawJanBarcode(surface, QString::fromLatin1(row.code), 5, 8, 25, 13), barcode::JanStatus::ok);
        const auto& ops = surface.ops();
        ASSERT_EQ(ops.size(), size_t(row.modules.size())) << row.code;
        for (size_t k = 0; k < ops.size(); ++k) {
            EXPECT_EQ(ops[k].kind, DrawOp::Kind::fill);
            EXPECT_EQ(ops[k].unit, Unit::millimetres);
            EXPECT_NEAR(ops[k].x, 5 + k * row.moduleMm, 1e-9) << row.code << " module " << k;
            EXPECT_NEAR(ops[k].w, row.moduleMm - 0.01, 1e-9);
            EXPECT_EQ(ops[k].y, 8);
            EXPECT_EQ(ops[k].h, 5);
            EXPECT_EQ(ops[k].colour, row.modules.at(k) == u'0' ? draw::kWhite : draw::kBlack);
        }
        EXPECT_EQ(surface.unit(), Unit::millimetres);
    }

    // Less than 0.01 mm a module leaves nothing to draw.
    surface.clearOps();
    EXPECT_EQ(draw::drawJanBarcode(surface, QStringLiteral("12345670"), 5, 8, 5.5, 13), barcode::JanStatus::ok);
    EXPECT_TRUE(surface.ops().empty());
    EXPECT_EQ(surface.unit(), Unit::millimetres);
}

TEST(drawJanBarcode, CheckDigitIsComputedOrMustMatch)
{
    RecordingSurface withCheck(2.4, 2.4);
    RecordingSurface without(2.4, 2.4);
    withCheck.setUnit(Unit::millimetres);
    without.setUnit(Unit::millimetres);
    EXPECT_EQ(draw::drawJanBarcode(withCheck, QStringLiteral("4901234567894"), 5, 5, 40, 12), barcode::JanStatus::ok);
    EXPECT_EQ(draw::drawJanBarcode(without, QStringLiteral("490123456789"), 5, 5, 40, 12), barcode::JanStatus::ok);
    EXPECT_EQ(without.ops(), withCheck.ops());

    // The empty code is the EAN-8 symbol 00000000.
    RecordingSurface empty(2.4, 2.4);
    RecordingSurface zeros(2.4, 2.4);
    draw::drawJanBarcode(empty, QString(), 5, 5, 40, 12);
    draw::drawJanBarcode(zeros, QStringLiteral("00000000"), 5, 5, 40, 12);
    EXPECT_EQ(empty.ops().size(), 85u);
    EXPECT_EQ(empty.ops(), zeros.ops());
}

TEST(drawJanBarcode, CodesWithoutANumberDrawNothing)
{
    const struct {
        const char16_t* code;
        barcode::JanStatus result;
    } rows[] = {
        {u"4901234567890", barcode::JanStatus::wrongCheckDigit}, {u"12345678", barcode::JanStatus::wrongCheckDigit},
        {u"49012345678a4", barcode::JanStatus::notANumber},      {u"1234567X", barcode::JanStatus::notANumber},
        {u"ＡＢＣＤＥＦＧＨ", barcode::JanStatus::notANumber},
    };
    for (const auto& row : rows) {
        RecordingSurface surface(2.4, 2.4);
        surface.setUnit(Unit::millimetres);
        EXPECT_EQ(draw::drawJanBarcode(surface, QString::fromUtf16(row.code), 5, 5, 40, 12), row.result);
        EXPECT_TRUE(surface.ops().empty());
        EXPECT_EQ(surface.unit(), Unit::millimetres);
    }
}

TEST(drawJanQuietZones, RepaintsExactlyTheLightModulesOutsideTheBars)
{
    // EAN-13 and EAN-8, in whole pixels (600 dpi) and in hundredths of a millimetre (narrow area).
    const struct {
        double tpp;
        const char* code;
        const QString& modules;
        double x2;
    } rows[] = {
        {2.4, "4901234567894", kEan13Of4901234567894, 47.3},
        {2.4, "12345670", kEan8Of12345670, 47.3},
        {15, "4901234567894", kEan13Of4901234567894, 32.3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        RecordingSurface symbol(row.tpp, row.tpp);
        RecordingSurface zones(row.tpp, row.tpp);
        symbol.setUnit(Unit::millimetres);
        zones.setUnit(Unit::millimetres);
        const QString code = QString::fromLatin1(row.code);
        ASSERT_EQ(draw::drawJanBarcode(symbol, code, 12.3, 45.6, row.x2, 52.6), barcode::JanStatus::ok);
        ASSERT_EQ(draw::drawJanQuietZones(zones, code, 12.3, 45.6, row.x2, 52.6), barcode::JanStatus::ok);
        const auto leading = size_t(row.modules.indexOf(QRegularExpression(QStringLiteral("[^0]"))));
        const auto trailing
            = size_t(row.modules.size() - 1 - row.modules.lastIndexOf(QRegularExpression(QStringLiteral("[^0]"))));
        std::vector<DrawOp> expected(symbol.ops().begin(), symbol.ops().begin() + qsizetype(leading));
        expected.insert(expected.end(), symbol.ops().end() - qsizetype(trailing), symbol.ops().end());
        EXPECT_EQ(zones.ops(), expected);
        EXPECT_GE(leading, 9u);
        EXPECT_GE(trailing, 7u);
        for (const DrawOp& op : zones.ops()) {
            EXPECT_EQ(op.colour, draw::kWhite);
        }
        EXPECT_EQ(zones.unit(), Unit::millimetres);
    }

    RecordingSurface refused(2.4, 2.4);
    EXPECT_EQ(draw::drawJanQuietZones(refused, QStringLiteral("4901234567890"), 5, 5, 40, 12),
              barcode::JanStatus::wrongCheckDigit);
    EXPECT_EQ(draw::drawJanQuietZones(refused, QStringLiteral("1234567X"), 5, 5, 40, 12),
              barcode::JanStatus::notANumber);
    EXPECT_TRUE(refused.ops().empty());
}
