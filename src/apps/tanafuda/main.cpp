#include "build_config.h"
#include "desktop/deferred_icon_style.h"
#include "desktop/dialogs/dialogs.h"
#include "desktop/program_start.h"
#include "desktop/start_warm_up.h"
#include "desktop/window_registry.h"
#include "output/fonts.h"
#include "window_icon_pixels.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

void say(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QStringList rawArguments(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    return args;
}

// On X11 and Wayland systems Qt ends with a bare platform error when there is no display; say
// plainly what to do instead. Elsewhere (Windows, macOS) there always is a screen to show on.
bool haveDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// The program's own icon, the one the icon theme is given at installation, at the sizes the window
// system is given. Not looked up in the icon theme: the first theme lookup reads the theme's index
// (some 10 ms before the first window on a two-core machine), for the same picture. Not read from a
// picture file either: the SVG engine and its library, or the first PNG (which makes Qt load every
// image-format plugin), cost some more milliseconds before the first window.
QIcon programIcon()
{
    QIcon icon;
    for (const window_icon::Picture& picture : window_icon::kPictures) {
        const QImage image(reinterpret_cast<const uchar*>(picture.pixels), picture.size, picture.size,
                           QImage::Format_ARGB32_Premultiplied);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace

int main(int argc, char* argv[])
{
    using Action = desktop::ProgramArguments::Action;
    // --help and --version answer without a display.
    const desktop::ProgramArguments early = desktop::parseProgramArguments(rawArguments(argc, argv));
    if (early.action == Action::help) {
        say(stdout, desktop::programHelpText());
        return 0;
    }
    if (early.action == Action::version) {
        say(stdout, desktop::programVersionText());
        return 0;
    }
    if (!haveDisplay()) {
        say(stderr,
            QStringLiteral("tanafuda: 画面（ディスプレイ）が見つかりません。\n"
                           "tanafuda: no display found. Start it on a desktop, or without one under a virtual\n"
                           "          display:  xvfb-run -a tanafuda\n"));
        return 1;
    }
    // Fontconfig and the code page's tables are made ready on the other core while Qt connects.
    const std::jthread warmUp = desktop::startWarmUp();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tanafuda"));
    QApplication::setApplicationVersion(QString::fromLatin1(build_config::kVersion));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(build_config::kDesktopId));
    QApplication::setWindowIcon(programIcon());
    QApplication::setStyle(new desktop::DeferredIconStyle);
    // Qt has now taken the options of the window system out of the arguments.
    const desktop::ProgramArguments args = desktop::parseProgramArguments(QApplication::arguments());
    if (args.action == Action::usageError) {
        say(stderr, QStringLiteral("tanafuda: %1\n\n").arg(args.error) + desktop::programHelpText());
        return 1;
    }
    output::installFontSubstitutions();
    output::installTranslations(app);
    desktop::QtDialogs dialogs;
    if (args.sheetPath.isEmpty()) {
        desktop::showLauncher();
    } else {
        desktop::startWithSheetFile(args.sheetPath, dialogs);
    }
    return QApplication::exec();
}
