// The entry of libtanafuda-desktop-lists.so: the product lists (QuaZip for .xlsx and .ods) and the
// editor's import of one, loaded when the editor's import is first chosen.

#include "desktop/editor/editor_window.h"
#include "desktop/modules/module_loading.h"

namespace desktop {

namespace {

const ListsModule kListsModule {
    [](EditorWindow& editor) { editor.importProductList(); },
};

}  // namespace

}  // namespace desktop

extern "C" Q_DECL_EXPORT const desktop::ListsModule* tanafudaDesktopListsModule()
{
    return &desktop::kListsModule;
}
