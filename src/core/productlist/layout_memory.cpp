#include "core/productlist/layout_memory.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace productlist {

namespace {

const QString kBasisIncludes = QStringLiteral("includes-tax");
const QString kBasisExcludes = QStringLiteral("excludes-tax");

}  // namespace

QString layoutKey(const QStringList& columnTitles, bool hasHeader)
{
    if (!hasHeader || columnTitles.isEmpty()) {
        return {};
    }
    QStringList folded;
    for (const QString& title : columnTitles) {
        folded.append(foldHeaderName(title));
    }
    const QByteArray digest = QCryptographicHash::hash(folded.join(QChar(0x1F)).toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().left(32));
}

QString choicesToJson(const ListChoices& choices)
{
    QJsonObject columns;
    for (ListField field : allListFields()) {
        columns.insert(listFieldKey(field), choices.mapping.column(field));
    }
    QJsonObject codes;
    for (const TaxCode& code : choices.tax.codes) {
        codes.insert(code.code, taxCodeMeaningKey(code.meaning));
    }
    QJsonObject out {
        {QStringLiteral("columns"), columns},
        {QStringLiteral("noPrice"), choices.noPrice},
        {QStringLiteral("basis"), choices.tax.basis == PriceBasis::includesTax ? kBasisIncludes : kBasisExcludes},
        {QStringLiteral("rate"), choices.tax.ratePercent},
        {QStringLiteral("rounding"), roundingKey(choices.tax.rounding)},
        {QStringLiteral("taxCodes"), codes},
    };
    if (choices.encoding) {
        out.insert(QStringLiteral("encoding"), encodingName(*choices.encoding));
    }
    if (choices.delimiter) {
        out.insert(QStringLiteral("delimiter"), QString(*choices.delimiter));
    }
    return QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Compact));
}

std::optional<ListChoices> choicesFromJson(const QString& json, int columnCount)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject in = document.object();
    ListChoices out;
    const QJsonObject columns = in.value(QStringLiteral("columns")).toObject();
    for (auto it = columns.begin(); it != columns.end(); ++it) {
        const auto field = listFieldOfKey(it.key());
        const int column = it.value().toInt(-2);
        if (!field || column < -1 || column >= columnCount) {
            return std::nullopt;
        }
        out.mapping.set(*field, column);
    }
    out.noPrice = in.value(QStringLiteral("noPrice")).toBool() && out.mapping.column(ListField::price) < 0;
    const QString basis = in.value(QStringLiteral("basis")).toString();
    if (basis != kBasisIncludes && basis != kBasisExcludes) {
        return std::nullopt;
    }
    out.tax.basis = basis == kBasisIncludes ? PriceBasis::includesTax : PriceBasis::excludesTax;
    out.tax.ratePercent = in.value(QStringLiteral("rate")).toInt();
    const auto rounding = roundingOfKey(in.value(QStringLiteral("rounding")).toString());
    if ((out.tax.ratePercent != kStandardRate && out.tax.ratePercent != kReducedRate) || !rounding) {
        return std::nullopt;
    }
    out.tax.rounding = *rounding;
    const QJsonObject codes = in.value(QStringLiteral("taxCodes")).toObject();
    for (auto it = codes.begin(); it != codes.end(); ++it) {
        const auto meaning = taxCodeMeaningOfKey(it.value().toString());
        if (!meaning) {
            return std::nullopt;
        }
        out.tax.codes.push_back(TaxCode {it.key(), *meaning});
    }
    if (in.contains(QStringLiteral("encoding"))) {
        out.encoding = parseEncodingName(in.value(QStringLiteral("encoding")).toString());
        if (!out.encoding) {
            return std::nullopt;
        }
    }
    const QString delimiter = in.value(QStringLiteral("delimiter")).toString();
    if (delimiter.size() == 1 && QString::fromUtf16(kDelimiters, std::size(kDelimiters)).contains(delimiter)) {
        out.delimiter = delimiter.front();
    } else if (!delimiter.isEmpty()) {
        return std::nullopt;
    }
    return out;
}

std::optional<ListChoices> rememberedChoices(const LayoutMemory& memory, const QStringList& columnTitles,
                                             bool hasHeader)
{
    const QString key = layoutKey(columnTitles, hasHeader);
    if (key.isEmpty()) {
        return std::nullopt;
    }
    const auto json = memory.rememberedLayout(key);
    return json ? choicesFromJson(*json, int(columnTitles.size())) : std::nullopt;
}

bool rememberChoices(LayoutMemory& memory, const QStringList& columnTitles, bool hasHeader, const ListChoices& choices,
                     QString* problem)
{
    const QString key = layoutKey(columnTitles, hasHeader);
    return key.isEmpty() || memory.rememberLayout(key, choicesToJson(choices), problem);
}

}  // namespace productlist
