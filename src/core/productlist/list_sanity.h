#pragma once

// Whether the bytes of a list file are text at all, and whether they read as text in the encoding
// they were decoded with. A file that is not text (binary data: NUL bytes, control bytes, bytes
// that no encoding the reader knows turns into characters) is refused outright; a text that is
// garbled in the encoding used (replacement characters, the half-width kana and private-use
// characters that EUC-JP or UTF-8 give when read as Shift_JIS, no readable header where another
// encoding has one) is said to be in another encoding, with the encodings worth trying.

#include "core/productlist/text_list.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace productlist {

enum class TextVerdict {
    readable,       // text that reads well in the encoding used
    wrongEncoding,  // text, garbled in the encoding used
    notText,        // not a text in any encoding the reader knows
};

struct TextJudgement {
    TextVerdict verdict = TextVerdict::readable;
    QString reason;                   // Japanese, for the user; empty when readable
    std::vector<Encoding> proposals;  // wrongEncoding: the encodings to try, the likeliest first
};

// Judges the first part of `bytes` (a quarter of a megabyte) as decoded in `used`.
TextJudgement judgeText(const QByteArray& bytes, Encoding used);

// "UTF-8・UTF-16LE" for the dialog's texts.
QString encodingNames(const std::vector<Encoding>& encodings);

}  // namespace productlist
