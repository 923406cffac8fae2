// How the desktop program finds the parts it loads on first use. The tests link every module, so
// the loader finds them in the process, as the program finds one that another module brought in.
#include "desktop/modules/module_loading.h"

#include "support/fake_dialogs.h"

#include <gtest/gtest.h>

namespace {

struct EntryRow {
    const char* what;
    const char* file;
    const char* entry;
    bool found;
    const char* errorNames;  // a text the error must hold when nothing is found
};

TEST(ModuleLoading, EachModuleIsFoundByItsFileAndEntry)
{
    const EntryRow rows[] = {
        {"print module", desktop::kPrintModuleFile, desktop::kPrintModuleEntry, true, ""},
        {"lists module", desktop::kListsModuleFile, desktop::kListsModuleEntry, true, ""},
        {"catalogue module", desktop::kCatalogueModuleFile, desktop::kCatalogueModuleEntry, true, ""},
        {"no such library", "libtanafuda-desktop-nothing.so", desktop::kPrintModuleEntry, false,
         "libtanafuda-desktop-nothing.so"},
        {"a module without that entry", desktop::kPrintModuleFile, desktop::kListsModuleEntry, false,
         "tanafudaDesktopListsModule"},
    };
    for (const EntryRow& row : rows) {
        SCOPED_TRACE(row.what);
        const desktop::ModuleEntry loaded = desktop::loadModuleEntry(row.file, row.entry);
        EXPECT_EQ(loaded.entry != nullptr, row.found);
        if (row.found) {
            EXPECT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();
        } else {
            EXPECT_TRUE(loaded.error.contains(QString::fromLatin1(row.errorNames))) << loaded.error.toStdString();
        }
    }
}

TEST(ModuleLoading, TheWindowsGetTheTablesTheModulesExport)
{
    FakeDialogs dialogs;
    const desktop::PrintModule* print = desktop::printModule(nullptr, dialogs);
    const desktop::ListsModule* lists = desktop::listsModule(nullptr, dialogs);
    const desktop::CatalogueModule* catalogue = desktop::catalogueModule(nullptr, dialogs);
    ASSERT_TRUE(print && lists && catalogue);
    EXPECT_EQ(print, tanafudaDesktopPrintModule());
    EXPECT_EQ(lists, tanafudaDesktopListsModule());
    EXPECT_EQ(catalogue, tanafudaDesktopCatalogueModule());
    EXPECT_TRUE(print->choosePrinter && print->printEditorSheet && print->openCalibrationDialog);
    EXPECT_TRUE(lists->importProductList);
    EXPECT_TRUE(catalogue->showCatalogue && catalogue->catalogueLookup);
    // Asked again, the same tables, and nothing was said to the user.
    EXPECT_EQ(desktop::printModule(nullptr, dialogs), print);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
