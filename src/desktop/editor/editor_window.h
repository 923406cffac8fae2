#pragma once

#include "core/settings/settings_store.h"
#include "core/sheet/field_entry.h"
#include "core/sheet/navigation.h"
#include "core/sheet/tag_sheet.h"
#include "desktop/dialogs/dialogs.h"
#include "output/print_job.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollBar;
class QStatusBar;

namespace jobs {
class ProductLookup;
}

namespace desktop {

struct ControlSpec;
class EditBox;
class PreviewFrame;
class PreviewPage;

// The editor of one tag format: "大きい棚札" for large tags, "小棚札" for small ones. One class
// serves both; every difference is read from the sheet's format. The window owns its sheet from
// start-up to closing.
//
// The window is built in several source files, one per group of commands, all implementing
// members of this class: editor_window.cpp (controls, start-up, field entry, focus, navigation),
// editor_preview.cpp (preview, price offsets, scrolling), editor_edit_commands.cpp (the buttons
// that change tags or the page's look), editor_file_commands.cpp (the file menu),
// editor_print_commands.cpp (printing, the calibration dialog) and editor_import_command.cpp (the
// file menu's import of a product list). The last two belong to modules loaded on first use
// (modules/module_loading.h): the window reaches them only through the modules' tables.
//
// Focus. Each edit box stores its text into the record at `current` when it loses the focus, and
// the price box then moves on to the next tag; the JAN box, when it gets the focus, redraws the
// preview, outlines the current tag and shows its record. Only real focus moves inside the window
// count: the focus leaving for a menu, a dialog, a message box or another program, and coming back
// to the same control, does nothing. A control that gets the focus after such an absence (the
// window activated with the focus placed elsewhere meanwhile) first ends the previous control's
// turn.
class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    // The program's window: its tags are filled from the shop's catalogue (the one the settings
    // file names, else the default file), which is opened when a code is first looked up.
    explicit EditorWindow(const sheet::SheetFormat& format, QWidget* parent = nullptr);
    // With other dialogs than the platform's (a test answers them).
    EditorWindow(const sheet::SheetFormat& format, desktop::Dialogs& dialogs, QWidget* parent = nullptr);
    ~EditorWindow() override;

    sheet::TagSheet& sheet() { return sheet_; }
    const sheet::TagSheet& sheet() const { return sheet_; }
    const sheet::SheetFormat& format() const { return sheet_.format(); }

    // "大きい棚札  " / "小さい棚札  " at start-up.
    QString startupTitle() const;

    // The control with object name `name` ("Text1", "Label6", "前候補", "VScroll1", ...), or
    // nullptr when this format has none.
    QWidget* control(const QString& name) const { return controls_.value(name); }
    template<class T> T* control(const QString& name) const { return qobject_cast<T*>(control(name)); }
    // The edit box of `field`, or nullptr (the large format has no second product-name line).
    EditBox* box(sheet::Field field) const;
    EditBox* janBox() const { return janBox_; }
    EditBox* priceBox() const { return priceBox_; }
    // A menu entry by name: "KURIA", "f_open", "U_SAVE", "N_SAVE", "M_プレビュー", "P_印刷", "MNUEXIT".
    QAction* menuAction(const QString& name) const { return actions_.value(name); }
    PreviewPage* previewPage() const { return previewPage_; }
    PreviewFrame* previewFrame() const { return previewPane_; }
    QScrollBar* scrollBar() const { return previewScrollBar_; }

    desktop::Dialogs& dialogs() const { return *dialogs_; }
    // Where a code typed, scanned or pasted into Text1 is looked up when Text1 loses the focus:
    // the product's texts and price go into the boxes of the tag that are still empty, and the
    // status line says so. None (the default of the constructor with dialogs): nothing is looked up.
    void setProductLookup(std::shared_ptr<jobs::ProductLookup> lookup) { productLookup_ = std::move(lookup); }
    QStatusBar* statusLine() const { return statusLine_; }
    // The settings file: the printers' calibrations, the lists' layouts, the tags' extra texts and
    // the catalogue's address (the user's file unless a test says).
    settings::SettingsStore& settingsStore() { return settingsStore_; }
    // Which extra texts the tags show (棚札の表示...); the preview on show is drawn again with them.
    // The window starts with those of the settings file. Its sheet gives no tag a rate of its own:
    // the choices' rate for such sheets stands for all of them.
    void applyTagTextChoices(const sheet::TagTextChoices& choices);
    // What the window's file dialog remembers while the window lives.
    desktop::FileDialogState& fileDialogState() { return fileDialog_; }

    // ---- Operations that the commands share ----

    // Redraws the page on the preview (preview mode) and gives the focus to Text1; when the focus
    // comes from another control, Text1's gain-focus handling follows (redraw, outline, position
    // label, current record shown).
    void refreshPreview();
    // Prints the page after the printer dialog (A4 portrait proposed); a cancel prints nothing.
    // Either way the focus goes back to Text1. (The print module's; the print button and menu
    // entry load it.)
    void printSheet();
    // Opens the calibration dialog for the window's format (the print module's).
    void openCalibrationDialog();
    // The file menu's "商品リストから作成(&I)..." (the lists module's).
    void importProductList();
    // Clears the preview and draws the empty grid with the tag numbers.
    void showBlankPage();
    // Writes the record at `current` into the edit boxes (the price as its digits).
    void showCurrentRecord();
    void setPositionLabel(const QString& text);
    // The caption: `title` followed by the sheet's file name.
    void updateCaption(const QString& title);
    // Gives the focus to Text1 and runs its gain-focus handling, also when Text1 already had it.
    void focusJanBox();
    // Moves the printed price of every tag by whole millimetres, then refreshes the preview.
    // The offsets stay within 16 bits.
    void shiftPrice(int dxMm, int dyMm);

    // Pending text. An edit box holds what the user typed until it loses the focus. A command that
    // runs while a box still has the focus (a menu command or a shortcut) and changes `current` or
    // the sheet must call one of these first, after any dialog that could still cancel it:
    //  - dropPendingEdit(): the box's text is discarded; when it loses the focus it stores nothing
    //    and the price box does not advance. For commands that replace or reload the sheet or
    //    move to another tag (new, open, save).
    //  - storePendingEdit(): the box's text is stored now into the record it was typed for (a JAN
    //    code completed, a price held to its range), without advancing; it then behaves as after
    //    dropPendingEdit(). For commands that keep the sheet.
    // The box is released by its next focus change or by focusJanBox(), which every such command
    // ends with. Neither does anything when no edit box has the focus.
    void dropPendingEdit();
    void storePendingEdit();

    // ---- File menu (editor_file_commands.cpp) ----

    // The caption's title once a new sheet, an opened file or a save has come about:
    // "大きい棚札  " / "小きい棚札  ".
    QString fileCommandTitle() const;

    // Loads the sheet file at `path` as the Open command does once a file is chosen: tag 1 shown
    // and the caption renewed, or the reader's message when the file is rejected (nothing then
    // changes). True when the file was loaded.
    bool loadSheetFile(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QWidget* makeControl(const ControlSpec& spec, QWidget* parent);
    void buildMenu();
    void startUp();
    void wireEntry();
    void wireNavigation();
    void wirePreview();
    // Defined in editor_edit_commands.cpp and editor_file_commands.cpp.
    void wireEditCommands();
    void wireFileCommands();
    // Defined in editor_file_commands.cpp: the file menu's entries of the modules' commands.
    void wireImportCommand();

    // Pane geometry: picFrame fills the window below the controls; the scroll bar follows.
    void layoutPane();
    void setUpScrollBar();
    void scrollTo(int valueTwips);
    // The calibration of the printer a print job goes to: the one kept for it, with a warning when
    // the kept one is not usable. Every print of the window (the sheet, the import's sheets) asks it.
    output::CalibrationOfPrinter printerCalibration();

    // Focus bookkeeping (see the class comment).
    // False when the focus has moved on from `widget` meanwhile.
    bool focusArrived(QWidget* widget);
    void focusLeft(QWidget* widget);
    void enterBox(EditBox* box);
    void leaveBox(EditBox* box);
    void enterJanBox();
    void storeBoxText(EditBox* box);
    // Fills the current tag's empty boxes from the product of its JAN code, if the lookup has one.
    void fillFromCatalogue();
    void outlineCurrentTag();
    void selectWholeText(EditBox* box);
    void navigate(sheet::Move move);
    bool isMenuShortcut(const QKeyEvent& event) const;

    // ---- Edit commands (editor_edit_commands.cpp) ----
    void clearTag();
    void copyPreviousTag();
    void offerPreviousCandidate();
    void insertTag();
    void deleteTag();
    void chooseNameFont();
    void choosePriceFont();
    void switchBorder();
    // Ends a command that changed the sheet: the preview redrawn and Text1's turn run.
    void refreshAfterEdit();
    // The labels that show the product-name and the price font faces.
    QLabel* nameFontLabel() const;
    QLabel* priceFontLabel() const;
    // ---- End of edit commands ----

    // ---- File menu (editor_file_commands.cpp) ----
    void newSheet();
    void openSheet();
    void saveSheet();
    void saveSheetAs();
    // Writes the sheet to `path`, reporting a failure and any texts written with substitutes.
    // True when the file was written.
    bool writeSheetTo(const QString& path);
    // The end of a command that ran to its end: tag 1 current and shown, the caption renewed.
    void showFirstTagAfterFileCommand();
    // The end of a command that was cancelled or refused: the focus back in Text1 with the sheet
    // as it was. A box's pending text goes to the tag it was typed for, without moving on.
    void returnToJanBoxUnchanged();

    sheet::TagSheet sheet_;
    desktop::Dialogs* dialogs_;
    desktop::FileDialogState fileDialog_;
    desktop::FileDialogState listDialog_;  // the product lists' file dialog
    settings::SettingsStore settingsStore_;

    QHash<QString, QWidget*> controls_;
    QHash<QString, QAction*> actions_;
    std::vector<EditBox*> boxes_;  // in Enter order
    EditBox* janBox_ = nullptr;
    EditBox* priceBox_ = nullptr;
    QWidget* client_ = nullptr;
    QWidget* fieldFrame_ = nullptr;
    PreviewFrame* previewPane_ = nullptr;
    PreviewPage* previewPage_ = nullptr;
    QScrollBar* previewScrollBar_ = nullptr;
    QLabel* positionLabel_ = nullptr;
    QPushButton* candidateButton_ = nullptr;  // 前候補
    QStatusBar* statusLine_ = nullptr;
    std::shared_ptr<jobs::ProductLookup> productLookup_;

    // The control that has the focus as far as the window's logic goes; it keeps it while the
    // window is inactive or a menu is open.
    QPointer<QWidget> focusOwner_;
    // The box whose pending text was dropped or stored ahead: its next leave does nothing.
    QPointer<EditBox> releasedBox_;
};

}  // namespace desktop
