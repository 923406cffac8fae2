#pragma once

// The dialog between a product list and the tags: what was read (encoding, delimiter, sheet,
// header), which column fills which item, how prices get their tax, and the list's rows with a
// check box each and what the cleaning did to them. It only shows and collects; the reading,
// mapping and cleaning are the product-list functions.

#include "core/productlist/cleaning.h"
#include "core/productlist/product_list.h"
#include "core/sheet/tag_sheet.h"

#include <QByteArray>
#include <QDialog>
#include <QHash>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace desktop {

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    // `bytes` is the list file's contents, `listPath` its path; `sheet` the window's sheet, filled
    // from `startTag` unless the user chooses another tag.
    ImportDialog(const QString& listPath, const QByteArray& bytes, const sheet::TagSheet& sheet, int startTag,
                 QWidget* parent = nullptr);

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
    // Whether the list's row at `index` (0-based among the rows below the header) is checked.
    bool isChecked(int index) const { return index >= 0 && index < int(checked_.size()) && checked_[size_t(index)]; }
    void setChecked(int index, bool checked);

    // A control by object name: "encodingBox", "delimiterBox", "sheetBox", "headerBox", "map_<key>"
    // (map_jan, map_name, map_price, ...), "priceBasisBox", "taxRateBox", "roundingBox", "filterEdit",
    // "rowTable", "startTagBox", "saveRestBox", "restFolderEdit", "printAllBox", "summaryLabel",
    // "sourceLabel".
    QWidget* control(const QString& name) const { return controls_.value(name); }
    template <class T>
    T* control(const QString& name) const
    {
        return qobject_cast<T*>(control(name));
    }

    void accept() override;

private:
    void buildControls();
    template <class T>
    T* named(T* widget, const QString& name);
    // Reads the list again with the reading choices and maps its columns anew.
    void reread();
    // Cleans the rows again with the mapping and tax choices; the check boxes are kept.
    void reclean();
    void fillMappingBoxes();
    void fillTable();
    void applyFilter();
    void updateSummary();
    void checkVisibleRows(bool checked);
    productlist::ReadOptions readOptions() const;
    productlist::ColumnMapping mappingFromBoxes() const;
    productlist::TaxSettings taxFromBoxes() const;
    int checkedUsedCount() const;

    QString listPath_;
    QByteArray bytes_;
    const sheet::TagSheet& sheet_;
    productlist::ProductList list_;
    std::vector<productlist::CleanRow> cleaned_;
    std::vector<bool> checked_;
    bool updating_ = false;      // the controls are being set: their signals change nothing
    bool firstReading_ = true;

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
};

}  // namespace desktop
