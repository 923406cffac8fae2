#include "core/productlist/xml_scanner.h"

#include "core/productlist/workbook_parts.h"

#include <gtest/gtest.h>

using namespace productlist;

namespace {

// What a reader makes of a part: "<name r=[..] t=[..] a=[..] depth>", "</name depth>", and the
// texts inside elements, joined between tags as {text}. Both readers go through this one function,
// so a difference in the traces is a difference in what they read.
template<class Xml> QString traceOf(Xml& xml)
{
    QString trace;
    QString text;
    const auto flushText = [&] {
        if (!text.isEmpty()) {
            trace += u'{' + text + u'}';
            text.clear();
        }
    };
    while (!xml.atEnd()) {
        const auto token = xml.next();
        if (token == QXmlStreamReader::Characters) {
            if (xml.depth() > 0) {
                text += QStringView(xml.text());
            }
            continue;
        }
        if (token != QXmlStreamReader::StartElement && token != QXmlStreamReader::EndElement) {
            continue;  // comments and instructions: what is read joins the texts around them
        }
        flushText();
        if (token == QXmlStreamReader::StartElement) {
            trace += u'<' + xml.name().toString();
            for (const char* name : {"r", "t", "a"}) {
                const QString value = QStringView(xml.attribute(QLatin1StringView(name))).toString();
                if (!value.isEmpty()) {
                    trace += QStringLiteral(" %1=[%2]").arg(QLatin1StringView(name), value);
                }
            }
            trace += QStringLiteral(" %1>").arg(xml.depth());
        } else if (token == QXmlStreamReader::EndElement) {
            trace += QStringLiteral("</%1 %2>").arg(xml.name().toString()).arg(xml.depth());
        }
    }
    return trace;
}

struct PartRow {
    const char* name;
    QByteArray xml;
    bool quick;  // the scanner reads it (else it leaves it to XmlPart)
    bool fault;  // XmlPart finds a fault in it
};

QByteArray nested(int depth)
{
    return QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
}

TEST(XmlScanner, ReadsWhatQtReadsOrLeavesItToQt)
{
    const std::vector<PartRow> rows {
        {"worksheet as Excel writes it",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
         "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" mc:Ignorable=\"x14ac\" "
         "xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\"><sheetData>"
         "<row r=\"1\" spans=\"1:3\" x14ac:dyDescent=\"0.25\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"1\"/>"
         "<c r=\"C1\"><v>4.901234567894E+12</v></c></row></sheetData></worksheet>",
         true, false},
        {"references", "<a>&lt;&amp;&gt;&quot;&apos;&#65;&#x3042;&#X41;&#x1F600;</a>", false, true},
        {"references, all known", "<a>&lt;&amp;&gt;&quot;&apos;&#65;&#x3042;&#x1F600;&#13;</a>", true, false},
        {"line ends", "<a>x\r\ny\rz\n</a>", true, false},
        {"white space in attribute values", "<a a=\"x&#10;y\tz\r\nw\" r=' q ' t=\"&#9;\"/>", true, false},
        {"comments, CDATA and text", "<a>one<!-- note -->two<![CDATA[<three> &amp;\r\n]]>four</a>", true, false},
        {"mark, instructions and trailing comment",
         "\xEF\xBB\xBF<?xml version='1.0'?><?mso-application progid=\"Excel.Sheet\"?><a><?pi data?>x</a>\n<!-- end "
         "-->\n",
         true, false},
        {"empty elements and depth", "<a><b/><c r=\"1\"></c><d><e /></d></a>", true, false},
        {"prefixed names by their local name", "<x:a xmlns:x=\"u\"><x:row r=\"3\" x:t=\"s\"/></x:a>", true, false},
        {"a declaration inside an element", "<a><b xmlns:p=\"u\" p:t=\"1\"/><c/></a>", true, false},
        {"Japanese text", "<a t=\"値\">商品 ｱｲｳ 🍙</a>", true, false},
        {"nesting at the limit", nested(kMaxXmlDepth), true, false},
        {"end tag with space", "<a>x</a >", true, false},
        // Faults, which XmlPart names.
        {"tags that do not match", "<a><b></a>", false, true},
        {"cut short", "<a><b>text", false, true},
        {"undeclared prefix", "<a><p:b/></a>", false, true},
        {"prefix out of its scope", "<a><b xmlns:p='u'/><p:c/></a>", false, true},
        {"undeclared attribute prefix", "<a p:r='1'/>", false, true},
        {"doubled attribute", "<a r=\"1\" r=\"2\"/>", false, true},
        {"unknown entity", "<a>&nbsp;</a>", false, true},
        {"reference to a forbidden character", "<a>&#0;</a>", false, true},
        {"reference without semicolon", "<a>&amp</a>", false, true},
        {"control character", "<a>\x01</a>", false, true},
        {"not UTF-8", "<a>\xFF</a>", false, true},
        {"two root elements", "<a/><b/>", false, true},
        {"text after the root", "<a/>x", false, true},
        {"]]> in text", "<a>]]></a>", false, true},
        {"two hyphens in a comment", "<a><!-- a -- b --></a>", false, true},
        {"< in an attribute value", "<a r=\"<\"/>", false, true},
        {"attributes without space between", "<a r=\"1\"t=\"2\"/>", false, true},
        {"attribute without quotes", "<a r=1/>", false, true},
        {"nesting too deep", nested(kMaxXmlDepth + 1), false, true},
        {"empty part", "", false, true},
        {"declaration not at the start", " <?xml version='1.0'?><a/>", false, true},
        {"CDATA outside the root", "<![CDATA[x]]><a/>", false, true},
        // Well-formed, but left to XmlPart.
        {"document type", "<!DOCTYPE a><a>x</a>", false, false},
        {"another encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>x</a>", false, false},
        {"non-ASCII element name", "<品名>x</品名>", false, false},
    };
    for (const PartRow& row : rows) {
        SCOPED_TRACE(row.name);
        XmlScanner scanner(row.xml);
        const QString quick = traceOf(scanner);
        EXPECT_EQ(!scanner.declined(), row.quick) << quick.toStdString();
        XmlPart part(row.xml, QStringLiteral("part.xml"));
        const QString qt = traceOf(part);
        EXPECT_EQ(!part.error().isEmpty(), row.fault) << part.error().toStdString();
        if (!scanner.declined()) {
            EXPECT_EQ(quick.toStdString(), qt.toStdString());
            EXPECT_TRUE(part.error().isEmpty());
        }
    }
}

TEST(XmlScanner, ElementTextAndSkipping)
{
    // A cell with a formula passed over, a value read whole, and the reader left on its end.
    const QByteArray xml = "<c r=\"A1\"><f>SUM(B1:B2)</f><v>1<!-- x -->2&amp;3</v><is><t>a</t></is></c>";
    XmlScanner scanner(xml);
    ASSERT_EQ(scanner.next(), QXmlStreamReader::StartElement);
    ASSERT_TRUE(scanner.nextStartInside(1));
    EXPECT_EQ(scanner.name(), QLatin1String("f"));
    scanner.skipElement();
    ASSERT_TRUE(scanner.nextStartInside(1));
    EXPECT_EQ(scanner.name(), QLatin1String("v"));
    EXPECT_EQ(scanner.elementText(), QStringLiteral("12&3"));
    EXPECT_EQ(scanner.depth(), 1);
    ASSERT_TRUE(scanner.nextStartInside(1));
    EXPECT_EQ(scanner.name(), QLatin1String("is"));
    scanner.skipElement();
    EXPECT_FALSE(scanner.nextStartInside(1));
    EXPECT_EQ(scanner.depth(), 0);
    EXPECT_EQ(scanner.next(), QXmlStreamReader::EndDocument);
    EXPECT_TRUE(scanner.atEnd());
    EXPECT_FALSE(scanner.declined());
}

TEST(IsXmlUtf8, CharactersXmlAllows)
{
    const struct {
        const char* name;
        QByteArray bytes;
        bool valid;
    } rows[] {
        {"ASCII with tab and line ends", "a\tb\r\nc", true},
        {"NUL", QByteArray("ab\0c", 4), false},
        {"control character after eight clean bytes", "abcdefgh\x1f", false},
        {"control character inside a word",
         "abc\x07"
         "defghijk",
         false},
        {"two-byte character", "caf\xC3\xA9", true},
        {"three-byte character", "\xE5\x95\x86\xE5\x93\x81", true},
        {"four-byte character", "\xF0\x9F\x8D\x99", true},
        {"overlong form", "\xC0\xAF", false},
        {"overlong three-byte form", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"U+FFFD", "\xEF\xBF\xBD", true},
        {"U+FFFE", "\xEF\xBF\xBE", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut short", "\xE3\x81", false},
        {"lone continuation byte", "a\x80", false},
        {"UTF-16 mark", "\xFF\xFE<\0a\0", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(isXmlUtf8(row.bytes), row.valid) << row.name;
    }
}

}  // namespace
