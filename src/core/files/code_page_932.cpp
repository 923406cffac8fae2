#include "core/files/code_page_932.h"

#include <algorithm>

namespace files {

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

}  // namespace

QStringEncoder codePage932Encoder()
{
    return QStringEncoder(kCodecName, kCodecFlags);
}

QStringDecoder codePage932Decoder()
{
    return QStringDecoder(kCodecName, kCodecFlags);
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

}  // namespace files
