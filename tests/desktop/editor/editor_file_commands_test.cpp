// The editor window's file menu, driven with fake dialogs and real files: new, open, save, save
// as, exit, the captions they leave, and what becomes of text still open in an edit box.
#include "support/editor_test_support.h"

#include "core/files/file_command_texts.h"
#include "core/files/sheet_file.h"
#include "core/files/system_calls.h"
#include "support/file_bytes.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using desktop::MessageButtons;
using desktop::MessageIcon;
using editor_test::OpenEditor;
using sheet::Field;
using sheet::SheetFormat;

namespace {

const QString kUntitled = QStringLiteral("無題");

QString commandTitle(const SheetFormat& format)
{
    return format.isLarge() ? QStringLiteral("大きい棚札  ") : QStringLiteral("小きい棚札  ");
}

QString firstPosition(const SheetFormat& format)
{
    return QStringLiteral(" 1/") + QString::number(format.tagsPerPage);
}

using test_support::fileBytes;

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A sheet file of `format` whose first tag is "first" and last tag is "last".
QString writeSheet(const SheetFormat& format, const QString& path)
{
    sheet::TagSheet sheet(format);
    sheet.record(1).productName = QStringLiteral("first");
    sheet.record(1).price = 100;
    sheet.record(format.tagsPerPage).productName = QStringLiteral("last");
    EXPECT_TRUE(files::writeSheetFile(sheet, path).ok);
    return path;
}

// The records of the file at `path` as a sheet of `format` reads them.
sheet::TagSheet readBack(const SheetFormat& format, const QString& path)
{
    sheet::TagSheet sheet(format);
    EXPECT_TRUE(files::readSheetFile(sheet, path).loaded()) << path.toStdString();
    return sheet;
}

void trigger(OpenEditor& e, const char* entry)
{
    QAction* action = e.w().menuAction(QString::fromUtf8(entry));
    ASSERT_NE(action, nullptr) << entry;
    action->trigger();
}

// Types `text` into the box `name` after clicking it, leaving it unstored.
void typeInto(OpenEditor& e, const char* name, const QString& text)
{
    e.clickAndSelect(QString::fromLatin1(name));
    e.type(text);
}

// What a window shows once a command has run to its end: tag 1 current, outlined and in the boxes.
void expectFirstTagShown(OpenEditor& e)
{
    EXPECT_EQ(e.sheet().current, 1);
    EXPECT_EQ(e.label6(), firstPosition(e.sheet().format()));
    EXPECT_TRUE(e.outlined(1));
    EXPECT_EQ(e.focused(), e.box(Field::jan));
    EXPECT_EQ(e.box(Field::productName)->text(), e.sheet().record(1).productName);
    EXPECT_EQ(e.box(Field::price)->text(), QString::number(e.sheet().record(1).price));
}

}  // namespace

// Each command that runs to its end, chosen on another tag (5 for the Save of a named sheet),
// leaves tag 1 shown and the caption with the title that commands write.
TEST(EditorFileCommands, CaptionsAndFirstTagAfterEachCompletedCommand)
{
    for (const SheetFormat* format : editor_test::kFormats) {
        SCOPED_TRACE(editor_test::formatName(*format).toStdString());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.csv"));
        OpenEditor e(*format);
        ASSERT_TRUE(e.activated);
        EXPECT_EQ(e.w().windowTitle(), e.w().startupTitle() + kUntitled);

        e.dialogs.messageAnswer = desktop::MessageAnswer::yes;
        e.dialogs.saveAnswer = path;
        e.dialogs.openAnswer = path;
        const struct {
            int tag;  // current when the command is chosen
            const char* entry;
            QString name;  // the file name it leaves
        } steps[] = {{2, "KURIA", kUntitled}, {3, "U_SAVE", path}, {5, "U_SAVE", path}, {7, "f_open", path}};
        for (const auto& step : steps) {
            SCOPED_TRACE(step.entry);
            e.goTo(step.tag);
            trigger(e, step.entry);
            EXPECT_EQ(e.sheet().fileName, step.name);
            EXPECT_EQ(e.w().windowTitle(), commandTitle(*format) + step.name);
            expectFirstTagShown(e);
            EXPECT_FALSE(e.outlined(step.tag));
        }
        EXPECT_EQ(e.dialogs.fileDialogs, 2);  // the first Save asked for the name, Open for the file
        EXPECT_EQ(e.dialogs.messages.size(), 1) << e.dialogs.messages.join(u'\n').toStdString();
    }
}

TEST(EditorFileCommands, NewAsksFirstAndAnsweredNoChangesNothing)
{
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    e.sheet().record(2).productName = QStringLiteral("kept");
    e.sheet().fileName = QStringLiteral("/somewhere/kept.csv");
    e.w().updateCaption(commandTitle(SheetFormat::large));
    e.goTo(2);

    e.dialogs.messageAnswer = desktop::MessageAnswer::no;
    trigger(e, "KURIA");
    ASSERT_EQ(e.dialogs.messages.size(), 1);
    EXPECT_EQ(e.dialogs.messages.at(0), QStringLiteral("削除: 画面上で作成したデータはなくなります。"));
    EXPECT_EQ(e.dialogs.messageKinds.at(0), std::make_pair(MessageIcon::stop, MessageButtons::yesNo));
    EXPECT_EQ(e.sheet().record(2).productName, QStringLiteral("kept"));
    EXPECT_EQ(e.sheet().current, 2);
    EXPECT_EQ(e.sheet().fileName, QStringLiteral("/somewhere/kept.csv"));
    EXPECT_EQ(e.w().windowTitle(), QStringLiteral("大きい棚札  /somewhere/kept.csv"));
    EXPECT_EQ(e.box(Field::productName)->text(), QStringLiteral("kept"));
    EXPECT_EQ(e.focused(), e.box(Field::jan));

    // A price typed and not yet stored goes to its own tag; No does not move on to the next one.
    typeInto(e, "Text5", QStringLiteral("250"));
    trigger(e, "KURIA");
    EXPECT_EQ(e.sheet().record(2).price, 250);
    EXPECT_EQ(e.sheet().current, 2);
    EXPECT_EQ(e.focused(), e.box(Field::jan));

    e.dialogs.messageAnswer = desktop::MessageAnswer::yes;
    trigger(e, "KURIA");
    EXPECT_EQ(e.sheet().record(2), sheet::TagRecord {});
    EXPECT_EQ(e.sheet().fileName, kUntitled);
    EXPECT_EQ(e.box(Field::price)->text(), QStringLiteral("0"));
    expectFirstTagShown(e);
}

TEST(EditorFileCommands, SaveOnAnUntitledSheetIsSaveAsAndMayBeCancelled)
{
    for (const SheetFormat* format : editor_test::kFormats) {
        SCOPED_TRACE(editor_test::formatName(*format).toStdString());
        QTemporaryDir dir;
        OpenEditor e(*format);
        ASSERT_TRUE(e.activated);
        e.goTo(3);
        e.dialogs.saveAnswer.reset();
        trigger(e, "U_SAVE");
        ASSERT_EQ(e.dialogs.fileDialogStates.size(), 1u);
        EXPECT_EQ(e.dialogs.fileDialogStates.at(0).filter, files::kSheetFileFilter);
        EXPECT_EQ(e.sheet().fileName, kUntitled);
        EXPECT_EQ(e.w().windowTitle(), e.w().startupTitle() + kUntitled);
        EXPECT_EQ(e.sheet().current, 3);
        EXPECT_EQ(e.focused(), e.box(Field::jan));
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
        EXPECT_TRUE(e.dialogs.messages.isEmpty());

        // Answered, it writes exactly the name typed: no extension is added.
        const QString path = dir.filePath(QStringLiteral("no-extension"));
        e.dialogs.saveAnswer = path;
        trigger(e, "U_SAVE");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("no-extension")});
        EXPECT_EQ(e.sheet().fileName, path);
        EXPECT_EQ(e.dialogs.existsAsked, QStringList {path});
    }
}

TEST(EditorFileCommands, OverwriteRefusedWritesNothingAndSaveKeepsTheEarlierName)
{
    QTemporaryDir dir;
    const QString earlier = dir.filePath(QStringLiteral("earlier.csv"));
    const QString other = dir.filePath(QStringLiteral("other.csv"));
    writeBytes(other, "someone else's file");
    OpenEditor e(SheetFormat::small);
    ASSERT_TRUE(e.activated);
    e.dialogs.saveAnswer = earlier;
    trigger(e, "N_SAVE");
    ASSERT_EQ(e.sheet().fileName, earlier);
    const QString caption = e.w().windowTitle();

    e.sheet().record(7).maker = QStringLiteral("maker");
    e.goTo(7);
    e.dialogs.saveAnswer = other;
    e.dialogs.existsAnswer = true;
    e.dialogs.messageAnswer = desktop::MessageAnswer::no;
    trigger(e, "N_SAVE");
    ASSERT_EQ(e.dialogs.messages.size(), 1);
    EXPECT_EQ(e.dialogs.messages.at(0),
              QStringLiteral("削除: ") + other + QStringLiteral("はすでに存在します　上書きしますか?"));
    EXPECT_EQ(e.dialogs.messageKinds.at(0), std::make_pair(MessageIcon::stop, MessageButtons::yesNo));
    EXPECT_EQ(fileBytes(other), QByteArray("someone else's file"));
    EXPECT_EQ(e.sheet().fileName, earlier);
    EXPECT_EQ(e.w().windowTitle(), caption);
    EXPECT_EQ(e.sheet().current, 7);
    EXPECT_EQ(e.focused(), e.box(Field::jan));

    e.dialogs.fileDialogs = 0;
    trigger(e, "U_SAVE");
    EXPECT_EQ(e.dialogs.fileDialogs, 0);
    EXPECT_EQ(readBack(SheetFormat::small, earlier).record(7).maker, QStringLiteral("maker"));
    EXPECT_EQ(fileBytes(other), QByteArray("someone else's file"));

    // Yes replaces the other file and takes its name.
    e.dialogs.messageAnswer = desktop::MessageAnswer::yes;
    trigger(e, "N_SAVE");
    EXPECT_EQ(readBack(SheetFormat::small, other).record(7).maker, QStringLiteral("maker"));
    EXPECT_EQ(e.sheet().fileName, other);
}

TEST(EditorFileCommands, AFileOfTheOtherFormatOrNoSheetIsRefusedAndChangesNothing)
{
    for (const SheetFormat* format : editor_test::kFormats) {
        SCOPED_TRACE(editor_test::formatName(*format).toStdString());
        const SheetFormat& otherFormat = format->isLarge() ? SheetFormat::small : SheetFormat::large;
        QTemporaryDir dir;
        const QString foreign = writeSheet(otherFormat, dir.filePath(QStringLiteral("foreign.csv")));
        const QString junk = dir.filePath(QStringLiteral("junk.txt"));
        writeBytes(junk, "hello,world\r\n");
        const struct {
            QString path;
            QString message;
        } refused[] = {
            {foreign, QStringLiteral("エラー: ") + files::otherFormatMessage(*format)},
            {junk, QStringLiteral("エラー: 棚札形式のデータではありません")},
        };

        for (const QString& startName : {kUntitled, dir.filePath(QStringLiteral("mine.csv"))}) {
            OpenEditor e(*format);
            ASSERT_TRUE(e.activated);
            if (startName != kUntitled) {
                e.dialogs.saveAnswer = startName;
                trigger(e, "N_SAVE");
            }
            const QString caption = e.w().windowTitle();
            e.sheet().record(4).productName = QStringLiteral("mine");
            e.goTo(4);
            for (const auto& r : refused) {
                e.dialogs.messages.clear();
                e.dialogs.messageKinds.clear();
                e.dialogs.openAnswer = r.path;
                trigger(e, "f_open");
                ASSERT_EQ(e.dialogs.messages.size(), 1);
                EXPECT_EQ(e.dialogs.messages.at(0), r.message);
                EXPECT_EQ(e.dialogs.messageKinds.at(0), std::make_pair(MessageIcon::stop, MessageButtons::ok));
                EXPECT_EQ(e.sheet().fileName, startName);
                EXPECT_EQ(e.w().windowTitle(), caption);
                EXPECT_EQ(e.sheet().record(4).productName, QStringLiteral("mine"));
                EXPECT_EQ(e.sheet().record(1).productName, QString());
                EXPECT_EQ(e.sheet().current, 4);
                EXPECT_EQ(e.box(Field::productName)->text(), QStringLiteral("mine"));
            }

            // A later Save writes to the earlier name, or asks for one.
            const QString asked = dir.filePath(QStringLiteral("asked.csv"));
            e.dialogs.fileDialogs = 0;
            e.dialogs.saveAnswer = asked;
            trigger(e, "U_SAVE");
            const QString written = startName == kUntitled ? asked : startName;
            EXPECT_EQ(e.dialogs.fileDialogs, startName == kUntitled ? 1 : 0);
            EXPECT_EQ(readBack(*format, written).record(4).productName, QStringLiteral("mine"));
            EXPECT_EQ(readBack(otherFormat, foreign).record(1).productName, QStringLiteral("first"));
            QFile::remove(asked);
        }
    }
}

// Text typed into a box and not yet stored when a menu key is pressed: a command that replaces
// the sheet or moves to tag 1 neither writes it nor carries it anywhere.
TEST(EditorFileCommands, PendingTextIsNeitherSavedNorCarriedOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.csv"));
    const QString opened = writeSheet(SheetFormat::large, dir.filePath(QStringLiteral("opened.csv")));
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    e.dialogs.saveAnswer = path;
    trigger(e, "N_SAVE");
    e.sheet().record(1).productName = QStringLiteral("one");
    e.sheet().record(3).productName = QStringLiteral("three");

    const struct {
        const char* box;
        Qt::Key key;  // the menu entry's shortcut
    } cases[] = {{"Text3", Qt::Key_S}, {"Text5", Qt::Key_S}, {"Text1", Qt::Key_S}, {"Text3", Qt::Key_A}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.box) + " " + QKeySequence(c.key).toString().toStdString());
        e.goTo(3);
        typeInto(e, c.box, QStringLiteral("999"));
        e.key(c.key, Qt::ControlModifier);
        expectFirstTagShown(e);
        const sheet::TagSheet written = readBack(SheetFormat::large, path);
        EXPECT_EQ(written.record(3).productName, QStringLiteral("three"));
        EXPECT_EQ(written.record(3).price, 0);
        EXPECT_EQ(written.record(3).jan, QString());
        // Moving on from tag 1 stores nothing of it either.
        e.click(QStringLiteral("Text2"));
        e.click(QStringLiteral("Text5"));
        e.click(QStringLiteral("Text1"));
        EXPECT_EQ(e.sheet().record(1).productName, QStringLiteral("one"));
        EXPECT_EQ(e.sheet().record(1).price, 0);
        EXPECT_EQ(e.sheet().record(1).jan, QString());
        EXPECT_EQ(e.sheet().record(3).productName, QStringLiteral("three"));
        EXPECT_EQ(e.sheet().record(3).price, 0);
        EXPECT_EQ(e.sheet().current, 2);  // the price box was left once, from tag 1
    }

    // Open: the text typed for tag 3 does not end up in the opened sheet.
    e.goTo(3);
    typeInto(e, "Text3", QStringLiteral("typed"));
    e.dialogs.openAnswer = opened;
    e.key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(e.sheet().fileName, opened);
    e.click(QStringLiteral("Text2"));
    e.goTo(3);
    EXPECT_EQ(e.sheet().record(3).productName, QString());
    EXPECT_EQ(e.sheet().record(1).productName, QStringLiteral("first"));
    EXPECT_EQ(e.sheet().record(24).productName, QStringLiteral("last"));

    // New: nor in the new sheet's tag 1.
    typeInto(e, "Text3", QStringLiteral("typed"));
    e.dialogs.messageAnswer = desktop::MessageAnswer::yes;
    e.key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(e.sheet().fileName, kUntitled);
    e.click(QStringLiteral("Text2"));
    for (int tag = 1; tag <= SheetFormat::large.tagsPerPage; ++tag) {
        EXPECT_EQ(e.sheet().record(tag), sheet::TagRecord {}) << tag;
    }
}

// A command that is refused, cancelled or fails keeps what the user has typed: it is stored into
// its own tag once the box is left.
TEST(EditorFileCommands, PendingTextSurvivesACommandThatDoesNotHappen)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.csv"));
    writeBytes(junk, "junk");
    const QString missingFolder = dir.filePath(QStringLiteral("gone/s.csv"));
    OpenEditor e(SheetFormat::small);
    ASSERT_TRUE(e.activated);
    e.dialogs.saveAnswer = dir.filePath(QStringLiteral("s.csv"));
    trigger(e, "N_SAVE");

    const struct {
        const char* what;
        std::function<void(OpenEditor&)> command;
    } commands[] = {
        {"open cancelled",
         [](OpenEditor& o) {
             o.dialogs.openAnswer.reset();
             o.key(Qt::Key_O, Qt::ControlModifier);
         }},
        {"open refused",
         [&](OpenEditor& o) {
             o.dialogs.openAnswer = junk;
             o.key(Qt::Key_O, Qt::ControlModifier);
         }},
        {"save as failed",
         [&](OpenEditor& o) {
             o.dialogs.saveAnswer = missingFolder;
             o.key(Qt::Key_A, Qt::ControlModifier);
         }},
    };
    int tag = 2;
    for (const auto& c : commands) {
        SCOPED_TRACE(c.what);
        e.goTo(tag);
        typeInto(e, "Text3", QStringLiteral("kept"));
        c.command(e);
        EXPECT_EQ(e.focused(), e.box(Field::productName));
        EXPECT_EQ(e.sheet().current, tag);
        e.click(QStringLiteral("Text1"));
        EXPECT_EQ(e.sheet().record(tag).productName, QStringLiteral("kept"));
        ++tag;
    }
}

// When a save cannot put the old sheet back, or cannot flush the new one, the message says where
// the old sheet is, or that the new one may not last; the window changes nothing.
TEST(EditorFileCommands, AFailedSaveSaysWhereTheSheetIs)
{
    using files::detail::realSystemCalls;
    using files::detail::systemCalls;
    const struct {
        const char* what;
        std::function<void()> inject;
        QString expectedStart;
        bool keptCopy;
    } rows[] = {
        {"old content only in the copy",
         [] {
             systemCalls().pwrite = [](int, const void*, size_t, off_t) -> ssize_t {
                 errno = EIO;
                 return -1;
             };
         },
         QStringLiteral("エラー: ファイルを保存できませんでした。\n"), true},
        {"folder not flushed",
         [] {
             systemCalls().fsync = [](int fd) {
                 struct stat st { };
                 if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
                     errno = EIO;
                     return -1;
                 }
                 return realSystemCalls().fsync(fd);
             };
         },
         QStringLiteral("エラー: ファイルを保存しましたが、ディスクへの書き込みを確かめられませんでした。\n"), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("saved.csv"));
        OpenEditor e(SheetFormat::large);
        ASSERT_TRUE(e.activated);
        e.dialogs.saveAnswer = saved;
        trigger(e, "N_SAVE");
        const QByteArray savedBytes = fileBytes(saved);
        if (row.keptCopy) {  // a hard-linked file is written in place, behind a copy
            ASSERT_EQ(::link(QFile::encodeName(saved).constData(),
                             QFile::encodeName(dir.filePath(QStringLiteral("linked.csv"))).constData()),
                      0);
        }
        const QString caption = e.w().windowTitle();
        e.sheet().record(6).productName = QStringLiteral("six");
        e.goTo(6);
        e.dialogs.messages.clear();
        row.inject();
        trigger(e, "U_SAVE");
        systemCalls() = realSystemCalls();

        const QString report = e.dialogs.messages.value(e.dialogs.messages.size() - 1);
        EXPECT_TRUE(report.startsWith(row.expectedStart + saved + u'\n')) << report.toStdString();
        EXPECT_TRUE(report.contains(QString::fromLocal8Bit(std::strerror(EIO)))) << report.toStdString();
        if (row.keptCopy) {
            const QString copy = report.section(u'\n', -1);
            EXPECT_TRUE(copy.contains(QStringLiteral(".saved.csv.tanafuda-backup-"))) << copy.toStdString();
            EXPECT_EQ(fileBytes(copy), savedBytes);
        }
        EXPECT_EQ(e.w().windowTitle(), caption);
        EXPECT_EQ(e.sheet().current, 6);
    }
}

TEST(EditorFileCommands, AFailedSaveIsReportedAndChangesNothing)
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("saved.csv"));
    const QString folderAsTarget = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString missingFolder = dir.filePath(QStringLiteral("missing/new.csv"));
    const struct {
        const char* what;
        QString path;
        bool exists;
        QString cause;
    } failures[] = {
        {"folder missing", missingFolder, false, QStringLiteral("保存先のフォルダーがありません。")},
        {"a folder of that name", folderAsTarget, true, QStringLiteral("同じ名前のフォルダーがあります。")},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.what);
        OpenEditor e(SheetFormat::large);
        ASSERT_TRUE(e.activated);
        e.dialogs.saveAnswer = saved;
        trigger(e, "N_SAVE");
        const QByteArray savedBytes = fileBytes(saved);
        const QString caption = e.w().windowTitle();
        e.sheet().record(6).productName = QStringLiteral("six");
        e.goTo(6);

        e.dialogs.messages.clear();
        e.dialogs.messageKinds.clear();
        e.dialogs.saveAnswer = f.path;
        e.dialogs.existsAnswer = f.exists;
        e.dialogs.messageAnswer = desktop::MessageAnswer::yes;
        trigger(e, "N_SAVE");
        const QString report = e.dialogs.messages.value(e.dialogs.messages.size() - 1);
        EXPECT_TRUE(
            report.startsWith(QStringLiteral("エラー: ファイルを保存できませんでした。\n") + f.path + u'\n' + f.cause))
            << report.toStdString();
        EXPECT_EQ(e.dialogs.messageKinds.back(), std::make_pair(MessageIcon::stop, MessageButtons::ok));
        EXPECT_EQ(e.sheet().fileName, saved);
        EXPECT_EQ(e.w().windowTitle(), caption);
        EXPECT_EQ(e.sheet().current, 6);
        EXPECT_EQ(e.sheet().record(6).productName, QStringLiteral("six"));
        EXPECT_EQ(fileBytes(saved), savedBytes);
        EXPECT_TRUE(QFileInfo(folderAsTarget).isDir());
        EXPECT_FALSE(QFileInfo::exists(missingFolder));
        QFile::remove(saved);
    }

    // Save to a named sheet whose folder has gone meanwhile.
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    QTemporaryDir gone;
    const QString path = gone.filePath(QStringLiteral("sheet.csv"));
    e.dialogs.saveAnswer = path;
    trigger(e, "N_SAVE");
    ASSERT_TRUE(gone.remove());
    e.goTo(2);
    trigger(e, "U_SAVE");
    ASSERT_EQ(e.dialogs.messages.size(), 1);
    EXPECT_TRUE(e.dialogs.messages.at(0).startsWith(QStringLiteral("エラー: ファイルを保存できませんでした。")));
    EXPECT_EQ(e.sheet().fileName, path);
    EXPECT_EQ(e.sheet().current, 2);
}

TEST(EditorFileCommands, TextsWrittenWithSubstitutesAreNamedAfterSaving)
{
    QTemporaryDir dir;
    OpenEditor e(SheetFormat::small);
    ASSERT_TRUE(e.activated);
    e.sheet().record(2).maker = QStringLiteral("\U00020BB7野家");  // not in code page 932
    e.sheet().record(2).lot = QStringLiteral("☃");
    e.sheet().record(7).spec = QStringLiteral("5\"");
    e.dialogs.saveAnswer = dir.filePath(QStringLiteral("s.csv"));
    trigger(e, "N_SAVE");
    ASSERT_EQ(e.dialogs.messages.size(), 1);
    EXPECT_EQ(e.dialogs.messages.at(0),
              QStringLiteral("文字の置き換え: ")
                  + files::replacedTextsMessage({{2, sheet::Field::maker, files::Substitution::unrepresentable},
                                                 {7, sheet::Field::spec, files::Substitution::doubleQuote}}));
    EXPECT_EQ(e.dialogs.messageKinds.at(0), std::make_pair(MessageIcon::information, MessageButtons::ok));
    EXPECT_EQ(e.sheet().fileName, *e.dialogs.saveAnswer);
    EXPECT_EQ(readBack(SheetFormat::small, e.sheet().fileName).record(2).maker, QStringLiteral("?野家"));

    e.sheet().record(2) = {};
    e.sheet().record(7) = {};
    e.dialogs.messages.clear();
    trigger(e, "U_SAVE");
    EXPECT_TRUE(e.dialogs.messages.isEmpty());
}

TEST(EditorFileCommands, TheDialogsFilterAndLastNameLastAsLongAsTheWindow)
{
    QTemporaryDir dir;
    const QString path = writeSheet(SheetFormat::small, dir.filePath(QStringLiteral("s.csv")));
    const desktop::FileDialogState initial;
    {
        OpenEditor e(SheetFormat::small);
        ASSERT_TRUE(e.activated);
        e.dialogs.openAnswer.reset();
        trigger(e, "f_open");
        e.dialogs.saveAnswer = path;
        trigger(e, "N_SAVE");
        trigger(e, "f_open");
        ASSERT_EQ(e.dialogs.fileDialogStates.size(), 3u);
        // The small window's Open shows the dialog as it stands: first with its initial
        // settings, after a Save As with the three choices and the name saved under.
        EXPECT_EQ(e.dialogs.fileDialogStates.at(0).filter, initial.filter);
        EXPECT_EQ(e.dialogs.fileDialogStates.at(0).fileName, initial.fileName);
        EXPECT_EQ(e.dialogs.fileDialogStates.at(1).filter, files::kSheetFileFilter);
        EXPECT_EQ(e.dialogs.fileDialogStates.at(2).filter, files::kSheetFileFilter);
        EXPECT_EQ(e.dialogs.fileDialogStates.at(2).fileName, path);
    }
    {
        OpenEditor e(SheetFormat::large);
        ASSERT_TRUE(e.activated);
        e.w().fileDialogState().selectedFilter = 2;
        trigger(e, "f_open");
        ASSERT_EQ(e.dialogs.fileDialogStates.size(), 1u);
        EXPECT_EQ(e.dialogs.fileDialogStates.at(0).filter, files::kSheetFileFilter);
        // The choice the user made last stays selected.
        EXPECT_EQ(e.dialogs.fileDialogStates.at(0).selectedFilter, 2);
    }
}

TEST(EditorFileCommands, ExitClosesAtOnceWithoutAsking)
{
    for (const bool byKey : {false, true}) {
        OpenEditor e(SheetFormat::large);
        ASSERT_TRUE(e.activated);
        typeInto(e, "Text3", QStringLiteral("unsaved"));
        if (byKey) {
            e.key(Qt::Key_Q, Qt::ControlModifier);
        } else {
            trigger(e, "MNUEXIT");
        }
        EXPECT_FALSE(e.w().isVisible());
        EXPECT_TRUE(e.dialogs.messages.isEmpty());
        EXPECT_EQ(e.dialogs.fileDialogs, 0);
    }
}
