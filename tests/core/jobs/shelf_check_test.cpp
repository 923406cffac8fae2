// The shelf check without a database: the codes a scanner gives, a batch scanner's lines, and the
// verdicts of scans over a hand-made shelf (each product's tag now beside the one last confirmed).

#include "core/jobs/shelf_check.h"

#include <gtest/gtest.h>

#include <vector>

using catalogue::CheckPlace;
using catalogue::NeedKind;
using catalogue::TagNeed;

namespace {

struct CodeRow {
    const char* name;
    QString typed;
    QString code;  // empty: refused
};

TEST(ReadScannedCode, KeepsEightAndThirteenDigitsAndCompletesTwelve)
{
    const CodeRow rows[] = {
        {"13 digits as they are", QStringLiteral("4901234567894"), QStringLiteral("4901234567894")},
        {"8 digits as they are", QStringLiteral("49123456"), QStringLiteral("49123456")},
        {"12 digits get their check digit", QStringLiteral("490123456789"), QStringLiteral("4901234567894")},
        {"full-width digits and spaces", QStringLiteral(" ４９０１２３４５６７８９４ "),
         QStringLiteral("4901234567894")},
        {"a wrong check digit is a code all the same", QStringLiteral("4901234567890"),
         QStringLiteral("4901234567890")},
        {"10 digits", QStringLiteral("4901234567"), {}},
        {"a letter", QStringLiteral("49012345678a"), {}},
        {"nothing", QStringLiteral("  "), {}},
    };
    for (const CodeRow& row : rows) {
        const jobs::ScannedCode read = jobs::readScannedCode(row.typed);
        EXPECT_EQ(read.code, row.code) << row.name;
        EXPECT_EQ(read.refusal.isEmpty(), !row.code.isEmpty()) << row.name;
    }
}

struct ListRow {
    const char* name;
    QByteArray bytes;
    QStringList scans;  // "line:location:code"
    int badLine;
};

TEST(ReadScanList, ReadsCodesAndLocationsAndNamesTheFirstBadLine)
{
    const ListRow rows[] = {
        {"one code a line, blank lines skipped but counted",
         "4901234567894\n\n49123456\n",
         {"1::4901234567894", "3::49123456"},
         0},
        {"location and code, CR LF, a byte-order mark, quotes",
         "\xEF\xBB\xBF"
         "A-1,4901234567894\r\n\"B-2\",\"490123456789\"\r\n",
         {"1:A-1:4901234567894", "2:B-2:4901234567894"},
         0},
        {"Shift_JIS location", "\x82\x60-1,49123456\n", {"1:Ａ-1:49123456"}, 0},
        {"a line that is no code", "4901234567894\nabc\n49123456\n", {}, 2},
        {"three fields", "A-1,4901234567894,2\n", {}, 1},
        {"an empty location", ",4901234567894\n", {}, 1},
    };
    for (const ListRow& row : rows) {
        const jobs::ScanListResult read = jobs::readScanList(row.bytes);
        QStringList scans;
        for (const jobs::ScanLine& scan : read.scans) {
            scans << QStringLiteral("%1:%2:%3").arg(scan.line).arg(scan.location, scan.code);
        }
        EXPECT_EQ(scans, row.scans) << row.name;
        EXPECT_EQ(read.badLine, row.badLine) << row.name;
        EXPECT_EQ(read.refusal.isEmpty(), row.badLine == 0) << row.name;
    }
}

// A product of the hand-made shelf: code 4900000000<number>, at `shelf`, its tag now beside the
// one last confirmed.
TagNeed need(int number, const char* shelf, NeedKind kind, int tagCount = 1)
{
    TagNeed out;
    out.kind = kind;
    out.product.id = number;
    out.product.code = out.product.tag.jan = QStringLiteral("49000000000%1").arg(number, 2, 10, QLatin1Char('0'));
    out.product.tag.productName = QStringLiteral("商品%1").arg(number);
    out.product.tag.price = 200 + number;
    out.product.shelf = QString::fromUtf8(shelf);
    out.product.tagCount = tagCount;
    out.product.listOrder = number;
    out.product.active = kind != NeedKind::takeDown;
    if (kind != NeedKind::newTag) {
        out.shelfTag = out.product.tag;
    }
    return out;
}

QString code(int number)
{
    return QStringLiteral("49000000000%1").arg(number, 2, 10, QLatin1Char('0'));
}

// 1 right, 2 price changed, 3 never confirmed, 4 two facings, 5 on sale from today with the
// regular tag up, 6 back from a sale with the sale tag up, 7 loose goods without a JAN code;
// 8; B-1: 9; 10 discontinued with its tag still up. The catalogue also knows 11, discontinued
// long ago (its tag taken down).
std::vector<TagNeed> shelf()
{
    TagNeed changed = need(2, "A-1", NeedKind::changed);
    changed.shelfTag->price = 198;
    changed.changedFields = {sheet::Field::price};
    TagNeed saleStarts = need(5, "A-1", NeedKind::changed);
    saleStarts.sale = catalogue::SaleTag {7, QStringLiteral("週末"), {}, 205, 0, {}};
    saleStarts.product.tag.price = 180;
    saleStarts.changedFields = {sheet::Field::price};
    TagNeed saleEnds = need(6, "A-1", NeedKind::changed);
    saleEnds.shelfOfferId = 7;
    saleEnds.shelfTag->price = 180;
    saleEnds.changedFields = {sheet::Field::price};
    TagNeed loose = need(7, "A-1", NeedKind::upToDate);
    loose.product.code = QStringLiteral("P-7");
    loose.product.tag.jan.clear();
    return {need(1, "A-1", NeedKind::upToDate),
            changed,
            need(3, "A-1", NeedKind::newTag),
            need(4, "A-1", NeedKind::upToDate, 2),
            saleStarts,
            saleEnds,
            loose,
            need(8, "A-2", NeedKind::upToDate),
            need(9, "B-1", NeedKind::upToDate),
            need(10, "A-1", NeedKind::takeDown)};
}

jobs::ShelfCheck checkOf(const CheckPlace& place)
{
    return jobs::ShelfCheck(
        shelf(), place, {QDate(2027, 4, 20), 600},
        [](const QString& scanned, catalogue::Result* outcome) -> std::optional<catalogue::Product> {
            if (scanned == code(11)) {
                TagNeed gone = need(11, "A-1", NeedKind::takeDown);
                return gone.product;
            }
            *outcome = {catalogue::Status::notFound, QStringLiteral("ない")};
            return std::nullopt;
        });
}

// A scan is "location|code"; the location moves the check there first.
struct ScanRow {
    const char* name;
    CheckPlace place;
    QStringList scans;
    QStringList counted;  // each scan's verdict key, "+" counted or "=" read again
    QStringList entries;  // the record: "verdict location code tags detail" (empty: not compared)
    QString placeText;
    QStringList locations;  // those it covered
    int withoutCode;
};

TEST(ShelfCheck, GivesEachScanItsVerdictAndTheUnscannedTheirs)
{
    const QString unknownCode = QStringLiteral("4999999999990");
    const ScanRow rows[] = {
        {"every kind at A-1",
         CheckPlace::location(QStringLiteral("A-1")),
         {code(1), code(2), code(3), code(5), code(6), code(9), code(10), code(11), unknownCode},
         {"right+", "wrong+", "wrong+", "wrong+", "wrong+", "out-of-place+", "left-up+", "left-up+", "unknown+"},
         {QStringLiteral("wrong A-1 %1 1 価格 198円 → 202円").arg(code(2)),
          QStringLiteral("wrong A-1 %1 1 確認済みの印刷がない").arg(code(3)),
          QStringLiteral("wrong A-1 %1 1 特売開始：特売札がない、価格 205円 → 180円").arg(code(5)),
          QStringLiteral("wrong A-1 %1 1 特売終了：戻していない、価格 180円 → 206円").arg(code(6)),
          QStringLiteral("missing A-1 %1 0 ").arg(code(4)),
          QStringLiteral("out-of-place A-1 %1 1 商品マスタの棚 B-1").arg(code(9)),
          QStringLiteral("unknown A-1 %1 1 ").arg(unknownCode),
          QStringLiteral("left-up A-1 %1 1 取り扱い終了").arg(code(10)),
          QStringLiteral("left-up A-1 %1 1 取り扱い終了").arg(code(11)),
          QStringLiteral("right A-1 %1 1 ").arg(code(1))},
         QStringLiteral("A-1"),
         {QStringLiteral("A-1")},
         1},
        {"a tag read twice in a row counts once; two facings count twice, not three times; apart, twice",
         CheckPlace::location(QStringLiteral("Ａ-1")),
         {code(1), code(1), code(4), code(4), code(4), code(9), code(9), code(1)},
         {"right+", "right=", "right+", "right+", "right=", "out-of-place+", "out-of-place=", "right+"},
         {QStringLiteral("missing A-1 %1 0 価格 198円 → 202円").arg(code(2)),
          QStringLiteral("missing A-1 %1 0 確認済みの印刷がない").arg(code(3)),
          QStringLiteral("missing A-1 %1 0 特売開始：特売札がない、価格 205円 → 180円").arg(code(5)),
          QStringLiteral("missing A-1 %1 0 特売終了：戻していない、価格 180円 → 206円").arg(code(6)),
          QStringLiteral("out-of-place Ａ-1 %1 1 商品マスタの棚 B-1").arg(code(9)),
          QStringLiteral("right Ａ-1 %1 2 ").arg(code(1)), QStringLiteral("right Ａ-1 %1 2 ").arg(code(4))},
         QStringLiteral("Ａ-1"),
         {QStringLiteral("Ａ-1")},
         1},
        {"moved to B-1 part-way: a scan there is in place, and B-1's products are looked for too",
         CheckPlace::range(QStringLiteral("A-2"), QStringLiteral("A-1")),
         {code(8), QStringLiteral("B-1|") + code(9), QStringLiteral("B-1|") + code(8)},
         {"right+", "right+", "out-of-place+"},
         {},
         QStringLiteral("A-1〜A-2、B-1"),
         {QStringLiteral("A-1"), QStringLiteral("A-2"), QStringLiteral("B-1")},
         1},
        {"everywhere: no tag is out of place",
         CheckPlace::all(),
         {code(9), code(8)},
         {"right+", "right+"},
         {},
         QStringLiteral("全部"),
         {QStringLiteral("A-1"), QStringLiteral("A-2"), QStringLiteral("B-1")},
         1},
    };
    for (const ScanRow& row : rows) {
        jobs::ShelfCheck check = checkOf(row.place);
        QStringList counted;
        for (const QString& scan : row.scans) {
            if (scan.contains(u'|')) {
                check.moveTo(CheckPlace::location(scan.section(u'|', 0, 0)));
            }
            const jobs::ScanVerdict verdict = check.scan(scan.section(u'|', -1));
            ASSERT_TRUE(verdict.failure.ok()) << row.name;
            counted << catalogue::checkVerdictKey(verdict.verdict) + (verdict.counted ? u'+' : u'=');
        }
        EXPECT_EQ(counted, row.counted) << row.name;
        const catalogue::ShelfCheckRecord record = check.finish();
        EXPECT_EQ(record.scans, int(row.scans.size())) << row.name;
        if (!row.entries.isEmpty()) {
            QStringList entries;
            for (const catalogue::CheckEntry& entry : record.entries) {
                entries << QStringLiteral("%1 %2 %3 %4 %5")
                               .arg(catalogue::checkVerdictKey(entry.verdict), entry.location, entry.code)
                               .arg(entry.tags)
                               .arg(entry.detail);
            }
            EXPECT_EQ(entries, row.entries) << row.name;
        }
        EXPECT_EQ(record.place, row.placeText) << row.name;
        EXPECT_EQ(record.locations, row.locations) << row.name;
        EXPECT_EQ(check.productsWithoutCode(), row.withoutCode) << row.name;
    }
}

}  // namespace
