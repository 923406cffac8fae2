#pragma once

// The preview of a product list, shared by every import: what was read (encoding, delimiter,
// sheet, header), which column fills which item, how prices get their tax, and the list's rows
// with a check box each and what the cleaning did to them. It only shows and collects; the
// reading, mapping and cleaning are the product-list functions. A dialog puts it above what it
// does with the rows: the editor's import lays them onto sheets (import_dialog.h), the
// catalogue's takes them into the catalogue (catalogue_import_dialog.h).

#include "core/jobs/import_job.h"
#include "core/productlist/cleaning.h"
#include "core/productlist/layout_memory.h"
#include "core/productlist/product_list.h"
#include "core/sheet/tag_sheet.h"
#include "desktop/dialogs/dialogs.h"

#include <QByteArray>
#include <QHash>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QVBoxLayout;

namespace desktop {

class ListPreview : public QWidget {
    Q_OBJECT
public:
    // `bytes` is the list file's contents, `listPath` its path. The column boxes are those of the
    // fields of `fieldsFormat` (the second product-name line only for small tags); the rows are
    // cleaned for the boxes of `cleaningFormat`. With a `memory`, a list whose header was seen
    // before opens with the choices made for it then.
    ListPreview(const QString& listPath, const QByteArray& bytes, const sheet::SheetFormat& fieldsFormat,
                const sheet::SheetFormat& cleaningFormat, productlist::LayoutMemory* memory, QWidget* parent);

    const productlist::ProductList& list() const { return list_; }
    const std::vector<productlist::CleanRow>& cleanedRows() const { return cleaned_; }
    // The choices as they stand: what is remembered for the list's header.
    productlist::ListChoices listChoices() const;
    // The list with its choices as an import goes on from them.
    jobs::PreparedList prepared() const;
    // Whether the list opened with the choices remembered for its header.
    bool openedRemembered() const { return openedRemembered_; }
    // Whether the list's row at `index` (0-based among the rows below the header) is checked.
    bool isChecked(int index) const { return index >= 0 && index < int(checked_.size()) && checked_[size_t(index)]; }
    void setChecked(int index, bool checked);
    const std::vector<bool>& checkedRows() const { return checked_; }
    // The checked rows that are used (not refused by the cleaning).
    int checkedUsedCount() const;
    // The records of the checked rows that are used, in list order.
    std::vector<sheet::TagRecord> checkedRecords() const;
    // Why the rows cannot be made into tags as the boxes stand (no price column), or empty.
    QString mappingProblem() const;
    // Remembers the choices for lists with this header, where there is a memory; false with the
    // reason in `problem` when they could not be kept.
    bool rememberChoices(QString* problem) const;
    // The same, for a dialog about to use the list: choices that could not be kept are said in a
    // warning that ends with `goingOn` (what is done all the same; only next time's choices are
    // missing).
    void rememberChoicesOrWarn(Dialogs& dialogs, const QString& goingOn);

    // Columns beside the tag's that a dialog reads (the catalogue's shelf, tag count, product
    // code): a box each under 列の割り当て, named "map_<key>", with the columns of the list and
    // (なし). `guess` gives each key's column (-1: none) for the list as read and the tag's columns
    // as chosen; it is asked again whenever the list is read again.
    struct ExtraColumn {
        QString key;
        QString label;  // with its access key, "棚番(&T)"
    };
    using ExtraColumnsGuess = std::function<std::vector<int>(const productlist::ProductList& list,
                                                             const productlist::ColumnMapping& mapping)>;
    void setExtraColumns(const std::vector<ExtraColumn>& columns, ExtraColumnsGuess guess);
    // The column chosen for an extra column's key (0-based), or -1.
    int extraColumn(const QString& key) const;
    // The mapping the rows are cleaned with, when a dialog cleans them otherwise than the boxes say
    // (a list of sale prices without a name column takes its code as the name): the rows are then
    // shown as the dialog uses them, and cleaned again when a box beside the tag's changes too.
    using CleaningMapping = std::function<productlist::ColumnMapping(const productlist::ColumnMapping& boxes)>;
    void setCleaningMapping(CleaningMapping mapping);
    // Notes of a dialog's own on rows it will not use (by the row's number in the list, as the
    // cleaning numbers it), shown in the rows' note column as the cleaning's refusals are.
    void setRowRefusals(const QHash<int, QString>& reasons);

    // A control by object name: "encodingBox", "delimiterBox", "sheetBox", "headerBox", "map_<key>"
    // (map_jan, map_name, map_price, ...), "priceBasisBox", "taxRateBox", "roundingBox", "filterEdit",
    // "rowTable", "sourceLabel", "noPriceBox", "rememberedLabel", "mappingProblemLabel",
    // "checkAllButton", "uncheckAllButton", "taxCode_<code>" (one per tax code of the list that means
    // nothing by itself).
    QWidget* control(const QString& name) const { return controls_.value(name); }

signals:
    // The rows, their checks or the choices changed.
    void changed();

private:
    // The columns of the table of rows.
    enum Column { kUseColumn, kRowColumn, kJanColumn, kNameColumn, kListPriceColumn, kTagPriceColumn, kNoteColumn };

    void buildControls();
    QGroupBox* buildReadingBox();
    QGroupBox* buildColumnsBox();
    QGroupBox* buildPricesBox();
    void buildRows(QVBoxLayout* layout);
    template<class T> T* named(T* widget, const QString& name);
    // Reads the list again with the reading choices and maps its columns anew.
    void reread();
    // Cleans the rows again with the mapping and tax choices; the check boxes are kept.
    void reclean();
    void fillMappingBoxes();
    // A column box's entries: (なし), then "N: title" for each of the list's columns.
    void fillColumnBox(QComboBox* box) const;
    // Sets the boxes to remembered choices; false when the list's header has none.
    bool applyRemembered();
    // A box for each code of the tax columns of `mapping` that means nothing by itself.
    void fillTaxCodeBoxes(const productlist::ColumnMapping& mapping);
    void fillTable();
    void guessExtraColumns();
    void applyFilter();
    void showMappingProblem();
    void checkVisibleRows(bool checked);
    productlist::ReadOptions readOptions() const;
    productlist::ColumnMapping mappingFromBoxes() const;
    productlist::TaxSettings taxFromBoxes() const;

    QString listPath_;
    QByteArray bytes_;
    const sheet::SheetFormat& fieldsFormat_;
    const sheet::SheetFormat& cleaningFormat_;
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
    QFormLayout* columnsForm_ = nullptr;
    std::vector<std::pair<QString, QComboBox*>> extraBoxes_;
    ExtraColumnsGuess guessExtra_;
    CleaningMapping cleaningMapping_;
    QHash<int, QString> rowRefusals_;
    QComboBox* priceBasisBox_ = nullptr;
    QComboBox* taxRateBox_ = nullptr;
    QComboBox* roundingBox_ = nullptr;
    QLineEdit* filterEdit_ = nullptr;
    QTableWidget* table_ = nullptr;
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
