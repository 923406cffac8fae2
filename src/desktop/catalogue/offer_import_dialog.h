#pragma once

// The import of a list of sale prices as one offer (特売): the list's preview as every import shows
// it (list_preview.h), the offer's name, its first and last day and, for a time sale, its hours,
// and the rows as the catalogue will take them. A row that dates itself (開始日/終了日, 期間, 時間)
// keeps its own dates; the ones asked here fill the rows that give none, as `tanafuda-catalogue
// offer import` does.

#include "core/catalogue/catalogue.h"
#include "core/productlist/layout_memory.h"
#include "desktop/dialogs/dialogs.h"
#include "desktop/dialogs/list_preview.h"

#include <QByteArray>
#include <QDate>
#include <QDialog>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace desktop {

class OfferImportDialog : public QDialog {
    Q_OBJECT
public:
    // `bytes` is the list file's contents, `listPath` its path; the offer's days start on `today`.
    // With a `memory`, the choices made for a list with the same header come back, and are kept
    // when the dialog is accepted.
    OfferImportDialog(const QString& listPath, const QByteArray& bytes, const QDate& today,
                      productlist::LayoutMemory* memory, Dialogs& dialogs, QWidget* parent = nullptr);

    ListPreview& preview() const { return *preview_; }
    // The checked rows as the catalogue takes them in as one offer, with its name and period.
    catalogue::OfferList offerList() const;
    // Why the offer cannot be taken in as the boxes stand (no name, the last day before the first,
    // hours that end before they start), or empty.
    QString problem() const;

    // A control by object name: the preview's (with "map_code"), and "nameEdit", "firstDayEdit",
    // "lastDayEdit", "hoursBox", "startTimeEdit", "endTimeEdit", "problemLabel", "summaryLabel",
    // "okButton".
    QWidget* control(const QString& name) const;

    void accept() override;

private:
    void update();
    pricing::OfferPeriod period() const;
    // The catalogue's columns as chosen: the list's product code.
    catalogue::CatalogueColumns columns() const;

    QString listPath_;
    Dialogs& dialogs_;
    ListPreview* preview_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QDateEdit* firstDayEdit_ = nullptr;
    QDateEdit* lastDayEdit_ = nullptr;
    QCheckBox* hoursBox_ = nullptr;
    QTimeEdit* startTimeEdit_ = nullptr;
    QTimeEdit* endTimeEdit_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    QLabel* summaryLabel_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

}  // namespace desktop
