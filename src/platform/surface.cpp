#include "platform/surface.h"

namespace platform {

void Surface::print(const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    doText(currentX_, currentY_, text);
}

}  // namespace platform
