// The import dialog alone: every choice it offers changes what the list gives the tags.
#include "desktop/dialogs/import_dialog.h"
#include "support/file_bytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStringEncoder>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <functional>

using desktop::ImportDialog;

namespace {

using test_support::cp932;

const QString kList = QStringLiteral("JANコード,品名,メーカー,本体価格,税区分\r\n"
                                     "4901234567894,天然水,棚札食品,98,8%\r\n"
                                     "4500000000018,洗剤,棚札日用品,248,\r\n");

struct ChoiceRow {
    const char* name;
    std::function<void(ImportDialog&)> choose;
    std::vector<QString> names;  // product names of the chosen records
    std::vector<qint32> prices;
};

void pick(ImportDialog& dialog, const char* box, int index)
{
    auto* combo = dialog.control<QComboBox>(QString::fromLatin1(box));
    ASSERT_NE(combo, nullptr) << box;
    combo->setCurrentIndex(index);
}

TEST(ImportDialog, EveryChoiceReachesTheRecords)
{
    const std::vector<ChoiceRow> rows {
        {"defaults: header names, prices without tax", [](ImportDialog&) {}, {"天然水", "洗剤"}, {105, 272}},
        {"prices said to include the tax",
         [](ImportDialog& d) { pick(d, "priceBasisBox", 0); },
         {"天然水", "洗剤"},
         {98, 248}},
        {"8 % where the list says none",
         [](ImportDialog& d) { pick(d, "taxRateBox", 1); },
         {"天然水", "洗剤"},
         {105, 267}},
        {"rounding up", [](ImportDialog& d) { pick(d, "roundingBox", 2); }, {"天然水", "洗剤"}, {106, 273}},
        {"name from the maker column",
         [](ImportDialog& d) { pick(d, "map_name", 3); },
         {"棚札食品", "棚札日用品"},
         {105, 272}},
        {"a row unchecked", [](ImportDialog& d) { d.setChecked(0, false); }, {"洗剤"}, {272}},
        {"no header: the header row refused for its price, the tax basis kept",
         [](ImportDialog& d) {
             d.control<QCheckBox>(QStringLiteral("headerBox"))->setChecked(false);
             pick(d, "map_name", 2);
             pick(d, "map_price", 4);
         },
         {"天然水", "洗剤"},
         {107, 272}},
    };
    sheet::TagSheet sheet(sheet::SheetFormat::large);
    for (const ChoiceRow& row : rows) {
        SCOPED_TRACE(row.name);
        ImportDialog dialog(QStringLiteral("/tmp/list.csv"), cp932(kList), sheet, 5);
        row.choose(dialog);
        const ImportDialog::Choice choice = dialog.choice();
        std::vector<QString> names;
        std::vector<qint32> prices;
        for (const sheet::TagRecord& record : choice.records) {
            names.push_back(record.productName);
            prices.push_back(record.price);
        }
        EXPECT_EQ(names, row.names);
        EXPECT_EQ(prices, row.prices);
        EXPECT_EQ(choice.startTag, 5);
    }
}

TEST(ImportDialog, AWrongEncodingIsSaidAndCanBeUndone)
{
    sheet::TagSheet sheet(sheet::SheetFormat::small);
    ImportDialog dialog(QStringLiteral("/tmp/list.csv"), cp932(kList), sheet, 1);
    auto* encoding = dialog.control<QComboBox>(QStringLiteral("encodingBox"));
    EXPECT_EQ(encoding->itemText(0), QStringLiteral("自動 (Shift_JIS)"));
    encoding->setCurrentIndex(encoding->findText(QStringLiteral("UTF-8")));
    EXPECT_TRUE(dialog.list().invalidBytes);
    QString shown;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        shown += label->text();
    }
    EXPECT_TRUE(shown.contains(QStringLiteral("UTF-8 として読むと文字化けします"))) << shown.toStdString();
    encoding->setCurrentIndex(0);
    EXPECT_FALSE(dialog.list().invalidBytes);
    EXPECT_EQ(dialog.control<QComboBox>(QStringLiteral("taxRateBox"))->currentText(),
              QStringLiteral("税区分の列に従う（ない行は 10%）"));
    EXPECT_EQ(dialog.choice().records.size(), 2u);
}

TEST(ImportDialog, TheSummarySaysWhatFitsAndWhereTheRestGoes)
{
    QString text = QStringLiteral("商品名,売価\n");
    for (int i = 0; i < 30; ++i) {
        text += QStringLiteral("品%1,100\n").arg(i);
    }
    sheet::TagSheet sheet(sheet::SheetFormat::large);
    sheet.fileName = QStringLiteral("/home/shop/棚札/飲料.csv");
    ImportDialog dialog(QStringLiteral("/tmp/list.csv"), text.toUtf8(), sheet, 20);
    auto* summary = dialog.control<QLabel>(QStringLiteral("summaryLabel"));
    EXPECT_EQ(summary->text(),
              QStringLiteral("選んだ商品 30 件 (使えない行 0)。このシートのタグ 20〜24 に 5 件、残り 25 "
                             "件は別の棚札ファイル 2 枚に保存します"));
    dialog.control<QCheckBox>(QStringLiteral("saveRestBox"))->setChecked(false);
    EXPECT_EQ(
        summary->text(),
        QStringLiteral("選んだ商品 30 件 (使えない行 0)。このシートのタグ 20〜24 に 5 件。残り 25 件は入りません"));
    EXPECT_FALSE(dialog.choice().saveRest);
    dialog.control<QCheckBox>(QStringLiteral("saveRestBox"))->setChecked(true);
    dialog.control<QSpinBox>(QStringLiteral("startTagBox"))->setValue(1);
    const ImportDialog::Choice choice = dialog.choice();
    EXPECT_TRUE(choice.saveRest);
    EXPECT_EQ(choice.restFolder, QStringLiteral("/home/shop/棚札"));
    EXPECT_EQ(choice.restBaseName, QStringLiteral("飲料"));
}

// Files that are not a list, or not in an encoding the reader knows: said at the top, and nothing
// goes on the tags unless the user decides otherwise.
TEST(ImportDialog, ATextThatIsNoListOrInAnotherEncodingIsSaid)
{
    const QByteArray binary = QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16).repeated(64);
    QStringEncoder eucJp("EUC-JP");
    ASSERT_TRUE(eucJp.isValid());
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList said;  // at the top
    } rows[] = {
        {"binary", binary, {QStringLiteral("商品リストとして読めません"), QStringLiteral("NUL")}},
        {"EUC-JP",
         eucJp.encode(kList),
         {QStringLiteral("文字コード"), QStringLiteral("Shift_JIS"), QStringLiteral("UTF-8"),
          QStringLiteral("UTF-16LE")}},
    };
    sheet::TagSheet sheet(sheet::SheetFormat::large);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ImportDialog dialog(QStringLiteral("/tmp/list.csv"), row.bytes, sheet, 1);
        QString shown;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            shown += label->text() + u'\n';
        }
        for (const QString& said : row.said) {
            EXPECT_TRUE(shown.contains(said)) << said.toStdString() << "\n" << shown.toStdString();
        }
        EXPECT_TRUE(dialog.choice().records.empty());
        EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->isEnabled());
        // The notes blame the encoding, not the columns.
        auto* table = dialog.control<QTableWidget>(QStringLiteral("rowTable"));
        for (int i = 0; i < table->rowCount(); ++i) {
            const QString note = table->item(i, table->columnCount() - 1)->text();
            EXPECT_TRUE(note.contains(QStringLiteral("文字コード"))) << note.toStdString();
        }
        if (const QByteArray shots = qgetenv("TANAFUDA_SCREENSHOT_DIR"); !shots.isEmpty() && row.bytes != binary) {
            dialog.show();
            EXPECT_TRUE(dialog.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/dialogs-import.png")));
        }
    }
}

}  // namespace

#include "support/layout_memory_fake.h"
#include "support/register_lists.h"

#include <QPushButton>

namespace {

// The dialog's choice with the list's own tax codes given their meaning in their boxes.
std::vector<sheet::TagRecord> chosenWithCodes(ImportDialog& dialog, const std::vector<productlist::TaxCode>& codes)
{
    for (const productlist::TaxCode& code : codes) {
        auto* box = dialog.control<QComboBox>(QStringLiteral("taxCode_") + code.code);
        EXPECT_NE(box, nullptr) << code.code.toStdString();
        if (box) {
            box->setCurrentIndex(box->findData(productlist::taxCodeMeaningKey(code.meaning)));
        }
    }
    return dialog.choice().records;
}

TEST(ImportDialog, RegisterListsOpenWithTheMappingTheyNeed)
{
    for (const testfiles::RegisterList& given : testfiles::registerLists()) {
        SCOPED_TRACE(given.name);
        sheet::TagSheet sheet(*given.format);
        ImportDialog dialog(QStringLiteral("/tmp/") + given.fileName, given.bytes, sheet, 1);
        EXPECT_EQ(dialog.control<QComboBox>(QStringLiteral("map_jan"))->currentIndex(), given.janColumn + 1);
        EXPECT_EQ(dialog.control<QComboBox>(QStringLiteral("map_name"))->currentIndex(), given.nameColumn + 1);
        EXPECT_EQ(dialog.control<QComboBox>(QStringLiteral("map_price"))->currentIndex(), given.priceColumn + 1);
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
        auto* problem = dialog.control<QLabel>(QStringLiteral("mappingProblemLabel"));
        if (given.priceColumn < 0) {
            // No tags at 0 yen unless the user says so.
            EXPECT_FALSE(ok->isEnabled());
            EXPECT_FALSE(problem->isHidden());
            EXPECT_TRUE(problem->text().contains(QStringLiteral("原価"))) << problem->text().toStdString();
            dialog.control<QCheckBox>(QStringLiteral("noPriceBox"))->setChecked(true);
            EXPECT_TRUE(ok->isEnabled());
            EXPECT_EQ(dialog.choice().records.front().price, 0);
            continue;
        }
        EXPECT_TRUE(problem->isHidden());
        EXPECT_EQ(chosenWithCodes(dialog, given.codes), given.expected);
        if (const char* shot = std::getenv("TANAFUDA_IMPORT_DIALOG_SHOT"); shot && given.format->isSmall()) {
            dialog.resize(1100, 640);
            dialog.grab().save(QString::fromLocal8Bit(shot));
        }
    }
}

TEST(ImportDialog, ARememberedLayoutOpensWithItsChoices)
{
    const QString header = QStringLiteral("JANコード,商品名,売価,税込/税抜,税率\r\n");
    const QByteArray thisWeek
        = (header + QStringLiteral("4901234567894,水,98,外税,軽減\r\n,菓子,200,外税,1\r\n")).toUtf8();
    const QByteArray nextWeek
        = (header + QStringLiteral("4500000000018,洗剤,248,外税,標準\r\n,飴,199,外税,1\r\n")).toUtf8();
    testfiles::FakeLayoutMemory memory;
    sheet::TagSheet sheet(sheet::SheetFormat::large);
    {
        ImportDialog dialog(QStringLiteral("/tmp/week1.csv"), thisWeek, sheet, 1, nullptr, &memory);
        EXPECT_FALSE(dialog.openedRemembered());
        EXPECT_TRUE(dialog.control(QStringLiteral("rememberedLabel"))->isHidden());
        pick(dialog, "map_jan", 0);
        pick(dialog, "roundingBox", 2);
        chosenWithCodes(dialog, {{QStringLiteral("1"), {8, false}}});
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    ASSERT_EQ(memory.layouts.size(), 1u);
    ImportDialog dialog(QStringLiteral("/tmp/week2.csv"), nextWeek, sheet, 1, nullptr, &memory);
    EXPECT_TRUE(dialog.openedRemembered());
    auto* said = dialog.control<QLabel>(QStringLiteral("rememberedLabel"));
    EXPECT_FALSE(said->isHidden());
    EXPECT_TRUE(said->text().contains(QStringLiteral("前回選んだ設定"))) << said->text().toStdString();
    EXPECT_EQ(dialog.control<QComboBox>(QStringLiteral("map_jan"))->currentIndex(), 0);
    EXPECT_EQ(dialog.control<QComboBox>(QStringLiteral("roundingBox"))->currentIndex(), 2);
    EXPECT_EQ(dialog.control<QComboBox>(QStringLiteral("taxCode_1"))->currentData().toString(),
              QStringLiteral("excl8"));
    const std::vector<sheet::TagRecord> records = dialog.choice().records;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].jan, QString());
    EXPECT_EQ(records[0].price, (248 * 110 + 99) / 100);  // rounded up
    EXPECT_EQ(records[1].price, (199 * 108 + 99) / 100);

    // Another header is another layout.
    ImportDialog other(QStringLiteral("/tmp/other.csv"), QByteArray("JAN,商品名,売価\n4901234567894,水,98\n"), sheet, 1,
                       nullptr, &memory);
    EXPECT_FALSE(other.openedRemembered());
}

}  // namespace
