// A register's export taken into the catalogue: a product is keyed by its JAN, and one without a
// JAN by the register's own product code.
#include "core/jobs/catalogue_import.h"

#include "support/prepared_lists.h"
#include "support/register_lists.h"

#include <gtest/gtest.h>

namespace {

TEST(IncomingRows, ARegistersOwnCodeKeysAProductWithoutJan)
{
    const auto exports = testfiles::registerExports();
    const std::pair<size_t, QStringList> rows[] {
        {0, {"4500000000018", "4901234567894", "49012347", "A0004"}},  // スマレジ: 商品コード is the barcode
        {1, {"4901234567894", "4500000000018", "P003", "49012347"}},  // Airレジ: 商品コード beside バーコード
        {2, {"4901234567894", "4500000000018", "S-3", "49012347"}},  // Square: SKU beside GTIN
        {4, {"4901234567894", "4500000000018", "G-1"}},              // CASHIER: 品番 beside 商品コード
    };
    for (const auto& [index, expected] : rows) {
        SCOPED_TRACE(exports[index].registerKey);
        const auto file = test_support::preparedFile(exports[index].fileName(), exports[index].bytes(true));
        ASSERT_EQ(file.status, jobs::ImportStatus::done) << file.problem.toStdString();
        catalogue::CatalogueColumns columns;
        ASSERT_TRUE(jobs::catalogueColumnsFor(file.prepared, {}, columns, nullptr));
        QStringList codes;
        for (const catalogue::IncomingProduct& product :
             jobs::incomingRowsOf(file.prepared, columns, {}).incoming.products) {
            codes << product.code;
        }
        EXPECT_EQ(codes, expected);
    }
}

}  // namespace
