#pragma once

// Documents of several tag sheets: one page per sheet, drawn with one painter on one device (a PDF
// document; a print job through output/tag_sheet_printing.h), or as one image per page (PNG, SVG).
// Shared by the command-line renderer, the list import and the editor.

#include "core/calibration/calibration.h"
#include "core/sheet/tag_sheet.h"
#include "output/print_job.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

class QPainter;

namespace output {

enum class PageFormat { pdf, png, svg };

// Characters of a text that are kept for drawing: more than a row of the smallest type across the
// whole page, so that nothing a tag can show is lost, while a hand-made file with megabytes in one
// field cannot make the drawing take memory and time out of all proportion.
inline constexpr qsizetype kMaxDrawnTextLength = 256;

// `sheet` with every text of its records cut to kMaxDrawnTextLength characters (and the header's
// file name as it is).
sheet::TagSheet cutToDrawable(const sheet::TagSheet& sheet);

// Resolutions the outputs accept, in dots per inch. A PNG page is an image in memory (an A4 page
// at 1200 dpi takes about 560 MB), the other outputs only count their coordinates in it.
inline constexpr int kMinDpi = 24;
inline constexpr int kMaxDpi = 2400;
inline constexpr int kMaxPngDpi = 1200;

// Receives the bytes of page `index` (0-based) of a PNG or SVG document; returns false, with a
// reason, when they could not be kept, which stops the drawing.
using PageSink = std::function<bool(int index, const QByteArray& bytes, QString& error)>;

// Draws each sheet on its own A4 page of one PDF document, fonts embedded once, into `pdf`. The
// document asks viewers to print it at actual size. Every page is moved and scaled by
// `calibration` (see core/calibration/calibration.h), none by default.
DocumentResult drawPdfDocument(const std::vector<sheet::TagSheet>& sheets, int dpi, QByteArray& pdf,
                               const calibration::Calibration& calibration = {});

// Draws each sheet as one PNG or SVG page image and hands each to `sink` in order. SVG output is
// well-formed XML whatever the texts and the file names hold.
DocumentResult drawPageImages(const std::vector<sheet::TagSheet>& sheets, PageFormat format, int dpi,
                              const PageSink& sink, const calibration::Calibration& calibration = {});

// Draws `sheet` (its texts cut for drawing) as one page through `painter`, begun on a device of
// `dpiX` x `dpiY` dots per inch, moved and scaled as a whole by `calibration`.
void drawSheetPage(const sheet::TagSheet& sheet, QPainter& painter, double dpiX, double dpiY,
                   const calibration::Calibration& calibration = {});

// The file of page `index` (0-based) of a document of `pageCount` pages written to `path`: the path
// itself for a single page, otherwise numbered before the extension ("tags.png" -> "tags-001.png").
QString numberedPagePath(const QString& path, int index, int pageCount);

// The bytes of an SVG document made well-formed: the title (which Qt writes as it is given) is
// replaced by `title` escaped, and characters that XML does not allow are dropped.
QByteArray wellFormedSvg(const QByteArray& svg, const QString& title);

}  // namespace output
