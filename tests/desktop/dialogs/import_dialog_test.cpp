// The import dialog alone: every choice it offers changes what the list gives the tags.
#include "desktop/dialogs/import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QStringEncoder>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <functional>

using desktop::ImportDialog;

namespace {

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

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
    const std::vector<ChoiceRow> rows{
        {"defaults: header names, prices without tax", [](ImportDialog&) {}, {"天然水", "洗剤"}, {105, 272}},
        {"prices said to include the tax", [](ImportDialog& d) { pick(d, "priceBasisBox", 0); }, {"天然水", "洗剤"}, {98, 248}},
        {"8 % where the list says none", [](ImportDialog& d) { pick(d, "taxRateBox", 1); }, {"天然水", "洗剤"}, {105, 267}},
        {"rounding up", [](ImportDialog& d) { pick(d, "roundingBox", 2); }, {"天然水", "洗剤"}, {106, 273}},
        {"name from the maker column", [](ImportDialog& d) { pick(d, "map_name", 3); }, {"棚札食品", "棚札日用品"}, {105, 272}},
        {"a row unchecked", [](ImportDialog& d) { d.setChecked(0, false); }, {"洗剤"}, {272}},
        {"no header: the header row refused for its price, the tax basis kept",
         [](ImportDialog& d) {
             d.control<QCheckBox>(QStringLiteral("headerBox"))->setChecked(false);
             pick(d, "map_name", 2);
             pick(d, "map_price", 4);
         },
         {"天然水", "洗剤"}, {107, 272}},
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
    EXPECT_TRUE(shown.contains(QStringLiteral("UTF-8 として読めない文字があります"))) << shown.toStdString();
    encoding->setCurrentIndex(0);
    EXPECT_FALSE(dialog.list().invalidBytes);
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
              QStringLiteral("選んだ商品 30 件 (使えない行 0)。このシートのタグ 20〜24 に 5 件、残り 25 件は別の棚札ファイル 2 枚に保存します"));
    dialog.control<QCheckBox>(QStringLiteral("saveRestBox"))->setChecked(false);
    EXPECT_EQ(summary->text(), QStringLiteral("選んだ商品 30 件 (使えない行 0)。このシートのタグ 20〜24 に 5 件。残り 25 件は入りません"));
    EXPECT_FALSE(dialog.choice().saveRest);
    dialog.control<QCheckBox>(QStringLiteral("saveRestBox"))->setChecked(true);
    dialog.control<QSpinBox>(QStringLiteral("startTagBox"))->setValue(1);
    const ImportDialog::Choice choice = dialog.choice();
    EXPECT_TRUE(choice.saveRest);
    EXPECT_EQ(choice.restFolder, QStringLiteral("/home/shop/棚札"));
    EXPECT_EQ(choice.restBaseName, QStringLiteral("飲料"));
}

}  // namespace
