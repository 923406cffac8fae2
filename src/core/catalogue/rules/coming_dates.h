#pragma once

// The days ahead on which tags change by themselves: an offer starts, an offer's tags go back, or a
// dated list's prices come into force. Each is counted in tags (a product's tag count), and marked
// urgent when it is near and its tags are not all printed and confirmed for it yet.

#include "core/catalogue/rules/offer.h"

#include <QSet>
#include <QString>

#include <vector>

namespace catalogue::rules {

enum class EventKind { offerStarts, offerEnds, priceList };

struct ComingEvent {
    EventKind kind = EventKind::priceList;
    Moment at;            // when the tags change: the first moment of the offer, the day after its last
    qint64 offerId = 0;   // for an offer's events
    QString name;         // the offer's name, or the list's file
    int tags = 0;         // the tags that change then
    int ready = 0;        // of them, those already printed and confirmed for it
    bool urgent = false;  // within two days and not all ready
};

// An offer's product, with its tag count.
struct OfferedProduct {
    OfferItem item;
    int tags = 1;
};

// A state of a product from the day it holds from, in the order of its product and day (as the
// versions are kept): whether it changes its tag is read against the one before it.
struct ProductState {
    qint64 productId = 0;
    QDate from;
    QString tagText;
    bool active = true;
    int tags = 1;
    QString file;  // the list it came with (its file's name)
};

// An event with the products whose tags change then (product id, tag count).
struct EventProducts {
    ComingEvent event;
    std::vector<std::pair<qint64, int>> products;
};

// The events of the `days` days after `from` (its own day included), one per kind, moment, offer
// and list, in the order they were met: an offer's start and its revert (rules/offer_moments.h), and
// each state from a later day whose tag text or activity differs from the state before it (the
// first state of a product counts as a change).
std::vector<EventProducts> comingEvents(const std::vector<OfferedProduct>& offered,
                                        const std::vector<ProductState>& states, const Moment& from, int days);

// How many of `event`'s tags are ready (their products not among `needing` at its moment), and
// whether it is urgent (some not ready, and within two days of `today`).
void countReady(EventProducts& event, const QSet<qint64>& needing, const QDate& today);

// In time order, then by kind and offer.
void sortEvents(std::vector<ComingEvent>& events);

}  // namespace catalogue::rules

namespace catalogue {
using rules::ComingEvent;
using rules::EventKind;
}  // namespace catalogue
