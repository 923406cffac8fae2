// tanafuda-catalogue restore: the copies an SQLite catalogue keeps of itself (one before the first
// import of each day, the last seven), and putting one back in place of a damaged catalogue.

#include "apps/catalogue/catalogue_command.h"
#include "apps/common/command_line.h"
#include "core/catalogue/store/catalogue_copies.h"
#include "core/catalogue/store/catalogue_storage.h"
#include "core/pricing/shop_time.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace catalogue_command {

using command_line::say;
using namespace catalogue;

namespace {

QJsonObject copyJson(const copies::CopyInfo& copy)
{
    return {{QStringLiteral("file"), copy.path},
            {QStringLiteral("day"), copy.day.toString(Qt::ISODate)},
            {QStringLiteral("taken_at"), copy.takenAt.toUTC().toString(Qt::ISODate)},
            {QStringLiteral("sound"), copy.sound},
            {QStringLiteral("problem"), copy.problem},
            {QStringLiteral("products"), copy.products},
            {QStringLiteral("imports"), copy.imports},
            {QStringLiteral("last_import_at"), copy.lastImportAt},
            {QStringLiteral("last_import_file"), copy.lastImportFile},
            {QStringLiteral("prints"), copy.prints}};
}

// The copy a command line names: a file, or the day it was taken (YYYY-MM-DD); else the newest
// sound one.
std::optional<copies::CopyInfo> chosenCopy(const QString& given, const QString& file)
{
    if (given.isEmpty()) {
        return copies::newestSoundCopy(file);
    }
    const QDate day = QDate::fromString(given, Qt::ISODate);
    const QString path = day.isValid() ? copies::copyFileFor(file, day) : QFileInfo(given).absoluteFilePath();
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    return copies::lookInto(path);
}

}  // namespace

int runRestore(const QStringList& arguments)
{
    Command command(
        {QStringLiteral("Puts a copy of the catalogue back in its place (an SQLite catalogue copies itself before the "
                        "first import of each day and keeps the last seven). Says what the copy holds and what is "
                        "lost since. A catalogue that is not damaged is replaced only with --force, and is moved "
                        "aside, never deleted."),
         QStringLiteral("[COPY]"),
         QStringLiteral("the copy: its file, or the day it was taken as YYYY-MM-DD (default: the newest sound one)"),
         {},
         {
             {{QStringLiteral("list")}, QStringLiteral("list the copies and what each holds; change nothing"), {}},
             {{QStringLiteral("force")}, QStringLiteral("replace a catalogue that is not damaged"), {}},
         }});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    if (command.positional().size() > 1) {
        return command.usage(QStringLiteral("give at most one copy"));
    }
    const bool listing = command.isSet("list");
    int exit = kDone;
    const auto address = command.address(listing ? Command::Use::read : Command::Use::write, &exit);
    if (!address) {
        return exit;
    }
    if (address->kind != CatalogueAddress::Kind::sqlite) {
        return failWith(QStringLiteral("商品マスタのサーバー %1 の控えは、サーバーのバックアップ (pg_dump など) から"
                                       "戻してください。控えを持つのは SQLite のファイルの商品マスタです。")
                            .arg(address->display()),
                        kUsage);
    }
    const QString file = storage::resolvedFile(address->path);
    if (listing) {
        const std::vector<copies::CopyInfo> all = copies::listCopies(file);
        if (command.json()) {
            QJsonArray array;
            for (const copies::CopyInfo& copy : all) {
                array.append(copyJson(copy));
            }
            sayJson({{QStringLiteral("catalogue"), file}, {QStringLiteral("copies"), array}});
            return kDone;
        }
        QString text = all.empty()
            ? QStringLiteral("商品マスタ %1 の控えはありません。\n").arg(QDir::toNativeSeparators(file))
            : QString();
        for (const copies::CopyInfo& copy : all) {
            text += QStringLiteral("%1\t%2\n")
                        .arg(copy.day.toString(Qt::ISODate),
                             copy.sound ? copies::describeCopy(copy) : QStringLiteral("使えません: ") + copy.problem);
        }
        say(stdout, text);
        return kDone;
    }
    const QString given = command.positional().value(0);
    const auto copy = chosenCopy(given, file);
    if (!copy) {
        return failWith(
            given.isEmpty()
                ? QStringLiteral("商品マスタ %1 の使える控えがありません。").arg(QDir::toNativeSeparators(file))
                : QStringLiteral("控え %1 がありません。").arg(given),
            kUnreadable);
    }
    const QString folder = QFileInfo(file).absolutePath();
    if (const QString why = storage::whyFolderNotWritable(folder); !why.isEmpty()) {
        return failWith(QStringLiteral("商品マスタのフォルダー %1 に書き込めないため、控えに戻せません: %2")
                            .arg(QDir::toNativeSeparators(folder), why),
                        kUnwritable);
    }
    const copies::RestoreResult restored = copies::restore(file, *copy, command.isSet("force"));
    switch (restored.status) {
    case copies::RestoreStatus::restored:
        break;
    case copies::RestoreStatus::catalogueSound:
        return failWith(restored.message + QStringLiteral(" それでも戻すときは --force を付けてください。"), kUsage);
    case copies::RestoreStatus::copyUnsound:
        return failWith(restored.message, kUnreadable);
    case copies::RestoreStatus::failed:
        return failWith(restored.message, kUnwritable);
    }
    // Opened once to write: checked, and brought up to this version's schema when the copy is older.
    const auto opened = command.open(Command::Use::write, &exit);
    if (!opened) {
        return exit;
    }
    if (command.json()) {
        sayJson({{QStringLiteral("restored"), copyJson(*copy)},
                 {QStringLiteral("set_aside"), restored.setAside},
                 {QStringLiteral("message"), restored.message}});
    } else {
        say(stdout, restored.message + u'\n');
    }
    return kDone;
}

}  // namespace catalogue_command
