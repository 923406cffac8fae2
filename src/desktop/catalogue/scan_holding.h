#pragma once

// A scanner is a keyboard: it types the digits and Enter into whatever has the focus. While one of
// the 棚チェック window's dialogs is open, the digits and the Enter that follows them are held back
// from the dialog (so that a scan never answers a question) and the scan waits; the window handles
// it, with its verdict and sound, as soon as the dialog closes. Digits typed into a text box of a
// dialog (a file name, a number of copies) are the user's own typing and reach it as usual.

#include "desktop/dialogs/dialogs.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <type_traits>

class QWidget;

namespace desktop {

// The window's dialogs, passed on to the real ones, counting how many are open: while one is, the
// scanner's keys are held back, and once the last has closed `closed` is called (from the event
// loop, once the command that asked has run to its end) to take the scans held.
class ScanHolding : public QObject, public Dialogs {
    Q_OBJECT
public:
    // Holds the keys of the application's every window but `window`'s own boxes.
    ScanHolding(Dialogs& real, QWidget* window, std::function<void()> closed);
    ~ScanHolding() override;

    bool open() const { return depth_ > 0; }
    // The scans complete with their Enter, waiting; and the digits of one still being typed.
    const QStringList& held() const { return held_; }
    QStringList takeHeld();
    QString takeTyping();

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template<class Show> std::invoke_result_t<const Show&> held(const Show& show);

    Dialogs& real_;
    QWidget* window_;
    std::function<void()> closed_;
    int depth_ = 0;
    QString typing_;
    QStringList held_;
};

}  // namespace desktop
