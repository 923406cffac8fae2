#include "core/productlist/register_profiles.h"

#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace productlist {

namespace {

ProfileColumn titled(std::initializer_list<const char16_t*> titles)
{
    return ProfileColumn {ProfileColumn::Kind::titled, titles};
}

const ProfileColumn kNone {ProfileColumn::Kind::none, {}};
const ProfileColumn kGeneric {};

TaxCode code(const char16_t* text, std::optional<int> rate, std::optional<bool> includesTax)
{
    return TaxCode {QString::fromUtf16(text), TaxClass {rate, includesTax}};
}

// One row a register. Where the help page names a column or a code, the row names it so; what the
// page leaves open is said in the README's section on register exports. A column not named is
// found by its title as in any list.
const std::vector<RegisterProfile>& profileTable()
{
    static const std::vector<RegisterProfile> table {
        {
            .key = "smaregi",
            .name = u"スマレジ",
            .source = u"スマレジ ヘルプ「商品のCSVアップロード設定」(項目 1〜8) と スマレジ Developers"
                      u"「商品一括登録」(税区分 0:税込、1:税抜、2:非課税)",
            .titles = {u"商品ID", u"部門ID", u"商品コード", u"商品名", u"商品単価", u"税区分"},
            .formats = {ListFormat::cp932, ListFormat::utf8},
            .code = titled({u"商品ID"}),
            .jan = titled({u"商品コード"}),
            .productName = titled({u"商品名"}),
            .size = titled({u"規格"}),
            .variation = kNone,
            .price = titled({u"商品単価"}),
            .taxBasis = titled({u"税区分"}),
            .rate = titled({u"税率"}),  // not in the export as documented: read where a list has it
            .category = titled({u"部門ID"}),
            .codes = {code(u"0", std::nullopt, true), code(u"1", std::nullopt, false), code(u"2", 0, true)},
        },
        {
            .key = "airregi",
            .name = u"Airレジ",
            .source = u"Airレジ よくあるご質問「商品情報を他の店舗に一括で登録する」(商品一括編集用ファイル) と"
                      u"「商品詳細情報の設定方法」(商品名、カテゴリー、税設定、価格、バリエーション、バーコード)",
            .titles = {u"商品コード", u"商品名", u"価格", u"税設定", u"適用税率", u"バーコード"},
            .linesBeforeTitles = 3,
            .formats = {ListFormat::utf8Bom, ListFormat::cp932},
            .code = titled({u"商品コード"}),
            .jan = titled({u"バーコード"}),
            .productName = titled({u"商品名"}),
            .size = titled({u"規格"}),
            .variation = titled({u"バリエーション", u"バリエーション名"}),
            .price = titled({u"価格"}),
            .taxBasis = titled({u"税設定"}),
            .rate = titled({u"適用税率"}),
            .category = titled({u"カテゴリー", u"カテゴリー名", u"カテゴリーID"}),
            .barcodeMark = u"#",
        },
        {
            .key = "square",
            .name = u"Square",
            .source = u"Square ヘルプ「商品ライブラリのインポートに関するトラブルシューティング」(CSV は UTF-16LE) と"
                      u"「Square データで商品を一括インポートする」",
            .titles = {u"Token", u"Item Name", u"Variation Name", u"SKU", u"GTIN", u"Price"},
            .formats = {ListFormat::utf16le, ListFormat::xlsx},
            .code = titled({u"SKU"}),
            .jan = titled({u"GTIN"}),
            .productName = titled({u"Item Name"}),
            .size = kNone,
            .variation = titled({u"Variation Name"}),
            .price = titled({u"Price"}),
            .taxBasis = kNone,
            .rate = kNone,
            .category = titled({u"Category", u"Categories", u"Reporting Category"}),
            .rateFlagPrefix = u"Tax",
            .basis = PriceBasis::includesTax,
            .variationMeaningNone = {u"Regular", u"レギュラー"},
        },
        {
            .key = "square-template",
            .name = u"Square (商品インポート用テンプレート)",
            .source
            = u"Square ヘルプ「Square データで商品を一括インポートする」(テンプレートの上部の説明、各列のフィールド)",
            .titles = {u"Reference Handle", u"Token", u"Item Name", u"Variation Name", u"SKU", u"GTIN", u"Price"},
            .linesBeforeTitles = 10,
            .formats = {ListFormat::xlsx, ListFormat::utf16le},
            .code = titled({u"SKU"}),
            .jan = titled({u"GTIN"}),
            .productName = titled({u"Item Name"}),
            .size = kNone,
            .variation = titled({u"Variation Name"}),
            .price = titled({u"Price"}),
            .taxBasis = kNone,
            .rate = kNone,
            .category = titled({u"Categories", u"Reporting Category", u"Category"}),
            .rateFlagPrefix = u"Tax",
            .basis = PriceBasis::includesTax,
            .variationMeaningNone = {u"Regular", u"レギュラー"},
        },
        {
            .key = "cashier",
            .name = u"CASHIER",
            .source
            = u"CASHIER ナレッジ「商品を新規登録する」(商品コードにバーコード、サイズ・カラー・規格、販売価格) と"
              u"「商品カテゴリを一括取得する」(消費税率 10 または 0、内税/外税/非課税)",
            .titles = {u"商品コード", u"商品名", u"販売価格", u"消費税率", u"内税/外税/非課税"},
            .formats = {ListFormat::xlsx, ListFormat::utf8, ListFormat::cp932},
            .code = titled({u"品番"}),
            .jan = titled({u"商品コード"}),
            .productName = titled({u"商品名"}),
            .size = titled({u"サイズ・カラー・規格", u"規格"}),
            .variation = kNone,
            .price = titled({u"販売価格"}),
            .taxBasis = titled({u"内税/外税/非課税"}),
            .rate = titled({u"消費税率"}),
            .category = titled({u"商品カテゴリ", u"商品カテゴリ名", u"商品カテゴリコード"}),
        },
        {
            .key = "justorder",
            .name = u"Just Order",
            .source = u"Just Order マニュアル「商品CSV入力項目」(税区分 1:税抜8%、2:税込8%、3:税抜10%、4:税込10%、"
                      u"5:非課税)",
            .titles = {u"税区分", u"テイクアウト", u"キッチン印刷区分"},
            .formats = {ListFormat::utf8, ListFormat::cp932},
            .variation = kNone,
            .taxBasis = kNone,
            .rate = titled({u"税区分"}),
            .codes = {code(u"1", kReducedRate, false), code(u"2", kReducedRate, true), code(u"3", kStandardRate, false),
                      code(u"4", kStandardRate, true), code(u"5", 0, true)},
        },
    };
    return table;
}

// The column of `titles` named by one of the column's titles, the first title that the list has
// first; -1 when none.
int columnOf(const ProfileColumn& column, const QStringList& folded)
{
    for (const char16_t* title : column.titles) {
        const qsizetype at = folded.indexOf(foldHeaderName(QString::fromUtf16(title)));
        if (at >= 0) {
            return int(at);
        }
    }
    return -1;
}

QStringList foldedTitles(const QStringList& titles)
{
    QStringList out;
    for (const QString& title : titles) {
        out.append(foldHeaderName(title));
    }
    return out;
}

int titlesIn(const RegisterProfile& profile, const QStringList& folded, QStringList* missing)
{
    int found = 0;
    for (const char16_t* title : profile.titles) {
        if (folded.contains(foldHeaderName(QString::fromUtf16(title)))) {
            ++found;
        } else if (missing) {
            missing->append(QString::fromUtf16(title));
        }
    }
    return found;
}

// The rate a Y/N column's title names: "Tax - 軽減税率 (8%)" 8, "Tax - 消費税 (10%)" 10.
std::optional<int> flagRate(const QString& title, const char16_t* prefix)
{
    const QString text = title.normalized(QString::NormalizationForm_KC).trimmed();
    const QString start = QString::fromUtf16(prefix);
    if (!text.startsWith(start, Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    QString rest = text.mid(start.size()).trimmed();
    if (!rest.startsWith(u'-')) {
        return std::nullopt;
    }
    rest = rest.mid(1);
    static const QRegularExpression percent(QStringLiteral("(\\d+)\\s*%"));
    if (const auto match = percent.match(rest); match.hasMatch()) {
        const int rate = match.captured(1).toInt();
        if (rate == kStandardRate || rate == kReducedRate || rate == 0) {
            return rate;
        }
        return std::nullopt;
    }
    if (rest.contains(QStringLiteral("軽減"))) {
        return kReducedRate;
    }
    if (rest.contains(QStringLiteral("標準")) || rest.contains(QStringLiteral("消費税"))) {
        return kStandardRate;
    }
    return std::nullopt;
}

bool isCodeShaped(const QString& value)
{
    return !value.isEmpty() && value.size() <= 4 && std::all_of(value.cbegin(), value.cend(), [](QChar ch) {
        return ch.unicode() < 0x80 && ch.isLetterOrNumber();
    });
}

}  // namespace

const std::vector<RegisterProfile>& registerProfiles()
{
    return profileTable();
}

const RegisterProfile* registerProfileOfKey(const QString& key)
{
    for (const RegisterProfile& profile : profileTable()) {
        if (key.compare(QLatin1String(profile.key), Qt::CaseInsensitive) == 0) {
            return &profile;
        }
    }
    return nullptr;
}

QStringList registerProfileKeys()
{
    QStringList keys;
    for (const RegisterProfile& profile : profileTable()) {
        keys.append(QString::fromLatin1(profile.key));
    }
    return keys;
}

RegisterMatch matchRegister(const std::vector<ListRow>& rows, ListFormat format, const RegisterChoice& choice)
{
    RegisterMatch out;
    if (choice.mode == RegisterChoice::Mode::none) {
        return out;
    }
    int bestTitles = 0;
    bool bestWritesFormat = false;
    for (const RegisterProfile& profile : profileTable()) {
        if (choice.mode == RegisterChoice::Mode::forced && &profile != choice.profile) {
            continue;
        }
        const int required = int(profile.titles.size());
        const bool writesFormat
            = std::find(profile.formats.begin(), profile.formats.end(), format) != profile.formats.end();
        const size_t looked = std::min(rows.size(), size_t(profile.linesBeforeTitles) + 1);
        int mostFound = -1;
        for (size_t row = 0; row < looked; ++row) {
            QStringList missing;
            const int found = titlesIn(profile, foldedTitles(rows[row].cells), &missing);
            if (found > mostFound) {
                mostFound = found;
                out.missing = missing;
            }
            if (found < required) {
                continue;
            }
            if (found > bestTitles || (found == bestTitles && writesFormat && !bestWritesFormat)) {
                out.profile = &profile;
                out.titleRow = int(row);
                bestTitles = found;
                bestWritesFormat = writesFormat;
            }
            break;
        }
        if (mostFound < 0) {
            titlesIn(profile, {}, &out.missing);
        }
    }
    if (out.profile || choice.mode != RegisterChoice::Mode::forced) {
        out.missing.clear();
    }
    return out;
}

RegisterReading registerReading(const RegisterProfile& profile, const QStringList& columnTitles,
                                const std::vector<ListRow>& rows, const sheet::SheetFormat& format)
{
    RegisterReading out;
    const AutoMapping generic = mapList(columnTitles, rows, true, format);
    const QStringList folded = foldedTitles(columnTitles);
    std::set<int> taken;
    ColumnMapping mapping;
    const auto place = [&](const ProfileColumn& column) {
        const int found = column.kind == ProfileColumn::Kind::titled ? columnOf(column, folded) : -1;
        if (found >= 0) {
            taken.insert(found);
        }
        return found;
    };
    out.codeColumn = place(profile.code);
    out.categoryColumn = place(profile.category);
    const std::pair<ListField, const ProfileColumn*> fields[] {
        {ListField::jan, &profile.jan},       {ListField::productName, &profile.productName},
        {ListField::price, &profile.price},   {ListField::taxBasis, &profile.taxBasis},
        {ListField::taxClass, &profile.rate},
    };
    for (const auto& [field, column] : fields) {
        mapping.set(field, place(*column));
    }
    int size = place(profile.size);
    if (size < 0) {
        size = place(profile.variation);
    }
    mapping.set(ListField::spec, size);
    // The fields the profile leaves to the names, unless a column the profile placed is theirs.
    std::vector<ListField> generics;
    for (ListField field : allListFields()) {
        const ProfileColumn* column = nullptr;
        for (const auto& [named, given] : fields) {
            column = named == field ? given : column;
        }
        const bool sizeField = field == ListField::spec;
        const bool leftToNames = sizeField ? profile.size.kind == ProfileColumn::Kind::generic && size < 0
                                           : !column || column->kind == ProfileColumn::Kind::generic;
        if (leftToNames && (field != ListField::productName2 || format.hasProductName2)) {
            generics.push_back(field);
        }
    }
    for (ListField field : generics) {
        const int column = generic.mapping.column(field);
        mapping.set(field, taken.count(column) ? -1 : column);
    }
    if (profile.rateFlagPrefix && mapping.column(ListField::taxClass) < 0) {
        for (int column = 0; column < columnTitles.size(); ++column) {
            if (const auto rate = flagRate(columnTitles.at(column), profile.rateFlagPrefix)) {
                out.rateFlags.push_back(RateFlag {column, *rate, columnTitles.at(column)});
            }
        }
    }
    out.automatic.mapping = mapping;
    out.automatic.priceBasis = profile.basis ? profile.basis : generic.priceBasis;
    out.codes = profile.codes;
    return out;
}

void tidyRegisterCells(const RegisterProfile& profile, const RegisterReading& reading, std::vector<ListRow>& rows)
{
    const int jan = reading.automatic.mapping.column(ListField::jan);
    const int spec = reading.automatic.mapping.column(ListField::spec);
    const QString mark = profile.barcodeMark ? QString::fromUtf16(profile.barcodeMark) : QString();
    for (ListRow& row : rows) {
        if (!mark.isEmpty() && jan >= 0 && jan < row.cells.size() && row.cells[jan].startsWith(mark)) {
            row.cells[jan] = row.cells[jan].mid(mark.size()).trimmed();
        }
        if (spec >= 0 && spec < row.cells.size()) {
            for (const char16_t* none : profile.variationMeaningNone) {
                if (row.cells[spec].compare(QString::fromUtf16(none), Qt::CaseInsensitive) == 0) {
                    row.cells[spec].clear();
                }
            }
        }
    }
}

std::optional<UndecidedTaxCodes> undecidedTaxCodes(const std::vector<ListRow>& rows, const ColumnMapping& mapping,
                                                   const std::vector<TaxCode>& codes)
{
    for (ListField field : {ListField::taxClass, ListField::taxBasis}) {
        const int column = mapping.column(field);
        if (column < 0) {
            continue;
        }
        UndecidedTaxCodes out {field, column, {}, {}};
        bool allCodes = true;
        for (const ListRow& row : rows) {
            const QString value = row.cell(column).normalized(QString::NormalizationForm_KC).trimmed();
            if (value.isEmpty() || out.values.contains(value)) {
                continue;
            }
            out.values.append(value);
            allCodes = allCodes && isCodeShaped(value);
            if (!readTaxCell(value, codes)) {
                out.unreadable.append(value);
            }
        }
        if (allCodes && !out.unreadable.isEmpty()) {
            // Codes in their order: 1, 2, 10; A, B.
            const auto order
                = [](const QString& a, const QString& b) { return a.size() != b.size() ? a.size() < b.size() : a < b; };
            std::sort(out.values.begin(), out.values.end(), order);
            std::sort(out.unreadable.begin(), out.unreadable.end(), order);
            return out;
        }
    }
    return std::nullopt;
}

}  // namespace productlist
