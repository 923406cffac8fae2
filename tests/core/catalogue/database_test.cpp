// The catalogue's schema: a migration keeps a copy of the file it changes.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

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
