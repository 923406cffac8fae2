#include "desktop/start_warm_up.h"

#include "core/codepage/code_page_932.h"

#include <QByteArray>
#include <QStringDecoder>

#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#define TANAFUDA_HAVE_DLSYM 1
#endif

namespace desktop {

namespace {

// Fontconfig is there where Qt's font database uses it (Linux and the BSDs), loaded with Qt's GUI
// library; it is looked up rather than linked, so that nothing new is linked for it. FcInit is safe
// to call from any thread, and again: Qt's own call then finds the configuration loaded.
void initialiseFontconfig()
{
#ifdef TANAFUDA_HAVE_DLSYM
    using FcInitFunction = int (*)();
    if (const auto fcInit = reinterpret_cast<FcInitFunction>(::dlsym(RTLD_DEFAULT, "FcInit"))) {
        fcInit();
    }
#endif
}

void loadCodePage932()
{
    QStringDecoder decoder = codepage::codePage932Decoder();
    const QString text = decoder.decode(QByteArray("\x92\x49\x8e\x44", 4));  // 棚札
    Q_UNUSED(text);
}

}  // namespace

std::jthread startWarmUp()
{
    return std::jthread([] {
        initialiseFontconfig();
        loadCodePage932();
    });
}

}  // namespace desktop
