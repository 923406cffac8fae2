#pragma once

// Where each control of an editor window stands, for both formats: kind, caption, container,
// position and size in twips, Tab index and font. The window is built from these tables.

#include <vector>

namespace sheet {
struct SheetFormat;
}

namespace desktop {

// Client area of both editor windows, in twips.
inline constexpr int kEditorClientWidthTwips = 11880;
inline constexpr int kEditorClientHeightTwips = 8595;

enum class ControlKind { editBox, label, button, frame, pane, page, scrollBar };
enum class Container { window, frame1, picFrame };

struct ControlSpec {
    const char* name;  // object name
    ControlKind kind;
    const char* caption;  // buttons and labels; "" for none
    Container container;
    int left;  // twips, inside the container
    int top;
    int width;
    int height;
    int tabIndex;
    const char* fontFace = nullptr;  // nullptr: the platform's user-interface font
    double fontPt = 0.0;
    bool enabled = true;
};

// The controls of the editor window of `format`, in creation order: the frame first (so that
// the edit boxes stand above it), then the others in Tab order.
const std::vector<ControlSpec>& editorControls(const sheet::SheetFormat& format);

// The menu "f_file" and its entries, in menu order.
struct MenuEntrySpec {
    const char* name;
    const char* caption;
    const char* shortcut;
};
inline constexpr const char* kFileMenuName = "f_file";
inline constexpr const char* kFileMenuCaption = "ファィル(&F)";
const std::vector<MenuEntrySpec>& fileMenuEntries();

}  // namespace desktop
