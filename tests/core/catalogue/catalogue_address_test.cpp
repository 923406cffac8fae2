// A catalogue's address as typed on the command line or in the settings file: what is read, and
// what is refused rather than taken for a file of that name.

#include "core/catalogue/catalogue_address.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using catalogue::CatalogueAddress;

struct AddressRow {
    const char* name;
    QString given;
    CatalogueAddress::Kind kind;
    QString pathOrDatabase;  // the file (relative ones from /srv/shop), or the database
    QString refusal;         // part of the reason; empty when the address is read
};

TEST(CatalogueAddress, ReadsWhatIsWhollyAnAddressAndNothingElse)
{
    using Kind = CatalogueAddress::Kind;
    const AddressRow rows[] = {
        {"absolute file",
         QStringLiteral("/var/shop/catalogue.sqlite"),
         Kind::sqlite,
         QStringLiteral("/var/shop/catalogue.sqlite"),
         {}},
        {"relative file, from the base",
         QStringLiteral("data/../shop.sqlite"),
         Kind::sqlite,
         QStringLiteral("/srv/shop/shop.sqlite"),
         {}},
        {"sqlite scheme",
         QStringLiteral("sqlite:///var/shop/c.sqlite"),
         Kind::sqlite,
         QStringLiteral("/var/shop/c.sqlite"),
         {}},
        {"server",
         QStringLiteral("postgresql://shop@server.local:5433/tanafuda"),
         Kind::postgresql,
         QStringLiteral("tanafuda"),
         {}},
        {"a slash missing",
         QStringLiteral("postgresql:/shop@server/tanafuda"),
         Kind::sqlite,
         {},
         QStringLiteral("アドレスの書き方が違います")},
        {"no slashes",
         QStringLiteral("postgres:shop@server/tanafuda"),
         Kind::sqlite,
         {},
         QStringLiteral("postgresql://ユーザー@サーバー")},
        {"sqlite without slashes",
         QStringLiteral("sqlite:shop.sqlite"),
         Kind::sqlite,
         {},
         QStringLiteral("アドレスの書き方が違います")},
        {"another scheme",
         QStringLiteral("mysql://shop@server/tanafuda"),
         Kind::sqlite,
         {},
         QStringLiteral("アドレスの書き方が違います")},
        {"a control character", QStringLiteral("shop\x07.sqlite"), Kind::sqlite, {}, QStringLiteral("5 文字目")},
        {"an escape sequence", QStringLiteral("\x1b[2Jshop.sqlite"), Kind::sqlite, {}, QStringLiteral("<U+001B>")},
        {"a broken character", QStringLiteral("shop\uFFFD.sqlite"), Kind::sqlite, {}, QStringLiteral("使えない文字")},
        {"half a surrogate pair",
         QStringLiteral("shop") + QChar(0xD800) + QStringLiteral(".sqlite"),
         Kind::sqlite,
         {},
         QStringLiteral("使えない文字")},
        {"a folder", QStringLiteral("/var/shop/"), Kind::sqlite, {}, QStringLiteral("ファイルの名前まで")},
        {"longer than a path", QString(5000, u'a'), Kind::sqlite, {}, QStringLiteral("長すぎます")},
        {"no user",
         QStringLiteral("postgresql://server/tanafuda"),
         Kind::postgresql,
         {},
         QStringLiteral("ユーザー名がありません")},
    };
    for (const AddressRow& row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        const auto address = catalogue::parseCatalogueAddress(row.given, QStringLiteral("/srv/shop"), &error);
        if (!row.refusal.isEmpty()) {
            EXPECT_FALSE(address);
            EXPECT_TRUE(error.contains(row.refusal)) << error.toStdString();
            continue;
        }
        ASSERT_TRUE(address) << error.toStdString();
        EXPECT_EQ(address->kind, row.kind);
        EXPECT_EQ(row.kind == Kind::sqlite ? address->path : address->database, row.pathOrDatabase);
    }
}

}  // namespace
