#pragma once

// The dialog behind "棚札の表示..." of the editors' file menu: which extra texts the shop's tags show
// beside their prices (the unit price, the tax-exclusive price, the reduced-rate mark and its
// text), the base of the unit price for the whole shop, and the rate of the tags whose sheet does
// not say theirs (the editors' sheets and sheet files). The choices are kept in the settings file
// for the shop as a whole; every program that draws a page follows them.

#include "core/settings/tag_text_settings.h"
#include "core/sheet/tag_sheet.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace desktop {

class Dialogs;

class TagTextDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the choices the settings file of `settings` keeps; a value of the file that is not used is said in the
    // dialog. `saved` is called with the choices once they are kept.
    TagTextDialog(Dialogs& dialogs, settings::TagTextSettings settings,
                  std::function<void(const sheet::TagTextChoices&)> saved = {}, QWidget* parent = nullptr);

    // The choices as the controls show them.
    sheet::TagTextChoices choices() const;
    void showChoices(const sheet::TagTextChoices& choices);

    // 保存: checks the base, keeps the choices and closes; a base that cannot be read or a file
    // that cannot be written is said through `dialogs` and the dialog stays open, nothing lost.
    void save();

    QLabel* problemLabel() const { return problemLabel_; }

private:
    Dialogs& dialogs_;
    settings::TagTextSettings settings_;
    std::function<void(const sheet::TagTextChoices&)> saved_;
    QCheckBox* unitBox_ = nullptr;
    QCheckBox* taxBox_ = nullptr;
    QCheckBox* markBox_ = nullptr;
    QComboBox* markText_ = nullptr;
    QLineEdit* baseEdit_ = nullptr;
    QComboBox* rateBox_ = nullptr;
    QLabel* problemLabel_ = nullptr;
};

}  // namespace desktop
