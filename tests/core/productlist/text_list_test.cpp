#include "core/productlist/text_list.h"
#include "support/file_bytes.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace productlist;

namespace {

const QString kSample = QStringLiteral("JAN,商品名,売価\n4901234567894,おいしい水,98\n");

QByteArray encoded(const QString& text, QStringConverter::Encoding encoding, bool bom)
{
    QStringEncoder encoder(encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

using test_support::cp932;

struct DecodeRow {
    const char* name;
    QByteArray bytes;
    std::optional<Encoding> forced;
    Encoding expected;
    bool bom;
    QString text;
};

TEST(DecodeText, DetectsOrTakesTheEncoding)
{
    const std::vector<DecodeRow> rows {
        {"utf-8", encoded(kSample, QStringConverter::Utf8, false), {}, Encoding::utf8, false, kSample},
        {"utf-8 with mark", encoded(kSample, QStringConverter::Utf8, true), {}, Encoding::utf8, true, kSample},
        {"utf-16le with mark", encoded(kSample, QStringConverter::Utf16LE, true), {}, Encoding::utf16le, true, kSample},
        {"utf-16be with mark", encoded(kSample, QStringConverter::Utf16BE, true), {}, Encoding::utf16be, true, kSample},
        {"cp932", cp932(kSample), {}, Encoding::cp932, false, kSample},
        {"cp932 half-width kana",
         cp932(QStringLiteral("ｺｰﾗ,100")),
         {},
         Encoding::cp932,
         false,
         QStringLiteral("ｺｰﾗ,100")},
        {"ascii is utf-8", QByteArray("a,b\n1,2\n"), {}, Encoding::utf8, false, QStringLiteral("a,b\n1,2\n")},
        {"cp932 forced on ascii", QByteArray("a,1"), Encoding::cp932, Encoding::cp932, false, QStringLiteral("a,1")},
        {"utf-8 forced keeps its mark out", encoded(kSample, QStringConverter::Utf8, true), Encoding::utf8,
         Encoding::utf8, true, kSample},
        {"utf-16le forced without mark", encoded(kSample, QStringConverter::Utf16LE, false), Encoding::utf16le,
         Encoding::utf16le, false, kSample},
        {"empty", QByteArray(), {}, Encoding::utf8, false, QString()},
    };
    for (const DecodeRow& row : rows) {
        SCOPED_TRACE(row.name);
        const DecodedText decoded = decodeText(row.bytes, row.forced);
        EXPECT_EQ(decoded.encoding, row.expected);
        EXPECT_EQ(decoded.bom, row.bom);
        EXPECT_EQ(decoded.text, row.text);
        EXPECT_FALSE(decoded.invalidBytes);
    }
}

TEST(DecodeText, HalfASurrogatePairBecomesTheReplacementCharacter)
{
    // 牛 (U+725B), a low surrogate without its high one, 乳 (U+4E73), in UTF-16LE with its mark.
    const DecodedText decoded = decodeText(QByteArray("\xFF\xFE\x5B\x72\x00\xDC\x73\x4E", 8), std::nullopt);
    EXPECT_EQ(decoded.encoding, Encoding::utf16le);
    EXPECT_EQ(decoded.text, QStringLiteral("牛\uFFFD乳"));
    EXPECT_TRUE(decoded.invalidBytes);
}

TEST(DecodeText, WrongForcedEncodingIsFlagged)
{
    const DecodedText decoded = decodeText(cp932(kSample), Encoding::utf8);
    EXPECT_EQ(decoded.encoding, Encoding::utf8);
    EXPECT_TRUE(decoded.invalidBytes);
}

TEST(EncodingNames, RoundTripAndAliases)
{
    for (Encoding encoding : allEncodings()) {
        EXPECT_EQ(parseEncodingName(encodingName(encoding)), encoding) << encodingName(encoding).toStdString();
    }
    const std::vector<std::pair<const char*, std::optional<Encoding>>> rows {
        {"utf-8", Encoding::utf8},  {"UTF8", Encoding::utf8},       {"utf-16", Encoding::utf16le},
        {"sjis", Encoding::cp932},  {"Shift_JIS", Encoding::cp932}, {"windows-31j", Encoding::cp932},
        {"cp932", Encoding::cp932}, {"euc-jp", std::nullopt},       {"", std::nullopt},
    };
    for (const auto& [name, expected] : rows) {
        EXPECT_EQ(parseEncodingName(QString::fromLatin1(name)), expected) << name;
    }
}

struct DelimiterRow {
    const char* name;
    QString text;
    QChar expected;
};

TEST(DetectDelimiter, PicksTheConsistentSplitter)
{
    const std::vector<DelimiterRow> rows {
        {"comma", QStringLiteral("a,b,c\n1,2,3\n4,5,6\n"), u','},
        {"tab", QStringLiteral("a\tb\tc\n1\t2\t3\n"), u'\t'},
        {"semicolon", QStringLiteral("a;b;c\n1;2;3\n"), u';'},
        {"tab with commas in names", QStringLiteral("名前\t価格\nA, B\t100\nC, D\t200\n"), u'\t'},
        {"semicolon with quoted commas", QStringLiteral("a;b\n\"1,5\";2\n\"3,5\";4\n"), u';'},
        {"comma with quoted semicolons", QStringLiteral("a,b\n\"x;y\",2\n\"z;w\",4\n"), u','},
        {"one column", QStringLiteral("a\nb\nc\n"), u','},
        {"empty", QString(), u','},
    };
    for (const DelimiterRow& row : rows) {
        EXPECT_EQ(detectDelimiter(row.text), row.expected) << row.name;
    }
}

struct SplitRow {
    const char* name;
    QString text;
    QChar delimiter;
    std::vector<ListRow> expected;
};

TEST(SplitDelimited, FieldsQuotesAndLineEnds)
{
    const QStringList ab {QStringLiteral("a"), QStringLiteral("b")};
    const std::vector<SplitRow> rows {
        {"lf", QStringLiteral("a,b\n1,2\n"), u',', {{1, ab}, {2, {"1", "2"}}}},
        {"crlf", QStringLiteral("a,b\r\n1,2\r\n"), u',', {{1, ab}, {2, {"1", "2"}}}},
        {"cr", QStringLiteral("a,b\r1,2"), u',', {{1, ab}, {2, {"1", "2"}}}},
        {"no final line end", QStringLiteral("a,b"), u',', {{1, ab}}},
        {"quoted comma", QStringLiteral("\"a,1\",b"), u',', {{1, {"a,1", "b"}}}},
        {"doubled quote", QStringLiteral("\"say \"\"hi\"\"\",b"), u',', {{1, {"say \"hi\"", "b"}}}},
        {"line break inside quotes",
         QStringLiteral("\"two\nlines\",b\nc,d\n"),
         u',',
         {{1, {"two\nlines", "b"}}, {2, {"c", "d"}}}},
        {"crlf inside quotes", QStringLiteral("\"x\r\ny\",b\r\n"), u',', {{1, {"x\r\ny", "b"}}}},
        {"empty fields, the trailing ones dropped", QStringLiteral(",b,,\n"), u',', {{1, {"", "b"}}}},
        {"blank records dropped, numbers kept", QStringLiteral("a,b\n\n,,\n1,2\n"), u',', {{1, ab}, {4, {"1", "2"}}}},
        {"quote inside a field is literal", QStringLiteral("5\"5,b"), u',', {{1, {"5\"5", "b"}}}},
        {"text after closing quote kept", QStringLiteral("\"a\"x,b"), u',', {{1, {"ax", "b"}}}},
        {"unterminated quote runs to the end", QStringLiteral("\"a,b\nc"), u',', {{1, {"a,b\nc"}}}},
        {"tab", QStringLiteral("a\tb\n"), u'\t', {{1, ab}}},
        {"comma is data under tab", QStringLiteral("a,1\tb\n"), u'\t', {{1, {"a,1", "b"}}}},
    };
    for (const SplitRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ListTable table = splitDelimited(row.text, row.delimiter);
        EXPECT_EQ(table.rows, row.expected);
        EXPECT_FALSE(table.truncated);
    }
}

TEST(SplitDelimited, CutsOverlongLists)
{
    QString text;
    for (int i = 0; i < kMaxRows + 3; ++i) {
        text += QStringLiteral("x\n");
    }
    const ListTable table = splitDelimited(text, u',');
    EXPECT_EQ(int(table.rows.size()), kMaxRows);
    EXPECT_TRUE(table.truncated);
}

}  // namespace
