#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace desktop {
class Dialogs;
}

namespace desktop {

// The user guide, one HTML page. Installed, it lies in the documentation folder, found relative to
// the folder of the program; in a build folder the build copies it to guide/ beside the program.
// The first of these that exists, or the installed place when neither does.
QString findUserGuide(const QString& programDir, const std::function<bool(const QString&)>& exists);

// The guide of the running program as a file:// address.
QString userGuideAddress();

// Hands a file:// address of the guide to the desktop; a guide that is missing is reported through
// `dialogs` instead of failing silently.
void openUserGuide(QWidget* parent, const QString& address, desktop::Dialogs& dialogs);

// The message shown when the guide at `path` is missing.
QString missingGuideMessage(const QString& path);

}  // namespace desktop
