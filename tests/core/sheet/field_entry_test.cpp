#include "core/sheet/field_entry.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace sheet;

TEST(FieldEntry, CheckDigitCompletion)
{
    const struct {
        const char* typed;
        const char* completed;
    } rows[] = {
        {"4901234567890", "4901234567894"},  // EAN-13, wrong last digit replaced
        {"4901234567894", "4901234567894"},  // already right
        {"4512345678906", "4512345678906"},
        {"490123456789", "490123456789"},  // 12 characters: unchanged
        {"49012345", "49012347"},          // EAN-8
        {"96385074", "96385074"},
        {"12345", "12345"},
        {"", ""},
        {"00000000000000", "00000000000000"},  // 14 characters
        {"49O1234567890", "49O1234567894"},    // a letter counts as 0, like the digit it stands for
        {"A901234567890", "A901234567898"},    // ... and unlike the 4 it replaces
        {"ABCDEFGHIJKLX", "ABCDEFGHIJKL0"},
        {"ABCDEFGX", "ABCDEFG0"},
        {"４９０１２３４５６７８９０", "４９０１２３４５６７８９0"},  // full-width digits count as 0
    };
    for (const auto& row : rows) {
        EXPECT_EQ(completeCheckDigit(QString::fromUtf8(row.typed)), QString::fromUtf8(row.completed)) << row.typed;
    }
}

TEST(FieldEntry, PriceTextRangeAndNonNumbers)
{
    const struct {
        const char* text;
        const char* kept;
        qint32 price;
    } rows[] = {
        {"0", "0", 0},
        {"980", "980", 980},
        {"100000", "100000", 100000},
        {"100001", "0", 0},
        {"99999999999999999999", "0", 0},  // far beyond 32 bits
        {"000123", "000123", 123},
        {"0000000000100000", "0000000000100000", 100000},
        {"", "", 0},        // emptied with Delete
        {"12a", "12a", 0},  // pasted: not a number
        {"-5", "-5", 0},
        {" 5", " 5", 0},
    };
    for (const auto& row : rows) {
        const PriceEntry entry = readPriceText(QString::fromUtf8(row.text));
        EXPECT_EQ(entry.text, QString::fromUtf8(row.kept)) << row.text;
        EXPECT_EQ(entry.price, row.price) << row.text;
    }
}

TEST(FieldEntry, EnterWalkAndLimitsPerFormat)
{
    auto names = [](const SheetFormat& f) {
        QStringList out;
        for (const EntryBox& b : entryBoxes(f)) {
            out << QString::fromLatin1(b.name) + QLatin1Char(':') + QString::number(b.maxLength) + QLatin1Char(':')
                    + (b.offersCandidates ? QStringLiteral("前候補") : QString());
        }
        return out.join(u' ');
    };
    EXPECT_EQ(names(SheetFormat::large),
              QStringLiteral("Text1:0: Text2:6:前候補 Text3:13:前候補 Text4:8:前候補 Text6:8:前候補 Text5:0:"));
    EXPECT_EQ(names(SheetFormat::small),
              QStringLiteral(
                  "Text1:13: Text2:6:前候補 Text3:7:前候補 Text4:6:前候補 Text5:8:前候補 Text6:8:前候補 Text7:0:"));
    EXPECT_EQ(entryBoxFor(SheetFormat::large, Field::productName2), nullptr);
    EXPECT_EQ(entryBoxFor(SheetFormat::small, Field::spec)->name, std::string("Text5"));
    EXPECT_EQ(entryBoxFor(SheetFormat::large, Field::price)->name, std::string("Text5"));
}

TEST(FieldEntry, FieldTextShowsThePriceAsDigits)
{
    TagRecord r;
    r.lot = QStringLiteral("ロット");
    r.price = -25;
    EXPECT_EQ(fieldText(r, Field::lot), QStringLiteral("ロット"));
    EXPECT_EQ(fieldText(r, Field::price), QStringLiteral("-25"));
    EXPECT_EQ(textMember(r, Field::price), nullptr);
    *textMember(r, Field::productName2) = QStringLiteral("x");
    EXPECT_EQ(r.productName2, QStringLiteral("x"));
}

TEST(FieldEntry, FileCharacters)
{
    EXPECT_TRUE(isFileCharacter(U'a'));
    EXPECT_TRUE(isFileCharacter(U','));  // commas need no escape in the file
    EXPECT_TRUE(isFileCharacter(U'あ'));
    EXPECT_TRUE(isFileCharacter(U'髙'));  // a code page 932 extension
    EXPECT_TRUE(isFileCharacter(U'①'));
    EXPECT_TRUE(isFileCharacter(U'～'));  // U+FF5E, the code page's own wave dash
    EXPECT_TRUE(isFileCharacter(kFullWidthQuote));
    EXPECT_FALSE(isFileCharacter(U'"'));
    EXPECT_FALSE(isFileCharacter(U'\n'));
    EXPECT_FALSE(isFileCharacter(U'\t'));
    EXPECT_FALSE(isFileCharacter(U'é'));
    EXPECT_FALSE(isFileCharacter(U'〜'));  // U+301C: only a best-fit mapping
    EXPECT_FALSE(isFileCharacter(U'😀'));
}

TEST(FieldEntry, TypedAndPastedTextIsFiltered)
{
    const struct {
        const char* before;
        const char* after;
        int maxLength;
        const char* result;  // nullptr: refused
        int cursor;
    } rows[] = {
        {"abc", "abcd", 6, "abcd", 4},
        {"abcdef", "abcdefg", 6, nullptr, 0},  // a seventh character
        {"abcdef", "abXcdef", 6, nullptr, 0},
        {"abcdef", "abXdef", 6, "abXdef", 3},  // typing over a selection
        {"ab", "abcdefgh", 6, "abcdef", 6},    // a paste cut to the limit
        {"", "1234567890123", 13, "1234567890123", 13},
        {"1234567890123", "12345678901234", 13, nullptr, 0},
        {"", "4901234567890123456", 0, "4901234567890123456", 19},  // no limit
        {"a", "a\"", 0, "a＂", 2},                                  // ASCII quote -> full width
        {"a", "a\"b\"", 0, "a＂b＂", 4},
        {"a", "aé", 0, nullptr, 0},  // not in code page 932
        {"a", "a😀", 0, nullptr, 0},
        {"a", "xé😀y\na", 0, "xya", 2},  // pasted: only what the file holds
        {"abc", "ac", 6, "ac", 1},      // deleting is always kept
        {"longer than six", "longer than si", 6, "longer than si", 14},
        {"longer than six", "longer than sixx", 6, nullptr, 0},
        {"品名", "品名〜", 0, nullptr, 0},
        {"品名", "品名～", 0, "品名～", 3},
    };
    for (const auto& row : rows) {
        const auto edit = filterBoxEdit(QString::fromUtf8(row.before), QString::fromUtf8(row.after), row.maxLength);
        if (row.result == nullptr) {
            EXPECT_FALSE(edit.has_value()) << row.after;
            continue;
        }
        ASSERT_TRUE(edit.has_value()) << row.after;
        EXPECT_EQ(edit->text, QString::fromUtf8(row.result)) << row.after;
        EXPECT_EQ(edit->cursor, row.cursor) << row.after;
    }
}

TEST(FieldEntry, CodeBoxesTakeFullWidthDigitsHalfWidth)
{
    const struct {
        const char* before;
        const char* after;
        bool codeBox;
        const char* result;
    } rows[] = {
        {"", "４９０１２３４５６７８９４", true, "4901234567894"},
        {"49", "49０", true, "490"},
        {"", "１２a３", true, "12a3"},    // only the digits change
        {"４", "４５", true, "４5"},      // what was there already stays
        {"", "１２３", false, "１２３"},  // other boxes keep what was typed
        {"", "０１２３４５６７８９", true, "0123456789"},
    };
    for (const auto& row : rows) {
        const auto edit
            = sheet::filterBoxEdit(QString::fromUtf8(row.before), QString::fromUtf8(row.after), 0, row.codeBox);
        ASSERT_TRUE(edit.has_value()) << row.after;
        EXPECT_EQ(edit->text, QString::fromUtf8(row.result)) << row.after;
    }
    EXPECT_EQ(sheet::halfWidthDigits(QStringLiteral("¥１，０８０")), QStringLiteral("¥1，080"));
}
