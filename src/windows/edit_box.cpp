#include "windows/edit_box.h"

#include <QKeyEvent>
#include <QValidator>

#include <algorithm>

namespace windows {

// Applies the typing rules to every change the user makes, whichever way it comes (keys, paste,
// drop, input method). Texts that the system puts in pass unchanged.
class EditBox::TypingFilter : public QValidator {
public:
    explicit TypingFilter(EditBox& box) : QValidator(&box), box_(box) {}

    State validate(QString& input, int& pos) const override
    {
        if (box_.systemText_ || input == box_.lastText_) {
            return Acceptable;
        }
        const auto edit = sheet::filterBoxEdit(box_.lastText_, input, box_.entry_->maxLength);
        if (!edit) {
            return Invalid;
        }
        if (edit->text != input) {
            input = edit->text;
            pos = edit->cursor;
        }
        return Acceptable;
    }

private:
    EditBox& box_;
};

EditBox::EditBox(const sheet::EntryBox& entry, QWidget* parent) : QLineEdit(parent), entry_(&entry)
{
    setObjectName(QString::fromUtf8(entry.name));
    setValidator(new TypingFilter(*this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { lastText_ = text; });

    // The input method: hiragana entry for the maker and product names, direct entry elsewhere.
    // Qt has no hint that asks for hiragana; those boxes leave the input method as the user set it.
    if (isPriceBox()) {
        setAttribute(Qt::WA_InputMethodEnabled, false);
        setInputMethodHints(Qt::ImhDigitsOnly);
    } else if (!entry.japaneseInput) {
        setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    }
}

EditBox::~EditBox() = default;

void EditBox::showText(const QString& text)
{
    systemText_ = true;
    setText(text);
    systemText_ = false;
}

void EditBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    if (isPriceBox() && key != Qt::Key_Delete) {
        // Every typed character but a digit is discarded, Backspace included; keys that type
        // nothing (arrows, Home, End, Delete) keep their editing role.
        const QString typed = event->text();
        if (key == Qt::Key_Backspace
            || (!typed.isEmpty() && !std::all_of(typed.cbegin(), typed.cend(), sheet::isPriceDigit))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace windows
