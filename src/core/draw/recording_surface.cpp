#include "core/draw/recording_surface.h"

namespace draw {

namespace {

QByteArray number(double v)
{
    // Twelve significant digits hide the binary noise of sums such as 28 + 0.1 without rounding
    // any length the page uses.
    if (v == 0.0) {
        return "0";  // also turns -0 into 0
    }
    return QByteArray::number(v, 'g', 12);
}

QByteArray jsonString(const QString& s)
{
    QString escaped;
    escaped.reserve(s.size() + 2);
    for (const QChar c : s) {
        switch (c.unicode()) {
        case u'"':
            escaped += QStringLiteral("\\\"");
            break;
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20) {
                escaped += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
            } else {
                escaped += c;
            }
        }
    }
    return "\"" + escaped.toUtf8() + "\"";
}

QByteArray colourHex(Colour c)
{
    return "\"" + QByteArray::number(c, 16).toUpper().rightJustified(8, '0') + "\"";
}

const char* unitName(Unit u)
{
    return u == Unit::millimetres ? "mm" : "px";
}

QByteArray boolean(bool b)
{
    return b ? "true" : "false";
}

// A text drawn narrower names its width; one at its own width says nothing, as before.
QByteArray stretch(const FontSpec& font)
{
    return font.stretchPercent == 100 ? QByteArray() : ",\"stretch\":" + QByteArray::number(font.stretchPercent);
}

}  // namespace

DrawOp RecordingSurface::make(DrawOp::Kind kind, double x, double y, double w, double h, Colour colour) const
{
    DrawOp op;
    op.kind = kind;
    op.unit = unit();
    op.x = x;
    op.y = y;
    op.w = w;
    op.h = h;
    op.colour = colour;
    op.width = drawWidth();
    return op;
}

void RecordingSurface::doClear()
{
    DrawOp op;
    op.kind = DrawOp::Kind::cls;
    op.unit = unit();
    ops_.push_back(op);
}

void RecordingSurface::doText(double x, double y, const QString& text)
{
    DrawOp op = make(DrawOp::Kind::text, x, y, 0, 0, foreColor());
    op.text = text;
    op.font = font();
    ops_.push_back(std::move(op));
}

void RecordingSurface::doOutline(double x, double y, double w, double h, Colour colour)
{
    ops_.push_back(make(DrawOp::Kind::outline, x, y, w, h, colour));
}

void RecordingSurface::doFilled(double x, double y, double w, double h, Colour colour)
{
    ops_.push_back(make(DrawOp::Kind::fill, x, y, w, h, colour));
}

void RecordingSurface::doLine(double x, double y, double dx, double dy, Colour colour)
{
    ops_.push_back(make(DrawOp::Kind::line, x, y, dx, dy, colour));
}

QByteArray RecordingSurface::toJson(const DrawOp& op)
{
    const QByteArray unit = QByteArray("\"unit\":\"") + unitName(op.unit) + "\"";
    const QByteArray at = ",\"x\":" + number(op.x) + ",\"y\":" + number(op.y);
    switch (op.kind) {
    case DrawOp::Kind::cls:
        return "{\"op\":\"cls\"}";
    case DrawOp::Kind::text:
        return "{\"op\":\"text\"," + unit + at + ",\"text\":" + jsonString(op.text) + ",\"font\":"
            + jsonString(op.font.face) + ",\"size\":" + number(op.font.sizePt) + ",\"bold\":" + boolean(op.font.bold)
            + ",\"italic\":" + boolean(op.font.italic) + ",\"underline\":" + boolean(op.font.underline)
            + stretch(op.font) + ",\"color\":" + colourHex(op.colour) + "}";
    case DrawOp::Kind::line:
        return "{\"op\":\"line\"," + unit + at + ",\"dx\":" + number(op.w) + ",\"dy\":" + number(op.h)
            + ",\"width\":" + QByteArray::number(op.width) + ",\"color\":" + colourHex(op.colour) + "}";
    case DrawOp::Kind::outline:
        return "{\"op\":\"outline\"," + unit + at + ",\"w\":" + number(op.w) + ",\"h\":" + number(op.h)
            + ",\"width\":" + QByteArray::number(op.width) + ",\"color\":" + colourHex(op.colour) + "}";
    case DrawOp::Kind::fill:
        return "{\"op\":\"fill\"," + unit + at + ",\"w\":" + number(op.w) + ",\"h\":" + number(op.h)
            + ",\"color\":" + colourHex(op.colour) + "}";
    }
    return {};
}

QByteArray RecordingSurface::toJsonLines() const
{
    QByteArray out;
    for (const DrawOp& op : ops_) {
        out += toJson(op);
        out += '\n';
    }
    return out;
}

}  // namespace draw
