// A catalogue's address as typed on the command line or in the settings file: what is read, and
// what is refused rather than taken for a file of that name.

#include "core/catalogue/catalogue_address.h"

#include <gtest/gtest.h>

namespace {

using catalogue::CatalogueAddress;
using namespace Qt::Literals::StringLiterals;

struct AddressRow {
    const char* name;
    QString given;
    QString read;     // the file (a relative one from /srv/shop), or the server's database
    QString refusal;  // part of the reason; empty when the address is read
};

TEST(CatalogueAddress, ReadsWhatIsWhollyAnAddressAndNothingElse)
{
    const AddressRow rows[] = {
        {"relative file, from the base", u"data/../shop.sqlite"_s, u"/srv/shop/shop.sqlite"_s, {}},
        {"sqlite scheme", u"sqlite:///var/shop/c.sqlite"_s, u"/var/shop/c.sqlite"_s, {}},
        {"server", u"postgresql://shop@server.local:5433/tanafuda"_s, u"tanafuda"_s, {}},
        {"sqlite without slashes", u"sqlite:shop.sqlite"_s, {}, u"アドレスの書き方が違います"_s},
        {"another scheme", u"mysql://shop@server/tanafuda"_s, {}, u"postgresql://ユーザー@サーバー"_s},
        {"an escape sequence", u"\x1b[2Jshop.sqlite"_s, {}, u"「<U+001B>[2Jshop.sqlite」"_s},
        {"a broken character", u"shop\uFFFD.sqlite"_s, {}, u"5 文字目に、アドレスに使えない文字"_s},
        {"half a surrogate pair", u"shop"_s + QChar(0xDC00) + u".sqlite"_s, {}, u"使えない文字"_s},
        {"a folder", u"/var/shop/"_s, {}, u"ファイルの名前まで"_s},
        {"longer than a path", QString(5000, u'a'), {}, u"長すぎます"_s},
        {"no user", u"postgresql://server/tanafuda"_s, {}, u"ユーザー名がありません"_s},
    };
    for (const AddressRow& row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        const auto address = catalogue::parseCatalogueAddress(row.given, u"/srv/shop"_s, &error);
        EXPECT_TRUE(error.contains(row.refusal)) << error.toStdString();
        ASSERT_EQ(address.has_value(), row.refusal.isEmpty());
        if (address) {
            EXPECT_EQ(address->kind == CatalogueAddress::Kind::sqlite ? address->path : address->database, row.read);
        }
    }
}

}  // namespace
