// tanafuda-catalogue status, changes, takedown and history: what the catalogue says, as lines or
// JSON.

#include "apps/catalogue/catalogue_command.h"
#include "apps/catalogue/catalogue_output.h"
#include "apps/common/command_line.h"
#include "core/files/careful_write.h"
#include "core/jobs/catalogue_print.h"
#include "output/takedown_checklist.h"

#include <QDate>
#include <QDir>
#include <QJsonArray>

#include <algorithm>

namespace catalogue_command {

using command_line::say;

namespace {

// How far ahead status looks for the days on which tags change.
constexpr int kComingDays = 14;

// Says `needs` as lines or JSON.
void sayNeeds(const Command& command, const std::vector<catalogue::TagNeed>& needs)
{
    if (command.json()) {
        QJsonArray array;
        for (const catalogue::TagNeed& need : needs) {
            array.append(catalogue::output::needJson(need));
        }
        sayJson({{QStringLiteral("products"), array}});
    } else {
        QString text;
        for (const catalogue::TagNeed& need : needs) {
            text += catalogue::output::needLine(need) + u'\n';
        }
        say(stdout, text);
    }
}

}  // namespace

int runStatus(const QStringList& arguments)
{
    Command command({QStringLiteral("Counts the tags that need printing or taking down, lists the prints not yet "
                                    "confirmed, names the days of the next two weeks on which tags change and says "
                                    "when each shelf location was last checked."),
                     {},
                     {},
                     {},
                     {asOfRow()}});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    if (!command.positional().isEmpty()) {
        return command.usage(QStringLiteral("status takes no arguments"));
    }
    int exit = kDone;
    auto openedAt = openAsOf(command, Command::Use::read, &exit);
    if (!openedAt) {
        return exit;
    }
    const auto& [opened, at] = *openedAt;
    catalogue::Result outcome;
    const catalogue::StatusCounts counts = opened->statusAt(at, &outcome);
    const std::vector<catalogue::PrintInfo> pending
        = outcome.ok() ? opened->prints(true, &outcome) : std::vector<catalogue::PrintInfo> {};
    // What is coming, day by day, for the next two weeks.
    const std::vector<catalogue::ComingEvent> events
        = outcome.ok() ? opened->comingEvents(at, kComingDays, &outcome) : std::vector<catalogue::ComingEvent> {};
    // When each location was last checked with the scanner.
    const std::vector<catalogue::LocationCheck> checked
        = outcome.ok() ? opened->lastChecks(at, &outcome) : std::vector<catalogue::LocationCheck> {};
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    if (command.json()) {
        QJsonObject json = catalogue::output::statusJson(counts, pending, events);
        json.insert(QStringLiteral("shelf_checks"), catalogue::output::lastChecksJson(checked));
        sayJson(json);
    } else {
        QString text = catalogue::output::statusText(counts, pending, events);
        if (!checked.empty()) {
            text += QStringLiteral("棚チェック:\n") + catalogue::output::lastChecksText(checked);
        }
        say(stdout, text);
    }
    return kDone;
}

int runChanges(const QStringList& arguments)
{
    Command command({QStringLiteral("Lists the products whose tag needs printing (new, or changed since the tag on the "
                                    "shelf was printed), in shelf order, with what changed, now or at the moment "
                                    "--as-of gives."),
                     {},
                     {},
                     {},
                     {asOfRow()}});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    int exit = kDone;
    auto openedAt = openAsOf(command, Command::Use::read, &exit);
    if (!openedAt) {
        return exit;
    }
    const auto& [opened, at] = *openedAt;
    catalogue::Result outcome;
    std::vector<catalogue::TagNeed> needs = opened->tagNeedsAt(at, false, &outcome);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    std::erase_if(needs, [](const catalogue::TagNeed& need) { return need.kind == catalogue::NeedKind::takeDown; });
    sayNeeds(command, needs);
    return kDone;
}

int runTakedown(const QStringList& arguments)
{
    Command command(
        {QStringLiteral("Lists the tags of discontinued products still on the shelves, by shelf location."),
         {},
         {},
         {},
         {
             {{QStringLiteral("pdf")},
              QStringLiteral("also write a checklist to carry along the shelves"),
              QStringLiteral("FILE")},
             {{QStringLiteral("done")}, QStringLiteral("record that the listed tags have been taken down"), {}},
             asOfRow(),
         }});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    int exit = kDone;
    auto openedAt = openAsOf(command, command.isSet("done") ? Command::Use::write : Command::Use::read, &exit);
    if (!openedAt) {
        return exit;
    }
    const auto& [opened, at] = *openedAt;
    catalogue::Result outcome;
    const std::vector<catalogue::TagNeed> listed = jobs::takedownNeeds(*opened, at, &outcome);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    sayNeeds(command, listed);
    if (command.isSet("pdf")) {
        QByteArray pdf;
        QString error;
        const QString path = command.value("pdf");
        const QString title = QStringLiteral("取り下げる棚札 %1").arg(QDate::currentDate().toString(Qt::ISODate));
        files::FileWriteResult written;
        if (output::drawTakedownChecklist(listed, title, pdf, &error)) {
            written = files::writeFileCarefully(path, pdf);
            error = written.error;
        }
        if (!written.ok) {
            return failWith(QStringLiteral("%1: %2").arg(path, error), kUnwritable);
        }
        if (!command.json()) {
            say(stdout, QStringLiteral("PDF: %1\n").arg(QDir::toNativeSeparators(path)));
        }
    }
    if (command.isSet("done")) {
        if (const catalogue::Result recorded = jobs::recordTakedowns(*opened, listed); !recorded.ok()) {
            return failWith(recorded);
        }
        if (!command.json()) {
            say(stdout, QStringLiteral("取り下げ済みにしました: %1 枚\n").arg(listed.size()));
        }
    }
    return kDone;
}

int runHistory(const QStringList& arguments)
{
    Command command({QStringLiteral("Shows a product's price history and the prints of its tag."),
                     QStringLiteral("CODE"),
                     QStringLiteral("the product's JAN code or product code"),
                     {},
                     {}});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    if (command.positional().size() != 1) {
        return command.usage(QStringLiteral("give exactly one product code"));
    }
    int exit = kDone;
    const auto opened = command.open(Command::Use::read, &exit);
    if (!opened) {
        return exit;
    }
    catalogue::Result outcome;
    const auto history = opened->history(command.positional().front().trimmed(), &outcome);
    if (!history) {
        return failWith(outcome);
    }
    if (command.json()) {
        sayJson(catalogue::output::historyJson(*history));
    } else {
        say(stdout, catalogue::report::historyText(*history));
    }
    return kDone;
}

}  // namespace catalogue_command
