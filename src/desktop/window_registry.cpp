#include "desktop/window_registry.h"

#include "core/catalogue/catalogue_address.h"
#include "core/jobs/catalogue_print.h"
#include "core/productlist/sheet_filling.h"
#include "core/sheet/tag_sheet.h"
#include "desktop/catalogue/catalogue_window.h"
#include "desktop/dialogs/tag_text_dialog.h"
#include "desktop/editor/editor_window.h"
#include "desktop/launcher/help_window.h"
#include "desktop/launcher/launcher_window.h"

#include <QApplication>
#include <QPointer>

namespace desktop {

namespace {

QPointer<LauncherWindow> launcher;
QPointer<HelpWindow> help;
QPointer<EditorWindow> largeEditor;
QPointer<EditorWindow> smallEditor;
QPointer<CatalogueWindow> catalogueWindow;
QPointer<EditorWindow> lastEditor;  // the editor that was active last

template<class W, class Make> W* showSingle(QPointer<W>& slot, Make make)
{
    if (!slot) {
        slot = make();
        slot->setAttribute(Qt::WA_DeleteOnClose);
    }
    slot->show();
    slot->setWindowState(slot->windowState() & ~Qt::WindowMinimized);
    slot->raise();
    slot->activateWindow();
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

TagTextDialog* showTagTextDialog(QWidget* parent, Dialogs& dialogs, const output::SettingsFile& settings)
{
    // The editors of the registry, and the window the dialog was opened from where that is one.
    QPointer<EditorWindow> opener = qobject_cast<EditorWindow*>(parent);
    auto* dialog = new TagTextDialog(dialogs, settings, [opener](const sheet::TagTextChoices& choices) {
        for (EditorWindow* editor : {largeEditor.data(), smallEditor.data(), opener.data()}) {
            if (editor) {
                editor->applyTagTextChoices(choices);
            }
        }
    }, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

namespace {

// Puts `products` into `editor`'s sheet from its current tag, as the import does: filled tags are
// replaced only when the user says so.
bool fillEditor(EditorWindow* editor, const std::vector<catalogue::Product>& products)
{
    if (editor == nullptr) {
        return false;
    }
    std::vector<sheet::TagRecord> records;
    for (const catalogue::Product& product : products) {
        records.push_back(jobs::tagOf(product, editor->format()));
    }
    sheet::TagSheet& sheet = editor->sheet();
    editor->storePendingEdit();
    const std::vector<int> filled = productlist::filledTagsInRange(sheet, sheet.current, int(records.size()));
    if (!filled.empty()) {
        QStringList numbers;
        for (int tag : filled) {
            numbers << QString::number(tag);
        }
        const MessageAnswer answer = editor->dialogs().message(
            editor,
            QStringLiteral("タグ %1 には入力済みの内容があります。商品マスタの内容で置き換えますか？")
                .arg(numbers.join(QStringLiteral(", "))),
            QStringLiteral("棚札に入れる"), MessageIcon::warning, MessageButtons::yesNo);
        if (answer != MessageAnswer::yes) {
            return true;
        }
    }
    const int start = sheet.current;
    const int put = productlist::fillSheet(sheet, start, records);
    editor->refreshPreview();
    editor->focusJanBox();
    editor->setPositionLabel(
        QStringLiteral("商品マスタから %1 件をタグ %2〜%3 に入れました").arg(put).arg(start).arg(start + put - 1));
    return true;
}

}  // namespace

CatalogueWindow* showCatalogue()
{
    return showSingle(catalogueWindow, [] {
        QString problem;
        QString error;
        const QString given = output::SettingsFile().catalogueAddress(&problem);
        auto address = catalogue::parseCatalogueAddress(given, &error);
        auto* window
            = new CatalogueWindow(address.value_or(*catalogue::parseCatalogueAddress(QString(), nullptr)), qtDialogs());
        if (!address || !problem.isEmpty()) {
            window->showError(address ? problem : error);
        }
        window->setFillEditor([](const std::vector<catalogue::Product>& products) {
            EditorWindow* editor = lastEditor ? lastEditor.data()
                : largeEditor                 ? largeEditor.data()
                                              : smallEditor.data();
            return fillEditor(editor, products);
        });
        QObject::connect(qApp, &QApplication::focusChanged, window, [](QWidget*, QWidget* now) {
            if (auto* editor = now ? qobject_cast<EditorWindow*>(now->window()) : nullptr) {
                lastEditor = editor;
            }
        });
        return window;
    });
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
