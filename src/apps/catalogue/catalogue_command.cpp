#include "apps/catalogue/catalogue_command.h"

#include "apps/common/command_line.h"
#include "core/pricing/shop_time.h"
#include "output/settings_file.h"

#include <QJsonDocument>

namespace catalogue_command {

using command_line::say;

int exitOf(catalogue::Status status)
{
    switch (status) {
    case catalogue::Status::none:
        return kDone;
    case catalogue::Status::unwritable:
        return kUnwritable;
    case catalogue::Status::notFound:
        return kUsage;
    default:
        return kUnreadable;
    }
}

int failWith(const catalogue::Result& outcome)
{
    return failWith(outcome.message, exitOf(outcome.status));
}

int failWith(const QString& text, int status)
{
    say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, text));
    return status;
}

void sayJson(const QJsonObject& object)
{
    say(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
}

Command::Command(const command_line::ProgramTable& table) : table_(table)
{
    std::vector<command_line::OptionRow> options {
        {{QStringLiteral("database")},
         QStringLiteral("the catalogue: a file, or postgresql://USER@HOST[:PORT]/DB "
                        "(default: the settings file's [catalogue] database=, else the file in the data folder)"),
         QStringLiteral("URL")},
        {{QStringLiteral("json")}, QStringLiteral("write the result as JSON"), {}},
    };
    options.insert(options.end(), table_.options.begin(), table_.options.end());
    table_.options = std::move(options);
}

bool Command::parse(const QStringList& arguments, int* exit)
{
    if (const std::optional<int> done = command_line::parseArguments(parser, table_, kUsage, arguments)) {
        *exit = *done;
        return false;
    }
    return true;
}

int Command::usage(const QString& problem) const
{
    command_line::sayUsageError(parser, problem);
    return kUsage;
}

std::unique_ptr<catalogue::Catalogue> Command::open(bool create, int* exit) const
{
    QString given = value("database");
    if (!isSet("database")) {
        QString problem;
        given = output::SettingsFile().catalogueAddress(&problem);
        if (!problem.isEmpty()) {
            say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, problem));
        }
    }
    QString error;
    const auto address = catalogue::parseCatalogueAddress(given, &error);
    if (!address) {
        *exit = usage(error);
        return nullptr;
    }
    catalogue::Result outcome;
    auto opened = catalogue::Catalogue::open(*address, {create}, &outcome);
    if (!opened) {
        *exit = failWith(outcome);
    }
    return opened;
}

command_line::OptionRow asOfRow()
{
    return {{QStringLiteral("as-of")},
            QStringLiteral("the moment the tags are for, in the shop's time (default now); a day alone is its start"),
            QStringLiteral("DATE[THH:MM]")};
}

std::optional<catalogue::Moment> asOfMoment(const Command& command, int* exit)
{
    if (!command.isSet("as-of")) {
        return catalogue::Moment::now();
    }
    const pricing::MomentReading read = pricing::readMoment(command.value("as-of"));
    if (!read.moment.isValid()) {
        *exit = command.usage(
            QStringLiteral("--as-of takes DATE or DATE THH:MM (2026-12-16, 2026-12-16T17:00): %1").arg(read.refusal));
        return std::nullopt;
    }
    return catalogue::Moment::of(read.moment);
}

}  // namespace catalogue_command
