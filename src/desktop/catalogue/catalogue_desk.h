#pragma once

// What the controllers of the catalogue's windows work through: the window they ask their questions
// in and report to. The 商品マスタ window (catalogue_window.h) and the 棚チェック window
// (shelf_check_window.h) are each a frame of controls around the same controllers — the import
// (import_control.h), the print and its confirmation (print_control.h) and the take-down
// (takedown_control.h) — and give each of them a desk of their own.

#include "core/catalogue/catalogue.h"
#include "desktop/dialogs/dialogs.h"

#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace desktop {

struct CatalogueDesk {
    QWidget* window = nullptr;  // the parent of every question
    Dialogs* dialogs = nullptr;
    QString title;  // of its messages: 商品マスタ, 棚チェック
    // The catalogue the window has open; none while there is none.
    std::function<catalogue::Catalogue*()> catalogue;
    // A command's problem, shown until the next command; a note in the window's status line.
    std::function<void(const QString&)> showError;
    std::function<void(const QString&)> showNote;
    // A step of the window's own is written (the window's watch is not to tell it as another's).
    std::function<void()> wrote;
    // Shows the catalogue as it is now.
    std::function<void()> refresh;

    void message(const QString& text, MessageIcon icon = MessageIcon::information) const;
};

// A button of the windows' rows: its text with its access key, its object name, never pressed by
// an Enter meant for a box beside it.
QPushButton* commandButton(const QString& text, const QString& name, QWidget* parent);

// The red line above a window's controls that says what went wrong ("errorLabel"), hidden while
// it says nothing.
QLabel* makeErrorLabel(QWidget* parent);
void setErrorText(QLabel* label, const QString& text);

}  // namespace desktop
