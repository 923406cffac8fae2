// A register's export taken into the catalogue: a product is keyed by its JAN, and one without a
// JAN by the register's own product code.
#include "core/jobs/catalogue_import.h"

#include "support/prepared_lists.h"
#include "support/register_lists.h"

#include <gtest/gtest.h>

namespace {

TEST(IncomingRows, ARegistersOwnCodeKeysAProductWithoutJan)
{
    for (const testfiles::RegisterExport& given : testfiles::registerExports()) {
        if (given.catalogueCodes.isEmpty()) {
            continue;
        }
        SCOPED_TRACE(given.registerKey);
        const auto file = support::preparedFile(given.fileName, given.reordered());
        ASSERT_EQ(file.status, jobs::ImportStatus::done) << file.problem.toStdString();
        catalogue::CatalogueColumns columns;
        ASSERT_TRUE(jobs::catalogueColumnsFor(file.prepared, {}, columns, nullptr));
        const jobs::IncomingRows rows = jobs::incomingRowsOf(file.prepared, columns, given.fileName);
        QStringList codes;
        for (const catalogue::IncomingProduct& product : rows.incoming.products) {
            codes << product.code;
        }
        EXPECT_EQ(codes, given.catalogueCodes);
        EXPECT_TRUE(rows.incoming.refused.empty());
    }
}

}  // namespace
