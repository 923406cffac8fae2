#pragma once

#include "core/settings/tag_text_settings.h"

class QWidget;

namespace sheet {
struct SheetFormat;
}

namespace desktop {

class LauncherWindow;
class HelpWindow;
class EditorWindow;
class CatalogueWindow;
class Dialogs;
class TagTextDialog;

// Every window of the program exists at most once. Showing an open window brings it to the
// front with its data intact; showing a closed one builds it afresh. Windows delete themselves
// when closed, and the program ends when the last one has closed.
LauncherWindow* showLauncher();
HelpWindow* showHelp();
EditorWindow* showEditor(const sheet::SheetFormat& format);
// The 商品マスタ window on the catalogue the settings file names (the default file without one);
// its 棚札に入れる fills the editor that was active last. It lives in the catalogue's module
// (modules/module_loading.h), loaded here the first time; nullptr, after a message, when that
// cannot be loaded.
CatalogueWindow* showCatalogue();

// Brings `window` to the front: shown, no longer minimised, raised and activated.
void bringToFront(QWidget* window);

// The dialog 棚札の表示... (which extra texts the shop's tags show) over `parent`, its messages
// through `dialogs`, on the settings file of `settings` (the user's by default). Once the choices are
// saved, every open editor draws with them. From any window:
//   desktop::showTagTextDialog(this, dialogs_);
TagTextDialog* showTagTextDialog(QWidget* parent, Dialogs& dialogs, const settings::TagTextSettings& settings = {});

// The open window of each kind, or nullptr.
LauncherWindow* openLauncher();
HelpWindow* openHelp();
EditorWindow* openEditor(const sheet::SheetFormat& format);

}  // namespace desktop
