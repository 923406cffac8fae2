#pragma once

// Code page 932, the one encoding of sheet files: Shift_JIS with the Windows extensions, as
// Japanese Windows and Excel write it. Every encoder, decoder and "does this text fit" question
// of the program goes through here.

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace codepage {

// Stateless: a sheet file is encoded field by field, and no field may carry a shift state over.
QStringEncoder codePage932Encoder();
QStringDecoder codePage932Decoder();

// Whether `text` survives a trip through the code page: encodable without error and decoded back
// unchanged (a "best fit" mapping to a similar character does not count). Where this system has
// no code page 932 at all, only ASCII fits.
bool fitsCodePage932(const QString& text);

// `bytes` decoded, each byte or byte pair that is no code page 932 character turned into U+FFFD
// and the rest kept: a damaged character costs only itself.
QString decodeReplacingErrors(QByteArrayView bytes);

// The same question asked many times: keeps one encoder and decoder, and answers a text of
// printable ASCII without either.
class CodePage932Check {
public:
    bool fits(const QString& text);

private:
    QStringEncoder encoder_ = codePage932Encoder();
    QStringDecoder decoder_ = codePage932Decoder();
};

}  // namespace codepage
