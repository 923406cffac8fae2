#include "desktop/window_registry.h"

#include "core/sheet/tag_sheet.h"
#include "desktop/dialogs/dialogs.h"
#include "desktop/dialogs/tag_text_dialog.h"
#include "desktop/editor/editor_window.h"
#include "desktop/launcher/help_window.h"
#include "desktop/launcher/launcher_window.h"
#include "desktop/modules/module_loading.h"

#include <QPointer>

namespace desktop {

namespace {

QPointer<LauncherWindow> launcher;
QPointer<HelpWindow> help;
QPointer<EditorWindow> largeEditor;
QPointer<EditorWindow> smallEditor;

template<class W, class Make> W* showSingle(QPointer<W>& slot, Make make)
{
    if (!slot) {
        slot = make();
        slot->setAttribute(Qt::WA_DeleteOnClose);
    }
    bringToFront(slot);
    return slot;
}

QPointer<EditorWindow>& editorSlot(const sheet::SheetFormat& format)
{
    return format.isLarge() ? largeEditor : smallEditor;
}

}  // namespace

LauncherWindow* showLauncher()
{
    return showSingle(launcher, [] { return new LauncherWindow; });
}

HelpWindow* showHelp()
{
    return showSingle(help, [] { return new HelpWindow; });
}

EditorWindow* showEditor(const sheet::SheetFormat& format)
{
    return showSingle(editorSlot(format), [&format] { return new EditorWindow(format); });
}

TagTextDialog* showTagTextDialog(QWidget* parent, Dialogs& dialogs, const settings::TagTextSettings& settings)
{
    // The editors of the registry, and the window the dialog was opened from where that is one.
    QPointer<EditorWindow> opener = qobject_cast<EditorWindow*>(parent);
    auto* dialog = new TagTextDialog(
        dialogs, settings,
        [opener](const sheet::TagTextChoices& choices) {
            for (EditorWindow* editor : {largeEditor.data(), smallEditor.data(), opener.data()}) {
                if (editor) {
                    editor->applyTagTextChoices(choices);
                }
            }
        },
        parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

CatalogueWindow* showCatalogue()
{
    const CatalogueModule* module = catalogueModule(nullptr, qtDialogs());
    return module != nullptr ? module->showCatalogue() : nullptr;
}

void bringToFront(QWidget* window)
{
    window->show();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

LauncherWindow* openLauncher()
{
    return launcher;
}

HelpWindow* openHelp()
{
    return help;
}

EditorWindow* openEditor(const sheet::SheetFormat& format)
{
    return editorSlot(format);
}

}  // namespace desktop
