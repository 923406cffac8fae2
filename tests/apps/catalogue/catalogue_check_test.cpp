// A shelf check through tanafuda-catalogue on SQLite and on PostgreSQL: shelf A-1 of 20 products
// printed and confirmed, then a price change, an offer started, an offer ended, a product moved to
// B-1 and one discontinued; a batch scanner's file read along A-1 with a code the catalogue does not
// hold, two tags not there, a product of two facings and a tag read twice. The verdicts, the kept
// check, status's last check of each location, and the print of exactly the tags to fix.

#include "support/catalogue_weeks.h"

#include <QRegularExpression>

#include <string_view>

using catalogue_weeks::backends;
using catalogue_weeks::ean13;
using catalogue_weeks::Item;
using catalogue_weeks::Shop;

namespace {

enum class Happened { nothing, priceChanged, offerStarted, offerEnded, moved, discontinued };

// A product of shelf A-1 (or a code the catalogue does not hold) and what its scan must give.
struct ShelfRow {
    const char* name;
    int product;  // its number in the list (0: the unknown code)
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

const QString kWeekOne = QStringLiteral("2027-04-05");
const QString kNewList = QStringLiteral("2027-04-12");
const QString kCheckedAt = QStringLiteral("2027-04-20T10:00");

// Products 1-20 on A-1 and 21-23 on B-1, as the first list has them; the later list as `later`.
std::vector<Item> shelfList(bool later)
{
    std::vector<Item> items;
    for (int n = 1; n <= 23; ++n) {
        Item it = catalogue_weeks::item(n);
        it.shelf = n <= 20 ? QStringLiteral("A-1") : QStringLiteral("B-1");
        for (const ShelfRow& row : shelfRows()) {
            if (row.product != n) {
                continue;
            }
            it.count = row.facings;
            if (later && row.happened == Happened::priceChanged) {
                it.price += 20;
            }
            if (later && row.happened == Happened::moved) {
                it.shelf = QStringLiteral("B-1");
            }
            if (later && row.happened == Happened::discontinued) {
                it.count = 0;
            }
        }
        if (it.count > 0) {
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
            items.push_back(catalogue_weeks::item(row.product));
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

    void printAndConfirm(const QString& asOf)
    {
        const catalogue_weeks::Result printed
            = shop.run({QStringLiteral("print"), QStringLiteral("-o"), shop.path(asOf), QStringLiteral("--as-of"), asOf,
                        QStringLiteral("--json")});
        ASSERT_EQ(printed.exit, 0) << printed.err.toStdString();
        ASSERT_EQ(shop.run({QStringLiteral("confirm"),
                            QString::number(printed.json().value(QStringLiteral("print")).toInt())})
                      .exit,
                  0);
    }

    void takeOfferIn(const QString& name, Happened happened, const QString& from, const QString& to)
    {
        const QString flyer = shop.path(name + QStringLiteral(".csv"));
        ASSERT_TRUE(catalogue_weeks::writeFlyer(flyer, onSale(happened)));
        const catalogue_weeks::Result taken
            = shop.run({QStringLiteral("offer"), QStringLiteral("import"), flyer, QStringLiteral("--name"), name,
                        QStringLiteral("--from"), from, QStringLiteral("--to"), to});
        ASSERT_EQ(taken.exit, 0) << taken.err.toStdString();
    }

    // The first list printed and confirmed; an offer's sale tags printed and confirmed, the tags
    // it ended with never put back; a later list changing a price, moving a product and dropping
    // one; an offer starting on the check's eve.
    void shelfAsItStands()
    {
        const QString first = shop.path(QStringLiteral("first.csv"));
        ASSERT_TRUE(catalogue_weeks::writeList(first, shelfList(false)));
        ASSERT_EQ(shop.run({QStringLiteral("import"), first, QStringLiteral("--date"), kWeekOne}).exit, 0);
        ASSERT_NO_FATAL_FAILURE(printAndConfirm(kWeekOne));
        ASSERT_NO_FATAL_FAILURE(takeOfferIn(QStringLiteral("4月第2週"), Happened::offerEnded,
                                            QStringLiteral("2027-04-08"), QStringLiteral("2027-04-14")));
        ASSERT_NO_FATAL_FAILURE(printAndConfirm(QStringLiteral("2027-04-08")));
        const QString later = shop.path(QStringLiteral("later.csv"));
        ASSERT_TRUE(catalogue_weeks::writeList(later, shelfList(true)));
        ASSERT_EQ(shop.run({QStringLiteral("import"), later, QStringLiteral("--date"), kNewList}).exit, 0);
        ASSERT_NO_FATAL_FAILURE(takeOfferIn(QStringLiteral("4月第4週"), Happened::offerStarted,
                                            QStringLiteral("2027-04-19"), QStringLiteral("2027-04-25")));
    }

    // Runs check with `arguments` over `scans` (a file, or standard input).
    catalogue_weeks::Result check(QStringList arguments, const QString& scans, bool viaStdin = false)
    {
        arguments.prepend(QStringLiteral("check"));
        arguments << QStringLiteral("--as-of") << kCheckedAt;
        if (!viaStdin) {
            const QString file = shop.path(QStringLiteral("scans.txt"));
            QFile out(file);
            EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(scans.toUtf8()) >= 0);
            out.close();
            arguments << file;
            return shop.run(arguments);
        }
        std::unique_ptr<QProcess> process(shop.start(arguments));
        process->write(scans.toUtf8());
        process->closeWriteChannel();
        catalogue_weeks::Result out;
        if (process->waitForFinished(120000) && process->exitStatus() == QProcess::NormalExit) {
            out.exit = process->exitCode();
        }
        out.out = QString::fromUtf8(process->readAllStandardOutput());
        out.err = QString::fromUtf8(process->readAllStandardError());
        return out;
    }

    int keptChecks()
    {
        return int(shop.run({QStringLiteral("checks"), QStringLiteral("--json")})
                       .json()
                       .value(QStringLiteral("checks"))
                       .toArray()
                       .size());
    }

    Shop shop {GetParam()};
};

// Each entry as "verdict code tags detail", sorted.
QStringList entriesOf(const QJsonObject& check)
{
    QStringList out;
    for (const QJsonValue& value : check.value(QStringLiteral("entries")).toArray()) {
        const QJsonObject entry = value.toObject();
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(entry.value(QStringLiteral("verdict")).toString(),
                        entry.value(QStringLiteral("code")).toString())
                   .arg(entry.value(QStringLiteral("tags")).toInt())
                   .arg(entry.value(QStringLiteral("detail")).toString());
    }
    out.sort();
    return out;
}

// Each location's last check as "location:check".
QStringList lastChecks(const Shop& shop, const QString& asOf)
{
    QStringList out;
    for (const QJsonValue& value :
         shop.run({QStringLiteral("status"), QStringLiteral("--json"), QStringLiteral("--as-of"), asOf})
             .json()
             .value(QStringLiteral("shelf_checks"))
             .toArray()) {
        const QJsonObject row = value.toObject();
        out << QStringLiteral("%1:%2/%3")
                   .arg(row.value(QStringLiteral("location")).toString())
                   .arg(row.value(QStringLiteral("check")).toInt())
                   .arg(row.value(QStringLiteral("to_fix")).toInt());
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
            scans += (++line % 2 ? QStringLiteral("A-1,") : QString()) + (row.withoutCheckDigit ? code.left(12) : code)
                + u'\n';
        }
        expected << QStringLiteral("%1 %2 %3 %4")
                        .arg(QString::fromUtf8(row.verdict), code)
                        .arg(row.tags)
                        .arg(QString::fromUtf8(row.detail));
        if (row.laid) {
            laid << code;
        }
    }
    expected.sort();

    const catalogue_weeks::Result checked
        = check({QStringLiteral("--location"), QStringLiteral("A-1"), QStringLiteral("--json")}, scans);
    ASSERT_EQ(checked.exit, 4) << checked.err.toStdString();
    EXPECT_EQ(entriesOf(checked.json()), expected);
    const int checkId = checked.json().value(QStringLiteral("check")).toInt();
    EXPECT_EQ(checked.json().value(QStringLiteral("locations")).toArray(), QJsonArray {QStringLiteral("A-1")});

    // Kept as it was said.
    EXPECT_EQ(
        entriesOf(shop.run({QStringLiteral("checks"), QString::number(checkId), QStringLiteral("--json")}).json()),
        expected);
    // status says when each location was last checked, and what it found there to fix.
    const int toFix = int(std::count_if(shelfRows().begin(), shelfRows().end(),
                                        [](const ShelfRow& row) { return std::string_view(row.verdict) != "right"; }));
    EXPECT_EQ(lastChecks(shop, QStringLiteral("2027-04-20T12:00")),
              (QStringList {QStringLiteral("A-1:%1/%2").arg(checkId).arg(toFix), QStringLiteral("B-1:0/0")}));
    EXPECT_EQ(lastChecks(shop, QStringLiteral("2027-04-19")),
              (QStringList {QStringLiteral("A-1:0/0"), QStringLiteral("B-1:0/0")}));

    // Exactly the wrong and missing tags, in shelf order, each once.
    const catalogue_weeks::Result printed = shop.run(
        {QStringLiteral("print"), QStringLiteral("--from-check"), QString::number(checkId), QStringLiteral("-o"),
         shop.path(QStringLiteral("fix")), QStringLiteral("--as-of"), kCheckedAt, QStringLiteral("--json")});
    ASSERT_EQ(printed.exit, 0) << printed.err.toStdString();
    QStringList printedCodes;
    for (const QJsonValue& tag : printed.json().value(QStringLiteral("tags")).toArray()) {
        printedCodes << tag.toObject().value(QStringLiteral("jan")).toString();
    }
    EXPECT_EQ(printedCodes, laid);
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
    const QStringList atB1 {QStringLiteral("--location"), QStringLiteral("B-1")};
    const ExitRow rows[] = {
        {"every tag of B-1 right", atB1, QStringLiteral("21\n22\n23\n5\n"), false, 0, ""},
        {"the locations in the lines, from standard input",
         {},
         QStringLiteral("B-1,21\n\nB-1,22\nB-1,23\nB-1,5\n"),
         true,
         0,
         ""},
        {"three tags of B-1 not there", atB1, QStringLiteral("21\n"), false, 4, ""},
        {"a line that is no code", atB1, QStringLiteral("21\nabc\n22\n"), false, 2, "2 行目"},
        {"a line of three fields", atB1, QStringLiteral("B-1,21,1\n"), false, 2, "1 行目"},
        {"no location at all", {}, QStringLiteral("B-1,21\n22\n"), false, 2, "2 行目"},
    };
    for (const ExitRow& row : rows) {
        QString scans = row.scans;
        for (int n : {21, 22, 23, 5}) {
            scans.replace(QRegularExpression(QStringLiteral("(^|[,\n])%1(?=\n)").arg(n)),
                          QStringLiteral("\\1") + ean13(n));
        }
        const int before = keptChecks();
        const catalogue_weeks::Result ran = check(row.arguments, scans, row.viaStdin);
        EXPECT_EQ(ran.exit, row.exit) << row.name << ": " << ran.err.toStdString();
        EXPECT_TRUE(ran.err.contains(QString::fromUtf8(row.said))) << row.name << ": " << ran.err.toStdString();
        EXPECT_EQ(keptChecks(), before + (row.exit == 2 ? 0 : 1)) << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueCheck, testing::ValuesIn(backends()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
