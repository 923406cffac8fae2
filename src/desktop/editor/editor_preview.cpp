// The editor window's preview pane and price offsets; printing is in editor_print_commands.cpp.
#include "desktop/editor/editor_window.h"

#include "core/draw/draw_tag_sheet.h"
#include "core/jobs/tag_page.h"
#include "desktop/editor/control_names.h"
#include "desktop/editor/edit_box.h"
#include "desktop/editor/editor_layout.h"
#include "desktop/editor/preview_pane.h"
#include "desktop/modules/module_loading.h"
#include "desktop/twips.h"
#include "desktop/window_registry.h"

#include <QAction>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace desktop {

namespace {

// The pane's place in the window at the layout's size: left and top edge, and the gaps kept to
// the right and bottom edges of the client area when the window grows.
constexpr int kPaneLeftTwips = 120;
constexpr int kPaneTopTwips = 2400;
constexpr int kPaneWidthTwips = 11535;
constexpr int kPaneHeightTwips = 5535;
constexpr int kPaneRightGapTwips = kEditorClientWidthTwips - kPaneLeftTwips - kPaneWidthTwips;
constexpr int kPaneBottomGapTwips = kEditorClientHeightTwips - kPaneTopTwips - kPaneHeightTwips;

qint16 clampedOffset(int value)
{
    return static_cast<qint16>(
        std::clamp(value, int {std::numeric_limits<qint16>::min()}, int {std::numeric_limits<qint16>::max()}));
}

}  // namespace

void EditorWindow::wirePreview()
{
    connect(control<QPushButton>(names::kPreviewButton), &QPushButton::clicked, this, [this] { refreshPreview(); });
    connect(menuAction(names::kPreviewMenu), &QAction::triggered, this, [this] { refreshPreview(); });
    // Printing and the calibration dialog are in the print module, loaded at the first of them.
    const auto print = [this] {
        if (const PrintModule* module = printModule(this, *dialogs_)) {
            module->printEditorSheet(*this);
        } else {
            janBox_->setFocus(Qt::OtherFocusReason);
        }
    };
    connect(control<QPushButton>(names::kPrintButton), &QPushButton::clicked, this, print);
    connect(menuAction(names::kPrintMenu), &QAction::triggered, this, print);
    connect(menuAction(names::kCalibrationMenu), &QAction::triggered, this, [this] {
        if (const PrintModule* module = printModule(this, *dialogs_)) {
            module->openCalibrationDialog(*this);
        }
    });
    connect(menuAction(names::kTagTextMenu), &QAction::triggered, this,
            [this] { showTagTextDialog(this, *dialogs_, settings::TagTextSettings(settingsStore_)); });

    const struct {
        const char* name;
        int dxMm;
        int dyMm;
    } offsets[] = {{"右", 1, 0}, {"左", -1, 0}, {"下", 0, 1}, {"上", 0, -1}};
    for (const auto& o : offsets) {
        connect(control<QPushButton>(QString::fromUtf8(o.name)), &QPushButton::clicked, this,
                [this, dx = o.dxMm, dy = o.dyMm] { shiftPrice(dx, dy); });
    }

    // The page moves when a scroll ends, not while the thumb is dragged.
    previewScrollBar_->setTracking(false);
    connect(previewScrollBar_, &QScrollBar::valueChanged, this, [this](int value) { scrollTo(value); });
}

void EditorWindow::refreshPreview()
{
    sheet_.outputMode = sheet::OutputMode::preview;
    previewPage_->draw([this](draw::Surface& surface) { jobs::drawTagPage(sheet_, surface); });
    janBox_->setFocus(Qt::OtherFocusReason);
}

void EditorWindow::showBlankPage()
{
    sheet_.restoreStartMargins();
    previewPage_->draw([this](draw::Surface& surface) { draw::drawBlankSheet(sheet_, surface); });
}

void EditorWindow::applyTagTextChoices(const sheet::TagTextChoices& choices)
{
    if (sheet_.textChoices == choices) {
        return;
    }
    sheet_.textChoices = choices;
    // A page on show is drawn again with the new texts; a blank one stays blank.
    if (sheet_.outputMode == sheet::OutputMode::preview) {
        refreshPreview();
    }
}

void EditorWindow::shiftPrice(int dxMm, int dyMm)
{
    sheet_.printOffsetX = clampedOffset(sheet_.printOffsetX + dxMm);
    sheet_.printOffsetY = clampedOffset(sheet_.printOffsetY + dyMm);
    refreshPreview();
}

void EditorWindow::layoutPane()
{
    // The pane keeps its place and fills the window down to its bottom edge (less the layout's
    // gap), so that all of it can be seen whatever the window's size.
    const QSize client = client_->size();
    const int left = px(kPaneLeftTwips);
    const int top = px(kPaneTopTwips);
    const int width = std::max(px(kPaneWidthTwips), client.width() - left - px(kPaneRightGapTwips));
    const int height = std::max(px(kPaneHeightTwips), client.height() - top - px(kPaneBottomGapTwips));
    previewPane_->setGeometry(left, top, width, height);

    // The scroll bar keeps its place against the pane's right edge and grows with the pane.
    const ControlSpec& spec = *std::find_if(editorControls(format()).begin(), editorControls(format()).end(),
                                            [](const ControlSpec& c) { return c.kind == ControlKind::scrollBar; });
    previewScrollBar_->setGeometry(px(spec.left) + width - px(kPaneWidthTwips), px(spec.top), px(spec.width),
                                   px(spec.height) + height - px(kPaneHeightTwips));
}

void EditorWindow::setUpScrollBar()
{
    const int visibleTwips = previewPane_->contentsRect().height() * kTwipsPerPixel;
    const ScrollSetup setup = scrollSetup(previewPage_->height() * kTwipsPerPixel, visibleTwips);
    previewScrollBar_->setRange(0, setup.maximum);
    previewScrollBar_->setPageStep(setup.largeChange);
    previewScrollBar_->setSingleStep(setup.smallChange);
}

void EditorWindow::scrollTo(int valueTwips)
{
    previewPage_->move(0, -px(valueTwips));
}

}  // namespace desktop
