#pragma once

// The access keys of a window's controls: for each control a person reaches with Tab, the key
// after "&" in its own text or in the label that names it (a null character when it has none).

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <vector>

namespace access_keys {

inline QChar keyOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (text.at(i + 1) != u'&') {
                return text.at(i + 1).toUpper();
            }
            ++i;
        }
    }
    return {};
}

struct ControlKey {
    QString control;  // object name, or the text of an unnamed button
    QChar key;
};

inline std::vector<ControlKey> controlKeys(const QWidget& window)
{
    std::vector<ControlKey> out;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const bool part = qobject_cast<QAbstractSpinBox*>(widget->parentWidget())
                          || qobject_cast<QComboBox*>(widget->parentWidget());
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget)
                             || qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget)
                             || qobject_cast<QAbstractItemView*>(widget);
        if (part || !control || !(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(&window)) {
            continue;
        }
        QChar key;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            key = keyOf(button->text());
        }
        for (QLabel* label : window.findChildren<QLabel*>()) {
            if (key.isNull() && label->buddy() == widget) {
                key = keyOf(label->text());
            }
        }
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        out.push_back({widget->objectName().isEmpty() && button ? button->text() : widget->objectName(), key});
    }
    return out;
}

}  // namespace access_keys
