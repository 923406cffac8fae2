#include "core/catalogue/rules/product.h"

#include "core/sheet/field_entry.h"

namespace catalogue {

namespace {

// A text field of the tag as the record holds it.
const QString& heldText(const sheet::TagRecord& tag, sheet::Field field)
{
    return *sheet::textMember(const_cast<sheet::TagRecord&>(tag), field);
}

// A field of the tag, compared and copied as the record holds it.
template<sheet::Field tagField> ProductFieldAccess tagAccess(ProductField field, bool isPrice)
{
    return {field,
            tagField,
            isPrice,
            "",
            [](const ProductData& a, const ProductData& b) {
                if constexpr (tagField == sheet::Field::price) {
                    return a.tag.price == b.tag.price;
                } else {
                    return heldText(a.tag, tagField) == heldText(b.tag, tagField);
                }
            },
            [](ProductData& to, const ProductData& from) {
                if constexpr (tagField == sheet::Field::price) {
                    to.tag.price = from.tag.price;
                } else {
                    *sheet::textMember(to.tag, tagField) = sheet::fieldText(from.tag, tagField);
                }
            }};
}

// A field beyond the tag, held in `member`.
template<auto member> ProductFieldAccess ownAccess(ProductField field, bool isPrice, const char* title)
{
    return {field,
            std::nullopt,
            isPrice,
            title,
            [](const ProductData& a, const ProductData& b) { return a.*member == b.*member; },
            [](ProductData& to, const ProductData& from) { to.*member = from.*member; }};
}

}  // namespace

const std::vector<ProductFieldAccess>& productFieldTable()
{
    static const std::vector<ProductFieldAccess> table {
        tagAccess<sheet::Field::jan>(ProductField::jan, false),
        tagAccess<sheet::Field::maker>(ProductField::maker, false),
        tagAccess<sheet::Field::productName>(ProductField::productName, false),
        tagAccess<sheet::Field::productName2>(ProductField::productName2, false),
        tagAccess<sheet::Field::spec>(ProductField::spec, false),
        tagAccess<sheet::Field::lot>(ProductField::lot, false),
        tagAccess<sheet::Field::price>(ProductField::price, true),
        ownAccess<&ProductData::listPrice>(ProductField::listPrice, true, "リストの価格"),
        ownAccess<&ProductData::priceIncludesTax>(ProductField::priceIncludesTax, true, "税込み・税抜き"),
        ownAccess<&ProductData::taxRatePercent>(ProductField::taxRate, true, "税率"),
        ownAccess<&ProductData::shelf>(ProductField::shelf, false, "棚番"),
        ownAccess<&ProductData::tagCount>(ProductField::tagCount, false, "フェース数"),
        ownAccess<&ProductData::unitBase>(ProductField::unitBase, false, "単位価格の基準"),
        ownAccess<&ProductData::content>(ProductField::content, false, "内容量"),
    };
    return table;
}

const ProductFieldAccess& accessOf(ProductField field)
{
    return productFieldTable()[size_t(field)];
}

const std::vector<ProductField>& allProductFields()
{
    static const std::vector<ProductField> all = [] {
        std::vector<ProductField> fields;
        for (const ProductFieldAccess& access : productFieldTable()) {
            fields.push_back(access.field);
        }
        return fields;
    }();
    return all;
}

QString productFieldTitle(ProductField field)
{
    const ProductFieldAccess& access = accessOf(field);
    return access.tagField ? tagFieldTitle(*access.tagField) : QString::fromUtf8(access.title);
}

std::vector<ProductField> differingFields(const ProductData& before, const ProductData& now)
{
    std::vector<ProductField> out;
    for (const ProductFieldAccess& access : productFieldTable()) {
        if (!access.same(before, now)) {
            out.push_back(access.field);
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

QString unitTextOf(const ProductData& data)
{
    if (data.unitBase.isEmpty() && data.content.isEmpty()) {
        return {};
    }
    const QChar separator(0x1F);
    return separator + QStringLiteral("単位") + separator + data.unitBase + separator + data.content;
}

QString productTagText(const ProductData& data)
{
    return tagText(data.tag) + unitTextOf(data);
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
