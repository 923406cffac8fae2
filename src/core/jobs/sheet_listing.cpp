#include "core/jobs/sheet_listing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace jobs {

namespace {

QJsonObject sheetJson(const sheet::TagSheet& sheet)
{
    const bool small = sheet.format().hasProductName2;
    QJsonArray records;
    for (int i = 1; i <= sheet.tagsPerPage(); ++i) {
        const sheet::TagRecord& r = sheet.record(i);
        QJsonObject o {{QStringLiteral("slot"), i},        {QStringLiteral("jan"), r.jan},
                       {QStringLiteral("maker"), r.maker}, {QStringLiteral("productName"), r.productName},
                       {QStringLiteral("spec"), r.spec},   {QStringLiteral("lot"), r.lot},
                       {QStringLiteral("price"), r.price}};
        if (small) {
            o.insert(QStringLiteral("productName2"), r.productName2);
        }
        records.append(o);
    }
    return QJsonObject {{QStringLiteral("format"), sheet.format().key()}, {QStringLiteral("records"), records}};
}

}  // namespace

QString escapedListField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString sheetListTable(const sheet::TagSheet& sheet)
{
    const bool small = sheet.format().hasProductName2;
    QStringList header {QStringLiteral("slot"), QStringLiteral("jan"), QStringLiteral("maker"),
                        QStringLiteral("productName")};
    if (small) {
        header << QStringLiteral("productName2");
    }
    header << QStringLiteral("spec") << QStringLiteral("lot") << QStringLiteral("price");
    QString out = header.join(u'\t') + u'\n';
    for (int i = 1; i <= sheet.tagsPerPage(); ++i) {
        const sheet::TagRecord& r = sheet.record(i);
        QStringList row {QString::number(i), escapedListField(r.jan), escapedListField(r.maker),
                         escapedListField(r.productName)};
        if (small) {
            row << escapedListField(r.productName2);
        }
        row << escapedListField(r.spec) << escapedListField(r.lot) << QString::number(r.price);
        out += row.join(u'\t') + u'\n';
    }
    return out;
}

QByteArray listSheets(const std::vector<sheet::TagSheet>& sheets, bool json, bool several)
{
    QByteArray text;
    if (json) {
        if (several) {
            QJsonArray documents;
            for (const sheet::TagSheet& s : sheets) {
                QJsonObject document = sheetJson(s);
                document.insert(QStringLiteral("file"), s.fileName);
                documents.append(document);
            }
            return QJsonDocument(documents).toJson(QJsonDocument::Compact) + '\n';
        }
        return QJsonDocument(sheetJson(sheets.front())).toJson(QJsonDocument::Compact) + '\n';
    }
    for (const sheet::TagSheet& s : sheets) {
        if (several) {
            text += QStringLiteral("# %1\n").arg(escapedListField(s.fileName)).toUtf8();
        }
        text += sheetListTable(s).toUtf8();
    }
    return text;
}

}  // namespace jobs
