#pragma once

// The 棚チェック window: staff choose a shelf location (or 全部) and walk along it with a scanner.
// Each tag scanned gets its verdict at once, large enough to read from arm's length, with a sound
// for anything but 正しい, and a line in the list below. 終了 adds the location's products that were
// not scanned (ない) and keeps the check in the catalogue; then 直す札を印刷... lays exactly the wrong
// and missing tags onto sheets and asks the usual question about the print, and 取り下げリスト...
// lists the tags left up after their product was discontinued.
//
// The check itself is core/jobs/shelf_check.h, the print core/jobs/catalogue_print.h: the same
// jobs as `tanafuda-catalogue check` and `print --from-check`. The print and its question and the
// checklist of the tags left up are the controllers the 商品マスタ window uses too
// (print_control.h, takedown_control.h); a scan typed while one of this window's dialogs is open
// waits for it to close (scan_holding.h).

#include "core/catalogue/catalogue.h"
#include "core/jobs/shelf_check.h"
#include "core/settings/settings_store.h"
#include "desktop/dialogs/dialogs.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace desktop {

class PrintControl;
class ScanHolding;
class TakedownControl;

class ShelfCheckWindow : public QWidget {
    Q_OBJECT
public:
    // A check in the catalogue at `address`, which it opens with a connection of its own. The
    // paper (0 large, 1 small) and the start tag are the ones the 商品マスタ window shows.
    ShelfCheckWindow(const catalogue::CatalogueAddress& address, Dialogs& dialogs, int formatIndex, int startTag,
                     QWidget* parent = nullptr);
    ~ShelfCheckWindow() override;

    // The sound made for a verdict other than 正しい and for a scan refused (QApplication::beep
    // unless replaced).
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    // The commands, as their buttons run them.
    // A code as the scanner or the keyboard typed it.
    void scan(const QString& typed);
    // Finishes the check and keeps it: false when there is nothing to finish or it was not kept.
    bool finish();
    void printFixes();
    void takedownList();
    // Clears the finished check for a new one.
    void startOver();

    // Whether a check is under way (scanned, not yet finished), and the number of the kept one.
    bool isChecking() const { return check_ != nullptr && !record_; }
    qint64 checkId() const { return record_ ? record_->id : 0; }
    // The scans waiting for a dialog to close.
    const QStringList& heldScans() const;

    // A control by object name: "placeBox", "scanEdit", "verdictLabel", "productLabel",
    // "detailLabel", "resultTable", "summaryLabel", "finishButton", "formatBox", "startTagBox",
    // "fixCountLabel", "printFixesButton", "takedownButton", "newCheckButton", "errorLabel".
    template<class T> T* control(const QString& name) const { return findChild<T*>(name); }

signals:
    // The catalogue was written (a check kept, a print recorded or decided): the 商品マスタ
    // window reads it again.
    void catalogueChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildScanRow(QBoxLayout* layout);
    void buildVerdictLabels(QBoxLayout* layout);
    void buildPrintRow(QBoxLayout* layout);
    void readLocations();
    catalogue::CheckPlace chosenPlace() const;
    void placeChanged();
    // Shows one scan's verdict large, and its line in the list.
    void showVerdict(const jobs::ScanVerdict& verdict);
    void showRefusal(const QString& code, const QString& why);
    void showRecord();
    void updateFixCount();
    void updateButtons();
    void showError(const QString& message);
    // `leftOut`: what the tags of a print just made could not show.
    void askAboutPrint(qint64 printId, const QStringList& leftOut = {});
    // The scans held while a dialog was open, now that it has closed.
    void takeHeldScans();
    const sheet::SheetFormat& chosenFormat() const;
    std::vector<catalogue::TagNeed> fixNeeds(catalogue::Result* outcome) const;
    std::vector<catalogue::TagNeed> leftUpNeeds(catalogue::Result* outcome) const;
    void beep();

    catalogue::CatalogueAddress address_;
    std::unique_ptr<ScanHolding> holding_;
    std::unique_ptr<catalogue::Catalogue> catalogue_;
    std::unique_ptr<jobs::ShelfCheck> check_;
    std::optional<catalogue::ShelfCheckRecord> record_;
    settings::SettingsStore settingsStore_;
    PrintControl* print_ = nullptr;
    TakedownControl* takedown_ = nullptr;
    std::function<void()> beep_;

    QComboBox* placeBox_ = nullptr;
    QLineEdit* scanEdit_ = nullptr;
    QLabel* verdictLabel_ = nullptr;
    QLabel* productLabel_ = nullptr;
    QLabel* detailLabel_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* summaryLabel_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    QPushButton* finishButton_ = nullptr;
    QLabel* fixCountLabel_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* takedownButton_ = nullptr;
    QPushButton* newCheckButton_ = nullptr;
};

}  // namespace desktop
