#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace desktop {
class Dialogs;
}

namespace desktop {

// What the desktop program was asked to do by its command line.
struct ProgramArguments {
    enum class Action { run, help, version, usageError };
    Action action = Action::run;
    QString sheetPath;  // the sheet file to open, absolute; empty: the launcher opens
    QString error;      // for usageError: what is wrong, in one line
};

// Reads the program's arguments (the program's own name first). --help and --version win over
// everything else before "--", so that they answer even next to options that only the window
// system understands. A "file:" address is taken as the local file it names.
ProgramArguments parseProgramArguments(const QStringList& arguments);

// The texts of --help and --version.
QString programHelpText();
QString programVersionText();

// Starts the program on a sheet file: the editor of the file's format opens with the file loaded.
// A file that is of neither format (or cannot be read) gets the reader's message through `dialogs`
// and the launcher opens instead, so the program never starts without a window. Returns the
// window that opened.
QWidget* startWithSheetFile(const QString& path, desktop::Dialogs& dialogs);

}  // namespace desktop
