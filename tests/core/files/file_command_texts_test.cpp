#include "core/files/file_command_texts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace files;

TEST(FileCommandTexts, OverwriteQuestionFollowsThePathDirectly)
{
    EXPECT_EQ(overwriteQuestion(QStringLiteral("/home/shop/棚.csv")),
              QStringLiteral("/home/shop/棚.csvはすでに存在します\u3000上書きしますか?"));
}

TEST(FileCommandTexts, SaveFailureNamesThePathAndTheCause)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QString existing = dir.filePath(QStringLiteral("old.csv"));
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    const QString head = QStringLiteral("ファイルを保存できませんでした。\n");
    const struct {
        const char* what;
        QString path;
        QString reason;
        QString expected;
    } rows[] = {
        {"folder missing", dir.filePath(QStringLiteral("none/a.csv")), QStringLiteral("No such file or directory"),
         head + dir.filePath(QStringLiteral("none/a.csv"))
             + QStringLiteral("\n保存先のフォルダーがありません。（No such file or directory）")},
        {"a folder in the way", dir.filePath(QStringLiteral("sub")), QStringLiteral("Is a directory"),
         head + dir.filePath(QStringLiteral("sub"))
             + QStringLiteral("\n同じ名前のフォルダーがあります。（Is a directory）")},
        {"previous file kept", existing, QStringLiteral("File too large"),
         head + existing
             + QStringLiteral("\nファイルに書き込めませんでした。（File too large）\n"
                              "前に保存したファイルはそのまま残っています。")},
        {"no reason given", dir.filePath(QStringLiteral("new.csv")), QString(),
         head + dir.filePath(QStringLiteral("new.csv")) + QStringLiteral("\nファイルに書き込めませんでした。")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(saveFailedMessage(row.path, row.reason), row.expected);
    }
}

TEST(FileCommandTexts, SaveFailureSaysWhereTheOldContentIs)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = dir.filePath(QStringLiteral("old.csv"));
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    const QString readOnly = dir.filePath(QStringLiteral("locked.csv"));
    QFile::copy(existing, readOnly);
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup));
    const QString head = QStringLiteral("ファイルを保存できませんでした。\n");
    const struct {
        const char* what;
        QString path;
        SheetWriteResult result;
        QString expected;
    } rows[] = {
        {"old file untouched",
         existing,
         {false, QStringLiteral("Input/output error"), QString(), false, {}},
         head + existing
             + QStringLiteral("\nファイルに書き込めませんでした。（Input/output error）\n"
                              "前に保存したファイルはそのまま残っています。")},
        {"read-only file, root included",
         readOnly,
         {false, QStringLiteral("Permission denied"), QString(), false, {}},
         head + readOnly
             + QStringLiteral("\nファイルが読み取り専用です。（Permission denied）\n"
                              "前に保存したファイルはそのまま残っています。")},
        {"old content only in a copy",
         existing,
         {false,
          QStringLiteral("Input/output error"),
          QStringLiteral("/cache/.old.csv.tanafuda-backup-Ab12Cd"),
          false,
          {}},
         head + existing
             + QStringLiteral("\n（Input/output error）\nファイルの内容が壊れているおそれがあります。"
                              "前に保存した内容は次の場所に残してあります。\n/cache/.old.csv.tanafuda-backup-Ab12Cd")},
        {"new content in place, not flushed",
         existing,
         {false, QStringLiteral("Input/output error"), QString(), true, {}},
         QStringLiteral("ファイルを保存しましたが、ディスクへの書き込みを確かめられませんでした。\n") + existing
             + QStringLiteral("\n（Input/output error）\n電源が切れると前の内容に戻るおそれがあります。"
                              "もう一度保存してください。")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(saveFailedMessage(row.path, row.result), row.expected);
    }
}

TEST(FileCommandTexts, ReplacedTextsNameEachTagOnceInOrder)
{
    const QString head = QStringLiteral(
        "ファイルを保存しました。次の棚札の文字の一部は、そのままではファイルに書けないため置き換えました。");
    using S = Substitution;
    using F = Field;
    const struct {
        const char* what;
        std::vector<ReplacedText> replaced;
        QString expected;
    } rows[] = {
        {"nothing replaced", {}, QString()},
        {"one tag, several fields",
         {{12, F::maker, S::unrepresentable}, {12, F::lot, S::unrepresentable}},
         head + QStringLiteral("\n・シフトJISにない文字を「?」に: 12 番")},
        {"both kinds, tags out of order",
         {{9, F::spec, S::doubleQuote},
          {3, F::jan, S::unrepresentable},
          {1, F::lot, S::unrepresentable},
          {3, F::spec, S::doubleQuote}},
         head + QStringLiteral("\n・シフトJISにない文字を「?」に: 1, 3 番\n・「\"」を全角の「＂」に: 3, 9 番")},
        {"quotes only",
         {{40, F::productName2, S::doubleQuote}},
         head + QStringLiteral("\n・「\"」を全角の「＂」に: 40 番")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(replacedTextsMessage(row.replaced), row.expected);
    }
}
