// tanafuda-render: draws a saved tag sheet without opening a window, for batch printing, for
// archiving a page as PDF, PNG or SVG, and as the black-box check of the page drawing.
//
// Exit status: 0 done; 1 usage error; 2 the sheet file was rejected (the reader's message on
// standard error); 3 the output could not be written.

#include "platform/calibration_settings.h"
#include "platform/fonts.h"
#include "platform/page_printing.h"
#include "platform/painter_surface.h"
#include "platform/pdf_print_scaling.h"
#include "print/calibration.h"
#include "platform/recording_surface.h"
#include "render/draw_tag_sheet.h"
#include "sheet/tag_sheet.h"
#include "sheetfile/sheet_file.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSvgGenerator>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

enum Exit { kDone = 0, kUsage = 1, kRejected = 2, kUnwritable = 3 };

constexpr double kA4WidthMm = 210.0;
constexpr double kA4HeightMm = 297.0;

void say(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int usage(const QCommandLineParser& parser, const QString& problem)
{
    say(stderr, QStringLiteral("tanafuda-render: %1\n\n").arg(problem) + parser.helpText());
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
        QStringList row{QString::number(i), r.jan, r.maker, r.productName};
        if (small) {
            row << r.productName2;
        }
        row << r.spec << r.lot << QString::number(r.price);
        out += row.join(u'\t') + u'\n';
    }
    return out;
}

QByteArray listJson(const sheet::TagSheet& sheet)
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
    const QJsonObject doc{{QStringLiteral("format"), small ? QStringLiteral("small") : QStringLiteral("large")},
                          {QStringLiteral("records"), records}};
    return QJsonDocument(doc).toJson(QJsonDocument::Compact) + '\n';
}

// Writes `bytes` to `path`, or to standard output when `path` is empty.
bool writeOut(const QString& path, const QByteArray& bytes, QString& error)
{
    if (path.isEmpty()) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        error = file.errorString();
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
}

bool renderPdf(const sheet::TagSheet& sheet, const QString& path, int dpi, const print::Calibration& calibration,
               QString& error)
{
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            error = probe.errorString();
            return false;
        }
    }
    {
        QPdfWriter writer(path);
        writer.setResolution(dpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setCreator(QStringLiteral("tanafuda-render"));
        platform::drawCalibratedPage(writer, calibration,
                                     [&sheet](platform::Surface& surface) { render::DrawTagSheet(sheet, surface); });
    }
    // Viewers are asked to print it at its actual size.
    return platform::setPrintScalingNone(path, error);
}

bool renderPng(const sheet::TagSheet& sheet, const QString& path, int dpi, const print::Calibration& calibration,
               QString& error)
{
    QImage image(pixels(kA4WidthMm, dpi), pixels(kA4HeightMm, dpi), QImage::Format_RGB32);
    if (image.isNull()) {
        error = QStringLiteral("the page is too large at %1 dpi").arg(dpi);
        return false;
    }
    const int dotsPerMetre = int(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    platform::drawCalibratedPage(image, calibration,
                                 [&sheet](platform::Surface& surface) { render::DrawTagSheet(sheet, surface); });
    if (!image.save(path, "PNG")) {
        error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

bool renderSvg(const sheet::TagSheet& sheet, const QString& path, int dpi, const print::Calibration& calibration,
               QString& error)
{
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            error = probe.errorString();
            return false;
        }
    }
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setResolution(dpi);
    const QSize size(pixels(kA4WidthMm, dpi), pixels(kA4HeightMm, dpi));
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QStringLiteral("FileName  ") + sheet.fileName);
    QPainter painter(&svg);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setWorldTransform(platform::calibrationTransform(calibration, dpi, dpi));
    platform::PainterSurface surface(painter, dpi, dpi);
    render::DrawTagSheet(sheet, surface);
    return true;
}

// The calibration a print job uses: the one given, none, or the one kept for the printer.
print::Calibration printCalibration(const QString& printerName, const std::optional<print::Calibration>& given,
                                    bool none)
{
    if (given) {
        return *given;
    }
    if (none) {
        return {};
    }
    const platform::StoredCalibration stored = platform::CalibrationSettings().load(printerName);
    if (!stored.problem.isEmpty()) {
        say(stderr, QStringLiteral("tanafuda-render: %1 (printing without a calibration)\n").arg(stored.problem));
    }
    return stored.calibration.value_or(print::Calibration{});
}

int printPage(const sheet::TagSheet& sheet, const QString& printerName,
              const std::optional<print::Calibration>& givenCalibration, bool noCalibration)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printerName.isEmpty()) {
        printer.setPrinterName(printerName);
    }
    if (!printer.isValid() || QPrinterInfo::availablePrinters().isEmpty()) {
        say(stderr, QStringLiteral("tanafuda-render: no printer%1 is available\n")
                        .arg(printerName.isEmpty() ? QString() : QStringLiteral(" named ") + printerName));
        return kUnwritable;
    }
    printer.setDocName(QFileInfo(sheet.fileName).fileName());
    const print::Calibration calibration = printCalibration(printer.printerName(), givenCalibration, noCalibration);
    if (!platform::printCalibratedPage(printer, calibration,
                                       [&sheet](platform::Surface& surface) { render::DrawTagSheet(sheet, surface); })) {
        say(stderr, QStringLiteral("tanafuda-render: printing failed\n"));
        return kUnwritable;
    }
    return kDone;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Drawing a page needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tanafuda-render"));
    platform::installFontSubstitutions();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws a saved tag sheet as printed (or as the preview shows it)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("SHEET"), QStringLiteral("the sheet file (large or small format)"));
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("write the page to FILE: PDF, PNG or SVG by its extension"),
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
                                    QStringLiteral("write the drawing operations as JSON lines (to -o FILE or standard output)"));
    const QCommandLineOption listOpt(QStringLiteral("list"), QStringLiteral("print the sheet's records as a table"));
    const QCommandLineOption jsonOpt(QStringLiteral("json"), QStringLiteral("with --list: one JSON document"));
    const QCommandLineOption printOpt(QStringLiteral("print"),
                                      QStringLiteral("print the page on the system printer without a dialog"));
    const QCommandLineOption printerOpt(QStringLiteral("printer"), QStringLiteral("with --print: the printer to use"),
                                        QStringLiteral("NAME"));
    const QCommandLineOption calibrationOpt(
        QStringLiteral("calibration"),
        QStringLiteral("move and scale the whole page: offsets in mm, scales in percent (instead of the printer's own)"),
        QStringLiteral("DX,DY,SX,SY"));
    const QCommandLineOption noCalibrationOpt(QStringLiteral("no-calibration"),
                                              QStringLiteral("with --print: ignore the printer's saved calibration"));
    parser.addOptions({outputOpt, previewOpt, dpiOpt, offsetOpt, borderOpt, nameFontOpt, priceFontOpt, priceSizeOpt,
                       opsOpt, listOpt, jsonOpt, printOpt, printerOpt, calibrationOpt, noCalibrationOpt});

    if (!parser.parse(QCoreApplication::arguments())) {
        return usage(parser, parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        say(stdout, parser.helpText());
        return kDone;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return usage(parser, positional.isEmpty() ? QStringLiteral("no sheet file given")
                                                  : QStringLiteral("give exactly one sheet file"));
    }
    const QString output = parser.value(outputOpt);
    const QString suffix = QFileInfo(output).suffix().toLower();
    const bool ops = parser.isSet(opsOpt);
    const bool list = parser.isSet(listOpt);
    const bool print = parser.isSet(printOpt);
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
    std::optional<print::Calibration> calibration;
    if (parser.isSet(calibrationOpt)) {
        QString problem;
        calibration = print::parseCalibration(parser.value(calibrationOpt), &problem);
        if (!calibration) {
            return usage(parser, QStringLiteral("--calibration: ") + problem);
        }
    }

    const bool preview = parser.isSet(previewOpt);
    int dpi = preview ? 96 : 600;
    if (parser.isSet(dpiOpt)) {
        bool ok = false;
        dpi = parser.value(dpiOpt).toInt(&ok);
        if (!ok || dpi < 24 || dpi > 2400) {
            return usage(parser, QStringLiteral("--dpi takes a whole number from 24 to 2400"));
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

    const QString sheetPath = QFileInfo(positional.front()).absoluteFilePath();
    const sheet::SheetFormat* format = sheetfile::sheetFormatOfFile(sheetPath);
    sheet::TagSheet sheet(format ? *format : sheet::SheetFormat::large);
    const sheetfile::ReadResult read = sheetfile::readSheetFile(sheet, sheetPath);
    if (read.outcome != sheetfile::ReadOutcome::loaded) {
        say(stderr, read.message + u'\n');
        return kRejected;
    }

    if (list) {
        QString error;
        const QByteArray text = parser.isSet(jsonOpt) ? listJson(sheet) : listTable(sheet).toUtf8();
        if (!writeOut(output, text, error)) {
            say(stderr, QStringLiteral("tanafuda-render: %1: %2\n").arg(output, error));
            return kUnwritable;
        }
        return kDone;
    }

    sheet.fileName = sheetPath;
    sheet.outputMode = preview ? QStringLiteral("0") : QStringLiteral("1");
    sheet.printOffsetX = offset.first;
    sheet.printOffsetY = offset.second;
    if (border) {
        sheet.bordered = true;
        sheet.borderColor = *border;
    }
    if (parser.isSet(nameFontOpt)) {
        sheet.nameFont = parser.value(nameFontOpt);
    }
    if (parser.isSet(priceFontOpt)) {
        sheet.priceFont = parser.value(priceFontOpt);
    }
    if (priceSize) {
        sheet.priceFontSize = *priceSize;
    }

    if (print) {
        return printPage(sheet, parser.value(printerOpt), calibration, parser.isSet(noCalibrationOpt));
    }

    QString error;
    bool written = false;
    if (ops) {
        const double twipsPerPixel = 1440.0 / dpi;
        platform::RecordingSurface surface(twipsPerPixel, twipsPerPixel);
        render::DrawTagSheet(sheet, surface);
        written = writeOut(output, surface.toJsonLines(), error);
    } else if (suffix == QStringLiteral("pdf")) {
        written = renderPdf(sheet, output, dpi, calibration.value_or(print::Calibration{}), error);
    } else if (suffix == QStringLiteral("png")) {
        written = renderPng(sheet, output, dpi, calibration.value_or(print::Calibration{}), error);
    } else {
        written = renderSvg(sheet, output, dpi, calibration.value_or(print::Calibration{}), error);
    }
    if (!written) {
        say(stderr, QStringLiteral("tanafuda-render: %1: %2\n").arg(output, error));
        return kUnwritable;
    }
    return kDone;
}
