#include "desktop/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace desktop {

void shellOpen(const QString& address)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

}  // namespace desktop
