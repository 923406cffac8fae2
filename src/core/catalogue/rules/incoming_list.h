#pragma once

// A cleaned product list as the catalogue takes it in: one product per used row, keyed, with its
// shelf location and tag count.
//
// The key of a product (the rule the catalogue keeps to):
// - its JAN code, the code column's cleaned value (the column the import maps to JANコード);
// - for a row whose code cell is empty (loose produce, the shop's own goods), the list's own product
//   code: the first other column named 商品コード, 品番, 自社コード, PLU or コード.
// A row with neither is refused, and so is a row whose key an earlier row of the list already has.

#include "core/catalogue/rules/product.h"
#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/product_list.h"

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace catalogue {

// The columns the catalogue reads beside those of a tag; -1 where the list has none.
struct CatalogueColumns {
    int productCode = -1;  // the list's own product code (商品コード, 品番, 自社コード, PLU)
    int shelf = -1;        // 棚番, 売場, 棚位置, ロケーション
    int tagCount = -1;     // フェース数, 枚数, 棚札枚数
    int unitBase = -1;     // 単位価格の基準, 単位基準 (or 単位 in a list without 内容量)
    int content = -1;      // 内容量, 容量, 正味量
    int contentUnit = -1;  // 単位 beside 内容量, 内容量単位
};

// The columns of a header row by their titles alone (catalogueColumnsOfList without rows).
CatalogueColumns catalogueColumnsOf(const QStringList& columnTitles, const productlist::ColumnMapping& mapping);

// The columns of a list by their titles and their contents, as the tag's columns are found
// (productlist::mapList): a title that is one of a column's names (棚番, フェース数, 商品コード, ...)
// comes before one that holds such a name as a word (売場ロケーション, 棚札枚数(枚)); a column whose
// cells do not look like what it names is not taken (a フェース数 column of texts, a 棚番 column of
// long texts, a 商品コード column of texts with blanks); among equals, the leftmost.
// A column `mapping` reads for the tag is left out. A list without a header has none of them: the
// user chooses them.
CatalogueColumns catalogueColumnsOfList(const QStringList& columnTitles, const std::vector<productlist::ListRow>& rows,
                                        bool hasHeader, const productlist::ColumnMapping& mapping);

// The command line's names of these columns: code, shelf, count, unit (the unit price's base),
// content and contentunit.
bool setCatalogueColumn(CatalogueColumns& columns, const QString& key, int column);
// The column of `columns` that `key` (code, shelf, count) names; -1 for another key.
int catalogueColumn(const CatalogueColumns& columns, const QString& key);

struct RefusedRow {
    int number = 0;
    QString reason;  // Japanese
};

struct IncomingList {
    QString fileName;
    int rowCount = 0;
    std::vector<IncomingProduct> products;
    std::vector<RefusedRow> refused;  // the cleaning's refusals and the catalogue's own
    // The rows refused for repeating an earlier row's key, with that key.
    std::map<int, QString> repeatedKeys;
    // The fields the list has no column for (a list of price changes often has only the code and
    // the price): a product the catalogue holds keeps what it has in them.
    std::vector<ProductField> missingFields;
};

// The products of `list`: `cleaned` is the cleaning of its rows for the large tag (the maker, name,
// size and lot boxes), `cleanedName2` (may be null) the cleaning for the small tag, from which only
// the second name line is taken.
IncomingList incomingProducts(const productlist::ProductList& list, const std::vector<productlist::CleanRow>& cleaned,
                              const std::vector<productlist::CleanRow>* cleanedName2, const CatalogueColumns& columns);

// A tag count as a list writes it: "1", "２", "3枚"; 1 for an empty or unreadable cell, at most 99.
int readTagCount(const QString& text);

}  // namespace catalogue
