#pragma once

#include "core/files/careful_write.h"
#include "core/sheet/tag_sheet.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// Sheet files: a whole TagSheet's records as comma-separated text in code page 932. The first line
// holds the type literal of the format, each following line one record: the quoted index (a blank
// and the slot number), the quoted texts in the order of the format, and the bare price.
namespace files {

// The text members of a record, as they are named in a sheet file's record.
// The texts of a record are its fields other than the price (sheet::Field).
using sheet::Field;

// Why a character of a text was written as another one.
enum class Substitution {
    unrepresentable,  // code page 932 has no such character: written as "?"
    doubleQuote,      // the format has no escape for '"': written as the full-width "＂"
};

// One text of one tag that was not written exactly as it stands in the sheet.
struct ReplacedText {
    int slot;  // 1-based
    Field field;
    Substitution kind;

    friend bool operator==(const ReplacedText&, const ReplacedText&) = default;
};

struct EncodedSheet {
    QByteArray bytes;
    std::vector<ReplacedText> replaced;  // in slot order, then field order
};

struct SheetWriteResult {
    bool ok = false;
    QString error;                       // the system's reason when !ok
    QString keptCopyPath;                // when !ok: where a complete copy of the old file was left
    bool replacedUnflushed = false;      // when !ok: the new content is in place but not flushed
    std::vector<ReplacedText> replaced;  // texts written with substitutes (also when !ok)
};

enum class ReadStatus { loaded, otherFormat, notASheet };

struct ReadResult {
    ReadStatus status = ReadStatus::notASheet;
    QString message;  // the text of the error message box; empty when loaded
    QString title;    // its title, "エラー"; empty when loaded

    bool loaded() const { return status == ReadStatus::loaded; }
};

// Files larger than this are not read at all: a page of tags takes a few kilobytes.
inline constexpr qint64 kMaxSheetFileBytes = 16 * 1024 * 1024;

inline const QString kErrorTitle = QStringLiteral("エラー");
inline const QString kNotASheetMessage = QStringLiteral("棚札形式のデータではありません");

// The type literal that opens a file of `format`: "大きい棚札" or "小さい棚札".
QString typeLiteral(const sheet::SheetFormat& format);

// The message shown when an editor of `format` is given a file of the other format.
QString otherFormatMessage(const sheet::SheetFormat& format);

// The text fields of a record of `format`, in file order (between the index and the price).
const std::vector<Field>& textFields(const sheet::SheetFormat& format);

// The whole file for `sheet`: the type line and one record line per slot.
EncodedSheet encodeSheet(const sheet::TagSheet& sheet);

// Writes `sheet` to `path` with files::writeFileCarefully: on failure the previous file stays as it
// was (or a complete copy of it is kept and named), and the file keeps its owner, group, mode, links
// and extended attributes. The sheet is not changed. In createNew mode `path` must name nothing yet.
SheetWriteResult writeSheetFile(const sheet::TagSheet& sheet, const QString& path, WriteMode mode = WriteMode::replace);

// How writing a set of sheets went.
struct SheetSetWriteResult {
    int failed = -1;           // the index of the sheet that could not be written; -1: all were
    bool nameTaken = false;    // it failed because something had its name and may not be replaced
    SheetWriteResult failure;  // its result
    // Sheets whose new content is in place but whose folder could not be flushed, with the reason.
    std::vector<std::pair<int, QString>> unflushed;

    bool ok() const { return failed < 0; }
};

// Writes sheets[i] to paths[i] in order. A name that nothing has yet is created exclusively (no
// link is followed, nothing made meanwhile is replaced); one that exists is replaced only when
// `replaceExisting`. At the first failure it stops and removes the files it created, so that a
// second run finds the folder as the first did.
SheetSetWriteResult writeSheetFiles(const std::vector<sheet::TagSheet>& sheets, const QStringList& paths,
                                    bool replaceExisting);

// Loads the records of `bytes` into `sheet` when its type line names the sheet's format; otherwise
// the sheet is left untouched. Only `records` changes.
ReadResult decodeSheet(sheet::TagSheet& sheet, const QByteArray& bytes);

// decodeSheet on the contents of `path`. A file that cannot be read is not a sheet file.
ReadResult readSheetFile(sheet::TagSheet& sheet, const QString& path);

// The bytes of an open file, read once (a FIFO or a pipe can be read only once) and only up to just
// past kMaxSheetFileBytes, which decodeSheet then refuses. Nothing, with the reason in `error`, when
// the file cannot be read.
std::optional<QByteArray> readSheetBytes(QFile& file, QString* error = nullptr);

// The format whose type literal the data (or the file) begins with, or nullptr.
const sheet::SheetFormat* sheetFormatOf(const QByteArray& bytes);
const sheet::SheetFormat* sheetFormatOfFile(const QString& path);

// Reads a file of either format into a new sheet of that format; nothing when it is neither.
std::optional<sheet::TagSheet> readAnySheetFile(const QString& path);

}  // namespace files
