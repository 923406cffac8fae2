#include "core/productlist/workbook_parts.h"

#include "core/productlist/list_table.h"

#include <quazip/quazipfile.h>

namespace productlist {

const QString& unreadableWorkbookMessage()
{
    static const QString message = QStringLiteral("表計算のファイルとして読めません");
    return message;
}

WorkbookArchive::WorkbookArchive(const QByteArray& bytes) : buffer_(const_cast<QByteArray*>(&bytes)), zip_(&buffer_)
{
    buffer_.open(QIODevice::ReadOnly);
    open_ = zip_.open(QuaZip::mdUnzip);
}

WorkbookPart WorkbookArchive::part(const QString& name)
{
    WorkbookPart out;
    if (!open_ || !zip_.setCurrentFile(name)) {
        return out;
    }
    out.status = WorkbookPart::unreadable;
    QuaZipFile file(&zip_);
    if (!file.open(QIODevice::ReadOnly)) {
        return out;
    }
    QByteArray data;
    char chunk[65536];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0 || data.size() + got > kMaxListBytes) {
            return out;
        }
        if (got == 0) {
            break;
        }
        data.append(chunk, got);
    }
    file.close();
    if (file.getZipError() != UNZ_OK) {
        return out;
    }
    out.status = WorkbookPart::read;
    out.data = std::move(data);
    return out;
}

QString unreadablePartMessage(const QString& partName)
{
    return QStringLiteral("表計算のファイルの %1 を読めません（壊れているか大きすぎます）").arg(partName);
}

XmlPart::XmlPart(const QByteArray& data, const QString& partName) : xml_(data), partName_(partName) { }

QXmlStreamReader::TokenType XmlPart::next()
{
    const auto token = xml_.readNext();
    if (token == QXmlStreamReader::StartElement && ++depth_ > kMaxXmlDepth) {
        tooDeep_ = true;
        xml_.raiseError(QStringLiteral("nested too deeply"));
        return QXmlStreamReader::Invalid;
    }
    if (token == QXmlStreamReader::EndElement) {
        --depth_;
    }
    return token;
}

QString XmlPart::attribute(QLatin1StringView localName) const
{
    return attributeValue(xml_.attributes(), localName);
}

QString XmlPart::elementText()
{
    QString text;
    const int level = depth_;
    while (!xml_.atEnd()) {
        const auto token = next();
        if (token == QXmlStreamReader::Characters || token == QXmlStreamReader::EntityReference) {
            appendToCell(text, xml_.text());
        } else if (token == QXmlStreamReader::EndElement && depth_ < level) {
            break;
        }
    }
    return text;
}

bool XmlPart::nextStartInside(int level)
{
    while (!xml_.atEnd()) {
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

void XmlPart::skipElement()
{
    const int level = depth_;
    while (!xml_.atEnd() && depth_ >= level) {
        next();
    }
}

QString XmlPart::error() const
{
    if (!xml_.hasError()) {
        return {};
    }
    if (tooDeep_) {
        return QStringLiteral("表計算のファイルの %1 は %2 行目で要素の入れ子が深すぎます（%3 段まで）")
            .arg(partName_, QString::number(xml_.lineNumber()), QString::number(kMaxXmlDepth));
    }
    return QStringLiteral("表計算のファイルの %1 が %2 行目で壊れています。その先の行は読めません")
        .arg(partName_, QString::number(xml_.lineNumber()));
}

void appendToCell(QString& text, QStringView more)
{
    if (text.size() < kMaxCellChars) {
        text += more.left(kMaxCellChars - text.size());
    }
}

QString attributeValue(const QXmlStreamAttributes& attributes, QLatin1String localName)
{
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == localName) {
            return a.value().toString();
        }
    }
    return {};
}

}  // namespace productlist
