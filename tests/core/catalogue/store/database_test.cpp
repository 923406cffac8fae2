// The catalogue's schema: a migration keeps a copy of the file it changes.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/store/database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A catalogue of the first version with a product, two prices from their dates and a confirmed
// print of its tag: after the migration its history holds from the same dates, its tag is still
// the one on the shelf, and the file as it was is kept beside it.
TEST(Schema, MigrationKeepsTheHistoryAndACopyOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.sqlite"));
    catalogue::CatalogueAddress address;
    address.path = path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(catalogue::database::migrate(db, address, 1).ok());
        QSqlQuery query(db);
        // The tag's texts and price as the catalogue compares them.
        const QString text
            = QStringList {QStringLiteral("K"), {}, QStringLiteral("n"), {}, {}, {}, QStringLiteral("218")}.join(
                QChar(0x1F));
        for (const QString& sql : {
                 QStringLiteral("INSERT INTO imports VALUES (1, 'a.csv', '2026-11-01T00:00:00Z', '2026-11-01', 0, 1, 1,"
                                " 0, 0, 0)"),
                 QStringLiteral("INSERT INTO imports VALUES (2, 'b.csv', '2026-12-01T00:00:00Z', '2026-12-01', 0, 1, 0,"
                                " 1, 0, 0)"),
                 QStringLiteral("INSERT INTO products VALUES (1, 'K', 'K', '', 'n', '', '', '', 218, 1, 10, 218, 'A-1',"
                                " 1, 2, '2026-11-01', '2026-12-01', 1, 1, '%1')")
                     .arg(text),
                 QStringLiteral("INSERT INTO price_history VALUES (1, 1, 1, '2026-11-01', 198, 198, 1, 10)"),
                 QStringLiteral("INSERT INTO price_history VALUES (2, 1, 2, '2026-12-01', 218, 218, 1, 10)"),
                 QStringLiteral("INSERT INTO prints VALUES (1, '2026-12-01T01:00:00Z', 'large', 1, 1, 'x.pdf',"
                                " 'confirmed', '2026-12-01T02:00:00Z')"),
                 QStringLiteral("INSERT INTO print_tags VALUES (1, 1, 1, 1, 1, 'K', '', 'n', '', '', '', 218, '%1')")
                     .arg(text),
             }) {
            ASSERT_TRUE(query.exec(sql)) << sql.toStdString() << query.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
    catalogue::Result outcome;
    auto opened = catalogue::Catalogue::open(address, {}, &outcome);
    ASSERT_TRUE(opened) << outcome.message.toStdString();
    EXPECT_EQ(opened->schemaVersion(), catalogue::database::kSchemaVersion);
    const auto history = opened->history(QStringLiteral("K"), &outcome);
    ASSERT_TRUE(history) << outcome.message.toStdString();
    ASSERT_EQ(history->prices.size(), 2u);
    EXPECT_EQ(history->prices[0].validFrom, QStringLiteral("2026-11-01"));
    EXPECT_EQ(history->prices[1].validFrom, QStringLiteral("2026-12-01"));
    EXPECT_EQ(history->product.validFrom, QStringLiteral("2026-12-01"));
    const std::vector<catalogue::TagNeed> needs = opened->tagNeeds(true, &outcome);
    ASSERT_EQ(needs.size(), 1u);
    EXPECT_EQ(needs[0].kind, catalogue::NeedKind::upToDate);
    // The copy is the version-1 file, which opens as it was.
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral(".v1-backup")));
    QSqlDatabase copy = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("copy"));
    copy.setDatabaseName(path + QStringLiteral(".v1-backup"));
    ASSERT_TRUE(copy.open());
    QSqlQuery query(copy);
    ASSERT_TRUE(query.exec(QStringLiteral("SELECT version FROM schema_version")) && query.next());
    EXPECT_EQ(query.value(0).toInt(), 1);
    // The migrated file knows its tag is on the shelf without comparing the two texts.
    QSqlDatabase migrated = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("migrated"));
    migrated.setDatabaseName(path);
    ASSERT_TRUE(migrated.open());
    QSqlQuery due(migrated);
    ASSERT_TRUE(due.exec(QStringLiteral("SELECT COUNT(*) FROM products WHERE tag_due = 1")) && due.next());
    EXPECT_EQ(due.value(0).toInt(), 0);
}

// A catalogue of version 7 whose product's list gave the unit price's base and content, its tag on
// the shelf: after the migration the tag texts end with the unit text, and the tag is still up to
// date (the tags printed before are taken to show the product's present base and content).
TEST(Schema, UnitTextsJoinTheTagTextsWithoutMakingATagDue)
{
    QTemporaryDir dir;
    catalogue::CatalogueAddress address;
    address.path = dir.filePath(QStringLiteral("catalogue.sqlite"));
    catalogue::Result outcome;
    catalogue::ProductData milk;
    milk.code = milk.tag.jan = QStringLiteral("4900000000047");
    milk.tag.productName = QStringLiteral("牛乳");
    milk.tag.price = 198;
    milk.unitBase = QStringLiteral("100ml");
    milk.content = QStringLiteral("1000ml");
    const QString unitText = catalogue::unitTextOf(milk);
    {
        const auto shop = catalogue::Catalogue::open(address, {true}, &outcome);
        ASSERT_TRUE(shop) << outcome.message.toStdString();
        catalogue::IncomingList list;
        list.products = {milk};
        ASSERT_TRUE(shop->merge(list, {}).ok());
        const auto needs = shop->tagNeeds();
        ASSERT_EQ(needs.size(), 1u);
        qint64 printId = 0;
        ASSERT_TRUE(shop->recordPrint({{needs[0].product.id, 1, 1, needs[0].product.tag, 0, 0, unitText}},
                                      QStringLiteral("large"), 1, 1, QStringLiteral("x.pdf"), catalogue::Moment::now(),
                                      &printId)
                        .ok());
        ASSERT_TRUE(shop->decidePrint(printId, catalogue::PrintState::confirmed).ok());
    }
    {
        // The file as version 7 kept it: the texts without the unit text.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v7"));
        db.setDatabaseName(address.path);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        for (const char* table : {"products", "product_versions", "print_tags"}) {
            ASSERT_TRUE(query.prepare(
                QStringLiteral("UPDATE %1 SET tag_text = replace(tag_text, ?, '')").arg(QString::fromLatin1(table))));
            query.addBindValue(unitText);
            ASSERT_TRUE(query.exec()) << query.lastError().text().toStdString();
        }
        ASSERT_TRUE(query.exec(QStringLiteral("UPDATE products SET shelf_tag_text = tag_text")));
        ASSERT_TRUE(query.exec(QStringLiteral("UPDATE schema_version SET version = 7")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v7"));
    const auto migrated = catalogue::Catalogue::open(address, {}, &outcome);
    ASSERT_TRUE(migrated) << outcome.message.toStdString();
    EXPECT_EQ(migrated->schemaVersion(), catalogue::database::kSchemaVersion);
    EXPECT_TRUE(migrated->tagNeeds(false, &outcome).empty()) << outcome.message.toStdString();
    catalogue::IncomingList changed;
    milk.content = QStringLiteral("900ml");
    changed.products = {milk};
    ASSERT_TRUE(migrated->merge(changed, {}).ok());
    ASSERT_EQ(migrated->tagNeeds().size(), 1u);
    EXPECT_EQ(migrated->tagNeeds()[0].kind, catalogue::NeedKind::changed);
}

}  // namespace
