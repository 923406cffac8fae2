// A tag filled from the catalogue when a code is scanned into Text1 (the digits and Enter).
#include "core/jobs/catalogue_lookup.h"
#include "desktop/modules/module_loading.h"
#include "support/editor_test_support.h"
#include "support/sample_records.h"

#include <QFileInfo>
#include <QStatusBar>
#include <QTemporaryDir>

using sheet::Field;

namespace {
const sheet::TagRecord kTag = sampleRecord(QStringLiteral("ふじりんご"), 198);
const QString kCode = kTag.jan;
const QString kOther = QStringLiteral("4512345678906");

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
    const QString file = dir.filePath(QStringLiteral("catalogue.sqlite"));
    const QString missing = dir.filePath(QStringLiteral("none/catalogue.sqlite"));
    catalogue::IncomingList list;
    list.products.resize(1);
    catalogue::IncomingProduct& p = list.products[0];
    p.code = kCode;
    p.tag = kTag;
    const auto made = catalogue::Catalogue::open(
        {catalogue::CatalogueAddress::Kind::sqlite, file, {}, {}, {}, 5432, {}}, {true, false}, nullptr);
    ASSERT_TRUE(made && made->merge(list, {}).ok());

    const auto real = [](QString path) { return std::make_shared<jobs::CatalogueLookup>([path] { return path; }); };
    // The window's own lookup, which loads the catalogue's module at its first code.
    const auto late = [](QString path) { return desktop::catalogueLookupOnFirstUse([path] { return path; }); };
    const auto bare = [](const QString& jan) { return sheet::TagRecord {jan, {}, {}, {}, {}, {}, 0}; };
    const auto fake = std::make_shared<FakeLookup>();
    const auto tag = [](bool small, const QString& maker) {
        sheet::TagRecord t = kTag;
        t.maker = maker;
        t.productName2 = small ? t.productName2 : QString();
        return t;
    };
    const QString mine = QStringLiteral("MyShop");
    const QString done = QStringLiteral("商品マスタから入れました");
    const struct Row {
        const char* what;
        bool small;
        std::shared_ptr<jobs::ProductLookup> lookup;
        QString makerFirst;  // typed into the maker box before the code
        QString code;
        sheet::TagRecord expected;
        QString status;
    } rows[] = {
        {"real catalogue", false, real(file), {}, kCode, tag(false, kTag.maker), done},
        {"catalogue through its module", true, late(file), {}, kCode, tag(true, kTag.maker), done},
        {"no catalogue file through the module", false, late(missing), {}, kCode, bare(kCode), {}},
        {"maker typed first kept", true, real(file), mine, kCode, tag(true, mine), done},
        {"12 digits", false, fake, {}, kCode.left(12), tag(false, kTag.maker), done},
        {"unknown code", false, fake, {}, kOther, bare(kOther), {}},
        {"no catalogue file", false, real(missing), {}, kCode, bare(kCode), {}},
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
        e.type(row.code);
        e.key(Qt::Key_Return);
        EXPECT_EQ(e.sheet().record(1), row.expected);
        EXPECT_EQ(e.box(Field::maker)->text(), row.expected.maker);
        EXPECT_EQ(e.w().statusLine()->currentMessage(), row.status);
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
}
