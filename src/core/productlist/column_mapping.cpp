#include "core/productlist/column_mapping.h"

#include "core/productlist/tax.h"
#include "core/sheet/field_entry.h"

#include <algorithm>

#include <functional>
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
    static const std::vector<FieldNames> table {
        {ListField::jan,
         u"JANコード",
         u"jan",
         {u"JAN", u"JANコード", u"JANCODE", u"JAN番号", u"EAN", u"EANコード", u"バーコード", u"BARCODE", u"商品コード",
          u"コード", u"GTIN", u"UPC", u"EANCODE", u"CODE"}},
        {ListField::maker,
         u"メーカー",
         u"maker",
         {u"メーカー", u"メーカー名", u"メーカ", u"メーカ名", u"MAKER", u"製造元", u"製造者", u"ブランド",
          u"ブランド名", u"BRAND", u"VENDOR", u"MANUFACTURER"}},
        {ListField::productName,
         u"商品名",
         u"name",
         {u"商品名", u"品名", u"商品名1", u"品名1", u"商品名称", u"名称", u"PRODUCTNAME", u"NAME", u"PRODUCT",
          u"ITEMNAME", u"ITEM", u"DESCRIPTION"}},
        {ListField::productName2, u"商品名2行目", u"name2", {u"商品名2", u"品名2", u"商品名2行目", u"NAME2"}},
        {ListField::spec,
         u"規格",
         u"spec",
         {u"規格", u"容量", u"内容量", u"規格・容量", u"規格容量", u"サイズ", u"SPEC", u"SIZE", u"VOLUME"}},
        {ListField::lot, u"入数", u"lot", {u"入数", u"入り数", u"ロット", u"ロット数", u"LOT"}},
        {ListField::price, u"売価", u"price", {u"税込価格",     u"税込売価",    u"売価税込",     u"価格税込",
                                               u"販売価格税込", u"税込",        u"売価",         u"販売価格",
                                               u"価格",         u"単価",        u"販売単価",     u"売単価",
                                               u"PRICE",        u"本体価格",    u"税抜価格",     u"税抜売価",
                                               u"売価税抜",     u"価格税抜",    u"販売価格税抜", u"本体",
                                               u"税抜",         u"RETAILPRICE", u"UNITPRICE",    u"SELLINGPRICE"}},
        {ListField::taxClass,
         u"税区分",
         u"tax",
         {u"税区分", u"税率", u"消費税区分", u"課税区分", u"税率区分", u"消費税率", u"TAX", u"TAXRATE"}},
        {ListField::taxBasis,
         u"内税・外税",
         u"taxbasis",
         {u"内税外税", u"内外税", u"内外税区分", u"内外区分", u"税込区分", u"税抜区分", u"税込税抜", u"税込税抜区分",
          u"課税方式", u"TAXINCLUDED"}},
    };
    return table;
}

// Words that make a longer header a candidate for a field, in the order they are tried: the first
// that a header holds decides its field (a "メーカー希望小売価格" is a price, if a poor one).
// Japanese words are looked for anywhere in the folded header, Latin ones as whole words.
struct FieldWord {
    const char16_t* word;
    ListField field;
};
const std::vector<FieldWord>& fieldWords()
{
    static const std::vector<FieldWord> words {
        {u"JAN", ListField::jan},
        {u"GTIN", ListField::jan},
        {u"EAN", ListField::jan},
        {u"UPC", ListField::jan},
        {u"バーコード", ListField::jan},
        {u"BARCODE", ListField::jan},
        {u"SKU", ListField::jan},
        {u"売価", ListField::price},
        {u"特価", ListField::price},
        {u"価格", ListField::price},
        {u"単価", ListField::price},
        {u"金額", ListField::price},
        {u"値段", ListField::price},
        {u"PRICE", ListField::price},
        {u"内税", ListField::taxBasis},
        {u"外税", ListField::taxBasis},
        {u"税込税抜", ListField::taxBasis},
        {u"税込区分", ListField::taxBasis},
        {u"税抜区分", ListField::taxBasis},
        {u"税率", ListField::taxClass},
        {u"税区分", ListField::taxClass},
        {u"課税", ListField::taxClass},
        {u"消費税", ListField::taxClass},
        {u"TAX", ListField::taxClass},
        {u"商品名", ListField::productName},
        {u"品名", ListField::productName},
        {u"名称", ListField::productName},
        {u"名前", ListField::productName},
        {u"表示名", ListField::productName},
        {u"レシート", ListField::productName},
        {u"NAME", ListField::productName},
        {u"PRODUCT", ListField::productName},
        {u"ITEM", ListField::productName},
        {u"内容量", ListField::spec},
        {u"容量", ListField::spec},
        {u"規格", ListField::spec},
        {u"サイズ", ListField::spec},
        {u"SIZE", ListField::spec},
        {u"SPEC", ListField::spec},
        {u"VOLUME", ListField::spec},
        {u"入数", ListField::lot},
        {u"入り数", ListField::lot},
        {u"ロット", ListField::lot},
        {u"LOT", ListField::lot},
        {u"メーカー", ListField::maker},
        {u"メーカ", ListField::maker},
        {u"ブランド", ListField::maker},
        {u"製造", ListField::maker},
        {u"BRAND", ListField::maker},
        {u"VENDOR", ListField::maker},
        {u"MAKER", ListField::maker},
        {u"MANUFACTURER", ListField::maker},
    };
    return words;
}

const FieldNames& namesOf(ListField field)
{
    return fieldTable().at(size_t(field));
}

// Scores of a header for its field: lower is more telling. Exact names score their place in the
// field's list; a word inside a longer header scores after every exact name, and a poor stand-in
// (a reading, a receipt name, a list price) after every proper candidate.
constexpr int kWordScore = 100;
constexpr int kStandInScore = 1000;

struct Match {
    ListField field;
    int rank;
};

// A header as it is looked at: folded, and the Latin words in it ("ItemName" is ITEM and NAME).
struct HeaderText {
    QString folded;
    QStringList words;

    explicit HeaderText(const QString& title) : folded(foldHeaderName(title))
    {
        const QString text = title.normalized(QString::NormalizationForm_KC);
        QString word;
        const auto flush = [&] {
            if (!word.isEmpty()) {
                words.append(word.toUpper());
                word.clear();
            }
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar ch = text.at(i);
            const bool latin = ch.unicode() < 0x80 && ch.isLetter();
            const bool digit = ch.unicode() < 0x80 && ch.isDigit();
            if (!latin && !digit) {
                flush();
                continue;
            }
            const bool sameKind = !word.isEmpty() && word.back().isDigit() == digit;
            const bool camelStep = latin && ch.isUpper() && !word.isEmpty() && word.back().isLower();
            if (!sameKind || camelStep) {
                flush();
            }
            word += ch;
        }
        flush();
    }

    bool holds(const QString& word) const
    {
        const bool latin = std::all_of(word.cbegin(), word.cend(), [](QChar ch) { return ch.unicode() < 0x80; });
        return latin ? words.contains(word) : folded.contains(word);
    }
    bool holdsAny(std::initializer_list<const char16_t*> list) const
    {
        return std::any_of(list.begin(), list.end(),
                           [&](const char16_t* word) { return holds(QString::fromUtf16(word)); });
    }
};

std::optional<Match> exactMatch(const QString& folded)
{
    static const std::map<QString, Match> byName = [] {
        std::map<QString, Match> out;
        for (const FieldNames& names : fieldTable()) {
            for (size_t i = 0; i < names.names.size(); ++i) {
                out.emplace(QString::fromUtf16(names.names[i]), Match {names.field, int(i)});
            }
        }
        return out;
    }();
    const auto it = byName.find(folded);
    if (it == byName.end()) {
        return std::nullopt;
    }
    return it->second;
}

// The field a longer header names by a word it holds, unless it only looks like that field.
std::optional<Match> wordMatch(const HeaderText& header)
{
    const std::vector<FieldWord>& words = fieldWords();
    const auto found = std::find_if(words.begin(), words.end(),
                                    [&](const FieldWord& word) { return header.holds(QString::fromUtf16(word.word)); });
    if (found == words.end()) {
        return std::nullopt;
    }
    const ListField field = found->field;
    // An ID is never a field; another code is only ever the barcode's stand-in.
    if (header.holdsAny({u"ID"})
        || (field != ListField::jan && header.holdsAny({u"コード", u"番号", u"CODE", u"CD", u"NO", u"NUMBER"}))) {
        return std::nullopt;
    }
    // A second of its kind: "価格2", "JAN 3" (but not "JAN13").
    const QString& folded = header.folded;
    const QChar last = folded.back();
    if (last >= u'2' && last <= u'9' && (folded.size() < 2 || !folded.at(folded.size() - 2).isDigit())) {
        return std::nullopt;
    }
    if (field == ListField::price
        && header.holdsAny({u"原価", u"原単価", u"仕入", u"下代", u"仕切", u"コスト", u"COST", u"WHOLESALE"})) {
        return std::nullopt;
    }
    int rank = kWordScore + int(found - words.begin());
    const bool reading = header.holdsAny({u"カナ", u"ヨミ", u"かな", u"よみ", u"KANA", u"YOMI", u"READING"});
    const bool receipt = header.holdsAny({u"レシート", u"略称", u"略名", u"短縮", u"RECEIPT", u"SHORT"});
    const bool otherPrice = field == ListField::price
        && header.holdsAny({u"定価", u"希望", u"参考", u"旧", u"前回", u"特売", u"会員", u"卸", u"値引", u"割引"});
    if (reading || receipt || otherPrice) {
        rank += kStandInScore;
    }
    return Match {field, rank};
}

std::optional<Match> matchHeader(const QString& title)
{
    const HeaderText header(title);
    if (header.folded.isEmpty()) {
        return std::nullopt;
    }
    if (const auto exact = exactMatch(header.folded)) {
        return exact;
    }
    return wordMatch(header);
}

// What the first rows of a column hold, in shares of its non-empty cells.
struct ColumnContent {
    int filled = 0;
    int validCodes = 0;  // 8 or 13 digits with the right check digit
    int codeShaped = 0;  // 8 or 13 digits
    int amounts = 0;     // whole yen
    int bases = 0;       // 内税, 外税, 税込, 税抜 and nothing else: whether a price includes the tax

    bool mostly(int count) const { return filled > 0 && count * 100 >= filled * 80; }
};

// Whether a cell says only whether the price includes the tax.
bool isBasisWord(const QString& cell)
{
    const auto taxClass = parseTaxCell(cell);
    return taxClass && taxClass->priceIncludesTax && !taxClass->ratePercent;
}

std::vector<ColumnContent> contentOf(const std::vector<ListRow>& rows, int columns)
{
    constexpr size_t kSample = 200;
    std::vector<ColumnContent> out(size_t(std::max(columns, 0)));
    for (size_t i = 0; i < std::min(rows.size(), kSample); ++i) {
        const QStringList& cells = rows[i].cells;
        for (int column = 0; column < std::min(int(cells.size()), columns); ++column) {
            const QString cell = cells.at(column).trimmed();
            if (cell.isEmpty()) {
                continue;
            }
            ColumnContent& c = out[size_t(column)];
            ++c.filled;
            const QString code = codeWithoutTextMarks(cell).normalized(QString::NormalizationForm_KC);
            if ((code.size() == 8 || code.size() == 13)
                && std::all_of(code.cbegin(), code.cend(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; })) {
                ++c.codeShaped;
                c.validCodes += isValidJan(code) ? 1 : 0;
            }
            c.amounts += readPrice(cell).status == PriceReading::Status::ok ? 1 : 0;
            c.bases += isBasisWord(cell) ? 1 : 0;
        }
    }
    return out;
}

}  // namespace

const std::vector<ListField>& allListFields()
{
    static const std::vector<ListField> all {ListField::jan,          ListField::maker,    ListField::productName,
                                             ListField::productName2, ListField::spec,     ListField::lot,
                                             ListField::price,        ListField::taxClass, ListField::taxBasis};
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
    static const QString dropped = QStringLiteral("()[]{}<>【】「」『』〔〕:：*＊/・_-");
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
    const auto match = exactMatch(foldHeaderName(title));
    if (!match) {
        return std::nullopt;
    }
    return match->field;
}

AutoMapping mapColumns(const QStringList& columnTitles, const sheet::SheetFormat& format)
{
    return mapList(columnTitles, {}, true, format);
}

AutoMapping mapList(const QStringList& columnTitles, const std::vector<ListRow>& rows, bool hasHeader,
                    const sheet::SheetFormat& format)
{
    if (!hasHeader) {
        return AutoMapping {guessColumns(rows), std::nullopt};
    }
    const int columns = int(columnTitles.size());
    std::vector<std::optional<Match>> matches;
    for (const QString& title : columnTitles) {
        matches.push_back(matchHeader(title));
    }
    const std::vector<ColumnContent> content = contentOf(rows, columns);
    const bool looked = !rows.empty();
    // The best-named column of `field` among those `fits` lets through; the leftmost of equals.
    const auto best = [&](ListField field, const std::function<bool(int)>& fits) {
        int chosen = -1;
        for (int column = 0; column < columns; ++column) {
            const auto& match = matches[size_t(column)];
            if (match && match->field == field && fits(column)
                && (chosen < 0 || match->rank < matches[size_t(chosen)]->rank)) {
                chosen = column;
            }
        }
        return chosen;
    };
    const auto any = [](int) { return true; };
    AutoMapping out;
    for (ListField field : allListFields()) {
        if (field != ListField::productName2 || format.hasProductName2) {
            out.mapping.set(field, best(field, any));
        }
    }
    if (looked) {
        // The code: valid JAN codes, then codes of their shape, then a column of valid codes that
        // names nothing, then the best name.
        int code
            = best(ListField::jan, [&](int c) { return content[size_t(c)].mostly(content[size_t(c)].validCodes); });
        if (code < 0) {
            code
                = best(ListField::jan, [&](int c) { return content[size_t(c)].mostly(content[size_t(c)].codeShaped); });
        }
        for (int column = 0; code < 0 && column < columns; ++column) {
            if (!matches[size_t(column)] && content[size_t(column)].mostly(content[size_t(column)].validCodes)) {
                code = column;
            }
        }
        if (code >= 0) {
            out.mapping.set(ListField::jan, code);
        }
        const int amounts
            = best(ListField::price, [&](int c) { return content[size_t(c)].mostly(content[size_t(c)].amounts); });
        if (amounts >= 0) {
            out.mapping.set(ListField::price, amounts);
        }
        // A column of 内税/外税 (or 税込/税抜) alone says whether each price includes the tax,
        // whatever its title (a cloud register's 税設定); the rate then comes from another column.
        if (out.mapping.column(ListField::taxBasis) < 0) {
            for (int column = 0; column < columns; ++column) {
                const ColumnContent& c = content[size_t(column)];
                if (c.filled > 0 && c.bases == c.filled && column != out.mapping.column(ListField::price)) {
                    out.mapping.set(ListField::taxBasis, column);
                    if (out.mapping.column(ListField::taxClass) == column) {
                        out.mapping.set(ListField::taxClass, best(ListField::taxClass, [&](int other) {
                                            return other != column
                                                && content[size_t(other)].bases < content[size_t(other)].filled;
                                        }));
                    }
                    break;
                }
            }
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

QString noPriceColumnMessage(const QStringList& columnTitles)
{
    return QStringLiteral("価格の列が見つかりません (リストの列: %1)").arg(columnTitles.join(QStringLiteral("、")));
}

QString codeWithoutTextMarks(const QString& cell, bool* marked)
{
    QString code = cell.trimmed();
    const qsizetype size = code.size();
    if (code.startsWith(u'=')) {
        code.remove(0, 1);
    }
    if (code.size() >= 2 && code.startsWith(u'"') && code.endsWith(u'"')) {
        code = code.mid(1, code.size() - 2);
    }
    if (code.startsWith(u'#') || code.startsWith(u'\'')) {
        code.remove(0, 1);
    }
    if (marked) {
        *marked = code.size() != size;
    }
    return code.trimmed();
}

bool isValidJan(const QString& code)
{
    const bool digits = std::all_of(code.cbegin(), code.cend(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
    return digits && (code.size() == 8 || code.size() == 13) && sheet::completeCheckDigit(code) == code;
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
            const bool digits
                = std::all_of(cell.cbegin(), cell.cend(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
            if (digits && (cell.size() == 8 || cell.size() == 13)) {
                ++c.codes;
            }
            const PriceReading price = readPrice(cell);
            if (price.status == PriceReading::Status::ok) {
                ++c.prices;
                c.yen += std::min<qint64>(price.yen, 10'000'000);
            } else if (!cell.front().isDigit()) {
                ++c.texts;
            }
        }
    }
    const auto mostly
        = [&](const Counts& c, int Counts::*kind) { return c.filled > 0 && (c.*kind) * 100 >= c.filled * kAgreeing; };
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
