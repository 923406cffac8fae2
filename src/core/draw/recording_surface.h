#pragma once

#include "core/draw/surface.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace draw {

// One mark put on a recording surface, with the state it was drawn with.
struct DrawOp {
    enum class Kind { cls, text, line, outline, fill };

    Kind kind = Kind::cls;
    Unit unit = Unit::pixels;
    double x = 0.0;
    double y = 0.0;
    double w = 0.0;  // width, or dx of a line
    double h = 0.0;  // height, or dy of a line
    QString text;
    FontSpec font;
    Colour colour = kBlack;
    int width = 1;  // pen width of lines and outlines, in device pixels

    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

// A surface that keeps every operation in order instead of drawing it. Tests compare a drawn page
// with the expected operations; the renderer's --ops option writes them as JSON lines.
class RecordingSurface : public Surface {
public:
    explicit RecordingSurface(double twipsPerPixelX = 15.0, double twipsPerPixelY = 15.0)
        : tppX_(twipsPerPixelX), tppY_(twipsPerPixelY)
    { }

    double twipsPerPixelX() const override { return tppX_; }
    double twipsPerPixelY() const override { return tppY_; }

    const std::vector<DrawOp>& ops() const { return ops_; }
    void clearOps() { ops_.clear(); }

    // One JSON object a line, in drawing order, UTF-8, each line ended by "\n".
    QByteArray toJsonLines() const;
    static QByteArray toJson(const DrawOp& op);

protected:
    void doClear() override;
    void doText(double x, double y, const QString& text) override;
    void doOutline(double x, double y, double w, double h, Colour colour) override;
    void doFilled(double x, double y, double w, double h, Colour colour) override;
    void doLine(double x, double y, double dx, double dy, Colour colour) override;

private:
    DrawOp make(DrawOp::Kind kind, double x, double y, double w, double h, Colour colour) const;

    double tppX_;
    double tppY_;
    std::vector<DrawOp> ops_;
};

}  // namespace draw
