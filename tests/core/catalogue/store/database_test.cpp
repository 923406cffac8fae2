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

}  // namespace
