#pragma once

// The XML of one part of a workbook (a worksheet, the shared strings, content.xml), read with
// expat: a conforming parser that refuses every fault of well-formedness and of namespaces (cut
// short, tags that do not match, an undeclared prefix, an unknown entity, a broken character),
// stops entities that expand without end, and names the line of a fault. The readers of .xlsx and
// .ods get the part as events (an element opens, text, an element closes) through an XmlHandler;
// the part is read in one pass without building a tree, and elements nested deeper than
// kMaxXmlDepth end the reading as a fault.

#include <QByteArrayView>
#include <QString>

#include <string>
#include <string_view>

namespace productlist {

// Elements nested deeper than this are refused: a real workbook's parts nest a few dozen at most.
inline constexpr int kMaxXmlDepth = 256;

// The attributes of an element as expat gives them: names with their namespace, values decoded.
class XmlAttributes {
public:
    explicit XmlAttributes(const char** pairs) : pairs_(pairs) { }

    // The value of the first attribute with this local name, whatever its namespace; empty when
    // there is none.
    std::string_view value(std::string_view localName) const;
    // The value of the attribute named exactly so, without a namespace.
    std::string_view unprefixed(std::string_view name) const;
    // The value of the first attribute with this local name in some namespace (r:id).
    std::string_view prefixed(std::string_view localName) const;

private:
    const char** pairs_;
};

// What a reader does with a part's events. Depths count from 1 for the root element; the depth of
// a text is that of the element it stands in.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view localName, const XmlAttributes& attributes, int depth) = 0;
    virtual void endElement(std::string_view localName, int depth) = 0;
    // A run of text in UTF-8, line ends as line feeds, references resolved; one text may come in
    // several runs.
    virtual void text(std::string_view utf8, int depth) = 0;

    // Ends the reading after the current event, without a fault (the table is full).
    void stop() { stopped_ = true; }
    bool stopped() const { return stopped_; }

private:
    bool stopped_ = false;
};

// Reads the part `partName` from `data` through `handler`. The Japanese message for a fault,
// naming the part and the line ("表計算のファイルの xl/worksheets/sheet1.xml が 3 行目で壊れて
// います…"), or an empty text; after a fault the handler has seen the events up to it.
QString readXmlPart(QByteArrayView data, const QString& partName, XmlHandler& handler);

// The text of a cell gathered from runs, kept to kMaxCellChars characters.
class CellText {
public:
    void append(std::string_view utf8);
    void append(char ascii, int count = 1);
    bool isEmpty() const { return bytes_.empty(); }
    void clear() { bytes_.clear(); }
    std::string_view bytes() const { return bytes_; }
    QString toString() const;

private:
    std::string bytes_;
};

// A view of UTF-8 as a QString.
QString textOf(std::string_view utf8);

}  // namespace productlist
