#pragma once

#include <QWidget>

namespace windows {

// "使い方": tells the user that instructions and updates are on the support page whose address
// stands at the top of the launcher.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
};

}  // namespace windows
