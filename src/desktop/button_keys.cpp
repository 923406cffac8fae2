#include "desktop/button_keys.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>

namespace desktop {

namespace {

class EnterPresses : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button == nullptr || !button->isEnabled()) {
            return false;
        }
        if (!key->isAutoRepeat()) {  // holding Enter down presses once
            button->click();
        }
        return true;
    }
};

EnterPresses& enterPresses()
{
    static auto* filter = new EnterPresses(QCoreApplication::instance());
    return *filter;
}

}  // namespace

void pressOnEnter(QAbstractButton* button)
{
    button->installEventFilter(&enterPresses());
}

}  // namespace desktop
