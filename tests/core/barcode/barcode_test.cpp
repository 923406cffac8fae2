#include "core/barcode/barcode.h"

#include "support/jan_symbols.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>

using test_support::kEan13Of4901234567894;
using test_support::kEan8Of12345670;

TEST(normalizeJan, DataDigitsCheckDigitAndResultByLength)
{
    const struct {
        const char* code;
        const char* data;
        int checkDigit;
        barcode::JanStatus result;
    } rows[] = {
        {"", "0000000", 0, barcode::JanStatus::ok},
        {"123", "0000123", 6, barcode::JanStatus::ok},
        {"1234567", "1234567", 0, barcode::JanStatus::ok},
        {"12345678", "1234567", 0, barcode::JanStatus::wrongCheckDigit},
        {"12345670", "1234567", 0, barcode::JanStatus::ok},
        {"96385074", "9638507", 4, barcode::JanStatus::ok},
        {"490123456789", "490123456789", 4, barcode::JanStatus::ok},
        {"4901234567894", "490123456789", 4, barcode::JanStatus::ok},
        {"4901234567890", "490123456789", 4, barcode::JanStatus::wrongCheckDigit},
        {"12345678901", "012345678901", 2, barcode::JanStatus::ok},
        {"123456789", "000123456789", 5, barcode::JanStatus::ok},
        {"4512345678906", "451234567890", 6, barcode::JanStatus::ok},
        {"49012345678941234", "490123456789", 4, barcode::JanStatus::ok},  // beyond 13: the rest is ignored
        {"49012345678900000", "490123456789", 4, barcode::JanStatus::ok},
        {"4901234567894ABCD", "490123456789", 4, barcode::JanStatus::ok},
    };
    for (const auto& row : rows) {
        QString code = QString::fromLatin1(row.code);
        qint16 checkDigit = -1;
        const barcode::JanStatus result = barcode::normalizeJan(code, checkDigit);
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
        const barcode::JanStatus result = barcode::normalizeJan(code, checkDigit);
        EXPECT_EQ(result, barcode::JanStatus::notANumber) << original.toStdString();
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
