#pragma once

// The catalogue's import of a product list: the list's preview (list_preview.h), the number of
// rows to be taken in, the day the list's prices hold from (today unless the list is for a later
// day: next week's list taken in on Friday changes no tag before Monday), and the button 取り込む. Nothing here is about sheets: the catalogue keeps
// products, and their tags are printed from the 商品マスタ window.

#include "core/catalogue/rules/incoming_list.h"
#include "core/jobs/catalogue_import.h"
#include "core/productlist/layout_memory.h"
#include "desktop/dialogs/dialogs.h"
#include "desktop/dialogs/list_preview.h"

#include <QByteArray>
#include <QDate>
#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;

namespace desktop {

class CatalogueImportDialog : public QDialog {
    Q_OBJECT
public:
    // `bytes` is the list file's contents, `listPath` its path. With a `memory`, a list whose header
    // was seen before opens with the choices made for it then, and they are remembered when the
    // dialog is accepted (a failure to remember is said through `dialogs`, and the import goes on).
    CatalogueImportDialog(const QString& listPath, const QByteArray& bytes, productlist::LayoutMemory* memory,
                          Dialogs& dialogs, QWidget* parent = nullptr);

    ListPreview& preview() const { return *preview_; }
    // The checked rows as the catalogue takes them in, with the catalogue's columns as chosen, and
    // their cleaning (what the import's report says of them).
    jobs::IncomingRows incomingRows() const;
    catalogue::IncomingList incoming() const { return incomingRows().incoming; }
    // The catalogue's columns as chosen (first found by their titles and contents).
    catalogue::CatalogueColumns columns() const;
    // The day the list's prices hold from; `today` is the shop's day, shown beside the date.
    void setValidFrom(const QDate& day, const QDate& today);
    QDate validFrom() const;

    // A control by object name: the preview's (with "map_code", "map_shelf", "map_count", "map_unit",
    // "map_content", "map_contentunit"), and
    // "summaryLabel", "okButton", "validFromEdit", "validFromNote".
    QWidget* control(const QString& name) const;

    void accept() override;

private:
    void updateSummary();
    void updateDateNote();

    QString listPath_;
    Dialogs& dialogs_;
    ListPreview* preview_ = nullptr;
    QLabel* summaryLabel_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QDateEdit* validFromEdit_ = nullptr;
    QLabel* validFromNote_ = nullptr;
    QDate today_;
};

}  // namespace desktop
