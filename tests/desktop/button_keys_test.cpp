// Enter on a focused command button presses it, in the editors and the launcher.
#include "desktop/button_keys.h"

#include "desktop/launcher/launcher_window.h"
#include "desktop/window_registry.h"
#include "support/editor_test_support.h"

#include <QKeyEvent>
#include <QSignalSpy>

namespace {

int clicksAfter(QPushButton& button, Qt::Key key, Qt::KeyboardModifiers modifiers, bool autoRepeat = false)
{
    QSignalSpy clicked(&button, &QPushButton::clicked);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r"),
                    autoRepeat);
    QApplication::sendEvent(&button, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(&button, &release);
    return int(clicked.count());
}

}  // namespace

TEST(ButtonKeys, EnterPressesOnceWithoutModifiersAndOnlyWhenEnabled)
{
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
        bool enabled;
        int clicks;
    } rows[] = {
        {Qt::Key_Return, Qt::NoModifier, false, true, 1},    {Qt::Key_Enter, Qt::KeypadModifier, false, true, 1},
        {Qt::Key_Return, Qt::ShiftModifier, false, true, 0}, {Qt::Key_Return, Qt::ControlModifier, false, true, 0},
        {Qt::Key_Return, Qt::NoModifier, true, true, 0},  // held down: the first press counted
        {Qt::Key_Return, Qt::NoModifier, false, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.key) + " modifiers " + std::to_string(row.modifiers.toInt()));
        QPushButton button(QStringLiteral("押す"));
        desktop::pressOnEnter(&button);
        button.setEnabled(row.enabled);
        EXPECT_EQ(clicksAfter(button, row.key, row.modifiers, row.autoRepeat), row.clicks);
    }
}

TEST(ButtonKeys, EditorButtonsAndLauncherButtonsTakeEnter)
{
    for (const sheet::SheetFormat* format : editor_test::kFormats) {
        editor_test::OpenEditor e(*format);
        ASSERT_TRUE(e.activated);
        e.button(QStringLiteral("Cmdnext"))->setFocus();
        e.key(Qt::Key_Return);
        EXPECT_EQ(e.sheet().current, 2);
        e.button(QStringLiteral("Cmdlast"))->setFocus();
        e.key(Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(e.sheet().current, format->tagsPerPage);
        // Edit boxes keep their own Enter: on to the next box.
        e.box(sheet::Field::jan)->setFocus();
        e.key(Qt::Key_Return);
        EXPECT_EQ(e.focused(), e.box(sheet::Field::maker));
    }

    auto* launcher = desktop::showLauncher();
    auto* largeEditorButton = launcher->findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(largeEditorButton, nullptr);
    EXPECT_EQ(launcher->focusWidget(), largeEditorButton);  // the first of the Tab order
    EXPECT_EQ(clicksAfter(*largeEditorButton, Qt::Key_Return, Qt::NoModifier), 1);
    EXPECT_NE(desktop::openEditor(sheet::SheetFormat::large), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        w->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
