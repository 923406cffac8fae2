#include "desktop/editor/editor_window.h"

#include "core/draw/draw_tag_sheet.h"
#include "core/jobs/product_lookup.h"
#include "core/settings/catalogue_address_setting.h"
#include "core/settings/tag_text_settings.h"
#include "desktop/button_keys.h"
#include "desktop/editor/control_names.h"
#include "desktop/editor/edit_box.h"
#include "desktop/editor/editor_layout.h"
#include "desktop/editor/preview_pane.h"
#include "desktop/modules/module_loading.h"
#include "desktop/twips.h"
#include "output/fonts.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>

#include <algorithm>

namespace desktop {

namespace {

// Focus changes that belong to the window as a whole, not to a move between its controls: the
// window deactivated or activated, a menu or a popup opened or closed.
bool isWindowLevelReason(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason;
}

bool takesFocus(ControlKind kind)
{
    return kind != ControlKind::label && kind != ControlKind::frame;
}

}  // namespace

EditorWindow::EditorWindow(const sheet::SheetFormat& format, QWidget* parent)
    : EditorWindow(format, desktop::qtDialogs(), parent)
{
    productLookup_ = catalogueLookupOnFirstUse([this] {
        QString problem;  // a damaged settings file names no catalogue: the default one is used
        return settings::CatalogueAddressSetting(settingsStore_).catalogueAddress(&problem);
    });
}

EditorWindow::EditorWindow(const sheet::SheetFormat& format, desktop::Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), sheet_(format), dialogs_(&dialogs)
{
    setObjectName(QString::fromUtf8(format.windowName));
    buildControls();
    buildMenu();
    wireEntry();
    wireNavigation();
    wirePreview();
    wireEditCommands();
    wireFileCommands();
    wireImportCommand();
    // A value of the file that cannot be used is said when the dialog 棚札の表示... is opened.
    sheet_.textChoices = settings::TagTextSettings(settingsStore_).tagTextChoices(nullptr);
    startUp();
}

EditorWindow::~EditorWindow()
{
    // Focus events sent while the controls are taken down must not reach the window's logic.
    for (QWidget* widget : std::as_const(controls_)) {
        widget->removeEventFilter(this);
    }
}

QString EditorWindow::startupTitle() const
{
    return format().isLarge() ? QStringLiteral("大きい棚札  ") : QStringLiteral("小さい棚札  ");
}

EditBox* EditorWindow::box(sheet::Field field) const
{
    const auto it = std::find_if(boxes_.begin(), boxes_.end(), [field](EditBox* b) { return b->field() == field; });
    return it == boxes_.end() ? nullptr : *it;
}

// A control of the layout on `parent`, as its kind makes it (the frame and the preview's parts are
// kept as they are made).
QWidget* EditorWindow::makeControl(const ControlSpec& spec, QWidget* parent)
{
    const QString caption = QString::fromUtf8(spec.caption);
    QWidget* widget = nullptr;
    switch (spec.kind) {
    case ControlKind::frame: {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        fieldFrame_ = frame;
        widget = frame;
        break;
    }
    case ControlKind::editBox: {
        const auto& entries = sheet::entryBoxes(format());
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&spec](const sheet::EntryBox& e) { return qstrcmp(e.name, spec.name) == 0; });
        Q_ASSERT(entry != entries.end());
        widget = new EditBox(*entry, parent);
        break;
    }
    case ControlKind::label:
        widget = new QLabel(caption, parent);
        // Labels show a sheet file's font names and the like: plain text, never markup.
        static_cast<QLabel*>(widget)->setTextFormat(Qt::PlainText);
        break;
    case ControlKind::button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        widget = button;
        break;
    }
    case ControlKind::pane:
        previewPane_ = new PreviewFrame(parent);
        widget = previewPane_;
        break;
    case ControlKind::page:
        previewPage_ = new PreviewPage(parent);
        widget = previewPage_;
        break;
    case ControlKind::scrollBar:
        previewScrollBar_ = new QScrollBar(Qt::Vertical, parent);
        widget = previewScrollBar_;
        break;
    }
    return widget;
}

void EditorWindow::buildControls()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setMinimumSize(px(kEditorClientWidthTwips), px(kEditorClientHeightTwips));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    std::vector<std::pair<int, QWidget*>> tabStops;
    for (const ControlSpec& spec : editorControls(format())) {
        QWidget* parent = client_;
        if (spec.container == Container::frame1) {
            parent = fieldFrame_;
        } else if (spec.container == Container::picFrame) {
            parent = previewPane_->inside();
        }
        const QString caption = QString::fromUtf8(spec.caption);
        QWidget* widget = makeControl(spec, parent);
        widget->setObjectName(QString::fromUtf8(spec.name));
        widget->setGeometry(twipsRect(spec.left, spec.top, spec.width, spec.height));
        widget->setEnabled(spec.enabled);
        if (spec.fontFace != nullptr) {
            QFont font = output::faceFont(QString::fromUtf8(spec.fontFace));
            font.setPointSizeF(spec.fontPt);
            widget->setFont(font);
        }
        if (spec.kind == ControlKind::label && !caption.isEmpty()) {
            // A caption a little wider in this platform's font than in the layout's is not cut.
            widget->resize(std::max(widget->width(), widget->sizeHint().width()), widget->height());
        }
        if (takesFocus(spec.kind)) {
            if (spec.kind != ControlKind::editBox && spec.kind != ControlKind::button) {
                widget->setFocusPolicy(Qt::StrongFocus);
            }
            widget->installEventFilter(this);
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                pressOnEnter(button);
            }
            tabStops.emplace_back(spec.tabIndex, widget);
        }
        controls_.insert(widget->objectName(), widget);
    }

    std::sort(tabStops.begin(), tabStops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < tabStops.size(); ++i) {
        QWidget::setTabOrder(tabStops[i - 1].second, tabStops[i].second);
    }

    for (const sheet::EntryBox& entry : sheet::entryBoxes(format())) {
        boxes_.push_back(control<EditBox>(QString::fromUtf8(entry.name)));
    }
    janBox_ = box(sheet::Field::jan);
    priceBox_ = box(sheet::Field::price);
    positionLabel_ = control<QLabel>(names::kPositionLabel);
    candidateButton_ = control<QPushButton>(names::kCandidateButton);
    previewPane_->setScrollBar(previewScrollBar_);

    // Below the client area, which keeps its size: the controls stay where they are.
    statusLine_ = statusBar();
    statusLine_->setObjectName(QStringLiteral("statusLine"));
}

void EditorWindow::buildMenu()
{
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(kFileMenuCaption));
    menu->setObjectName(QString::fromUtf8(kFileMenuName));
    for (const MenuEntrySpec& entry : fileMenuEntries()) {
        QAction* action = menu->addAction(QString::fromUtf8(entry.caption));
        action->setObjectName(QString::fromUtf8(entry.name));
        action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
        action->setShortcutContext(Qt::WindowShortcut);
        actions_.insert(action->objectName(), action);
    }
}

void EditorWindow::startUp()
{
    // The preview surface as large as the printed page, the pane and its scroll bar.
    previewPage_->setPageSize(a4PagePx());
    layoutPane();
    setUpScrollBar();

    sheet_.clearAll();
    sheet_.current = 1;
    sheet_.marginLeft = format().defaultMarginLeftMm;
    sheet_.marginTop = format().defaultMarginTopMm;
    sheet_.printOffsetX = 0;
    sheet_.printOffsetY = 0;
    showCurrentRecord();

    sheet_.fileName = sheet::kUntitled;
    updateCaption(startupTitle());
    setPositionLabel(format().initialPositionText());

    sheet_.bordered = false;
    control<QPushButton>(names::kBorderButton)->setText(QStringLiteral("カラーで縁取りする"));

    sheet_.nameFont = sheet::kMincho;
    sheet_.priceFont = sheet::kMincho;
    sheet_.priceFontSize = format().defaultPriceFontSizePt;
    if (format().isLarge()) {
        nameFontLabel()->setText(sheet::kMincho);
        priceFontLabel()->setText(sheet::kMincho);
    }

    // The empty page as the window opens, drawn when the page is first shown (or drawn on, as a
    // sheet file opened at start does) rather than before the window can appear.
    sheet_.restoreStartMargins();
    previewPage_->drawWhenNeeded([blank = sheet_](draw::Surface& surface) { draw::drawBlankSheet(blank, surface); });
}

void EditorWindow::updateCaption(const QString& title)
{
    setWindowTitle(title + sheet_.fileName);
}

void EditorWindow::setPositionLabel(const QString& text)
{
    positionLabel_->setText(text);
}

void EditorWindow::showCurrentRecord()
{
    const sheet::TagRecord& record = sheet_.currentRecord();
    for (EditBox* b : boxes_) {
        b->showText(sheet::fieldText(record, b->field()));
    }
}

// ---- Field entry ----

void EditorWindow::wireEntry()
{
    for (size_t i = 0; i < boxes_.size(); ++i) {
        EditBox* next = i + 1 < boxes_.size() ? boxes_[i + 1] : janBox_;
        connect(boxes_[i], &EditBox::enterPressed, this, [next] { next->setFocus(Qt::OtherFocusReason); });
    }
}

void EditorWindow::enterBox(EditBox* box)
{
    if (box == releasedBox_) {
        releasedBox_ = nullptr;
    }
    switch (box->field()) {
    case sheet::Field::jan:
        enterJanBox();
        break;
    case sheet::Field::price:
        selectWholeText(box);
        candidateButton_->setEnabled(false);
        break;
    default:
        candidateButton_->setEnabled(true);
        sheet_.focusedField = box->entry().field;
        sheet_.candidateIndex = sheet_.current;
        selectWholeText(box);
        break;
    }
}

void EditorWindow::enterJanBox()
{
    statusLine_->clearMessage();  // what it said was about the code last left here
    refreshPreview();
    outlineCurrentTag();
    setPositionLabel(sheet_.positionText());
    showCurrentRecord();
    candidateButton_->setEnabled(false);
    selectWholeText(janBox_);
}

void EditorWindow::leaveBox(EditBox* box)
{
    if (box == releasedBox_) {
        releasedBox_ = nullptr;
        return;
    }
    storeBoxText(box);
    if (box->isPriceBox()) {
        sheet::moveCurrent(sheet_, sheet::Move::next);
        refreshPreview();
    }
}

void EditorWindow::storeBoxText(EditBox* box)
{
    sheet::TagRecord& record = sheet_.currentRecord();
    switch (box->field()) {
    case sheet::Field::jan: {
        const bool typed = box->isModified();  // a text the system put in (a shown record) is not
        const QString completed = sheet::completeCheckDigit(box->text());
        if (completed != box->text()) {
            box->showText(completed);
        }
        record.jan = completed;
        if (typed) {
            fillFromCatalogue();
        }
        break;
    }
    case sheet::Field::price: {
        const sheet::PriceEntry entry = sheet::readPriceText(box->text());
        if (entry.text != box->text()) {
            box->showText(entry.text);
        }
        record.price = entry.price;
        break;
    }
    default:
        *sheet::textMember(record, box->field()) = box->text();
        break;
    }
}

void EditorWindow::fillFromCatalogue()
{
    statusLine_->clearMessage();
    sheet::TagRecord& record = sheet_.currentRecord();
    if (!productLookup_ || record.jan.isEmpty()) {
        return;
    }
    for (const QString& code : jobs::codesOfJanText(record.jan)) {
        const std::optional<catalogue::Product> product = productLookup_->find(code);
        if (!product) {
            continue;
        }
        const bool completed = code != record.jan;  // the check digit the user left out
        if (completed) {
            record.jan = code;
            janBox_->showText(code);
        }
        const std::vector<sheet::Field> filled = jobs::fillEmptyFields(record, product->tag, format());
        for (const sheet::Field field : filled) {
            if (EditBox* shown = box(field)) {
                shown->showText(sheet::fieldText(record, field));
            }
        }
        if (completed || !filled.empty()) {
            statusLine_->showMessage(QStringLiteral("商品マスタから入れました"));
        }
        return;
    }
}

void EditorWindow::selectWholeText(EditBox* box)
{
    box->selectAll();
}

void EditorWindow::outlineCurrentTag()
{
    const sheet::CellOrigin cell = sheet_.cellOrigin(sheet_.current);
    const double x = cell.xMm;
    const double y = cell.yMm;
    const double w = format().cellWidthMm;
    const double h = format().cellHeightMm;
    previewPage_->draw([&](draw::Surface& surface) {
        surface.setUnit(draw::Unit::millimetres);
        surface.setDrawWidth(5);
        surface.line(x, y, w, 0, draw::kBlue);
        surface.line(x, y, 0, h, draw::kBlue);
        surface.line(x, y + h, w, 0, draw::kBlue);
        surface.line(x + w, y, 0, h, draw::kBlue);
        surface.setDrawWidth(1);
    });
}

// ---- Focus ----

bool EditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            // When the previous control's turn sent the focus on (the price box to Text1), this
            // control never really had it: its own focus handling is skipped.
            if (!focusArrived(widget)) {
                return true;
            }
        }
        break;
    case QEvent::FocusOut:
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            if (!isWindowLevelReason(static_cast<QFocusEvent*>(event)->reason())) {
                focusLeft(widget);
            }
        }
        break;
    case QEvent::Shortcut:
        // A button's access key (Alt+C, Alt+M) presses it without moving the focus. A click first
        // takes the focus, so that the box being typed in stores its text (and the price box moves
        // on) before the command runs; the access key does the same here.
        if (auto* button = qobject_cast<QPushButton*>(watched)) {
            if (button->isEnabled() && (button->focusPolicy() & Qt::ClickFocus) && !button->hasFocus()) {
                button->setFocus(Qt::ShortcutFocusReason);
            }
        }
        break;
    case QEvent::ShortcutOverride:
        // The file menu's keys (Ctrl+V preview, Ctrl+A save as, ...) win over an edit box's own.
        if (isMenuShortcut(*static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
        break;
    case QEvent::Resize:
        if (watched == client_) {
            layoutPane();
            setUpScrollBar();
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool EditorWindow::focusArrived(QWidget* widget)
{
    if (widget == focusOwner_) {
        return true;  // back after a menu, a dialog or another program: nothing moved
    }
    if (QWidget* previous = focusOwner_) {
        // The focus was placed here while the window was inactive: end the previous turn first.
        focusOwner_ = nullptr;
        if (auto* previousBox = qobject_cast<EditBox*>(previous)) {
            leaveBox(previousBox);
        }
    }
    if (QApplication::focusWidget() != widget) {
        return false;
    }
    focusOwner_ = widget;
    if (auto* b = qobject_cast<EditBox*>(widget)) {
        enterBox(b);
    }
    return true;
}

void EditorWindow::focusLeft(QWidget* widget)
{
    if (widget != focusOwner_) {
        return;
    }
    focusOwner_ = nullptr;
    if (auto* b = qobject_cast<EditBox*>(widget)) {
        leaveBox(b);
    }
}

void EditorWindow::focusJanBox()
{
    if (focusOwner_ == nullptr && janBox_->hasFocus()) {
        focusOwner_ = janBox_;
    }
    if (focusOwner_ == janBox_) {
        enterBox(janBox_);
        return;
    }
    // In an active window the focus events follow at once; in an inactive one they come when the
    // window is activated again.
    janBox_->setFocus(Qt::OtherFocusReason);
}

void EditorWindow::dropPendingEdit()
{
    if (auto* b = qobject_cast<EditBox*>(focusOwner_.data())) {
        releasedBox_ = b;
    }
}

void EditorWindow::storePendingEdit()
{
    auto* b = qobject_cast<EditBox*>(focusOwner_.data());
    if (b == nullptr || b == releasedBox_) {
        return;
    }
    if (b->isModified()) {
        storeBoxText(b);
    }
    releasedBox_ = b;
}

bool EditorWindow::isMenuShortcut(const QKeyEvent& event) const
{
    const QKeySequence pressed(QKeyCombination(event.modifiers() & ~Qt::KeypadModifier, Qt::Key(event.key())));
    return std::any_of(actions_.cbegin(), actions_.cend(), [&pressed](const QAction* action) {
        return action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed;
    });
}

// ---- Navigation ----

void EditorWindow::wireNavigation()
{
    const struct {
        const char* name;
        sheet::Move move;
    } buttons[] = {
        {"cmdfirst", sheet::Move::first},
        {"cmdprevious", sheet::Move::previous},
        {"Cmdnext", sheet::Move::next},
        {"Cmdlast", sheet::Move::last},
    };
    for (const auto& b : buttons) {
        connect(control<QPushButton>(QString::fromLatin1(b.name)), &QPushButton::clicked, this,
                [this, move = b.move] { navigate(move); });
    }
}

void EditorWindow::navigate(sheet::Move move)
{
    // A click takes the focus from the box, which has stored its text already; a box that still
    // holds the focus stores into the tag it was typed for before the move.
    storePendingEdit();
    sheet::moveCurrent(sheet_, move);
    showCurrentRecord();
    focusJanBox();
}

}  // namespace desktop
