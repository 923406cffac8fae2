#include "core/productlist/text_list.h"

#include "core/codepage/code_page_932.h"

#include <QStringDecoder>

#include <algorithm>
#include <map>

namespace productlist {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16LeBom("\xFF\xFE");
const QByteArray kUtf16BeBom("\xFE\xFF");

// Records of a text that the delimiter detection looks at, within its first kSampleChars.
constexpr int kSampleRecords = 50;
constexpr qsizetype kSampleChars = 64 * 1024;

QString normalisedName(const QString& name)
{
    QString out;
    for (QChar ch : name) {
        if (ch != u'-' && ch != u'_' && ch != u' ') {
            out += ch.toLower();
        }
    }
    return out;
}

QString decodeWith(QStringDecoder& decoder, QByteArrayView bytes, bool& invalid)
{
    QString text = decoder.decode(bytes);
    invalid = decoder.hasError();
    // A UTF-16 surrogate without its pair passes the decoder as it is: it becomes the replacement
    // character, as a broken sequence of any other encoding does, so that no half character
    // reaches a tag, a sheet file or the catalogue.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            ++i;
        } else if (QChar::isSurrogate(ch)) {
            text[i] = QChar::ReplacementCharacter;
            invalid = true;
        }
    }
    return text;
}

// The splitter behind splitDelimited; stops after `maxRecords` records (0: no limit). Only what the
// table keeps is kept while splitting: fields past kMaxColumns are passed over, and a field's text
// past kMaxCellChars, so that one record of millions of fields costs no more than its row.
ListTable split(QStringView text, QChar delimiter, int maxRecords)
{
    ListTable table;
    QStringList fields;
    QString field;
    int fieldCount = 0;
    int recordNumber = 0;
    bool recordStarted = false;

    auto addChar = [&](QChar ch) {
        if (fieldCount < kMaxColumns && field.size() < kMaxCellChars) {
            field += ch;
        }
    };
    auto endField = [&] {
        if (fieldCount++ < kMaxColumns) {
            fields.append(field);
        }
        field.clear();
    };
    auto endRecord = [&] {
        endField();
        ++recordNumber;
        table.append(recordNumber, std::move(fields));
        fields.clear();
        fieldCount = 0;
        recordStarted = false;
    };

    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (maxRecords > 0 && recordNumber >= maxRecords) {
            return table;
        }
        if (table.truncated) {
            return table;
        }
        recordStarted = true;
        if (text.at(i) == u'"' && field.isEmpty()) {
            // Quoted field: up to the next quote that is not doubled.
            ++i;
            while (i < n) {
                const QChar ch = text.at(i);
                if (ch == u'"') {
                    if (i + 1 < n && text.at(i + 1) == u'"') {
                        addChar(u'"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                addChar(ch);
                ++i;
            }
            // Anything between the closing quote and the delimiter is kept as it stands.
            continue;
        }
        const QChar ch = text.at(i);
        if (ch == delimiter) {
            endField();
            ++i;
        } else if (ch == u'\r' || ch == u'\n') {
            endRecord();
            i += (ch == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ? 2 : 1;
        } else {
            addChar(ch);
            ++i;
        }
    }
    if (recordStarted || !field.isEmpty() || !fields.isEmpty()) {
        endRecord();
    }
    return table;
}

// Whether `bytes` is valid UTF-8 (an incomplete sequence at the very end included), decoded piece
// by piece so that no copy of the whole text is made.
bool isUtf8(QByteArrayView bytes)
{
    constexpr qsizetype kPiece = 1 << 20;
    QStringDecoder probe(QStringDecoder::Utf8);
    for (qsizetype at = 0; at < bytes.size() && !probe.hasError(); at += kPiece) {
        const QString piece = probe.decode(bytes.sliced(at, std::min(kPiece, bytes.size() - at)));
    }
    return !probe.hasError();
}

}  // namespace

QString encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::utf8:
        return QStringLiteral("UTF-8");
    case Encoding::utf16le:
        return QStringLiteral("UTF-16LE");
    case Encoding::utf16be:
        return QStringLiteral("UTF-16BE");
    case Encoding::cp932:
        return QStringLiteral("Shift_JIS");
    }
    return {};
}

std::optional<Encoding> parseEncodingName(const QString& name)
{
    static const std::map<QString, Encoding> names {
        {QStringLiteral("utf8"), Encoding::utf8},       {QStringLiteral("utf16"), Encoding::utf16le},
        {QStringLiteral("utf16le"), Encoding::utf16le}, {QStringLiteral("utf16be"), Encoding::utf16be},
        {QStringLiteral("cp932"), Encoding::cp932},     {QStringLiteral("sjis"), Encoding::cp932},
        {QStringLiteral("shiftjis"), Encoding::cp932},  {QStringLiteral("windows31j"), Encoding::cp932},
        {QStringLiteral("ms932"), Encoding::cp932},
    };
    const auto it = names.find(normalisedName(name));
    if (it == names.end()) {
        return std::nullopt;
    }
    return it->second;
}

const std::vector<Encoding>& allEncodings()
{
    static const std::vector<Encoding> all {Encoding::utf8, Encoding::cp932, Encoding::utf16le, Encoding::utf16be};
    return all;
}

DecodedText decodeText(const QByteArray& bytes, std::optional<Encoding> forced)
{
    DecodedText out;
    Encoding encoding = Encoding::utf8;
    qsizetype skip = 0;
    if (bytes.startsWith(kUtf8Bom)) {
        encoding = Encoding::utf8;
        skip = kUtf8Bom.size();
    } else if (bytes.startsWith(kUtf16LeBom)) {
        encoding = Encoding::utf16le;
        skip = kUtf16LeBom.size();
    } else if (bytes.startsWith(kUtf16BeBom)) {
        encoding = Encoding::utf16be;
        skip = kUtf16BeBom.size();
    } else {
        encoding = isUtf8(bytes) ? Encoding::utf8 : Encoding::cp932;
    }
    if (forced && *forced != encoding) {
        // A mark of another encoding is part of the data when the user says so.
        encoding = *forced;
        skip = 0;
    }
    out.encoding = encoding;
    out.bom = skip > 0;
    const QByteArrayView data = QByteArrayView(bytes).sliced(skip);
    switch (encoding) {
    case Encoding::utf8: {
        QStringDecoder decoder(QStringDecoder::Utf8);
        out.text = decodeWith(decoder, data, out.invalidBytes);
        break;
    }
    case Encoding::utf16le: {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        out.text = decodeWith(decoder, data, out.invalidBytes);
        break;
    }
    case Encoding::utf16be: {
        QStringDecoder decoder(QStringDecoder::Utf16BE);
        out.text = decodeWith(decoder, data, out.invalidBytes);
        break;
    }
    case Encoding::cp932: {
        QStringDecoder decoder = codepage::codePage932Decoder();
        if (decoder.isValid()) {
            out.text = decodeWith(decoder, data, out.invalidBytes);
        } else {
            QStringDecoder latin(QStringDecoder::Latin1);
            out.text = latin.decode(data);
        }
        break;
    }
    }
    return out;
}

QChar detectDelimiter(const QString& text)
{
    QStringView sampleText = QStringView(text).left(kSampleChars);
    if (sampleText.size() < text.size()) {
        // Whole records only, where the sample holds a line end.
        const qsizetype lineEnd = std::max(sampleText.lastIndexOf(u'\n'), sampleText.lastIndexOf(u'\r'));
        sampleText = lineEnd > 0 ? sampleText.left(lineEnd) : sampleText;
    }
    QChar best = u',';
    int bestAgreeing = 0;
    int bestFields = 1;
    for (char16_t candidate : kDelimiters) {
        const ListTable sample = split(sampleText, candidate, kSampleRecords);
        std::map<int, int> countsOfFieldCounts;
        for (const ListRow& row : sample.rows) {
            ++countsOfFieldCounts[int(row.cells.size())];
        }
        // The most frequent field count above one, and how many records have it.
        int agreeing = 0;
        int fields = 1;
        for (const auto& [fieldCount, records] : countsOfFieldCounts) {
            if (fieldCount > 1 && (records > agreeing || (records == agreeing && fieldCount > fields))) {
                agreeing = records;
                fields = fieldCount;
            }
        }
        if (agreeing > bestAgreeing || (agreeing == bestAgreeing && agreeing > 0 && fields > bestFields)) {
            best = candidate;
            bestAgreeing = agreeing;
            bestFields = fields;
        }
    }
    return best;
}

ListTable splitDelimited(const QString& text, QChar delimiter)
{
    return split(text, delimiter, 0);
}

QString delimiterName(QChar delimiter)
{
    switch (delimiter.unicode()) {
    case u',':
        return QStringLiteral("カンマ");
    case u'\t':
        return QStringLiteral("タブ");
    case u';':
        return QStringLiteral("セミコロン");
    default:
        return QString(delimiter);
    }
}

}  // namespace productlist
