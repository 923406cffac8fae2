#pragma once

#include <QProxyStyle>

namespace desktop {

// The application's style, with the icons that a window makes at start but shows only now and
// then read when they are first drawn. The one such icon is the menu bar's extension button (the
// » for menus that do not fit), made with every menu bar. Reading any picture file the first time
// makes Qt load every image-format plugin (gif, ico, jpeg, svg with their libraries), because a
// plugin may claim a format before Qt's own reader: some milliseconds before the first window,
// for a button that stays hidden while the window is wide enough. Everything else is the style
// the program would have without it (the desktop's, or the one -style names).
class DeferredIconStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace desktop
