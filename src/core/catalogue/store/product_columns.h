#pragma once

// The stored columns of a product and of a printed tag, named once: the select lists, the reading
// of a row by the columns' names and the values written all come from these tables, so that a new
// field is one row here.

#include "core/catalogue/rules/product.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace catalogue {

struct ProductColumn {
    const char* name;                           // the column of the products table
    QVariant (*value)(const Product& product);  // what the column holds for a product
    void (*set)(Product& product, const QVariant& value);
    bool fromList;  // a list sets it (written when a product is added or updated)
};

// Every column of the products table that a Product holds, id first.
const std::vector<ProductColumn>& productColumns();
// The columns a list sets, in the order of productColumns().
QStringList listColumnNames();
// The values of those columns for `data`, in the same order.
QVariantList listColumnValues(const ProductData& data);

// "p.id AS p_id, p.code AS p_code, ...": the product's columns of table alias `alias`, named
// `alias`_COLUMN in the result.
QString productSelectList(const QString& alias = QStringLiteral("p"));
// The same with the tag's texts and price as one column (tag_text) in place of seven: fewer values
// to fetch where many rows are read. ProductReader reads either.
QString compactProductSelectList(const QString& alias = QStringLiteral("p"));
// The same without the days a product was first and last in a list, which a merge neither compares
// nor writes from what it read: every text a merge reads of every product counts.
QString mergedProductSelectList(const QString& alias = QStringLiteral("p"));

// The same names for a product's version (product_versions v joined with its products row p): the
// state from v, the product's id, code and first and last days from p.
QString versionSelectList();

// The tag columns of print_tags (jan .. price), each with the tag field it holds.
struct TagColumn {
    const char* name;
    sheet::Field field;
};
const std::vector<TagColumn>& tagColumns();
QString tagSelectList(const QString& alias = QStringLiteral("t"));
QStringList tagColumnNames();
QVariantList tagColumnValues(const sheet::TagRecord& tag);

// Reads products (and printed tags) from the rows of a query whose select list holds
// productSelectList(alias) (tagSelectList(alias)): the columns are found by name once.
class ProductReader {
public:
    ProductReader(const QSqlQuery& query, const QString& alias = QStringLiteral("p"));
    Product read(const QSqlQuery& query) const;

private:
    std::vector<int> at_;
    int tagText_ = -1;  // the tag as one text, when its columns are not there
};

class TagReader {
public:
    TagReader(const QSqlQuery& query, const QString& alias = QStringLiteral("t"));
    sheet::TagRecord read(const QSqlQuery& query) const;

private:
    std::vector<int> at_;
    int tagText_ = -1;  // the tag as one text, when its columns are not there
};

}  // namespace catalogue
