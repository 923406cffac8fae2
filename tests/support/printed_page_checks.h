#pragma once

// Checks of printed pages as files: what a PDF's catalogue says (through the qpdf program, apart
// from the library the programs use), and where marks and barcodes sit on a page image.

#include "core/calibration/calibration.h"
#include "core/sheet/tag_sheet.h"
#include "support/barcode_readback.h"

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
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
    const QRegularExpressionMatch prefs
        = QRegularExpression(QStringLiteral("/ViewerPreferences (\\d+) 0 R")).match(catalogue);
    if (prefs.hasMatch()) {
        const QString dict
            = run(QStringLiteral("qpdf"), {QStringLiteral("--show-object=") + prefs.captured(1), path}).out;
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
    const Run r = run(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
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
    return Mm {pxToMm(*x, dpi), pxToMm(*y, dpi)};
}

// Sheet with codes on the tags of the first column, whose barcodes have no coded neighbour.
inline sheet::TagSheet codedSheet(QStringList& codes)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    const char* const jan[] = {"4901234567894", "4512345678906", "4912345678904", "4987654321094",
                               "4900000000016", "4923456789014", "4934567890124", "4945678901234"};
    for (int row = 0; row < 8; ++row) {
        const int tag = 1 + row * 3;
        s.record(tag) = {QString::fromLatin1(jan[row]),
                         QStringLiteral("メーカー"),
                         QStringLiteral("商品%1").arg(tag),
                         QString(),
                         QStringLiteral("1L"),
                         QStringLiteral("ロット"),
                         100 * tag};
        codes << QString::fromLatin1(jan[row]);
        s.record(tag + 1)
            = {QString(), QStringLiteral("隣"), QStringLiteral("商品%1").arg(tag + 1), QString(), QString(), QString(),
               50};
    }
    codes.sort();
    return s;
}

// The centre of the bars of tag `tag`, in millimetres, on a page drawn with `calibration`: the
// mean of the bars' middles across, and the middle of their common height. (The rasteriser
// widens a thin bar by a pixel here and there, so the middles are used rather than the ink.)
inline std::optional<Mm> barsCentre(const QImage& page, int dpi, const sheet::TagSheet& s, int tag,
                                    const calibration::Calibration& c)
{
    const sheet::CellOrigin o = s.cellOrigin(tag);
    // The bars of a large tag lie between 29 and 59 mm across its cell and 2 and 9 mm down; its
    // code's digits and the neighbour's texts lie outside.
    const calibration::PointMm topLeft = c.apply({o.xMm + 28.5, o.yMm + 1.5});
    const calibration::PointMm bottomRight = c.apply({o.xMm + 59.5, o.yMm + 9.7});
    const QRect area = QRect(mmToPx(topLeft.x, dpi), mmToPx(topLeft.y, dpi), mmToPx(bottomRight.x - topLeft.x, dpi),
                             mmToPx(bottomRight.y - topLeft.y, dpi))
                           .intersected(page.rect());
    std::vector<double> columns(size_t(area.width()), 0.0);
    std::vector<double> rows(size_t(area.height()), 0.0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const double ink = (255 - qRed(page.pixel(x, y))) / 255.0;  // in red light
            columns[size_t(x - area.left())] += ink;
            rows[size_t(y - area.top())] += ink;
        }
    }
    // Runs of columns (rows) dark along at least half of the most: their middles, in pixels.
    const auto middles = [](const std::vector<double>& profile, int first) {
        const double most = profile.empty() ? 0.0 : *std::max_element(profile.begin(), profile.end());
        std::vector<double> found;
        int start = -1;
        for (int i = 0; i <= int(profile.size()); ++i) {
            const bool on = i < int(profile.size()) && most > 0 && profile[size_t(i)] >= most / 2;
            if (on && start < 0) {
                start = i;
            } else if (!on && start >= 0) {
                found.push_back(first + (start + i) / 2.0);
                start = -1;
            }
        }
        return found;
    };
    const std::vector<double> bars = middles(columns, area.left());
    const std::vector<double> height = middles(rows, area.top());
    if (bars.size() < 20 || height.size() != 1) {
        return std::nullopt;
    }
    double sum = 0;
    for (double b : bars) {
        sum += b;
    }
    return Mm {pxToMm(sum / double(bars.size()), dpi), pxToMm(height.front(), dpi)};
}

// The numbers read back from the first page of `pdf` at 600 dpi (the image written as `base`.png).
inline QStringList scanned(const QString& pdf, const QString& base)
{
    return test_support::barcodesOnPage(pdf, base);
}

}  // namespace printed
