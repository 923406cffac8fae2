// Preloaded into the desktop program by the start-up check (tests/apps/tanafuda): the program's
// event loop runs for a while once its first window is shown, then ends as if the window were
// closed, so that the check can see every library the program loaded to start.
//   TANAFUDA_TEST_RUN_MS  how long the event loop runs (default 1500 ms)

#include <QApplication>
#include <QTimer>

#include <dlfcn.h>

int QApplication::exec()
{
    using Exec = int (*)();
    static const auto real = reinterpret_cast<Exec>(::dlsym(RTLD_NEXT, "_ZN12QApplication4execEv"));
    const int ms = qEnvironmentVariableIntValue("TANAFUDA_TEST_RUN_MS");
    QTimer::singleShot(ms > 0 ? ms : 1500, qApp, [] { QCoreApplication::exit(0); });
    return real();
}
