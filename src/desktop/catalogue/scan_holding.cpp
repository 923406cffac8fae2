#include "desktop/catalogue/scan_holding.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace desktop {

namespace {

// A digit as a scanner or a keyboard types it (half- or full-width).
bool isDigitKey(const QKeyEvent& key)
{
    const QString text = key.text();
    return text.size() == 1 && text.front().isDigit() && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

// Whether a widget takes text typed into it: a file name, a number of copies.
bool takesText(const QObject* object)
{
    return qobject_cast<const QLineEdit*>(object) != nullptr || qobject_cast<const QAbstractSpinBox*>(object) != nullptr
        || qobject_cast<const QTextEdit*>(object) != nullptr || qobject_cast<const QPlainTextEdit*>(object) != nullptr;
}

}  // namespace

ScanHolding::ScanHolding(Dialogs& real, QWidget* window, std::function<void()> closed)
    : real_(real), window_(window), closed_(std::move(closed))
{
    qApp->installEventFilter(this);
}

ScanHolding::~ScanHolding()
{
    qApp->removeEventFilter(this);
}

QStringList ScanHolding::takeHeld()
{
    return std::exchange(held_, {});
}

QString ScanHolding::takeTyping()
{
    return std::exchange(typing_, {});
}

template<class Show> std::invoke_result_t<const Show&> ScanHolding::held(const Show& show)
{
    ++depth_;
    auto answer = show();
    if (--depth_ == 0) {
        // Taken once the command that asked has run to its end.
        QTimer::singleShot(0, window_, closed_);
    }
    return answer;
}

bool ScanHolding::choosePrinter(QWidget* parent, QPrinter& printer)
{
    return held([&] { return real_.choosePrinter(parent, printer); });
}

std::optional<QString> ScanHolding::openFile(QWidget* parent, FileDialogState& state)
{
    return held([&] { return real_.openFile(parent, state); });
}

std::optional<QString> ScanHolding::saveFile(QWidget* parent, FileDialogState& state)
{
    return held([&] { return real_.saveFile(parent, state); });
}

bool ScanHolding::fileExists(const QString& path)
{
    return real_.fileExists(path);
}

std::optional<QString> ScanHolding::chooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    return held([&] { return real_.chooseFolder(parent, title, start); });
}

MessageAnswer ScanHolding::message(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                                   MessageButtons buttons)
{
    return held([&] { return real_.message(parent, text, title, icon, buttons); });
}

int ScanHolding::choose(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                        const QStringList& buttons, int cancelIndex, int defaultIndex)
{
    return held([&] { return real_.choose(parent, text, title, icon, buttons, cancelIndex, defaultIndex); });
}

std::optional<FontChoice> ScanHolding::chooseFont(QWidget* parent)
{
    return held([&] { return real_.chooseFont(parent); });
}

std::optional<draw::Colour> ScanHolding::chooseColour(QWidget* parent)
{
    return held([&] { return real_.chooseColour(parent); });
}

bool ScanHolding::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !open()) {
        return QObject::eventFilter(watched, event);
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && takesText(widget) && widget->window() != window_) {
        return false;  // a file name or a number typed into the dialog
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (isDigitKey(key)) {
        typing_ += key.text();
        return true;
    }
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && !typing_.isEmpty()) {
        // The scan's Enter: held with its digits, never pressing the dialog's button.
        held_ << std::exchange(typing_, {});
        return true;
    }
    return false;
}

}  // namespace desktop
