#include "core/catalogue/store/product_columns.h"

#include "core/sheet/field_entry.h"

#include <QSqlRecord>

#include <algorithm>

namespace catalogue {

namespace {

QString text(const QVariant& value)
{
    return value.toString();
}

}  // namespace

const std::vector<ProductColumn>& productColumns()
{
    // clang-format off
    static const std::vector<ProductColumn> columns {
        {"id", [](const Product& p) { return QVariant(p.id); },
               [](Product& p, const QVariant& v) { p.id = v.toLongLong(); }, false},
        {"code", [](const Product& p) { return QVariant(p.code); },
                 [](Product& p, const QVariant& v) { p.code = text(v); }, false},
        {"jan", [](const Product& p) { return QVariant(p.tag.jan); },
                [](Product& p, const QVariant& v) { p.tag.jan = text(v); }, true},
        {"maker", [](const Product& p) { return QVariant(p.tag.maker); },
                  [](Product& p, const QVariant& v) { p.tag.maker = text(v); }, true},
        {"name", [](const Product& p) { return QVariant(p.tag.productName); },
                 [](Product& p, const QVariant& v) { p.tag.productName = text(v); }, true},
        {"name2", [](const Product& p) { return QVariant(p.tag.productName2); },
                  [](Product& p, const QVariant& v) { p.tag.productName2 = text(v); }, true},
        {"spec", [](const Product& p) { return QVariant(p.tag.spec); },
                 [](Product& p, const QVariant& v) { p.tag.spec = text(v); }, true},
        {"lot", [](const Product& p) { return QVariant(p.tag.lot); },
                [](Product& p, const QVariant& v) { p.tag.lot = text(v); }, true},
        {"list_price", [](const Product& p) { return QVariant(p.listPrice); },
                       [](Product& p, const QVariant& v) { p.listPrice = v.toLongLong(); }, true},
        {"price_includes_tax", [](const Product& p) { return QVariant(int(p.priceIncludesTax)); },
                               [](Product& p, const QVariant& v) { p.priceIncludesTax = v.toInt() != 0; }, true},
        {"tax_rate", [](const Product& p) { return QVariant(p.taxRatePercent); },
                     [](Product& p, const QVariant& v) { p.taxRatePercent = v.toInt(); }, true},
        {"tag_price", [](const Product& p) { return QVariant(qint64(p.tag.price)); },
                      [](Product& p, const QVariant& v) { p.tag.price = qint32(v.toLongLong()); }, true},
        {"shelf", [](const Product& p) { return QVariant(p.shelf); },
                  [](Product& p, const QVariant& v) { p.shelf = text(v); }, true},
        {"tag_count", [](const Product& p) { return QVariant(p.tagCount); },
                      [](Product& p, const QVariant& v) { p.tagCount = v.toInt(); }, true},
        {"unit_base", [](const Product& p) { return QVariant(p.unitBase); },
                      [](Product& p, const QVariant& v) { p.unitBase = text(v); }, true},
        {"content", [](const Product& p) { return QVariant(p.content); },
                    [](Product& p, const QVariant& v) { p.content = text(v); }, true},
        {"list_order", [](const Product& p) { return QVariant(p.listOrder); },
                       [](Product& p, const QVariant& v) { p.listOrder = v.toInt(); }, true},
        {"first_seen", [](const Product& p) { return QVariant(p.firstSeen); },
                       [](Product& p, const QVariant& v) { p.firstSeen = text(v); }, false},
        {"last_seen", [](const Product& p) { return QVariant(p.lastSeen); },
                      [](Product& p, const QVariant& v) { p.lastSeen = text(v); }, false},
        {"active", [](const Product& p) { return QVariant(int(p.active)); },
                   [](Product& p, const QVariant& v) { p.active = v.toInt() != 0; }, false},
        {"valid_from", [](const Product& p) { return QVariant(p.validFrom); },
                       [](Product& p, const QVariant& v) { p.validFrom = text(v); }, false},
    };
    // clang-format on
    return columns;
}

QStringList listColumnNames()
{
    QStringList names;
    for (const ProductColumn& column : productColumns()) {
        if (column.fromList) {
            names << QString::fromLatin1(column.name);
        }
    }
    return names;
}

QVariantList listColumnValues(const ProductData& data)
{
    Product product;
    static_cast<ProductData&>(product) = data;
    QVariantList values;
    for (const ProductColumn& column : productColumns()) {
        if (column.fromList) {
            values << column.value(product);
        }
    }
    return values;
}

QString productSelectList(const QString& alias)
{
    QStringList parts;
    for (const ProductColumn& column : productColumns()) {
        parts << QStringLiteral("%1.%2 AS %1_%2").arg(alias, QString::fromLatin1(column.name));
    }
    return parts.join(QStringLiteral(", "));
}

QString mergedProductSelectList(const QString& alias)
{
    QStringList parts;
    for (const ProductColumn& column : productColumns()) {
        const QLatin1String name(column.name);
        if (name != QLatin1String("first_seen") && name != QLatin1String("last_seen")) {
            parts << QStringLiteral("%1.%2 AS %1_%2").arg(alias, name);
        }
    }
    return parts.join(QStringLiteral(", "));
}

QString compactProductSelectList(const QString& alias)
{
    QStringList parts;
    for (const ProductColumn& column : productColumns()) {
        const QString name = QString::fromLatin1(column.name);
        if (std::none_of(tagColumns().begin(), tagColumns().end(),
                         [&](const TagColumn& tag) { return name == QLatin1String(tag.name); })
            && name != QLatin1String("tag_price")) {
            parts << QStringLiteral("%1.%2 AS %1_%2").arg(alias, name);
        }
    }
    parts << QStringLiteral("%1.tag_text AS %1_tag_text").arg(alias);
    return parts.join(QStringLiteral(", "));
}

QString versionSelectList()
{
    QStringList parts;
    for (const ProductColumn& column : productColumns()) {
        const QString name = QString::fromLatin1(column.name);
        const bool ofVersion
            = column.fromList || name == QLatin1String("active") || name == QLatin1String("valid_from");
        parts << QStringLiteral("%1.%2 AS p_%2").arg(ofVersion ? QStringLiteral("v") : QStringLiteral("p"), name);
    }
    return parts.join(QStringLiteral(", "));
}

const std::vector<TagColumn>& tagColumns()
{
    static const std::vector<TagColumn> columns {
        {"jan", sheet::Field::jan},          {"maker", sheet::Field::maker},
        {"name", sheet::Field::productName}, {"name2", sheet::Field::productName2},
        {"spec", sheet::Field::spec},        {"lot", sheet::Field::lot},
        {"price", sheet::Field::price},
    };
    return columns;
}

QString tagSelectList(const QString& alias)
{
    QStringList parts;
    for (const TagColumn& column : tagColumns()) {
        parts << QStringLiteral("%1.%2 AS %1_%2").arg(alias, QString::fromLatin1(column.name));
    }
    return parts.join(QStringLiteral(", "));
}

QStringList tagColumnNames()
{
    QStringList names;
    for (const TagColumn& column : tagColumns()) {
        names << QString::fromLatin1(column.name);
    }
    return names;
}

QVariantList tagColumnValues(const sheet::TagRecord& tag)
{
    QVariantList values;
    for (const TagColumn& column : tagColumns()) {
        values << (column.field == sheet::Field::price ? QVariant(qint64(tag.price))
                                                       : QVariant(sheet::fieldText(tag, column.field)));
    }
    return values;
}

ProductReader::ProductReader(const QSqlQuery& query, const QString& alias)
{
    const QSqlRecord record = query.record();
    for (const ProductColumn& column : productColumns()) {
        at_.push_back(record.indexOf(QStringLiteral("%1_%2").arg(alias, QString::fromLatin1(column.name))));
    }
    if (record.indexOf(QStringLiteral("%1_jan").arg(alias)) < 0) {
        tagText_ = record.indexOf(QStringLiteral("%1_tag_text").arg(alias));
    }
}

Product ProductReader::read(const QSqlQuery& query) const
{
    Product product;
    if (tagText_ >= 0) {
        product.tag = tagOfText(query.value(tagText_).toString());
    }
    const std::vector<ProductColumn>& columns = productColumns();
    for (size_t i = 0; i < columns.size(); ++i) {
        if (at_[i] >= 0) {
            columns[i].set(product, query.value(at_[i]));
        }
    }
    return product;
}

TagReader::TagReader(const QSqlQuery& query, const QString& alias)
{
    const QSqlRecord record = query.record();
    for (const TagColumn& column : tagColumns()) {
        at_.push_back(record.indexOf(QStringLiteral("%1_%2").arg(alias, QString::fromLatin1(column.name))));
    }
    if (at_.front() < 0) {
        tagText_ = record.indexOf(QStringLiteral("%1_tag_text").arg(alias));
    }
}

sheet::TagRecord TagReader::read(const QSqlQuery& query) const
{
    if (tagText_ >= 0) {
        return tagOfText(query.value(tagText_).toString());
    }
    sheet::TagRecord tag;
    const std::vector<TagColumn>& columns = tagColumns();
    for (size_t i = 0; i < columns.size(); ++i) {
        if (at_[i] < 0) {
            continue;
        }
        if (columns[i].field == sheet::Field::price) {
            tag.price = qint32(query.value(at_[i]).toLongLong());
        } else {
            *sheet::textMember(tag, columns[i].field) = query.value(at_[i]).toString();
        }
    }
    return tag;
}

}  // namespace catalogue
