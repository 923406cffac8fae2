#include "core/catalogue/incoming_list.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace catalogue {

namespace {

using productlist::foldHeaderName;

int firstColumnNamed(const QStringList& titles, std::initializer_list<const char16_t*> names, int skipped)
{
    for (const char16_t* name : names) {
        const QString wanted = foldHeaderName(QString::fromUtf16(name));
        for (int column = 0; column < titles.size(); ++column) {
            if (column != skipped && foldHeaderName(titles.at(column)) == wanted) {
                return column;
            }
        }
    }
    return -1;
}

}  // namespace

CatalogueColumns catalogueColumnsOf(const QStringList& columnTitles, const productlist::ColumnMapping& mapping)
{
    const int janColumn = mapping.column(productlist::ListField::jan);
    CatalogueColumns out;
    out.productCode = firstColumnNamed(
        columnTitles, {u"商品コード", u"品番", u"自社コード", u"PLU", u"PLUコード", u"コード"}, janColumn);
    out.shelf = firstColumnNamed(columnTitles, {u"棚番", u"棚位置", u"売場", u"ロケーション", u"棚"}, -1);
    out.tagCount = firstColumnNamed(columnTitles, {u"フェース数", u"棚札枚数", u"枚数", u"フェース"}, -1);
    return out;
}

bool setCatalogueColumn(CatalogueColumns& columns, const QString& key, int column)
{
    if (key == QLatin1String("code")) {
        columns.productCode = column;
    } else if (key == QLatin1String("shelf")) {
        columns.shelf = column;
    } else if (key == QLatin1String("count")) {
        columns.tagCount = column;
    } else {
        return false;
    }
    return true;
}

int readTagCount(const QString& text)
{
    static const QRegularExpression count(QStringLiteral("^\\s*(\\d{1,2})\\s*枚?\\s*$"));
    const auto match = count.match(text.normalized(QString::NormalizationForm_KC));
    const int value = match.hasMatch() ? match.captured(1).toInt() : 1;
    return std::clamp(value, 1, 99);
}

IncomingList incomingProducts(const productlist::ProductList& list, const std::vector<productlist::CleanRow>& cleaned,
                              const std::vector<productlist::CleanRow>* cleanedName2, const CatalogueColumns& columns)
{
    IncomingList out;
    out.rowCount = int(list.rows.size());
    out.products.reserve(cleaned.size());
    QHash<QString, int> rowOfKey;
    rowOfKey.reserve(qsizetype(cleaned.size()));
    for (size_t i = 0; i < cleaned.size() && i < list.rows.size(); ++i) {
        const productlist::CleanRow& row = cleaned[i];
        if (row.refused()) {
            out.refused.push_back({row.number, row.summary()});
            continue;
        }
        const productlist::ListRow& source = list.rows[i];
        IncomingProduct product;
        product.tag = row.record;
        product.code = !product.tag.jan.isEmpty()
            ? product.tag.jan
            : source.cell(columns.productCode).normalized(QString::NormalizationForm_KC).trimmed();
        if (product.code.isEmpty()) {
            out.refused.push_back(
                {row.number, QStringLiteral("JANコードも商品コードもないため商品マスタに入れません")});
            continue;
        }
        if (const auto it = rowOfKey.constFind(product.code); it != rowOfKey.cend()) {
            out.refused.push_back(
                {row.number, QStringLiteral("コード %1 は %2行目と同じため使いません").arg(product.code).arg(*it)});
            out.repeatedKeys.emplace(row.number, product.code);
            continue;
        }
        rowOfKey.insert(product.code, row.number);
        product.tag.productName2
            = cleanedName2 && i < cleanedName2->size() ? (*cleanedName2)[i].record.productName2 : QString();
        product.listPrice = std::max<qint64>(row.listPrice, 0);
        product.priceIncludesTax = row.priceIncludesTax;
        product.taxRatePercent = row.taxRatePercent;
        product.shelf = source.cell(columns.shelf).simplified();
        product.tagCount = readTagCount(source.cell(columns.tagCount));
        product.listOrder = row.number;
        out.products.push_back(std::move(product));
    }
    return out;
}

}  // namespace catalogue
