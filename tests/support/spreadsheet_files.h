#pragma once

// Small Excel and LibreOffice workbooks written by the tests themselves: the zipped XML parts with
// only what the readers of those programs need.

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace testfiles {

using ZipPart = std::pair<QString, QByteArray>;

inline QByteArray zipOf(const std::vector<ZipPart>& parts)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate)) {
        return {};
    }
    for (const auto& [name, data] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name))) {
            return {};
        }
        file.write(data);
        file.close();
    }
    zip.close();
    return bytes;
}

inline QString xmlEscaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// One cell of a test workbook: a string, or a number given as the digits the file stores.
struct Cell {
    QString text;
    bool number = false;
};
inline Cell str(const QString& text)
{
    return {text, false};
}
inline Cell num(const QString& digits)
{
    return {digits, true};
}
using SheetRows = std::vector<std::vector<Cell>>;

inline QString columnLetters(int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) {
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    }
    return letters;
}

// The parts of an .xlsx workbook with `sheets` (name, rows). Strings of the first sheet go to the
// shared strings part; those of the others are inline, so both kinds are read.
inline std::vector<ZipPart> xlsxPartsOf(const std::vector<std::pair<QString, SheetRows>>& sheets)
{
    std::vector<ZipPart> parts;
    QByteArray types = R"(<?xml version="1.0" encoding="UTF-8"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/></Types>)";
    parts.push_back({QStringLiteral("[Content_Types].xml"), types});
    parts.push_back({QStringLiteral("_rels/.rels"), R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"});
    QString workbook = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)");
    QString rels = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)");
    QStringList shared;
    for (size_t s = 0; s < sheets.size(); ++s) {
        const auto& [name, rows] = sheets[s];
        workbook += QStringLiteral(R"(<sheet name="%1" sheetId="%2" r:id="rId%2"/>)").arg(xmlEscaped(name)).arg(s + 1);
        rels
            += QStringLiteral(
                   R"(<Relationship Id="rId%1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet%1.xml"/>)")
                   .arg(s + 1);
        QString xml = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)");
        for (size_t r = 0; r < rows.size(); ++r) {
            xml += QStringLiteral(R"(<row r="%1">)").arg(r + 1);
            for (size_t c = 0; c < rows[r].size(); ++c) {
                const Cell& cell = rows[r][c];
                if (cell.text.isEmpty()) {
                    continue;
                }
                const QString ref = columnLetters(int(c)) + QString::number(r + 1);
                if (cell.number) {
                    xml += QStringLiteral(R"(<c r="%1"><v>%2</v></c>)").arg(ref, cell.text);
                } else if (s == 0) {
                    xml += QStringLiteral(R"(<c r="%1" t="s"><v>%2</v></c>)").arg(ref).arg(shared.size());
                    shared.append(cell.text);
                } else {
                    xml += QStringLiteral(R"(<c r="%1" t="inlineStr"><is><t>%2</t></is></c>)")
                               .arg(ref, xmlEscaped(cell.text));
                }
            }
            xml += QStringLiteral("</row>");
        }
        xml += QStringLiteral("</sheetData></worksheet>");
        parts.push_back({QStringLiteral("xl/worksheets/sheet%1.xml").arg(s + 1), xml.toUtf8()});
    }
    workbook += QStringLiteral("</sheets></workbook>");
    rels += QStringLiteral(
        R"(<Relationship Id="rIdS" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>)");
    QString sst = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)");
    for (const QString& text : shared) {
        // A phonetic guide, as Japanese Excel writes it, must not be read as part of the text.
        sst += QStringLiteral("<si><t>%1</t><rPh sb=\"0\" eb=\"1\"><t>ﾌﾘｶﾞﾅ</t></rPh></si>").arg(xmlEscaped(text));
    }
    sst += QStringLiteral("</sst>");
    parts.push_back({QStringLiteral("xl/workbook.xml"), workbook.toUtf8()});
    parts.push_back({QStringLiteral("xl/_rels/workbook.xml.rels"), rels.toUtf8()});
    parts.push_back({QStringLiteral("xl/sharedStrings.xml"), sst.toUtf8()});
    return parts;
}

inline QByteArray xlsxOf(const std::vector<std::pair<QString, SheetRows>>& sheets)
{
    return zipOf(xlsxPartsOf(sheets));
}

// An .ods spreadsheet from the table XML of its sheets (the content of office:spreadsheet).
inline QByteArray odsOfTables(const QString& tablesXml)
{
    const QString content = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.3"><office:body><office:spreadsheet>%1</office:spreadsheet></office:body></office:document-content>)")
                                .arg(tablesXml);
    return zipOf({{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
                  {QStringLiteral("content.xml"), content.toUtf8()}});
}

// An .ods spreadsheet with `sheets` (name, rows), one table:table-cell per cell.
inline QByteArray odsOf(const std::vector<std::pair<QString, SheetRows>>& sheets)
{
    QString tables;
    for (const auto& [name, rows] : sheets) {
        tables += QStringLiteral(R"(<table:table table:name="%1">)").arg(xmlEscaped(name));
        for (const auto& row : rows) {
            tables += QStringLiteral("<table:table-row>");
            for (const Cell& cell : row) {
                if (cell.text.isEmpty()) {
                    tables += QStringLiteral("<table:table-cell/>");
                } else if (cell.number) {
                    tables
                        += QStringLiteral(
                               R"(<table:table-cell office:value-type="float" office:value="%1"><text:p>%1</text:p></table:table-cell>)")
                               .arg(cell.text);
                } else {
                    tables
                        += QStringLiteral(
                               R"(<table:table-cell office:value-type="string"><text:p>%1</text:p></table:table-cell>)")
                               .arg(xmlEscaped(cell.text));
                }
            }
            tables += QStringLiteral("</table:table-row>");
        }
        tables += QStringLiteral("</table:table>");
    }
    return odsOfTables(tables);
}

}  // namespace testfiles
