// The editor window's file menu: new, open, save, save as and exit (KURIA, f_open, U_SAVE,
// N_SAVE, MNUEXIT), and the entries of the import of a product list and of the 商品マスタ window,
// whose modules are loaded when they are first chosen.
//
// The menu's commands leave the focus where it is, so an edit box may still hold text that it has
// not stored when one of them runs. A command that goes on to replace the sheet or move to tag 1
// drops that text once no dialog can cancel it any more; a command that is cancelled or refused
// stores it into the tag it was typed for and returns to the JAN box, as a click on the JAN box
// would, except that the price box does not move on to the next tag.
#include "desktop/editor/control_names.h"
#include "desktop/editor/editor_window.h"

#include "core/files/file_command_texts.h"
#include "core/files/sheet_file.h"
#include "desktop/editor/editor_layout.h"
#include "desktop/modules/module_loading.h"
#include "desktop/window_registry.h"

#include <QAction>
#include <QMenu>

namespace desktop {

using desktop::MessageAnswer;
using desktop::MessageButtons;
using desktop::MessageIcon;

void EditorWindow::wireImportCommand()
{
    auto* menu = findChild<QMenu*>(QString::fromUtf8(kFileMenuName));
    auto* action = new QAction(QStringLiteral("商品リストから作成(&I)..."), menu);
    action->setObjectName(names::kImportMenu);
    // Beside the other commands that bring a sheet's contents in.
    menu->insertAction(menuAction(names::kPreviewMenu), action);
    actions_.insert(action->objectName(), action);
    connect(action, &QAction::triggered, this, [this] {
        if (const ListsModule* module = listsModule(this, *dialogs_)) {
            module->importProductList(*this);
        } else {
            returnToJanBoxUnchanged();
        }
    });
    auto* catalogueAction = new QAction(QStringLiteral("商品マスタ(&M)..."), menu);
    catalogueAction->setObjectName(QStringLiteral("catalogueMenu"));
    menu->insertAction(menuAction(names::kPreviewMenu), catalogueAction);
    actions_.insert(catalogueAction->objectName(), catalogueAction);
    connect(catalogueAction, &QAction::triggered, this, [] { showCatalogue(); });
}

void EditorWindow::wireFileCommands()
{
    connect(menuAction(names::kNewMenu), &QAction::triggered, this, [this] { newSheet(); });
    connect(menuAction(names::kOpenMenu), &QAction::triggered, this, [this] { openSheet(); });
    connect(menuAction(names::kSaveMenu), &QAction::triggered, this, [this] { saveSheet(); });
    connect(menuAction(names::kSaveAsMenu), &QAction::triggered, this, [this] { saveSheetAs(); });
    // The sheet goes with the window, saved or not.
    connect(menuAction(names::kExitMenu), &QAction::triggered, this, [this] { close(); });
}

QString EditorWindow::fileCommandTitle() const
{
    return format().isLarge() ? QStringLiteral("大きい棚札  ") : QStringLiteral("小きい棚札  ");
}

void EditorWindow::newSheet()
{
    const MessageAnswer answer = dialogs_->message(this, files::kNewSheetQuestion, files::kConfirmTitle,
                                                   MessageIcon::stop, MessageButtons::yesNo);
    if (answer != MessageAnswer::yes) {
        returnToJanBoxUnchanged();
        return;
    }
    dropPendingEdit();
    showBlankPage();
    sheet_.clearAll();
    sheet_.fileName = sheet::kUntitled;
    showFirstTagAfterFileCommand();
}

void EditorWindow::openSheet()
{
    // The small window shows the dialog with whatever filter it holds: its initial one until a
    // Save As has set the three choices.
    if (format().isLarge()) {
        fileDialog_.filter = files::kSheetFileFilter;
    }
    const std::optional<QString> path = dialogs_->openFile(this, fileDialog_);
    if (!path) {
        return;
    }
    loadSheetFile(*path);
}

bool EditorWindow::loadSheetFile(const QString& path)
{
    // Read into a copy: a rejected file leaves the window, a pending edit included, as it was.
    sheet::TagSheet loaded = sheet_;
    const files::ReadResult result = files::readSheetFile(loaded, path);
    if (!result.loaded()) {
        dialogs_->message(this, result.message, result.title, MessageIcon::stop, MessageButtons::ok);
        return false;
    }
    dropPendingEdit();
    sheet_ = std::move(loaded);
    sheet_.fileName = path;
    showFirstTagAfterFileCommand();
    return true;
}

void EditorWindow::saveSheet()
{
    if (sheet_.fileName == sheet::kUntitled) {
        saveSheetAs();
        return;
    }
    if (!writeSheetTo(sheet_.fileName)) {
        return;
    }
    dropPendingEdit();
    showFirstTagAfterFileCommand();
}

void EditorWindow::saveSheetAs()
{
    fileDialog_.filter = files::kSheetFileFilter;
    const std::optional<QString> path = dialogs_->saveFile(this, fileDialog_);
    if (!path) {
        returnToJanBoxUnchanged();
        return;
    }
    if (dialogs_->fileExists(*path)
        && dialogs_->message(this, files::overwriteQuestion(*path), files::kConfirmTitle, MessageIcon::stop,
                             MessageButtons::yesNo)
            != MessageAnswer::yes) {
        returnToJanBoxUnchanged();
        return;
    }
    if (!writeSheetTo(*path)) {
        return;
    }
    dropPendingEdit();
    sheet_.fileName = *path;
    showFirstTagAfterFileCommand();
}

bool EditorWindow::writeSheetTo(const QString& path)
{
    // A failed save changes nothing in the window: the file name, the caption, the tag shown and
    // any pending edit stay, so the user can save again elsewhere.
    const files::SheetWriteResult result = files::writeSheetFile(sheet_, path);
    if (!result.ok) {
        dialogs_->message(this, files::saveFailedMessage(path, result), files::kErrorTitle, MessageIcon::stop,
                          MessageButtons::ok);
        return false;
    }
    const QString replaced = files::replacedTextsMessage(result.replaced);
    if (!replaced.isEmpty()) {
        dialogs_->message(this, replaced, files::kReplacedTextsTitle, MessageIcon::information, MessageButtons::ok);
    }
    return true;
}

void EditorWindow::showFirstTagAfterFileCommand()
{
    sheet_.current = 1;
    showCurrentRecord();
    setPositionLabel(format().initialPositionText());
    updateCaption(fileCommandTitle());
    // Runs the JAN box's turn also when it has the focus already: preview, outline, label, record.
    focusJanBox();
}

void EditorWindow::returnToJanBoxUnchanged()
{
    storePendingEdit();
    focusJanBox();
}

}  // namespace desktop
