// libFuzzer target for the sheet-file reader. Besides not crashing, every input must keep these
// promises for both formats: a rejected file leaves the sheet alone and names the right message,
// the outcome agrees with sheetFormatOf, and a loaded sheet survives writing and reading again.
#include "sheetfile/sheet_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using sheet::SheetFormat;
using sheet::TagSheet;
using namespace sheetfile;

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
    switch (result.outcome) {
    case ReadOutcome::loaded:
        require(named == &format, "a loaded file names the sheet's format");
        require(result.message.isEmpty() && result.title.isEmpty(), "no message when loaded");
        break;
    case ReadOutcome::otherFormat:
        require(named != nullptr && !(*named == format), "the other format is named");
        require(result.message == otherFormatMessage(format), "message of the other format");
        break;
    case ReadOutcome::notASheet:
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check(SheetFormat::large, bytes);
    check(SheetFormat::small, bytes);
    return 0;
}
