#include "core/catalogue/product.h"

#include "core/sheet/field_entry.h"

namespace catalogue {

const std::vector<ProductField>& allProductFields()
{
    static const std::vector<ProductField> all {
        ProductField::jan,          ProductField::maker,     ProductField::productName,
        ProductField::productName2, ProductField::spec,      ProductField::lot,
        ProductField::price,        ProductField::listPrice, ProductField::priceIncludesTax,
        ProductField::taxRate,      ProductField::shelf,     ProductField::tagCount,
        ProductField::unitBase,     ProductField::content,
    };
    return all;
}

std::optional<sheet::Field> tagFieldOf(ProductField field)
{
    switch (field) {
    case ProductField::jan:
        return sheet::Field::jan;
    case ProductField::maker:
        return sheet::Field::maker;
    case ProductField::productName:
        return sheet::Field::productName;
    case ProductField::productName2:
        return sheet::Field::productName2;
    case ProductField::spec:
        return sheet::Field::spec;
    case ProductField::lot:
        return sheet::Field::lot;
    case ProductField::price:
        return sheet::Field::price;
    default:
        return std::nullopt;
    }
}

bool isPriceField(ProductField field)
{
    return field == ProductField::price || field == ProductField::listPrice || field == ProductField::priceIncludesTax
        || field == ProductField::taxRate;
}

QString productFieldTitle(ProductField field)
{
    if (const auto tagField = tagFieldOf(field)) {
        return tagFieldTitle(*tagField);
    }
    switch (field) {
    case ProductField::listPrice:
        return QStringLiteral("リストの価格");
    case ProductField::priceIncludesTax:
        return QStringLiteral("税込み・税抜き");
    case ProductField::taxRate:
        return QStringLiteral("税率");
    case ProductField::shelf:
        return QStringLiteral("棚番");
    case ProductField::tagCount:
        return QStringLiteral("フェース数");
    case ProductField::unitBase:
        return QStringLiteral("単位価格の基準");
    case ProductField::content:
        return QStringLiteral("内容量");
    default:
        return {};
    }
}

std::vector<ProductField> differingFields(const ProductData& before, const ProductData& now)
{
    std::vector<ProductField> out;
    for (const ProductField field : allProductFields()) {
        bool same = true;
        if (const auto tagField = tagFieldOf(field)) {
            same = sheet::fieldText(before.tag, *tagField) == sheet::fieldText(now.tag, *tagField);
        } else {
            switch (field) {
            case ProductField::listPrice:
                same = before.listPrice == now.listPrice;
                break;
            case ProductField::priceIncludesTax:
                same = before.priceIncludesTax == now.priceIncludesTax;
                break;
            case ProductField::taxRate:
                same = before.taxRatePercent == now.taxRatePercent;
                break;
            case ProductField::shelf:
                same = before.shelf == now.shelf;
                break;
            case ProductField::tagCount:
                same = before.tagCount == now.tagCount;
                break;
            case ProductField::unitBase:
                same = before.unitBase == now.unitBase;
                break;
            case ProductField::content:
                same = before.content == now.content;
                break;
            default:
                break;
            }
        }
        if (!same) {
            out.push_back(field);
        }
    }
    return out;
}

QString tagFieldTitle(sheet::Field field)
{
    switch (field) {
    case sheet::Field::jan:
        return QStringLiteral("JANコード");
    case sheet::Field::maker:
        return QStringLiteral("メーカー");
    case sheet::Field::productName:
        return QStringLiteral("商品名");
    case sheet::Field::productName2:
        return QStringLiteral("商品名2");
    case sheet::Field::spec:
        return QStringLiteral("規格");
    case sheet::Field::lot:
        return QStringLiteral("ロット");
    case sheet::Field::price:
        return QStringLiteral("価格");
    }
    return {};
}

QString tagFieldKey(sheet::Field field)
{
    static const char* const keys[] = {"jan", "maker", "name", "name2", "spec", "lot", "price"};
    return QString::fromLatin1(keys[int(field)]);
}

const std::vector<sheet::Field>& allTagFields()
{
    static const std::vector<sheet::Field> all {
        sheet::Field::jan,  sheet::Field::maker, sheet::Field::productName, sheet::Field::productName2,
        sheet::Field::spec, sheet::Field::lot,   sheet::Field::price};
    return all;
}

std::vector<sheet::Field> tagDifferences(const sheet::TagRecord& now, const sheet::TagRecord& shown)
{
    std::vector<sheet::Field> out;
    for (const sheet::Field field : allTagFields()) {
        if (sheet::fieldText(now, field) != sheet::fieldText(shown, field)) {
            out.push_back(field);
        }
    }
    return out;
}

QString tagText(const sheet::TagRecord& tag)
{
    const QChar separator(0x1F);
    QString text;
    for (const sheet::Field field : allTagFields()) {
        if (field != allTagFields().front()) {
            text += separator;
        }
        text += sheet::fieldText(tag, field);
    }
    return text;
}

sheet::TagRecord tagOfText(const QString& text)
{
    sheet::TagRecord tag;
    const QStringList fields = text.split(QChar(0x1F));
    for (qsizetype i = 0; i < qsizetype(allTagFields().size()) && i < fields.size(); ++i) {
        const sheet::Field field = allTagFields()[size_t(i)];
        if (field == sheet::Field::price) {
            tag.price = fields.at(i).toInt();
        } else {
            *sheet::textMember(tag, field) = fields.at(i);
        }
    }
    return tag;
}

}  // namespace catalogue
