#pragma once

// The 特売 view of the 商品マスタ window: the offers with their days (and hours), how many products
// and tags each has and whether it is 予定, 実施中 or 終了 at the moment shown; the selected offer's
// products with their sale price and the former price its tags show, or why they show none; and
// 終了..., which ends an offer early from a day the user gives (as `tanafuda-catalogue offer end
// --on`), after which its tags need going back from that day.

#include "core/catalogue/catalogue.h"
#include "desktop/dialogs/dialogs.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace desktop {

class OfferView : public QWidget {
    Q_OBJECT
public:
    OfferView(Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows the offers of `catalogue` as they stand at `now` (none without a catalogue); the offer
    // selected stays selected. False, with the reason in `outcome`, when they could not be read.
    bool showOffers(catalogue::Catalogue* catalogue, const catalogue::Moment& now, catalogue::Result* outcome);
    // The offer selected, or 0.
    qint64 selectedOffer() const;
    void selectOffer(qint64 offerId);
    // Ends the selected offer early, after asking from which day (the shop's today by default).
    void endSelected();

    // A control by object name: "offerTable", "itemTable", "itemNote", "offerImportButton",
    // "endOfferButton".
    template<class T> T* control(const QString& name) const { return findChild<T*>(name); }

signals:
    // 特売の取り込み...: the window takes a list of sale prices in.
    void importRequested();
    // An offer was ended from `on`: the catalogue is to be read again.
    void offerEnded(qint64 offerId, const QDate& on);
    void failed(const QString& message);

private:
    void showItems();
    // The day from which the offer ends, asked in a dialog of its own; invalid when cancelled.
    QDate askEndDay(const catalogue::Offer& offer);

    Dialogs& dialogs_;
    catalogue::Catalogue* catalogue_ = nullptr;
    catalogue::Moment now_;
    std::vector<catalogue::Offer> offers_;
    QTableWidget* offerTable_ = nullptr;
    QTableWidget* itemTable_ = nullptr;
    QLabel* itemNote_ = nullptr;
    QPushButton* endButton_ = nullptr;
};

// "12/16(水)〜12/20(日)", "12/16(水)〜12/20(日) 17:00〜19:00", "12/16(水)": an offer's days (the
// last as it ended) as the view lists them.
QString offerDaysText(const catalogue::Offer& offer);

}  // namespace desktop
