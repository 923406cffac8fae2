// tanafuda-catalogue check and checks: a shelf check from the codes a batch scanner (or a script)
// read along the shelves, its verdicts by kind, kept in the catalogue; and the checks kept.

#include "apps/catalogue/catalogue_command.h"
#include "apps/catalogue/catalogue_output.h"
#include "apps/common/command_line.h"
#include "core/jobs/shelf_check.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <algorithm>
#include <cstdio>

namespace catalogue_command {

using command_line::say;

namespace {

// The scanner's file (standard input for none or "-"), and the name to give it in messages.
bool readScans(const QString& path, QByteArray* bytes, QString* name, QString* error)
{
    QFile file;
    if (path.isEmpty() || path == QLatin1String("-")) {
        *name = QStringLiteral("標準入力");
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            *error = file.errorString();
            return false;
        }
    } else {
        *name = QDir::toNativeSeparators(path);
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString();
            return false;
        }
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace

int runCheck(const QStringList& arguments)
{
    Command command(
        {QStringLiteral("Checks the tags on the shelves: reads the codes a scanner read along them, one a line or "
                        "LOCATION,CODE a line (the line's location overrides --location), says which tags are "
                        "right, wrong, missing, out of place, unknown or left up after their product was "
                        "discontinued, and keeps the check. Exit status 0 when every tag is right, 4 when "
                        "something is to fix, 2 when the input cannot be read (nothing is kept then)."),
         QStringLiteral("SCANS"),
         QStringLiteral("the scanner's file (default, or -: standard input)"),
         QStringLiteral("[SCANS]"),
         {
             {{QStringLiteral("location")},
              QStringLiteral("the shelf location checked (with --to: the first of a range, in shelf order)"),
              QStringLiteral("LOC")},
             {{QStringLiteral("to")}, QStringLiteral("the last location of the range checked"), QStringLiteral("LOC")},
             {{QStringLiteral("all")}, QStringLiteral("every location is checked"), {}},
             asOfRow(),
         }});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    const QStringList positional = command.positional();
    if (positional.size() > 1) {
        return command.usage(QStringLiteral("give at most one file of scans"));
    }
    if (command.isSet("all") && command.isSet("location")) {
        return command.usage(QStringLiteral("give --location or --all, not both"));
    }
    if (command.isSet("to") && !command.isSet("location")) {
        return command.usage(QStringLiteral("--to needs --location, the first location of the range"));
    }
    if (command.isSet("location") && command.value("location").trimmed().isEmpty()) {
        return command.usage(QStringLiteral("--location needs a location"));
    }
    std::optional<catalogue::CheckPlace> given;
    if (command.isSet("all")) {
        given = catalogue::CheckPlace::all();
    } else if (command.isSet("to")) {
        given = catalogue::CheckPlace::range(command.value("location"), command.value("to"));
    } else if (command.isSet("location")) {
        given = catalogue::CheckPlace::location(command.value("location"));
    }

    // The whole input is read before anything else: an unreadable line keeps nothing.
    QByteArray bytes;
    QString source;
    QString error;
    if (!readScans(positional.value(0), &bytes, &source, &error)) {
        return failWith(QStringLiteral("%1 を読めません: %2").arg(source, error), kUnreadable);
    }
    const jobs::ScanListResult read = jobs::readScanList(bytes);
    if (!read.ok()) {
        return failWith(QStringLiteral("%1 の %2 行目を読めません: %3").arg(source).arg(read.badLine).arg(read.refusal),
                        kUnreadable);
    }
    if (!given) {
        const auto placeless = std::find_if(read.scans.begin(), read.scans.end(),
                                            [](const jobs::ScanLine& scan) { return scan.location.isEmpty(); });
        if (read.scans.empty()) {
            return command.usage(QStringLiteral("give --location LOC or --all: the input names no location"));
        }
        if (placeless != read.scans.end()) {
            return failWith(QStringLiteral("%1 の %2 行目に棚の位置がありません。--location で棚を指定するか、"
                                           "行を「棚の位置,コード」にしてください。")
                                .arg(source)
                                .arg(placeless->line),
                            kUnreadable);
        }
        given = catalogue::CheckPlace::location(read.scans.front().location);
    }

    int exit = kDone;
    auto openedAt = openAsOf(command, Command::Use::write, &exit);
    if (!openedAt) {
        return exit;
    }
    const auto& [opened, at] = *openedAt;
    catalogue::Result outcome;
    const std::unique_ptr<jobs::ShelfCheck> check = jobs::startShelfCheck(*opened, *given, at, &outcome);
    if (!check) {
        return failWith(outcome);
    }
    for (const jobs::ScanLine& scan : read.scans) {
        check->moveTo(scan.location.isEmpty() ? *given : catalogue::CheckPlace::location(scan.location));
        const jobs::ScanVerdict verdict = check->scan(scan.code);
        if (!verdict.failure.ok()) {
            return failWith(verdict.failure);
        }
    }
    catalogue::ShelfCheckRecord record = check->finish();
    if (const catalogue::Result kept = opened->recordCheck(record, &record.id); !kept.ok()) {
        return failWith(kept);
    }

    const int withoutCode = check->productsWithoutCode();
    if (command.json()) {
        QJsonObject json = catalogue::output::checkJson(record);
        json.insert(QStringLiteral("without_code"), withoutCode);
        sayJson(json);
    } else {
        QString text = catalogue::output::checkText(record);
        if (withoutCode > 0) {
            text += QStringLiteral("JAN コードのない商品 %1 品は読み取れないため、「ない」に数えていません。\n")
                        .arg(withoutCode);
        }
        if (record.count(catalogue::CheckVerdict::wrong) + record.count(catalogue::CheckVerdict::missing) > 0) {
            text += QStringLiteral("直す札の印刷: tanafuda-catalogue print --from-check %1 (-o DIR | --pdf FILE | "
                                   "--print)\n")
                        .arg(record.id);
        }
        if (record.count(catalogue::CheckVerdict::leftUp) > 0) {
            text += QStringLiteral("取り下げ忘れの棚札は棚から外してください。\n");
        }
        say(stdout, text);
    }
    return record.needsFixing() ? kToFix : kDone;
}

int runChecks(const QStringList& arguments)
{
    Command command({QStringLiteral("Lists the shelf checks kept, or shows one with its results."),
                     QStringLiteral("CHECK"),
                     QStringLiteral("the number of the check to show"),
                     QStringLiteral("[CHECK]"),
                     {}});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    const QStringList positional = command.positional();
    bool ok = true;
    const qint64 checkId = positional.size() == 1 ? positional.front().toLongLong(&ok) : 0;
    if (positional.size() > 1 || !ok || (positional.size() == 1 && checkId <= 0)) {
        return command.usage(QStringLiteral("give the number of one check, or none"));
    }
    int exit = kDone;
    const auto opened = command.open(Command::Use::read, &exit);
    if (!opened) {
        return exit;
    }
    catalogue::Result outcome;
    if (checkId != 0) {
        const auto check = opened->shelfCheck(checkId, &outcome);
        if (!check) {
            return failWith(outcome);
        }
        if (command.json()) {
            sayJson(catalogue::output::checkJson(*check));
        } else {
            say(stdout, catalogue::output::checkText(*check));
        }
        return kDone;
    }
    const std::vector<catalogue::ShelfCheckRecord> checks = opened->shelfChecks(&outcome);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    if (command.json()) {
        QJsonArray array;
        for (const catalogue::ShelfCheckRecord& check : checks) {
            QJsonObject row = catalogue::output::checkJson(check);
            row.remove(QStringLiteral("entries"));
            row.remove(QStringLiteral("counts"));
            row.remove(QStringLiteral("to_fix"));
            array.append(row);
        }
        sayJson({{QStringLiteral("checks"), array}});
    } else {
        QString text;
        for (const catalogue::ShelfCheckRecord& check : checks) {
            text += catalogue::output::checkListLine(check) + u'\n';
        }
        say(stdout, text.isEmpty() ? QStringLiteral("棚チェックはまだありません\n") : text);
    }
    return kDone;
}

}  // namespace catalogue_command
