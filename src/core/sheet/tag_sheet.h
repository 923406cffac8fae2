#pragma once

#include <QString>
#include <QtGlobal>

#include <map>
#include <optional>
#include <vector>

namespace sheet {

// The items of a tag, as the edit boxes, the sheet files and the product lists name them.
enum class Field { jan, maker, productName, productName2, spec, lot, price };

// What a page is drawn for: the preview (grey grid, tag numbers, placeholders) or the printer.
enum class OutputMode { preview, printer };

// The constants of one tag format. Exactly two exist: SheetFormat::large (6 x 3 cm tags, 24 to a
// page) and SheetFormat::small (3 x 3 cm tags, 40 to a page, with a second product-name line).
// Everything that differs between the two editor windows is read from here.
struct SheetFormat {
    enum class Kind { large, small };

    Kind kind;
    const char* windowName;  // object name of the editor window
    qint16 tagsPerPage;
    qint16 columns;
    qint16 rows;
    qint32 cellWidthMm;
    qint32 cellHeightMm;
    qint32 defaultMarginLeftMm;
    qint32 defaultMarginTopMm;
    qint16 defaultPriceFontSizePt;
    bool hasProductName2;

    static const SheetFormat large;  // NOLINT(readability-identifier-naming): read as SheetFormat::large
    static const SheetFormat small;  // NOLINT(readability-identifier-naming)

    bool isLarge() const { return kind == Kind::large; }
    bool isSmall() const { return kind == Kind::small; }
    // "/24" or "/40": what follows the tag number in the position label.
    QString positionSuffix() const;
    // The position label as start-up, New and Open write it: "1/24" or "1/40".
    QString initialPositionText() const;
    // How the command line, the catalogue and JSON name the format: "large" or "small".
    QString key() const;
    // The format of a key; nullptr for any other text.
    static const SheetFormat* ofKey(const QString& key);

    friend bool operator==(const SheetFormat& a, const SheetFormat& b) { return a.kind == b.kind; }
};

// The data of one tag. An empty text means the item is not given.
struct TagRecord {
    QString jan;
    QString maker;
    QString productName;
    QString productName2;  // small format only
    QString spec;
    QString lot;
    qint32 price = 0;

    friend bool operator==(const TagRecord&, const TagRecord&) = default;
};

// A sale tag's texts beside its price: the offer's period and, where the rule allows it, the
// former price (当店通常価格), shown smaller and struck through.
struct SaleMark {
    QString period;          // "12/16〜12/20", "17:00〜19:00"
    qint32 formerPrice = 0;  // 0: none shown
    friend bool operator==(const SaleMark&, const SaleMark&) = default;
};

// What a tag shows beyond its record, worked out when its page is laid out and drawn: never kept
// in a sheet file. The catalogue's prints fill it; a sheet of an editor or a file has none.
struct TagExtras {
    std::optional<SaleMark> sale;
    // The product's consumption-tax rate (10, 8, 0 for 非課税); none: the sheet's
    // (TagTextChoices::sheetTaxRatePercent).
    std::optional<int> taxRatePercent;
    // The list's own tax-exclusive price, where the list gave the price without the tax: the
    // tax-exclusive text then shows it exactly rather than working it back from the tag's price.
    std::optional<qint64> listExclusiveYen;
    // The product's own unit-price base as the list's 単位 column says it ("100g", "1L", "10枚");
    // empty: the shop's (TagTextChoices::unitBase); "なし" (or "-", "対象外"): no unit price.
    QString unitBase;
    // The product's content where the list gives it apart from the size (内容量 and 単位: "500ml");
    // empty: the size text says it.
    QString content;
    friend bool operator==(const TagExtras&, const TagExtras&) = default;
};

// Which extra texts the shop has its tags show beside the price, the same for every tag of the
// page (the settings file keeps them for the shop as a whole). All are off by default, and with
// all off a page is drawn as it always was.
struct TagTextChoices {
    bool unitPrice = false;                  // 単位価格: "100mlあたり 39.8円", from the size text and the price
    bool taxExclusive = false;               // the price without the tax: "（税抜 980円）"
    bool reducedRateMark = false;            // a mark beside the price of goods at the reduced (8 %) rate
    QString markText = QStringLiteral("※");  // that mark: "※" or "軽"
    QString unitBase;                        // the shop's unit-price base ("100g"); empty: by content
    // The rate of a tag whose sheet gives none of its own (the editor's sheets, sheet files).
    int sheetTaxRatePercent = 10;

    bool anyOn() const { return unitPrice || taxExclusive || reducedRateMark; }
    friend bool operator==(const TagTextChoices&, const TagTextChoices&) = default;
};

// The extra texts of one tag as they are drawn, worked out from its record, its extras and the
// choices (pricing::tagTexts); an empty text is not drawn.
struct TagTexts {
    QString unitPrice;        // "100mlあたり 39.8円"
    QString taxExclusive;     // "（税抜 980円）"
    QString reducedRateMark;  // "※"
    bool isEmpty() const { return unitPrice.isEmpty() && taxExclusive.isEmpty() && reducedRateMark.isEmpty(); }
    friend bool operator==(const TagTexts&, const TagTexts&) = default;
};
using TagTextTable = std::map<int, TagTexts>;  // by tag slot

// Top-left corner of a tag's cell on the page, in millimetres from the page's top-left corner.
struct CellOrigin {
    qint32 xMm;
    qint32 yMm;
    friend bool operator==(const CellOrigin&, const CellOrigin&) = default;
};

// Colours are 32-bit values 0x00BBGGRR; a value with the top bit set names a system colour.
using Colour = quint32;

// The state of one editor window: its page of tags and the settings the page drawing needs.
class TagSheet {
public:
    explicit TagSheet(const SheetFormat& format);

    const SheetFormat& format() const { return *format_; }
    qint16 tagsPerPage() const { return format_->tagsPerPage; }

    // Record of tag `slot`, counted from 1.
    TagRecord& record(int slot);
    const TagRecord& record(int slot) const;
    TagRecord& currentRecord() { return record(current); }

    // Cell of tag `tag` (1-based), from the margins and the format's cell size.
    CellOrigin cellOrigin(int tag) const;

    // Empties every record (and the scratch copy): texts empty, prices 0. Nothing else changes.
    void clearAll();

    // Puts the margins of the large format back to their start-up values, as a blank page shows
    // them; the small format keeps its margins.
    void restoreStartMargins();

    // The position label as the JAN box writes it: the number with one leading blank (the sign
    // place of a non-negative number) followed by "/24" or "/40", e.g. " 7/24".
    QString positionText() const;

    std::vector<TagRecord> records;  // index 0 holds tag 1
    std::vector<TagRecord> scratch;  // working copy while a delete or insert runs
    qint16 current = 1;
    qint16 candidateIndex = 0;
    std::optional<Field> focusedField;            // the box that last offered a previous candidate, if any
    OutputMode outputMode = OutputMode::printer;  // the editor switches to preview for its own view
    QString fileName;
    QString nameFont;
    bool nameBold = false;
    bool nameItalic = false;
    QString priceFont;
    bool priceBold = false;
    bool priceItalic = false;
    qint16 priceFontSize;
    bool bordered = false;
    Colour borderColor = 0;
    qint32 marginLeft;        // mm
    qint32 marginTop;         // mm
    qint16 printOffsetX = 0;  // mm, moves the price only
    qint16 printOffsetY = 0;  // mm
    // What tags show beyond their records, by tag slot (a sale tag of the catalogue's print); none
    // for a sheet of an editor or a file.
    std::map<int, TagExtras> extras;
    // The extra texts the shop has chosen to show; set from the settings before the page is drawn.
    TagTextChoices textChoices;

private:
    const SheetFormat* format_;
};

// Texts of the system shared by several layers.
inline const QString kUntitled = QStringLiteral("無題");
inline const QString kMincho = QStringLiteral("ＭＳ 明朝");
inline const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");

}  // namespace sheet
