#pragma once

#include "core/files/sheet_file.h"

#include <QString>

#include <vector>

// The fixed texts of the file menu's dialogs and message boxes, and the messages that report how
// a save went. The window shows them; nothing here shows anything.
namespace files {

// The choices of the open and save dialogs: CSV text, plain text, all files, each a description
// and a pattern followed by "|".
inline const QString kSheetFileFilter
    = QStringLiteral("テキスト ファイル (*.csv)|*.csv|テキスト ファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*|");

// Title of the Yes/No questions that may throw work away.
inline const QString kConfirmTitle = QStringLiteral("削除");
// The question of New.
inline const QString kNewSheetQuestion = QStringLiteral("画面上で作成したデータはなくなります。");

// The question of Save As when a file exists at `path`: the path followed directly by the question.
QString overwriteQuestion(const QString& path);

// The error message of a save that did not happen: what failed, where, and why in the user's
// words, the system's own reason appended. Looks at the file system as it is after the failure.
QString saveFailedMessage(const QString& path, const QString& systemReason);

// The same for a failed writeSheetFile, which may also have left a copy of the old file, or the new
// content in place without being able to flush it.
QString saveFailedMessage(const QString& path, const SheetWriteResult& result);

// What the command-line programs say of a file whose new content is in place although its folder
// could not be flushed (`systemReason`): it may not survive a power loss.
QString unflushedNotice(const QString& path, const QString& systemReason);

// Title of the message naming the tags whose texts were written with substitutes.
inline const QString kReplacedTextsTitle = QStringLiteral("文字の置き換え");

// The information shown after a save in which some texts could not be written as they stand,
// naming the tags affected by each kind of substitute; empty when every text was written as is.
QString replacedTextsMessage(const std::vector<ReplacedText>& replaced);

}  // namespace files
