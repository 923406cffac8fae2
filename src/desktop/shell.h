#pragma once

#include <QString>

namespace desktop {

// Hands `address` to the desktop's default handler ("open"). The result is not examined: when
// nothing can open it, nothing happens.
void shellOpen(const QString& address);

}  // namespace desktop
