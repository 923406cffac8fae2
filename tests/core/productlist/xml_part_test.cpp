#include "core/productlist/xml_part.h"

#include "core/productlist/list_table.h"

#include <gtest/gtest.h>

#include <utility>

using namespace productlist;

namespace {

// What the reader gives of a part: "<name r=[..] t=[..] a=[..] depth>", "</name depth>", and the
// texts inside elements, joined between tags as {text}.
class Trace : public XmlHandler {
public:
    QString trace;

    void startElement(std::string_view name, const XmlAttributes& attributes, int depth) override
    {
        trace += takeText() + u'<' + textOf(name);
        for (const char* attribute : {"r", "t", "a"}) {
            if (const QString value = textOf(attributes.value(attribute)); !value.isEmpty()) {
                trace += QStringLiteral(" %1=[%2]").arg(QLatin1StringView(attribute), value);
            }
        }
        trace += QStringLiteral(" %1>").arg(depth);
    }
    void endElement(std::string_view name, int depth) override
    {
        trace += takeText() + QStringLiteral("</%1 %2>").arg(textOf(name)).arg(depth);
    }
    void text(std::string_view utf8, int) override { text_ += textOf(utf8); }

private:
    QString takeText() { return text_.isEmpty() ? QString() : u'{' + std::exchange(text_, {}) + u'}'; }
    QString text_;
};

QByteArray nested(int depth)
{
    return QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
}

QByteArray expandingEntities()
{
    QByteArray doctype = "<!DOCTYPE a [<!ENTITY e0 \"xxxxxxxxxx\">";
    for (int i = 1; i < 8; ++i) {
        doctype += "<!ENTITY e" + QByteArray::number(i) + " \"" + ("&e" + QByteArray::number(i - 1) + ";").repeated(10)
            + "\">";
    }
    return doctype + "]>\n<a>\n<b>&e7;</b></a>";
}

TEST(ReadXmlPart, WellFormedPartsAsXmlReadsThemAndEveryFaultRefused)
{
    const QString broken = QStringLiteral("表計算のファイルの p.xml が %1 行目で壊れています。その先の行は読めません");
    const struct {
        const char* name;
        QByteArray xml;
        const char*
            trace;  // "": read, the trace not compared; nullptr: a fault, refused with `error` (on line 1 unless given)
        QString error = {};
    } rows[] {
        {"references", "<a>&lt;&amp;&gt;&quot;&apos;&#65;&#x3042;&#x1F600;&#13;</a>", "<a 1>{<&>\"'Aあ😀\r}</a 1>"},
        {"line ends", "<a>x\r\ny\rz\n</a>", "<a 1>{x\ny\nz\n}</a 1>"},
        {"white space in attribute values", "<a a=\"x&#10;y\tz\r\nw\" r=' q ' t=\"&#9;\"/>",
         "<a r=[ q ] t=[\t] a=[x\ny z w] 1></a 1>"},
        {"comments, CDATA and text", "<a>one<!-- note -->two<![CDATA[<three> &amp;\r\n]]>four</a>",
         "<a 1>{onetwo<three> &amp;\nfour}</a 1>"},
        {"mark, instructions and trailing comment",
         "\xEF\xBB\xBF<?xml version='1.0'?><?mso-application progid=\"Excel.Sheet\"?><a><?pi data?>x</a>\n<!-- end "
         "-->\n",
         "<a 1>{x}</a 1>"},
        {"empty elements and depth", "<a><b/><c r=\"1\"></c><d><e /></d></a>",
         "<a 1><b 2></b 2><c r=[1] 2></c 2><d 2><e 3></e 3></d 2></a 1>"},
        {"prefixed names by their local name", "<x:a xmlns:x=\"u\"><x:row r=\"3\" x:t=\"s\"/></x:a>",
         "<a 1><row r=[3] t=[s] 2></row 2></a 1>"},
        {"document type with a small entity", "<!DOCTYPE a [<!ENTITY e \"水\">]><a>&e;</a>", "<a 1>{水}</a 1>"},
        {"another encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>", "<a 1>{café}</a 1>"},
        {"UTF-16 with its mark", QByteArray("\xFF\xFE<\0a\0>\0x\0<\0/\0a\0>\0", 18), "<a 1>{x}</a 1>"},
        {"Japanese names and text", "<品名 t=\"値\">商品 ｱｲｳ 🍙</品名 >", "<品名 t=[値] 1>{商品 ｱｲｳ 🍙}</品名 1>"},
        {"nesting at the limit", nested(kMaxXmlDepth), ""},
        // Faults.
        {"tags that do not match", "<a>\n<b>\n</a>", nullptr, broken.arg(3)},
        {"cut short", "<a><b>text", nullptr},
        {"undeclared prefix", "<a><p:b/></a>", nullptr},
        {"prefix out of its scope", "<a><b xmlns:p='u'/><p:c/></a>", nullptr},
        {"undeclared attribute prefix", "<a p:r='1'/>", nullptr},
        {"doubled attribute", "<a r=\"1\" r=\"2\"/>", nullptr},
        {"unknown entity", "<a>&nbsp;</a>", nullptr},
        {"reference to a forbidden character", "<a>&#0;</a>", nullptr},
        {"reference without semicolon", "<a>&amp</a>", nullptr},
        {"control character", "<a>\x01</a>", nullptr},
        {"not UTF-8", "<a>\xFF</a>", nullptr},
        {"two root elements", "<a/><b/>", nullptr},
        {"text after the root", "<a/>x", nullptr},
        {"]]> in text", "<a>]]></a>", nullptr},
        {"two hyphens in a comment", "<a><!-- a -- b --></a>", nullptr},
        {"< in an attribute value", "<a r=\"<\"/>", nullptr},
        {"attributes without space between", "<a r=\"1\"t=\"2\"/>", nullptr},
        {"attribute without quotes", "<a r=1/>", nullptr},
        {"empty part", "", nullptr},
        {"declaration not at the start", " <?xml version='1.0'?><a/>", nullptr},
        {"CDATA outside the root", "<![CDATA[x]]><a/>", nullptr},
        {"entities that expand without end", expandingEntities(), nullptr, broken.arg(3)},
        {"nesting too deep", "<?xml version=\"1.0\"?>\n" + nested(kMaxXmlDepth + 1), nullptr,
         QStringLiteral("表計算のファイルの p.xml は 2 行目で要素の入れ子が深すぎます（256 段まで）")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Trace trace;
        const QString error = readXmlPart(row.xml, QStringLiteral("p.xml"), trace);
        if (row.trace) {
            EXPECT_EQ(error.toStdString(), "");
            EXPECT_TRUE(!*row.trace || trace.trace.toStdString() == row.trace) << trace.trace.toStdString();
        } else {
            EXPECT_EQ(error.toStdString(), (row.error.isEmpty() ? broken.arg(1) : row.error).toStdString());
        }
    }
}

TEST(CellText, KeepsTheCellLimitWithoutBreakingACharacter)
{
    CellText text;
    const std::string kanji = "\xE6\xA3\x9A";  // 棚: three bytes, one UTF-16 unit
    for (int i = 0; i < kMaxCellChars + 10; ++i) {
        text.append(kanji);
    }
    const QString kept = text.toString();
    EXPECT_EQ(kept.size(), kMaxCellChars);
    EXPECT_EQ(kept.count(QChar(0x68DA)), kMaxCellChars);
}

}  // namespace
