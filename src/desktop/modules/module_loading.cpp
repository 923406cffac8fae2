#include "desktop/modules/module_loading.h"

#include "core/jobs/product_lookup.h"
#include "desktop/dialogs/dialogs.h"

#include <dlfcn.h>

#include <cstdio>

namespace desktop {

namespace {

// A module's table, its library loaded when first asked for. One instance per table type, since
// each table is one library's. A library that could not be loaded is tried again at the next
// call: the user asked again.
template<class Table>
const Table* moduleTable(const char* fileName, const char* entryName, const char* feature, QWidget* parent,
                         Dialogs* dialogs)
{
    static const Table* table = nullptr;
    if (table != nullptr) {
        return table;
    }
    const ModuleEntry found = loadModuleEntry(fileName, entryName);
    if (found.entry != nullptr) {
        table = reinterpret_cast<const Table* (*)()>(found.entry)();
        return table;
    }
    const QString text = QStringLiteral("%1の機能を使えません。プログラムの部品 %2 を読み込めませんでした。\n"
                                        "tanafuda をインストールし直してください。\n\n%3")
                             .arg(QString::fromUtf8(feature), QString::fromLatin1(fileName), found.error);
    if (dialogs != nullptr) {
        dialogs->message(parent, text, QString::fromUtf8(feature), MessageIcon::stop, MessageButtons::ok);
    } else {
        const QByteArray bytes = QStringLiteral("tanafuda: %1\n").arg(text).toLocal8Bit();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    }
    return nullptr;
}

const CatalogueModule* catalogueTable(QWidget* parent, Dialogs* dialogs)
{
    return moduleTable<CatalogueModule>(kCatalogueModuleFile, kCatalogueModuleEntry, "商品マスタ", parent, dialogs);
}

class LookupOnFirstUse final : public jobs::ProductLookup {
public:
    explicit LookupOnFirstUse(std::function<QString()> address) : address_(std::move(address)) { }

    std::optional<catalogue::Product> find(const QString& code) override
    {
        if (!lookup_ && !tried_) {
            tried_ = true;
            if (const CatalogueModule* module = catalogueTable(nullptr, nullptr)) {
                lookup_ = module->catalogueLookup(address_);
            }
        }
        return lookup_ ? lookup_->find(code) : std::nullopt;
    }

private:
    std::function<QString()> address_;
    std::shared_ptr<jobs::ProductLookup> lookup_;
    bool tried_ = false;
};

}  // namespace

const PrintModule* printModule(QWidget* parent, Dialogs& dialogs)
{
    return moduleTable<PrintModule>(kPrintModuleFile, kPrintModuleEntry, "印刷", parent, &dialogs);
}

const ListsModule* listsModule(QWidget* parent, Dialogs& dialogs)
{
    return moduleTable<ListsModule>(kListsModuleFile, kListsModuleEntry, "商品リスト", parent, &dialogs);
}

const CatalogueModule* catalogueModule(QWidget* parent, Dialogs& dialogs)
{
    return catalogueTable(parent, &dialogs);
}

std::shared_ptr<jobs::ProductLookup> catalogueLookupOnFirstUse(std::function<QString()> address)
{
    return std::make_shared<LookupOnFirstUse>(std::move(address));
}

ModuleEntry loadModuleEntry(const char* fileName, const char* entryName)
{
    // By its bare name: a library already in the process (one that another module needs, or every
    // module in the tests, which link them) is taken as it is, and any other is looked for in the
    // folders this library names (its own: the modules lie beside it, as built and as installed).
    // Kept loaded to the end: the windows and the Qt plugins they load live in it.
    void* library = ::dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return {nullptr, QString::fromLocal8Bit(::dlerror())};
    }
    void* entry = ::dlsym(library, entryName);
    if (entry == nullptr) {
        return {nullptr,
                QStringLiteral("%1 has no %2").arg(QString::fromLatin1(fileName), QString::fromLatin1(entryName))};
    }
    return {entry, {}};
}

}  // namespace desktop
