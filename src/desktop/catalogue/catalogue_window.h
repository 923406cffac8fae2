#pragma once

// The 商品マスタ window: the catalogue's products in a table with their status, the product lists
// taken in (with a summary of the merge before anything is written), the new and changed tags
// printed in shelf order and the print confirmed, the take-down checklist and a product's history.
//
// The window is a frame of controls around the controllers it shares with the 棚チェック window
// (catalogue_desk.h): the import (import_control.h), the print and its confirmation
// (print_control.h) and the take-down (takedown_control.h). Their flows are the catalogue's jobs,
// shared with tanafuda-catalogue: core/jobs/catalogue_import.h (a list taken in),
// core/jobs/catalogue_print.h (printed, recorded, confirmed, taken down). The window itself reads
// the catalogue (catalogue_window_reading.cpp), shows it and says what happened.
//
// A large catalogue opens at once (readCatalogue): the first shelf locations' products and the
// counts of every tab come from one grouped pass over the products (Catalogue::firstTagNeeds), and
// the other rows are read by a thread with a connection of its own (loader_) and put in place
// without moving the view (finishLoading). The table's model filters and sorts the rows in memory
// (catalogue_model.h).
//
// Prices live in time: the table shows every product as it is at the window's moment (now), with
// its sale where an offer holds; the days ahead on which tags change sit above it with a print
// button each (coming_dates.h); the offers have a view of their own, a tab beside the products
// (offer_view.h), since they are a list of their own that a clerk looks at apart from the shelves.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_watch.h"
#include "core/settings/settings_store.h"
#include "desktop/catalogue/catalogue_desk.h"
#include "desktop/dialogs/dialogs.h"

#include <QMainWindow>
#include <QThread>

#include <QDate>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class QTabBar;
class QTableView;
class QTimer;

namespace desktop {

class CatalogueModel;
class ComingDates;
class ImportControl;
class OfferView;
class PrintControl;
class ShelfCheckWindow;
class TakedownControl;

class CatalogueWindow : public QMainWindow {
    Q_OBJECT
public:
    // Puts products into the open editor's sheet; false when no editor is open.
    using FillEditor = std::function<bool(const std::vector<catalogue::Product>&)>;

    // The catalogue at `address`; it is only made by the first 取り込み.
    CatalogueWindow(const catalogue::CatalogueAddress& address, Dialogs& dialogs, QWidget* parent = nullptr);
    ~CatalogueWindow() override;

    void setFillEditor(FillEditor fill) { fillEditor_ = std::move(fill); }
    // The shop's clock, by which the window shows the catalogue (Moment::now unless set).
    using Clock = std::function<catalogue::Moment()>;
    void setClock(Clock clock) { clock_ = std::move(clock); }
    catalogue::Moment now() const { return clock_ ? clock_() : catalogue::Moment::now(); }

    // Reads the catalogue again (after a change from another PC, or after a change made here).
    void reload();
    // Another program or PC changed the catalogue: it is read again shortly (once any dialog of
    // this window is closed), keeping the selection and the scroll position.
    void changedElsewhere(const catalogue::ChangeNotice& notice);
    // Whether the rows past the first ones are still being read (after opening a large catalogue).
    bool isLoading() const { return loader_ != nullptr; }
    // Waits for those rows and shows them.
    void finishLoading();
    // How many rows are shown at once on opening before the rest are read in the background.
    static constexpr int kFirstRows = 200;

    // The commands, as their buttons run them.
    void importList();
    // A list of sale prices taken in as one offer (特売).
    void importOffer();
    void printChanges();
    // Prints the tags needed at `at` (the coming dates' buttons), as printChanges does now;
    // `purpose` names the moment in the print dialog.
    void printAt(const catalogue::Moment& at, const QString& purpose);
    void confirmPending();
    void takedownList();
    // Records the take-down of the selected products' tags (those to take down), else of every
    // listed one, after asking.
    void takedownDone();
    void showHistory();
    void putIntoEditor();
    // Opens the 棚チェック window (or brings the open one to the front).
    ShelfCheckWindow* openShelfCheck();
    // A full JAN code (or product code) and Enter in the search box: the product selected.
    void findCode(const QString& code);

    // A problem with a command, shown in red above the table until the user's next command (a read
    // of the catalogue, after a change here or elsewhere, leaves it standing); empty: none.
    void showError(const QString& message);

    CatalogueModel& model() const { return *model_; }
    QTableView* table() const { return table_; }
    // A control by object name: "searchEdit", "statusTabs", "importButton", "printButton",
    // "formatBox", "startTagBox", "fillButton", "takedownButton", "takedownDoneButton",
    // "historyButton", "shelfCheckButton", "pendingList", "confirmButton", "errorLabel", "noteLabel",
    // "emptyPage", "emptyImportButton", "damagedPage", "damagedText", "damagedImportButton",
    // "offerImportButton", "viewTabs" (商品一覧 and 特売), "offerView", "comingDates".
    template<class T> T* control(const QString& name) const { return findChild<T*>(name); }
    bool hasCatalogue() const { return catalogue_ != nullptr; }

private:
    void buildControls();
    QWidget* buildProductsPage();
    void buildTable(QWidget* page);
    void buildRows(QWidget* page, QBoxLayout* layout);
    void connectControls();
    QWidget* buildEmptyPage();
    QWidget* buildDamagedPage();
    // The controllers' view of this window.
    CatalogueDesk desk();
    // The damaged-file page for the outcome of opening a damaged catalogue.
    void showDamaged(const catalogue::Result& outcome);
    // The offers view and the coming dates, as the catalogue stands at the window's moment.
    void showTimeViews();
    bool ensureOpen(bool create);
    // Opens the catalogue for planning an import when there is one (another PC may have made it
    // meanwhile), never making it; false (said) when one is there but cannot be opened.
    bool openIfThere();
    // Listens for other programs' changes once the catalogue is open.
    void startWatching();
    // This window's own change is written: the watch is not to report it as another's.
    void wroteHere();
    void refreshAfterChange();
    QStringList selectedCodes() const;
    void selectCodes(const QStringList& codes);
    void showNote(const QString& message);
    // A problem reading the catalogue, shown until the next read (empty: none).
    void showReadError(const QString& message);
    void showErrors();
    // A command begins: the problem the last one left standing is cleared.
    void commandStarts();
    void updateTabs();
    void readCatalogue(bool firstRowsOnly);
    void showPendingPrints(const std::vector<catalogue::PrintInfo>& pending);
    std::vector<catalogue::TagNeed> selectedNeeds() const;

    catalogue::CatalogueAddress address_;
    Dialogs& dialogs_;
    std::unique_ptr<catalogue::Catalogue> catalogue_;
    CatalogueModel* model_ = nullptr;
    FillEditor fillEditor_;
    // The settings file: each printer's calibration, the choices remembered for each list layout,
    // the tags' extra texts.
    settings::SettingsStore settingsStore_;
    ImportControl* import_ = nullptr;
    PrintControl* print_ = nullptr;
    TakedownControl* takedown_ = nullptr;

    QStackedWidget* pages_ = nullptr;
    QTableView* table_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QListWidget* pendingList_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    QLabel* noteLabel_ = nullptr;
    QLabel* damagedText_ = nullptr;
    OfferView* offerView_ = nullptr;
    ComingDates* comingDates_ = nullptr;
    Clock clock_;

    // Every row, read by a thread of its own with a connection of its own after the first rows
    // are shown; the counts of the tabs come from the catalogue until they are in.
    struct LoadedRows {
        catalogue::Result outcome;
        std::vector<catalogue::TagNeed> needs;
    };
    std::unique_ptr<QThread> loader_;
    std::shared_ptr<LoadedRows> loaded_;
    std::optional<catalogue::StatusCounts> countsWhileLoading_;
    // Other programs' and PCs' changes; the read they call for waits a moment so that a burst of
    // changes is read once.
    std::unique_ptr<catalogue::CatalogueWatch> watch_;
    QTimer* refreshTimer_ = nullptr;
    QStringList changeNotices_;  // what the changes since the last read were, each said once
    QString commandError_;
    QString readError_;
    // How the catalogue was found damaged (its file moved aside) until a new one is made.
    std::optional<catalogue::Result> damaged_;
};

}  // namespace desktop
