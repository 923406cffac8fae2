#pragma once

// Reading printed barcodes back with tools apart from the program: a PDF page rasterised by
// pdftoppm, its symbols decoded by zbarimg. QtCore only, so that every test program can use it.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace test_support {

// The numbers zbarimg reads on page `page` of `pdf` rasterised in grey at `dpi`, sorted; the image
// is written as `stem`.png. Empty when the page could not be rasterised or nothing was read.
inline QStringList barcodesOnPage(const QString& pdf, const QString& stem, int page = 1, int dpi = 600)
{
    QProcess raster;
    raster.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                  QString::number(page), pdf, stem});
    if (!raster.waitForFinished(120000) || raster.exitCode() != 0) {
        return {};
    }
    QProcess scan;
    scan.start(QStringLiteral("zbarimg"),
               {QStringLiteral("-q"), QStringLiteral("--raw"), stem + QStringLiteral(".png")});
    if (!scan.waitForFinished(120000)) {
        return {};
    }
    QStringList codes = QString::fromLatin1(scan.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    codes.sort();
    return codes;
}

}  // namespace test_support
