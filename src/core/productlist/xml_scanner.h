#pragma once

// A quick reader for the large parts of a workbook (a worksheet, the shared strings), which Qt's
// XML reader takes several hundred instructions per byte to tokenise. It reads the plain XML that
// spreadsheet programs write: UTF-8, elements with namespace prefixes, attributes, texts with the
// five named entities and character references, CDATA, comments and processing instructions.
// Anything else, and every fault, it declines: it stops with `declined()` and says nothing more,
// and the caller reads the part again with XmlPart, which stays the one judge of what a part holds
// and of the message for a fault. So a part it accepts gives the same elements, attributes and
// texts as XmlPart would, only sooner.

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

#include <vector>

namespace productlist {

class XmlScanner {
public:
    explicit XmlScanner(QByteArrayView data);

    // The next token: StartElement, EndElement, Characters, EndDocument, or Invalid once declined.
    // An empty element gives a start and an end, as XmlPart does.
    QXmlStreamReader::TokenType next();
    bool atEnd() const { return state_ != State::reading; }
    // Whether the part has something this reader leaves to XmlPart (a fault among them).
    bool declined() const { return state_ == State::declined; }

    // The local name of the current element (names are ASCII here).
    QLatin1StringView name() const { return name_; }
    // On a start element: the value of its first attribute with this local name, whatever its
    // prefix, or an empty text. The view holds until the next call of `attribute` or `next`.
    QStringView attribute(QLatin1StringView localName);
    // Start elements open around the current token (the current one included).
    int depth() const { return depth_; }
    // On Characters: the text.
    QString text() const;

    // As XmlPart's functions of the same names.
    bool nextStartInside(int level);
    QString elementText();
    void skipElement();

private:
    enum class State { reading, finished, declined };
    struct Attribute {
        QByteArrayView prefix;
        QByteArrayView localName;
        QByteArrayView rawValue;
    };
    struct Declaration {
        QByteArrayView prefix;
        int depth = 0;
    };

    QXmlStreamReader::TokenType decline();
    bool readDeclaration();
    QXmlStreamReader::TokenType startElement();
    QXmlStreamReader::TokenType endElement();
    QXmlStreamReader::TokenType endPendingElement();
    QXmlStreamReader::TokenType textRun();
    QXmlStreamReader::TokenType cdata();
    bool skipComment();
    bool skipInstruction();
    bool readName(QByteArrayView& prefix, QByteArrayView& localName);
    bool isDeclared(QByteArrayView prefix) const;
    void appendText(QString& out);

    const char* at_;
    const char* end_;
    State state_ = State::reading;
    int depth_ = 0;
    bool rootSeen_ = false;
    bool pendingEnd_ = false;  // the current start element was empty (<c/>): its end comes next
    QLatin1StringView name_;
    std::vector<QByteArrayView> open_;  // qualified names of the open elements
    std::vector<Declaration> declarations_;
    std::vector<Attribute> attributes_;
    QString attributeText_;
    // The current text: its bytes as they stand, or (when it held references or carriage returns,
    // or was CDATA) its characters.
    QByteArrayView rawText_;
    QString decodedText_;
    bool textDecoded_ = false;
};

// Whether `data` is UTF-8 made only of characters XML allows.
bool isXmlUtf8(QByteArrayView data);

}  // namespace productlist
