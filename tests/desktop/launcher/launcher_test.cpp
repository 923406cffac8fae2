#include "core/sheet/tag_sheet.h"
#include "desktop/editor/editor_window.h"
#include "desktop/launcher/credits_roll.h"
#include "desktop/launcher/help_window.h"
#include "desktop/launcher/launcher_window.h"
#include "desktop/window_registry.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

using desktop::CreditsRoll;

namespace {

// A credits text 3000 twips wide and 9000 (first pass) or 3240 (second pass) twips high.
CreditsRoll::Size fakeMeasure(int pt)
{
    return {3000, pt * 180};
}

void closeAllWindows()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        w->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

TEST(CreditsRoll, FirstPassRollsFromBelowThePanelUntilItHasLeftIt)
{
    CreditsRoll roll(11385, 5985, fakeMeasure);
    roll.start();
    EXPECT_EQ(roll.pointSize(), 50);
    EXPECT_EQ(roll.top(), 5985);
    EXPECT_EQ(roll.left(), (11385 - 3000) / 2);
    EXPECT_EQ(roll.height(), 9000);
    EXPECT_EQ(roll.passes(), 0);

    // 5985 - 10k < -9000 first at k = 1499 (top -9005); the tick after restarts the strip.
    int ticks = 0;
    while (roll.passes() == 0) {
        ASSERT_TRUE(roll.tick());
        ++ticks;
    }
    EXPECT_EQ(ticks, 1500);
    EXPECT_EQ(roll.pointSize(), 18);
    EXPECT_EQ(roll.height(), 3240);
    EXPECT_EQ(roll.top(), 5985);
    EXPECT_EQ(roll.left(), (11385 - 3000) / 2);
}

TEST(CreditsRoll, SecondPassComesToRestJustBelow1755Twips)
{
    for (int panelHeight : {5985, 6000, 5991}) {
        CreditsRoll roll(11385, panelHeight, fakeMeasure);
        roll.start();
        int guard = 0;
        while (roll.tick()) {
            ASSERT_LT(++guard, 100000);
        }
        EXPECT_EQ(roll.passes(), 1);
        EXPECT_GE(roll.top(), 1745) << panelHeight;
        EXPECT_LT(roll.top(), 1755) << panelHeight;
        // Once at rest, further ticks change nothing.
        const int top = roll.top();
        EXPECT_FALSE(roll.tick());
        EXPECT_EQ(roll.top(), top);
    }
}

struct MeasureRow {
    const char* what;
    std::function<void(CreditsRoll&)> steps;
    std::vector<int> measured;  // the point sizes measured, in order
};

TEST(CreditsRoll, TheTextIsMeasuredOncePerPassAndOnlyWhenItsPlaceIsAskedFor)
{
    const auto ticks = [](int n) {
        return [n](CreditsRoll& roll) {
            for (int i = 0; i < n; ++i) {
                roll.tick();
            }
        };
    };
    const MeasureRow rows[] = {
        {"started only", [](CreditsRoll&) {}, {}},
        {"its top asked for", [](CreditsRoll& roll) { (void)roll.top(); }, {}},
        {"its place asked for twice",
         [](CreditsRoll& roll) {
             (void)roll.left();
             (void)roll.width();
             (void)roll.height();
         },
         {50}},
        {"a tick", ticks(1), {50}},
        {"the first pass rolled through", ticks(1501), {50, 18}},
        {"started again",
         [](CreditsRoll& roll) {
             (void)roll.height();
             roll.start();
             (void)roll.left();
         },
         {50, 50}},
    };
    for (const MeasureRow& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<int> measured;
        CreditsRoll roll(11385, 5985, [&measured](int pt) {
            measured.push_back(pt);
            return fakeMeasure(pt);
        });
        roll.start();
        row.steps(roll);
        EXPECT_EQ(measured, row.measured);
    }
}

class WindowsTest : public ::testing::Test {
protected:
    void TearDown() override { closeAllWindows(); }
};

TEST_F(WindowsTest, LauncherShowsItsButtonsAndStartsTheRoll)
{
    auto* launcher = desktop::showLauncher();
    EXPECT_EQ(launcher->windowTitle(), QStringLiteral("プリコラ８．０"));
    auto* command1 = launcher->findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* command2 = launcher->findChild<QPushButton*>(QStringLiteral("Command2"));
    auto* command4 = launcher->findChild<QPushButton*>(QStringLiteral("Command4"));
    auto* command5 = launcher->findChild<QPushButton*>(QStringLiteral("Command5"));
    ASSERT_TRUE(command1 && command2 && command4 && command5);
    EXPECT_EQ(command1->text(), QStringLiteral("大きい棚札作成"));
    EXPECT_EQ(command2->text(), QStringLiteral("小さい棚札作成"));
    EXPECT_EQ(command4->text(), QStringLiteral("終了"));
    EXPECT_EQ(command5->text(), QStringLiteral("使い方ガイド"));
    EXPECT_EQ(command5->toolTip(), desktop::LauncherWindow::supportAddress());
    EXPECT_EQ(command1->geometry(), QRect(80, 472, 129, 57));
    EXPECT_NE(launcher->findChild<QAction*>(QStringLiteral("HELP1")), nullptr);
    EXPECT_TRUE(launcher->timer()->isActive());
    EXPECT_EQ(launcher->timer()->interval(), 10);
    EXPECT_EQ(launcher->credits().pointSize(), 50);
    EXPECT_EQ(desktop::LauncherWindow::creditsText().count(QStringLiteral("\r\n")), 9);
}

TEST_F(WindowsTest, LauncherRollStopsWhenDrivenToTheEnd)
{
    auto* launcher = desktop::showLauncher();
    launcher->timer()->stop();
    int guard = 0;
    while (launcher->credits().running()) {
        launcher->advanceCredits();
        ASSERT_LT(++guard, 100000);
    }
    EXPECT_EQ(launcher->credits().passes(), 1);
    EXPECT_EQ(launcher->credits().pointSize(), 18);
    EXPECT_GE(launcher->credits().top(), 1745);
    EXPECT_LT(launcher->credits().top(), 1755);
    auto* strip = launcher->findChild<QWidget*>(QStringLiteral("Picture2"));
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisible());
    // The strip stays centred on the panel.
    const int panelWidth = strip->parentWidget()->width();
    EXPECT_LE(std::abs(strip->x() * 2 + strip->width() - panelWidth), 2);
}

TEST_F(WindowsTest, EachWindowExistsOnceAndKeepsItsData)
{
    auto* launcher = desktop::showLauncher();
    launcher->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    auto* editor = desktop::openEditor(sheet::SheetFormat::large);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->objectName(), QStringLiteral("大きい棚札"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("大きい棚札  無題"));
    editor->sheet().record(3).productName = QStringLiteral("りんご");

    launcher->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(desktop::openEditor(sheet::SheetFormat::large), editor);
    EXPECT_EQ(editor->sheet().record(3).productName, QStringLiteral("りんご"));

    launcher->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    auto* small = desktop::openEditor(sheet::SheetFormat::small);
    ASSERT_NE(small, nullptr);
    EXPECT_NE(small, editor);
    EXPECT_EQ(small->objectName(), QStringLiteral("小棚札"));
    EXPECT_EQ(small->windowTitle(), QStringLiteral("小さい棚札  無題"));
    EXPECT_EQ(small->sheet().records.size(), 40u);

    launcher->findChild<QAction*>(QStringLiteral("HELP1"))->trigger();
    launcher->findChild<QAction*>(QStringLiteral("HELP1"))->trigger();
    int helpWindows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        helpWindows += w->objectName() == QStringLiteral("help01") && w->isVisible();
    }
    EXPECT_EQ(helpWindows, 1);
    EXPECT_EQ(desktop::openHelp()->windowTitle(), QStringLiteral("使い方"));
}

TEST_F(WindowsTest, ClosingTheLauncherLeavesTheOthersAndAClosedEditorStartsAfresh)
{
    auto* launcher = desktop::showLauncher();
    launcher->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    desktop::showHelp();
    auto* editor = desktop::openEditor(sheet::SheetFormat::large);
    editor->sheet().record(1).productName = QStringLiteral("みかん");

    launcher->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(desktop::openLauncher(), nullptr);
    ASSERT_NE(desktop::openEditor(sheet::SheetFormat::large), nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_NE(desktop::openHelp(), nullptr);

    editor->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(desktop::openEditor(sheet::SheetFormat::large), nullptr);
    auto* again = desktop::showEditor(sheet::SheetFormat::large);
    EXPECT_TRUE(again->sheet().record(1).productName.isEmpty());
}

TEST_F(WindowsTest, TheProgramEndsWhenItsLastWindowCloses)
{
    auto* launcher = desktop::showLauncher();
    desktop::showEditor(sheet::SheetFormat::small);
    bool runningAfterLauncherClosed = false;
    bool timedOut = false;
    QTimer::singleShot(0, launcher, [launcher] { launcher->close(); });
    QTimer::singleShot(50, qApp, [&] {
        runningAfterLauncherClosed = true;
        desktop::openEditor(sheet::SheetFormat::small)->close();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(5000);
    const int rc = QApplication::exec();
    EXPECT_TRUE(runningAfterLauncherClosed);
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(rc, 0);
}

TEST_F(WindowsTest, CaptionsAreNotCutByTheFont)
{
    auto* launcher = desktop::showLauncher();
    auto* command5 = launcher->findChild<QPushButton*>(QStringLiteral("Command5"));
    EXPECT_GE(command5->width(), command5->sizeHint().width());
    auto* help = desktop::showHelp();
    for (const char* name : {"Label1", "Label2"}) {
        auto* label = help->findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr);
        EXPECT_GE(label->width(), label->sizeHint().width()) << name;
        EXPECT_LE(label->geometry().right(), help->width()) << name;
    }
}
