#include "core/productlist/cleaning.h"

#include "core/codepage/code_page_932.h"

#include "core/sheet/field_entry.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace productlist {

namespace {

sheet::Field tagFieldOf(ListField field)
{
    switch (field) {
    case ListField::jan:
        return sheet::Field::jan;
    case ListField::maker:
        return sheet::Field::maker;
    case ListField::productName:
        return sheet::Field::productName;
    case ListField::productName2:
        return sheet::Field::productName2;
    case ListField::spec:
        return sheet::Field::spec;
    case ListField::lot:
        return sheet::Field::lot;
    case ListField::price:
    case ListField::taxClass:
    case ListField::taxBasis:
        break;
    }
    return sheet::Field::price;
}

// Characters the box of `field` takes on `format`; 0 for no limit.
int maxLengthOf(const sheet::SheetFormat& format, ListField field)
{
    const sheet::EntryBox* box = sheet::entryBoxFor(format, tagFieldOf(field));
    return box ? box->maxLength : 0;
}

bool isDigits(const QString& text)
{
    for (QChar ch : text) {
        if (ch < u'0' || ch > u'9') {
            return false;
        }
    }
    return !text.isEmpty();
}

// The first `length` characters of `text`, not splitting a surrogate pair.
QString leftCharacters(const QString& text, int length)
{
    if (length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate()) {
        --length;
    }
    return text.left(length);
}

// Whether a sheet file holds a text as it is.
using CodePageCheck = codepage::CodePage932Check;

class RowCleaner {
public:
    RowCleaner(const ListRow& row, const ColumnMapping& mapping, const sheet::SheetFormat& format,
               const TaxSettings& tax, CodePageCheck& codePage)
        : row_(row), mapping_(mapping), format_(format), tax_(tax), codePage_(codePage)
    {
        out_.number = row.number;
    }

    CleanRow run()
    {
        cleanCode();
        cleanText(ListField::maker, out_.record.maker);
        if (format_.hasProductName2 && mapping_.column(ListField::productName2) < 0) {
            out_.record.productName = tidied(ListField::productName);
            checkCodePage(ListField::productName, out_.record.productName);
        } else {
            cleanText(ListField::productName, out_.record.productName);
        }
        if (out_.record.productName.trimmed().isEmpty()) {
            note(NoteKind::noProductName, ListField::productName);
        }
        if (format_.hasProductName2 && mapping_.column(ListField::productName2) < 0) {
            runNameOn();
        } else if (format_.hasProductName2) {
            cleanText(ListField::productName2, out_.record.productName2);
        }
        cleanText(ListField::spec, out_.record.spec);
        cleanText(ListField::lot, out_.record.lot);
        cleanPrice();
        return std::move(out_);
    }

private:
    QString cell(ListField field) const
    {
        const int column = mapping_.column(field);
        return column >= 0 ? row_.cell(column).trimmed() : QString();
    }

    void note(NoteKind kind, ListField field, const QString& detail = {})
    {
        out_.notes.push_back(RowNote {kind, field, detail});
    }

    void cleanCode()
    {
        bool marked = false;
        const QString given = codeWithoutTextMarks(cell(ListField::jan), &marked);
        if (marked) {
            note(NoteKind::codeUnmarked, ListField::jan, QStringLiteral("%1 → %2").arg(cell(ListField::jan), given));
        }
        QString code = given.normalized(QString::NormalizationForm_KC);
        code.remove(u' ');
        if (code != given) {
            note(NoteKind::madeHalfWidth, ListField::jan, QStringLiteral("%1 → %2").arg(given, code));
        }
        static const QRegularExpression exponent(QStringLiteral("^[+-]?\\d+(\\.\\d*)?[eE][+-]?\\d+$"));
        out_.record.jan = code;
        if (code.isEmpty()) {
            return;
        }
        if (exponent.match(code).hasMatch()) {
            note(NoteKind::exponentCode, ListField::jan, code);
            return;
        }
        const int maxLength = maxLengthOf(format_, ListField::jan);
        if (maxLength > 0 && code.size() > maxLength) {
            note(NoteKind::codeTooLong, ListField::jan, QString::number(maxLength));
            return;
        }
        if (isDigits(code) && (code.size() == 13 || code.size() == 8)) {
            const QString completed = sheet::completeCheckDigit(code);
            if (completed != code) {
                note(NoteKind::wrongCheckDigit, ListField::jan, completed.right(1));
            }
        } else {
            note(NoteKind::notAJanCode, ListField::jan, code);
        }
    }

    // The cell of `field` with line breaks and tabs made blanks and ASCII double quotes full-width.
    QString tidied(ListField field)
    {
        QString text = cell(field);
        bool controls = false;
        bool quotes = false;
        for (QChar& ch : text) {
            if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) {
                ch = u' ';
                controls = true;
            } else if (ch == u'"') {
                ch = QChar(sheet::kFullWidthQuote);
                quotes = true;
            }
        }
        if (controls) {
            text = text.simplified();
            note(NoteKind::lineBreakReplaced, field);
        }
        if (quotes) {
            note(NoteKind::quoteReplaced, field);
        }
        return text;
    }

    // Notes the characters of `text` that a sheet file cannot hold.
    void checkCodePage(ListField field, const QString& text)
    {
        QString lost;
        for (char32_t codePoint : codePage_.fits(text) ? QList<uint>() : text.toUcs4()) {
            if (!sheet::isFileCharacter(codePoint)) {
                const QString ch = QString::fromUcs4(&codePoint, 1);
                if (!lost.contains(ch)) {
                    lost += ch;
                }
            }
        }
        if (!lost.isEmpty()) {
            note(NoteKind::notInCodePage, field, lost);
        }
    }

    void cleanText(ListField field, QString& target)
    {
        QString text = tidied(field);
        const int maxLength = maxLengthOf(format_, field);
        if (maxLength > 0 && text.size() > maxLength) {
            const QString kept = leftCharacters(text, maxLength);
            note(NoteKind::cut, field, QStringLiteral("%1文字まで: 「%2」→「%3」").arg(maxLength).arg(text, kept));
            text = kept;
        }
        checkCodePage(field, text);
        target = text;
    }

    // The name over the small tag's two name lines.
    void runNameOn()
    {
        const QString name = out_.record.productName;
        const NameLines lines = splitName(name, maxLengthOf(format_, ListField::productName),
                                          maxLengthOf(format_, ListField::productName2));
        if (lines.lost) {
            note(NoteKind::cut, ListField::productName,
                 QStringLiteral("2行に: 「%1」→「%2」「%3」").arg(name, lines.first, lines.second));
        }
        out_.record.productName = lines.first;
        out_.record.productName2 = lines.second;
    }

    void cleanPrice()
    {
        if (mapping_.column(ListField::price) < 0) {
            return;
        }
        const QString given = cell(ListField::price);
        const PriceReading reading = readPrice(given);
        switch (reading.status) {
        case PriceReading::Status::empty:
            note(NoteKind::noPrice, ListField::price);
            return;
        case PriceReading::Status::notANumber:
            note(NoteKind::priceUnreadable, ListField::price, given);
            return;
        case PriceReading::Status::fraction:
            note(NoteKind::priceFraction, ListField::price, given);
            return;
        case PriceReading::Status::negative:
            note(NoteKind::priceNegative, ListField::price, given);
            return;
        case PriceReading::Status::ok:
            break;
        }
        out_.listPrice = reading.yen;
        if (reading.reformatted) {
            note(NoteKind::priceReformatted, ListField::price,
                 QStringLiteral("%1 → %2").arg(given, QString::number(reading.yen)));
        }
        // The rate column, then the column saying whether the price includes the tax; the
        // list-wide choices where they say nothing.
        QString classText = cell(ListField::taxClass);
        const QString basisText = cell(ListField::taxBasis);
        const TaxClass none;
        std::optional<TaxClass> taxClass = classText.isEmpty() ? none : readTaxCell(classText, tax_.codes);
        if (mapping_.column(ListField::taxClass) < 0 && !tax_.rateFlags.empty()) {
            taxClass = flaggedRate(classText);
        }
        const std::optional<TaxClass> basis = basisText.isEmpty() ? none : readTaxCell(basisText, tax_.codes);
        if (!basisText.isEmpty() && !basis) {
            note(NoteKind::taxBasisUnreadable, ListField::taxBasis, basisText);
            return;
        }
        const bool includesTax = basis && basis->priceIncludesTax ? *basis->priceIncludesTax
            : taxClass && taxClass->priceIncludesTax              ? *taxClass->priceIncludesTax
                                                                  : tax_.basis == PriceBasis::includesTax;
        const int rate = taxClass && taxClass->ratePercent ? *taxClass->ratePercent
            : basis && basis->ratePercent                  ? *basis->ratePercent
                                                           : tax_.ratePercent;
        if (!classText.isEmpty() && !taxClass && !includesTax) {
            note(NoteKind::taxClassUnreadable, ListField::taxClass, classText);
            return;
        }
        out_.priceIncludesTax = includesTax;
        out_.taxRatePercent = rate;
        const qint64 price = includesTax ? reading.yen : taxIncluded(reading.yen, rate, tax_.rounding);
        if (price > sheet::kMaxPrice) {
            note(NoteKind::priceAboveLimit, ListField::price, QString::number(price));
            return;
        }
        out_.record.price = qint32(price);
    }

    // The rate the Y/N columns give the row; `text` says what they hold when it is unknown.
    std::optional<TaxClass> flaggedRate(QString& text) const
    {
        std::optional<int> rate;
        bool filled = false;
        bool known = true;
        QStringList said;
        for (const RateFlag& flag : tax_.rateFlags) {
            const QString value = row_.cell(flag.column).normalized(QString::NormalizationForm_KC).trimmed().toUpper();
            if (value.isEmpty()) {
                continue;
            }
            filled = true;
            said << QStringLiteral("%1=%2").arg(flag.title, row_.cell(flag.column).trimmed());
            if (value == QLatin1String("Y") || value == QLatin1String("YES")) {
                known = known && (!rate || *rate == flag.ratePercent);
                rate = flag.ratePercent;
            } else if (value != QLatin1String("N") && value != QLatin1String("NO")) {
                known = false;
            }
        }
        text = said.join(QStringLiteral(", "));
        if (!known) {
            return std::nullopt;
        }
        if (!filled) {
            return TaxClass {};
        }
        return TaxClass {rate.value_or(0), {}};
    }

    const ListRow& row_;
    const ColumnMapping& mapping_;
    const sheet::SheetFormat& format_;
    const TaxSettings& tax_;
    CodePageCheck& codePage_;
    CleanRow out_;
};

QString kindText(NoteKind kind)
{
    switch (kind) {
    case NoteKind::madeHalfWidth:
        return QStringLiteral("全角の文字を半角にしました (%1)");
    case NoteKind::codeUnmarked:
        return QStringLiteral("文字として保存するための印を外しました (%1)");
    case NoteKind::priceReformatted:
        return QStringLiteral("数値として読みました (%1)");
    case NoteKind::cut:
        return QStringLiteral("長すぎるため切りました (%1)");
    case NoteKind::lineBreakReplaced:
        return QStringLiteral("改行やタブを空白にしました");
    case NoteKind::quoteReplaced:
        return QStringLiteral("「\"」を全角の「＂」にしました");
    case NoteKind::notInCodePage:
        return QStringLiteral("保存すると「?」になる文字があります (%1)");
    case NoteKind::wrongCheckDigit:
        return QStringLiteral("チェックデジットが違います (正しくは %1)");
    case NoteKind::notAJanCode:
        return QStringLiteral("8桁か13桁の数字ではないため、バーコードは印刷されません (%1)");
    case NoteKind::duplicateCode:
        return QStringLiteral("%1行目と同じコードです");
    case NoteKind::noPrice:
        return QStringLiteral("価格がないため 0 円になります");
    case NoteKind::noProductName:
        return QStringLiteral("商品名がないため使いません");
    case NoteKind::exponentCode:
        return QStringLiteral("指数表記 (%1) で桁が失われているため使いません");
    case NoteKind::codeTooLong:
        return QStringLiteral("%1文字より長いため使いません");
    case NoteKind::priceUnreadable:
        return QStringLiteral("「%1」を価格として読めないため使いません");
    case NoteKind::priceFraction:
        return QStringLiteral("「%1」に1円未満の端数があるため使いません");
    case NoteKind::priceNegative:
        return QStringLiteral("「%1」がマイナスのため使いません");
    case NoteKind::priceAboveLimit:
        return QStringLiteral("%1円は上限の100000円を超えるため使いません");
    case NoteKind::taxClassUnreadable:
        return QStringLiteral(
            "「%1」から税率が分からないため使いません (リスト独自の税コードなら、その意味を指定してください)");
    case NoteKind::taxBasisUnreadable:
        return QStringLiteral("「%1」から税込みか税抜きかが分からないため使いません "
                              "(リスト独自の税コードなら、その意味を指定してください)");
    }
    return {};
}

}  // namespace

bool refuses(NoteKind kind)
{
    switch (kind) {
    case NoteKind::noProductName:
    case NoteKind::exponentCode:
    case NoteKind::codeTooLong:
    case NoteKind::priceUnreadable:
    case NoteKind::priceFraction:
    case NoteKind::priceNegative:
    case NoteKind::priceAboveLimit:
    case NoteKind::taxClassUnreadable:
    case NoteKind::taxBasisUnreadable:
        return true;
    default:
        return false;
    }
}

QString noteMessage(const RowNote& note)
{
    QString text = kindText(note.kind);
    if (text.contains(QLatin1String("%1"))) {
        text = text.arg(note.detail);
    }
    return listFieldTitle(note.field) + QStringLiteral(": ") + text;
}

bool CleanRow::refused() const
{
    for (const RowNote& note : notes) {
        if (refuses(note.kind)) {
            return true;
        }
    }
    return false;
}

QString CleanRow::summary() const
{
    QStringList messages;
    for (const RowNote& note : notes) {
        messages.append(noteMessage(note));
    }
    return messages.join(QStringLiteral("; "));
}

std::vector<CleanRow> cleanRows(const std::vector<ListRow>& rows, const ColumnMapping& mapping,
                                const sheet::SheetFormat& format, const TaxSettings& tax)
{
    std::vector<CleanRow> out;
    out.reserve(rows.size());
    QHash<QString, int> firstRowOfCode;
    CodePageCheck codePage;
    for (const ListRow& row : rows) {
        CleanRow clean = RowCleaner(row, mapping, format, tax, codePage).run();
        if (!clean.refused() && !clean.record.jan.isEmpty()) {
            const auto it = firstRowOfCode.constFind(clean.record.jan);
            if (it != firstRowOfCode.cend()) {
                clean.notes.push_back(RowNote {NoteKind::duplicateCode, ListField::jan, QString::number(*it)});
            } else {
                firstRowOfCode.insert(clean.record.jan, clean.number);
            }
        }
        out.push_back(std::move(clean));
    }
    return out;
}

namespace {

bool isBlank(char32_t ch)
{
    return ch == U' ' || ch == U'\u3000';
}

bool opensBracket(char32_t ch)
{
    static const std::u32string opening = U"(（「【［[『〔<＜{｛";
    return opening.find(ch) != std::u32string::npos;
}

bool closesBracket(char32_t ch)
{
    static const std::u32string closing = U")）」】］]』〕>＞}｝";
    return closing.find(ch) != std::u32string::npos;
}

QString textOf(const std::u32string& chars, size_t from, size_t to)
{
    to = std::min(to, chars.size());
    while (to > from && isBlank(chars[to - 1])) {
        --to;
    }
    while (from < to && isBlank(chars[from])) {
        ++from;
    }
    return from < to ? QString::fromUcs4(chars.data() + from, qsizetype(to - from)) : QString();
}

}  // namespace

NameLines splitName(const QString& name, int firstLength, int secondLength)
{
    const QList<uint> ucs4 = name.toUcs4();
    const std::u32string chars(ucs4.cbegin(), ucs4.cend());
    const size_t first = size_t(std::max(firstLength, 1));
    const size_t second = size_t(std::max(secondLength, 0));
    if (chars.size() <= first) {
        return {name, {}, false};
    }
    // The line break at `at`: the first line before it, the second from it (blanks dropped).
    const auto linesAt = [&](size_t at) {
        size_t from = at;
        while (from < chars.size() && isBlank(chars[from])) {
            ++from;
        }
        NameLines lines {textOf(chars, 0, at), textOf(chars, from, from + second), false};
        for (size_t i = from + second; i < chars.size(); ++i) {
            lines.lost = lines.lost || !isBlank(chars[i]);
        }
        return lines;
    };
    // A natural break near the end of the first line: before a blank or an opening bracket,
    // after a blank or a closing bracket.
    constexpr size_t kNear = 3;
    for (size_t at = first; at + kNear >= first && at > 0; --at) {
        const bool natural
            = isBlank(chars[at]) || opensBracket(chars[at]) || isBlank(chars[at - 1]) || closesBracket(chars[at - 1]);
        if (natural) {
            const NameLines broken = linesAt(at);
            const NameLines hard = linesAt(first);
            return !broken.lost || hard.lost ? broken : hard;
        }
    }
    return linesAt(first);
}

CleanCounts countRows(const std::vector<CleanRow>& rows)
{
    CleanCounts counts;
    for (const CleanRow& row : rows) {
        if (row.refused()) {
            ++counts.refused;
        } else {
            ++counts.used;
            if (row.changed()) {
                ++counts.changed;
            }
        }
    }
    return counts;
}

std::vector<sheet::TagRecord> usedRecords(const std::vector<CleanRow>& rows)
{
    std::vector<sheet::TagRecord> out;
    for (const CleanRow& row : rows) {
        if (!row.refused()) {
            out.push_back(row.record);
        }
    }
    return out;
}

QString reportLine(const CleanRow& row)
{
    if (!row.changed()) {
        return {};
    }
    return QStringLiteral("%1行目 %2: %3")
        .arg(row.number)
        .arg(row.refused() ? QStringLiteral("使いません") : QStringLiteral("変更あり"), row.summary());
}

QString countsLine(const CleanCounts& counts)
{
    return QStringLiteral("使う行 %1 (うち変更あり %2)、使わない行 %3")
        .arg(counts.used)
        .arg(counts.changed)
        .arg(counts.refused);
}

}  // namespace productlist
