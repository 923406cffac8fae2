#pragma once

// What the subcommands of tanafuda-catalogue share: the exit statuses, the options every one of
// them takes (--database, --json), opening the catalogue they name, and saying a failure.
//
// Exit status: 0 done; 1 usage error (also an unknown print, product or offer, a mistyped
// --database); 2 a list or the catalogue cannot be read (a damaged file, a server that does not
// answer, another PC's import that holds the catalogue past the wait, a settings file that cannot be
// read when the command would write); 3 an output (a sheet file, the PDF, the print job, or the
// catalogue itself: a read-only file or folder, a full disk) cannot be written; 4 some rows of the
// list refused (or a whole offer, when it would overlap another), or a shelf check found something to
// fix.

#include "apps/common/option_table.h"
#include "core/catalogue/catalogue.h"
#include "core/jobs/import_job.h"
#include "core/settings/remembered_layouts.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace catalogue_command {

enum Exit { kDone = 0, kUsage = 1, kUnreadable = 2, kUnwritable = 3, kSomeRefused = 4, kToFix = 4 };

inline const QString kProgram = QStringLiteral("tanafuda-catalogue");

// The exit status of a catalogue's failure.
int exitOf(catalogue::Status status);
// Says the failure on standard error; its exit status.
int failWith(const catalogue::Result& outcome);
// Says `text` on standard error after the program's name; `status`.
int failWith(const QString& text, int status);
void sayJson(const QJsonObject& object);

// A subcommand's options: those of its table after --database and --json.
class Command {
public:
    explicit Command(const command_line::ProgramTable& table);

    // Reads the arguments; false when the run ends here (a usage error, or --help or --version
    // answered), with its exit status in `exit`.
    bool parse(const QStringList& arguments, int* exit);
    int usage(const QString& problem) const;

    bool json() const { return parser.isSet(QStringLiteral("json")); }
    bool isSet(const char* option) const { return parser.isSet(QLatin1String(option)); }
    QString value(const char* option) const { return parser.value(QLatin1String(option)); }
    QStringList positional() const { return parser.positionalArguments(); }

    // What the subcommand does with the catalogue: only reads it (nothing is written, so a user who
    // may only read it, or a read-only disk, can), writes it, or makes it when there is none (also
    // where copies of an earlier one lie beside it, with createAfresh).
    enum class Use { read, write, create, createAfresh };

    // The catalogue the options or the settings file name; nothing, with the exit status in
    // `exit`, when it cannot be told. A settings file that cannot be read names none: a reading
    // command goes on with the default catalogue after a warning, a writing one stops.
    std::optional<catalogue::CatalogueAddress> address(Use use, int* exit) const;
    // Opens that catalogue for `use`; null, with the exit status in `exit`, when it cannot be.
    std::unique_ptr<catalogue::Catalogue> open(Use use, int* exit) const;

    QCommandLineParser parser;

private:
    command_line::ProgramTable table_;
};

int runImport(const QStringList& arguments);
int runStatus(const QStringList& arguments);
int runChanges(const QStringList& arguments);
int runTakedown(const QStringList& arguments);
int runHistory(const QStringList& arguments);
int runPrint(const QStringList& arguments);
int runConfirm(const QStringList& arguments);
int runRestore(const QStringList& arguments);
int runOffers(const QStringList& arguments);
int runOffer(const QStringList& arguments);
int runCheck(const QStringList& arguments);
int runChecks(const QStringList& arguments);

// The moment --as-of gives (now when not given); nothing, with the usage error's exit status in
// `exit`, when it cannot be read.
std::optional<catalogue::Moment> asOfMoment(const Command& command, int* exit);
// The option row of --as-of.
command_line::OptionRow asOfRow();

// The catalogue opened for `use` and the moment --as-of gives; nothing, with the exit status in
// `exit`, when either cannot be had.
struct CatalogueAt {
    std::unique_ptr<catalogue::Catalogue> catalogue;
    catalogue::Moment at;
};
std::optional<CatalogueAt> openAsOf(const Command& command, Command::Use use, int* exit);

// Reads the one list the command names, with its list options and the layouts the settings file
// remembers (`request.memory` is `layouts` afterwards); the exit status when it cannot be read.
std::optional<int> readNamedList(const Command& command, settings::RememberedLayouts& layouts,
                                 jobs::ImportRequest& request, jobs::PreparedList& prepared);

}  // namespace catalogue_command
