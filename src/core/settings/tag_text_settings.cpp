#include "core/settings/tag_text_settings.h"

#include "core/pricing/tax_exclusive.h"
#include "core/pricing/unit_price.h"

#include <QDir>

#include <optional>

namespace settings {

namespace {

const QString kGroup = QStringLiteral("tag-texts");

QString keyOf(const QString& name)
{
    return kGroup + u'/' + name;
}

}  // namespace

sheet::TagTextChoices TagTextSettings::tagTextChoices(QStringList* problems) const
{
    sheet::TagTextChoices choices;
    const auto say = [&](const QString& text) {
        if (problems) {
            problems->append(text);
        }
    };
    const SettingsReading reading = store_.read();
    if (reading.status() == SettingsFileStatus::damaged) {
        say(QStringLiteral("設定ファイル %1 が壊れているか読めないため、棚札の表示の設定を使いません。")
                .arg(QDir::toNativeSeparators(store_.path())));
        return choices;
    }
    const auto text = [&](const QString& name) { return reading.trimmedText(keyOf(name)); };
    const auto unusableValue = [&](const QString& name, const QString& value, const QString& allowed) {
        say(QStringLiteral("設定ファイル %1 の [%2] %3 の値「%4」は正しくないため使いません（%5）。")
                .arg(QDir::toNativeSeparators(store_.path()), kGroup, name, quotedStart(value), allowed));
    };
    const auto flag = [&](const QString& name, bool& out) {
        if (const std::optional<QString> value = text(name)) {
            if (*value == QLatin1String("true") || *value == QLatin1String("1")) {
                out = true;
            } else if (*value == QLatin1String("false") || *value == QLatin1String("0")) {
                out = false;
            } else {
                unusableValue(name, *value, QStringLiteral("true か false"));
            }
        }
    };
    flag(QStringLiteral("unit-price"), choices.unitPrice);
    flag(QStringLiteral("tax-exclusive"), choices.taxExclusive);
    flag(QStringLiteral("reduced-rate-mark"), choices.reducedRateMark);
    if (const std::optional<QString> mark = text(QStringLiteral("mark"))) {
        const QString asterisk = pricing::reducedRateMarkText(pricing::ReducedRateMark::asterisk);
        const QString kei = pricing::reducedRateMarkText(pricing::ReducedRateMark::kei);
        if (*mark == asterisk || *mark == kei) {
            choices.markText = *mark;
        } else {
            unusableValue(QStringLiteral("mark"), *mark, asterisk + QStringLiteral(" か ") + kei);
        }
    }
    if (const std::optional<QString> base = text(QStringLiteral("unit-base")); base && !base->isEmpty()) {
        const pricing::UnitBaseReading unitBase = pricing::readUnitBase(*base);
        if (unitBase.outcome == pricing::UnitBaseReading::Outcome::base) {
            choices.unitBase = *base;
        } else {
            unusableValue(QStringLiteral("unit-base"), *base, QStringLiteral("100g、1kg、100ml、1L、1個、10m など"));
        }
    }
    if (const std::optional<QString> rate = text(QStringLiteral("sheet-tax-rate"))) {
        if (*rate == QLatin1String("10") || *rate == QLatin1String("8")) {
            choices.sheetTaxRatePercent = rate->toInt();
        } else {
            unusableValue(QStringLiteral("sheet-tax-rate"), *rate, QStringLiteral("10 か 8"));
        }
    }
    return choices;
}

bool TagTextSettings::saveTagTextChoices(const sheet::TagTextChoices& choices, QString* problem)
{
    const auto flag = [](bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); };
    const auto key = [](const char* name) { return keyOf(QLatin1String(name)); };
    return store_.write({{key("unit-price"), flag(choices.unitPrice)},
                         {key("tax-exclusive"), flag(choices.taxExclusive)},
                         {key("reduced-rate-mark"), flag(choices.reducedRateMark)},
                         {key("mark"), choices.markText},
                         {key("unit-base"), choices.unitBase},
                         {key("sheet-tax-rate"), QString::number(choices.sheetTaxRatePercent)}},
                        problem);
}

}  // namespace settings
