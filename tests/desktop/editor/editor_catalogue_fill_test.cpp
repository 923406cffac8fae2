// A tag filled from the catalogue when its code is scanned, typed or pasted into Text1.
#include "core/jobs/catalogue_lookup.h"
#include "support/editor_test_support.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStatusBar>
#include <QTemporaryDir>

using sheet::Field;

namespace {
const QString kCode = QStringLiteral("4901234567894");
const sheet::TagRecord kTag {kCode, QStringLiteral("青森りんご園"), QStringLiteral("ふじりんご"), QStringLiteral("大玉"),
                             QStringLiteral("1個"), QStringLiteral("青森県産"), 198};

struct FakeLookup : jobs::ProductLookup {
    std::optional<catalogue::Product> find(const QString& code) override
    {
        catalogue::Product product;
        product.tag = kTag;
        return code == kCode ? std::optional(product) : std::nullopt;
    }
};
}  // namespace

TEST(EditorCatalogueFill, TheCodeLeftInText1FillsTheEmptyBoxesOnly)
{
    QTemporaryDir dir;
    catalogue::Location file;
    file.path = dir.filePath(QStringLiteral("catalogue.sqlite"));
    catalogue::IncomingProduct apples;
    apples.code = apples.jan = kCode;
    apples.maker = kTag.maker;
    apples.name = kTag.productName;
    apples.name2 = kTag.productName2;
    apples.spec = kTag.spec;
    apples.lot = kTag.lot;
    apples.tagPrice = kTag.price;
    catalogue::IncomingList list;
    list.products = {apples};
    catalogue::OpenOptions create;
    create.create = true;
    const auto made = catalogue::Catalogue::open(file, create, nullptr);
    ASSERT_TRUE(made && made->merge(list, {}).outcome.ok());
    const QString missing = dir.filePath(QStringLiteral("none/catalogue.sqlite"));

    const auto real = [](const QString& path) { return std::make_shared<jobs::CatalogueLookup>([path] { return path; }); };
    const auto fake = std::make_shared<FakeLookup>();
    const auto tag = [](bool small, const QString& maker, bool filled = true) {
        sheet::TagRecord t = filled ? kTag : sheet::TagRecord {kCode, {}, {}, {}, {}, {}, 0};
        t.maker = maker;
        t.productName2 = small && filled ? t.productName2 : QString();
        return t;
    };
    const QString mine = QStringLiteral("MyShop");
    const QString done = QStringLiteral("商品マスタから入れました");
    const struct Row {
        const char* what;
        bool small;
        std::shared_ptr<jobs::ProductLookup> lookup;
        QString makerFirst;  // typed into the maker box before the code
        QString code;        // scanned (the digits and Enter), or with a "v" in front pasted and left with Tab
        sheet::TagRecord expected;
        QString status;
    } rows[] = {
        {"real catalogue", false, real(file.path), {}, kCode, tag(false, kTag.maker), done},
        {"both name lines", true, fake, {}, kCode, tag(true, kTag.maker), done},
        {"maker typed first kept", true, real(file.path), mine, kCode, tag(true, mine), done},
        {"12 digits", false, fake, {}, kCode.left(12), tag(false, kTag.maker), done},
        {"wrong check digit", false, fake, {}, kCode.left(12) + u'0', tag(false, kTag.maker), done},
        {"pasted", false, fake, {}, u'v' + kCode, tag(false, kTag.maker), done},
        {"unknown code", false, real(file.path), {}, QStringLiteral("4512345678906"),
         {QStringLiteral("4512345678906"), {}, {}, {}, {}, {}, 0}, {}},
        {"no catalogue file", false, real(missing), {}, kCode, tag(false, {}, false), {}},
        {"no lookup", true, nullptr, mine, kCode, tag(true, mine, false), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        editor_test::OpenEditor e(row.small ? sheet::SheetFormat::small : sheet::SheetFormat::large);
        ASSERT_TRUE(e.activated);
        e.w().setProductLookup(row.lookup);
        if (!row.makerFirst.isEmpty()) {
            e.clickAndSelect(e.box(Field::maker)->objectName());
            e.type(row.makerFirst);
            e.clickAndSelect(e.box(Field::jan)->objectName());
        }
        if (row.code.startsWith(u'v')) {
            QGuiApplication::clipboard()->setText(row.code.mid(1));
            e.key(Qt::Key_Insert, Qt::ShiftModifier);
            e.key(Qt::Key_Tab);
        } else {
            e.type(row.code);
            e.key(Qt::Key_Return);
        }
        EXPECT_EQ(e.sheet().record(1), row.expected);
        EXPECT_EQ(e.box(Field::maker)->text(), row.expected.maker);
        EXPECT_EQ(e.box(Field::price)->text(), QString::number(row.expected.price));
        EXPECT_EQ(e.w().statusLine()->currentMessage(), row.status);
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
}
