// The file system under an SQLite catalogue: the file a path really names, which SQLite opens and
// a damaged one is moved aside as. (A full disk, a read-only one and network folders are rows of
// the catalogue's fault table.)

#include "core/catalogue/store/catalogue_storage.h"

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

}  // namespace
