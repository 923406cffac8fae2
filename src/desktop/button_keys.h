#pragma once

class QAbstractButton;

namespace desktop {

// Makes Enter (and the keypad's Enter) press `button` while it has the focus, as Space does and as
// desktop users expect of a focused command button.
void pressOnEnter(QAbstractButton* button);

}  // namespace desktop
