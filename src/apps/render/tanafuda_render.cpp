// tanafuda-render: draws saved tag sheets without opening a window, one page per sheet, for batch
// printing, for archiving pages as PDF, PNG or SVG, and as the black-box check of the page drawing.
//
// Exit status: 0 done; 1 usage error; 2 a sheet file was rejected (the reader's message on
// standard error) and nothing was drawn; 3 the output could not be written; 4 with
// --skip-rejected, the other sheets were drawn but some were rejected; 5 the output holds its new
// content, but its folder could not be flushed.

#include "apps/common/command_line.h"
#include "apps/common/option_table.h"
#include "apps/common/program_start.h"
#include "apps/common/tag_text_options.h"
#include "apps/render/print_module.h"
#include "build_config.h"
#include "core/calibration/calibration.h"
#include "core/draw/recording_surface.h"
#include "core/files/file_command_texts.h"
#include "core/files/output_file.h"
#include "core/files/sheet_file.h"
#include "core/jobs/printer_calibration.h"
#include "core/jobs/sheet_listing.h"
#include "core/jobs/tag_page.h"
#include "core/settings/printer_calibrations.h"
#include "core/settings/tag_text_settings.h"
#include "core/sheet/tag_sheet.h"
#include "output/fonts.h"
#include "output/sheet_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include <dlfcn.h>

namespace {

enum Exit { kDone = 0, kUsage = 1, kRejected = 2, kUnwritable = 3, kSomeRejected = 4, kUnflushed = 5 };

// Set once an output got its new content but its folder could not be flushed.
bool gUnflushed = false;

// The exit status `status`, or kUnflushed where all was written but a folder was not flushed.
int finished(int status)
{
    return gUnflushed && (status == kDone || status == kSomeRejected) ? kUnflushed : status;
}

// Between the drawing operations of two pages in --ops.
constexpr char kPageSeparator[] = "{\"op\":\"newPage\"}\n";

constexpr double kA4WidthMm = 210.0;
constexpr double kA4HeightMm = 297.0;

using command_line::say;

const command_line::ProgramTable kProgram {
    QStringLiteral("Draws saved tag sheets as printed (or as the preview shows it), one page per sheet.\n"
                   "Several sheets make one PDF document or one print job; PNG and SVG pages are numbered\n"
                   "from the output name (tags.png -> tags-001.png, tags-002.png, ...).\n"
                   "--list writes a tab, a line break and a backslash in a field as \\t, \\n, \\r and \\\\.\n"
                   "Exit status: 0 done, 1 usage error, 2 a sheet was rejected (nothing drawn), 3 an output\n"
                   "could not be written, 4 drawn with --skip-rejected but some sheets were rejected,\n"
                   "5 written, but the folder could not be flushed (a power loss may take the new content away)."),
    QStringLiteral("SHEET"),
    QStringLiteral("sheet files (large or small format, in any mix); - reads standard input"),
    QStringLiteral("SHEET [SHEET ...]"),
    {
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("write the pages to FILE: PDF, PNG or SVG by its extension"),
         QStringLiteral("FILE")},
        {{QStringLiteral("preview")},
         QStringLiteral("draw it as the preview shows it (grid, tag numbers, placeholder)"),
         {}},
        {{QStringLiteral("dpi")},
         QStringLiteral("device resolution of the output (default 600; 96 with --preview)"),
         QStringLiteral("N")},
        {{QStringLiteral("offset")},
         QStringLiteral("print offsets in millimetres, moving the price only (default 0,0)"),
         QStringLiteral("DX,DY")},
        {{QStringLiteral("border")},
         QStringLiteral("draw every tag with the coloured border in this colour"),
         QStringLiteral("RRGGBB")},
        {{QStringLiteral("name-font")},
         QStringLiteral("product-name font face (default ＭＳ 明朝)"),
         QStringLiteral("FACE")},
        {{QStringLiteral("price-font")}, QStringLiteral("price font face (default ＭＳ 明朝)"), QStringLiteral("FACE")},
        {{QStringLiteral("price-size")},
         QStringLiteral("price font size (default 36 large, 28 small)"),
         QStringLiteral("PT")},
        {{QStringLiteral("ops")},
         QStringLiteral("write the drawing operations as JSON lines (to -o FILE or standard output), "
                        "a line {\"op\":\"newPage\"} between two pages"),
         {}},
        {{QStringLiteral("list")},
         QStringLiteral("print the sheets' records as a tab-separated table, fields escaped (see above); with "
                        "several sheets each table follows a line \"# PATH\""),
         {}},
        {{QStringLiteral("json")},
         QStringLiteral("with --list: one JSON document (a JSON array of them for several sheets)"),
         {}},
        {{QStringLiteral("skip-rejected")},
         QStringLiteral("draw the other sheets when some are rejected (exit status 4) instead of none (2)"),
         {}},
        {{QStringLiteral("print")}, QStringLiteral("print the page on the system printer without a dialog"), {}},
        {{QStringLiteral("printer")}, QStringLiteral("with --print: the printer to use"), QStringLiteral("NAME")},
        {{QStringLiteral("calibration")},
         QStringLiteral("move and scale every page: offsets in mm, scales in percent (instead of the printer's own)"),
         QStringLiteral("DX,DY,SX,SY")},
        {{QStringLiteral("no-calibration")},
         QStringLiteral("with --print: ignore the printer's saved calibration"),
         {}},
    }};

// The program's table with the options of the tags' extra texts at its end.
command_line::ProgramTable programTable()
{
    command_line::ProgramTable table = kProgram;
    for (command_line::OptionRow row : command_line::tagTextRows()) {
        table.options.push_back(std::move(row));
    }
    return table;
}

// What the options ask for, checked.
struct Request {
    QStringList sheets;
    QString output;
    QString suffix;  // of the output, lower case
    bool ops = false;
    bool list = false;
    bool json = false;
    bool print = false;
    bool preview = false;
    bool skipRejected = false;
    int dpi = 600;
    std::pair<qint16, qint16> offset {0, 0};
    std::optional<sheet::Colour> border;
    std::optional<QString> nameFont;
    std::optional<QString> priceFont;
    std::optional<qint16> priceSize;
    QString printerName;
    jobs::CalibrationRequest calibration;
    sheet::TagTextChoices tagTexts;  // the settings' choices with --tag-texts / --no-tag-texts over them
};

int pixels(double mm, int dpi)
{
    return int(mm / 25.4 * dpi + 0.5);
}

// "RRGGBB" -> 0x00BBGGRR.
std::optional<sheet::Colour> parseColour(const QString& text)
{
    if (text.size() != 6) {
        return std::nullopt;
    }
    bool ok = false;
    const uint rgb = text.toUInt(&ok, 16);
    if (!ok) {
        return std::nullopt;
    }
    const uint r = (rgb >> 16) & 0xFF;
    const uint g = (rgb >> 8) & 0xFF;
    const uint b = rgb & 0xFF;
    return sheet::Colour(r | (g << 8) | (b << 16));
}

std::optional<std::pair<qint16, qint16>> parseOffset(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 2) {
        return std::nullopt;
    }
    bool okX = false;
    bool okY = false;
    const int dx = parts[0].trimmed().toInt(&okX);
    const int dy = parts[1].trimmed().toInt(&okY);
    if (!okX || !okY || dx < -32768 || dx > 32767 || dy < -32768 || dy > 32767) {
        return std::nullopt;
    }
    return std::make_pair(qint16(dx), qint16(dy));
}

// The request the options make; nothing after a usage error, which is then reported.
std::optional<Request> requestOf(const QCommandLineParser& parser)
{
    const auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    const auto usage = [&](const QString& problem) {
        command_line::sayUsageError(parser, problem);
        return std::nullopt;
    };
    Request r;
    r.sheets = parser.positionalArguments();
    if (r.sheets.isEmpty()) {
        return usage(QStringLiteral("no sheet file given"));
    }
    if (r.sheets.count(QStringLiteral("-")) > 1) {
        return usage(QStringLiteral("standard input (-) can be read only once"));
    }
    r.output = value("output");
    r.suffix = QFileInfo(r.output).suffix().toLower();
    r.ops = isSet("ops");
    r.list = isSet("list");
    r.json = isSet("json");
    r.print = isSet("print");
    r.preview = isSet("preview");
    r.skipRejected = isSet("skip-rejected");
    r.printerName = value("printer");
    if (int(r.ops) + int(r.list) + int(r.print) > 1 || (r.print && !r.output.isEmpty())) {
        return usage(QStringLiteral("choose one of -o FILE, --ops, --list and --print"));
    }
    if (!r.ops && !r.list && !r.print) {
        if (r.output.isEmpty()) {
            return usage(QStringLiteral("nothing to do: give -o FILE, --ops, --list or --print"));
        }
        if (r.suffix != QStringLiteral("pdf") && r.suffix != QStringLiteral("png")
            && r.suffix != QStringLiteral("svg")) {
            return usage(QStringLiteral("the output must end in .pdf, .png or .svg"));
        }
    }
    if (r.json && !r.list) {
        return usage(QStringLiteral("--json goes with --list"));
    }
    if (isSet("printer") && !r.print) {
        return usage(QStringLiteral("--printer goes with --print"));
    }
    if (isSet("calibration") && isSet("no-calibration")) {
        return usage(QStringLiteral("choose one of --calibration and --no-calibration"));
    }
    if ((isSet("calibration") || isSet("no-calibration")) && (r.ops || r.list)) {
        return usage(QStringLiteral("--calibration and --no-calibration go with -o FILE and --print"));
    }
    r.calibration.none = isSet("no-calibration");
    if (isSet("calibration")) {
        QString problem;
        r.calibration.given = calibration::parseCalibration(value("calibration"), &problem);
        if (!r.calibration.given) {
            return usage(QStringLiteral("--calibration: ") + problem);
        }
    }
    const bool png = !r.ops && !r.list && !r.print && r.suffix == QStringLiteral("png");
    r.dpi = r.preview ? 96 : 600;
    if (isSet("dpi")) {
        const std::optional<int> dpi
            = command_line::wholeNumber(parser, QStringLiteral("dpi"), output::kMinDpi, output::kMaxDpi);
        if (!dpi) {
            return usage(
                QStringLiteral("--dpi takes a whole number from %1 to %2").arg(output::kMinDpi).arg(output::kMaxDpi));
        }
        r.dpi = *dpi;
        if (png && r.dpi > output::kMaxPngDpi) {
            return usage(QStringLiteral("--dpi: a PNG page is drawn at %1 dpi at most (at %2 dpi its image "
                                        "would take %3 MB of memory)")
                             .arg(output::kMaxPngDpi)
                             .arg(r.dpi)
                             .arg(qint64(pixels(kA4WidthMm, r.dpi)) * pixels(kA4HeightMm, r.dpi) * 4 / 1000000));
        }
    }
    if (isSet("offset")) {
        const auto offset = parseOffset(value("offset"));
        if (!offset) {
            return usage(QStringLiteral("--offset takes two whole numbers of millimetres, DX,DY"));
        }
        r.offset = *offset;
    }
    if (isSet("border")) {
        r.border = parseColour(value("border"));
        if (!r.border) {
            return usage(QStringLiteral("--border takes a colour as six hexadecimal digits RRGGBB"));
        }
    }
    if (isSet("name-font")) {
        r.nameFont = value("name-font");
    }
    if (isSet("price-font")) {
        r.priceFont = value("price-font");
    }
    if (isSet("price-size")) {
        const std::optional<int> pt = command_line::wholeNumber(parser, QStringLiteral("price-size"), 1, 500);
        if (!pt) {
            return usage(QStringLiteral("--price-size takes a whole number of points from 1 to 500"));
        }
        r.priceSize = qint16(*pt);
    }
    if (!r.list) {
        const auto problem = command_line::readTagTextOptions(
            parser, settings::TagTextSettings(),
            [](const QString& warning) { say(stderr, QStringLiteral("tanafuda-render: %1\n").arg(warning)); },
            r.tagTexts);
        if (problem) {
            return usage(*problem);
        }
    }
    // An output must never replace one of the sheets it is made from (--ops -o SHEET.csv).
    if (!r.output.isEmpty()) {
        const QString target = QFileInfo(r.output).canonicalFilePath();
        for (const QString& argument : r.sheets) {
            if (!target.isEmpty() && argument != QStringLiteral("-")
                && QFileInfo(argument).canonicalFilePath() == target) {
                return usage(
                    QStringLiteral("the output %1 is the sheet file %2: choose another name").arg(r.output, argument));
            }
        }
    }
    return r;
}

// Standard output, with every write and the final flush checked (a full disk, a closed pipe).
bool writeStandardOutput(const QByteArray& bytes, QString& error)
{
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
        || std::fflush(stdout) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

// Writes `bytes` to `path`, or to standard output when `path` is empty; says why not on standard error.
bool deliver(const QString& path, const QByteArray& bytes)
{
    QString error;
    bool ok = false;
    if (path.isEmpty()) {
        ok = writeStandardOutput(bytes, error);
    } else {
        const files::FileWriteResult written = files::writeOutputFile(path, bytes);
        if (written.replacedUnflushed) {
            gUnflushed = true;
            say(stderr, QStringLiteral("tanafuda-render: %1\n").arg(files::unflushedNotice(path, written.error)));
            return true;
        }
        ok = written.ok;
        error = written.error;
    }
    if (!ok) {
        say(stderr,
            QStringLiteral("tanafuda-render: %1: %2\n")
                .arg(path.isEmpty() ? QStringLiteral("standard output") : path, error));
    }
    return ok;
}

// The sheet named by `argument` (`-` is standard input), read once; nothing when it is rejected,
// which is then said on standard error.
std::optional<sheet::TagSheet> readSheet(const QString& argument)
{
    QFile file;
    const bool opened = argument == QStringLiteral("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                        : (file.setFileName(argument), file.open(QIODevice::ReadOnly));
    QString error = opened ? QString() : file.errorString();
    const std::optional<QByteArray> bytes = opened ? files::readSheetBytes(file, &error) : std::nullopt;
    if (!bytes) {
        say(stderr, QStringLiteral("tanafuda-render: %1: %2\n").arg(argument, error));
        return std::nullopt;
    }
    const sheet::SheetFormat* format = files::sheetFormatOf(*bytes);
    sheet::TagSheet loaded(format ? *format : sheet::SheetFormat::large);
    const files::ReadResult read = files::decodeSheet(loaded, *bytes);
    if (!read.loaded()) {
        say(stderr, QStringLiteral("tanafuda-render: %1\n%2\n").arg(argument, read.message));
        return std::nullopt;
    }
    // What the page header names as the sheet's file.
    loaded.fileName
        = argument == QStringLiteral("-") ? QStringLiteral("（標準入力）") : QFileInfo(argument).absoluteFilePath();
    return loaded;
}

// The print module: beside the program (as built), else where it is installed (found from the
// program's folder, so that a package installed under another prefix finds it too).
PrintEntry loadPrintModule(QString& error)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList candidates {
        programDir + u'/' + QLatin1String(kPrintModuleFile),
        QDir::cleanPath(programDir + u'/' + QLatin1String(build_config::kPrintModuleFromBinDir)) + u'/'
            + QLatin1String(kPrintModuleFile),
        QStringLiteral(TANAFUDA_PRINT_MODULE_DIR "/") + QLatin1String(kPrintModuleFile)};
    for (const QString& candidate : candidates) {
        if (!QFileInfo::exists(candidate)) {
            continue;
        }
        // Kept loaded to the end: the printer's plugins live in it.
        void* module = ::dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            error = QString::fromLocal8Bit(::dlerror());
            return nullptr;
        }
        auto entry = reinterpret_cast<PrintEntry>(::dlsym(module, kPrintEntryName));
        if (entry == nullptr) {
            error = QStringLiteral("%1 has no %2").arg(candidate, QLatin1String(kPrintEntryName));
        }
        return entry;
    }
    error = QStringLiteral("%1 is not installed (looked in %2)")
                .arg(QLatin1String(kPrintModuleFile), candidates.join(QStringLiteral(", ")));
    return nullptr;
}

int printSheets(const std::vector<sheet::TagSheet>& sheets, const Request& request)
{
    QString error;
    const PrintEntry print = loadPrintModule(error);
    if (print == nullptr) {
        say(stderr, QStringLiteral("tanafuda-render: cannot print: %1\n").arg(error));
        return kUnwritable;
    }
    QString docName = QFileInfo(sheets.front().fileName).fileName();
    if (sheets.size() > 1) {
        docName += QStringLiteral(" ほか%1枚").arg(sheets.size() - 1);
    }
    const settings::PrinterCalibrations calibrations;
    const bool printed = print(
        request.printerName, docName, int(sheets.size()),
        [&](const QString& printerName) {
            const jobs::ChosenCalibration chosen
                = jobs::chooseCalibration(request.calibration, printerName,
                                          [&](const QString& name) { return calibrations.calibrationFor(name); });
            if (!chosen.warning.isEmpty()) {
                say(stderr, QStringLiteral("tanafuda-render: %1\n").arg(QString(chosen.warning).remove(u'\n')));
            }
            return chosen.calibration;
        },
        [&](int index, QPainter& painter, double dpiX, double dpiY, const calibration::Calibration& calibration) {
            output::drawSheetPage(sheets[size_t(index)], painter, dpiX, dpiY, calibration);
        },
        error);
    if (!printed) {
        say(stderr, QStringLiteral("tanafuda-render: %1\n").arg(error));
        return kUnwritable;
    }
    return kDone;
}

// -o FILE: one PDF document, or numbered PNG or SVG pages.
int drawDocument(const std::vector<sheet::TagSheet>& sheets, const std::vector<int>& positions, const Request& request)
{
    const calibration::Calibration calibration = request.calibration.given.value_or(calibration::Calibration {});
    output::DocumentResult drawn;
    if (request.suffix == QStringLiteral("pdf")) {
        QByteArray pdf;
        drawn = output::drawPdfDocument(sheets, request.dpi, pdf, calibration);
        if (drawn.ok) {
            return deliver(request.output, pdf) ? kDone : kUnwritable;
        }
    } else {
        const auto format = request.suffix == QStringLiteral("png") ? output::PageFormat::png : output::PageFormat::svg;
        const int given = int(request.sheets.size());
        bool written = true;
        drawn = output::drawPageImages(
            sheets, format, request.dpi,
            [&](int index, const QByteArray& bytes, QString& error) {
                if (!deliver(output::numberedPagePath(request.output, positions[size_t(index)], given), bytes)) {
                    written = false;
                    error = QStringLiteral("stopped");
                    return false;
                }
                return true;
            },
            calibration);
        if (!written) {
            return kUnwritable;
        }
        if (drawn.ok) {
            return kDone;
        }
    }
    say(stderr, QStringLiteral("tanafuda-render: %1: %2\n").arg(request.output, drawn.error));
    return kUnwritable;
}

QByteArray operationLines(const std::vector<sheet::TagSheet>& sheets, int dpi)
{
    const double twipsPerPixel = 1440.0 / dpi;
    QByteArray lines;
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (i > 0) {
            lines += kPageSeparator;
        }
        draw::RecordingSurface surface(twipsPerPixel, twipsPerPixel);
        jobs::drawTagPage(output::cutToDrawable(sheets[i]), surface);
        lines += surface.toJsonLines();
    }
    return lines;
}

// The drawing choices of the command line, over each sheet's own.
void applyDrawingChoices(std::vector<sheet::TagSheet>& sheets, const Request& request)
{
    for (sheet::TagSheet& s : sheets) {
        s.outputMode = request.preview ? sheet::OutputMode::preview : sheet::OutputMode::printer;
        s.printOffsetX = request.offset.first;
        s.printOffsetY = request.offset.second;
        if (request.border) {
            s.bordered = true;
            s.borderColor = *request.border;
        }
        s.nameFont = request.nameFont.value_or(s.nameFont);
        s.priceFont = request.priceFont.value_or(s.priceFont);
        s.priceFontSize = request.priceSize.value_or(s.priceFontSize);
        s.textChoices = request.tagTexts;
    }
}

// Says which tags lost which extra text (or could not work out their unit price), one line each,
// naming the sheet file where several are drawn: on standard output, or on standard error where
// standard output carries the drawing.
void sayLeftOutTexts(const std::vector<sheet::TagSheet>& sheets, const Request& request)
{
    FILE* stream = request.ops && request.output.isEmpty() ? stderr : stdout;
    for (const sheet::TagSheet& s : sheets) {
        const QStringList lines = jobs::tagPageLines(jobs::checkTagPage(output::cutToDrawable(s)));
        for (const QString& line : lines) {
            say(stream, sheets.size() > 1 ? QStringLiteral("%1: %2\n").arg(s.fileName, line) : line + u'\n');
        }
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    // Listing records and recording drawing operations need neither fonts nor a paint device:
    // those runs start a plain application, which spares the platform plugin and fontconfig.
    bool needsPainting = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0 || std::strcmp(argv[i], "--ops") == 0) {
            needsPainting = false;
        }
    }
    const auto app = command_line::startProgram(argc, argv, QStringLiteral("tanafuda-render"), needsPainting);

    QCommandLineParser parser;
    if (const std::optional<int> done = command_line::parseArguments(parser, programTable(), kUsage)) {
        return *done;
    }
    const std::optional<Request> request = requestOf(parser);
    if (!request) {
        return kUsage;
    }

    // Every sheet is read and checked before anything is drawn.
    std::vector<sheet::TagSheet> sheets;
    std::vector<int> positions;  // of each loaded sheet among those given, 0-based
    int rejected = 0;
    for (int i = 0; i < request->sheets.size(); ++i) {
        if (std::optional<sheet::TagSheet> loaded = readSheet(request->sheets[i])) {
            sheets.push_back(std::move(*loaded));
            positions.push_back(i);
        } else {
            ++rejected;
        }
    }
    if (sheets.empty() || (rejected > 0 && !request->skipRejected)) {
        if (request->sheets.size() > 1) {
            say(stderr,
                QStringLiteral("tanafuda-render: %1 of %2 sheet files rejected: nothing drawn\n")
                    .arg(rejected)
                    .arg(request->sheets.size()));
        }
        return kRejected;
    }
    const int done = rejected > 0 ? kSomeRejected : kDone;
    if (request->list) {
        return finished(deliver(request->output, jobs::listSheets(sheets, request->json, request->sheets.size() > 1))
                            ? done
                            : kUnwritable);
    }
    applyDrawingChoices(sheets, *request);
    const int status = request->print ? printSheets(sheets, *request)
        : request->ops ? (deliver(request->output, operationLines(sheets, request->dpi)) ? kDone : kUnwritable)
                       : drawDocument(sheets, positions, *request);
    if (status == kDone) {
        sayLeftOutTexts(sheets, *request);
    }
    return finished(status == kDone ? done : status);
}
