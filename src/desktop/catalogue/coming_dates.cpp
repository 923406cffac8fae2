#include "desktop/catalogue/coming_dates.h"

#include "core/catalogue/catalogue_report.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace desktop {

std::vector<catalogue::ComingEvent> inShownOrder(std::vector<catalogue::ComingEvent> events)
{
    std::stable_partition(events.begin(), events.end(),
                          [](const catalogue::ComingEvent& event) { return event.urgent; });
    return events;
}

ComingDates::ComingDates(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("comingDates"));
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(2);
    auto* title = new QLabel(QStringLiteral("これからの棚札の変わり目 (2 週間):"), this);
    title->setStyleSheet(QStringLiteral("font-weight: bold;"));
    layout_->addWidget(title);
    hide();
}

void ComingDates::showEvents(std::vector<catalogue::ComingEvent> events)
{
    events_ = inShownOrder(std::move(events));
    delete rows_;
    rows_ = new QWidget(this);
    auto* rowsLayout = new QVBoxLayout(rows_);
    rowsLayout->setContentsMargins(12, 0, 0, 0);
    rowsLayout->setSpacing(2);
    const int shown = std::min<int>(int(events_.size()), kRowsShown);
    for (int index = 0; index < shown; ++index) {
        const catalogue::ComingEvent& event = events_[size_t(index)];
        auto* row = new QHBoxLayout;
        const QString line = catalogue::report::eventLine(event);
        auto* label = new QLabel(event.urgent ? QStringLiteral("！ ") + line : line, rows_);
        label->setObjectName(QStringLiteral("comingLabel"));
        label->setTextFormat(Qt::PlainText);
        if (event.urgent) {
            label->setStyleSheet(QStringLiteral("color: #c01c28; font-weight: bold;"));
        }
        auto* print = new QPushButton(QStringLiteral("この日の棚札を印刷..."), rows_);
        print->setObjectName(QStringLiteral("comingPrintButton"));
        print->setAutoDefault(false);
        print->setToolTip(QStringLiteral("%1 の時点で印刷が必要な棚札を、棚の順に印刷します").arg(line));
        row->addWidget(label);
        row->addWidget(print);
        row->addStretch();
        rowsLayout->addLayout(row);
        connect(print, &QPushButton::clicked, this,
                [this, at = event.at, line] { emit printRequested(at, QStringLiteral("%1 の棚札").arg(line)); });
    }
    if (int(events_.size()) > shown) {
        rowsLayout->addWidget(new QLabel(QStringLiteral("ほか %1 件").arg(int(events_.size()) - shown), rows_));
    }
    layout_->addWidget(rows_);
    setVisible(!events_.empty());
}

}  // namespace desktop
