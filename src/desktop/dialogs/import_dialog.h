#pragma once

// The editor's import of a product list: the list's preview (list_preview.h) above where its rows
// go on the window's sheet (the start tag, the further sheet files for the rows that do not fit,
// and whether to print them all), with the button 作成.

#include "core/productlist/cleaning.h"
#include "core/productlist/layout_memory.h"
#include "core/productlist/product_list.h"
#include "core/sheet/tag_sheet.h"
#include "desktop/dialogs/dialogs.h"
#include "desktop/dialogs/list_preview.h"

#include <QByteArray>
#include <QDialog>
#include <QHash>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace desktop {

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    // `bytes` is the list file's contents, `listPath` its path; `sheet` the window's sheet, filled
    // from `startTag` unless the user chooses another tag. With a `memory`, a list whose header was
    // seen before opens with the choices made for it then, and the choices are remembered when
    // the dialog is accepted. The folder dialog and the messages go through `dialogs` (the
    // process's Qt dialogs when none).
    ImportDialog(const QString& listPath, const QByteArray& bytes, const sheet::TagSheet& sheet, int startTag,
                 QWidget* parent = nullptr, productlist::LayoutMemory* memory = nullptr, Dialogs* dialogs = nullptr);

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

    ListPreview& preview() const { return *preview_; }
    const productlist::ProductList& list() const { return preview_->list(); }
    const std::vector<productlist::CleanRow>& cleanedRows() const { return preview_->cleanedRows(); }
    productlist::ListChoices listChoices() const { return preview_->listChoices(); }
    bool openedRemembered() const { return preview_->openedRemembered(); }
    bool isChecked(int index) const { return preview_->isChecked(index); }
    void setChecked(int index, bool checked) { preview_->setChecked(index, checked); }

    // A control by object name: the preview's (list_preview.h), and "startTagBox", "saveRestBox",
    // "restFolderEdit", "browseButton", "printAllBox", "summaryLabel", "okButton".
    QWidget* control(const QString& name) const;
    template<class T> T* control(const QString& name) const { return qobject_cast<T*>(control(name)); }

    void accept() override;

private:
    void buildTarget();
    void updateSummary();

    QString listPath_;
    const sheet::TagSheet& sheet_;
    Dialogs& dialogs_;
    ListPreview* preview_ = nullptr;
    QHash<QString, QWidget*> controls_;
    QSpinBox* startTagBox_ = nullptr;
    QCheckBox* saveRestBox_ = nullptr;
    QLineEdit* restFolderEdit_ = nullptr;
    QCheckBox* printAllBox_ = nullptr;
    QLabel* summaryLabel_ = nullptr;
};

}  // namespace desktop
