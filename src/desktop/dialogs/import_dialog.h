#pragma once

// The dialog between a product list and the tags: what was read (encoding, delimiter, sheet,
// header), which column fills which item, how prices get their tax, and the list's rows with a
// check box each and what the cleaning did to them. It only shows and collects; the reading,
// mapping and cleaning are the product-list functions.

#include "core/productlist/cleaning.h"
#include "core/productlist/layout_memory.h"
#include "core/productlist/product_list.h"
#include "core/sheet/tag_sheet.h"

#include <QByteArray>
#include <QDialog>
#include <QHash>

#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace desktop {

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    // `bytes` is the list file's contents, `listPath` its path; `sheet` the window's sheet, filled
    // from `startTag` unless the user chooses another tag. With a `memory`, a list whose header was
    // seen before opens with the choices made for it then, and the choices are remembered when
    // the dialog is accepted.
    ImportDialog(const QString& listPath, const QByteArray& bytes, const sheet::TagSheet& sheet, int startTag,
                 QWidget* parent = nullptr, productlist::LayoutMemory* memory = nullptr);

    // What the user chose, once the dialog is accepted.
    struct Choice {
        std::vector<sheet::TagRecord> records;  // the checked rows that are used, in list order
        int startTag = 1;
        bool saveRest = false;  // the records beyond the sheet go to further sheet files
        QString restFolder;
        QString restBaseName;   // the files are restBaseName-2.csv, -3.csv, ...
        bool printAll = false;  // this sheet and the rest printed as one job
    };
    Choice choice() const;

    const productlist::ProductList& list() const { return list_; }
    const std::vector<productlist::CleanRow>& cleanedRows() const { return cleaned_; }
    // The choices as they stand: what is remembered for the list's header.
    productlist::ListChoices listChoices() const;
    // Whether the list opened with the choices remembered for its header.
    bool openedRemembered() const { return openedRemembered_; }
    // Whether the list's row at `index` (0-based among the rows below the header) is checked.
    bool isChecked(int index) const { return index >= 0 && index < int(checked_.size()) && checked_[size_t(index)]; }
    void setChecked(int index, bool checked);

    // A control by object name: "encodingBox", "delimiterBox", "sheetBox", "headerBox", "map_<key>"
    // (map_jan, map_name, map_price, ...), "priceBasisBox", "taxRateBox", "roundingBox", "filterEdit",
    // "rowTable", "startTagBox", "saveRestBox", "restFolderEdit", "printAllBox", "summaryLabel",
    // "sourceLabel", "noPriceBox", "rememberedLabel", "taxCode_<code>" (one per tax code of the list
    // that means nothing by itself).
    QWidget* control(const QString& name) const { return controls_.value(name); }
    template<class T> T* control(const QString& name) const { return qobject_cast<T*>(control(name)); }

    void accept() override;

private:
    void buildControls();
    template<class T> T* named(T* widget, const QString& name);
    // Reads the list again with the reading choices and maps its columns anew.
    void reread();
    // Cleans the rows again with the mapping and tax choices; the check boxes are kept.
    void reclean();
    void fillMappingBoxes();
    // Sets the boxes to remembered choices; false when the list's header has none.
    bool applyRemembered();
    // A box for each code of the tax columns of `mapping` that means nothing by itself.
    void fillTaxCodeBoxes(const productlist::ColumnMapping& mapping);
    void fillTable();
    void applyFilter();
    void updateSummary();
    void checkVisibleRows(bool checked);
    productlist::ReadOptions readOptions() const;
    productlist::ColumnMapping mappingFromBoxes() const;
    productlist::TaxSettings taxFromBoxes() const;
    int checkedUsedCount() const;
    // Why the rows cannot be made into tags as the boxes stand (no price column), or empty.
    QString mappingProblem() const;

    QString listPath_;
    QByteArray bytes_;
    const sheet::TagSheet& sheet_;
    productlist::ProductList list_;
    std::vector<productlist::CleanRow> cleaned_;
    std::vector<bool> checked_;
    bool updating_ = false;  // the controls are being set: their signals change nothing
    bool firstReading_ = true;
    productlist::LayoutMemory* memory_ = nullptr;
    bool openedRemembered_ = false;

    QHash<QString, QWidget*> controls_;
    QComboBox* encodingBox_ = nullptr;
    QComboBox* delimiterBox_ = nullptr;
    QComboBox* sheetBox_ = nullptr;
    QCheckBox* headerBox_ = nullptr;
    std::vector<std::pair<productlist::ListField, QComboBox*>> mapBoxes_;
    QComboBox* priceBasisBox_ = nullptr;
    QComboBox* taxRateBox_ = nullptr;
    QComboBox* roundingBox_ = nullptr;
    QLineEdit* filterEdit_ = nullptr;
    QTableWidget* table_ = nullptr;
    QSpinBox* startTagBox_ = nullptr;
    QCheckBox* saveRestBox_ = nullptr;
    QLineEdit* restFolderEdit_ = nullptr;
    QCheckBox* printAllBox_ = nullptr;
    QLabel* summaryLabel_ = nullptr;
    QLabel* sourceLabel_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    QLabel* mappingProblemLabel_ = nullptr;
    QLabel* rememberedLabel_ = nullptr;
    QCheckBox* noPriceBox_ = nullptr;
    QGroupBox* taxCodesGroup_ = nullptr;
    QFormLayout* taxCodesForm_ = nullptr;
    std::vector<std::pair<QString, QComboBox*>> taxCodeBoxes_;
    // Why the list seems to be in another encoding than the one it was read in; empty when not.
    QString encodingProblem_;
};

}  // namespace desktop
