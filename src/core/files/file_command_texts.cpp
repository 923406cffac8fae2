#include "core/files/file_command_texts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <set>

namespace files {

namespace {

// Why nothing could be written at `path`, judged from what is there now.
QString failureCause(const QString& path)
{
    const QFileInfo target(path);
    if (target.isDir()) {
        return QStringLiteral("同じ名前のフォルダーがあります。");
    }
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir()) {
        return QStringLiteral("保存先のフォルダーがありません。");
    }
    if (!folder.isWritable()) {
        return QStringLiteral("保存先のフォルダーに書き込めません。");
    }
    constexpr QFile::Permissions kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (target.exists() && (!target.isWritable() || !(target.permissions() & kAnyWrite))) {
        return QStringLiteral("ファイルが読み取り専用です。");
    }
    return QStringLiteral("ファイルに書き込めませんでした。");
}

// "3, 7, 12 番": the distinct tags of `replaced` with substitutes of `kind`, ascending.
QString tagList(const std::vector<ReplacedText>& replaced, Substitution kind)
{
    std::set<int> tags;
    for (const ReplacedText& r : replaced) {
        if (r.kind == kind) {
            tags.insert(r.slot);
        }
    }
    if (tags.empty()) {
        return {};
    }
    QStringList numbers;
    for (int tag : tags) {
        numbers << QString::number(tag);
    }
    return numbers.join(QStringLiteral(", ")) + QStringLiteral(" 番");
}

}  // namespace

QString overwriteQuestion(const QString& path)
{
    return path + QStringLiteral("はすでに存在します　上書きしますか?");
}

QString saveFailedMessage(const QString& path, const QString& systemReason)
{
    QString text = QStringLiteral("ファイルを保存できませんでした。\n") + path + u'\n' + failureCause(path);
    if (!systemReason.isEmpty()) {
        text += QStringLiteral("（") + systemReason + QStringLiteral("）");
    }
    // The writer replaces a file only once the new one is complete.
    if (QFileInfo(path).isFile()) {
        text += QStringLiteral("\n前に保存したファイルはそのまま残っています。");
    }
    return text;
}

QString saveFailedMessage(const QString& path, const SheetWriteResult& result)
{
    if (result.replacedUnflushed) {
        return QStringLiteral("ファイルを保存しましたが、ディスクへの書き込みを確かめられませんでした。\n") + path
            + QStringLiteral("\n（") + result.error
            + QStringLiteral("）\n電源が切れると前の内容に戻るおそれがあります。もう一度保存してください。");
    }
    if (!result.keptCopyPath.isEmpty()) {
        return QStringLiteral("ファイルを保存できませんでした。\n") + path + QStringLiteral("\n（") + result.error
            + QStringLiteral(
                   "）\nファイルの内容が壊れているおそれがあります。前に保存した内容は次の場所に残してあります。\n")
            + result.keptCopyPath;
    }
    return saveFailedMessage(path, result.error);
}

QString unflushedNotice(const QString& path, const QString& systemReason)
{
    return path + QStringLiteral(": 新しい内容は書き込みましたが、フォルダーをディスクに書き込めませんでした（")
        + systemReason + QStringLiteral("）。電源が切れると失われるおそれがあります");
}

QString replacedTextsMessage(const std::vector<ReplacedText>& replaced)
{
    if (replaced.empty()) {
        return {};
    }
    QString text = QStringLiteral(
        "ファイルを保存しました。次の棚札の文字の一部は、そのままではファイルに書けないため置き換えました。");
    const QString unrepresentable = tagList(replaced, Substitution::unrepresentable);
    if (!unrepresentable.isEmpty()) {
        text += QStringLiteral("\n・シフトJISにない文字を「?」に: ") + unrepresentable;
    }
    const QString quotes = tagList(replaced, Substitution::doubleQuote);
    if (!quotes.isEmpty()) {
        text += QStringLiteral("\n・「\"」を全角の「＂」に: ") + quotes;
    }
    return text;
}

}  // namespace files
