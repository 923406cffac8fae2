#include "core/files/sheet_file.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using sheet::SheetFormat;
using sheet::TagRecord;
using sheet::TagSheet;
using namespace files;

namespace {

// Type literals in code page 932, spelled out byte by byte.
const QByteArray kLargeType("\x91\xE5\x82\xAB\x82\xA2\x92\x49\x8E\x44");  // 大きい棚札
const QByteArray kSmallType("\x8F\xAC\x82\xB3\x82\xA2\x92\x49\x8E\x44");  // 小さい棚札

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

// A file of `format` with the given record lines (UTF-8 in the test, code page 932 in the file).
QByteArray sheetBytes(const SheetFormat& format, const QStringList& lines)
{
    QByteArray bytes = '"' + (format.isLarge() ? kLargeType : kSmallType) + "\"\r\n";
    for (const QString& line : lines) {
        bytes += cp932(line) + "\r\n";
    }
    return bytes;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every slot filled, with the awkward texts the format must carry.
TagSheet filledSheet(const SheetFormat& format)
{
    TagSheet sheet(format);
    for (int slot = 1; slot <= sheet.tagsPerPage(); ++slot) {
        TagRecord& r = sheet.record(slot);
        r.jan = slot % 3 == 0 ? QString() : QStringLiteral("0%1").arg(4901234567890LL + slot);
        r.maker = QStringLiteral("山田製菓%1").arg(slot);
        r.productName = QStringLiteral("いちご, 大福 ①");
        r.productName2 = format.hasProductName2 ? QStringLiteral(" 二行目 ") : QString();
        r.spec = QStringLiteral("  6個入り,  ");
        r.lot = slot % 2 ? QStringLiteral("ﾛｯﾄ～A") : QString();
        r.price = slot % 4 == 0 ? -slot * 1000 : slot * 100;
    }
    return sheet;
}

// A sheet with something in it, to show that a rejected file leaves it alone.
TagSheet markedSheet(const SheetFormat& format)
{
    TagSheet sheet(format);
    sheet.record(1).productName = QStringLiteral("残す");
    sheet.record(sheet.tagsPerPage()).price = 7;
    sheet.current = 5;
    return sheet;
}

}  // namespace

// ---- Writing -------------------------------------------------------------------------------

TEST(SheetFileWrite, EmptySheetsAreWrittenByteForByte)
{
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        QByteArray expected = '"' + (format->isLarge() ? kLargeType : kSmallType) + "\"\r\n";
        const QByteArray emptyTexts
            = format->isLarge() ? ",\"\",\"\",\"\",\"\",\"\"," : ",\"\",\"\",\"\",\"\",\"\",\"\",";
        for (int slot = 1; slot <= format->tagsPerPage; ++slot) {
            expected += "\" " + QByteArray::number(slot) + '"' + emptyTexts + "0\r\n";
        }
        const EncodedSheet encoded = encodeSheet(TagSheet(*format));
        EXPECT_EQ(encoded.bytes, expected) << format->windowName;
        EXPECT_TRUE(encoded.replaced.empty());
    }
}

TEST(SheetFileWrite, RecordLineIsQuotedTextsAndABarePrice)
{
    TagSheet sheet(SheetFormat::large);
    TagRecord& r = sheet.record(1);
    r.jan = QStringLiteral("4901234567894");
    r.maker = QStringLiteral("山田製菓");
    r.productName = QStringLiteral("いちご, 大福");
    r.spec = QStringLiteral("  6個入 ");
    r.price = -120;
    const QByteArray expected = QByteArray::fromHex("222031222c2234393031323334353637383934222c228e52936390bb89d9"
                                                    "222c2282a282bf82b22c2091e5959f222c222020368cc293fc20222c2222"
                                                    "2c2d3132300d0a");
    const QByteArray bytes = encodeSheet(sheet).bytes;
    EXPECT_EQ(bytes.mid(bytes.indexOf("\r\n") + 2, expected.size()), expected);
}

TEST(SheetFileWrite, FilledSheetsReadBackEqualInBothFormats)
{
    QTemporaryDir dir;
    for (const SheetFormat* format : {&SheetFormat::large, &SheetFormat::small}) {
        const QString path = dir.filePath(QString::fromLatin1(format->isLarge() ? "l.csv" : "s.txt"));
        const TagSheet original = filledSheet(*format);
        const SheetWriteResult written = writeSheetFile(original, path);
        ASSERT_TRUE(written.ok) << written.error.toStdString();
        EXPECT_TRUE(written.replaced.empty());

        TagSheet loaded = markedSheet(*format);
        loaded.fileName = QStringLiteral("前のファイル");
        const ReadResult read = readSheetFile(loaded, path);
        ASSERT_TRUE(read.loaded());
        EXPECT_TRUE(read.message.isEmpty());
        EXPECT_EQ(loaded.records, original.records);
        EXPECT_EQ(loaded.current, 5);  // only the records change
        EXPECT_EQ(loaded.fileName, QStringLiteral("前のファイル"));
    }
}

TEST(SheetFileWrite, CharactersTheFileCannotHoldAreReplacedAndReported)
{
    TagSheet sheet(SheetFormat::small);
    sheet.record(2).maker = QStringLiteral("a\U0001F600b¥c");  // no code page 932 character
    sheet.record(2).lot = QStringLiteral("〜");
    sheet.record(3).productName2 = QStringLiteral("12\"ｲﾝﾁ\"");
    sheet.record(4).spec = QString(QChar(0xD800)) + QStringLiteral("x");  // lone surrogate
    // Control characters beside an unwritable one still go through the code page.
    const QString controls = QString(QChar(0x1C)) + QChar(0x7F) + QChar(0x1A) + QChar(u'\t');
    sheet.record(5).lot = controls + QStringLiteral("\U0001F600");
    const EncodedSheet encoded = encodeSheet(sheet);
    const std::vector<ReplacedText> expected {
        {2, Field::maker, Substitution::unrepresentable},    {2, Field::lot, Substitution::unrepresentable},
        {3, Field::productName2, Substitution::doubleQuote}, {4, Field::spec, Substitution::unrepresentable},
        {5, Field::lot, Substitution::unrepresentable},
    };
    EXPECT_EQ(encoded.replaced, expected);

    TagSheet back(SheetFormat::small);
    ASSERT_TRUE(decodeSheet(back, encoded.bytes).loaded());
    EXPECT_EQ(back.record(2).maker, QStringLiteral("a?b?c"));
    EXPECT_EQ(back.record(2).lot, QStringLiteral("?"));
    EXPECT_EQ(back.record(3).productName2, QStringLiteral("12＂ｲﾝﾁ＂"));
    EXPECT_EQ(back.record(3).spec, QString());  // the quotes did not shift the fields
    EXPECT_EQ(back.record(4).spec, QStringLiteral("?x"));
    EXPECT_EQ(back.record(5).lot, controls + u'?');
    back.record(2) = sheet.record(2);
    back.record(3) = sheet.record(3);
    back.record(4) = sheet.record(4);
    back.record(5) = sheet.record(5);
    EXPECT_EQ(back.records, sheet.records);
}

TEST(SheetFileWrite, WriterLeavesTheSheetAsItWas)
{
    const TagSheet original = filledSheet(SheetFormat::large);
    TagSheet sheet = original;
    sheet.record(1).maker = QStringLiteral("\"引用\"");
    const TagSheet before = sheet;
    QTemporaryDir dir;
    ASSERT_TRUE(writeSheetFile(sheet, dir.filePath(QStringLiteral("a.csv"))).ok);
    EXPECT_EQ(sheet.records, before.records);
}

// Saving goes through a temporary file that replaces the target only once it is complete.
TEST(SheetFileWrite, FailuresAreReportedWithAReason)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    writeAll(folder + QStringLiteral("/inside.csv"), "keep");
    const QString targets[] = {
        dir.filePath(QStringLiteral("missing/sheet.csv")),  // folder does not exist
        folder,                                             // a folder, not a file
        QStringLiteral("/proc/self/sheet.csv"),             // a place no file can be made
    };
    for (const QString& target : targets) {
        const SheetWriteResult result = writeSheetFile(filledSheet(SheetFormat::large), target);
        EXPECT_FALSE(result.ok) << target.toStdString();
        EXPECT_FALSE(result.error.isEmpty()) << target.toStdString();
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(readAll(folder + QStringLiteral("/inside.csv")), QByteArray("keep"));
}

// A disk that fills up while the sheet is written, made with the file size limit, which holds for
// every user including root: the old file stays byte for byte, and no temporary file is left.
TEST(SheetFileWrite, AFailedWriteKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.csv"));
    const QByteArray previous = encodeSheet(filledSheet(SheetFormat::large)).bytes;
    writeAll(path, previous);

    TagSheet bigger = filledSheet(SheetFormat::small);
    bigger.record(1).productName = QString(5000, QChar(u'長'));
    ASSERT_GT(encodeSheet(bigger).bytes.size(), 4096);

    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const SheetWriteResult result = writeSheetFile(bigger, path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(readAll(path), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("sheet.csv")});
}

// ---- Reading: the type line ------------------------------------------------------------------

TEST(SheetFileRead, TheTypeLineDecidesTheOutcome)
{
    const QByteArray record = "\" 1\",\"\",\"\",\"x\",\"\",\"\",\"\",5\r\n";
    struct Case {
        const char* name;
        const SheetFormat* format;
        QByteArray bytes;
        ReadStatus status;
        QString message;
    };
    const Case cases[] = {
        {"large, own type", &SheetFormat::large, '"' + kLargeType + "\"\r\n", ReadStatus::loaded, {}},
        {"small, own type", &SheetFormat::small, '"' + kSmallType + "\"\r\n", ReadStatus::loaded, {}},
        {"bare type", &SheetFormat::large, kLargeType + "\r\n", ReadStatus::loaded, {}},
        {"blanks before the quote", &SheetFormat::small, "  \"" + kSmallType + "\"\r\n", ReadStatus::loaded, {}},
        {"small file in the large editor", &SheetFormat::large, '"' + kSmallType + "\"\r\n" + record,
         ReadStatus::otherFormat, QStringLiteral("小さい棚札データです")},
        {"large file in the small editor", &SheetFormat::small, '"' + kLargeType + "\"\r\n" + record,
         ReadStatus::otherFormat, QStringLiteral("大さい棚札データです")},
        {"foreign first field", &SheetFormat::large, "\"JAN\",\"name\"\r\n" + record, ReadStatus::notASheet,
         QStringLiteral("棚札形式のデータではありません")},
        {"blank before the literal", &SheetFormat::large, "\" " + kLargeType + "\"\r\n", ReadStatus::notASheet,
         kNotASheetMessage},
        {"blank after the literal", &SheetFormat::small, "\"" + kSmallType + " \"\r\n", ReadStatus::notASheet,
         kNotASheetMessage},
        {"literal in UTF-8", &SheetFormat::large, "\"大きい棚札\"\r\n", ReadStatus::notASheet, kNotASheetMessage},
        {"empty file", &SheetFormat::large, "", ReadStatus::notASheet, kNotASheetMessage},
        {"one empty line", &SheetFormat::small, "\r\n", ReadStatus::notASheet, kNotASheetMessage},
    };
    for (const Case& c : cases) {
        TagSheet sheet = markedSheet(*c.format);
        const TagSheet before = sheet;
        const ReadResult result = decodeSheet(sheet, c.bytes);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.message, c.message) << c.name;
        if (c.status == ReadStatus::loaded) {
            EXPECT_TRUE(result.title.isEmpty()) << c.name;
            EXPECT_EQ(sheet.records, TagSheet(*c.format).records) << c.name;
        } else {
            EXPECT_EQ(result.title, QStringLiteral("エラー")) << c.name;
            EXPECT_EQ(sheet.records, before.records) << c.name;
        }
    }
}

TEST(SheetFileRead, AFileThatCannotBeReadIsNotASheet)
{
    QTemporaryDir dir;
    for (const QString& path : {dir.filePath(QStringLiteral("none.csv")), dir.path()}) {
        TagSheet sheet = markedSheet(SheetFormat::large);
        const TagSheet before = sheet;
        const ReadResult result = readSheetFile(sheet, path);
        EXPECT_EQ(result.status, ReadStatus::notASheet);
        EXPECT_EQ(result.message, kNotASheetMessage);
        EXPECT_EQ(result.title, kErrorTitle);
        EXPECT_EQ(sheet.records, before.records);
    }
}

TEST(SheetFileRead, EitherFormatCanBeRecognisedAndRead)
{
    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("l.csv"));
    const QString small = dir.filePath(QStringLiteral("s.csv"));
    const QString foreign = dir.filePath(QStringLiteral("f.csv"));
    ASSERT_TRUE(writeSheetFile(filledSheet(SheetFormat::large), large).ok);
    ASSERT_TRUE(writeSheetFile(filledSheet(SheetFormat::small), small).ok);
    writeAll(foreign, "\"x\"\r\n");

    EXPECT_EQ(sheetFormatOfFile(large), &SheetFormat::large);
    EXPECT_EQ(sheetFormatOfFile(small), &SheetFormat::small);
    EXPECT_EQ(sheetFormatOfFile(foreign), nullptr);
    EXPECT_EQ(sheetFormatOfFile(dir.filePath(QStringLiteral("none"))), nullptr);

    const std::optional<TagSheet> any = readAnySheetFile(small);
    ASSERT_TRUE(any.has_value());
    EXPECT_TRUE(any->format().isSmall());
    EXPECT_EQ(any->records, filledSheet(SheetFormat::small).records);
    EXPECT_FALSE(readAnySheetFile(foreign).has_value());
}

// ---- Reading: records ----------------------------------------------------------------------

TEST(SheetFileRead, RecordsLandInTheSlotTheirIndexNames)
{
    QStringList reversed;
    for (int slot = 24; slot >= 1; --slot) {
        reversed << QStringLiteral("\" %1\",\"j%1\",\"\",\"品%1\",\"\",\"\",%1").arg(slot);
    }
    TagSheet sheet(SheetFormat::large);
    ASSERT_TRUE(decodeSheet(sheet, sheetBytes(SheetFormat::large, reversed)).loaded());
    for (int slot = 1; slot <= 24; ++slot) {
        EXPECT_EQ(sheet.record(slot).jan, QStringLiteral("j%1").arg(slot));
        EXPECT_EQ(sheet.record(slot).productName, QStringLiteral("品%1").arg(slot));
        EXPECT_EQ(sheet.record(slot).price, slot);
    }
}

TEST(SheetFileRead, IndexIsTheRoundedNumberTheFieldBeginsWith)
{
    struct Case {
        const SheetFormat* format;
        const char* index;
        int slot;  // 0: the record is ignored
    };
    const Case cases[] = {
        {&SheetFormat::large, "\" 1\"", 1},
        {&SheetFormat::large, "\"1\"", 1},
        {&SheetFormat::large, " 7", 7},
        {&SheetFormat::large, "7", 7},
        {&SheetFormat::large, "\"   24\"", 24},
        {&SheetFormat::large, "\" 2.5\"", 2},
        {&SheetFormat::large, "\"3.5\"", 4},
        {&SheetFormat::large, "\"2.51\"", 3},
        {&SheetFormat::large, "\"1.5\"", 2},
        {&SheetFormat::large, "\"12abc\"", 12},
        {&SheetFormat::large, "\"0\"", 0},
        {&SheetFormat::large, "\"0.5\"", 0},
        {&SheetFormat::large, "\"25\"", 0},
        {&SheetFormat::large, "\"-1\"", 0},
        {&SheetFormat::large, "\"abc\"", 0},
        {&SheetFormat::large, "\"\"", 0},
        {&SheetFormat::large, "\"９\"", 0},
        {&SheetFormat::large, "99999999999999999999", 0},
        {&SheetFormat::large, "00000000000000000003", 3},
        {&SheetFormat::small, "\" 40\"", 40},
        {&SheetFormat::small, "\" 41\"", 0},
        {&SheetFormat::small, "\"24.5\"", 24},
    };
    for (const Case& c : cases) {
        const QString texts = c.format->isLarge() ? QStringLiteral("\"X\",\"\",\"\",\"\",\"\"")
                                                  : QStringLiteral("\"X\",\"\",\"\",\"\",\"\",\"\"");
        const QString line = QString::fromUtf8(c.index) + u',' + texts + QStringLiteral(",1");
        TagSheet sheet(*c.format);
        ASSERT_TRUE(decodeSheet(sheet, sheetBytes(*c.format, {line})).loaded()) << c.index;
        int found = 0;
        for (int slot = 1; slot <= sheet.tagsPerPage(); ++slot) {
            if (sheet.record(slot).jan == QStringLiteral("X")) {
                EXPECT_EQ(found, 0) << c.index;
                found = slot;
            }
        }
        EXPECT_EQ(found, c.slot) << c.index;
    }
}

// A price that is not a whole number is rounded as the index is; one that does not fit in 32 bits
// reads as 0.
TEST(SheetFileRead, PriceIsReadAsAWholeNumber)
{
    const std::pair<const char*, qint32> cases[] = {
        {"0", 0},
        {"-120", -120},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", 0},
        {"-2147483649", 0},
        {"\"350\"", 350},
        {"12.5", 12},
        {"13.5", 14},
        {"  80", 80},
        {"100円", 100},
        {"abc", 0},
        {"", 0},
    };
    for (const auto& [field, price] : cases) {
        const QString line = QStringLiteral("\" 3\",\"\",\"\",\"\",\"\",\"\",") + QString::fromUtf8(field);
        TagSheet sheet = markedSheet(SheetFormat::large);
        ASSERT_TRUE(decodeSheet(sheet, sheetBytes(SheetFormat::large, {line})).loaded()) << field;
        EXPECT_EQ(sheet.record(3).price, price) << field;
    }
}

TEST(SheetFileRead, FieldsAreCountedAcrossLines)
{
    const QByteArray bytes = sheetBytes(SheetFormat::large,
                                        {
                                            QStringLiteral("\" 1\",\"a, b\",  \"  c  \""),
                                            QStringLiteral("\"d\",  0123,ﾛｯﾄ 2 "),
                                            QStringLiteral("40"),
                                            QStringLiteral(" 2,4901234567894,メーカー,品名,規格,,-3"),
                                        });
    TagSheet sheet(SheetFormat::large);
    ASSERT_TRUE(decodeSheet(sheet, bytes).loaded());
    EXPECT_EQ(sheet.record(1),
              (TagRecord {QStringLiteral("a, b"),
                          QStringLiteral("  c  "),
                          QStringLiteral("d"),
                          {},
                          QStringLiteral("0123"),
                          QStringLiteral("ﾛｯﾄ 2 "),
                          40}));
    // Unquoted texts are kept as written: the JAN code stays a text of 13 digits.
    EXPECT_EQ(sheet.record(2),
              (TagRecord {QStringLiteral("4901234567894"),
                          QStringLiteral("メーカー"),
                          QStringLiteral("品名"),
                          {},
                          QStringLiteral("規格"),
                          {},
                          -3}));
}

TEST(SheetFileRead, LineEndsMayBeCrLfCrOrLf)
{
    for (const QByteArray& end : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        QByteArray bytes = '"' + kSmallType + '"' + end;
        bytes += "\" 1\",\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",1" + end;
        bytes += "\" 2\",\"g\",\"\",\"\",\"\",\"\",\"\",2" + end;
        TagSheet sheet(SheetFormat::small);
        ASSERT_TRUE(decodeSheet(sheet, bytes).loaded());
        EXPECT_EQ(sheet.record(1), (TagRecord {"a", "b", "c", "d", "e", "f", 1}));
        EXPECT_EQ(sheet.record(2).jan, QStringLiteral("g"));
        EXPECT_EQ(sheet.record(2).price, 2);
    }
}

TEST(SheetFileRead, LaterRecordsWinAndLinesPastTheLastSlotAreRead)
{
    QStringList lines;
    for (int slot = 1; slot <= 24; ++slot) {
        lines << QStringLiteral("\" %1\",\"\",\"\",\"first\",\"\",\"\",1").arg(slot);
    }
    lines << QStringLiteral("\" 3\",\"\",\"\",\"second\",\"\",\"\",2")
          << QStringLiteral("\" 25\",\"\",\"\",\"none\",\"\",\"\",3")
          << QStringLiteral("\" 3\",\"\",\"\",\"third\",\"\",\"\",4");
    TagSheet sheet(SheetFormat::large);
    ASSERT_TRUE(decodeSheet(sheet, sheetBytes(SheetFormat::large, lines)).loaded());
    EXPECT_EQ(sheet.record(3).productName, QStringLiteral("third"));
    EXPECT_EQ(sheet.record(3).price, 4);
    EXPECT_EQ(sheet.record(24).productName, QStringLiteral("first"));
}

TEST(SheetFileRead, MissingRecordsLeaveTheirSlotsEmpty)
{
    TagSheet sheet = filledSheet(SheetFormat::small);
    const QByteArray bytes
        = sheetBytes(SheetFormat::small, {QStringLiteral("\" 2\",\"\",\"\",\"p\",\"\",\"\",\"\",9")});
    ASSERT_TRUE(decodeSheet(sheet, bytes).loaded());
    TagSheet expected(SheetFormat::small);
    expected.record(2).productName = QStringLiteral("p");
    expected.record(2).price = 9;
    EXPECT_EQ(sheet.records, expected.records);
}

// Damaged files: every case loads what can be trusted, never more.
TEST(SheetFileRead, DamagedFilesLoadWhatIsWhole)
{
    const QString good = QStringLiteral("\" 1\",\"ok\",\"\",\"\",\"\",\"\",1");
    static constexpr char kWithNuls[] = "\" 2\",\"a\0b\",\"\",\"\",\"\",\"\",2\r\n\0\0\0\0";
    struct Case {
        const char* name;
        QByteArray tail;  // after the type line and a whole record for slot 1
        TagRecord slot2;  // what slot 2 holds afterwards
    };
    const Case cases[] = {
        // A last record cut short is dropped whole.
        {"too few fields", "\" 2\",\"a\",\"b\",\"c\"\r\n", {}},
        {"price missing at the end", "\" 2\",\"a\",\"b\",\"c\",\"d\",\"e\",", {}},
        // An unclosed quote takes the rest of the file, so its record is cut short.
        {"unclosed quote", "\" 2\",\"a\",\"b\r\n 3,c,,,,,3\r\n", {}},
        // Text after a closing quote is dropped up to the next comma.
        {"text after a quote", "\" 2\",\"a\"xyz,\"b\" ,\"c\"\"d\",\"\",\"\",2\r\n", {"a", "b", "c", {}, {}, {}, 2}},
        // Bytes that are no code page 932 character read as U+FFFD, the rest as written.
        {"invalid bytes",
         "\" 2\",\"a\x80\xFF\",\"\x85\x40\",\"\x81\",\"b\x81\",\"\",2\r\n",
         {QStringLiteral("a\uFFFD\uFFFD"),
          QStringLiteral("\uFFFD"),
          QStringLiteral("\uFFFD"),
          {},
          QStringLiteral("b\uFFFD"),
          {},
          2}},
        // NUL bytes are left out, as a file cut short by a crash may end in a run of them.
        {"NUL bytes", QByteArray(kWithNuls, sizeof kWithNuls - 1), {"ab", {}, {}, {}, {}, {}, 2}},
        {"blank lines at the end", "\r\n\r\n  ", {}},
    };
    for (const Case& c : cases) {
        TagSheet sheet(SheetFormat::large);
        const QByteArray bytes = sheetBytes(SheetFormat::large, {good}) + c.tail;
        ASSERT_TRUE(decodeSheet(sheet, bytes).loaded()) << c.name;
        EXPECT_EQ(sheet.record(1).jan, QStringLiteral("ok")) << c.name;
        EXPECT_EQ(sheet.record(2), c.slot2) << c.name;
        EXPECT_EQ(sheet.record(3), TagRecord {}) << c.name;
    }
}

TEST(SheetFileRead, FilesPastTheSizeLimitAreRefusedUnread)
{
    QByteArray bytes = sheetBytes(SheetFormat::large, {QStringLiteral("\" 1\",\"a\",\"\",\"\",\"\",\"\",1")});
    bytes += QByteArray(kMaxSheetFileBytes, ' ');
    TagSheet sheet = markedSheet(SheetFormat::large);
    const TagSheet before = sheet;
    EXPECT_EQ(decodeSheet(sheet, bytes).status, ReadStatus::notASheet);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    writeAll(path, bytes);
    EXPECT_EQ(readSheetFile(sheet, path).status, ReadStatus::notASheet);
    EXPECT_EQ(sheet.records, before.records);
}
