// The catalogue print's PDF delivery draws the tags' extra texts chosen for it, or those of the
// settings file (the 商品マスタ window's prints).
#include "output/sheet_delivery.h"

#include "support/file_bytes.h"
#include "support/tag_text_sheets.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    return p.waitForFinished(60000) && p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

TEST(SheetDelivery, ThePdfShowsTheTextsChosenOrTheSettings)
{
    sheet::TagTextChoices unitOnly;
    unitOnly.unitPrice = true;
    struct Row {
        const char* name;
        std::optional<sheet::TagTextChoices> texts;
        QByteArray settings;  // the settings file where the texts are not given
        bool unit, tax;
    };
    const Row rows[] = {
        {"chosen: none", sheet::TagTextChoices {}, "[tag-texts]\nunit-price=true\n", false, false},
        {"chosen: the unit price", unitOnly, {}, true, false},
        {"the settings'", std::nullopt, "[tag-texts]\ntax-exclusive=true\n", false, true},
    };
    const bool hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray configBefore = qgetenv("XDG_CONFIG_HOME");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("tanafuda")));
        ASSERT_TRUE(test_support::writeFileBytes(dir.filePath(QStringLiteral("tanafuda/tanafuda.ini")), row.settings));
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        // The sample's first tag: a sale of 天然水 2L at 98 yen, 8 %.
        std::vector<sheet::TagSheet> sheets {tagtexts::sampleSheet(sheet::SheetFormat::large, {})};
        const QString path = dir.filePath(QStringLiteral("print.pdf"));
        const jobs::DeliveryResult delivered = output::pdfDelivery(path, row.texts)(sheets);
        ASSERT_TRUE(delivered.delivered) << delivered.error.toStdString();
        const QString text = pdfText(path);
        EXPECT_TRUE(text.contains(QStringLiteral("特価")));
        EXPECT_EQ(text.contains(QStringLiteral("1Lあたり")), row.unit);
        EXPECT_EQ(text.contains(QStringLiteral("（税抜")), row.tax);
    }
    if (hadConfig) {
        qputenv("XDG_CONFIG_HOME", configBefore);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
