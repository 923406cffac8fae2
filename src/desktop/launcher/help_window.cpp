#include "desktop/launcher/help_window.h"

#include "desktop/dialogs/dialogs.h"
#include "desktop/launcher/user_guide.h"
#include "desktop/twips.h"

#include <QLabel>

namespace desktop {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("help01"));
    setWindowTitle(QStringLiteral("使い方"));
    setFixedSize(px(4680), px(2175));

    auto* label1 = new QLabel(QStringLiteral("使い方やバージョンアップについては"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(twipsRect(720, 840, 3615, 375));
    widenToFit(label1);

    auto* label2 = new QLabel(QStringLiteral("画面の上のＵＲＬをクリックしてください"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(twipsRect(720, 1200, 3255, 375));
    widenToFit(label2);

    // The same guide that the launcher's address button opens, one click away.
    const QString address = userGuideAddress();
    auto* guideLink
        = new QLabel(QStringLiteral("<a href=\"%1\">使い方ガイドを開く</a>").arg(address.toHtmlEscaped()), this);
    guideLink->setObjectName(QStringLiteral("guideLink"));
    guideLink->setTextFormat(Qt::RichText);
    guideLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    guideLink->setGeometry(twipsRect(720, 1620, 3255, 375));
    widenToFit(guideLink);
    connect(guideLink, &QLabel::linkActivated, this, [this](const QString& link) {
        desktop::QtDialogs dialogs;
        openUserGuide(this, link, dialogs);
    });
}

}  // namespace desktop
