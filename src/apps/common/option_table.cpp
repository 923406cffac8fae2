#include "apps/common/option_table.h"

#include "apps/common/command_line.h"

#include <QCoreApplication>

namespace command_line {

std::optional<int> parseArguments(QCommandLineParser& parser, const ProgramTable& table, int usageStatus)
{
    return parseArguments(parser, table, usageStatus, QCoreApplication::arguments());
}

std::optional<int> parseArguments(QCommandLineParser& parser, const ProgramTable& table, int usageStatus,
                                  const QStringList& arguments)
{
    parser.setApplicationDescription(table.description);
    parser.addHelpOption();
    parser.addVersionOption();
    if (!table.argumentName.isEmpty()) {
        parser.addPositionalArgument(table.argumentName, table.argumentDescription, table.argumentSyntax);
    }
    for (const OptionRow& row : table.options) {
        parser.addOption(QCommandLineOption(row.names, row.description, row.valueName));
    }
    if (!parser.parse(arguments)) {
        sayUsageError(parser, parser.errorText());
        return usageStatus;
    }
    if (answeredHelpOrVersion(parser)) {
        return 0;
    }
    return std::nullopt;
}

std::optional<int> wholeNumber(const QCommandLineParser& parser, const QString& option, int min, int max)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace command_line
