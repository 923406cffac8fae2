// The file system under an SQLite catalogue: the file a path really names, and when a disk counts
// as full.

#include "core/catalogue/catalogue_storage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace catalogue::storage;

struct LinkRow {
    const char* name;
    QStringList links;  // "LINK>TARGET", made in order (targets relative to the folder, or absolute)
    QString given;
    QString resolved;  // relative to the folder
};

TEST(CatalogueStorage, FollowsEveryLinkToTheFileSqliteOpens)
{
    const LinkRow rows[] = {
        {"no link", {}, QStringLiteral("real/c.sqlite"), QStringLiteral("real/c.sqlite")},
        {"a link",
         {QStringLiteral("l.sqlite>real/c.sqlite")},
         QStringLiteral("l.sqlite"),
         QStringLiteral("real/c.sqlite")},
        {"a link to a link",
         {QStringLiteral("l2.sqlite>real/c.sqlite"), QStringLiteral("l1.sqlite>l2.sqlite")},
         QStringLiteral("l1.sqlite"),
         QStringLiteral("real/c.sqlite")},
        {"a link to nothing yet",
         {QStringLiteral("l.sqlite>real/new.sqlite")},
         QStringLiteral("l.sqlite"),
         QStringLiteral("real/new.sqlite")},
        {"a linked folder",
         {QStringLiteral("share>real")},
         QStringLiteral("share/c.sqlite"),
         QStringLiteral("real/c.sqlite")},
    };
    for (const LinkRow& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QDir folder(QFileInfo(dir.path()).canonicalFilePath());
        ASSERT_TRUE(folder.mkpath(QStringLiteral("real")));
        QFile file(folder.filePath(QStringLiteral("real/c.sqlite")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QString& link : row.links) {
            ASSERT_TRUE(QFile::link(link.section(u'>', 1), folder.filePath(link.section(u'>', 0, 0))));
        }
        EXPECT_EQ(resolvedFile(folder.filePath(row.given)), folder.filePath(row.resolved));
    }
}

struct RoomRow {
    const char* name;
    Room room;
    QString reason;  // part of it; empty: not full
};

TEST(CatalogueStorage, CountsADiskFullWhenAWriteCannotFitOrNoFileCanBeMade)
{
    const RoomRow rows[] = {
        {"no byte free",
         {0, 100, false},
         QStringLiteral("ディスクがいっぱいです (フォルダー /shop のディスクの空きは 0 バイト)")},
        {"less than a write needs", {kFullDiskBytes - 1, 100, false}, QStringLiteral("63 KB")},
        {"enough", {kFullDiskBytes, 100, false}, {}},
        {"no file free", {1 << 30, 0, false}, QStringLiteral("ファイルシステムがいっぱいです")},
        {"no count of files", {1 << 30, -1, false}, {}},
        {"unknown", {-1, -1, false}, {}},
    };
    for (const RoomRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QString reason = fullDiskReason(QStringLiteral("/shop"), row.room);
        EXPECT_EQ(reason.isEmpty(), row.reason.isEmpty()) << reason.toStdString();
        EXPECT_TRUE(reason.contains(row.reason)) << reason.toStdString();
    }
}

}  // namespace
