// tanafuda-catalogue: the shop's product catalogue from the command line. It takes the register's
// product lists in, tells which shelf tags need printing or taking down, prints those in shelf
// order and records each print until the user confirms that its sheets came out right, and checks
// the tags on the shelves against the codes a scanner read there. Each
// subcommand is a function of its own (catalogue_command.h), over the catalogue's jobs.

#include "apps/catalogue/catalogue_command.h"
#include "apps/common/command_line.h"
#include "apps/common/program_start.h"

#include <functional>
#include <map>

using namespace catalogue_command;
using command_line::say;

namespace {

const QString kSubcommands
    = QStringLiteral("Subcommands:\n"
                     "  import LIST [--partial]   take a product list into the catalogue\n"
                     "  status                    counts of new, changed and take-down tags, and pending prints\n"
                     "  changes                   one line per product whose tag needs printing\n"
                     "  print (-o DIR | --pdf FILE | --print)   print the tags that need printing, in shelf order\n"
                     "  confirm PRINT [--failed]  say that a print came out right (or did not)\n"
                     "  takedown [--pdf FILE] [--done]   the tags to take off the shelves, by shelf location\n"
                     "  history CODE              a product's price history, the prints of its tag, its offers\n"
                     "  offers                    the sale offers with their dates, counts and state\n"
                     "  offer import LIST --name NAME --from DATE --to DATE [--hours HH:MM-HH:MM]\n"
                     "                            take a list of sale prices in as an offer (特売)\n"
                     "  offer show N              one offer with its products and former prices\n"
                     "  offer end N --on DATE     end an offer early\n"
                     "  check (--location LOC [--to LOC] | --all) [SCANS]\n"
                     "                            check the shelf tags against the codes a scanner read there\n"
                     "  checks [N]                the shelf checks kept, or one with its results\n"
                     "  restore [COPY] [--list]   put a daily copy back in place of a damaged catalogue\n"
                     "Run tanafuda-catalogue SUBCOMMAND --help for its options.\n");

}  // namespace

int main(int argc, char* argv[])
{
    const auto app = command_line::startProgram(argc, argv, kProgram);
    static const std::map<QString, std::function<int(const QStringList&)>> subcommands {
        {QStringLiteral("import"), runImport},   {QStringLiteral("status"), runStatus},
        {QStringLiteral("changes"), runChanges}, {QStringLiteral("print"), runPrint},
        {QStringLiteral("confirm"), runConfirm}, {QStringLiteral("takedown"), runTakedown},
        {QStringLiteral("history"), runHistory}, {QStringLiteral("offers"), runOffers},
        {QStringLiteral("offer"), runOffer},     {QStringLiteral("check"), runCheck},
        {QStringLiteral("checks"), runChecks},   {QStringLiteral("restore"), runRestore}};
    QStringList arguments = QCoreApplication::arguments();
    const QString first = arguments.value(1);
    const QString overview
        = QStringLiteral("Usage: %1 SUBCOMMAND [options]\n"
                         "The shop's product catalogue: which shelf tags need printing, in shelf order.\n\n")
              .arg(kProgram)
        + kSubcommands;
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        say(stdout, overview);
        return kDone;
    }
    if (first == QLatin1String("--version")) {
        say(stdout, QStringLiteral("%1 %2\n").arg(kProgram, QCoreApplication::applicationVersion()));
        return kDone;
    }
    const auto it = subcommands.find(first);
    if (it == subcommands.end()) {
        say(stderr,
            QStringLiteral("%1: %2\n\n")
                    .arg(kProgram,
                         first.isEmpty() ? QStringLiteral("no subcommand given")
                                         : QStringLiteral("unknown subcommand \"%1\"").arg(first))
                + overview);
        return kUsage;
    }
    QCoreApplication::setApplicationName(kProgram + u' ' + first);
    arguments.removeAt(1);
    return it->second(arguments);
}
