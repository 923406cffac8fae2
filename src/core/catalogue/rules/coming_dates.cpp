#include "core/catalogue/rules/coming_dates.h"

#include "core/catalogue/rules/offer_moments.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace catalogue::rules {

namespace {

constexpr int kUrgentDays = 2;

class EventList {
public:
    void add(EventKind kind, const Moment& at, qint64 offerId, const QString& name, qint64 productId, int tags)
    {
        const auto key = std::make_tuple(int(kind), at.text(), offerId, name);
        auto found = byKey_.find(key);
        if (found == byKey_.end()) {
            found = byKey_.emplace(key, events_.size()).first;
            events_.push_back({{kind, at, offerId, name, 0, 0, false}, {}});
        }
        EventProducts& event = events_[found->second];
        event.event.tags += tags;
        event.products.emplace_back(productId, tags);
    }
    std::vector<EventProducts> take() { return std::move(events_); }

private:
    std::vector<EventProducts> events_;
    std::map<std::tuple<int, QString, qint64, QString>, size_t> byKey_;  // kind, moment, offer, name
};

}  // namespace

std::vector<EventProducts> comingEvents(const std::vector<OfferedProduct>& offered,
                                        const std::vector<ProductState>& states, const Moment& from, int days)
{
    const QDate last = from.day.addDays(days);
    const auto within = [&](const QDate& day) { return day >= from.day && day <= last; };
    EventList events;
    for (const OfferedProduct& product : offered) {
        const OfferItem& item = product.item;
        if (item.period.days.last < item.period.days.first) {
            continue;  // ended before it began
        }
        if (const Moment start = startMoment(item.period); within(start.day)) {
            events.add(EventKind::offerStarts, start, item.offerId, item.offerName, item.productId, product.tags);
        }
        if (const Moment back = revertMoment(item.period); within(back.day)) {
            events.add(EventKind::offerEnds, back, item.offerId, item.offerName, item.productId, product.tags);
        }
    }
    const ProductState* previous = nullptr;
    for (const ProductState& state : states) {
        const bool first = !previous || previous->productId != state.productId;
        if (state.from > from.day && state.from <= last
            && (first || state.tagText != previous->tagText || state.active != previous->active)) {
            events.add(EventKind::priceList, {state.from, 0}, 0, state.file, state.productId, state.tags);
        }
        previous = &state;
    }
    return events.take();
}

void countReady(EventProducts& event, const QSet<qint64>& needing, const QDate& today)
{
    event.event.ready = 0;
    for (const auto& [productId, tags] : event.products) {
        event.event.ready += needing.contains(productId) ? 0 : tags;
    }
    event.event.urgent = event.event.ready < event.event.tags && event.event.at.day <= today.addDays(kUrgentDays);
}

void sortEvents(std::vector<ComingEvent>& events)
{
    std::sort(events.begin(), events.end(), [](const ComingEvent& a, const ComingEvent& b) {
        return std::make_tuple(a.at.text(), int(a.kind), a.offerId)
            < std::make_tuple(b.at.text(), int(b.kind), b.offerId);
    });
}

}  // namespace catalogue::rules
