#pragma once

// The command-line programs declare their options as a table: one row per option, in the order
// --help lists them. parseArguments sets a parser up from the table, answers --help and --version,
// and reports a usage error; the main then asks the parser by the options' long names.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace command_line {

struct OptionRow {
    QStringList names;  // as typed after "-" or "--": {"o", "output"}, {"print"}
    QString description;
    QString valueName;  // empty: the option takes no value
};

struct ProgramTable {
    QString description;
    QString argumentName;  // the positional argument: "SHEET"
    QString argumentDescription;
    QString argumentSyntax;  // as --help shows it ("SHEET [SHEET ...]"); empty: the name
    std::vector<OptionRow> options;
};

// Sets `parser` up from `table` and parses the program's arguments (`arguments`, the program's
// name first; by default the process's). Returns the exit status when the program is done
// already: 0 after --help or --version, `usageStatus` after a usage error.
std::optional<int> parseArguments(QCommandLineParser& parser, const ProgramTable& table, int usageStatus);
std::optional<int> parseArguments(QCommandLineParser& parser, const ProgramTable& table, int usageStatus,
                                  const QStringList& arguments);

// The whole number an option was given, within [min, max]; nothing when it is not one.
std::optional<int> wholeNumber(const QCommandLineParser& parser, const QString& option, int min, int max);

}  // namespace command_line
