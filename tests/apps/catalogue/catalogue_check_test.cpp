// A shelf check through tanafuda-catalogue on SQLite and on PostgreSQL: shelf A-1 of 20 products
// printed and confirmed, then a price change, an offer started, an offer ended, a product moved to
// B-1 and one discontinued; a batch scanner's file read along A-1 with a code the catalogue does not
// hold, two tags not there, a product of two facings and a tag read twice. The verdicts, the kept
// check, status's last check of each location, and the print of exactly the tags to fix.

#include "support/command_week.h"

#include <QRegularExpression>

#include <string_view>

using namespace test_support;

namespace {

enum class Happened { nothing, priceChanged, offerStarted, offerEnded, moved, discontinued };

// A product of shelf A-1 (or a code the catalogue does not hold) and what its scan must give.
struct ShelfRow {
    const char* name;
    int product;  // its number in the list (kUnknown: a code the catalogue does not hold)
    Happened happened;
    int facings;
    int scans;  // read in a row (0: not scanned)
    bool withoutCheckDigit;
    const char* verdict;
    int tags;  // counted
    const char* detail;
    bool laid;  // print --from-check lays its tag
};

// The unknown code is the code of a product number no list has.
constexpr int kUnknown = 999;

const std::vector<ShelfRow>& shelfRows()
{
    static const std::vector<ShelfRow> rows = [] {
        std::vector<ShelfRow> out {
            {"a price change", 2, Happened::priceChanged, 1, 1, false, "wrong", 1, "価格 102円 → 122円", true},
            {"an offer started", 3, Happened::offerStarted, 1, 1, false, "wrong", 1,
             "特売開始：特売札がない、価格 103円 → 83円", true},
            {"an offer ended", 4, Happened::offerEnded, 1, 1, false, "wrong", 1,
             "特売終了：戻していない、価格 84円 → 104円", true},
            {"moved to B-1", 5, Happened::moved, 1, 1, false, "out-of-place", 1, "商品マスタの棚 B-1", false},
            {"discontinued", 6, Happened::discontinued, 1, 1, false, "left-up", 1, "取り扱い終了", false},
            {"a tag not there", 7, Happened::nothing, 1, 0, false, "missing", 0, "", true},
            {"another tag not there", 8, Happened::nothing, 1, 0, false, "missing", 0, "", true},
            {"two facings, two tags", 9, Happened::nothing, 2, 2, false, "right", 2, "", false},
            {"a tag read twice in a row", 10, Happened::nothing, 1, 2, false, "right", 1, "", false},
            {"read without its check digit", 11, Happened::nothing, 1, 1, true, "right", 1, "", false},
            {"a code the catalogue does not hold", kUnknown, Happened::nothing, 1, 1, false, "unknown", 1, "", false},
        };
        for (int n : {1, 12, 13, 14, 15, 16, 17, 18, 19, 20}) {
            out.push_back({"right", n, Happened::nothing, 1, 1, false, "right", 1, "", false});
        }
        return out;
    }();
    return rows;
}

const QString kWeekOne = u"2027-04-05"_s;
const QString kNewList = u"2027-04-12"_s;
const QString kCheckedAt = u"2027-04-20T10:00"_s;

// Products 1-20 on A-1 and 21-23 on B-1, as the first list has them; the later list as `later`.
std::vector<Item> shelfList(bool later)
{
    std::vector<Item> items;
    for (int n = 1; n <= 23; ++n) {
        const auto row = std::find_if(shelfRows().begin(), shelfRows().end(),
                                      [n](const ShelfRow& row) { return row.product == n; });
        const Happened happened = later && row != shelfRows().end() ? row->happened : Happened::nothing;
        Item it = item(n);
        it.count = row != shelfRows().end() ? row->facings : 1;
        it.price += happened == Happened::priceChanged ? 20 : 0;
        it.shelf = n > 20 || happened == Happened::moved ? u"B-1"_s : u"A-1"_s;
        if (happened != Happened::discontinued) {
            items.push_back(it);
        }
    }
    return items;
}

// The items of the rows whose product had `happened`, 20 yen off.
std::vector<Item> onSale(Happened happened)
{
    std::vector<Item> items;
    for (const ShelfRow& row : shelfRows()) {
        if (row.happened == happened) {
            items.push_back(item(row.product));
            items.back().price -= 20;
        }
    }
    return items;
}

class CatalogueCheck : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (!shop.skipReason().empty()) {
            GTEST_SKIP() << shop.skipReason();
        }
        ASSERT_NO_FATAL_FAILURE(shelfAsItStands());
    }

    // The first list printed and confirmed; an offer's sale tags printed and confirmed, the tags
    // it ended with never put back; a later list changing a price, moving a product and dropping
    // one; an offer starting on the check's eve.
    void shelfAsItStands()
    {
        ASSERT_EQ(shop.importList(u"first.csv"_s, shelfList(false), {u"--date"_s, kWeekOne}).exit, 0);
        ASSERT_NO_FATAL_FAILURE(shop.confirm(shop.print(kWeekOne, kWeekOne)));
        ASSERT_EQ(shop.importOffer(u"4月第2週"_s, onSale(Happened::offerEnded), u"2027-04-08"_s, u"2027-04-14"_s).exit,
                  0);
        ASSERT_NO_FATAL_FAILURE(shop.confirm(shop.print(u"2027-04-08"_s, u"2027-04-08"_s)));
        ASSERT_EQ(shop.importList(u"later.csv"_s, shelfList(true), {u"--date"_s, kNewList}).exit, 0);
        const Result started
            = shop.importOffer(u"4月第4週"_s, onSale(Happened::offerStarted), u"2027-04-19"_s, u"2027-04-25"_s);
        ASSERT_EQ(started.exit, 0) << started.err.toStdString();
    }

    // Runs check with `arguments` over `scans` (a file, or standard input).
    Result check(QStringList arguments, const QString& scans, bool viaStdin = false)
    {
        arguments.prepend(u"check"_s);
        arguments << u"--as-of"_s << kCheckedAt;
        if (viaStdin) {
            return shop.run(arguments, {}, QStringLiteral(TANAFUDA_CATALOGUE_PROGRAM), scans.toUtf8());
        }
        EXPECT_TRUE(writeBytes(shop.path(u"scans.txt"_s), scans.toUtf8()));
        return shop.run(arguments << shop.path(u"scans.txt"_s));
    }

    int keptChecks() { return int(shop.jsonList({u"checks"_s}, u"checks"_s).size()); }

    Shop shop {GetParam()};
};

// Each entry of a check as "verdict code tags detail", sorted.
QStringList entriesOf(const QJsonObject& check)
{
    QStringList out = rowsOf(check[u"entries"_s].toArray(), {u"verdict"_s, u"code"_s, u"tags"_s, u"detail"_s});
    out.sort();
    return out;
}

// Each location's last check as "location:check/to fix", 0/0 where none was made.
QStringList lastChecks(const Shop& shop, const QString& asOf)
{
    QStringList out;
    for (const QJsonValue row : shop.jsonList({u"status"_s, u"--as-of"_s, asOf}, u"shelf_checks"_s)) {
        out << u"%1:%2/%3"_s.arg(row[u"location"_s].toString())
                   .arg(row[u"check"_s].toInt())
                   .arg(row[u"to_fix"_s].toInt());
    }
    return out;
}

TEST_P(CatalogueCheck, TheShelfGivesExactlyTheExpectedVerdictsAndPrintsWhatToFix)
{
    // The scanner's file: half the lines with the location, as a batch scanner exports them.
    QString scans;
    QStringList expected;
    QStringList laid;
    int line = 0;
    for (const ShelfRow& row : shelfRows()) {
        const QString code = ean13(row.product);
        for (int scan = 0; scan < row.scans; ++scan) {
            scans += (++line % 2 ? u"A-1,"_s : QString()) + (row.withoutCheckDigit ? code.left(12) : code) + u'\n';
        }
        expected << u"%1 %2 %3 %4"_s.arg(QString::fromUtf8(row.verdict), code)
                        .arg(row.tags)
                        .arg(QString::fromUtf8(row.detail));
        if (row.laid) {
            laid << code;
        }
    }
    expected.sort();

    const Result checked = check({u"--location"_s, u"A-1"_s, u"--json"_s}, scans);
    ASSERT_EQ(checked.exit, 4) << checked.err.toStdString();
    EXPECT_EQ(entriesOf(checked.json()), expected);
    const int checkId = checked.json().value(u"check"_s).toInt();
    EXPECT_EQ(checked.json().value(u"locations"_s).toArray(), QJsonArray {u"A-1"_s});

    // Kept as it was said.
    EXPECT_EQ(entriesOf(shop.run({u"checks"_s, QString::number(checkId), u"--json"_s}).json()), expected);
    // status says when each location was last checked, and what it found there to fix.
    const int toFix = int(std::count_if(shelfRows().begin(), shelfRows().end(),
                                        [](const ShelfRow& row) { return std::string_view(row.verdict) != "right"; }));
    EXPECT_EQ(lastChecks(shop, u"2027-04-20T12:00"_s),
              (QStringList {u"A-1:%1/%2"_s.arg(checkId).arg(toFix), u"B-1:0/0"_s}));
    EXPECT_EQ(lastChecks(shop, u"2027-04-19"_s), (QStringList {u"A-1:0/0"_s, u"B-1:0/0"_s}));

    // Exactly the wrong and missing tags, in shelf order, each once.
    const Result printed = shop.print(u"fix"_s, kCheckedAt, {u"--from-check"_s, QString::number(checkId)});
    ASSERT_EQ(printed.exit, 0) << printed.err.toStdString();
    EXPECT_EQ(tagCodes(printed), laid);
}

struct ExitRow {
    const char* name;
    QStringList arguments;
    QString scans;  // "N" stands for the code of product N
    bool viaStdin;
    int exit;
    const char* said;  // on standard error
};

TEST_P(CatalogueCheck, ExitsZeroWhenAllIsRightFourWhenSomethingIsToFixTwoOnUnreadableInput)
{
    const QStringList atB1 {u"--location"_s, u"B-1"_s};
    const ExitRow rows[] = {
        {"every tag of B-1 right", atB1, u"21\n22\n23\n5\n"_s, false, 0, ""},
        {"the locations in the lines, from standard input", {}, u"B-1,21\n\nB-1,22\nB-1,23\nB-1,5\n"_s, true, 0, ""},
        {"three tags of B-1 not there", atB1, u"21\n"_s, false, 4, ""},
        {"a line that is no code", atB1, u"21\nabc\n22\n"_s, false, 2, "2 行目"},
        {"a line of three fields", atB1, u"B-1,21,1\n"_s, false, 2, "1 行目"},
        {"no location at all", {}, u"B-1,21\n22\n"_s, false, 2, "2 行目"},
    };
    for (const ExitRow& row : rows) {
        QString scans = row.scans;
        for (int n : {21, 22, 23, 5}) {
            scans.replace(QRegularExpression(u"(^|[,\n])%1(?=\n)"_s.arg(n)), u"\\1"_s + ean13(n));
        }
        SCOPED_TRACE(row.name);
        const int before = keptChecks();
        const Result ran = check(row.arguments, scans, row.viaStdin);
        EXPECT_EQ(ran.exit, row.exit) << ran.err.toStdString();
        EXPECT_TRUE(ran.err.contains(QString::fromUtf8(row.said))) << ran.err.toStdString();
        EXPECT_EQ(keptChecks(), before + (row.exit == 2 ? 0 : 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueCheck, testing::ValuesIn(backends()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
