// The editor window's file menu: new, open, save, save as and exit (KURIA, f_open, U_SAVE,
// N_SAVE, MNUEXIT).
#include "windows/editor_window.h"

namespace windows {

void EditorWindow::wireFileCommands()
{
    // Not connected yet: the entries stand in the menu and do nothing when chosen.
}

}  // namespace windows
