#include "core/productlist/cleaning.h"

#include "core/sheet/field_entry.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

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

// Whether a sheet file holds `text` as it is, asked of the code page once for the whole text (the
// characters are looked at one by one only when it does not).
class CodePageCheck {
public:
    bool holds(const QString& text)
    {
        const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar ch) {
            return ch.unicode() >= 0x20 && ch.unicode() < 0x7F && ch != u'"';
        });
        if (ascii) {
            return true;
        }
        if (!encoder_.isValid() || !decoder_.isValid()) {
            return false;
        }
        encoder_.resetState();
        decoder_.resetState();
        const QByteArray bytes = encoder_.encode(text);
        if (encoder_.hasError()) {
            return false;
        }
        const QString back = decoder_.decode(bytes);
        return !decoder_.hasError() && back == text;
    }

private:
    QStringEncoder encoder_{"windows-31j"};
    QStringDecoder decoder_{"windows-31j"};
};

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
        cleanText(ListField::productName, out_.record.productName);
        if (out_.record.productName.trimmed().isEmpty()) {
            note(NoteKind::noProductName, ListField::productName);
        }
        if (format_.hasProductName2) {
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
        out_.notes.push_back(RowNote{kind, field, detail});
    }

    void cleanCode()
    {
        const QString given = cell(ListField::jan);
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

    void cleanText(ListField field, QString& target)
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
        const int maxLength = maxLengthOf(format_, field);
        if (maxLength > 0 && text.size() > maxLength) {
            const QString kept = leftCharacters(text, maxLength);
            note(NoteKind::cut, field, QStringLiteral("%1文字まで: 「%2」→「%3」").arg(maxLength).arg(text, kept));
            text = kept;
        }
        QString lost;
        for (char32_t codePoint : codePage_.holds(text) ? QList<uint>() : text.toUcs4()) {
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
        target = text;
    }

    void cleanPrice()
    {
        if (mapping_.column(ListField::price) < 0) {
            return;
        }
        const QString given = cell(ListField::price);
        const PriceReading reading = readPrice(given);
        switch (reading.outcome) {
        case PriceReading::Outcome::empty:
            note(NoteKind::noPrice, ListField::price);
            return;
        case PriceReading::Outcome::notANumber:
            note(NoteKind::priceUnreadable, ListField::price, given);
            return;
        case PriceReading::Outcome::fraction:
            note(NoteKind::priceFraction, ListField::price, given);
            return;
        case PriceReading::Outcome::negative:
            note(NoteKind::priceNegative, ListField::price, given);
            return;
        case PriceReading::Outcome::ok:
            break;
        }
        out_.listPrice = reading.yen;
        if (reading.reformatted) {
            note(NoteKind::priceReformatted, ListField::price, QStringLiteral("%1 → %2").arg(given).arg(reading.yen));
        }
        bool includesTax = tax_.basis == PriceBasis::includesTax;
        int rate = tax_.ratePercent;
        const QString taxText = cell(ListField::taxClass);
        if (!taxText.isEmpty()) {
            const auto taxClass = parseTaxClass(taxText);
            if (taxClass) {
                rate = taxClass->ratePercent.value_or(rate);
                includesTax = taxClass->priceIncludesTax.value_or(includesTax);
            } else if (!includesTax) {
                note(NoteKind::taxClassUnreadable, ListField::taxClass, taxText);
                return;
            }
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
        return QStringLiteral("「%1」から税率が分からないため使いません");
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
                clean.notes.push_back(RowNote{NoteKind::duplicateCode, ListField::jan, QString::number(*it)});
            } else {
                firstRowOfCode.insert(clean.record.jan, clean.number);
            }
        }
        out.push_back(std::move(clean));
    }
    return out;
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
    return QStringLiteral("使う行 %1 (うち変更あり %2)、使わない行 %3").arg(counts.used).arg(counts.changed).arg(counts.refused);
}

}  // namespace productlist
