#include "desktop/program_start.h"

#include "core/files/sheet_file.h"
#include "desktop/editor/edit_box.h"
#include "desktop/editor/editor_window.h"
#include "desktop/launcher/help_window.h"
#include "desktop/launcher/launcher_window.h"
#include "desktop/launcher/user_guide.h"
#include "desktop/window_registry.h"
#include "support/fake_dialogs.h"
#include "support/sample_records.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using Action = desktop::ProgramArguments::Action;

namespace {

void closeAllWindows()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        w->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString inCurrentDir(const QString& name)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(name));
}

}  // namespace

TEST(ProgramArguments, HelpVersionFileAndMistakes)
{
    struct Row {
        QStringList args;  // after the program's name
        Action action;
        QString path;   // expected sheet path
        QString error;  // a part of the expected error
    };
    const Row rows[] = {
        {{}, Action::run, {}, {}},
        {{QStringLiteral("tana.csv")}, Action::run, inCurrentDir(QStringLiteral("tana.csv")), {}},
        {{QStringLiteral("/tmp/../tmp/a b.csv")}, Action::run, QStringLiteral("/tmp/a b.csv"), {}},
        {{QStringLiteral("file:///tmp/%E6%A3%9A%20札.csv")}, Action::run, QStringLiteral("/tmp/棚 札.csv"), {}},
        {{QStringLiteral("--help")}, Action::help, {}, {}},
        {{QStringLiteral("tana.csv"), QStringLiteral("-h")}, Action::help, {}, {}},
        {{QStringLiteral("--version")}, Action::version, {}, {}},
        {{QStringLiteral("-v")}, Action::version, {}, {}},
        // Both asked for: the help, which names --version too.
        {{QStringLiteral("--version"), QStringLiteral("--help")}, Action::help, {}, {}},
        // Options that only the window system knows do not hide --version.
        {{QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("--version")}, Action::version, {}, {}},
        {{QStringLiteral("--bogus")}, Action::usageError, {}, QStringLiteral("unknown option --bogus")},
        {{QStringLiteral("a.csv"), QStringLiteral("b.csv")}, Action::usageError, {}, QStringLiteral("at most one")},
        {{QStringLiteral("file://server/share/a.csv")}, Action::usageError, {}, QStringLiteral("not a local file")},
        {{QStringLiteral("file://localhost/tmp/a.csv")}, Action::run, QStringLiteral("/tmp/a.csv"), {}},
        // After "--" everything is a file name.
        {{QStringLiteral("--"), QStringLiteral("--help")}, Action::run, inCurrentDir(QStringLiteral("--help")), {}},
        {{QStringLiteral("--"), QStringLiteral("-x.csv")}, Action::run, inCurrentDir(QStringLiteral("-x.csv")), {}},
    };
    for (const Row& row : rows) {
        const QString shown = row.args.join(u' ');
        const desktop::ProgramArguments parsed
            = desktop::parseProgramArguments(QStringList {QStringLiteral("tanafuda")} + row.args);
        EXPECT_EQ(parsed.action, row.action) << shown.toStdString();
        EXPECT_EQ(parsed.sheetPath, row.path) << shown.toStdString();
        if (row.error.isEmpty()) {
            EXPECT_TRUE(parsed.error.isEmpty()) << shown.toStdString() << ": " << parsed.error.toStdString();
        } else {
            EXPECT_TRUE(parsed.error.contains(row.error)) << shown.toStdString() << ": " << parsed.error.toStdString();
        }
    }
}

TEST(ProgramArguments, VersionAndHelpTexts)
{
    EXPECT_TRUE(desktop::programVersionText().startsWith(QStringLiteral("tanafuda ")));
    EXPECT_TRUE(desktop::programVersionText().endsWith(u'\n'));
    EXPECT_TRUE(desktop::programHelpText().startsWith(QStringLiteral("Usage: tanafuda [FILE.csv]")));
    EXPECT_TRUE(desktop::programHelpText().contains(QStringLiteral("--version")));
}

TEST(UserGuide, InstalledGuideFirstThenTheBuildFolderCopy)
{
    struct Row {
        QSet<QString> existing;
        QString expected;
    };
    const QString installed = QStringLiteral("/opt/t/share/doc/tanafuda/guide/index.html");
    const QString built = QStringLiteral("/opt/t/bin/guide/index.html");
    const Row rows[] = {
        {{installed}, installed},
        {{built}, built},
        {{installed, built}, installed},
        // Neither: the installed place, so the caption says where the guide belongs.
        {{}, installed},
    };
    for (const Row& row : rows) {
        const QString found = desktop::findUserGuide(QStringLiteral("/opt/t/bin"),
                                                     [&](const QString& p) { return row.existing.contains(p); });
        EXPECT_EQ(found, row.expected) << row.existing.values().join(u',').toStdString();
    }
}

class StartTest : public ::testing::Test {
protected:
    void TearDown() override { closeAllWindows(); }
};

TEST_F(StartTest, TheAddressButtonAndTheHelpWindowPointAtTheGuide)
{
    const QString address = desktop::LauncherWindow::supportAddress();
    EXPECT_TRUE(address.startsWith(QStringLiteral("file:///"))) << address.toStdString();
    EXPECT_TRUE(address.endsWith(QStringLiteral("/guide/index.html"))) << address.toStdString();

    auto* launcher = desktop::showLauncher();
    auto* command5 = launcher->findChild<QPushButton*>(QStringLiteral("Command5"));
    ASSERT_NE(command5, nullptr);
    EXPECT_EQ(command5->toolTip(), address);

    auto* help = desktop::showHelp();
    auto* link = help->findChild<QLabel*>(QStringLiteral("guideLink"));
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains(QStringLiteral("href=\"%1\"").arg(address))) << link->text().toStdString();
    EXPECT_GE(link->width(), link->sizeHint().width());
    EXPECT_LE(link->geometry().bottom(), help->height());
}

TEST_F(StartTest, AMissingGuideIsReportedInsteadOfOpened)
{
    FakeDialogs dialogs;
    dialogs.existsAnswer = false;
    desktop::openUserGuide(nullptr, QStringLiteral("file:///nowhere/guide/index.html"), dialogs);
    EXPECT_EQ(dialogs.existsAsked, QStringList {QStringLiteral("/nowhere/guide/index.html")});
    EXPECT_EQ(dialogs.messages,
              QStringList {QStringLiteral("エラー: 使い方ガイドが見つかりません。\n/nowhere/guide/index.html")});
}

TEST_F(StartTest, AFileOpensInTheEditorOfItsFormatOrTheLauncherAfterTheMessage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto writeSheet = [&](const sheet::SheetFormat& format, const QString& name) {
        sheet::TagSheet sheet(format);
        sheet.record(1) = sampleRecord(QStringLiteral("りんご"), 198);
        sheet.record(2) = sampleRecord(QStringLiteral("みかん"), 98);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(files::writeSheetFile(sheet, path).ok);
        return path;
    };
    auto writeBytes = [&](const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    };
    const QString notASheet = QStringLiteral("エラー: ") + files::kNotASheetMessage;

    struct Row {
        const char* what;
        QString path;
        QString window;   // objectName of the window that opens
        QString caption;  // its caption
        QStringList messages;
    };
    const QString large = writeSheet(sheet::SheetFormat::large, QStringLiteral("大きい.csv"));
    const QString small = writeSheet(sheet::SheetFormat::small, QStringLiteral("small.txt"));
    const Row rows[] = {
        {"large sheet", large, QStringLiteral("大きい棚札"), QStringLiteral("大きい棚札  ") + large, {}},
        {"small sheet", small, QStringLiteral("小棚札"), QStringLiteral("小きい棚札  ") + small, {}},
        {"other csv",
         writeBytes(QStringLiteral("list.csv"), "jan,name,price\r\n4901234567894,apple,100\r\n"),
         QString(),
         QStringLiteral("プリコラ８．０"),
         {notASheet}},
        {"empty file",
         writeBytes(QStringLiteral("empty.csv"), QByteArray()),
         QString(),
         QStringLiteral("プリコラ８．０"),
         {notASheet}},
        {"missing file",
         dir.filePath(QStringLiteral("gone.csv")),
         QString(),
         QStringLiteral("プリコラ８．０"),
         {notASheet}},
        {"a folder", dir.path(), QString(), QStringLiteral("プリコラ８．０"), {notASheet}},
    };
    for (const Row& row : rows) {
        FakeDialogs dialogs;
        QWidget* shown = desktop::startWithSheetFile(row.path, dialogs);
        ASSERT_NE(shown, nullptr) << row.what;
        EXPECT_TRUE(shown->isVisible()) << row.what;
        EXPECT_EQ(shown->windowTitle(), row.caption) << row.what;
        EXPECT_EQ(dialogs.messages, row.messages) << row.what;
        if (!row.window.isEmpty()) {
            auto* editor = qobject_cast<desktop::EditorWindow*>(shown);
            ASSERT_NE(editor, nullptr) << row.what;
            EXPECT_EQ(editor->objectName(), row.window) << row.what;
            EXPECT_EQ(editor->sheet().fileName, row.path) << row.what;
            EXPECT_EQ(editor->sheet().record(2).productName, QStringLiteral("みかん")) << row.what;
            // Tag 1 is shown in the boxes.
            EXPECT_EQ(editor->box(sheet::Field::productName)->text(), QStringLiteral("りんご")) << row.what;
        } else {
            EXPECT_EQ(shown, desktop::openLauncher()) << row.what;
            EXPECT_EQ(desktop::openEditor(sheet::SheetFormat::large), nullptr) << row.what;
            EXPECT_EQ(desktop::openEditor(sheet::SheetFormat::small), nullptr) << row.what;
        }
        closeAllWindows();
    }
}
