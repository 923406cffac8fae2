#pragma once

#include "core/sheet/field_entry.h"

#include <QLineEdit>

namespace desktop {

// One edit box of an editor window ("Text1" .. "Text7"). It keeps the user's typing to what a
// sheet file can hold and to the box's maximum length, consumes Enter (reported by enterPressed),
// and in the price box takes only the digits. What happens when it gains or loses the focus is
// the window's business.
class EditBox : public QLineEdit {
    Q_OBJECT
public:
    EditBox(const sheet::EntryBox& entry, QWidget* parent);
    ~EditBox() override;

    const sheet::EntryBox& entry() const { return *entry_; }
    sheet::Field field() const { return entry_->field; }
    bool isPriceBox() const { return entry_->field == sheet::Field::price; }
    // The JAN and price boxes: digits typed full-width are taken half-width.
    bool takesDigitCodes() const { return entry_->field == sheet::Field::jan || isPriceBox(); }

    // Puts a text into the box as the system does (showing a record, completing a check digit):
    // shown whole even when it is longer than the box takes from the keyboard.
    void showText(const QString& text);

signals:
    // Enter or the keypad's Enter was pressed; the key itself is consumed.
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class TypingFilter;
    friend class TypingFilter;

    const sheet::EntryBox* entry_;
    QString lastText_;         // the text before the change being validated
    bool systemText_ = false;  // showText() is putting a text in
};

}  // namespace desktop
