#pragma once

#include <thread>

namespace desktop {

// Starts, on another core, the work the first window will need and that does not touch Qt's own
// state: fontconfig reading its configuration and font caches (FcInit: some 28 million instructions,
// which Qt would otherwise spend when the first text is measured), and the code page 932
// tables a sheet file is read with. Call it just before the application object is made: Qt spends
// that time connecting to the display. The thread ends by itself; the object joins it.
std::jthread startWarmUp();

}  // namespace desktop
