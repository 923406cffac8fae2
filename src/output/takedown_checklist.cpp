#include "output/takedown_checklist.h"

#include "core/sheet/tag_sheet.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace output {

bool drawTakedownChecklist(const std::vector<catalogue::TagNeed>& needs, const QString& title, QByteArray& pdf,
                           QString* error)
{
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("tanafuda"));
    return drawTakedownChecklist(needs, title, writer, error);
}

bool drawTakedownChecklist(const std::vector<catalogue::TagNeed>& needs, const QString& title,
                           QPagedPaintDevice& writer, QString* error)
{
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                     QPageLayout::Millimeter));
    const int resolution = writer.logicalDpiX();
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error) {
            *error = QStringLiteral("PDF を作れません");
        }
        return false;
    }
    const double dotsPerMm = resolution / 25.4;
    const QRectF page = writer.pageLayout().paintRectPixels(resolution);
    const QRectF area(0, 0, page.width(), page.height());
    QFont body(sheet::kPGothic);
    body.setPointSizeF(10.5);
    QFont heading = body;
    heading.setBold(true);
    heading.setPointSizeF(12);
    const double line = 7.5 * dotsPerMm;
    const double box = 4 * dotsPerMm;
    double y = 0;
    int pageNumber = 1;
    const auto header = [&] {
        painter.setFont(heading);
        painter.drawText(QRectF(0, 0, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter, title);
        painter.setFont(body);
        painter.drawText(QRectF(0, 0, area.width(), line), Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("%1 ページ").arg(pageNumber));
        y = line * 1.5;
    };
    const auto room = [&](double needed) {
        if (y + needed > area.height()) {
            writer.newPage();
            ++pageNumber;
            header();
        }
    };
    header();
    QString shelf;
    bool first = true;
    for (const catalogue::TagNeed& need : needs) {
        if (need.kind != catalogue::NeedKind::takeDown) {
            continue;
        }
        if (first || need.product.shelf != shelf) {
            room(line * 2.2);
            shelf = need.product.shelf;
            first = false;
            painter.setFont(heading);
            y += line * 0.3;
            painter.drawText(QRectF(0, y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                             shelf.isEmpty() ? QStringLiteral("棚番なし") : QStringLiteral("棚番 %1").arg(shelf));
            y += line;
            painter.setFont(body);
        }
        room(line);
        painter.drawRect(QRectF(2 * dotsPerMm, y + (line - box) / 2, box, box));
        const sheet::TagRecord& tag = need.shelfTag ? *need.shelfTag : need.product.tag;
        const QString text
            = QStringLiteral("%1  %2 %3 %4").arg(need.product.code, tag.maker, tag.productName, tag.spec).simplified();
        painter.drawText(QRectF(10 * dotsPerMm, y, area.width() - 40 * dotsPerMm, line),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(body, &writer).elidedText(text, Qt::ElideRight, area.width() - 40 * dotsPerMm));
        painter.drawText(QRectF(area.width() - 28 * dotsPerMm, y, 28 * dotsPerMm, line),
                         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1円").arg(tag.price));
        y += line;
    }
    if (first) {
        painter.drawText(QRectF(0, y, area.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("取り下げる棚札はありません"));
    }
    painter.end();
    return true;
}

}  // namespace output
