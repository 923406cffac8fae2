#include "core/productlist/list_sanity.h"

#include "core/productlist/column_mapping.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace productlist {

namespace {

constexpr qsizetype kSampleBytes = 256 * 1024;
// The first line is looked for a header within this many characters.
constexpr qsizetype kHeaderChars = 4096;
// Texts shorter than this need no line break or delimiter to count as a list.
constexpr qsizetype kShortText = 40;

// What a decoding of the sample looks like, character by character.
struct Reading {
    qsizetype chars = 0;
    qsizetype nul = 0;
    qsizetype control = 0;      // C0 but tab and line ends, DEL, C1
    qsizetype replacement = 0;  // U+FFFD and lone surrogates: bytes the encoding does not take
    qsizetype nonAscii = 0;
    qsizetype odd = 0;         // half-width 。「」、・ and private-use characters: signs of a wrong code page
    qsizetype structure = 0;   // line ends and delimiters
    bool headerNamed = false;  // a cell of the first line names a field as a shop's lists do

    bool garbled() const
    {
        return (replacement >= 2 && replacement * 100 >= nonAscii * 3) || (odd >= 3 && odd * 100 >= nonAscii * 15);
    }
    // `declared`: the file's byte-order mark names the encoding, so that a broken character is
    // a broken character (replaced and noted on its row), not a sign of another encoding.
    bool readable(bool declared = false) const
    {
        return nul == 0 && control * 100 <= chars && (declared || !garbled()) && (chars < kShortText || structure > 0);
    }
};

// Whether `bytes` begin with the byte-order mark of `encoding`.
bool markedAs(const QByteArray& bytes, Encoding encoding)
{
    switch (encoding) {
    case Encoding::utf8:
        return bytes.startsWith("\xEF\xBB\xBF");
    case Encoding::utf16le:
        return bytes.startsWith("\xFF\xFE");
    case Encoding::utf16be:
        return bytes.startsWith("\xFE\xFF");
    case Encoding::cp932:
        return false;
    }
    return false;
}

bool isControl(char16_t ch)
{
    return (ch < 0x20 && ch != u'\t' && ch != u'\n' && ch != u'\r') || (ch >= 0x7F && ch <= 0x9F);
}

bool firstLineNamesAField(const QString& text)
{
    const QString head = text.left(kHeaderChars);
    const qsizetype end = head.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    const QString line = end < 0 ? head : head.left(end);
    const ListTable first = splitDelimited(line, detectDelimiter(line));
    if (first.rows.empty()) {
        return false;
    }
    const QStringList& cells = first.rows.front().cells;
    return std::any_of(cells.cbegin(), cells.cend(),
                       [](const QString& cell) { return fieldOfHeader(cell.trimmed()).has_value(); });
}

Reading readingOf(const QByteArray& sample, Encoding encoding)
{
    const QString text = decodeText(sample, encoding).text;
    Reading r;
    r.chars = text.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            ++r.nonAscii;
            ++i;
            continue;
        }
        r.nul += ch == 0;
        r.control += ch != 0 && isControl(ch);
        r.replacement += ch == 0xFFFD || QChar::isSurrogate(ch);
        r.nonAscii += ch >= 0x80;
        r.odd += (ch >= 0xFF61 && ch <= 0xFF65) || (ch >= 0xE000 && ch <= 0xF8FF);
        r.structure += ch == u'\n' || ch == u'\r' || ch == u',' || ch == u'\t' || ch == u';';
    }
    r.headerNamed = firstLineNamesAField(text);
    return r;
}

}  // namespace

QString encodingNames(const std::vector<Encoding>& encodings)
{
    QStringList names;
    for (Encoding encoding : encodings) {
        names << encodingName(encoding);
    }
    return names.join(u'・');
}

TextJudgement judgeText(const QByteArray& bytes, Encoding used)
{
    // A multi-byte character cut at the end of the sample is not the file's fault.
    QByteArray sample = bytes.left(kSampleBytes);
    if (bytes.size() > kSampleBytes) {
        const qsizetype lineEnd = sample.lastIndexOf('\n');
        if (lineEnd > 0) {
            sample.truncate(lineEnd + 1);
        }
    }
    std::vector<std::pair<Encoding, Reading>> readings;
    for (Encoding encoding : allEncodings()) {
        readings.emplace_back(encoding, readingOf(sample, encoding));
    }
    const auto readingIn = [&](Encoding encoding) {
        return std::find_if(readings.cbegin(), readings.cend(), [&](const auto& r) { return r.first == encoding; })
            ->second;
    };
    const Reading u = readingIn(used);
    const bool declared = markedAs(bytes, used);

    // Other encodings that read well, those that find a header first.
    std::vector<Encoding> better;
    for (bool named : {true, false}) {
        for (const auto& [encoding, r] : readings) {
            if (encoding != used && r.readable() && r.headerNamed == named && (named || !u.readable())) {
                better.push_back(encoding);
            }
        }
    }
    const bool betterFound
        = !declared && !better.empty() && (!u.readable() || (!u.headerNamed && readingIn(better.front()).headerNamed));
    if (u.readable(declared) && !betterFound) {
        return {};
    }
    const QString usedName = encodingName(used);
    if (betterFound) {
        return {TextVerdict::wrongEncoding,
                QStringLiteral("%1 として読むと文字化けします。文字コードが違うようです。%2 を選んでください")
                    .arg(usedName, encodingNames(better)),
                better};
    }

    // Nothing reads well. Binary data, or a text in an encoding the reader does not know?
    const Reading utf8 = readingIn(Encoding::utf8);
    const Reading cp932 = readingIn(Encoding::cp932);
    const auto share = [](qsizetype part, qsizetype whole) { return whole > 0 ? double(part) / double(whole) : 0.0; };
    // A UTF-16 text is half NUL bytes: they say nothing of it.
    const bool utf16 = used == Encoding::utf16le || used == Encoding::utf16be;
    if (!utf16 && bytes.contains('\0')) {
        return {TextVerdict::notText, QStringLiteral("文字でないデータ (NUL バイト) を含むファイルです"), {}};
    }
    if (share(cp932.control, cp932.chars) >= 0.1) {
        return {TextVerdict::notText, QStringLiteral("制御文字が多く、文字のファイルではありません"), {}};
    }
    if (share(utf8.replacement, utf8.chars) >= 0.3 && share(cp932.replacement, cp932.chars) >= 0.3) {
        return {
            TextVerdict::notText,
            QStringLiteral("%1 のどの文字コードでも、大半が文字として読めません").arg(encodingNames(allEncodings())),
            {}};
    }
    std::vector<Encoding> others;
    for (Encoding encoding : allEncodings()) {
        if (encoding != used) {
            others.push_back(encoding);
        }
    }
    return {TextVerdict::wrongEncoding,
            QStringLiteral("%1 として読むと文字化けします。文字コードが違うようです。%2 を選んでみてください。"
                           "EUC-JP など、ここで選べない文字コードのファイルは、表計算ソフトやテキストエディタで "
                           "UTF-8 か Shift_JIS にして保存し直してください")
                .arg(usedName, encodingNames(others)),
            others};
}

}  // namespace productlist
