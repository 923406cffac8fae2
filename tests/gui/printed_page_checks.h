#pragma once

// Checks of printed pages as files: what a PDF's catalogue says (through the qpdf program, apart
// from the library the programs use), and where marks and barcodes sit on a page image.

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cmath>
#include <optional>

namespace printed {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

inline Run run(const QString& program, const QStringList& args, int timeoutMs = 120000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {-1, {}, QStringLiteral("timed out")};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The document catalogue of a PDF as qpdf shows it, e.g. "<< /Pages 3 0 R /Type /Catalog ... >>",
// with an indirect ViewerPreferences dictionary shown in its place. Empty when qpdf cannot read it.
inline QString pdfCatalogue(const QString& path)
{
    const Run trailer = run(QStringLiteral("qpdf"), {QStringLiteral("--show-object=trailer"), path});
    const QRegularExpressionMatch root = QRegularExpression(QStringLiteral("/Root (\\d+) 0 R")).match(trailer.out);
    if (!root.hasMatch()) {
        return {};
    }
    QString catalogue = run(QStringLiteral("qpdf"), {QStringLiteral("--show-object=") + root.captured(1), path}).out;
    const QRegularExpressionMatch prefs =
        QRegularExpression(QStringLiteral("/ViewerPreferences (\\d+) 0 R")).match(catalogue);
    if (prefs.hasMatch()) {
        const QString dict = run(QStringLiteral("qpdf"), {QStringLiteral("--show-object=") + prefs.captured(1), path}).out;
        catalogue.replace(prefs.captured(0), QStringLiteral("/ViewerPreferences ") + dict.trimmed());
    }
    return catalogue;
}

inline bool asksForActualSize(const QString& pdfPath)
{
    return QRegularExpression(QStringLiteral("/ViewerPreferences\\s*<<[^>]*/PrintScaling\\s*/None"))
        .match(pdfCatalogue(pdfPath))
        .hasMatch();
}

// The page at `dpi` as an image (pdftoppm); null when it could not be made.
inline QImage pageImage(const QString& pdfPath, const QString& pngBase, int dpi)
{
    const Run r = run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                                   QStringLiteral("-singlefile"), pdfPath, pngBase});
    if (r.exitCode != 0) {
        return {};
    }
    return QImage(pngBase + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// Dark in red light: red frames vanish like the paper, black bars and texts stay.
inline bool dark(const QImage& image, int x, int y)
{
    return qRed(image.pixel(x, y)) < 128;
}

inline double pxToMm(double px, int dpi)
{
    return px * 25.4 / dpi;
}

inline int mmToPx(double mm, int dpi)
{
    return int(std::lround(mm * dpi / 25.4));
}

struct Mm {
    double x;
    double y;
};

// The centre of a cross mark near `expected` (within `reachMm`), in millimetres: the middle of
// its upright bar and of its bar across, each found as the columns (rows) that are dark along
// most of the searched square.
inline std::optional<Mm> findCross(const QImage& image, int dpi, Mm expected, double reachMm = 4.0)
{
    const QRect area = QRect(mmToPx(expected.x - reachMm, dpi), mmToPx(expected.y - reachMm, dpi),
                             mmToPx(2 * reachMm, dpi), mmToPx(2 * reachMm, dpi))
                           .intersected(image.rect());
    if (area.isEmpty()) {
        return std::nullopt;
    }
    std::vector<int> columns(size_t(area.width()), 0);
    std::vector<int> rows(size_t(area.height()), 0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (dark(image, x, y)) {
                ++columns[size_t(x - area.left())];
                ++rows[size_t(y - area.top())];
            }
        }
    }
    const auto centre = [](const std::vector<int>& counts, int first) -> std::optional<double> {
        int most = 0;
        for (int c : counts) {
            most = std::max(most, c);
        }
        if (most < 20) {
            return std::nullopt;
        }
        double sum = 0;
        double weight = 0;
        for (size_t i = 0; i < counts.size(); ++i) {
            if (counts[i] >= most * 6 / 10) {
                sum += (double(i) + 0.5) * counts[i];
                weight += counts[i];
            }
        }
        return first + sum / weight;
    };
    const std::optional<double> x = centre(columns, area.left());
    const std::optional<double> y = centre(rows, area.top());
    if (!x || !y) {
        return std::nullopt;
    }
    return Mm{pxToMm(*x, dpi), pxToMm(*y, dpi)};
}

// The top-left corner of the ink inside `areaMm` (left, top, width, height in millimetres): the
// leftmost dark column and the topmost dark row, in millimetres.
inline std::optional<Mm> inkCorner(const QImage& image, int dpi, double leftMm, double topMm, double widthMm,
                                   double heightMm)
{
    const QRect area = QRect(mmToPx(leftMm, dpi), mmToPx(topMm, dpi), mmToPx(widthMm, dpi), mmToPx(heightMm, dpi))
                           .intersected(image.rect());
    int left = area.right() + 1;
    int top = area.bottom() + 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (dark(image, x, y)) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
        }
    }
    if (left > area.right()) {
        return std::nullopt;
    }
    return Mm{pxToMm(left, dpi), pxToMm(top, dpi)};
}

}  // namespace printed
