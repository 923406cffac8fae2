// The editor window's edit commands: the buttons that change the current tag or the whole page
// (クリア, コピー, 前候補, 挿入, 削除, フォント切替, 単価フォント切替, 縁取).
//
// A click on one of these buttons takes the focus from the edit box that had it, so that box has
// stored its text (and the price box has moved on to the next tag) before the command runs. The
// commands that change the sheet also store the text of a box that still holds the focus (a button
// pressed through its access key), so that nothing typed lands in another record later.
#include "desktop/editor/editor_window.h"

#include "core/sheet/edit_commands.h"
#include "desktop/editor/control_names.h"
#include "desktop/editor/edit_box.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace desktop {

namespace {

const QString kInsertRefused = QStringLiteral("最後尾にデータがあります。挿入できません。");
const QString kInsertRefusedTitle = QStringLiteral("エラー");
const QString kDeleteQuestion = QStringLiteral("削除しますか?。");
const QString kDeleteTitle = QStringLiteral("削除");

// The border button names what its next click does.
QString borderCaption(bool bordered)
{
    return bordered ? QStringLiteral("縁取りしない") : QStringLiteral("カラーで縁取りする");
}

}  // namespace

void EditorWindow::wireEditCommands()
{
    const struct {
        const char* name;
        void (EditorWindow::*command)();
    } buttons[] = {
        {"クリア", &EditorWindow::clearTag},
        {"コピー", &EditorWindow::copyPreviousTag},
        {"前候補", &EditorWindow::offerPreviousCandidate},
        {"挿入", &EditorWindow::insertTag},
        {"削除", &EditorWindow::deleteTag},
        {"フォント切替", &EditorWindow::chooseNameFont},
        {"単価フォント切替", &EditorWindow::choosePriceFont},
        {"縁取", &EditorWindow::switchBorder},
    };
    for (const auto& b : buttons) {
        connect(control<QPushButton>(QString::fromUtf8(b.name)), &QPushButton::clicked, this,
                [this, command = b.command] { (this->*command)(); });
    }
}

void EditorWindow::refreshAfterEdit()
{
    // After a click the button has the focus, and refreshPreview's move to Text1 runs Text1's turn.
    // When an edit box still holds the focus, its text was stored ahead and its turn ends here,
    // Text1's turn running in full even when Text1 is that box.
    if (qobject_cast<EditBox*>(focusOwner_.data()) != nullptr) {
        focusJanBox();
    } else {
        refreshPreview();
    }
}

QLabel* EditorWindow::nameFontLabel() const
{
    return control<QLabel>(names::nameFontLabel(format().isLarge()));
}

QLabel* EditorWindow::priceFontLabel() const
{
    return control<QLabel>(names::priceFontLabel(format().isLarge()));
}

void EditorWindow::clearTag()
{
    storePendingEdit();
    sheet::clearCurrent(sheet_);
    showCurrentRecord();
    refreshAfterEdit();
}

void EditorWindow::copyPreviousTag()
{
    switch (sheet::copyPreviousStatus(sheet_)) {
    case sheet::CopyStatus::atFirstTag:
        focusJanBox();
        return;
    case sheet::CopyStatus::previousEmpty:
        return;  // the focus stays where it is
    case sheet::CopyStatus::copied:
        break;
    }
    storePendingEdit();
    sheet::copyPrevious(sheet_);
    focusJanBox();  // shows the tag after the copy
}

void EditorWindow::offerPreviousCandidate()
{
    const std::optional<QString> value = sheet::takePreviousCandidate(sheet_);
    if (!value) {
        return;
    }
    const std::optional<sheet::Field> field = sheet_.focusedField;
    const auto it
        = std::find_if(boxes_.begin(), boxes_.end(), [field](EditBox* b) { return b->entry().field == field; });
    if (it != boxes_.end()) {
        (*it)->showText(*value);
    }
    // The focus stays on the button, so another press offers the record before that one.
}

void EditorWindow::insertTag()
{
    storePendingEdit();
    if (!sheet::insertAtCurrent(sheet_)) {
        dialogs_->message(this, kInsertRefused, kInsertRefusedTitle, desktop::MessageIcon::stop,
                          desktop::MessageButtons::ok);
        focusJanBox();
        return;
    }
    refreshAfterEdit();
}

void EditorWindow::deleteTag()
{
    const desktop::MessageAnswer answer = dialogs_->message(this, kDeleteQuestion, kDeleteTitle,
                                                            desktop::MessageIcon::stop, desktop::MessageButtons::yesNo);
    if (answer != desktop::MessageAnswer::yes) {
        focusJanBox();
        return;
    }
    storePendingEdit();
    sheet::deleteCurrent(sheet_);
    refreshAfterEdit();
}

void EditorWindow::chooseNameFont()
{
    // A dialog that fails without a usable answer counts as cancelled.
    const std::optional<desktop::FontChoice> choice = dialogs_->chooseFont(this);
    if (!choice || !sheet::applyNameFont(sheet_, choice->face)) {
        focusJanBox();
        return;
    }
    nameFontLabel()->setText(choice->face);  // as the dialog named it, "@" and all
    refreshAfterEdit();
}

void EditorWindow::choosePriceFont()
{
    const std::optional<desktop::FontChoice> choice = dialogs_->chooseFont(this);
    if (!choice || !sheet::applyPriceFont(sheet_, choice->face, choice->pointSize)) {
        focusJanBox();
        return;
    }
    priceFontLabel()->setText(choice->face);
    refreshAfterEdit();
}

void EditorWindow::switchBorder()
{
    auto* button = control<QPushButton>(names::kBorderButton);
    if (sheet_.bordered) {
        // The colour is kept; switching the border on again asks for one all the same.
        sheet_.bordered = false;
        button->setText(borderCaption(false));
        refreshAfterEdit();
        return;
    }
    const std::optional<draw::Colour> colour = dialogs_->chooseColour(this);
    if (!colour) {
        return;  // still off, the preview as it was, the focus on the button
    }
    sheet_.bordered = true;
    sheet_.borderColor = *colour;
    button->setText(borderCaption(true));
    refreshAfterEdit();
}

}  // namespace desktop
