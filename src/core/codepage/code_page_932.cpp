#include "core/codepage/code_page_932.h"

#include <algorithm>

namespace codepage {

namespace {

constexpr const char* kCodecName = "windows-31j";
constexpr QStringConverter::Flags kCodecFlags = QStringConverter::Flag::Stateless;

bool isAscii(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.unicode() < 0x80; });
}

bool roundTrips(QStringEncoder& encoder, QStringDecoder& decoder, const QString& text)
{
    if (!encoder.isValid() || !decoder.isValid()) {
        return isAscii(text);
    }
    encoder.resetState();
    decoder.resetState();
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        return false;
    }
    const QString back = decoder.decode(bytes);
    return !decoder.hasError() && back == text;
}

// The byte ranges of code page 932: a lead byte opens a two-byte character whose second byte is a
// trail byte; ASCII and the half-width katakana are single bytes.
bool isLeadByte(uchar c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool isTrailByte(uchar c)
{
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

bool isSingleByte(uchar c)
{
    return c < 0x80 || (c >= 0xA1 && c <= 0xDF);
}

}  // namespace

QStringEncoder codePage932Encoder()
{
    return QStringEncoder(kCodecName, kCodecFlags);
}

QStringDecoder codePage932Decoder()
{
    return QStringDecoder(kCodecName, kCodecFlags);
}

QString decodeReplacingErrors(QByteArrayView bytes)
{
    QStringDecoder whole = codepage::codePage932Decoder();
    QString text = whole.decode(bytes);
    if (!whole.hasError()) {
        return text;
    }
    text.clear();
    QStringDecoder runs = codepage::codePage932Decoder();
    const qsizetype n = bytes.size();
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < n) {
        const auto c = static_cast<uchar>(bytes[i]);
        if (isLeadByte(c) && i + 1 < n && isTrailByte(static_cast<uchar>(bytes[i + 1]))) {
            i += 2;  // an unassigned pair comes back from the decoder as U+FFFD by itself
            continue;
        }
        if (isSingleByte(c)) {
            ++i;
            continue;
        }
        text += runs.decode(bytes.sliced(runStart, i - runStart));
        text += QChar::ReplacementCharacter;
        runStart = ++i;
    }
    text += runs.decode(bytes.sliced(runStart, n - runStart));
    return text;
}

bool fitsCodePage932(const QString& text)
{
    QStringEncoder encoder = codePage932Encoder();
    QStringDecoder decoder = codePage932Decoder();
    return roundTrips(encoder, decoder, text);
}

bool CodePage932Check::fits(const QString& text)
{
    const bool printableAscii
        = std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.unicode() >= 0x20 && ch.unicode() < 0x7F; });
    return printableAscii || roundTrips(encoder_, decoder_, text);
}

}  // namespace codepage
