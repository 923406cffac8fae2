#include "core/draw/tag_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace draw {

namespace {

// How far a text gives way: down to this share of its width, then down to this size as well, in
// steps of one percent and half a point.
constexpr int kMinStretchPercent = 60;
constexpr double kMinSizePt = 5.0;
constexpr double kSizeStepPt = 0.5;
// The small tag's price keeps its ink this far inside its cell and moves in steps of this much, in mm.
constexpr double kInsetMm = 0.15;
constexpr double kMoveStepMm = 0.1;

using Boxes = std::vector<BoxMm>;

bool near(const Boxes& a, const Boxes& b, double gapXMm, double gapYMm)
{
    return std::any_of(a.begin(), a.end(), [&](const BoxMm& x) {
        return std::any_of(b.begin(), b.end(), [&](const BoxMm& y) { return tooClose(x, y, gapXMm, gapYMm); });
    });
}

// Whether the ink of `a` and `b` overlaps: what makes a text give way.
bool touches(const Boxes& a, const Boxes& b)
{
    return near(a, b, 0.0, 0.0);
}

// Whether `a` and `b` lie within the fitted gap of each other up and down.
bool sideBySide(const BoxMm& a, const BoxMm& b)
{
    return a.top < b.bottom + kFitClearYMm && b.top < a.bottom + kFitClearYMm;
}

double floorToStep(double mm)
{
    return std::floor(mm / kMoveStepMm + 1e-9) * kMoveStepMm;
}

double ceilToStep(double mm)
{
    return std::ceil(mm / kMoveStepMm - 1e-9) * kMoveStepMm;
}

// How far the price must move right for `text` beside it to keep clear of it.
double neededRight(const Boxes& text, const Boxes& price)
{
    double need = 0.0;
    for (const BoxMm& t : text) {
        for (const BoxMm& p : price) {
            if (sideBySide(t, p)) {
                need = std::max(need, t.right + kFitClearXMm - p.left);
            }
        }
    }
    return need;
}

// How far the price may move right and keep clear of its 円 and inside its cell; negative where it
// must move left by that much.
double roomRight(const Boxes& price, const Boxes& yen, const BoxMm& cell)
{
    double room = std::numeric_limits<double>::infinity();
    for (const BoxMm& p : price) {
        room = std::min(room, cell.right - kInsetMm - p.right);
        for (const BoxMm& y : yen) {
            if (sideBySide(p, y)) {
                room = std::min(room, y.left - kFitClearXMm - p.right);
            }
        }
    }
    return room;
}

// How far the price may move left and stay inside its cell.
double roomLeft(const Boxes& price, const BoxMm& cell)
{
    double room = std::numeric_limits<double>::infinity();
    for (const BoxMm& p : price) {
        room = std::min(room, p.left - (cell.left + kInsetMm));
    }
    return std::max(room, 0.0);
}

// The price moved across its cell: away from its 円 where the two touch, else right as far as the
// texts that touch it need and its 円 allows.
double priceMoveMm(const Boxes& price, const Boxes& yen, const BoxMm& cell, const std::vector<Boxes>& yielding)
{
    const double right = roomRight(price, yen, cell);
    if (touches(price, yen)) {
        return -std::min(ceilToStep(-right), floorToStep(roomLeft(price, cell)));
    }
    double need = 0.0;
    for (const Boxes& text : yielding) {
        if (touches(text, price)) {
            need = std::max(need, neededRight(text, price));
        }
    }
    return need > 0.0 ? std::min(ceilToStep(need), floorToStep(std::max(right, 0.0))) : 0.0;
}

// A text's ink at its laid size and width, tried narrower and smaller about its top-left corner.
class ShrinkingInk {
public:
    ShrinkingInk(const LaidText& text, const Boxes& others) : text_(text), ink_(inkOf(text))
    {
        // Only what lies beside the text up and down can come near it: it only shrinks upwards.
        double top = std::numeric_limits<double>::infinity();
        double bottom = -top;
        for (const BoxMm& b : ink_) {
            top = std::min(top, b.top);
            bottom = std::max(bottom, b.bottom);
        }
        for (const BoxMm& o : others) {
            if (o.top < bottom + kFitClearYMm && top < o.bottom + kFitClearYMm) {
                others_.push_back(o);
                reachMm_ = std::max(reachMm_, o.right + kFitClearXMm);
            }
        }
        // Narrower and smaller, every box keeps its order from the left: those beyond the others'
        // reach stay beyond it.
        std::sort(ink_.begin(), ink_.end(), [](const BoxMm& a, const BoxMm& b) { return a.left < b.left; });
    }

    // Whether the text drawn at `sizePt` and `stretchPercent` keeps clear of the others.
    bool clearAt(double sizePt, int stretchPercent) const
    {
        const double down = sizePt / text_.font.sizePt;
        const double across = down * stretchPercent / text_.font.stretchPercent;
        for (const BoxMm& b : ink_) {
            const BoxMm scaled {text_.xMm + (b.left - text_.xMm) * across, text_.yMm + (b.top - text_.yMm) * down,
                                text_.xMm + (b.right - text_.xMm) * across, text_.yMm + (b.bottom - text_.yMm) * down};
            if (scaled.left >= reachMm_) {
                break;
            }
            for (const BoxMm& o : others_) {
                if (tooClose(scaled, o, kFitClearXMm, kFitClearYMm)) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    const LaidText& text_;
    Boxes ink_;
    Boxes others_;
    double reachMm_ = -std::numeric_limits<double>::infinity();
};

// `text` at the largest size, and at that size the widest, at which it keeps clear of `others`.
std::optional<LaidText> shrunk(const LaidText& text, const Boxes& others)
{
    const ShrinkingInk ink(text, others);
    const double laidPt = text.font.sizePt;
    for (int step = 0;; ++step) {
        const double sizePt = laidPt - step * kSizeStepPt;
        if (step > 0 && sizePt < kMinSizePt - 1e-9) {
            return std::nullopt;
        }
        // Where even the narrowest does not keep clear, no width of this size does.
        if (!ink.clearAt(sizePt, kMinStretchPercent)) {
            continue;
        }
        for (int stretch = text.font.stretchPercent; stretch >= kMinStretchPercent; --stretch) {
            if (ink.clearAt(sizePt, stretch)) {
                LaidText fitted = text;
                fitted.font.sizePt = sizePt;
                fitted.font.stretchPercent = stretch;
                return fitted;
            }
        }
    }
}

void append(Boxes& to, const Boxes& from)
{
    to.insert(to.end(), from.begin(), from.end());
}

}  // namespace

std::vector<BoxMm> inkOf(const LaidText& text)
{
    return glyphInkBoxes(text.font, text.xMm, text.yMm, text.text);
}

TagTextsFitted keepTextsClear(const TagTextsLaid& laid)
{
    TagTextsFitted fitted;
    fitted.price = laid.price;
    // Only the ink of the faces measured is known well enough to say that two texts touch; any
    // other face is taken as wide as it could be, which keeps a text that gives way clear of it
    // but would make it give way where nothing touches.
    const auto known = [](const LaidText& text) { return isFixedPitchFace(text.font.face); };
    const Boxes laidPrice = inkOf(laid.price);
    const Boxes yen = inkOf(laid.yen);
    std::vector<Boxes> yielding;
    for (const LaidText& text : laid.yielding) {
        yielding.push_back(inkOf(text));
    }

    if (known(laid.price) && laid.priceRoom == PriceRoom::moves && !laidPrice.empty()) {
        fitted.price.xMm += priceMoveMm(laidPrice, yen, laid.cell, yielding);
    } else if (known(laid.price) && laid.priceRoom == PriceRoom::narrows && touches(laidPrice, yen)) {
        while (fitted.price.font.stretchPercent > kMinStretchPercent
               && near(inkOf(fitted.price), yen, kFitClearXMm, kFitClearYMm)) {
            --fitted.price.font.stretchPercent;
        }
    }

    // What the texts that give way keep clear of, and the part of it that they can be said to touch.
    Boxes around = fitted.price == laid.price ? laidPrice : inkOf(fitted.price);
    append(around, yen);
    Boxes touchable = known(laid.price) ? around : yen;
    for (const LaidText& text : laid.fixed) {
        const Boxes ink = inkOf(text);
        append(around, ink);
        if (known(text)) {
            append(touchable, ink);
        }
    }
    const Boxes touchablePrice = known(laid.price) ? laidPrice : Boxes {};
    fitted.yielding.assign(laid.yielding.begin(), laid.yielding.end());
    for (size_t i = 0; i < laid.yielding.size(); ++i) {
        Boxes others = around;
        Boxes touching = touchable;
        for (size_t j = 0; j < laid.yielding.size(); ++j) {
            if (j != i && fitted.yielding[j]) {
                const Boxes ink = j < i ? inkOf(*fitted.yielding[j]) : yielding[j];
                append(others, ink);
                if (known(laid.yielding[j])) {
                    append(touching, ink);
                }
            }
        }
        // A text that touched the price as laid keeps the full gap from it, wherever the price moved.
        if (known(laid.yielding[i]) && (touches(yielding[i], touchablePrice) || touches(yielding[i], touching))) {
            fitted.yielding[i] = shrunk(laid.yielding[i], others);
        }
    }
    return fitted;
}

}  // namespace draw
