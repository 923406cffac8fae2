#include "core/pricing/unit_price.h"

#include "core/pricing/yen_text.h"

#include <QStringList>

namespace pricing {

namespace {

// Prices above this are refused, so that price * base * 10 stays far inside 64 bits.
constexpr qint64 kMaxPriceYen = 1'000'000'000;
// The largest base a unit price is given for, after scaling: 100 kg, 100 L, 100 km, 100,000 items.
constexpr qint64 kMaxBaseMilli = 100'000'000;

// The bases readUnitBase takes, in thousandths: 0.1 to 10,000 g, ml or m; 1 to 100 items.
constexpr qint64 kSmallestMeasureBase = 100;
constexpr qint64 kLargestMeasureBase = 10'000'000;
constexpr qint64 kLargestCountBase = 100 * kMilliPerUnit;

bool isPowerOfTen(qint64 value)
{
    if (value <= 0) {
        return false;
    }
    while (value % 10 == 0) {
        value /= 10;
    }
    return value == 1;
}

bool isMassOrVolume(Kind kind)
{
    return kind == Kind::mass || kind == Kind::volume;
}

UnitPriceResult noUnitPrice(const QString& note)
{
    return UnitPriceResult {std::nullopt, note};
}

}  // namespace

UnitBase defaultBase(Kind kind)
{
    switch (kind) {
    case Kind::mass:
    case Kind::volume:
        return UnitBase {kind, 100 * kMilliPerUnit};
    case Kind::length:
    case Kind::count:
        return UnitBase {kind, kMilliPerUnit};
    }
    return UnitBase {kind, kMilliPerUnit};
}

UnitBaseReading readUnitBase(const QString& text)
{
    QString folded = text.normalized(QString::NormalizationForm_KC).trimmed();
    folded.remove(u' ');
    UnitBaseReading out;
    if (folded.isEmpty()) {
        return out;
    }
    static const QStringList leftOut {
        QStringLiteral("なし"),   QStringLiteral("無し"),       QStringLiteral("-"),      QStringLiteral("ー"),
        QStringLiteral("対象外"), QStringLiteral("表示しない"), QStringLiteral("しない"),
    };
    if (leftOut.contains(folded)) {
        out.outcome = UnitBaseReading::Outcome::leftOut;
        return out;
    }
    for (const QString& per : {QStringLiteral("あたり"), QStringLiteral("当たり"), QStringLiteral("当り")}) {
        if (folded.endsWith(per)) {
            folded.chop(per.size());
            break;
        }
    }
    // A number and one unit or count word.
    qsizetype split = 0;
    while (split < folded.size()
           && ((folded.at(split) >= u'0' && folded.at(split) <= u'9') || folded.at(split) == u'.'
               || folded.at(split) == u',')) {
        ++split;
    }
    const QuantityReading reading = split == 0 || split == folded.size()
        ? QuantityReading {}
        : readQuantityColumns(folded.left(split), folded.mid(split));
    out.outcome = UnitBaseReading::Outcome::refused;
    if (!reading.quantity) {
        out.note = QStringLiteral("単位「%1」が読めません（例：100g、1kg、100ml、1L、1個、10m）").arg(text.trimmed());
        return out;
    }
    const Quantity& quantity = *reading.quantity;
    const bool count = quantity.kind == Kind::count;
    const bool inRange = count ? quantity.milli >= kMilliPerUnit && quantity.milli <= kLargestCountBase
                               : quantity.milli >= kSmallestMeasureBase && quantity.milli <= kLargestMeasureBase;
    if (!isPowerOfTen(quantity.milli) || !inRange) {
        out.note = QStringLiteral("単位の量は1、10、100、1000のどれかにしてください（%1）").arg(text.trimmed());
        return out;
    }
    out.outcome = UnitBaseReading::Outcome::base;
    out.base = UnitBase {quantity.kind, quantity.milli};
    return out;
}

UnitPriceResult unitPrice(const Quantity& quantity, qint64 priceYen, const std::optional<UnitBase>& base,
                          Scaling scaling)
{
    if (priceYen <= 0) {
        return noUnitPrice(QStringLiteral("売価がありません"));
    }
    if (priceYen > kMaxPriceYen) {
        return noUnitPrice(QStringLiteral("売価が大きすぎます"));
    }
    if (quantity.milli <= 0) {
        return noUnitPrice(QStringLiteral("量が0です"));
    }
    if (quantity.kind == Kind::count && quantity.milli == kMilliPerUnit) {
        return noUnitPrice(QStringLiteral("1つだけの品は単位価格が売価と同じです"));
    }
    UnitBase chosen = base.value_or(defaultBase(quantity.kind));
    if (chosen.milli <= 0 || chosen.milli > kMaxBaseMilli / 10) {
        return noUnitPrice(QStringLiteral("単位の量が正しくありません"));
    }
    if (chosen.kind != quantity.kind) {
        // The 告示: a unit in grams serves goods labelled in millilitres, and the other way round.
        if (!isMassOrVolume(chosen.kind) || !isMassOrVolume(quantity.kind)) {
            return noUnitPrice(QStringLiteral("単位「%1」はこの内容量（%2）に使えません")
                                   .arg(unitBaseText(chosen, quantity.countWord), quantityText(quantity)));
        }
        chosen.kind = quantity.kind;
    }
    if (scaling == Scaling::byContent && quantity.kind != Kind::count) {
        // The 告示: ten times the unit from ten times its content, a tenth of it below the unit.
        if (quantity.milli >= 10 * chosen.milli) {
            chosen.milli *= 10;
        } else if (quantity.milli < chosen.milli && chosen.milli % 10 == 0) {
            chosen.milli /= 10;
        }
    }
    // price * base / content, in tenths of a yen, rounded down.
    const qint64 tenths = priceYen * chosen.milli * 10 / quantity.milli;
    if (tenths == 0) {
        return noUnitPrice(QStringLiteral("単位価格が0.1円未満です"));
    }
    return UnitPriceResult {UnitPrice {chosen, quantity.countWord, tenths}, {}};
}

QString unitBaseText(const UnitBase& base, const QString& countWord)
{
    const bool wordless = base.kind == Kind::count && countWord.isEmpty();
    return quantityText(Quantity {base.kind, base.milli, wordless ? QStringLiteral("個") : countWord});
}

QString unitPriceText(const UnitPrice& price)
{
    return unitBaseText(price.base, price.countWord) + QStringLiteral("あたり ") + tenthsOfYenText(price.tenthsOfYen)
        + QStringLiteral("円");
}

}  // namespace pricing
