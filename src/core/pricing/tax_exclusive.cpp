#include "core/pricing/tax_exclusive.h"

#include "core/pricing/yen_text.h"

namespace pricing {

namespace {

using productlist::Rounding;

// Tags are far below this; it keeps tag * 100 inside 64 bits.
constexpr qint64 kMaxTagYen = 1'000'000'000'000LL;

qint64 ceilDiv(qint64 numerator, qint64 denominator)
{
    return numerator <= 0 ? -((-numerator) / denominator) : (numerator + denominator - 1) / denominator;
}

// The one whole-yen price that `rounding` turns into `tagYen` at `hundredPlusRate` percent, or a
// candidate that does not when there is none (the caller checks). The rate is above 0, so one yen
// more before the tax is more than one yen after it and at most one price fits.
qint64 candidate(qint64 tagYen, qint64 hundredPlusRate, Rounding rounding)
{
    switch (rounding) {
    case Rounding::floor:
        // The smallest price with price * k >= tag * 100.
        return ceilDiv(tagYen * 100, hundredPlusRate);
    case Rounding::halfUp:
        // The smallest price with price * k >= tag * 100 - 50.
        return ceilDiv(tagYen * 100 - 50, hundredPlusRate);
    case Rounding::ceil:
        // The largest price with price * k <= tag * 100.
        return tagYen * 100 / hundredPlusRate;
    }
    return ceilDiv(tagYen * 100, hundredPlusRate);
}

}  // namespace

std::optional<TaxExclusive> taxExclusive(qint64 tagYen, int ratePercent, std::optional<qint64> listExclusiveYen,
                                         Rounding rounding)
{
    if (ratePercent <= 0 || ratePercent > 100 || tagYen < 0 || tagYen > kMaxTagYen) {
        return std::nullopt;
    }
    TaxExclusive out;
    if (listExclusiveYen && *listExclusiveYen >= 0 && *listExclusiveYen <= kMaxTagYen) {
        for (Rounding any : productlist::allRoundings()) {
            if (productlist::taxIncluded(*listExclusiveYen, ratePercent, any) == tagYen) {
                out.yen = *listExclusiveYen;
                out.source = TaxExclusive::Source::list;
                return out;
            }
        }
    }
    out.listDisagrees = listExclusiveYen.has_value();
    const qint64 hundredPlusRate = 100 + ratePercent;
    out.yen = candidate(tagYen, hundredPlusRate, rounding);
    if (out.yen < 0 || productlist::taxIncluded(out.yen, ratePercent, rounding) != tagYen) {
        // Set with the tax in it: the price less its tax share rounded down.
        out.yen = ceilDiv(tagYen * 100, hundredPlusRate);
    }
    return out;
}

QString taxExclusiveText(qint64 yen)
{
    return QStringLiteral("（税抜 %1円）").arg(groupedYen(yen));
}

bool takesReducedRateMark(int ratePercent)
{
    return ratePercent == productlist::kReducedRate;
}

QString reducedRateMarkText(ReducedRateMark mark)
{
    switch (mark) {
    case ReducedRateMark::asterisk:
        return QStringLiteral("※");
    case ReducedRateMark::kei:
        return QStringLiteral("軽");
    }
    return {};
}

}  // namespace pricing
