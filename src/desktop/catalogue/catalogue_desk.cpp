#include "desktop/catalogue/catalogue_desk.h"

#include <QLabel>
#include <QPushButton>

namespace desktop {

void CatalogueDesk::message(const QString& text, MessageIcon icon) const
{
    dialogs->message(window, text, title, icon, MessageButtons::ok);
}

QPushButton* commandButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* made = new QPushButton(text, parent);
    made->setObjectName(name);
    made->setAutoDefault(false);
    return made;
}

QLabel* makeErrorLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("errorLabel"));
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: #b00; font-weight: bold;"));
    label->setTextFormat(Qt::PlainText);
    label->hide();
    return label;
}

void setErrorText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

}  // namespace desktop
