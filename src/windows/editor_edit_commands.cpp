// The editor window's edit commands: the buttons that change the current tag or the whole page
// (クリア, コピー, 前候補, 挿入, 削除, フォント切替, 単価フォント切替, 縁取).
#include "windows/editor_window.h"

namespace windows {

void EditorWindow::wireEditCommands()
{
    // Not connected yet: the buttons stand in the window and do nothing when clicked.
}

}  // namespace windows
