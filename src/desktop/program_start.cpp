#include "desktop/program_start.h"

#include "build_config.h"
#include "core/files/sheet_file.h"
#include "core/sheet/tag_sheet.h"
#include "desktop/dialogs/dialogs.h"
#include "desktop/editor/editor_window.h"
#include "desktop/launcher/launcher_window.h"
#include "desktop/window_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace desktop {

ProgramArguments parseProgramArguments(const QStringList& arguments)
{
    using Action = ProgramArguments::Action;
    const QStringList args = arguments.mid(1);
    const qsizetype end = args.indexOf(QStringLiteral("--"));
    const QStringList options = end < 0 ? args : args.mid(0, end);
    for (const QString& a : options) {
        if (a == QStringLiteral("-h") || a == QStringLiteral("--help")) {
            return {Action::help, {}, {}};
        }
    }
    for (const QString& a : options) {
        if (a == QStringLiteral("-v") || a == QStringLiteral("--version")) {
            return {Action::version, {}, {}};
        }
    }

    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i == end) {
            continue;
        }
        if ((end < 0 || i < end) && a.startsWith(u'-') && a != QStringLiteral("-")) {
            return {Action::usageError, {}, QStringLiteral("unknown option %1").arg(a)};
        }
        files << a;
    }
    if (files.size() > 1) {
        return {Action::usageError, {}, QStringLiteral("give at most one sheet file")};
    }
    if (files.isEmpty()) {
        return {};
    }
    QString path = files.front();
    if (path.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        const QUrl url(path);
        // A file on another host ("file://server/...") is not one that this program can open.
        const bool otherHost = !url.host().isEmpty() && url.host() != QStringLiteral("localhost");
        if (!url.isLocalFile() || otherHost) {
            return {Action::usageError, {}, QStringLiteral("not a local file: %1").arg(path)};
        }
        path = url.adjusted(QUrl::RemoveAuthority).toLocalFile();
    }
    if (path.isEmpty()) {
        return {Action::usageError, {}, QStringLiteral("the sheet file name is empty")};
    }
    return {Action::run, QDir::cleanPath(QFileInfo(path).absoluteFilePath()), {}};
}

QString programHelpText()
{
    return QStringLiteral(
        "Usage: tanafuda [FILE.csv]\n"
        "\n"
        "Designs and prints shelf price tags: 24 large (6 x 3 cm) or 40 small (3 x 3 cm) tags on one\n"
        "A4 page, with JAN barcodes.\n"
        "\n"
        "Without a file the launcher opens. With a sheet file, the editor of its format (large or\n"
        "small tags) opens with the file loaded.\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this text and end\n"
        "  -v, --version  show the version and end\n"
        "\n"
        "See tanafuda(1), tanafuda-render(1) and the user guide.\n");
}

QString programVersionText()
{
    return QStringLiteral("tanafuda %1\n").arg(QString::fromLatin1(build_config::kVersion));
}

QWidget* startWithSheetFile(const QString& path, desktop::Dialogs& dialogs)
{
    const sheet::SheetFormat* format = files::sheetFormatOfFile(path);
    sheet::TagSheet probe(format ? *format : sheet::SheetFormat::large);
    const files::ReadResult read = files::readSheetFile(probe, path);
    if (!format || !read.loaded()) {
        dialogs.message(nullptr, read.message, read.title, desktop::MessageIcon::stop, desktop::MessageButtons::ok);
        return showLauncher();
    }
    EditorWindow* editor = showEditor(*format);
    // The file was read a moment ago; should it have changed meanwhile, the editor reports it as
    // its Open command would and stays with an empty sheet.
    editor->loadSheetFile(path);
    return editor;
}

}  // namespace desktop
