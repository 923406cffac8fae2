#include "core/productlist/xml_scanner.h"

#include "core/productlist/list_table.h"
#include "core/productlist/workbook_parts.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace productlist {

namespace {

// Namespace names that only the reserved prefixes xml and xmlns may stand for.
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

std::string_view viewOf(QByteArrayView bytes)
{
    return {bytes.data(), size_t(bytes.size())};
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] - 'A' + 'a') : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? char(b[i] - 'A' + 'a') : b[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

// The character a reference stands for ("lt", "#60", "#x3C" without '&' and ';'), or 0 when it
// is not one of the five named entities or a reference to a character XML allows.
char32_t referencedCharacter(std::string_view name)
{
    if (name == "lt") {
        return U'<';
    }
    if (name == "gt") {
        return U'>';
    }
    if (name == "amp") {
        return U'&';
    }
    if (name == "quot") {
        return U'"';
    }
    if (name == "apos") {
        return U'\'';
    }
    if (name.size() < 2 || name[0] != '#') {
        return 0;
    }
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty()) {
        return 0;
    }
    std::uint32_t value = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return 0;
        }
        value = value * (hex ? 16 : 10) + std::uint32_t(digit);
        if (value > 0x10FFFF) {
            return 0;
        }
    }
    return isXmlChar(char32_t(value)) ? char32_t(value) : 0;
}

enum class Normalising { text, attribute };

// Appends the characters of `raw` (XML-valid UTF-8) to `out`: line ends as one line feed (in an
// attribute value every white-space character as a space), references resolved when `references`.
// False on a reference that is not a known entity or an allowed character.
bool decodeInto(QString& out, std::string_view raw, Normalising normalising, bool references)
{
    size_t plain = 0;
    const auto flush = [&](size_t upTo) {
        if (upTo > plain) {
            out += QString::fromUtf8(raw.data() + plain, qsizetype(upTo - plain));
        }
    };
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            flush(i);
            out += normalising == Normalising::attribute ? u' ' : u'\n';
            if (i + 1 < raw.size() && raw[i + 1] == '\n') {
                ++i;
            }
            plain = i + 1;
        } else if (normalising == Normalising::attribute && (c == '\n' || c == '\t')) {
            flush(i);
            out += u' ';
            plain = i + 1;
        } else if (c == '&' && references) {
            flush(i);
            const size_t semicolon = raw.find(';', i + 1);
            if (semicolon == std::string_view::npos || semicolon - i > 12) {
                return false;
            }
            const char32_t character = referencedCharacter(raw.substr(i + 1, semicolon - i - 1));
            if (character == 0) {
                return false;
            }
            const char32_t one[] = {character};
            out += QString::fromUcs4(one, 1);
            i = semicolon;
            plain = i + 1;
        }
    }
    flush(raw.size());
    return true;
}

bool needsDecoding(std::string_view raw, Normalising normalising)
{
    for (char c : raw) {
        if (c == '&' || c == '\r' || (normalising == Normalising::attribute && (c == '\n' || c == '\t'))) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool isXmlUtf8(QByteArrayView data)
{
    const auto* at = reinterpret_cast<const unsigned char*>(data.data());
    const auto* end = at + data.size();
    while (at < end) {
        // Eight printable ASCII bytes at a time: no high bit set and none below 0x20.
        if (end - at >= 8) {
            std::uint64_t word;
            std::memcpy(&word, at, 8);
            constexpr std::uint64_t high = 0x8080808080808080ULL;
            if ((word & high) == 0 && ((word - 0x2020202020202020ULL) & ~word & high) == 0) {
                at += 8;
                continue;
            }
        }
        const unsigned char c = *at;
        if (c < 0x80) {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                return false;
            }
            ++at;
            continue;
        }
        int more = 0;
        char32_t code = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            code = c & 0x0F;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            code = c & 0x07;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - at <= more) {
            return false;
        }
        for (int i = 1; i <= more; ++i) {
            const unsigned char next = at[i];
            if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (!isXmlChar(code)) {
            return false;
        }
        at += more + 1;
    }
    return true;
}

XmlScanner::XmlScanner(QByteArrayView data) : at_(data.data()), end_(data.data() + data.size())
{
    if (!isXmlUtf8(data)) {
        state_ = State::declined;
        return;
    }
    if (viewOf(data).starts_with("\xEF\xBB\xBF")) {
        at_ += 3;
    }
    const std::string_view rest(at_, size_t(end_ - at_));
    if (rest.size() > 5 && rest.starts_with("<?xml") && isSpace(rest[5]) && !readDeclaration()) {
        state_ = State::declined;
    }
}

QXmlStreamReader::TokenType XmlScanner::decline()
{
    state_ = State::declined;
    return QXmlStreamReader::Invalid;
}

bool XmlScanner::readDeclaration()
{
    // <?xml version="1.0" encoding="UTF-8" standalone="yes"?>, the last two optional.
    at_ += 5;
    std::vector<std::pair<std::string_view, std::string_view>> pairs;
    for (;;) {
        const char* beforeSpace = at_;
        while (at_ < end_ && isSpace(*at_)) {
            ++at_;
        }
        if (end_ - at_ >= 2 && at_[0] == '?' && at_[1] == '>') {
            at_ += 2;
            break;
        }
        if (at_ == beforeSpace || at_ == end_) {
            return false;
        }
        const char* nameStart = at_;
        while (at_ < end_ && isNameChar(*at_)) {
            ++at_;
        }
        const std::string_view name(nameStart, size_t(at_ - nameStart));
        while (at_ < end_ && isSpace(*at_)) {
            ++at_;
        }
        if (at_ == end_ || *at_ != '=') {
            return false;
        }
        ++at_;
        while (at_ < end_ && isSpace(*at_)) {
            ++at_;
        }
        if (at_ == end_ || (*at_ != '"' && *at_ != '\'')) {
            return false;
        }
        const char quote = *at_++;
        const char* valueStart = at_;
        while (at_ < end_ && *at_ != quote) {
            ++at_;
        }
        if (at_ == end_) {
            return false;
        }
        pairs.emplace_back(name, std::string_view(valueStart, size_t(at_ - valueStart)));
        ++at_;
    }
    size_t i = 0;
    if (i < pairs.size() && pairs[i].first == "version" && pairs[i].second == "1.0") {
        ++i;
    } else {
        return false;
    }
    if (i < pairs.size() && pairs[i].first == "encoding") {
        if (!equalsIgnoringCase(pairs[i].second, "utf-8")) {
            return false;
        }
        ++i;
    }
    if (i < pairs.size() && pairs[i].first == "standalone") {
        if (pairs[i].second != "yes" && pairs[i].second != "no") {
            return false;
        }
        ++i;
    }
    return i == pairs.size();
}

bool XmlScanner::readName(QByteArrayView& prefix, QByteArrayView& localName)
{
    const char* start = at_;
    if (at_ == end_ || !isNameStart(*at_)) {
        return false;
    }
    ++at_;
    const char* colon = nullptr;
    while (at_ < end_) {
        if (isNameChar(*at_)) {
            ++at_;
        } else if (*at_ == ':' && !colon && at_ + 1 < end_ && isNameStart(at_[1])) {
            colon = at_++;
        } else {
            break;
        }
    }
    if (colon) {
        prefix = QByteArrayView(start, colon - start);
        localName = QByteArrayView(colon + 1, at_ - colon - 1);
    } else {
        prefix = {};
        localName = QByteArrayView(start, at_ - start);
    }
    return true;
}

bool XmlScanner::isDeclared(QByteArrayView prefix) const
{
    for (auto it = declarations_.rbegin(); it != declarations_.rend(); ++it) {
        if (it->prefix == prefix) {
            return true;
        }
    }
    return false;
}

QXmlStreamReader::TokenType XmlScanner::startElement()
{
    const char* qualifiedStart = ++at_;
    QByteArrayView prefix;
    QByteArrayView localName;
    if (!readName(prefix, localName)) {
        return decline();
    }
    const QByteArrayView qualifiedName(qualifiedStart, at_ - qualifiedStart);
    const int depth = depth_ + 1;
    const size_t outerDeclarations = declarations_.size();
    bool defaultDeclared = false;
    for (;;) {
        const char* beforeSpace = at_;
        while (at_ < end_ && isSpace(*at_)) {
            ++at_;
        }
        if (at_ == end_) {
            return decline();
        }
        if (*at_ == '>') {
            ++at_;
            break;
        }
        if (*at_ == '/') {
            if (end_ - at_ < 2 || at_[1] != '>') {
                return decline();
            }
            at_ += 2;
            pendingEnd_ = true;
            break;
        }
        if (at_ == beforeSpace) {
            return decline();
        }
        Attribute attribute;
        if (!readName(attribute.prefix, attribute.localName)) {
            return decline();
        }
        while (at_ < end_ && isSpace(*at_)) {
            ++at_;
        }
        if (at_ == end_ || *at_ != '=') {
            return decline();
        }
        ++at_;
        while (at_ < end_ && isSpace(*at_)) {
            ++at_;
        }
        if (at_ == end_ || (*at_ != '"' && *at_ != '\'')) {
            return decline();
        }
        const char quote = *at_++;
        const auto* close = static_cast<const char*>(std::memchr(at_, quote, size_t(end_ - at_)));
        if (!close) {
            return decline();
        }
        const std::string_view raw(at_, size_t(close - at_));
        attribute.rawValue = QByteArrayView(at_, close - at_);
        at_ = close + 1;
        if (raw.find('<') != std::string_view::npos) {
            return decline();
        }
        if (raw.find('&') != std::string_view::npos) {
            QString checked;
            if (!decodeInto(checked, raw, Normalising::attribute, true)) {
                return decline();
            }
        }
        const bool declaresDefault = attribute.prefix.isEmpty() && attribute.localName == "xmlns";
        const bool declaresPrefix = attribute.prefix == "xmlns";
        if (declaresDefault || declaresPrefix) {
            // A namespace declaration, not an attribute. Any reserved name or a doubled
            // declaration is left to XmlPart.
            if (raw.find(kXmlNamespace) != std::string_view::npos
                || raw.find(kXmlnsNamespace) != std::string_view::npos) {
                return decline();
            }
            if (declaresDefault) {
                if (defaultDeclared) {
                    return decline();
                }
                defaultDeclared = true;
                continue;
            }
            if (raw.empty() || attribute.localName == "xml" || attribute.localName == "xmlns") {
                return decline();
            }
            for (size_t i = outerDeclarations; i < declarations_.size(); ++i) {
                if (declarations_[i].prefix == attribute.localName) {
                    return decline();
                }
            }
            declarations_.push_back({attribute.localName, depth});
            continue;
        }
        if (attribute.localName == "xmlns") {
            return decline();
        }
        for (const Attribute& other : attributes_) {
            if (other.localName == attribute.localName) {
                return decline();
            }
        }
        attributes_.push_back(attribute);
    }
    if (!prefix.isEmpty() && (prefix == "xml" || prefix == "xmlns" || !isDeclared(prefix))) {
        return decline();
    }
    for (const Attribute& attribute : attributes_) {
        if (!attribute.prefix.isEmpty() && attribute.prefix != "xml" && !isDeclared(attribute.prefix)) {
            return decline();
        }
    }
    if (depth > kMaxXmlDepth || (depth == 1 && rootSeen_)) {
        return decline();
    }
    rootSeen_ = true;
    depth_ = depth;
    open_.push_back(qualifiedName);
    name_ = QLatin1StringView(localName.data(), localName.size());
    return QXmlStreamReader::StartElement;
}

QXmlStreamReader::TokenType XmlScanner::endPendingElement()
{
    pendingEnd_ = false;
    open_.pop_back();
    while (!declarations_.empty() && declarations_.back().depth >= depth_) {
        declarations_.pop_back();
    }
    --depth_;
    return QXmlStreamReader::EndElement;
}

QXmlStreamReader::TokenType XmlScanner::endElement()
{
    at_ += 2;
    const char* qualifiedStart = at_;
    QByteArrayView prefix;
    QByteArrayView localName;
    if (!readName(prefix, localName) || open_.empty()
        || open_.back() != QByteArrayView(qualifiedStart, at_ - qualifiedStart)) {
        return decline();
    }
    while (at_ < end_ && isSpace(*at_)) {
        ++at_;
    }
    if (at_ == end_ || *at_ != '>') {
        return decline();
    }
    ++at_;
    name_ = QLatin1StringView(localName.data(), localName.size());
    return endPendingElement();
}

QXmlStreamReader::TokenType XmlScanner::textRun()
{
    const auto* less = static_cast<const char*>(std::memchr(at_, '<', size_t(end_ - at_)));
    const char* stop = less ? less : end_;
    const std::string_view raw(at_, size_t(stop - at_));
    at_ = stop;
    if (raw.find("]]>") != std::string_view::npos) {
        return decline();
    }
    textDecoded_ = needsDecoding(raw, Normalising::text);
    if (textDecoded_) {
        decodedText_.clear();
        if (!decodeInto(decodedText_, raw, Normalising::text, true)) {
            return decline();
        }
    } else {
        rawText_ = QByteArrayView(raw.data(), qsizetype(raw.size()));
    }
    return QXmlStreamReader::Characters;
}

QXmlStreamReader::TokenType XmlScanner::cdata()
{
    at_ += 9;  // <![CDATA[
    const std::string_view rest(at_, size_t(end_ - at_));
    const size_t close = rest.find("]]>");
    if (close == std::string_view::npos) {
        return decline();
    }
    const std::string_view raw = rest.substr(0, close);
    at_ += close + 3;
    textDecoded_ = true;
    decodedText_.clear();
    decodeInto(decodedText_, raw, Normalising::text, false);
    return QXmlStreamReader::Characters;
}

bool XmlScanner::skipComment()
{
    // <!-- ... -->: two hyphens end it, and must be followed by '>'.
    at_ += 4;
    const std::string_view rest(at_, size_t(end_ - at_));
    const size_t hyphens = rest.find("--");
    if (hyphens == std::string_view::npos || hyphens + 2 >= rest.size() || rest[hyphens + 2] != '>') {
        return false;
    }
    at_ += hyphens + 3;
    return true;
}

bool XmlScanner::skipInstruction()
{
    at_ += 2;
    QByteArrayView prefix;
    QByteArrayView target;
    if (!readName(prefix, target) || !prefix.isEmpty() || equalsIgnoringCase(viewOf(target), "xml")) {
        return false;
    }
    const std::string_view rest(at_, size_t(end_ - at_));
    if (rest.starts_with("?>")) {
        at_ += 2;
        return true;
    }
    const size_t close = rest.find("?>");
    if (rest.empty() || !isSpace(rest[0]) || close == std::string_view::npos) {
        return false;
    }
    at_ += close + 2;
    return true;
}

QXmlStreamReader::TokenType XmlScanner::next()
{
    attributes_.clear();
    if (state_ != State::reading) {
        return state_ == State::declined ? QXmlStreamReader::Invalid : QXmlStreamReader::EndDocument;
    }
    if (pendingEnd_) {
        return endPendingElement();
    }
    while (at_ < end_) {
        if (*at_ != '<') {
            if (depth_ > 0) {
                return textRun();
            }
            if (!isSpace(*at_)) {
                return decline();
            }
            ++at_;
            continue;
        }
        const std::string_view rest(at_, size_t(end_ - at_));
        if (rest.starts_with("</")) {
            return endElement();
        }
        if (rest.starts_with("<?")) {
            if (!skipInstruction()) {
                return decline();
            }
            continue;
        }
        if (rest.starts_with("<!--")) {
            if (!skipComment()) {
                return decline();
            }
            continue;
        }
        if (rest.starts_with("<![CDATA[") && depth_ > 0) {
            return cdata();
        }
        if (rest.starts_with("<!")) {
            return decline();
        }
        return startElement();
    }
    if (depth_ != 0 || !rootSeen_) {
        return decline();
    }
    state_ = State::finished;
    return QXmlStreamReader::EndDocument;
}

QStringView XmlScanner::attribute(QLatin1StringView localName)
{
    const QByteArrayView wanted(localName.data(), localName.size());
    for (const Attribute& attribute : attributes_) {
        if (attribute.localName != wanted) {
            continue;
        }
        const std::string_view raw = viewOf(attribute.rawValue);
        attributeText_.resize(0);
        if (needsDecoding(raw, Normalising::attribute)) {
            decodeInto(attributeText_, raw, Normalising::attribute, true);
        } else {
            bool ascii = true;
            for (char c : raw) {
                ascii = ascii && uchar(c) < 0x80;
            }
            if (ascii) {
                attributeText_.resize(qsizetype(raw.size()));
                QChar* out = attributeText_.data();
                for (size_t i = 0; i < raw.size(); ++i) {
                    out[i] = QChar(uchar(raw[i]));
                }
            } else {
                attributeText_ = QString::fromUtf8(raw.data(), qsizetype(raw.size()));
            }
        }
        return attributeText_;
    }
    return {};
}

QString XmlScanner::text() const
{
    return textDecoded_ ? decodedText_ : QString::fromUtf8(rawText_);
}

void XmlScanner::appendText(QString& out)
{
    if (textDecoded_) {
        appendToCell(out, decodedText_);
    } else if (out.isEmpty() && rawText_.size() <= kMaxCellChars) {
        // Never more characters than bytes.
        out = QString::fromUtf8(rawText_);
    } else {
        appendToCell(out, QString::fromUtf8(rawText_));
    }
}

QString XmlScanner::elementText()
{
    QString text;
    const int level = depth_;
    while (!atEnd()) {
        const auto token = next();
        if (token == QXmlStreamReader::Characters) {
            appendText(text);
        } else if (token == QXmlStreamReader::EndElement && depth_ < level) {
            break;
        }
    }
    return text;
}

bool XmlScanner::nextStartInside(int level)
{
    while (!atEnd()) {
        const auto token = next();
        if (token == QXmlStreamReader::StartElement) {
            return true;
        }
        if (token == QXmlStreamReader::EndElement && depth_ < level) {
            return false;
        }
    }
    return false;
}

void XmlScanner::skipElement()
{
    const int level = depth_;
    while (!atEnd() && depth_ >= level) {
        next();
    }
}

}  // namespace productlist
