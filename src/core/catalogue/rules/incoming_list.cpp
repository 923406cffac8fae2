#include "core/catalogue/rules/incoming_list.h"

#include "core/pricing/unit_price.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <utility>
#include <vector>

namespace catalogue {

namespace {

using productlist::foldHeaderName;

// What a catalogue column is called: the titles that name it outright, then the words a longer
// title may hold (folded as foldHeaderName folds a title).
struct ColumnNames {
    const char* key;
    std::vector<const char16_t*> names;
    std::vector<const char16_t*> words;
    // Whether a cell (not empty) looks like what the column holds.
    bool (*fits)(const QString& cell);
};

bool looksLikeCount(const QString& cell)
{
    static const QRegularExpression count(QStringLiteral("^\\s*\\d{1,2}\\s*枚?\\s*$"));
    return count.match(cell.normalized(QString::NormalizationForm_KC)).hasMatch();
}

// A shelf location is a short text: "A-10", "青果 3", "ゴンドラ2-上".
bool looksLikeShelf(const QString& cell)
{
    return cell.trimmed().size() <= 20;
}

// A shop's own code: letters, digits and dashes without blanks (a register's export may repeat
// the JAN code there and give its own codes only to loose produce: "P-199").
bool looksLikeOwnCode(const QString& cell)
{
    static const QRegularExpression code(QStringLiteral("^[0-9A-Za-z][0-9A-Za-z_./-]{0,19}$"));
    return code.match(cell.normalized(QString::NormalizationForm_KC).trimmed()).hasMatch();
}

// A unit price's base as a list writes it: 100g, 1kg, 1枚, なし.
bool looksLikeUnitBase(const QString& cell)
{
    using Outcome = pricing::UnitBaseReading::Outcome;
    const Outcome outcome = pricing::readUnitBase(cell.trimmed()).outcome;
    return outcome == Outcome::base || outcome == Outcome::leftOut;
}

// An amount, with or without its unit: 500, 1.5, 500ml.
bool looksLikeAmount(const QString& cell)
{
    static const QRegularExpression amount(QStringLiteral("^\\s*\\d+(\\.\\d+)?\\s*[^\\d\\s]{0,4}\\s*$"));
    return amount.match(cell.normalized(QString::NormalizationForm_KC)).hasMatch();
}

bool looksLikeBareAmount(const QString& cell)
{
    static const QRegularExpression amount(QStringLiteral("^\\s*\\d+(\\.\\d+)?\\s*$"));
    return amount.match(cell.normalized(QString::NormalizationForm_KC)).hasMatch();
}

// A unit word: g, kg, ml, L, 枚, ロール.
bool looksLikeUnitWord(const QString& cell)
{
    const QString text = cell.normalized(QString::NormalizationForm_KC).trimmed();
    return !text.isEmpty() && text.size() <= 4 && !text.front().isDigit();
}

const ColumnNames kColumnNames[] = {
    {"code",
     {u"商品コード", u"品番", u"自社コード", u"PLU", u"PLUコード", u"コード", u"ITEMCODE", u"SKU"},
     {u"商品コード", u"自社コード", u"品番", u"PLU", u"SKU"},
     looksLikeOwnCode},
    {"shelf",
     {u"棚番", u"棚番号", u"棚位置", u"売場", u"ロケーション", u"棚", u"LOCATION", u"SHELF"},
     {u"棚番", u"棚位置", u"ロケーション", u"売場", u"LOCATION", u"SHELF"},
     looksLikeShelf},
    {"count",
     {u"フェース数", u"棚札枚数", u"枚数", u"フェース", u"FACES", u"FACING"},
     {u"フェース", u"札枚数", u"FACING"},
     looksLikeCount},
    {"content", {u"内容量", u"容量", u"正味量", u"内容", u"CONTENT"}, {u"内容量", u"正味量"}, looksLikeAmount},
    {"contentunit", {u"単位", u"内容量単位", u"容量単位", u"UNIT"}, {u"内容量単位", u"容量単位"}, looksLikeUnitWord},
    {"unit",
     {u"単位価格の基準", u"単位基準", u"単価基準", u"単位価格基準"},
     {u"単位価格の基準", u"単位基準"},
     looksLikeUnitBase},
};

// Whether at least nine in ten of the column's filled cells fit (a column with no filled cell fits).
bool contentsFit(const std::vector<productlist::ListRow>& rows, int column, bool (*fits)(const QString&))
{
    int filled = 0;
    int fitting = 0;
    for (const productlist::ListRow& row : rows) {
        const QString cell = row.cell(column);
        if (cell.trimmed().isEmpty()) {
            continue;
        }
        ++filled;
        fitting += fits(cell) ? 1 : 0;
    }
    return filled == 0 || fitting * 10 >= filled * 9;
}

// How well a title names the column: 2 for one of its names, 1 for one of its words, 0 not at all.
int titleScore(const QString& title, const ColumnNames& names)
{
    const QString folded = foldHeaderName(title);
    if (folded.isEmpty()) {
        return 0;
    }
    for (const char16_t* name : names.names) {
        if (folded == foldHeaderName(QString::fromUtf16(name))) {
            return 2;
        }
    }
    for (const char16_t* word : names.words) {
        if (folded.contains(foldHeaderName(QString::fromUtf16(word)))) {
            return 1;
        }
    }
    return 0;
}

}  // namespace

CatalogueColumns catalogueColumnsOfList(const QStringList& columnTitles, const std::vector<productlist::ListRow>& rows,
                                        bool hasHeader, const productlist::ColumnMapping& mapping)
{
    CatalogueColumns out;
    if (!hasHeader) {
        return out;
    }
    std::vector<bool> taken(size_t(columnTitles.size()), false);
    for (const int column : mapping.columns) {
        if (column >= 0 && column < columnTitles.size()) {
            taken[size_t(column)] = true;
        }
    }
    for (const ColumnNames& names : kColumnNames) {
        int best = -1;
        int bestScore = 0;
        for (int column = 0; column < columnTitles.size(); ++column) {
            if (taken[size_t(column)]) {
                continue;
            }
            const int score = titleScore(columnTitles.at(column), names);
            if (score > bestScore && contentsFit(rows, column, names.fits)) {
                best = column;
                bestScore = score;
            }
        }
        if (best >= 0) {
            // One column serves one purpose: a column named both ways goes to the first asked.
            taken[size_t(best)] = true;
            setCatalogueColumn(out, QString::fromLatin1(names.key), best);
        }
    }
    // A size column of bare amounts (a 内容量 column the tag took for its size) beside a 単位
    // column is the content.
    const int specColumn = mapping.column(productlist::ListField::spec);
    if (out.content < 0 && out.contentUnit >= 0 && specColumn >= 0 && contentsFit(rows, specColumn, looksLikeBareAmount)
        && !contentsFit(rows, out.contentUnit, looksLikeUnitBase)) {
        out.content = specColumn;
    }
    // A 単位 column without a 内容量 column is the unit price's base, when it reads as one.
    if (out.content < 0) {
        const int unitColumn = std::exchange(out.contentUnit, -1);
        for (int column = 0; column < columnTitles.size() && out.unitBase < 0; ++column) {
            if ((!taken[size_t(column)] || column == unitColumn)
                && foldHeaderName(columnTitles.at(column)) == foldHeaderName(QStringLiteral("単位"))
                && contentsFit(rows, column, looksLikeUnitBase)) {
                out.unitBase = column;
            }
        }
    }
    return out;
}

CatalogueColumns catalogueColumnsOf(const QStringList& columnTitles, const productlist::ColumnMapping& mapping)
{
    return catalogueColumnsOfList(columnTitles, {}, true, mapping);
}

bool setCatalogueColumn(CatalogueColumns& columns, const QString& key, int column)
{
    if (key == QLatin1String("code")) {
        columns.productCode = column;
    } else if (key == QLatin1String("shelf")) {
        columns.shelf = column;
    } else if (key == QLatin1String("count")) {
        columns.tagCount = column;
    } else if (key == QLatin1String("unit")) {
        columns.unitBase = column;
    } else if (key == QLatin1String("content")) {
        columns.content = column;
    } else if (key == QLatin1String("contentunit")) {
        columns.contentUnit = column;
    } else {
        return false;
    }
    return true;
}

int catalogueColumn(const CatalogueColumns& columns, const QString& key)
{
    if (key == QLatin1String("code")) {
        return columns.productCode;
    }
    if (key == QLatin1String("shelf")) {
        return columns.shelf;
    }
    if (key == QLatin1String("count")) {
        return columns.tagCount;
    }
    if (key == QLatin1String("unit")) {
        return columns.unitBase;
    }
    if (key == QLatin1String("content")) {
        return columns.content;
    }
    if (key == QLatin1String("contentunit")) {
        return columns.contentUnit;
    }
    return -1;
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
        product.unitBase = source.cell(columns.unitBase).normalized(QString::NormalizationForm_KC).simplified();
        if (columns.content >= 0) {
            const QString amount = source.cell(columns.content).normalized(QString::NormalizationForm_KC).simplified();
            product.content = amount.isEmpty()
                ? QString()
                : amount + source.cell(columns.contentUnit).normalized(QString::NormalizationForm_KC).simplified();
        }
        product.listOrder = row.number;
        out.products.push_back(std::move(product));
    }
    return out;
}

}  // namespace catalogue
