#include "output/painter_surface.h"

#include "output/fonts.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QRect>
#include <QStaticText>
#include <QTextLayout>
#include <QThread>
#include <QTransform>

#include <cmath>

namespace output {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr draw::Colour kSystemColourFlag = 0x80000000;

// System colours by index (the low byte of the value), with the grey of a default desktop for
// when no GUI application exists to ask.
struct SystemColour {
    quint32 index;
    QPalette::ColorRole role;
    QRgb fallback;
};
constexpr SystemColour kSystemColours[] = {
    {0x05, QPalette::Base, qRgb(255, 255, 255)},             // window background
    {0x08, QPalette::Text, qRgb(0, 0, 0)},                   // window text
    {0x0D, QPalette::Highlight, qRgb(0, 120, 215)},          // selection
    {0x0E, QPalette::HighlightedText, qRgb(255, 255, 255)},  // selected text
    {0x0F, QPalette::Button, qRgb(240, 240, 240)},           // button face
    {0x10, QPalette::Dark, qRgb(160, 160, 160)},             // button shadow
    {0x12, QPalette::ButtonText, qRgb(0, 0, 0)},             // button text
};

// Whole device pixel of a coordinate: edges round half up, so that rectangles which share an
// edge in millimetres share it in pixels too, without a gap or an overlap.
int snap(double px)
{
    return static_cast<int>(std::floor(px + 0.5));
}

// The pixel rectangle between two snapped corners, whatever their order.
QRect spanRect(double x0, double y0, double x1, double y1)
{
    int left = snap(x0);
    int right = snap(x1);
    int top = snap(y0);
    int bottom = snap(y1);
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    return QRect(left, top, right - left, bottom - top);
}

// A text prepared once for drawing at the top-left of its line: as a static text for images and
// screens, and as shaped glyph runs for PDF and printers, whose painters lay a static text out
// again at every draw.
struct PreparedText {
    QStaticText staticText;
    QList<QGlyphRun> glyphRuns;  // made on the first draw on such a device
    bool glyphRunsMade = false;
    double advancePx = 0.0;  // blanks included
};

// Glyph runs of `text` in `font` laid out for `device`, positioned from the top-left of the line.
QList<QGlyphRun> shapedRuns(const QString& text, const QFont& font, QPaintDevice* device)
{
    QTextLayout layout(text, font, device);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setNumColumns(int(text.size()));
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    return layout.glyphRuns();
}

// Texts with control characters are drawn as the painter draws them, without a layout of their own.
bool isPlainLine(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20) {
            return false;
        }
    }
    return true;
}

}  // namespace

// One font at one device resolution: the QFont, its ascent and the layouts of the texts drawn.
struct detail::PainterFont {
    draw::FontSpec spec;
    double pointSize = 0.0;
    int deviceDpiY = 0;
    QFont font;
    QFont plainFont;  // the same without underline: the underline is drawn along the blanks too
    double ascentPx = 0.0;
    double underlinePosPx = 0.0;  // below the baseline
    double lineWidthPx = 1.0;
    QHash<QString, PreparedText> texts;
};

namespace {

// Fonts shared by the surfaces of the GUI thread; emptied when the application ends, before the
// fonts it owns go away.
constexpr qsizetype kMaxSharedFonts = 64;
constexpr qsizetype kMaxTextsPerFont = 4096;

std::vector<std::shared_ptr<detail::PainterFont>>& sharedFonts()
{
    static std::vector<std::shared_ptr<detail::PainterFont>> fonts;
    return fonts;
}

void dropSharedFonts()
{
    sharedFonts().clear();
}

bool onGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

}  // namespace

PainterSurface::PainterSurface(QPaintDevice& device)
    : ownPainter_(std::make_unique<QPainter>()), painter_(ownPainter_.get())
{
    dpiX_ = device.logicalDpiX() > 0 ? device.logicalDpiX() : 96.0;
    dpiY_ = device.logicalDpiY() > 0 ? device.logicalDpiY() : 96.0;
    if (painter_->begin(&device)) {
        setUpPainter();
    }
}

PainterSurface::PainterSurface(QPainter& painter, double dpiX, double dpiY)
    : painter_(&painter), dpiX_(dpiX > 0 ? dpiX : 96.0), dpiY_(dpiY > 0 ? dpiY : 96.0)
{
    if (painter_->isActive()) {
        setUpPainter();
        const int deviceDpiY = painter_->device()->logicalDpiY();
        if (deviceDpiY > 0) {
            pointScale_ = dpiY_ / deviceDpiY;
        }
    }
}

PainterSurface::~PainterSurface()
{
    flushFill();
    end();
}

void PainterSurface::setUpPainter()
{
    shareFonts_ = onGuiThread();
    const QPaintEngine* engine = painter_->paintEngine();
    drawsGlyphRuns_ = engine != nullptr && engine->type() == QPaintEngine::Pdf;
    joinsFills_ = drawsGlyphRuns_;
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setBackgroundMode(Qt::TransparentMode);
    painter_->setBrush(Qt::NoBrush);
}

void PainterSurface::end()
{
    flushFill();
    if (ownPainter_ && ownPainter_->isActive()) {
        ownPainter_->end();
    }
}

bool PainterSurface::isActive() const
{
    return painter_->isActive();
}

double PainterSurface::toPxX(double v) const
{
    return unit() == draw::Unit::millimetres ? v * dpiX_ / kMmPerInch : v;
}

double PainterSurface::toPxY(double v) const
{
    return unit() == draw::Unit::millimetres ? v * dpiY_ / kMmPerInch : v;
}

QColor PainterSurface::toQColor(draw::Colour colour)
{
    if ((colour & kSystemColourFlag) == 0) {
        return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
    const quint32 index = colour & 0xFF;
    for (const SystemColour& sc : kSystemColours) {
        if (sc.index == index) {
            if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
                return QGuiApplication::palette().color(QPalette::Active, sc.role);
            }
            return QColor(sc.fallback);
        }
    }
    return QColor(Qt::black);
}

QColor PainterSurface::colourOf(draw::Colour colour)
{
    if (colour == draw::kButtonFace) {
        // The preview grid asks for it hundreds of times a page: look the palette up once.
        if (!buttonFace_) {
            buttonFace_ = toQColor(colour);
        }
        return *buttonFace_;
    }
    return toQColor(colour);
}

void PainterSurface::usePen(draw::Colour colour, int widthPx)
{
    if (penColour_ == colour && penWidthPx_ == widthPx) {
        return;
    }
    QPen pen(colourOf(colour), widthPx, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter_->setPen(pen);
    penColour_ = colour;
    penWidthPx_ = widthPx;
}

double PainterSurface::devicePointSize(const draw::FontSpec& spec) const
{
    // Sizes below one point cannot be rendered; they come only from a damaged sheet.
    return (spec.sizePt < 1.0 ? 1.0 : spec.sizePt) * pointScale_;
}

std::shared_ptr<detail::PainterFont> PainterSurface::makeFont(const draw::FontSpec& spec) const
{
    auto entry = std::make_shared<detail::PainterFont>();
    entry->spec = spec;
    entry->pointSize = devicePointSize(spec);
    entry->deviceDpiY = painter_->device()->logicalDpiY();
    entry->font = faceFont(spec.face);
    entry->font.setPointSizeF(entry->pointSize);
    entry->font.setBold(spec.bold);
    entry->font.setItalic(spec.italic);
    entry->font.setUnderline(spec.underline);
    entry->plainFont = entry->font;
    entry->plainFont.setUnderline(false);
    const QFontMetricsF metrics(entry->font, painter_->device());
    entry->ascentPx = metrics.ascent();
    entry->underlinePosPx = metrics.underlinePos();
    entry->lineWidthPx = metrics.lineWidth();
    return entry;
}

detail::PainterFont& PainterSurface::fontFor(const draw::FontSpec& spec)
{
    for (const auto& entry : fonts_) {
        if (entry->spec == spec) {
            return *entry;
        }
    }
    std::shared_ptr<detail::PainterFont> entry;
    if (shareFonts_) {
        const double pointSize = devicePointSize(spec);
        const int deviceDpiY = painter_->device()->logicalDpiY();
        auto& shared = sharedFonts();
        for (const auto& candidate : shared) {
            if (candidate->spec == spec && candidate->pointSize == pointSize && candidate->deviceDpiY == deviceDpiY) {
                entry = candidate;
                break;
            }
        }
        if (!entry) {
            if (shared.empty()) {
                qAddPostRoutine(dropSharedFonts);  // once per application: it empties the list
            }
            if (qsizetype(shared.size()) >= kMaxSharedFonts) {
                shared.clear();  // surfaces drawing now keep theirs
            }
            entry = makeFont(spec);
            shared.push_back(entry);
        }
    } else {
        entry = makeFont(spec);
    }
    fonts_.push_back(entry);
    return *fonts_.back();
}

void PainterSurface::doClear()
{
    flushFill();
    if (!isActive()) {
        return;
    }
    const QPaintDevice* device = painter_->device();
    painter_->fillRect(QRect(0, 0, device->width(), device->height()), background_);
}

void PainterSurface::doText(double x, double y, const QString& text)
{
    flushFill();
    if (!isActive()) {
        return;
    }
    const draw::FontSpec& spec = font();
    if (painterFont_ == nullptr || !(painterFont_->spec == spec)) {
        painterFont_ = &fontFor(spec);
        painter_->setFont(painterFont_->plainFont);
    }
    detail::PainterFont& entry = *painterFont_;
    usePen(foreColor(), penWidthPx_ > 0 ? penWidthPx_ : 1);
    double left = toPxX(x);
    double top = toPxY(y);
    // A text drawn narrower is drawn at its own width about its top-left corner, squeezed across
    // by the painter: the same on an image, a PDF and a printer.
    const bool narrower = spec.stretchPercent != 100;
    if (narrower) {
        painter_->save();
        painter_->translate(left, top);
        painter_->scale(spec.stretchPercent / 100.0, 1.0);
        left = 0.0;
        top = 0.0;
    }

    // Laying a text out is most of the cost of drawing it, and the page draws the same texts on
    // every refresh: keep each prepared text with its font. A text with control characters is
    // drawn as the painter draws it, without a cache.
    double advancePx = 0.0;
    if (isPlainLine(text)) {
        auto it = entry.texts.find(text);
        if (it == entry.texts.end()) {
            if (entry.texts.size() >= kMaxTextsPerFont) {
                entry.texts.clear();
            }
            PreparedText prepared;
            prepared.staticText.setText(text);
            prepared.staticText.setTextFormat(Qt::PlainText);
            prepared.staticText.setPerformanceHint(QStaticText::AggressiveCaching);
            prepared.staticText.prepare(QTransform(), entry.plainFont);
            prepared.advancePx = QFontMetricsF(entry.plainFont, painter_->device()).horizontalAdvance(text);
            it = entry.texts.insert(text, std::move(prepared));
        }
        if (drawsGlyphRuns_) {
            PreparedText& prepared = *it;
            if (!prepared.glyphRunsMade) {
                prepared.glyphRuns = shapedRuns(text, entry.plainFont, painter_->device());
                prepared.glyphRunsMade = true;
            }
            for (const QGlyphRun& run : prepared.glyphRuns) {
                painter_->drawGlyphRun(QPointF(left, top), run);
            }
        } else {
            painter_->drawStaticText(QPointF(left, top), it->staticText);
        }
        advancePx = it->advancePx;
    } else {
        painter_->drawText(QPointF(left, top + entry.ascentPx), text);
        advancePx = QFontMetricsF(entry.plainFont, painter_->device()).horizontalAdvance(text);
    }

    // The underline runs along the whole advance, under leading and trailing blanks too, which a
    // font's own underline leaves out.
    if (entry.spec.underline) {
        const double thickness = std::max(1.0, std::round(entry.lineWidthPx));
        const double lineTop = std::round(top + entry.ascentPx + entry.underlinePosPx - thickness / 2);
        painter_->fillRect(QRectF(left, lineTop, advancePx, thickness), painter_->pen().color());
    }
    if (narrower) {
        painter_->restore();
    }
}

void PainterSurface::doOutline(double x, double y, double w, double h, draw::Colour colour)
{
    flushFill();
    if (!isActive()) {
        return;
    }
    // The four edges as filled bands, each as wide as the pen and centred on the edge: what an
    // aliased stroke covers (columns x .. x + w and rows y .. y + h for a one-pixel pen), at a
    // fraction of the stroker's cost. The preview draws a hundred of these per page.
    const QRect r = spanRect(toPxX(x), toPxY(y), toPxX(x + w), toPxY(y + h));
    const int pen = drawWidth();
    const int half = pen / 2;
    const QColor c = colourOf(colour);
    painter_->fillRect(QRect(r.left() - half, r.top() - half, r.width() + pen, pen), c);
    painter_->fillRect(QRect(r.left() - half, r.top() + r.height() - half, r.width() + pen, pen), c);
    painter_->fillRect(QRect(r.left() - half, r.top() - half, pen, r.height() + pen), c);
    painter_->fillRect(QRect(r.left() + r.width() - half, r.top() - half, pen, r.height() + pen), c);
}

void PainterSurface::doFilled(double x, double y, double w, double h, draw::Colour colour)
{
    if (!isActive()) {
        return;
    }
    const QRect rect = spanRect(toPxX(x), toPxY(y), toPxX(x + w), toPxY(y + h));
    if (rect.isEmpty()) {
        return;
    }
    if (!joinsFills_) {
        painter_->fillRect(rect, colourOf(colour));
        return;
    }
    // A barcode is a row of module-wide fills. On a PDF or a printer each fill is an object of its
    // own, so neighbours of one colour in one row are joined into one bar first: the same pixels,
    // half the objects.
    if (pendingFill_ && pendingFillColour_ == colour && pendingFill_->top() == rect.top()
        && pendingFill_->height() == rect.height() && pendingFill_->left() + pendingFill_->width() == rect.left()) {
        pendingFill_->setWidth(pendingFill_->width() + rect.width());
        return;
    }
    flushFill();
    pendingFill_ = rect;
    pendingFillColour_ = colour;
}

void PainterSurface::flushFill()
{
    if (pendingFill_) {
        if (painter_->isActive()) {
            painter_->fillRect(*pendingFill_, colourOf(pendingFillColour_));
        }
        pendingFill_.reset();
    }
}

void PainterSurface::doLine(double x, double y, double dx, double dy, draw::Colour colour)
{
    flushFill();
    if (!isActive()) {
        return;
    }
    const QPoint from(snap(toPxX(x)), snap(toPxY(y)));
    const QPoint to(snap(toPxX(x + dx)), snap(toPxY(y + dy)));
    if (from.x() == to.x() || from.y() == to.y()) {
        // Upright and level lines (all the page draws) as a band the pen's width across, with
        // the square ends of an aliased stroke.
        const int pen = drawWidth();
        const int half = pen / 2;
        const QRect span = QRect(from, to).normalized();
        painter_->fillRect(
            QRect(span.left() - half, span.top() - half, span.width() - 1 + pen, span.height() - 1 + pen),
            colourOf(colour));
        return;
    }
    usePen(colour, drawWidth());
    painter_->drawLine(from, to);
}

}  // namespace output
