#pragma once

// The platform's standard dialogs, as the editor windows use them: printer, open and save, file
// existence, message box, font and colour. Windows reach them only through this interface, so that
// a test can answer them without a person in front of the screen.

#include "core/draw/surface.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QMessageBox;
class QPrinter;
class QWidget;

namespace desktop {

// What a window's file dialog remembers from one showing to the next while the window lives: the
// filter it offers, the choice among the filter's entries and the last file name.
struct FileDialogState {
    // Entries "description|pattern|", e.g. "テキスト ファイル (*.csv)|*.csv|すべてのファイル (*.*)|*.*|".
    // A text without "|" is a single description whose patterns are taken from its parentheses.
    QString filter = QStringLiteral("テキストファイル (*.csv)");
    int selectedFilter = 0;  // index of the entry the dialog shows, 0 for the first
    QString fileName = QStringLiteral("*.csv");
};

enum class MessageIcon { none, information, warning, stop };
enum class MessageButtons {
    ok,     // a single OK button
    yesNo,  // Yes and No, No being the default
};
enum class MessageAnswer { ok, yes, no };

struct FontChoice {
    QString face;  // as the dialog names it, a leading "@" (vertical writing) included
    double pointSize = 0.0;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The printer dialog for `printer`, whose settings the caller has prepared. True when the
    // user chose to print (the printer then holds the chosen printer and page), false on cancel.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;

    // The open and save dialogs. They start from `state` and leave the user's choices in it (the
    // selected filter entry, the chosen path). The chosen full path, or nothing on cancel. The save
    // dialog neither appends an extension nor asks about an existing file.
    virtual std::optional<QString> openFile(QWidget* parent, FileDialogState& state) = 0;
    virtual std::optional<QString> saveFile(QWidget* parent, FileDialogState& state) = 0;

    virtual bool fileExists(const QString& path) = 0;

    // The folder dialog, starting in `start`; the chosen folder, or nothing on cancel.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;

    // A modal message box; returns the button pressed (No when a Yes/No box is closed otherwise).
    virtual MessageAnswer message(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                                  MessageButtons buttons)
        = 0;

    // A modal question with buttons of its own (texts with their access keys, e.g. "はい(&Y)"); the
    // index of the button pressed, or `cancelIndex` when the box is closed otherwise. Enter presses
    // the button `defaultIndex` (a question whose answer writes something defaults to the harmless
    // one); the others take a click or their access key.
    virtual int choose(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                       const QStringList& buttons, int cancelIndex, int defaultIndex)
        = 0;

    // The font dialog (screen and printer fonts); nothing on cancel.
    virtual std::optional<FontChoice> chooseFont(QWidget* parent) = 0;

    // The colour dialog; the chosen colour as 0x00BBGGRR, or nothing on cancel.
    virtual std::optional<draw::Colour> chooseColour(QWidget* parent) = 0;
};

// The Qt implementation: QPrintDialog, QFileDialog, QMessageBox, QFontDialog, QColorDialog.
class QtDialogs : public Dialogs {
public:
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    std::optional<QString> openFile(QWidget* parent, FileDialogState& state) override;
    std::optional<QString> saveFile(QWidget* parent, FileDialogState& state) override;
    bool fileExists(const QString& path) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& start) override;
    MessageAnswer message(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                          MessageButtons buttons) override;
    int choose(QWidget* parent, const QString& text, const QString& title, MessageIcon icon, const QStringList& buttons,
               int cancelIndex, int defaultIndex) override;
    std::optional<FontChoice> chooseFont(QWidget* parent) override;
    std::optional<draw::Colour> chooseColour(QWidget* parent) override;
};

// The box QtDialogs::choose shows (also for pictures of it); its buttons in the order given, the
// one at `defaultIndex` the default (and focused, so that Space presses it too), the one at
// `cancelIndex` pressed by Escape.
std::unique_ptr<QMessageBox> choiceBox(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                                       const QStringList& buttons, int cancelIndex, int defaultIndex);

// The process's Qt dialogs, for windows that are not given others.
Dialogs& qtDialogs();

// The entries of a filter in the "description|pattern|..." form as Qt name filters
// ("description (pattern)"). A description that already ends with its pattern in parentheses is
// kept as it is; a text without "|" is one entry.
QStringList qtNameFilters(const QString& filter);

}  // namespace desktop
