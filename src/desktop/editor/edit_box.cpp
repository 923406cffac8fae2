#include "desktop/editor/edit_box.h"

#include <QKeyEvent>
#include <QValidator>

#include <algorithm>

namespace desktop {

// Applies the typing rules to every change the user makes, whichever way it comes (keys, paste,
// drop, input method). Texts that the system puts in pass unchanged.
class EditBox::TypingFilter : public QValidator {
public:
    explicit TypingFilter(EditBox& box) : QValidator(&box), box_(box) { }

    State validate(QString& input, int& pos) const override
    {
        if (box_.systemText_ || input == box_.lastText_) {
            return Acceptable;
        }
        const auto edit = sheet::filterBoxEdit(box_.lastText_, input, box_.entry_->maxLength, box_.takesDigitCodes());
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
    // The JAN and price boxes take codes and digits only: the input method is switched off for
    // them, so that keys arrive as typed whatever mode it was left in. The 規格 (size) and lot
    // boxes may still need a Japanese word now and then; they only ask for Latin entry, a hint that
    // touch keyboards follow and that the desktop input methods of X11 and Wayland (IBus, Fcitx)
    // ignore, leaving their mode as the user set it. Full-width digits that reach the JAN or price
    // box all the same (pasted) are made half-width by the typing filter.
    if (takesDigitCodes()) {
        setAttribute(Qt::WA_InputMethodEnabled, false);
        setInputMethodHints(isPriceBox() ? Qt::ImhDigitsOnly
                                         : Qt::ImhPreferNumbers | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
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
    if ((event->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) == Qt::AltModifier && !event->text().isEmpty()) {
        // Alt with a letter is an access key, also one whose button is disabled now: it types
        // nothing. (Ctrl+Alt is AltGr on some keyboards, which types.)
        event->ignore();
        return;
    }
    if (isPriceBox() && key != Qt::Key_Delete) {
        // Every typed character but a digit is discarded, Backspace included; keys that type
        // nothing (arrows, Home, End, Delete) keep their editing role.
        const QString typed = sheet::halfWidthDigits(event->text());
        if (key == Qt::Key_Backspace
            || (!typed.isEmpty() && !std::all_of(typed.cbegin(), typed.cend(), sheet::isPriceDigit))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace desktop
