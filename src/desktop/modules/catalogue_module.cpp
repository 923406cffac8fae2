// The entry of libtanafuda-desktop-catalogue.so: the shop's catalogue (QtSql), loaded when the
// 商品マスタ window first opens or an editor first looks a code up. The window is one of the
// program's windows (window_registry.h): it exists at most once, and its 棚札に入れる fills the
// editor that was active last.

#include "core/catalogue/catalogue_address.h"
#include "core/jobs/catalogue_lookup.h"
#include "core/jobs/catalogue_print.h"
#include "core/productlist/sheet_filling.h"
#include "core/settings/catalogue_address_setting.h"
#include "desktop/catalogue/catalogue_window.h"
#include "desktop/editor/editor_window.h"
#include "desktop/modules/module_loading.h"
#include "desktop/window_registry.h"

#include <QApplication>
#include <QPointer>

namespace desktop {

namespace {

QPointer<CatalogueWindow> catalogueWindow;
QPointer<EditorWindow> lastEditor;  // the editor that was active last

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

CatalogueWindow* makeCatalogueWindow()
{
    QString problem;
    QString error;
    const QString given = settings::CatalogueAddressSetting().catalogueAddress(&problem);
    auto address = catalogue::parseCatalogueAddress(given, &error);
    auto* window
        = new CatalogueWindow(address.value_or(*catalogue::parseCatalogueAddress(QString(), nullptr)), qtDialogs());
    if (!address || !problem.isEmpty()) {
        window->showError(address ? problem : error);
    }
    window->setFillEditor([](const std::vector<catalogue::Product>& products) {
        EditorWindow* editor = lastEditor.data();
        for (const sheet::SheetFormat* format : {&sheet::SheetFormat::large, &sheet::SheetFormat::small}) {
            editor = editor != nullptr ? editor : openEditor(*format);
        }
        return fillEditor(editor, products);
    });
    QObject::connect(qApp, &QApplication::focusChanged, window, [](QWidget*, QWidget* now) {
        if (auto* editor = now ? qobject_cast<EditorWindow*>(now->window()) : nullptr) {
            lastEditor = editor;
        }
    });
    return window;
}

CatalogueWindow* showCatalogueWindow()
{
    if (!catalogueWindow) {
        catalogueWindow = makeCatalogueWindow();
        catalogueWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    bringToFront(catalogueWindow);
    return catalogueWindow;
}

const CatalogueModule kCatalogueModule {
    showCatalogueWindow,
    [](std::function<QString()> address) -> std::shared_ptr<jobs::ProductLookup> {
        return std::make_shared<jobs::CatalogueLookup>(std::move(address));
    },
};

}  // namespace

}  // namespace desktop

extern "C" Q_DECL_EXPORT const desktop::CatalogueModule* tanafudaDesktopCatalogueModule()
{
    return &desktop::kCatalogueModule;
}
