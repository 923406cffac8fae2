#include "apps/catalogue/catalogue_command.h"

#include "apps/common/command_line.h"
#include "apps/common/list_options.h"
#include "core/catalogue/store/database.h"
#include "core/jobs/catalogue_import.h"
#include "core/pricing/shop_time.h"
#include "core/settings/catalogue_address_setting.h"

#include <QDir>
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

std::optional<catalogue::CatalogueAddress> Command::address(Use use, int* exit) const
{
    QString error;
    if (isSet("database")) {
        const auto given = catalogue::parseCatalogueAddress(value("database"), &error);
        if (!given) {
            *exit = usage(error);
        }
        return given;
    }
    const settings::CatalogueAddressSetting setting;
    QString problem;
    const QString named = setting.catalogueAddress(&problem);
    if (!problem.isEmpty()) {
        if (use != Use::read) {
            // The shop may keep its catalogue elsewhere: writing to the default one instead would
            // leave this PC on a catalogue of its own.
            *exit = failWith(QStringLiteral("設定ファイル %1 が壊れているか読めないため、どの商品マスタに書き込むのか"
                                            "分かりません。何も書き込みません。--database で商品マスタを指定するか、"
                                            "設定ファイルを直してください。")
                                 .arg(QDir::toNativeSeparators(setting.store().path())),
                             kUnreadable);
            return std::nullopt;
        }
        say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, problem));
    }
    const auto given = catalogue::parseCatalogueAddress(named, &error);
    if (!given) {
        *exit
            = failWith(QStringLiteral("設定ファイル %1 の [catalogue] database= が使えません。何も読み書きしません: %2")
                           .arg(QDir::toNativeSeparators(setting.store().path()), error),
                       kUnreadable);
    }
    return given;
}

std::unique_ptr<catalogue::Catalogue> Command::open(Use use, int* exit) const
{
    const auto address = this->address(use, exit);
    if (!address) {
        return nullptr;
    }
    catalogue::OpenOptions options;
    options.create = use == Use::create || use == Use::createAfresh;
    options.afresh = use == Use::createAfresh;
    options.readOnly = use == Use::read;
    options.check = true;
    catalogue::Result outcome;
    auto opened = catalogue::Catalogue::open(*address, options, &outcome);
    if (opened && use == Use::read && opened->schemaVersion() < catalogue::database::kSchemaVersion) {
        // A catalogue of an earlier version is brought up to date once, by whoever may write it.
        opened.reset();
        options.readOnly = false;
        opened = catalogue::Catalogue::open(*address, options, &outcome);
        if (!opened && outcome.status == catalogue::Status::unwritable) {
            outcome
                = {catalogue::Status::failed,
                   QStringLiteral("商品マスタ %1 は前の版の形のままで、この版では読めません。書き込みのできる利用者が"
                                  "一度 tanafuda-catalogue status を実行すると新しい形になります (%2)")
                       .arg(address->display(), outcome.message)};
        }
    }
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

std::optional<CatalogueAt> openAsOf(const Command& command, Command::Use use, int* exit)
{
    auto opened = command.open(use, exit);
    if (!opened) {
        return std::nullopt;
    }
    const std::optional<catalogue::Moment> at = asOfMoment(command, exit);
    if (!at) {
        return std::nullopt;
    }
    return CatalogueAt {std::move(opened), *at};
}

std::optional<int> readNamedList(const Command& command, settings::RememberedLayouts& layouts,
                                 jobs::ImportRequest& request, jobs::PreparedList& prepared)
{
    request.listPath = command.positional().front();
    if (const auto problem = command_line::readListOptions(command.parser, jobs::catalogueColumnKeys(), request)) {
        return command.usage(*problem);
    }
    // The choices remembered for each list layout are kept in the settings file.
    request.memory = &layouts;
    QString problem;
    switch (jobs::prepareList(request, sheet::SheetFormat::small, prepared, &problem)) {
    case jobs::ImportStatus::unreadable:
        return failWith(problem, kUnreadable);
    case jobs::ImportStatus::unknownColumn:
        return command.usage(problem);
    default:
        return std::nullopt;
    }
}

}  // namespace catalogue_command
