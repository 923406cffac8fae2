#pragma once

// The parts of the desktop program that need libraries the launcher and the editors do not need to
// start: Qt's print support with qpdf, QuaZip, QtSql. Each part is a shared library of its own,
// beside libtanafuda-desktop.so (the windows every start needs); it is loaded the first time a
// window asks for it and stays loaded to the end. Each library has one entry, an extern "C"
// function that gives a table of what the windows call in it.
//
//   libtanafuda-desktop-print.so      printing (QPrinter, QPrintDialog), PDF files (qpdf), the
//                                     calibration dialog
//   libtanafuda-desktop-lists.so      product lists (.xlsx and .ods through QuaZip), the import dialog
//   libtanafuda-desktop-catalogue.so  the shop's catalogue (QtSql): the 商品マスタ window, the
//                                     editor's lookups

#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace jobs {
class ProductLookup;
}

namespace desktop {

class CatalogueWindow;
class Dialogs;
class EditorWindow;

struct PrintModule {
    // The platform's printer dialog for `printer`; true when the user chose to print.
    bool (*choosePrinter)(QWidget* parent, QPrinter& printer);
    void (*printEditorSheet)(EditorWindow& editor);
    void (*openCalibrationDialog)(EditorWindow& editor);
};

struct ListsModule {
    void (*importProductList)(EditorWindow& editor);
};

struct CatalogueModule {
    // Shows the 商品マスタ window (see window_registry.h).
    CatalogueWindow* (*showCatalogue)();
    // The catalogue at the address `address` gives when first asked, as a product lookup.
    std::shared_ptr<jobs::ProductLookup> (*catalogueLookup)(std::function<QString()> address);
};

// Each module's table, its library loaded on the first call. Nothing when the library cannot be
// loaded (a damaged installation): the user is told why through `dialogs`, over `parent`.
const PrintModule* printModule(QWidget* parent, Dialogs& dialogs);
const ListsModule* listsModule(QWidget* parent, Dialogs& dialogs);
const CatalogueModule* catalogueModule(QWidget* parent, Dialogs& dialogs);

// A product lookup in the catalogue at `address` that loads the catalogue's module at its first
// find(), so that an editor that never looks a code up never loads QtSql. A module that cannot be
// loaded finds nothing, as a catalogue that cannot be read does (the reason on standard error).
std::shared_ptr<jobs::ProductLookup> catalogueLookupOnFirstUse(std::function<QString()> address);

// How a module is found and entered: the library `fileName`, already loaded or found beside
// libtanafuda-desktop.so, and its function `entryName`.
struct ModuleEntry {
    void* entry = nullptr;  // the function's address; nullptr when the library or the function is missing
    QString error;          // why not, in the loader's words
};
ModuleEntry loadModuleEntry(const char* fileName, const char* entryName);

// The libraries and their entries. Each entry is defined by its module (modules/*_module.cpp)
// and reached only through loadModuleEntry, so that nothing links a module but the module itself.
inline constexpr char kPrintModuleFile[] = "libtanafuda-desktop-print.so";
inline constexpr char kPrintModuleEntry[] = "tanafudaDesktopPrintModule";
inline constexpr char kListsModuleFile[] = "libtanafuda-desktop-lists.so";
inline constexpr char kListsModuleEntry[] = "tanafudaDesktopListsModule";
inline constexpr char kCatalogueModuleFile[] = "libtanafuda-desktop-catalogue.so";
inline constexpr char kCatalogueModuleEntry[] = "tanafudaDesktopCatalogueModule";

}  // namespace desktop

extern "C" {
const desktop::PrintModule* tanafudaDesktopPrintModule();
const desktop::ListsModule* tanafudaDesktopListsModule();
const desktop::CatalogueModule* tanafudaDesktopCatalogueModule();
}
