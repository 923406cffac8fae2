#include "desktop/launcher/user_guide.h"

#include "build_config.h"
#include "desktop/dialogs/dialogs.h"
#include "desktop/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace desktop {

QString findUserGuide(const QString& programDir, const std::function<bool(const QString&)>& exists)
{
    const QDir dir(programDir);
    const QString installed = QDir::cleanPath(dir.filePath(QString::fromUtf8(build_config::kGuideFromBinDir)));
    const QString inBuildFolder = QDir::cleanPath(dir.filePath(QStringLiteral("guide/index.html")));
    for (const QString& candidate : {installed, inBuildFolder}) {
        if (exists(candidate)) {
            return candidate;
        }
    }
    return installed;
}

QString userGuideAddress()
{
    const QString path
        = findUserGuide(QCoreApplication::applicationDirPath(), [](const QString& p) { return QFileInfo(p).isFile(); });
    return QUrl::fromLocalFile(path).toString();
}

QString missingGuideMessage(const QString& path)
{
    return QStringLiteral("使い方ガイドが見つかりません。\n%1").arg(path);
}

void openUserGuide(QWidget* parent, const QString& address, desktop::Dialogs& dialogs)
{
    const QUrl url(address);
    if (url.isLocalFile() && !dialogs.fileExists(url.toLocalFile())) {
        dialogs.message(parent, missingGuideMessage(url.toLocalFile()), QStringLiteral("エラー"),
                        desktop::MessageIcon::stop, desktop::MessageButtons::ok);
        return;
    }
    desktop::shellOpen(address);
}

}  // namespace desktop
