#include "core/barcode/barcode.h"

#include "core/draw/recording_surface.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>

using draw::DrawOp;
using draw::RecordingSurface;
using draw::Unit;

namespace {

// Module strings of two symbols as the standard draws them, quiet zones included.
const QString kEan8Of12345670
    = QStringLiteral("0000000002020011001001001101111010100011030301001110101000010001001110010404000000000");
const QString kEan13Of4901234567894
    = QStringLiteral("00000000020200010110100111001100100100110100001001110103030100111010100001000100100100011101"
                     "001011100404000000000");

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

TEST(normalizeJan, DataDigitsCheckDigitAndResultByLength)
{
    const struct {
        const char* code;
        const char* data;
        int checkDigit;
        barcode::JanResult result;
    } rows[] = {
        {"", "0000000", 0, barcode::JanResult::ok},
        {"123", "0000123", 6, barcode::JanResult::ok},
        {"1234567", "1234567", 0, barcode::JanResult::ok},
        {"12345678", "1234567", 0, barcode::JanResult::wrongCheckDigit},
        {"12345670", "1234567", 0, barcode::JanResult::ok},
        {"96385074", "9638507", 4, barcode::JanResult::ok},
        {"490123456789", "490123456789", 4, barcode::JanResult::ok},
        {"4901234567894", "490123456789", 4, barcode::JanResult::ok},
        {"4901234567890", "490123456789", 4, barcode::JanResult::wrongCheckDigit},
        {"12345678901", "012345678901", 2, barcode::JanResult::ok},
        {"123456789", "000123456789", 5, barcode::JanResult::ok},
        {"4512345678906", "451234567890", 6, barcode::JanResult::ok},
        {"49012345678941234", "490123456789", 4, barcode::JanResult::ok},  // beyond 13: the rest is ignored
        {"49012345678900000", "490123456789", 4, barcode::JanResult::ok},
        {"4901234567894ABCD", "490123456789", 4, barcode::JanResult::ok},
    };
    for (const auto& row : rows) {
        QString code = QString::fromLatin1(row.code);
        qint16 checkDigit = -1;
        const barcode::JanResult result = barcode::normalizeJan(code, checkDigit);
        EXPECT_EQ(code, QString::fromLatin1(row.data)) << row.code;
        EXPECT_EQ(checkDigit, row.checkDigit) << row.code;
        EXPECT_EQ(result, row.result) << row.code;
    }
}

TEST(normalizeJan, ANonDigitWhereADigitIsReadIsNotANumber)
{
    const char16_t* codes[] = {
        u"12a",            // short EAN-8 data
        u" 1234567",       // eight characters: the data part
        u"1234567X",       // eight characters: the supplied check digit
        u"4901234567-89",  // thirteen characters: the data part
        u"490123456789X",  // thirteen characters: the supplied check digit
        u"4901234567８9",  // a full-width digit is not a digit
        u"490123456789０",
        u"12345678901 ",      // twelve characters, trailing blank
        u"4901234５67894ZZ",  // beyond 13 characters only the first twelve count
    };
    for (const char16_t* c : codes) {
        const QString original = QString::fromUtf16(c);
        QString code = original;
        qint16 checkDigit = -1;
        const barcode::JanResult result = barcode::normalizeJan(code, checkDigit);
        EXPECT_EQ(result, barcode::JanResult::notANumber) << original.toStdString();
        EXPECT_EQ(code, original) << original.toStdString();
        EXPECT_EQ(checkDigit, 0) << original.toStdString();
    }
}

TEST(JanEncoding, ModuleStringsOfEan8AndEan13)
{
    EXPECT_EQ(barcode::janModuleString(QStringLiteral("12345670")), kEan8Of12345670);
    EXPECT_EQ(barcode::janModuleString(QStringLiteral("4901234567894")), kEan13Of4901234567894);
    EXPECT_EQ(kEan8Of12345670.size(), 85);
    EXPECT_EQ(kEan13Of4901234567894.size(), 113);
}

TEST(JanEncoding, LeadingZeroEncodesTheLeftHalfInSetAOnly)
{
    // 0 + the UPC-A number 036000291452: every left-hand digit in set A.
    const QString modules = barcode::janModuleString(QStringLiteral("0036000291452"));
    ASSERT_EQ(modules.size(), 113);
    QString left;
    for (const char d : {'0', '3', '6', '0', '0', '0'}) {
        left += barcode::janDigitPatterns(d - '0').left(7);
    }
    EXPECT_EQ(modules.mid(12, 42), left);
}

TEST(JanEncoding, EveryLeadingDigitSelectsItsParityPatternAndTheRightHalfIsSetC)
{
    // The left-half parities of the symbology's table by leading digit: L for set A, G for set B.
    const struct {
        const char* number;
        const char* parities;
    } rows[] = {
        {"0123456789012", "LLLLLL"}, {"1234567890128", "LLGLGG"}, {"2345678901231", "LLGGLG"},
        {"3456789012344", "LLGGGL"}, {"4567890123457", "LGLLGG"}, {"5678901234560", "LGGLLG"},
        {"6789012345673", "LGGGLL"}, {"7890123456786", "LGLGLG"}, {"8901234567899", "LGLGGL"},
        {"9012345678902", "LGGLGL"},
    };
    for (const auto& row : rows) {
        const QString number = QString::fromLatin1(row.number);
        const QString modules = barcode::janModuleString(number);
        ASSERT_EQ(modules.size(), 113) << row.number;
        EXPECT_EQ(modules.left(12), QStringLiteral("000000000202")) << row.number;
        EXPECT_EQ(modules.mid(54, 5), QStringLiteral("03030")) << row.number;
        EXPECT_EQ(modules.right(12), QStringLiteral("404000000000")) << row.number;
        for (int i = 0; i < 6; ++i) {
            const QString pattern = barcode::janDigitPatterns(qint16(number.at(1 + i).digitValue()));
            const QString expected = row.parities[i] == 'L' ? pattern.left(7) : pattern.mid(8);
            EXPECT_EQ(modules.mid(12 + 7 * i, 7), expected) << row.number << " left digit " << i + 2;
        }
        for (int i = 0; i < 6; ++i) {
            const QString pattern = barcode::janDigitPatterns(qint16(number.at(7 + i).digitValue()));
            EXPECT_EQ(modules.mid(59 + 7 * i, 7), barcode::invertModules(pattern.left(7)))
                << row.number << " right digit " << i + 8;
        }
    }
}

TEST(JanEncoding, ModuleStringRefusesWhatIsNotAFullNumber)
{
    for (const char* text : {"", "1234567", "123456789012", "12345678901234", "1234567a", "490123456789x"}) {
        EXPECT_TRUE(barcode::janModuleString(QString::fromLatin1(text)).isEmpty()) << text;
    }
    // Characters just outside '0'..'9', and full-width digits, are not digits either.
    for (const char16_t* text : {u"1234567/", u"1234567:", u"４９０１２３４５６７８９４", u"49012345678９4"}) {
        EXPECT_TRUE(barcode::janModuleString(QString::fromUtf16(text)).isEmpty())
            << QString::fromUtf16(text).toStdString();
    }
}

TEST(JanEncoding, DigitPatternsAreSetsAAndBOfTheSymbology)
{
    EXPECT_EQ(barcode::janDigitPatterns(0), QStringLiteral("0001101-0100111"));
    EXPECT_EQ(barcode::janDigitPatterns(10), barcode::janDigitPatterns(0));
    EXPECT_EQ(barcode::janDigitPatterns(-1), barcode::janDigitPatterns(0));

    QStringList seen;
    for (qint16 d = 0; d <= 9; ++d) {
        const QString pattern = barcode::janDigitPatterns(d);
        ASSERT_EQ(pattern.size(), 15) << d;
        ASSERT_EQ(pattern.at(7), u'-') << d;
        const QString l = pattern.left(7);
        const QString g = pattern.mid(8);
        // Set A: light first, dark last, two bars, an odd number of dark modules.
        EXPECT_EQ(l.front(), u'0') << d;
        EXPECT_EQ(l.back(), u'1') << d;
        EXPECT_EQ(l.count(QStringLiteral("01")), 2) << d;
        EXPECT_EQ(l.count(u'1') % 2, 1) << d;
        // Set B is set C (the inverted set A) read backwards.
        QString mirrored = barcode::invertModules(l);
        std::reverse(mirrored.begin(), mirrored.end());
        EXPECT_EQ(g, mirrored) << d;
        EXPECT_FALSE(seen.contains(l)) << d;
        seen << l;
    }
}

TEST(JanEncoding, InvertModulesSwapsLightAndDark)
{
    EXPECT_EQ(barcode::invertModules(QStringLiteral("0001101")), QStringLiteral("1110010"));
    EXPECT_EQ(barcode::invertModules(QString()), QString());
}

TEST(JanEncoding, hexToParityLetters)
{
    const struct {
        const char* hex;
        const char* letters;
    } rows[] = {
        {"1", "OOOE"}, {"B", "EOEE"}, {"F", "EEEE"},      {"C", "EEOO"},      {"c", "EEOO"}, {"0", "OOOO"},
        {"G", "OOOO"}, {"-", "OOOO"}, {"0B", "OOOOEOEE"}, {"a9", "EOEOEOOE"}, {"", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(barcode::hexToParityLetters(QString::fromLatin1(row.hex)), QString::fromLatin1(row.letters))
            << row.hex;
    }
}

TEST(JanEncoding, ParityLettersOfEveryLeadingDigit)
{
    // The EAN-13 parity table of the standard, set A written O and set B written E.
    const char* table[10]
        = {"OOOOOO", "OOEOEE", "OOEEOE", "OOEEEO", "OEOOEE", "OEEOOE", "OEEEOO", "OEOEOE", "OEOEEO", "OEEOEO"};
    for (qint16 d = 0; d <= 9; ++d) {
        EXPECT_EQ(barcode::janParityLetters(d), QString::fromLatin1(table[d])) << d;
    }
}

TEST(drawJanBarcode, PrinterAreaGivesWholePixelModulesFromTheLeftEdge)
{
    RecordingSurface surface(2.4, 2.4);  // 600 dpi
    surface.setUnit(Unit::millimetres);
    // 35 x 7 mm at (12.3, 45.6): px = Int(290.5875), py = Int(1077.3), 826 px wide, ph = 165.
    EXPECT_EQ(barcode::drawJanBarcode(surface, QStringLiteral("4901234567894"), 12.3, 45.6, 47.3, 52.6),
              barcode::JanResult::ok);
    EXPECT_EQ(surface.ops(), expectedPixelFills(kEan13Of4901234567894, 290, 1077, 7, 166));
    EXPECT_EQ(surface.unit(), Unit::millimetres);

    surface.clearOps();
    EXPECT_EQ(barcode::drawJanBarcode(surface, QStringLiteral("12345670"), 12.3, 45.6, 47.3, 52.6),
              barcode::JanResult::ok);
    EXPECT_EQ(surface.ops(), expectedPixelFills(kEan8Of12345670, 290, 1077, 9, 166));
    EXPECT_EQ(surface.unit(), Unit::millimetres);
}

TEST(drawJanBarcode, ScreenAreaGivesOnePixelModules)
{
    RecordingSurface surface(15, 15);
    surface.setUnit(Unit::millimetres);
    // 34.5 mm = 130.41 px; 5.5 mm = 20.79 px; (10, 20) mm = (37.8, 75.6) px.
    barcode::drawJanBarcode(surface, QStringLiteral("4901234567894"), 10, 20, 44.5, 25.5);
    EXPECT_EQ(surface.ops(), expectedPixelFills(kEan13Of4901234567894, 37, 75, 1, 21));
    surface.clearOps();
    barcode::drawJanBarcode(surface, QStringLiteral("12345670"), 10, 20, 44.5, 25.5);
    EXPECT_EQ(surface.ops(), expectedPixelFills(kEan8Of12345670, 37, 75, 1, 21));
}

TEST(drawJanBarcode, WholePixelCountsSurviveRoundingNoise)
{
    // 66.1 - 6.1 is 59.99999999999999 in binary; 60 mm at 720 dpi is exactly 1701 px.
    RecordingSurface surface(2.0, 2.0);
    surface.setUnit(Unit::millimetres);
    const double topMm = 66.1 - 6.1;
    barcode::drawJanBarcode(surface, QStringLiteral("12345670"), topMm, topMm, topMm + 35, topMm + 7);
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
        EXPECT_EQ(barcode::drawJanBarcode(surface, QString::fromLatin1(row.code), 5, 8, 25, 13),
                  barcode::JanResult::ok);
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
    EXPECT_EQ(barcode::drawJanBarcode(surface, QStringLiteral("12345670"), 5, 8, 5.5, 13), barcode::JanResult::ok);
    EXPECT_TRUE(surface.ops().empty());
    EXPECT_EQ(surface.unit(), Unit::millimetres);
}

TEST(drawJanBarcode, CheckDigitIsComputedOrMustMatch)
{
    RecordingSurface withCheck(2.4, 2.4);
    RecordingSurface without(2.4, 2.4);
    withCheck.setUnit(Unit::millimetres);
    without.setUnit(Unit::millimetres);
    EXPECT_EQ(barcode::drawJanBarcode(withCheck, QStringLiteral("4901234567894"), 5, 5, 40, 12),
              barcode::JanResult::ok);
    EXPECT_EQ(barcode::drawJanBarcode(without, QStringLiteral("490123456789"), 5, 5, 40, 12), barcode::JanResult::ok);
    EXPECT_EQ(without.ops(), withCheck.ops());

    // The empty code is the EAN-8 symbol 00000000.
    RecordingSurface empty(2.4, 2.4);
    RecordingSurface zeros(2.4, 2.4);
    barcode::drawJanBarcode(empty, QString(), 5, 5, 40, 12);
    barcode::drawJanBarcode(zeros, QStringLiteral("00000000"), 5, 5, 40, 12);
    EXPECT_EQ(empty.ops().size(), 85u);
    EXPECT_EQ(empty.ops(), zeros.ops());
}

TEST(drawJanBarcode, CodesWithoutANumberDrawNothing)
{
    const struct {
        const char16_t* code;
        barcode::JanResult result;
    } rows[] = {
        {u"4901234567890", barcode::JanResult::wrongCheckDigit}, {u"12345678", barcode::JanResult::wrongCheckDigit},
        {u"49012345678a4", barcode::JanResult::notANumber},      {u"1234567X", barcode::JanResult::notANumber},
        {u"ＡＢＣＤＥＦＧＨ", barcode::JanResult::notANumber},
    };
    for (const auto& row : rows) {
        RecordingSurface surface(2.4, 2.4);
        surface.setUnit(Unit::millimetres);
        EXPECT_EQ(barcode::drawJanBarcode(surface, QString::fromUtf16(row.code), 5, 5, 40, 12), row.result);
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
        ASSERT_EQ(barcode::drawJanBarcode(symbol, code, 12.3, 45.6, row.x2, 52.6), barcode::JanResult::ok);
        ASSERT_EQ(barcode::drawJanQuietZones(zones, code, 12.3, 45.6, row.x2, 52.6), barcode::JanResult::ok);
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
    EXPECT_EQ(barcode::drawJanQuietZones(refused, QStringLiteral("4901234567890"), 5, 5, 40, 12),
              barcode::JanResult::wrongCheckDigit);
    EXPECT_EQ(barcode::drawJanQuietZones(refused, QStringLiteral("1234567X"), 5, 5, 40, 12),
              barcode::JanResult::notANumber);
    EXPECT_TRUE(refused.ops().empty());
}
