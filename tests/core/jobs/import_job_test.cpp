// A list prepared for the import: a register's export read by its profile into the tags the shop
// expects, whatever the order of its columns; a tax column of codes nothing explains stops it.
#include "core/jobs/import_job.h"

#include "support/prepared_lists.h"
#include "support/register_lists.h"

#include <gtest/gtest.h>

using namespace productlist;

namespace {

std::string tagText(const sheet::TagRecord& tag)
{
    return QStringLiteral("%1|%2|%3|%4").arg(tag.jan, tag.productName, tag.spec).arg(tag.price).toStdString();
}

TEST(PrepareList, RegisterExportsGiveTheTagsTheShopExpects)
{
    for (const testfiles::RegisterExport& given : testfiles::registerExports()) {
        for (const bool reordered : {false, true}) {
            SCOPED_TRACE(std::string(given.registerKey) + (reordered ? ", columns reordered" : ""));
            const auto file = test_support::preparedFile(given.fileName(), given.bytes(reordered));
            ASSERT_EQ(file.status, jobs::ImportStatus::done) << file.problem.toStdString();
            const jobs::PreparedList& prepared = file.prepared;
            ASSERT_TRUE(prepared.list.profile);
            EXPECT_EQ(prepared.list.profile->key, std::string(given.registerKey));
            EXPECT_EQ(jobs::registerLine(prepared.list), given.report);
            const auto cleaned
                = cleanRows(prepared.list.rows, prepared.mapping, sheet::SheetFormat::large, prepared.tax);
            ASSERT_EQ(cleaned.size(), given.expected.size());
            for (size_t row = 0; row < cleaned.size(); ++row) {
                SCOPED_TRACE(row + 1);
                EXPECT_FALSE(cleaned[row].refused()) << cleaned[row].summary().toStdString();
                EXPECT_EQ(tagText(cleaned[row].record), tagText(given.expected[row]));
                EXPECT_EQ(cleaned[row].taxRatePercent, given.rates[row]);
            }
        }
    }
}

TEST(PrepareList, TaxCodesNothingExplainsStopTheImport)
{
    const QByteArray codes = QStringLiteral("JANコード,商品名,売価,税区分\r\n4901234567894,水,98,0\r\n"
                                            "4500000000018,洗剤,1722,1\r\n,切手,84,2\r\n")
                                 .toUtf8();
    const testfiles::RegisterExport smaregi = testfiles::registerExports().front();
    testfiles::RegisterExport unknownCode = smaregi;
    unknownCode.rows.front().last() = QStringLiteral("3");
    const auto request = [](RegisterChoice choice, const QString& taxCodes = {}) {
        jobs::ImportRequest out;
        out.read.registerChoice = choice;
        out.tax.codes = parseTaxCodesArgument(taxCodes).value_or(std::vector<TaxCode> {});
        return out;
    };
    const RegisterChoice detect {RegisterChoice::Mode::detect};
    const struct {
        const char* name;
        QByteArray bytes;
        jobs::ImportRequest request;
        QStringList said;  // empty: prepared
    } rows[] {
        {"codes of no register",
         codes,
         request(detect),
         {"税区分の列「税区分」の値 0, 1, 2 が", "読めない値: 1, 2", "--tax-codes 0=…,1=…,2=…"}},
        {"a register's export read as any list",
         smaregi.bytes(),
         request({}),
         {"「税区分」の値 0, 1, 2", "--register"}},
        {"a code the register's page does not name", unknownCode.bytes(), request(detect), {"読めない値: 3)"}},
        {"the codes given", codes, request(detect, QStringLiteral("0=税込,1=税抜,2=非課税")), {}},
        {"a column of words with one odd value", testfiles::registerLists()[3].bytes, request(detect), {}},
        {"another register's export",
         smaregi.bytes(),
         request({RegisterChoice::Mode::forced, registerProfileOfKey(QStringLiteral("airregi"))}),
         {"Airレジの商品データとして読めません", "適用税率"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto file = test_support::preparedFile(QStringLiteral("list.csv"), row.bytes, row.request);
        EXPECT_EQ(file.status, row.said.isEmpty() ? jobs::ImportStatus::done : jobs::ImportStatus::unreadable);
        for (const QString& part : row.said) {
            EXPECT_TRUE(file.problem.contains(part)) << file.problem.toStdString();
        }
    }
}

}  // namespace
