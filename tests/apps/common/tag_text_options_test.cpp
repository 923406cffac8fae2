// The options of the tags' extra texts, over what the settings file chooses.

#include "apps/common/tag_text_options.h"

#include "core/settings/tag_text_settings.h"
#include "support/file_bytes.h"

#include <QCommandLineParser>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Row {
    const char* name;
    QStringList arguments;
    bool unit, tax, mark;
    bool usageProblem;
};

TEST(TagTextOptions, OptionsOverTheSettings)
{
    // The settings turn the unit price on with the mark 軽 and a base of their own.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
    ASSERT_TRUE(test_support::writeFileBytes(path, "[tag-texts]\nunit-price=true\nmark=軽\nunit-base=100g\n"));
    const settings::TagTextSettings settings {settings::SettingsStore(path)};
    const Row rows[] = {
        {"the settings alone", {}, true, false, false, false},
        {"a list", {QStringLiteral("--tag-texts"), QStringLiteral("taxfree,mark")}, false, true, true, false},
        {"blanks around words",
         {QStringLiteral("--tag-texts"), QStringLiteral(" unit , mark ")},
         true,
         false,
         true,
         false},
        {"none", {QStringLiteral("--no-tag-texts")}, false, false, false, false},
        {"an unknown word", {QStringLiteral("--tag-texts"), QStringLiteral("unit,price")}, true, false, false, true},
        {"an empty list", {QStringLiteral("--tag-texts"), QStringLiteral("")}, true, false, false, true},
        {"both options",
         {QStringLiteral("--tag-texts"), QStringLiteral("unit"), QStringLiteral("--no-tag-texts")},
         true,
         false,
         false,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QCommandLineParser parser;
        for (const command_line::OptionRow& option : command_line::tagTextRows()) {
            QCommandLineOption o(option.names, option.description, option.valueName);
            parser.addOption(o);
        }
        ASSERT_TRUE(parser.parse(QStringList {QStringLiteral("prog")} + row.arguments));
        sheet::TagTextChoices choices;
        choices.unitPrice = true;  // what a refused option leaves alone
        QStringList warnings;
        const auto problem = command_line::readTagTextOptions(
            parser, settings, [&warnings](const QString& w) { warnings << w; }, choices);
        EXPECT_EQ(problem.has_value(), row.usageProblem);
        EXPECT_EQ(choices.unitPrice, row.unit);
        EXPECT_EQ(choices.taxExclusive, row.tax);
        EXPECT_EQ(choices.reducedRateMark, row.mark);
        if (!row.usageProblem) {
            // What the options do not name stays the settings'.
            EXPECT_EQ(choices.markText, QStringLiteral("軽"));
            EXPECT_EQ(choices.unitBase, QStringLiteral("100g"));
        }
        EXPECT_TRUE(warnings.isEmpty());
    }
}

}  // namespace
