#include "core/sheet/field_entry.h"

#include "core/barcode/barcode.h"
#include "core/codepage/code_page_932.h"

#include <QList>

#include <algorithm>

namespace sheet {

namespace {

// Enter walk of each format: JAN, maker, product name(s), spec, lot, price.
const std::vector<EntryBox> kLargeBoxes {
    {Field::jan, "Text1", 0, false, false},        {Field::maker, "Text2", 6, true, true},
    {Field::productName, "Text3", 13, true, true}, {Field::spec, "Text4", 8, true, false},
    {Field::lot, "Text6", 8, true, false},         {Field::price, "Text5", 0, false, false},
};

const std::vector<EntryBox> kSmallBoxes {
    {Field::jan, "Text1", 13, false, false},      {Field::maker, "Text2", 6, true, true},
    {Field::productName, "Text3", 7, true, true}, {Field::productName2, "Text4", 6, true, true},
    {Field::spec, "Text5", 8, true, false},       {Field::lot, "Text6", 8, true, false},
    {Field::price, "Text7", 0, false, false},
};

}  // namespace

const std::vector<EntryBox>& entryBoxes(const SheetFormat& format)
{
    return format.isLarge() ? kLargeBoxes : kSmallBoxes;
}

const EntryBox* entryBoxFor(const SheetFormat& format, Field field)
{
    for (const EntryBox& box : entryBoxes(format)) {
        if (box.field == field) {
            return &box;
        }
    }
    return nullptr;
}

QString* textMember(TagRecord& record, Field field)
{
    switch (field) {
    case Field::jan:
        return &record.jan;
    case Field::maker:
        return &record.maker;
    case Field::productName:
        return &record.productName;
    case Field::productName2:
        return &record.productName2;
    case Field::spec:
        return &record.spec;
    case Field::lot:
        return &record.lot;
    case Field::price:
        break;
    }
    return nullptr;
}

QString fieldText(const TagRecord& record, Field field)
{
    if (field == Field::price) {
        return QString::number(record.price);
    }
    return *textMember(const_cast<TagRecord&>(record), field);
}

QString completeCheckDigit(const QString& text)
{
    if (text.size() == 13) {
        return text.left(12) + QChar(u'0' + barcode::checkDigitOf(QStringView(text).left(12)));
    }
    if (text.size() == 8) {
        return text.left(7) + QChar(u'0' + barcode::checkDigitOf(QStringView(text).left(7)));
    }
    return text;
}

PriceEntry readPriceText(const QString& text)
{
    if (text.isEmpty() || !std::all_of(text.cbegin(), text.cend(), isPriceDigit)) {
        return {text, 0};
    }
    // Leading zeros do not count; more than six significant digits is above the limit in any case.
    qsizetype first = 0;
    while (first < text.size() - 1 && text.at(first) == u'0') {
        ++first;
    }
    const QStringView digits = QStringView(text).mid(first);
    const qint32 value = digits.size() > 6 ? kMaxPrice + 1 : digits.toInt();
    if (value > kMaxPrice) {
        return {QStringLiteral("0"), 0};
    }
    return {text, value};
}

bool isPriceDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

bool isFileCharacter(char32_t codePoint)
{
    if (codePoint < 0x20 || codePoint == 0x7F || codePoint == U'"') {
        return false;
    }
    if (codePoint < 0x7F) {
        return true;
    }
    return codepage::fitsCodePage932(QString::fromUcs4(&codePoint, 1));
}

QString halfWidthDigits(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        if (ch >= u'\uFF10' && ch <= u'\uFF19') {
            ch = QChar(u'0' + (ch.unicode() - u'\uFF10'));
        }
    }
    return out;
}

std::optional<BoxEdit> filterBoxEdit(const QString& before, const QString& after, int maxLength,
                                     bool halfWidthDigitsOnly)
{
    // The change as one replacement: what lies between the common start and the common end.
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before.at(prefix) == after.at(prefix)) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix)) {
        ++suffix;
    }
    const QString inserted = after.mid(prefix, after.size() - prefix - suffix);
    if (inserted.isEmpty()) {
        return BoxEdit {after, static_cast<int>(prefix)};
    }

    QString kept = halfWidthDigitsOnly ? halfWidthDigits(inserted) : inserted;
    kept.replace(u'"', QChar(kFullWidthQuote));
    const bool plain = std::none_of(kept.cbegin(), kept.cend(),
                                    [](QChar ch) { return ch.unicode() < 0x20 || ch.unicode() == 0x7F; });
    if (!plain || !codepage::fitsCodePage932(kept)) {
        // Look at each character alone only when something has to go.
        QString filtered;
        for (const uint cp : kept.toUcs4()) {
            const char32_t codePoint = cp;
            if (isFileCharacter(codePoint)) {
                filtered += QString::fromUcs4(&codePoint, 1);
            }
        }
        kept = filtered;
    }
    const qsizetype unchanged = after.size() - inserted.size();
    if (maxLength > 0) {
        const qsizetype room = std::max<qsizetype>(0, maxLength - unchanged);
        kept.truncate(room);
        // Never leave half of a surrogate pair behind.
        if (!kept.isEmpty() && kept.back().isHighSurrogate()) {
            kept.chop(1);
        }
    }
    if (kept.isEmpty()) {
        return std::nullopt;
    }
    return BoxEdit {after.left(prefix) + kept + after.right(suffix), static_cast<int>(prefix + kept.size())};
}

}  // namespace sheet
