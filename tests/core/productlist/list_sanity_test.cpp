#include "core/productlist/list_sanity.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace productlist;

namespace {

const QString kList = QStringLiteral("JANコード,商品名,売価,税区分\r\n4901234567894,天然水 ２リットル,98,8%\r\n"
                                     "4500000000018,洗剤 詰め替え用,248,10%\r\n4901234567801,おにぎり 鮭,150,8%\r\n");
// A register's export: half-width kana names, no header.
const QString kRegisterList = QStringLiteral("4901234567894,ｺｶ･ｺｰﾗ 500ML,150\r\n4500000000018,ﾐﾈﾗﾙｳｫｰﾀｰ 2L,98\r\n");

QByteArray encoded(const char* encoding, const QString& text)
{
    QStringEncoder encoder(encoding);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    return encoder.encode(text);
}

// 2000 bytes stepping through the byte values from `first` by `step`, modulo `range`.
QByteArray bytesOf(int first, int step, int range)
{
    QByteArray bytes;
    for (int i = 0; i < 2000; ++i) {
        bytes.append(char(first + (i * step) % range));
    }
    return bytes;
}

TEST(JudgeText, TellsTextFromBinaryAndAWrongEncodingFromARightOne)
{
    const struct {
        const char* name;
        QByteArray bytes;
        Encoding used;
        TextVerdict verdict;
        std::optional<Encoding> firstProposal;
    } rows[] = {
        {"Shift_JIS as Shift_JIS", encoded("windows-31j", kList), Encoding::cp932, TextVerdict::readable, {}},
        {"UTF-8 as UTF-8", kList.toUtf8(), Encoding::utf8, TextVerdict::readable, {}},
        {"half-width kana, no header",
         encoded("windows-31j", kRegisterList),
         Encoding::cp932,
         TextVerdict::readable,
         {}},
        {"UTF-8 as Shift_JIS", kList.toUtf8(), Encoding::cp932, TextVerdict::wrongEncoding, Encoding::utf8},
        {"Shift_JIS as UTF-8", encoded("windows-31j", kList), Encoding::utf8, TextVerdict::wrongEncoding,
         Encoding::cp932},
        {"UTF-16LE without its mark", encoded("UTF-16LE", kList), Encoding::cp932, TextVerdict::wrongEncoding,
         Encoding::utf16le},
        {"EUC-JP, which no choice reads", encoded("EUC-JP", kList), Encoding::cp932, TextVerdict::wrongEncoding,
         Encoding::utf8},
        {"UTF-16LE with its mark and broken characters",
         QByteArray("\xFF\xFE") + encoded("UTF-16LE", QStringLiteral("JAN,name\n1,a"))
             + QByteArray("\x00\xDC\x00\xD8", 4) + encoded("UTF-16LE", QStringLiteral("b\n")),
         Encoding::utf16le,
         TextVerdict::readable,
         {}},
        {"binary with NUL bytes", bytesOf(0, 131, 256), Encoding::cp932, TextVerdict::notText, {}},
        {"control bytes", bytesOf(1, 7, 40), Encoding::utf8, TextVerdict::notText, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TextJudgement judged = judgeText(row.bytes, row.used);
        EXPECT_EQ(judged.verdict, row.verdict) << judged.reason.toStdString();
        EXPECT_EQ(judged.reason.isEmpty(), row.verdict == TextVerdict::readable);
        if (row.firstProposal) {
            ASSERT_FALSE(judged.proposals.empty());
            EXPECT_EQ(judged.proposals.front(), *row.firstProposal);
            EXPECT_TRUE(judged.reason.contains(encodingName(row.used))) << judged.reason.toStdString();
        }
    }
}

}  // namespace
