// libFuzzer target for the sheet-file reader and the page drawing of what it read. Besides not
// crashing, every input must keep these promises for both formats: a rejected file leaves the sheet
// alone and names the right message, the outcome agrees with sheetFormatOf, and a loaded sheet
// survives writing and reading again. The same bytes read from a real file and from a pipe give the
// same sheet, and that sheet is drawn for the preview and for the printer on a recording surface:
// the same operations each time, at finite positions, without changing the sheet.
#include "core/draw/draw_tag_sheet.h"
#include "core/draw/recording_surface.h"
#include "core/files/sheet_file.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

using sheet::SheetFormat;
using sheet::TagSheet;
using namespace files;

namespace {

void require(bool condition, const char* promise)
{
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

void check(const SheetFormat& format, const QByteArray& bytes)
{
    TagSheet sheet(format);
    sheet.record(1).maker = QStringLiteral("前の内容");
    sheet.current = 3;
    const TagSheet before = sheet;

    const ReadResult result = decodeSheet(sheet, bytes);
    const SheetFormat* named = sheetFormatOf(bytes);
    require(sheet.current == 3, "only the records change");
    require(sheet.records.size() == before.records.size(), "the sheet keeps its size");
    switch (result.status) {
    case ReadStatus::loaded:
        require(named == &format, "a loaded file names the sheet's format");
        require(result.message.isEmpty() && result.title.isEmpty(), "no message when loaded");
        break;
    case ReadStatus::otherFormat:
        require(named != nullptr && !(*named == format), "the other format is named");
        require(result.message == otherFormatMessage(format), "message of the other format");
        break;
    case ReadStatus::notASheet:
        require(named == nullptr, "a foreign file names no format");
        require(result.message == kNotASheetMessage, "message of a foreign file");
        break;
    }
    if (!result.loaded()) {
        require(result.title == kErrorTitle, "title of a rejected file");
        require(sheet.records == before.records, "a rejected file leaves the sheet alone");
        return;
    }

    const EncodedSheet first = encodeSheet(sheet);
    TagSheet again(format);
    require(decodeSheet(again, first.bytes).loaded(), "a written sheet reads back");
    if (first.replaced.empty()) {
        require(again.records == sheet.records, "what is written unchanged reads back equal");
    }
    const EncodedSheet second = encodeSheet(again);
    require(second.bytes == first.bytes, "writing what was read back gives the same bytes");
    require(second.replaced.empty(), "substitutes need no further substitution");
}

// The sheet that decodeSheet makes of `bytes`, of the format they name.
std::optional<TagSheet> decodedSheet(const QByteArray& bytes)
{
    const SheetFormat* format = sheetFormatOf(bytes);
    if (!format) {
        return std::nullopt;
    }
    TagSheet sheet(*format);
    require(decodeSheet(sheet, bytes).loaded(), "the format named is loaded");
    return sheet;
}

bool sameSheet(const std::optional<TagSheet>& a, const std::optional<TagSheet>& b)
{
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || (a->format() == b->format() && a->records == b->records);
}

void writeWhole(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        require(n > 0, "the test can write its input");
        done += n;
    }
}

// The input as a real file, rewritten for each run at one path of this process.
const QString& inputFile(const QByteArray& bytes)
{
    static char folder[] = "/tmp/tanafuda-fuzz-XXXXXX";
    static const QString path = [] {
        require(::mkdtemp(folder) != nullptr, "a folder for the input file");
        std::atexit([] {
            ::unlink((QByteArray(folder) + "/input.csv").constData());
            ::rmdir(folder);
        });
        return QString::fromLocal8Bit(folder) + QStringLiteral("/input.csv");
    }();
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    require(fd >= 0, "the input file opens");
    writeWhole(fd, bytes);
    ::close(fd);
    return path;
}

// What the reader makes of the input fed through a pipe, which has no size and cannot be read twice.
std::optional<TagSheet> readThroughPipe(const QByteArray& bytes)
{
    int ends[2];
    require(::pipe2(ends, O_CLOEXEC) == 0, "a pipe");
    std::thread feeder([&] {
        writeWhole(ends[1], bytes);
        ::close(ends[1]);
    });
    std::optional<TagSheet> sheet = readAnySheetFile(QStringLiteral("/dev/fd/%1").arg(ends[0]));
    // A reader that stopped early must not leave the feeder blocked.
    char sink[4096];
    while (::read(ends[0], sink, sizeof sink) > 0) { }
    feeder.join();
    ::close(ends[0]);
    return sheet;
}

std::vector<draw::DrawOp> drawn(const TagSheet& sheet)
{
    draw::RecordingSurface surface;
    draw::drawTagSheet(sheet, surface);
    return surface.ops();
}

void checkDrawing(TagSheet sheet)
{
    // The preview plain, the printed page with borders and real barcodes.
    for (const bool print : {false, true}) {
        sheet.outputMode = print ? sheet::OutputMode::printer : sheet::OutputMode::preview;
        sheet.bordered = print;
        const TagSheet before = sheet;
        const std::vector<draw::DrawOp> ops = drawn(sheet);
        require(sheet.records == before.records && sheet.current == before.current, "drawing leaves the sheet alone");
        require(!ops.empty(), "a page is drawn");
        for (const draw::DrawOp& op : ops) {
            require(std::isfinite(op.x) && std::isfinite(op.y) && std::isfinite(op.w) && std::isfinite(op.h),
                    "every mark is at a finite place");
        }
        require(drawn(sheet) == ops, "the same sheet draws the same page");
    }
}

void checkFiles(const QByteArray& bytes)
{
    const std::optional<TagSheet> decoded = decodedSheet(bytes);
    const QString& path = inputFile(bytes);
    require(sheetFormatOfFile(path) == sheetFormatOf(bytes), "a file names the format its bytes name");
    require(sameSheet(readAnySheetFile(path), decoded), "a file reads as its bytes decode");
    TagSheet large(SheetFormat::large);
    TagSheet fromBytes(SheetFormat::large);
    require(readSheetFile(large, path).status == decodeSheet(fromBytes, bytes).status,
            "a file is judged as its bytes are");
    require(large.records == fromBytes.records, "a file loads as its bytes do");
    require(sameSheet(readThroughPipe(bytes), decoded), "a pipe reads as its bytes decode");
    if (decoded) {
        checkDrawing(*decoded);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check(SheetFormat::large, bytes);
    check(SheetFormat::small, bytes);
    checkFiles(bytes);
    return 0;
}
