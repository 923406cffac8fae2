#include "output/sheet_document.h"

#include "core/jobs/tag_page.h"
#include "output/page_transform.h"
#include "output/painter_surface.h"
#include "output/pdf_print_scaling.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace output {

namespace {

constexpr double kA4WidthMm = 210.0;
constexpr double kA4HeightMm = 297.0;

// Stands in for the title while Qt writes the SVG; replaced by the escaped title afterwards.
constexpr char kTitlePlaceholder[] = "tanafuda-page-title-0f3c9a";

int pixels(double mm, int dpi)
{
    return int(mm / 25.4 * dpi + 0.5);
}

QSize pageSize(int dpi)
{
    return {pixels(kA4WidthMm, dpi), pixels(kA4HeightMm, dpi)};
}

QPageLayout a4Layout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

void cut(QString& text)
{
    if (text.size() > kMaxDrawnTextLength) {
        qsizetype keep = kMaxDrawnTextLength;
        if (text.at(keep - 1).isHighSurrogate()) {
            --keep;  // never half a character
        }
        text.truncate(keep);
    }
}

// Characters XML 1.0 allows in a document.
bool allowedInXml(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

QString escapedForXml(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case U'&':
            out += QLatin1String("&amp;");
            break;
        case U'<':
            out += QLatin1String("&lt;");
            break;
        case U'>':
            out += QLatin1String("&gt;");
            break;
        case U'"':
            out += QLatin1String("&quot;");
            break;
        case U'\'':
            out += QLatin1String("&apos;");
            break;
        default:
            if (allowedInXml(c) && c != 0x9 && c != 0xA && c != 0xD) {
                out += QString::fromUcs4(&c, 1);
            }
        }
    }
    return out;
}

QByteArray encodedPng(const QImage& image, QString& error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(image)) {
        error = writer.errorString();
        return {};
    }
    return bytes;
}

QByteArray drawnSvg(const sheet::TagSheet& sheet, int dpi, const calibration::Calibration& calibration, QString& error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(dpi);
    const QSize size = pageSize(dpi);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QString::fromLatin1(kTitlePlaceholder));
    QPainter painter;
    if (!painter.begin(&svg)) {
        error = QStringLiteral("cannot draw the SVG page");
        return {};
    }
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setWorldTransform(calibrationTransform(calibration, dpi, dpi));
    {
        PainterSurface surface(painter, dpi, dpi);
        jobs::drawTagPage(sheet, surface);
    }
    if (!painter.end()) {
        error = QStringLiteral("cannot finish the SVG page");
        return {};
    }
    return wellFormedSvg(bytes, QStringLiteral("FileName  ") + sheet.fileName);
}

}  // namespace

sheet::TagSheet cutToDrawable(const sheet::TagSheet& sheet)
{
    sheet::TagSheet out = sheet;
    for (sheet::TagRecord& r : out.records) {
        for (QString* text : {&r.jan, &r.maker, &r.productName, &r.productName2, &r.spec, &r.lot}) {
            cut(*text);
        }
    }
    return out;
}

DocumentResult drawPdfDocument(const std::vector<sheet::TagSheet>& sheets, int dpi, QByteArray& pdf,
                               const calibration::Calibration& calibration)
{
    pdf.clear();
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(dpi);
    writer.setPageLayout(a4Layout());
    writer.setCreator(QStringLiteral("tanafuda"));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return {false, QStringLiteral("cannot begin the PDF document")};
    }
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (i > 0 && !writer.newPage()) {
            painter.end();
            return {false, QStringLiteral("cannot add page %1 to the PDF document").arg(i + 1)};
        }
        drawSheetPage(sheets[i], painter, dpi, dpi, calibration);
    }
    if (!painter.end()) {
        return {false, QStringLiteral("cannot finish the PDF document")};
    }
    buffer.close();
    QByteArray marked;
    QString error;
    if (!withPrintScalingNone(pdf, marked, error)) {
        return {false, QStringLiteral("cannot mark the PDF document to print at actual size: ") + error};
    }
    pdf = marked;
    return {true, {}};
}

DocumentResult drawPageImages(const std::vector<sheet::TagSheet>& sheets, PageFormat format, int dpi,
                              const PageSink& sink, const calibration::Calibration& calibration)
{
    if (format == PageFormat::png && dpi > kMaxPngDpi) {
        return {false, QStringLiteral("a PNG page is drawn at %1 dpi at most").arg(kMaxPngDpi)};
    }
    QImage image;
    if (format == PageFormat::png) {
        image = QImage(pageSize(dpi), QImage::Format_RGB32);
        if (image.isNull()) {
            return {false, QStringLiteral("not enough memory for a page at %1 dpi").arg(dpi)};
        }
        const int dotsPerMetre = int(dpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
    }
    for (size_t i = 0; i < sheets.size(); ++i) {
        const sheet::TagSheet drawn = cutToDrawable(sheets[i]);
        QString error;
        QByteArray bytes;
        if (format == PageFormat::png) {
            image.fill(Qt::white);
            {
                QPainter painter;
                if (!painter.begin(&image)) {
                    return {false, QStringLiteral("cannot draw on the page image")};
                }
                painter.setWorldTransform(calibrationTransform(calibration, dpi, dpi));
                PainterSurface surface(painter, dpi, dpi);
                jobs::drawTagPage(drawn, surface);
            }
            bytes = encodedPng(image, error);
        } else {
            bytes = drawnSvg(drawn, dpi, calibration, error);
        }
        if (bytes.isEmpty()) {
            return {false, error};
        }
        if (!sink(int(i), bytes, error)) {
            return {false, error};
        }
    }
    return {true, {}};
}

void drawSheetPage(const sheet::TagSheet& sheet, QPainter& painter, double dpiX, double dpiY,
                   const calibration::Calibration& calibration)
{
    painter.save();
    painter.setWorldTransform(calibrationTransform(calibration, dpiX, dpiY), true);
    {
        PainterSurface surface(painter, dpiX, dpiY);
        jobs::drawTagPage(cutToDrawable(sheet), surface);
    }
    painter.restore();
}

QString numberedPagePath(const QString& path, int index, int pageCount)
{
    if (pageCount <= 1) {
        return path;
    }
    const QString number = QStringLiteral("-%1").arg(index + 1, 3, 10, QLatin1Char('0'));
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot <= slash + 1) {
        return path + number;  // no extension (or a hidden file's leading dot)
    }
    return path.left(dot) + number + path.mid(dot);
}

QByteArray wellFormedSvg(const QByteArray& svg, const QString& title)
{
    QByteArray out;
    out.reserve(svg.size());
    for (const char c : svg) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) {
            continue;  // C0 controls are not allowed anywhere in XML 1.0
        }
        out.append(c);
    }
    // U+FFFE and U+FFFF are not characters of XML either.
    out.replace("\xEF\xBF\xBE", "");
    out.replace("\xEF\xBF\xBF", "");
    const qsizetype at = out.indexOf(kTitlePlaceholder);
    if (at >= 0) {
        out.replace(at, qsizetype(sizeof(kTitlePlaceholder) - 1), escapedForXml(title).toUtf8());
    }
    return out;
}

}  // namespace output
