#pragma once

// Taking lists into the catalogue from the 商品マスタ window: a product list through the import
// view (catalogue_import_dialog.h), with a summary of the merge before anything is written, and a
// list of sale prices as an offer (offer_import_dialog.h). The flow is core/jobs/catalogue_import.h,
// as `tanafuda-catalogue import` and `offer import` run it; the summary is the job's report
// (jobs::MergeReport), which the command words as its lines and this as the question.
//
// Nothing is made before the user accepts the summary: while there is no catalogue (the first
// start, or after a damaged file was moved aside) the list is planned against an empty one.

#include "core/catalogue/catalogue.h"
#include "core/jobs/catalogue_import.h"
#include "core/settings/settings_store.h"
#include "desktop/catalogue/catalogue_desk.h"
#include "desktop/dialogs/dialogs.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace desktop {

class ImportControl : public QObject {
    Q_OBJECT
public:
    // How the window opens its catalogue for an import: `openIfThere` opens the one there is (never
    // makes one; false, said, when it cannot be opened), `make` opens it or makes it for writing.
    struct Opening {
        std::function<bool()> openIfThere;
        std::function<bool()> make;
    };
    // `today` is the shop's day (the window's clock).
    ImportControl(CatalogueDesk desk, Opening opening, const settings::SettingsStore& settings,
                  std::function<QDate()> today, QObject* parent);

    // A product list chosen in the file dialog, through the import view and the merge summary.
    void importList();
    // A list of sale prices taken in as one offer (特売); the offer taken in is told by offerTaken.
    void importOffer();

signals:
    void offerTaken(qint64 offerId);

private:
    // Reads a list file chosen by the user; false (said) when it cannot be read.
    bool readListFile(const QString& path, QByteArray& bytes);
    // What taking `incoming` in would do; false when it could not be planned (said).
    bool plan(const catalogue::IncomingList& incoming, const catalogue::MergeOptions& options,
              catalogue::MergePlan& plan);

    CatalogueDesk desk_;
    Opening opening_;
    const settings::SettingsStore& settings_;
    std::function<QDate()> today_;
    FileDialogState listDialog_;
};

// The merge summary the user accepts or cancels: what is new, what changed and needs a new tag
// apart from what changed without one, what is discontinued, and the rows refused with their
// numbers and reasons.
QString mergeSummaryText(const jobs::MergeReport& report, const QString& fileName);

// The rows refused, as the window lists them: "      5行目: JANコードも商品コードもない...", the
// first ones, then how many more.
QString refusedRowsText(const std::vector<jobs::ReportedRefusal>& refused, int refusedRows);

}  // namespace desktop
