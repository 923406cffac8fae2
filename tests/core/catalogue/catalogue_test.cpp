// The catalogue's own rules, below the command line: the shelf order, the key of a product, and a
// migration that keeps a copy of the file it changes.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/database.h"
#include "core/catalogue/shelf_order.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct OrderRow {
    const char* before;
    const char* after;
};

TEST(NaturalOrder, NumbersInLocationsCompareAsNumbers)
{
    const OrderRow rows[] = {
        {"A-2", "A-10"}, {"A-9", "A-10"}, {"A-10", "B-1"}, {"Ａ－２", "A-10"}, {"a-3", "A-4"},
        {"2", "10"},     {"07", "8"},     {"A", "A-1"},    {"B-99", ""},       {"棚1", "棚12"},
    };
    for (const OrderRow& row : rows) {
        const QString a = QString::fromUtf8(row.before);
        const QString b = QString::fromUtf8(row.after);
        EXPECT_LT(catalogue::compareNaturally(a, b), 0) << row.before << " < " << row.after;
        EXPECT_GT(catalogue::compareNaturally(b, a), 0) << row.after << " > " << row.before;
    }
}

productlist::ProductList listOf(const QStringList& titles, const std::vector<QStringList>& cells)
{
    productlist::ProductList list;
    list.ok = true;
    list.hasHeader = true;
    list.columnTitles = titles;
    int number = 2;
    for (const QStringList& row : cells) {
        list.rows.push_back({number++, row});
    }
    return list;
}

TEST(IncomingList, KeyedByJanElseByTheListsProductCode)
{
    const productlist::ProductList list
        = listOf({QStringLiteral("JAN"), QStringLiteral("品番"), QStringLiteral("商品名"), QStringLiteral("売価"),
                  QStringLiteral("売場"), QStringLiteral("枚数")},
                 {{QStringLiteral("4901234567894"), QStringLiteral("X1"), QStringLiteral("牛乳"), QStringLiteral("198"),
                   QStringLiteral("B-3"), QStringLiteral("2枚")},
                  {QString(), QStringLiteral("Ｙ２"), QStringLiteral("りんご"), QStringLiteral("98")},
                  {QString(), QString(), QStringLiteral("名無し"), QStringLiteral("50")},
                  {QString(), QStringLiteral("Y2"), QStringLiteral("みかん"), QStringLiteral("80")}});
    const auto automatic = productlist::mapColumns(list.columnTitles, sheet::SheetFormat::large);
    const auto cleaned = productlist::cleanRows(list.rows, automatic.mapping, sheet::SheetFormat::large, {});
    const catalogue::IncomingList in = catalogue::incomingProducts(
        list, cleaned, nullptr, catalogue::catalogueColumnsOf(list.columnTitles, automatic.mapping));
    ASSERT_EQ(in.products.size(), 2u);
    EXPECT_EQ(in.products[0].code, QStringLiteral("4901234567894"));
    EXPECT_EQ(in.products[0].shelf, QStringLiteral("B-3"));
    EXPECT_EQ(in.products[0].tagCount, 2);
    EXPECT_EQ(in.products[1].code, QStringLiteral("Y2"));  // full-width folded
    ASSERT_EQ(in.refused.size(), 2u);
    EXPECT_EQ(in.refused[0].number, 4);  // no code at all
    EXPECT_EQ(in.refused[1].number, 5);  // the same key as row 3
}

TEST(Schema, MigrationKeepsACopyOfTheFileItChanges)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.sqlite"));
    {
        // A catalogue as the first schema left it, with one remembered product.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        catalogue::CatalogueAddress location;
        location.path = path;
        ASSERT_TRUE(catalogue::database::migrate(db, location).ok());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(QStringLiteral("UPDATE schema_version SET version = 1")));
        ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO products VALUES (1, 'K', '', '', 'n', '', '', '', 1, 1, 10, "
                                              "1, '', 1, 1, '2026-01-01', '2026-01-01', 1, NULL, '')")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
    catalogue::Result outcome;
    catalogue::CatalogueAddress location;
    location.path = path;
    auto opened = catalogue::Catalogue::open(location, {}, &outcome);
    ASSERT_TRUE(opened) << outcome.message.toStdString();
    EXPECT_EQ(opened->schemaVersion(), catalogue::database::kSchemaVersion);
    EXPECT_TRUE(opened->product(QStringLiteral("K")).has_value());
    // The copy is the version-1 file, which opens as it was.
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral(".v1-backup")));
    QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
    copy.setDatabaseName(path + QStringLiteral(".v1-backup"));
    ASSERT_TRUE(copy.open());
    QSqlQuery query(copy);
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT version FROM schema_version")) && query.next());
    EXPECT_EQ(query.value(0).toInt(), 1);
}

}  // namespace
