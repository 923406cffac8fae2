#include "core/productlist/column_mapping.h"

#include "core/productlist/tax.h"

#include <map>

namespace productlist {

namespace {

struct FieldNames {
    ListField field;
    const char16_t* title;
    const char16_t* key;
    // Header names of the field, folded, the most telling first.
    std::vector<const char16_t*> names;
};

const std::vector<FieldNames>& fieldTable()
{
    static const std::vector<FieldNames> table{
        {ListField::jan, u"JANコード", u"jan",
         {u"JAN", u"JANコード", u"JANCODE", u"JAN番号", u"EAN", u"EANコード", u"バーコード", u"BARCODE",
          u"商品コード", u"コード"}},
        {ListField::maker, u"メーカー", u"maker",
         {u"メーカー", u"メーカー名", u"メーカ", u"メーカ名", u"MAKER", u"製造元", u"製造者", u"ブランド"}},
        {ListField::productName, u"商品名", u"name",
         {u"商品名", u"品名", u"商品名1", u"品名1", u"商品名称", u"名称", u"PRODUCTNAME", u"NAME", u"PRODUCT"}},
        {ListField::productName2, u"商品名2行目", u"name2",
         {u"商品名2", u"品名2", u"商品名2行目", u"NAME2"}},
        {ListField::spec, u"規格", u"spec",
         {u"規格", u"容量", u"内容量", u"規格・容量", u"規格容量", u"サイズ", u"SPEC", u"SIZE"}},
        {ListField::lot, u"入数", u"lot", {u"入数", u"入り数", u"ロット", u"ロット数", u"LOT"}},
        {ListField::price, u"売価", u"price",
         {u"税込価格", u"税込売価", u"売価税込", u"価格税込", u"販売価格税込", u"税込", u"売価", u"販売価格",
          u"価格", u"単価", u"販売単価", u"売単価", u"PRICE", u"本体価格", u"税抜価格", u"税抜売価", u"売価税抜",
          u"価格税抜", u"販売価格税抜", u"本体", u"税抜"}},
        {ListField::taxClass, u"税区分", u"tax",
         {u"税区分", u"税率", u"消費税区分", u"課税区分", u"税率区分", u"消費税率", u"TAX", u"TAXRATE"}},
    };
    return table;
}

const FieldNames& namesOf(ListField field)
{
    return fieldTable().at(size_t(field));
}

struct Match {
    ListField field;
    int rank;  // position of the name in the field's list: lower is more telling
};

std::optional<Match> matchHeader(const QString& title)
{
    static const std::map<QString, Match> byName = [] {
        std::map<QString, Match> out;
        for (const FieldNames& names : fieldTable()) {
            for (size_t i = 0; i < names.names.size(); ++i) {
                out.emplace(QString::fromUtf16(names.names[i]), Match{names.field, int(i)});
            }
        }
        return out;
    }();
    const auto it = byName.find(foldHeaderName(title));
    if (it == byName.end()) {
        return std::nullopt;
    }
    return it->second;
}

}  // namespace

const std::vector<ListField>& allListFields()
{
    static const std::vector<ListField> all{ListField::jan,  ListField::maker, ListField::productName,
                                            ListField::productName2, ListField::spec, ListField::lot,
                                            ListField::price, ListField::taxClass};
    return all;
}

std::vector<ListField> listFieldsOf(const sheet::SheetFormat& format)
{
    std::vector<ListField> out;
    for (ListField field : allListFields()) {
        if (field != ListField::productName2 || format.hasProductName2) {
            out.push_back(field);
        }
    }
    return out;
}

QString listFieldTitle(ListField field)
{
    return QString::fromUtf16(namesOf(field).title);
}

QString listFieldKey(ListField field)
{
    return QString::fromUtf16(namesOf(field).key);
}

std::optional<ListField> listFieldOfKey(const QString& key)
{
    for (const FieldNames& names : fieldTable()) {
        if (key.compare(QString::fromUtf16(names.key), Qt::CaseInsensitive) == 0) {
            return names.field;
        }
    }
    return std::nullopt;
}

QString foldHeaderName(const QString& title)
{
    const QString folded = title.normalized(QString::NormalizationForm_KC).toUpper();
    static const QString dropped = QStringLiteral("()[]{}<>【】「」『』〔〕:：*＊");
    QString out;
    out.reserve(folded.size());
    for (QChar ch : folded) {
        if (!ch.isSpace() && !dropped.contains(ch) && ch != QChar(0xFEFF)) {
            out += ch;
        }
    }
    return out;
}

std::optional<ListField> fieldOfHeader(const QString& title)
{
    const auto match = matchHeader(title);
    if (!match) {
        return std::nullopt;
    }
    return match->field;
}

AutoMapping mapColumns(const QStringList& columnTitles, const sheet::SheetFormat& format)
{
    AutoMapping out;
    std::array<int, kListFieldCount> bestRank;
    bestRank.fill(1 << 30);
    for (int column = 0; column < columnTitles.size(); ++column) {
        const auto match = matchHeader(columnTitles.at(column));
        if (!match || (match->field == ListField::productName2 && !format.hasProductName2)) {
            continue;
        }
        const size_t index = size_t(match->field);
        if (match->rank < bestRank[index]) {
            bestRank[index] = match->rank;
            out.mapping.columns[index] = column;
        }
    }
    const int priceColumn = out.mapping.column(ListField::price);
    if (priceColumn >= 0) {
        const QString price = foldHeaderName(columnTitles.at(priceColumn));
        if (price.contains(QStringLiteral("税込"))) {
            out.priceBasis = PriceBasis::includesTax;
        } else if (price.contains(QStringLiteral("税抜")) || price.contains(QStringLiteral("本体"))) {
            out.priceBasis = PriceBasis::excludesTax;
        }
    }
    return out;
}

ColumnMapping guessColumns(const std::vector<ListRow>& rows)
{
    // Rows looked at, and the share of non-empty cells (in percent) that must agree.
    constexpr size_t kSample = 200;
    constexpr int kAgreeing = 90;
    int columns = 0;
    for (size_t i = 0; i < std::min(rows.size(), kSample); ++i) {
        columns = std::max(columns, int(rows[i].cells.size()));
    }
    struct Counts {
        int filled = 0;
        int codes = 0;
        int prices = 0;
        int texts = 0;
        qint64 yen = 0;  // sum of the prices read
    };
    std::vector<Counts> counts(static_cast<size_t>(columns));
    for (size_t i = 0; i < std::min(rows.size(), kSample); ++i) {
        for (int column = 0; column < rows[i].cells.size(); ++column) {
            const QString cell = rows[i].cells.at(column).trimmed().normalized(QString::NormalizationForm_KC);
            if (cell.isEmpty()) {
                continue;
            }
            Counts& c = counts[size_t(column)];
            ++c.filled;
            const bool digits = std::all_of(cell.cbegin(), cell.cend(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
            if (digits && (cell.size() == 8 || cell.size() == 13)) {
                ++c.codes;
            }
            const PriceReading price = readPrice(cell);
            if (price.outcome == PriceReading::Outcome::ok) {
                ++c.prices;
                c.yen += std::min<qint64>(price.yen, 10'000'000);
            } else if (!cell.front().isDigit()) {
                ++c.texts;
            }
        }
    }
    const auto mostly = [&](const Counts& c, int Counts::*kind) {
        return c.filled > 0 && (c.*kind) * 100 >= c.filled * kAgreeing;
    };
    ColumnMapping mapping;
    for (int column = 0; column < columns; ++column) {
        if (mostly(counts[size_t(column)], &Counts::codes)) {
            mapping.set(ListField::jan, column);
            break;
        }
    }
    for (int column = 0; column < columns; ++column) {
        if (mostly(counts[size_t(column)], &Counts::texts)) {
            mapping.set(ListField::productName, column);
            break;
        }
    }
    // Of the columns of numbers right of the name (codes stand left of it), the one with the highest
    // amounts: prices rather than counts.
    qint64 highest = -1;
    for (int column = mapping.column(ListField::productName) + 1; column < columns; ++column) {
        const Counts& c = counts[size_t(column)];
        if (column != mapping.column(ListField::jan) && mostly(c, &Counts::prices) && c.yen > highest) {
            mapping.set(ListField::price, column);
            highest = c.yen;
        }
    }
    return mapping;
}

}  // namespace productlist
