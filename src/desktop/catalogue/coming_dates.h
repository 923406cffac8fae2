#pragma once

// The days ahead on which tags change by themselves (an offer starts, an offer ends and its tags go
// back, a dated list comes into force), as a short list above the 商品マスタ window's table:
// 「12/16(水) 特売開始 37 枚 「12月第3週チラシ」」. Those within two days whose tags are not yet all
// printed and confirmed come first, in red. Each has a button that prints the tags needed at that
// moment (the window's print, made for that moment).

#include "core/catalogue/catalogue.h"

#include <QWidget>

#include <vector>

class QVBoxLayout;

namespace desktop {

class ComingDates : public QWidget {
    Q_OBJECT
public:
    explicit ComingDates(QWidget* parent = nullptr);

    // Shows `events` (in time order, as the catalogue gives them): the urgent ones first. Hidden
    // when there are none.
    void showEvents(std::vector<catalogue::ComingEvent> events);
    const std::vector<catalogue::ComingEvent>& events() const { return events_; }

    // The rows shown, most a few; the rest are counted on the last line.
    static constexpr int kRowsShown = 6;

signals:
    // The button of an event: print the tags needed at `at`; `purpose` names it for the print dialog.
    void printRequested(const catalogue::Moment& at, const QString& purpose);

private:
    std::vector<catalogue::ComingEvent> events_;
    QWidget* rows_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
};

// The events in the order the list shows them: the urgent ones first, each group in time order.
std::vector<catalogue::ComingEvent> inShownOrder(std::vector<catalogue::ComingEvent> events);

}  // namespace desktop
