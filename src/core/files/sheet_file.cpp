#include "core/files/sheet_file.h"

#include "core/codepage/code_page_932.h"
#include "core/files/careful_write.h"

#include <QByteArrayView>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

using sheet::SheetFormat;
using sheet::TagRecord;
using sheet::TagSheet;

const std::vector<Field> kLargeFields {Field::jan, Field::maker, Field::productName, Field::spec, Field::lot};
const std::vector<Field> kSmallFields {Field::jan,          Field::maker, Field::productName,
                                       Field::productName2, Field::spec,  Field::lot};

// The largest field count of a record: the index, six texts, the price.
constexpr int kMaxFieldsPerRecord = 8;

const QString& textOf(const TagRecord& record, Field field)
{
    switch (field) {
    case Field::jan:
        return record.jan;
    case Field::maker:
        return record.maker;
    case Field::productName:
        return record.productName;
    case Field::productName2:
        return record.productName2;
    case Field::spec:
        return record.spec;
    case Field::lot:
        return record.lot;
    case Field::price:
        break;  // not a text: never among textFields()
    }
    return record.lot;
}

QString& textOf(TagRecord& record, Field field)
{
    return const_cast<QString&>(textOf(std::as_const(record), field));
}

int fieldsPerRecord(const SheetFormat& format)
{
    return static_cast<int>(textFields(format).size()) + 2;
}

// Printable ASCII, which code page 932 holds unchanged; such texts (most index and empty fields)
// need no trip through the converter.
bool isPrintableAscii(char16_t c)
{
    return c >= 0x20 && c <= 0x7E;
}

// ---- Writing -------------------------------------------------------------------------------

// Encodes texts into code page 932. A character the code page cannot hold is written as "?", and
// '"', for which the format has no escape, as the full-width "＂"; either is reported so that the
// caller can tell the user.
class TextEncoder {
public:
    struct Appended {
        bool unrepresentable = false;
        bool doubleQuote = false;
    };

    Appended append(const QString& text, QByteArray& out)
    {
        Appended outcome;
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return isPrintableAscii(c.unicode()) && c != u'"'; })) {
            out += text.toLatin1();
            return outcome;
        }
        QString written = text;
        if (written.contains(u'"')) {
            written.replace(u'"', u'＂');
            outcome.doubleQuote = true;
        }
        QStringEncoder encoder = codepage::codePage932Encoder();
        const QByteArray bytes = encoder.encode(written);
        if (!encoder.hasError() && decodesTo(bytes, written)) {
            out += bytes;
            return outcome;
        }
        // Character by character, so that only what cannot be written is replaced.
        const qsizetype n = written.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = written[i];
            if (isPrintableAscii(c.unicode())) {
                out += static_cast<char>(c.unicode());
                continue;
            }
            char32_t codePoint = c.unicode();
            if (c.isHighSurrogate() && i + 1 < n && written[i + 1].isLowSurrogate()) {
                codePoint = QChar::surrogateToUcs4(c, written[i + 1]);
                ++i;
            } else if (c.isSurrogate()) {
                codePoint = 0xFFFD;  // a lone surrogate is no character at all
            }
            const QByteArray* single = encodeOne(codePoint);
            if (single) {
                out += *single;
            } else {
                out += '?';
                outcome.unrepresentable = true;
            }
        }
        return outcome;
    }

    QByteArray encodePlain(const QString& text)
    {
        QStringEncoder encoder = codepage::codePage932Encoder();
        return encoder.encode(text);
    }

private:
    static bool decodesTo(const QByteArray& bytes, const QString& text)
    {
        QStringDecoder decoder = codepage::codePage932Decoder();
        const QString back = decoder.decode(bytes);
        return !decoder.hasError() && back == text;
    }

    // The bytes of one character, or nullptr when it does not survive a trip through the code page.
    const QByteArray* encodeOne(char32_t codePoint)
    {
        auto [it, inserted] = cache_.try_emplace(codePoint);
        if (inserted) {
            const QString single = QString::fromUcs4(&codePoint, 1);
            QStringEncoder encoder = codepage::codePage932Encoder();
            QByteArray bytes = encoder.encode(single);
            if (!encoder.hasError() && decodesTo(bytes, single)) {
                it->second = std::move(bytes);
            }
        }
        return it->second ? &*it->second : nullptr;
    }

    std::unordered_map<char32_t, std::optional<QByteArray>> cache_;
};

// ---- Reading -------------------------------------------------------------------------------

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool isSeparator(char c)
{
    return c == ',' || isLineEnd(c);
}

// Splits a sheet file into fields. A field ends at a comma or a line end (CR LF, CR or LF), so a
// record may run over several lines. Blanks before a field are skipped. A field that begins with a
// double quote runs to the next double quote, line ends included; whatever stands between the
// closing quote and the next comma or line end is dropped. A quote that is never closed takes the
// rest of the file.
class FieldReader {
public:
    explicit FieldReader(QByteArrayView bytes) : bytes_(bytes) { }

    bool atEnd() const { return pos_ >= bytes_.size(); }

    // The next field without its quotes, or nothing at the end of the data.
    std::optional<QByteArrayView> next()
    {
        if (atEnd()) {
            return std::nullopt;
        }
        const qsizetype size = bytes_.size();
        while (pos_ < size && bytes_[pos_] == ' ') {
            ++pos_;
        }
        if (pos_ < size && bytes_[pos_] == '"') {
            const qsizetype start = pos_ + 1;
            const qsizetype close = bytes_.indexOf('"', start);
            if (close < 0) {
                pos_ = size;
                return bytes_.sliced(start);
            }
            pos_ = close + 1;
            skipToSeparator();
            consumeSeparator();
            return bytes_.sliced(start, close - start);
        }
        const qsizetype start = pos_;
        skipToSeparator();
        const QByteArrayView field = bytes_.sliced(start, pos_ - start);
        consumeSeparator();
        return field;
    }

private:
    void skipToSeparator()
    {
        while (pos_ < bytes_.size() && !isSeparator(bytes_[pos_])) {
            ++pos_;
        }
    }

    void consumeSeparator()
    {
        if (pos_ >= bytes_.size()) {
            return;
        }
        const char c = bytes_[pos_++];
        if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') {
            ++pos_;
        }
    }

    QByteArrayView bytes_;
    qsizetype pos_ = 0;
};

// A field's text. Each byte or byte pair that is no code page 932 character becomes U+FFFD, which
// the writer later reports as a character it had to replace.
QString decodeText(QByteArrayView bytes)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return isPrintableAscii(c); })) {
        return QString::fromLatin1(bytes);
    }
    return codepage::decodeReplacingErrors(bytes);
}

// The number `text` begins with after leading blanks: an optional sign, digits and an optional
// fraction, rounded to the nearest whole number with halves going to the even neighbour ("2.5" is
// 2, "3.5" is 4). A text that does not begin with a number gives 0. The rounding is done on the
// decimal digits, so no binary fraction can tip a half either way. Nothing is returned for a
// number of more than 15 digits, which is no index and no 32-bit price.
std::optional<qint64> leadingNumber(QByteArrayView text)
{
    constexpr qint64 kLimit = 999'999'999'999'999;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const auto isDigit = [&](qsizetype k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
    bool anyDigit = false;
    bool tooLarge = false;
    qint64 whole = 0;
    for (; isDigit(i); ++i) {
        anyDigit = true;
        whole = whole * 10 + (text[i] - '0');
        if (whole > kLimit) {
            tooLarge = true;
            whole = 0;
        }
    }
    int firstDecimal = 0;
    bool moreDecimals = false;  // a non-zero digit after the first decimal
    if (i < n && text[i] == '.' && isDigit(i + 1)) {
        anyDigit = true;
        firstDecimal = text[++i] - '0';
        for (++i; isDigit(i); ++i) {
            moreDecimals = moreDecimals || text[i] != '0';
        }
    }
    if (!anyDigit) {
        return 0;
    }
    if (tooLarge) {
        return std::nullopt;
    }
    if (firstDecimal > 5 || (firstDecimal == 5 && (moreDecimals || whole % 2 == 1))) {
        ++whole;
    }
    return negative ? -whole : whole;
}

// The slot a record's index field names, or nothing when it names none of 1 to `slotCount`.
std::optional<int> slotOf(QByteArrayView indexField, int slotCount)
{
    const std::optional<qint64> number = leadingNumber(indexField);
    if (!number || *number < 1 || *number > slotCount) {
        return std::nullopt;
    }
    return static_cast<int>(*number);
}

// A price field: the number it begins with, as leadingNumber reads it; 0 when that does not fit in
// 32 bits (the sheet cannot hold it, and any value chosen in its place would be made up).
qint32 priceOf(QByteArrayView priceField)
{
    const std::optional<qint64> number = leadingNumber(priceField);
    if (!number || *number < std::numeric_limits<qint32>::min() || *number > std::numeric_limits<qint32>::max()) {
        return 0;
    }
    return static_cast<qint32>(*number);
}

// The format whose type literal the first field of a file is, or nullptr. The field is compared
// whole, so blanks inside the quotes make it no type literal.
const SheetFormat* formatNamedBy(FieldReader& reader)
{
    const std::optional<QByteArrayView> first = reader.next();
    if (!first) {
        return nullptr;
    }
    const QString type = decodeText(*first);
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        if (type == typeLiteral(*format)) {
            return format;
        }
    }
    return nullptr;
}

// The data as the reader sees it. Files past the size limit are refused; NUL bytes, which no text
// of a sheet holds (a file cut short by a crash may end in a run of them), are left out.
std::optional<QByteArray> readableBytes(const QByteArray& bytes)
{
    if (bytes.size() > kMaxSheetFileBytes) {
        return std::nullopt;
    }
    QByteArray copy = bytes;  // shared until a NUL byte has to go
    if (copy.contains('\0')) {
        copy.removeIf([](char c) { return c == '\0'; });
    }
    return copy;
}

std::optional<QByteArray> readFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    if (!file.isSequential() && file.size() > kMaxSheetFileBytes) {
        return std::nullopt;
    }
    return readSheetBytes(file);
}

ReadResult rejected(ReadStatus status, const QString& message)
{
    return {status, message, kErrorTitle};
}

}  // namespace

QString typeLiteral(const SheetFormat& format)
{
    return format.isLarge() ? QStringLiteral("大きい棚札") : QStringLiteral("小さい棚札");
}

QString otherFormatMessage(const SheetFormat& format)
{
    return format.isLarge() ? QStringLiteral("小さい棚札データです") : QStringLiteral("大さい棚札データです");
}

const std::vector<Field>& textFields(const SheetFormat& format)
{
    return format.isLarge() ? kLargeFields : kSmallFields;
}

EncodedSheet encodeSheet(const TagSheet& sheet)
{
    EncodedSheet encoded;
    TextEncoder encoder;
    QByteArray& out = encoded.bytes;
    out += '"';
    out += encoder.encodePlain(typeLiteral(sheet.format()));
    out += "\"\r\n";
    for (int slot = 1; slot <= sheet.tagsPerPage(); ++slot) {
        const TagRecord& record = sheet.record(slot);
        out += "\" ";
        out += QByteArray::number(slot);
        out += "\",";
        for (const Field field : textFields(sheet.format())) {
            out += '"';
            const TextEncoder::Appended outcome = encoder.append(textOf(record, field), out);
            out += "\",";
            if (outcome.doubleQuote) {
                encoded.replaced.push_back({slot, field, Substitution::doubleQuote});
            }
            if (outcome.unrepresentable) {
                encoded.replaced.push_back({slot, field, Substitution::unrepresentable});
            }
        }
        out += QByteArray::number(record.price);
        out += "\r\n";
    }
    return encoded;
}

SheetWriteResult writeSheetFile(const TagSheet& sheet, const QString& path, WriteMode mode)
{
    SheetWriteResult result;
    if (!codepage::codePage932Encoder().isValid()) {
        result.error = QStringLiteral("This system cannot encode text in code page 932.");
        return result;
    }
    EncodedSheet encoded = encodeSheet(sheet);
    result.replaced = std::move(encoded.replaced);

    const files::FileWriteResult written = files::writeFileCarefully(path, encoded.bytes, mode);
    result.ok = written.ok;
    result.error = written.error;
    result.keptCopyPath = written.keptCopyPath;
    result.replacedUnflushed = written.replacedUnflushed;
    return result;
}

SheetSetWriteResult writeSheetFiles(const std::vector<TagSheet>& sheets, const QStringList& paths, bool replaceExisting)
{
    SheetSetWriteResult out;
    std::vector<QByteArray> created;
    for (size_t i = 0; i < sheets.size() && i < size_t(paths.size()); ++i) {
        const QByteArray name = QFile::encodeName(paths.at(qsizetype(i)));
        struct stat st { };
        const bool taken = ::lstat(name.constData(), &st) == 0;
        SheetWriteResult written;
        if (taken && !replaceExisting) {
            written.error = QString::fromLocal8Bit(std::strerror(EEXIST));
        } else {
            written
                = writeSheetFile(sheets[i], paths.at(qsizetype(i)), taken ? WriteMode::replace : WriteMode::createNew);
        }
        if (!taken && (written.ok || written.replacedUnflushed)) {
            created.push_back(name);
        }
        if (written.ok) {
            continue;
        }
        if (written.replacedUnflushed) {
            out.unflushed.emplace_back(int(i), written.error);
            continue;
        }
        out.failed = int(i);
        out.nameTaken = (taken && !replaceExisting) || (!taken && ::lstat(name.constData(), &st) == 0);
        out.failure = std::move(written);
        for (const QByteArray& made : created) {
            ::unlink(made.constData());
        }
        out.unflushed.clear();
        return out;
    }
    return out;
}

ReadResult decodeSheet(TagSheet& sheet, const QByteArray& data)
{
    const std::optional<QByteArray> bytes = readableBytes(data);
    if (!bytes) {
        return rejected(ReadStatus::notASheet, kNotASheetMessage);
    }
    FieldReader reader(*bytes);
    const SheetFormat& format = sheet.format();
    const SheetFormat* named = formatNamedBy(reader);
    if (!named) {
        return rejected(ReadStatus::notASheet, kNotASheetMessage);
    }
    if (!(*named == format)) {
        return rejected(ReadStatus::otherFormat, otherFormatMessage(format));
    }

    // Records may stand in any order and name any slot; a later record for a slot replaces an
    // earlier one, and slots that no record names stay empty. A record whose index names no slot
    // is skipped. Fields are counted, not lines.
    const int slotCount = sheet.tagsPerPage();
    const int fieldCount = fieldsPerRecord(format);
    const std::vector<Field>& texts = textFields(format);
    std::vector<TagRecord> records(static_cast<size_t>(slotCount));
    while (!reader.atEnd()) {
        std::array<QByteArrayView, kMaxFieldsPerRecord> fields;
        int got = 0;
        for (; got < fieldCount; ++got) {
            const std::optional<QByteArrayView> field = reader.next();
            if (!field) {
                break;
            }
            fields[static_cast<size_t>(got)] = *field;
        }
        if (got < fieldCount) {
            break;  // a last record cut short is dropped whole rather than loaded in part
        }
        const std::optional<int> slot = slotOf(fields[0], slotCount);
        if (!slot) {
            continue;
        }
        TagRecord record;
        for (size_t k = 0; k < texts.size(); ++k) {
            // Taken as written, quoted or not: "0123" stays a text with its leading zero.
            textOf(record, texts[k]) = decodeText(fields[k + 1]);
        }
        record.price = priceOf(fields[static_cast<size_t>(fieldCount - 1)]);
        records[static_cast<size_t>(*slot - 1)] = std::move(record);
    }
    sheet.records = std::move(records);
    return {ReadStatus::loaded, QString(), QString()};
}

ReadResult readSheetFile(TagSheet& sheet, const QString& path)
{
    const std::optional<QByteArray> bytes = readFileBytes(path);
    if (!bytes) {
        return rejected(ReadStatus::notASheet, kNotASheetMessage);
    }
    return decodeSheet(sheet, *bytes);
}

std::optional<QByteArray> readSheetBytes(QFile& file, QString* error)
{
    // In chunks, so that a file whose size is not known beforehand stops at the limit too.
    constexpr qint64 kChunk = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() <= kMaxSheetFileBytes) {
        const qsizetype had = bytes.size();
        bytes.resize(had + kChunk);
        const qint64 got = file.read(bytes.data() + had, kChunk);
        if (got < 0) {
            if (error) {
                *error = file.errorString();
            }
            return std::nullopt;
        }
        bytes.resize(had + got);
        if (got == 0) {
            break;
        }
    }
    return bytes;
}

const SheetFormat* sheetFormatOf(const QByteArray& data)
{
    const std::optional<QByteArray> bytes = readableBytes(data);
    if (!bytes) {
        return nullptr;
    }
    FieldReader reader(*bytes);
    return formatNamedBy(reader);
}

const SheetFormat* sheetFormatOfFile(const QString& path)
{
    const std::optional<QByteArray> bytes = readFileBytes(path);
    return bytes ? sheetFormatOf(*bytes) : nullptr;
}

std::optional<TagSheet> readAnySheetFile(const QString& path)
{
    const std::optional<QByteArray> bytes = readFileBytes(path);
    const SheetFormat* format = bytes ? sheetFormatOf(*bytes) : nullptr;
    if (!format) {
        return std::nullopt;
    }
    TagSheet sheet(*format);
    if (!decodeSheet(sheet, *bytes).loaded()) {
        return std::nullopt;
    }
    return sheet;
}

}  // namespace files
