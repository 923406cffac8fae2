#include "core/productlist/tax.h"

#include <QStringList>

#include <map>

namespace productlist {

namespace {

// Prices above this are all the same to the reader: far above any tag's limit, far below overflow.
constexpr qint64 kPriceCap = 1'000'000'000'000LL;

// The consumption tax rates a class may name, in percent.
bool isKnownRate(int percent)
{
    return percent == 0 || percent == kReducedRate || percent == kStandardRate;
}

bool allDigits(const QString& text)
{
    if (text.isEmpty()) {
        return false;
    }
    for (QChar ch : text) {
        if (ch < u'0' || ch > u'9') {
            return false;
        }
    }
    return true;
}

// Whole percent of a rate written as a percentage ("10", "8.0") or as a fraction ("0.1", "0.08").
std::optional<int> ratePercent(const QString& number, bool percentSign)
{
    const qsizetype point = number.indexOf(u'.');
    QString whole = point < 0 ? number : number.left(point);
    QString fraction = point < 0 ? QString() : number.mid(point + 1);
    if (whole.isEmpty()) {
        whole = QStringLiteral("0");
    }
    if (!allDigits(whole) || (!fraction.isEmpty() && !allDigits(fraction)) || whole.size() > 3) {
        return std::nullopt;
    }
    while (fraction.endsWith(u'0')) {
        fraction.chop(1);
    }
    if (percentSign || whole.toInt() >= 1) {
        if (!fraction.isEmpty()) {
            return std::nullopt;
        }
        return whole.toInt();
    }
    // A fraction of one: two places give the percentage.
    if (fraction.size() > 2) {
        return std::nullopt;
    }
    return (fraction + QString(2 - fraction.size(), u'0')).toInt();
}

}  // namespace

QString roundingTitle(Rounding rounding)
{
    switch (rounding) {
    case Rounding::floor:
        return QStringLiteral("切り捨て");
    case Rounding::halfUp:
        return QStringLiteral("四捨五入");
    case Rounding::ceil:
        return QStringLiteral("切り上げ");
    }
    return {};
}

QString roundingKey(Rounding rounding)
{
    switch (rounding) {
    case Rounding::floor:
        return QStringLiteral("floor");
    case Rounding::halfUp:
        return QStringLiteral("half-up");
    case Rounding::ceil:
        return QStringLiteral("ceil");
    }
    return {};
}

std::optional<Rounding> roundingOfKey(const QString& key)
{
    for (Rounding rounding : allRoundings()) {
        if (key == roundingKey(rounding)) {
            return rounding;
        }
    }
    return std::nullopt;
}

const std::vector<Rounding>& allRoundings()
{
    static const std::vector<Rounding> all {Rounding::floor, Rounding::halfUp, Rounding::ceil};
    return all;
}

qint64 taxIncluded(qint64 yen, int ratePercent, Rounding rounding)
{
    // Hundredths of a yen: exact for whole yen and whole percentages.
    const qint64 hundredths = yen * (100 + ratePercent);
    switch (rounding) {
    case Rounding::floor:
        return hundredths / 100;
    case Rounding::halfUp:
        return (hundredths + 50) / 100;
    case Rounding::ceil:
        return (hundredths + 99) / 100;
    }
    return hundredths / 100;
}

std::optional<TaxClass> parseTaxClass(const QString& text)
{
    QString folded = text.normalized(QString::NormalizationForm_KC).trimmed();
    folded.remove(u' ');
    if (folded.isEmpty()) {
        return std::nullopt;
    }
    static const std::map<QString, TaxClass> words {
        {QStringLiteral("標準"), {kStandardRate, {}}},
        {QStringLiteral("標準税率"), {kStandardRate, {}}},
        {QStringLiteral("課税"), {kStandardRate, {}}},
        {QStringLiteral("軽減"), {kReducedRate, {}}},
        {QStringLiteral("軽減税率"), {kReducedRate, {}}},
        {QStringLiteral("軽"), {kReducedRate, {}}},
        {QStringLiteral("非課税"), {0, {}}},
        {QStringLiteral("免税"), {0, {}}},
        {QStringLiteral("不課税"), {0, {}}},
        {QStringLiteral("対象外"), {0, {}}},
        {QStringLiteral("内税"), {std::nullopt, true}},
        {QStringLiteral("外税"), {std::nullopt, false}},
    };
    if (const auto it = words.find(folded); it != words.end()) {
        return it->second;
    }
    const bool percentSign = folded.endsWith(u'%');
    if (percentSign) {
        folded.chop(1);
    }
    const auto percent = ratePercent(folded, percentSign);
    if (!percent || !isKnownRate(*percent)) {
        return std::nullopt;
    }
    return TaxClass {*percent, {}};
}

std::optional<TaxClass> parseTaxCell(const QString& text)
{
    if (const auto plain = parseTaxClass(text)) {
        return plain;
    }
    QString folded = text.normalized(QString::NormalizationForm_KC).trimmed();
    folded.remove(u' ');
    static const std::vector<std::pair<QString, bool>> bases {
        {QStringLiteral("税込み"), true},  {QStringLiteral("税込"), true},  {QStringLiteral("内税"), true},
        {QStringLiteral("税抜き"), false}, {QStringLiteral("税抜"), false}, {QStringLiteral("外税"), false},
    };
    for (const auto& [word, includes] : bases) {
        if (!folded.startsWith(word)) {
            continue;
        }
        QString rest = folded.mid(word.size());
        // "外税(8%)", "外税・軽減"
        rest.remove(u'(');
        rest.remove(u')');
        rest.remove(u'・');
        rest.remove(u'/');
        if (rest.isEmpty()) {
            return TaxClass {std::nullopt, includes};
        }
        const auto rate = parseTaxClass(rest);
        if (!rate || !rate->ratePercent || rate->priceIncludesTax) {
            return std::nullopt;
        }
        return TaxClass {rate->ratePercent, includes};
    }
    return std::nullopt;
}

namespace {

struct CodeMeaning {
    const char* key;
    const char16_t* title;
    TaxClass meaning;
    bool listed;  // named in --tax-code's help; the others are what a register's code may mean alone
};

const std::vector<CodeMeaning>& codeMeanings()
{
    static const std::vector<CodeMeaning> meanings {
        {"incl10", u"税込 10%", {kStandardRate, true}, true},
        {"incl8", u"税込 8%", {kReducedRate, true}, true},
        {"excl10", u"税抜 10%", {kStandardRate, false}, true},
        {"excl8", u"税抜 8%", {kReducedRate, false}, true},
        {"exempt", u"非課税", {0, true}, true},
        {"incl", u"税込", {std::nullopt, true}, false},
        {"excl", u"税抜", {std::nullopt, false}, false},
        {"standard", u"標準税率 10%", {kStandardRate, std::nullopt}, false},
        {"reduced", u"軽減税率 8%", {kReducedRate, std::nullopt}, false},
    };
    return meanings;
}

}  // namespace

const QStringList& taxCodeMeaningKeys()
{
    static const QStringList keys = [] {
        QStringList out;
        for (const CodeMeaning& meaning : codeMeanings()) {
            if (meaning.listed) {
                out.append(QString::fromLatin1(meaning.key));
            }
        }
        return out;
    }();
    return keys;
}

std::optional<TaxClass> taxCodeMeaningOfKey(const QString& key)
{
    for (const CodeMeaning& meaning : codeMeanings()) {
        if (key.compare(QLatin1String(meaning.key), Qt::CaseInsensitive) == 0) {
            return meaning.meaning;
        }
    }
    return std::nullopt;
}

QString taxCodeMeaningKey(const TaxClass& meaning)
{
    for (const CodeMeaning& known : codeMeanings()) {
        if (known.meaning.ratePercent == meaning.ratePercent
            && known.meaning.priceIncludesTax == meaning.priceIncludesTax) {
            return QString::fromLatin1(known.key);
        }
    }
    return {};
}

QString taxCodeMeaningTitle(const QString& key)
{
    for (const CodeMeaning& meaning : codeMeanings()) {
        if (key == QLatin1String(meaning.key)) {
            return QString::fromUtf16(meaning.title);
        }
    }
    return {};
}

std::optional<TaxCode> parseTaxCodeArgument(const QString& text)
{
    const qsizetype equals = text.lastIndexOf(u'=');
    const QString code = text.left(equals).trimmed();
    const auto meaning = equals > 0 ? taxCodeMeaningOfKey(text.mid(equals + 1).trimmed()) : std::nullopt;
    if (code.isEmpty() || !meaning) {
        return std::nullopt;
    }
    return TaxCode {code.normalized(QString::NormalizationForm_KC), *meaning};
}

std::optional<std::vector<TaxCode>> parseTaxCodesArgument(const QString& text)
{
    std::vector<TaxCode> out;
    for (const QString& item : text.split(u',')) {
        const qsizetype equals = item.lastIndexOf(u'=');
        const QString code = item.left(equals).trimmed().normalized(QString::NormalizationForm_KC);
        const QString given = item.mid(equals + 1).trimmed();
        std::optional<TaxClass> meaning = equals > 0 ? taxCodeMeaningOfKey(given) : std::nullopt;
        if (!meaning && equals > 0) {
            meaning = parseTaxCell(given);
        }
        if (code.isEmpty() || !meaning) {
            return std::nullopt;
        }
        if (meaning->ratePercent == 0) {
            meaning = TaxClass {0, true};  // no tax: the price is the price either way
        }
        out.push_back(TaxCode {code, *meaning});
    }
    return out;
}

std::optional<TaxClass> readTaxCell(const QString& text, const std::vector<TaxCode>& codes)
{
    if (!codes.empty()) {
        const QString folded = text.normalized(QString::NormalizationForm_KC).trimmed();
        for (const TaxCode& code : codes) {
            if (code.code == folded) {
                return code.meaning;
            }
        }
    }
    return parseTaxCell(text);
}

PriceReading readPrice(const QString& text)
{
    PriceReading out;
    const QString original = text.trimmed();
    if (original.isEmpty()) {
        return out;
    }
    // Full-width digits and signs made half-width; the yen sign of code page 932 files is a
    // backslash once decoded as ASCII.
    QString folded = original.normalized(QString::NormalizationForm_KC);
    folded.remove(u' ');
    if (folded.startsWith(u'¥') || folded.startsWith(u'\\')) {
        folded.remove(0, 1);
    }
    if (folded.endsWith(u'円')) {
        folded.chop(1);
    }
    if (folded.startsWith(u'-')) {
        out.status = PriceReading::Status::negative;
        return out;
    }
    const qsizetype point = folded.indexOf(u'.');
    QString whole = point < 0 ? folded : folded.left(point);
    const QString fraction = point < 0 ? QString() : folded.mid(point + 1);
    if (whole.contains(u',')) {
        const QStringList groups = whole.split(u',');
        for (qsizetype i = 0; i < groups.size(); ++i) {
            const QString& group = groups.at(i);
            const bool ok = allDigits(group) && (i == 0 ? group.size() <= 3 : group.size() == 3);
            if (!ok) {
                out.status = PriceReading::Status::notANumber;
                return out;
            }
        }
        whole.remove(u',');
    }
    if (!allDigits(whole) || (point >= 0 && !fraction.isEmpty() && !allDigits(fraction))) {
        out.status = PriceReading::Status::notANumber;
        return out;
    }
    for (QChar ch : fraction) {
        if (ch != u'0') {
            out.status = PriceReading::Status::fraction;
            return out;
        }
    }
    while (whole.size() > 1 && whole.startsWith(u'0')) {
        whole.remove(0, 1);
    }
    out.status = PriceReading::Status::ok;
    out.yen = whole.size() > 13 ? kPriceCap : std::min(whole.toLongLong(), kPriceCap);
    out.reformatted = original != whole;
    return out;
}

}  // namespace productlist
