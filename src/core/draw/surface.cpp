#include "core/draw/surface.h"

namespace draw {

void Surface::print(const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    doText(currentX_, currentY_, text);
}

}  // namespace draw
