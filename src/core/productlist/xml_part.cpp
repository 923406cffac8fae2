#include "core/productlist/xml_part.h"

#include "core/productlist/list_table.h"

#include <expat.h>

#include <algorithm>
#include <cstring>

namespace productlist {

namespace {

// Between a namespace and a local name in the names expat gives. No byte of UTF-8 is 0xFF, so it
// stands in no namespace name and no local name.
constexpr char kNamespaceSeparator = '\xFF';

// A cell keeps kMaxCellChars UTF-16 units; a UTF-8 character of up to 3 bytes is one unit, of 4
// bytes two, so this many bytes always hold that many units and a character more.
constexpr size_t kMaxCellBytes = size_t(kMaxCellChars) * 3 + 4;

// The local name of a name as expat gives it (NUL-terminated): a namespace name is long and a
// local name short, so it is looked for from the end.
std::string_view localNameOf(const char* name)
{
    const char* end = name + std::strlen(name);
    const char* local = end;
    while (local > name && local[-1] != kNamespaceSeparator) {
        --local;
    }
    return std::string_view(local, size_t(end - local));
}

bool hasNamespace(const char* name)
{
    return std::strchr(name, kNamespaceSeparator) != nullptr;
}

// The reading of one part: expat's callbacks, the depth, and why the reading stopped.
struct Reading {
    XML_Parser parser = nullptr;
    XmlHandler* handler = nullptr;
    int depth = 0;
    bool tooDeep = false;
    bool stoppedByHandler = false;

    void stopIfAsked()
    {
        if (handler->stopped() && !stoppedByHandler) {
            stoppedByHandler = true;
            XML_StopParser(parser, XML_FALSE);
        }
    }
};

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    auto* reading = static_cast<Reading*>(data);
    if (reading->tooDeep || reading->stoppedByHandler) {
        return;
    }
    if (++reading->depth > kMaxXmlDepth) {
        reading->tooDeep = true;
        XML_StopParser(reading->parser, XML_FALSE);
        return;
    }
    reading->handler->startElement(localNameOf(name), XmlAttributes(attributes), reading->depth);
    reading->stopIfAsked();
}

void XMLCALL onEnd(void* data, const XML_Char* name)
{
    auto* reading = static_cast<Reading*>(data);
    if (reading->tooDeep || reading->stoppedByHandler) {
        return;
    }
    reading->handler->endElement(localNameOf(name), reading->depth);
    --reading->depth;
    reading->stopIfAsked();
}

void XMLCALL onText(void* data, const XML_Char* text, int length)
{
    auto* reading = static_cast<Reading*>(data);
    if (reading->tooDeep || reading->stoppedByHandler) {
        return;
    }
    reading->handler->text(std::string_view(text, size_t(length)), reading->depth);
    reading->stopIfAsked();
}

}  // namespace

std::string_view XmlAttributes::value(std::string_view localName) const
{
    for (const char** pair = pairs_; pair && *pair; pair += 2) {
        if (localNameOf(pair[0]) == localName) {
            return pair[1];
        }
    }
    return {};
}

std::string_view XmlAttributes::unprefixed(std::string_view name) const
{
    for (const char** pair = pairs_; pair && *pair; pair += 2) {
        if (name == pair[0]) {
            return pair[1];
        }
    }
    return {};
}

std::string_view XmlAttributes::prefixed(std::string_view localName) const
{
    for (const char** pair = pairs_; pair && *pair; pair += 2) {
        if (hasNamespace(pair[0]) && localNameOf(pair[0]) == localName) {
            return pair[1];
        }
    }
    return {};
}

QString readXmlPart(QByteArrayView data, const QString& partName, XmlHandler& handler)
{
    Reading reading;
    reading.handler = &handler;
    reading.parser = XML_ParserCreateNS(nullptr, kNamespaceSeparator);
    if (!reading.parser) {
        return QStringLiteral("表計算のファイルの %1 を読むためのメモリが足りません").arg(partName);
    }
    XML_SetUserData(reading.parser, &reading);
    XML_SetElementHandler(reading.parser, onStart, onEnd);
    XML_SetCharacterDataHandler(reading.parser, onText);
    // Parts are at most kMaxListBytes (64 MiB), within expat's int lengths.
    const int length = int(std::min<qsizetype>(data.size(), kMaxListBytes));
    const XML_Status status = XML_Parse(reading.parser, data.data(), length, XML_TRUE);
    const XML_Size line = XML_GetCurrentLineNumber(reading.parser);
    QString error;
    if (reading.tooDeep) {
        error = QStringLiteral("表計算のファイルの %1 は %2 行目で要素の入れ子が深すぎます（%3 段まで）")
                    .arg(partName, QString::number(line), QString::number(kMaxXmlDepth));
    } else if (status != XML_STATUS_OK && !reading.stoppedByHandler) {
        error = QStringLiteral("表計算のファイルの %1 が %2 行目で壊れています。その先の行は読めません")
                    .arg(partName, QString::number(line));
    }
    XML_ParserFree(reading.parser);
    return error;
}

void CellText::append(std::string_view utf8)
{
    if (bytes_.size() < kMaxCellBytes) {
        bytes_.append(utf8.substr(0, kMaxCellBytes - bytes_.size()));
    }
}

void CellText::append(char ascii, int count)
{
    if (bytes_.size() < kMaxCellBytes) {
        bytes_.append(std::min(size_t(count), kMaxCellBytes - bytes_.size()), ascii);
    }
}

QString CellText::toString() const
{
    QString text = QString::fromUtf8(bytes_.data(), qsizetype(bytes_.size()));
    if (text.size() > kMaxCellChars) {
        text.truncate(kMaxCellChars);
    }
    return text;
}

QString textOf(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

}  // namespace productlist
