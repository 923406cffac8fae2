// tanafuda-render: draws saved tag sheets without opening a window, one page per sheet, for batch
// printing, for archiving pages as PDF, PNG or SVG, and as the black-box check of the page drawing.
//
// Exit status: 0 done; 1 usage error; 2 a sheet file was rejected (the reader's message on
// standard error) and nothing was drawn; 3 the output could not be written; 4 with
// --skip-rejected, the other sheets were drawn but some were rejected.

#include "build_config.h"
#include "apps/common/command_line.h"
#include "core/files/careful_write.h"
#include "output/calibration_settings.h"
#include "output/fonts.h"
#include "output/painter_surface.h"
#include "core/draw/recording_surface.h"
#include "output/sheet_document.h"
#include "apps/common/runtime_folder_warning.h"
#include "core/calibration/calibration.h"
#include "core/draw/draw_tag_sheet.h"
#include "core/sheet/tag_sheet.h"
#include "apps/render/print_module.h"
#include "core/files/sheet_file.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

enum Exit { kDone = 0, kUsage = 1, kRejected = 2, kUnwritable = 3, kSomeRejected = 4 };

// Between the drawing operations of two pages in --ops.
constexpr char kPageSeparator[] = "{\"op\":\"newPage\"}\n";

constexpr double kA4WidthMm = 210.0;
constexpr double kA4HeightMm = 297.0;

using command_line::say;

int usage(const QCommandLineParser& parser, const QString& problem)
{
    command_line::sayUsageError(parser, problem);
    return kUsage;
}

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

// A --list table field: tab, line breaks and the backslash written as \t, \n, \r and \\, so that
// every record stays on one row.
QString escapedField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        case u'\\': out += QLatin1String("\\\\"); break;
        default: out += c;
        }
    }
    return out;
}

QString listTable(const sheet::TagSheet& sheet)
{
    const bool small = sheet.format().hasProductName2;
    QStringList header{QStringLiteral("slot"), QStringLiteral("jan"), QStringLiteral("maker"),
                       QStringLiteral("productName")};
    if (small) {
        header << QStringLiteral("productName2");
    }
    header << QStringLiteral("spec") << QStringLiteral("lot") << QStringLiteral("price");
    QString out = header.join(u'\t') + u'\n';
    for (int i = 1; i <= sheet.tagsPerPage(); ++i) {
        const sheet::TagRecord& r = sheet.record(i);
        QStringList row{QString::number(i), escapedField(r.jan), escapedField(r.maker), escapedField(r.productName)};
        if (small) {
            row << escapedField(r.productName2);
        }
        row << escapedField(r.spec) << escapedField(r.lot) << QString::number(r.price);
        out += row.join(u'\t') + u'\n';
    }
    return out;
}

QJsonObject listJson(const sheet::TagSheet& sheet)
{
    const bool small = sheet.format().hasProductName2;
    QJsonArray records;
    for (int i = 1; i <= sheet.tagsPerPage(); ++i) {
        const sheet::TagRecord& r = sheet.record(i);
        QJsonObject o{{QStringLiteral("slot"), i},
                      {QStringLiteral("jan"), r.jan},
                      {QStringLiteral("maker"), r.maker},
                      {QStringLiteral("productName"), r.productName},
                      {QStringLiteral("spec"), r.spec},
                      {QStringLiteral("lot"), r.lot},
                      {QStringLiteral("price"), r.price}};
        if (small) {
            o.insert(QStringLiteral("productName2"), r.productName2);
        }
        records.append(o);
    }
    return QJsonObject{{QStringLiteral("format"), small ? QStringLiteral("small") : QStringLiteral("large")},
                       {QStringLiteral("records"), records}};
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes all of `bytes` to `fd`; false with errno set when the system refuses.
bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Flushes `fd` to the disk; devices and pipes that cannot be flushed count as flushed.
bool flushToDisk(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno == EINTR) {
            continue;
        }
        return errno == EINVAL || errno == EROFS;
    }
    return true;
}

// Into a device or a FIFO named as the output (/dev/stdout, a pipe to a printer): written where it is.
bool writeInPlace(const QString& path, const QByteArray& bytes, QString& error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    const bool ok = writeAll(fd, bytes) && flushToDisk(fd);
    const int writeError = errno;
    if (::close(fd) != 0 && ok) {
        error = systemError(errno);
        return false;
    }
    if (!ok) {
        error = systemError(writeError);
    }
    return ok;
}

// Every file the renderer writes goes through here. A regular file (or a new one) is written by the
// programs' careful writer, which replaces it only once all of the bytes are there, so that a
// failure leaves an earlier file of the same name as it was. A device or a FIFO named as the
// output is written where it is: it cannot be replaced, and must not be.
bool writeOutputFile(const QString& path, const QByteArray& bytes, QString& error)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (info.isDir()) {
            error = QStringLiteral("is a folder");
            return false;
        }
        return writeInPlace(path, bytes, error);
    }
    const files::WriteOutcome written = files::writeFileCarefully(path, bytes);
    if (!written.ok) {
        error = written.error;
        if (!written.keptCopyPath.isEmpty()) {
            error += QStringLiteral(" (the previous content is kept in %1)").arg(written.keptCopyPath);
        }
    }
    return written.ok;
}

// Standard output, with every write and the final flush checked (a full disk, a closed pipe).
bool writeStandardOutput(const QByteArray& bytes, QString& error)
{
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
        || std::fflush(stdout) != 0) {
        error = systemError(errno);
        return false;
    }
    return true;
}

// Writes `bytes` to `path`, or to standard output when `path` is empty; says why not on standard error.
bool deliver(const QString& path, const QByteArray& bytes)
{
    QString error;
    const bool ok = path.isEmpty() ? writeStandardOutput(bytes, error) : writeOutputFile(path, bytes, error);
    if (!ok) {
        say(stderr, QStringLiteral("tanafuda-render: %1: %2\n")
                        .arg(path.isEmpty() ? QStringLiteral("standard output") : path, error));
    }
    return ok;
}

// The bytes of a sheet file, read once (a FIFO or a pipe can be read only once): `-` is standard
// input. Reading stops just past the largest size a sheet file may have.
std::optional<QByteArray> readSheetBytes(const QString& argument, QString& error)
{
    QFile file;
    const bool opened = argument == QStringLiteral("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                        : (file.setFileName(argument), file.open(QIODevice::ReadOnly));
    if (!opened) {
        error = file.errorString();
        return std::nullopt;
    }
    constexpr qint64 kChunk = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() <= files::kMaxSheetFileBytes) {
        const qsizetype had = bytes.size();
        bytes.resize(had + kChunk);
        const qint64 got = file.read(bytes.data() + had, kChunk);
        if (got < 0) {
            error = file.errorString();
            return std::nullopt;
        }
        bytes.resize(had + got);
        if (got == 0) {
            break;
        }
    }
    return bytes;
}

// The print module: beside the program (as built), else where it is installed (found from the
// program's folder, so that a package installed under another prefix finds it too).
PrintEntry loadPrintModule(QString& error)
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList candidates{programDir + u'/' + QLatin1String(kPrintModuleFile),
                                 QDir::cleanPath(programDir + u'/' + QLatin1String(build_config::kPrintModuleFromBinDir))
                                     + u'/' + QLatin1String(kPrintModuleFile),
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
    error = QStringLiteral("%1 is not installed (looked in %2)").arg(QLatin1String(kPrintModuleFile), candidates.join(QStringLiteral(", ")));
    return nullptr;
}

// The calibration a print job uses: the one given, none, or the one kept for the printer.
calibration::Calibration printCalibration(const QString& printerName, const std::optional<calibration::Calibration>& given,
                                    bool none)
{
    if (given) {
        return *given;
    }
    if (none) {
        return {};
    }
    const output::StoredCalibration stored = output::CalibrationSettings().load(printerName);
    if (!stored.problem.isEmpty()) {
        say(stderr, QStringLiteral("tanafuda-render: %1 (printing without a calibration)\n").arg(stored.problem));
    }
    return stored.calibration.value_or(calibration::Calibration{});
}

int printPages(const std::vector<sheet::TagSheet>& sheets, const QString& printerName,
               const std::optional<calibration::Calibration>& givenCalibration, bool noCalibration)
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
    calibration::Calibration calibration;
    const bool printed = print(
        printerName, docName, int(sheets.size()),
        [&](const QString& chosen) { calibration = printCalibration(chosen, givenCalibration, noCalibration); },
        [&](int index, QPainter& painter, double dpiX, double dpiY) {
            output::drawSheetPage(sheets[size_t(index)], painter, dpiX, dpiY, calibration);
        },
        error);
    if (!printed) {
        say(stderr, QStringLiteral("tanafuda-render: %1\n").arg(error));
        return kUnwritable;
    }
    return kDone;
}

// What the page header names as the sheet's file.
QString headerPath(const QString& argument)
{
    return argument == QStringLiteral("-") ? QStringLiteral("（標準入力）") : QFileInfo(argument).absoluteFilePath();
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
    // Drawing a page needs no display.
    if (needsPainting && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    command_line::hideRuntimeFolderWarning();
    std::unique_ptr<QCoreApplication> app = needsPainting ? std::make_unique<QGuiApplication>(argc, argv)
                                                          : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tanafuda-render"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(build_config::kVersion));
    if (needsPainting) {
        output::installFontSubstitutions();
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws saved tag sheets as printed (or as the preview shows it), one page per sheet.\n"
        "Several sheets make one PDF document or one print job; PNG and SVG pages are numbered\n"
        "from the output name (tags.png -> tags-001.png, tags-002.png, ...).\n"
        "--list writes a tab, a line break and a backslash in a field as \\t, \\n, \\r and \\\\.\n"
        "Exit status: 0 done, 1 usage error, 2 a sheet was rejected (nothing drawn), 3 an output\n"
        "could not be written, 4 drawn with --skip-rejected but some sheets were rejected."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("SHEET"),
                                 QStringLiteral("sheet files (large or small format, in any mix); - reads standard input"),
                                 QStringLiteral("SHEET [SHEET ...]"));
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("write the pages to FILE: PDF, PNG or SVG by its extension"),
                                       QStringLiteral("FILE"));
    const QCommandLineOption previewOpt(QStringLiteral("preview"),
                                        QStringLiteral("draw it as the preview shows it (grid, tag numbers, placeholder)"));
    const QCommandLineOption dpiOpt(QStringLiteral("dpi"),
                                    QStringLiteral("device resolution of the output (default 600; 96 with --preview)"),
                                    QStringLiteral("N"));
    const QCommandLineOption offsetOpt(QStringLiteral("offset"),
                                       QStringLiteral("print offsets in millimetres, moving the price only (default 0,0)"),
                                       QStringLiteral("DX,DY"));
    const QCommandLineOption borderOpt(QStringLiteral("border"),
                                       QStringLiteral("draw every tag with the coloured border in this colour"),
                                       QStringLiteral("RRGGBB"));
    const QCommandLineOption nameFontOpt(QStringLiteral("name-font"),
                                         QStringLiteral("product-name font face (default ＭＳ 明朝)"), QStringLiteral("FACE"));
    const QCommandLineOption priceFontOpt(QStringLiteral("price-font"),
                                          QStringLiteral("price font face (default ＭＳ 明朝)"), QStringLiteral("FACE"));
    const QCommandLineOption priceSizeOpt(QStringLiteral("price-size"),
                                          QStringLiteral("price font size (default 36 large, 28 small)"),
                                          QStringLiteral("PT"));
    const QCommandLineOption opsOpt(QStringLiteral("ops"),
                                    QStringLiteral("write the drawing operations as JSON lines (to -o FILE or standard output), "
                                                   "a line {\"op\":\"newPage\"} between two pages"));
    const QCommandLineOption listOpt(
        QStringLiteral("list"),
        QStringLiteral("print the sheets' records as a tab-separated table, fields escaped (see above); with "
                       "several sheets each table follows a line \"# PATH\""));
    const QCommandLineOption jsonOpt(QStringLiteral("json"),
                                     QStringLiteral("with --list: one JSON document (a JSON array of them for several sheets)"));
    const QCommandLineOption skipRejectedOpt(
        QStringLiteral("skip-rejected"),
        QStringLiteral("draw the other sheets when some are rejected (exit status 4) instead of none (2)"));
    const QCommandLineOption printOpt(QStringLiteral("print"),
                                      QStringLiteral("print the page on the system printer without a dialog"));
    const QCommandLineOption printerOpt(QStringLiteral("printer"), QStringLiteral("with --print: the printer to use"),
                                        QStringLiteral("NAME"));
    const QCommandLineOption calibrationOpt(
        QStringLiteral("calibration"),
        QStringLiteral("move and scale every page: offsets in mm, scales in percent (instead of the printer's own)"),
        QStringLiteral("DX,DY,SX,SY"));
    const QCommandLineOption noCalibrationOpt(QStringLiteral("no-calibration"),
                                              QStringLiteral("with --print: ignore the printer's saved calibration"));
    parser.addOptions({outputOpt, previewOpt, dpiOpt, offsetOpt, borderOpt, nameFontOpt, priceFontOpt, priceSizeOpt,
                       opsOpt, listOpt, jsonOpt, skipRejectedOpt, printOpt, printerOpt, calibrationOpt,
                       noCalibrationOpt});

    if (!parser.parse(QCoreApplication::arguments())) {
        return usage(parser, parser.errorText());
    }
    if (command_line::answeredHelpOrVersion(parser)) {
        return kDone;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        return usage(parser, QStringLiteral("no sheet file given"));
    }
    if (positional.count(QStringLiteral("-")) > 1) {
        return usage(parser, QStringLiteral("standard input (-) can be read only once"));
    }
    const QString output = parser.value(outputOpt);
    const QString suffix = QFileInfo(output).suffix().toLower();
    const bool ops = parser.isSet(opsOpt);
    const bool list = parser.isSet(listOpt);
    const bool print = parser.isSet(printOpt);
    const bool skipRejected = parser.isSet(skipRejectedOpt);
    if (int(ops) + int(list) + int(print) > 1 || (print && !output.isEmpty())) {
        return usage(parser, QStringLiteral("choose one of -o FILE, --ops, --list and --print"));
    }
    if (!ops && !list && !print) {
        if (output.isEmpty()) {
            return usage(parser, QStringLiteral("nothing to do: give -o FILE, --ops, --list or --print"));
        }
        if (suffix != QStringLiteral("pdf") && suffix != QStringLiteral("png") && suffix != QStringLiteral("svg")) {
            return usage(parser, QStringLiteral("the output must end in .pdf, .png or .svg"));
        }
    }
    if (parser.isSet(jsonOpt) && !list) {
        return usage(parser, QStringLiteral("--json goes with --list"));
    }
    if (parser.isSet(printerOpt) && !print) {
        return usage(parser, QStringLiteral("--printer goes with --print"));
    }
    if (parser.isSet(calibrationOpt) && parser.isSet(noCalibrationOpt)) {
        return usage(parser, QStringLiteral("choose one of --calibration and --no-calibration"));
    }
    if ((parser.isSet(calibrationOpt) || parser.isSet(noCalibrationOpt)) && (ops || list)) {
        return usage(parser, QStringLiteral("--calibration and --no-calibration go with -o FILE and --print"));
    }
    std::optional<calibration::Calibration> calibration;
    if (parser.isSet(calibrationOpt)) {
        QString problem;
        calibration = calibration::parseCalibration(parser.value(calibrationOpt), &problem);
        if (!calibration) {
            return usage(parser, QStringLiteral("--calibration: ") + problem);
        }
    }

    const bool preview = parser.isSet(previewOpt);
    const bool png = !ops && !list && !print && suffix == QStringLiteral("png");
    int dpi = preview ? 96 : 600;
    if (parser.isSet(dpiOpt)) {
        bool ok = false;
        dpi = parser.value(dpiOpt).toInt(&ok);
        if (!ok || dpi < output::kMinDpi || dpi > output::kMaxDpi) {
            return usage(parser, QStringLiteral("--dpi takes a whole number from %1 to %2")
                                     .arg(output::kMinDpi)
                                     .arg(output::kMaxDpi));
        }
        if (png && dpi > output::kMaxPngDpi) {
            return usage(parser, QStringLiteral("--dpi: a PNG page is drawn at %1 dpi at most (at %2 dpi its image "
                                                "would take %3 MB of memory)")
                                     .arg(output::kMaxPngDpi)
                                     .arg(dpi)
                                     .arg(qint64(pixels(kA4WidthMm, dpi)) * pixels(kA4HeightMm, dpi) * 4 / 1000000));
        }
    }
    std::pair<qint16, qint16> offset{0, 0};
    if (parser.isSet(offsetOpt)) {
        const auto parsed = parseOffset(parser.value(offsetOpt));
        if (!parsed) {
            return usage(parser, QStringLiteral("--offset takes two whole numbers of millimetres, DX,DY"));
        }
        offset = *parsed;
    }
    std::optional<sheet::Colour> border;
    if (parser.isSet(borderOpt)) {
        border = parseColour(parser.value(borderOpt));
        if (!border) {
            return usage(parser, QStringLiteral("--border takes a colour as six hexadecimal digits RRGGBB"));
        }
    }
    std::optional<qint16> priceSize;
    if (parser.isSet(priceSizeOpt)) {
        bool ok = false;
        const int pt = parser.value(priceSizeOpt).toInt(&ok);
        if (!ok || pt < 1 || pt > 500) {
            return usage(parser, QStringLiteral("--price-size takes a whole number of points from 1 to 500"));
        }
        priceSize = qint16(pt);
    }

    // An output must never replace one of the sheets it is made from (--ops -o SHEET.csv).
    if (!output.isEmpty()) {
        const QString target = QFileInfo(output).canonicalFilePath();
        for (const QString& argument : positional) {
            if (!target.isEmpty() && argument != QStringLiteral("-") && QFileInfo(argument).canonicalFilePath() == target) {
                return usage(parser, QStringLiteral("the output %1 is the sheet file %2: choose another name").arg(output, argument));
            }
        }
    }

    // Every sheet is read and checked before anything is drawn.
    std::vector<sheet::TagSheet> sheets;
    std::vector<int> positions;  // of each loaded sheet among those given, 0-based
    int rejected = 0;
    for (int i = 0; i < positional.size(); ++i) {
        const QString& argument = positional[i];
        QString error;
        const std::optional<QByteArray> bytes = readSheetBytes(argument, error);
        if (!bytes) {
            say(stderr, QStringLiteral("tanafuda-render: %1: %2\n").arg(argument, error));
            ++rejected;
            continue;
        }
        const sheet::SheetFormat* format = files::sheetFormatOf(*bytes);
        sheet::TagSheet loaded(format ? *format : sheet::SheetFormat::large);
        const files::ReadResult read = files::decodeSheet(loaded, *bytes);
        if (!read.loaded()) {
            say(stderr, QStringLiteral("tanafuda-render: %1\n%2\n").arg(argument, read.message));
            ++rejected;
            continue;
        }
        loaded.fileName = headerPath(argument);
        sheets.push_back(std::move(loaded));
        positions.push_back(i);
    }
    if (sheets.empty() || (rejected > 0 && !skipRejected)) {
        if (positional.size() > 1) {
            say(stderr, QStringLiteral("tanafuda-render: %1 of %2 sheet files rejected: nothing drawn\n")
                            .arg(rejected)
                            .arg(positional.size()));
        }
        return kRejected;
    }
    const int done = rejected > 0 ? kSomeRejected : kDone;
    const bool several = positional.size() > 1;

    if (list) {
        QByteArray text;
        if (parser.isSet(jsonOpt)) {
            if (several) {
                QJsonArray documents;
                for (const sheet::TagSheet& s : sheets) {
                    QJsonObject document = listJson(s);
                    document.insert(QStringLiteral("file"), s.fileName);
                    documents.append(document);
                }
                text = QJsonDocument(documents).toJson(QJsonDocument::Compact) + '\n';
            } else {
                text = QJsonDocument(listJson(sheets.front())).toJson(QJsonDocument::Compact) + '\n';
            }
        } else {
            for (const sheet::TagSheet& s : sheets) {
                if (several) {
                    text += QStringLiteral("# %1\n").arg(escapedField(s.fileName)).toUtf8();
                }
                text += listTable(s).toUtf8();
            }
        }
        return deliver(output, text) ? done : kUnwritable;
    }

    for (sheet::TagSheet& s : sheets) {
        s.outputMode = preview ? sheet::OutputMode::preview : sheet::OutputMode::printer;
        s.printOffsetX = offset.first;
        s.printOffsetY = offset.second;
        if (border) {
            s.bordered = true;
            s.borderColor = *border;
        }
        if (parser.isSet(nameFontOpt)) {
            s.nameFont = parser.value(nameFontOpt);
        }
        if (parser.isSet(priceFontOpt)) {
            s.priceFont = parser.value(priceFontOpt);
        }
        if (priceSize) {
            s.priceFontSize = *priceSize;
        }
    }

    if (print) {
        const int printed = printPages(sheets, parser.value(printerOpt), calibration, parser.isSet(noCalibrationOpt));
        return printed == kDone ? done : printed;
    }

    if (ops) {
        const double twipsPerPixel = 1440.0 / dpi;
        QByteArray lines;
        for (size_t i = 0; i < sheets.size(); ++i) {
            if (i > 0) {
                lines += kPageSeparator;
            }
            draw::RecordingSurface surface(twipsPerPixel, twipsPerPixel);
            draw::drawTagSheet(output::cutToDrawable(sheets[i]), surface);
            lines += surface.toJsonLines();
        }
        return deliver(output, lines) ? done : kUnwritable;
    }

    output::DocumentResult drawn;
    if (suffix == QStringLiteral("pdf")) {
        QByteArray pdf;
        drawn = output::drawPdfDocument(sheets, dpi, pdf, calibration.value_or(calibration::Calibration{}));
        if (drawn.ok) {
            return deliver(output, pdf) ? done : kUnwritable;
        }
    } else {
        const auto format = suffix == QStringLiteral("png") ? output::PageFormat::png : output::PageFormat::svg;
        const int given = int(positional.size());
        bool written = true;
        drawn = output::drawPageImages(sheets, format, dpi,
                                         [&](int index, const QByteArray& bytes, QString& error) {
                                             const QString path = output::numberedPagePath(
                                                 output, positions[size_t(index)], given);
                                             if (!deliver(path, bytes)) {
                                                 written = false;
                                                 error = QStringLiteral("stopped");
                                                 return false;
                                             }
                                             return true;
                                         },
                                         calibration.value_or(calibration::Calibration{}));
        if (!written) {
            return kUnwritable;
        }
        if (drawn.ok) {
            return done;
        }
    }
    say(stderr, QStringLiteral("tanafuda-render: %1: %2\n").arg(output, drawn.error));
    return kUnwritable;
}
