#pragma once

#include <QWidget>

namespace desktop {

// "使い方": tells the user that instructions and updates are on the page whose address stands at
// the top of the launcher (the user guide), and links to that guide as well.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
};

}  // namespace desktop
