#include "platform/fonts.h"
#include "windows/window_registry.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt ends with a bare platform error when there is no display; say plainly what to do instead.
bool haveDisplay()
{
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!haveDisplay()) {
        std::fputs("tanafuda: 画面（ディスプレイ）が見つかりません。\n"
                   "tanafuda: no display found. Start it on a desktop, or without one under a virtual\n"
                   "          display:  xvfb-run -a build/tanafuda\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tanafuda"));
    platform::installFontSubstitutions();
    platform::installTranslations(app);
    windows::showLauncher();
    return QApplication::exec();
}
