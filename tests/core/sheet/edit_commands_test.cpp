#include "core/sheet/edit_commands.h"

#include "support/sample_records.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sheet;

namespace {

// A sheet whose tags 1..filled hold "t1", "t2", ...
TagSheet filledSheet(const SheetFormat& format, int filled)
{
    TagSheet sheet(format);
    for (int i = 1; i <= filled; ++i) {
        sheet.record(i) = sampleRecord(QStringLiteral("t%1").arg(i), i);
    }
    return sheet;
}

const SheetFormat* const kFormats[] = {&SheetFormat::large, &SheetFormat::small};

}  // namespace

TEST(EditCommands, InsertMovesRecordsDownFromCurrent)
{
    for (const SheetFormat* f : kFormats) {
        TagSheet sheet = filledSheet(*f, 5);
        sheet.current = 3;
        ASSERT_TRUE(insertAtCurrent(sheet));
        EXPECT_EQ(sheet.current, 3);
        EXPECT_EQ(sheet.record(2), sampleRecord(QStringLiteral("t2"), 2));
        EXPECT_EQ(sheet.record(3), TagRecord {});
        EXPECT_EQ(sheet.record(4), sampleRecord(QStringLiteral("t3"), 3));
        EXPECT_EQ(sheet.record(6), sampleRecord(QStringLiteral("t5"), 5));  // productName2 moved along
        EXPECT_EQ(sheet.record(7), TagRecord {});
    }
}

TEST(EditCommands, InsertAtTheLastTagEmptiesItAndIsRefusedWhenItHasAName)
{
    for (const SheetFormat* f : kFormats) {
        const int last = f->tagsPerPage;
        TagSheet sheet = filledSheet(*f, last);
        sheet.current = 2;
        const TagSheet before = sheet;
        EXPECT_FALSE(insertAtCurrent(sheet));
        EXPECT_EQ(sheet.records, before.records);

        // Only a code and a price on the last tag: the insert goes ahead and that record is lost.
        sheet.record(last).productName.clear();
        ASSERT_TRUE(insertAtCurrent(sheet));
        EXPECT_EQ(sheet.record(last), sampleRecord(QStringLiteral("t%1").arg(last - 1), last - 1));
        EXPECT_EQ(sheet.record(2), TagRecord {});

        TagSheet atEnd = filledSheet(*f, last - 1);
        atEnd.record(last).jan = QStringLiteral("123");
        atEnd.current = qint16(last);
        ASSERT_TRUE(insertAtCurrent(atEnd));
        EXPECT_EQ(atEnd.record(last), TagRecord {});
        EXPECT_EQ(atEnd.record(last - 1), sampleRecord(QStringLiteral("t%1").arg(last - 1), last - 1));
    }
}

TEST(EditCommands, DeleteMovesRecordsUp)
{
    for (const SheetFormat* f : kFormats) {
        TagSheet sheet = filledSheet(*f, 5);
        sheet.current = 3;
        deleteCurrent(sheet);
        EXPECT_EQ(sheet.current, 3);
        EXPECT_EQ(sheet.record(1), sampleRecord(QStringLiteral("t1"), 1));
        EXPECT_EQ(sheet.record(2), sampleRecord(QStringLiteral("t2"), 2));
        EXPECT_EQ(sheet.record(3), sampleRecord(QStringLiteral("t4"), 4));
        EXPECT_EQ(sheet.record(4), sampleRecord(QStringLiteral("t5"), 5));
        EXPECT_EQ(sheet.record(5), TagRecord {});

        const int last = f->tagsPerPage;
        TagSheet full = filledSheet(*f, last);
        full.current = qint16(last);
        deleteCurrent(full);
        EXPECT_EQ(full.record(last), TagRecord {});
        EXPECT_EQ(full.record(last - 1), sampleRecord(QStringLiteral("t%1").arg(last - 1), last - 1));
    }
}

TEST(EditCommands, CopyPrevious)
{
    for (const SheetFormat* f : kFormats) {
        TagSheet sheet = filledSheet(*f, 5);
        const TagSheet before = sheet;
        EXPECT_EQ(copyPreviousStatus(sheet), CopyStatus::atFirstTag);
        EXPECT_EQ(copyPrevious(sheet), CopyStatus::atFirstTag);
        EXPECT_EQ(sheet.records, before.records);
        EXPECT_EQ(sheet.current, 1);

        sheet.current = 7;  // record 6 is empty
        EXPECT_EQ(copyPreviousStatus(sheet), CopyStatus::previousEmpty);
        EXPECT_EQ(copyPrevious(sheet), CopyStatus::previousEmpty);
        EXPECT_EQ(sheet.records, before.records);
        EXPECT_EQ(sheet.current, 7);

        sheet.current = 6;
        EXPECT_EQ(copyPreviousStatus(sheet), CopyStatus::copied);
        EXPECT_EQ(sheet.records, before.records);  // only a look
        EXPECT_EQ(copyPrevious(sheet), CopyStatus::copied);
        EXPECT_EQ(sheet.record(6), sheet.record(5));
        EXPECT_EQ(sheet.current, 7);
        EXPECT_EQ(copyPrevious(sheet), CopyStatus::copied);  // repeated clicks fill the next tags
        EXPECT_EQ(sheet.record(7), sheet.record(5));
        EXPECT_EQ(sheet.current, 8);

        const int last = f->tagsPerPage;
        TagSheet full = filledSheet(*f, last);
        full.current = qint16(last);
        EXPECT_EQ(copyPrevious(full), CopyStatus::copied);
        EXPECT_EQ(full.current, last);
        EXPECT_EQ(full.record(last), full.record(last - 1));
    }
}

TEST(EditCommands, PreviousCandidateWalksBackToTheFirstRecord)
{
    TagSheet sheet = filledSheet(SheetFormat::large, 3);
    sheet.current = 4;
    sheet.focusedField = Field::productName;
    sheet.candidateIndex = 4;
    EXPECT_EQ(takePreviousCandidate(sheet), QStringLiteral("t3"));
    EXPECT_EQ(sheet.record(4).productName, QStringLiteral("t3"));
    EXPECT_EQ(takePreviousCandidate(sheet), QStringLiteral("t2"));
    EXPECT_EQ(takePreviousCandidate(sheet), QStringLiteral("t1"));
    EXPECT_EQ(sheet.record(4).productName, QStringLiteral("t1"));
    EXPECT_EQ(sheet.candidateIndex, 1);
    EXPECT_EQ(takePreviousCandidate(sheet), std::nullopt);
    EXPECT_EQ(sheet.record(4).productName, QStringLiteral("t1"));
    EXPECT_EQ(sheet.record(4).maker, QString());  // only the focused field is filled

    sheet.focusedField.reset();
    sheet.candidateIndex = 4;
    EXPECT_EQ(takePreviousCandidate(sheet), std::nullopt);
    EXPECT_EQ(sheet.candidateIndex, 4);
}

TEST(EditCommands, CandidatesFillTheFieldOfTheFocusedBox)
{
    struct Row {
        const SheetFormat* format;
        std::optional<Field> field;
        QString TagRecord::*member;  // nullptr: no candidates for that field
    };
    const Row rows[] = {
        {&SheetFormat::large, Field::maker, &TagRecord::maker},
        {&SheetFormat::large, Field::productName, &TagRecord::productName},
        {&SheetFormat::large, Field::spec, &TagRecord::spec},
        {&SheetFormat::large, Field::productName2, nullptr},
        {&SheetFormat::large, Field::lot, &TagRecord::lot},
        {&SheetFormat::small, Field::productName2, &TagRecord::productName2},
        {&SheetFormat::small, Field::spec, &TagRecord::spec},
        {&SheetFormat::small, Field::lot, &TagRecord::lot},
        {&SheetFormat::small, Field::jan, nullptr},
        {&SheetFormat::small, Field::price, nullptr},
        {&SheetFormat::small, std::nullopt, nullptr},
    };
    for (const Row& row : rows) {
        TagRecord r;
        QString* got = candidateMember(r, *row.format, row.field);
        EXPECT_EQ(got, row.member ? &(r.*row.member) : nullptr) << int(row.field.value_or(Field::jan));
    }
}

TEST(EditCommands, CopyPreviousNeedsOnlyAProductName)
{
    for (const SheetFormat* f : kFormats) {
        TagSheet sheet(*f);
        sheet.record(1).jan = QStringLiteral("49012347");
        sheet.record(1).price = 500;
        sheet.current = 2;
        EXPECT_EQ(copyPrevious(sheet), CopyStatus::previousEmpty);
        EXPECT_EQ(sheet.record(2), TagRecord {});

        sheet.record(1).productName2 = QStringLiteral("second line only");
        EXPECT_EQ(copyPrevious(sheet), CopyStatus::previousEmpty);

        sheet.record(1).productName = QStringLiteral(" ");  // a blank is a name all the same
        EXPECT_EQ(copyPrevious(sheet), CopyStatus::copied);
        EXPECT_EQ(sheet.record(2), sheet.record(1));
    }
}

TEST(EditCommands, FontDialogAnswers)
{
    EXPECT_EQ(nameFontFromFace(QStringLiteral("@ＭＳ 明朝")), QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(nameFontFromFace(QStringLiteral("IPAGothic")), QStringLiteral("IPAGothic"));
    EXPECT_EQ(nameFontFromFace(QStringLiteral("@@x")), QStringLiteral("@x"));
    EXPECT_EQ(wholePointSize(10.5), 10);
    EXPECT_EQ(wholePointSize(11.5), 12);
    EXPECT_EQ(wholePointSize(20.0), 20);
    EXPECT_EQ(wholePointSize(9.75), 10);
    EXPECT_EQ(wholePointSize(1e9), 32767);
    EXPECT_EQ(wholePointSize(-1e9), -32768);
    EXPECT_EQ(wholePointSize(std::nan("")), 0);
}

TEST(EditCommands, NameFontDropsTheVerticalMarkAndTheStyle)
{
    const struct {
        const char* face;
        bool applied;
        const char* nameFont;
    } rows[] = {
        {"@ＭＳ 明朝", true, "ＭＳ 明朝"},
        {"IPAPGothic", true, "IPAPGothic"},
        {"@@縦", true, "@縦"},  // only the first mark goes
        {"", false, "ＭＳ 明朝"},
        {"@", false, "ＭＳ 明朝"},
    };
    for (const SheetFormat* f : kFormats) {
        for (const auto& row : rows) {
            TagSheet sheet(*f);
            sheet.nameFont = kMincho;
            sheet.nameBold = true;
            sheet.nameItalic = true;
            const qint16 priceSize = sheet.priceFontSize;
            EXPECT_EQ(applyNameFont(sheet, QString::fromUtf8(row.face)), row.applied) << row.face;
            EXPECT_EQ(sheet.nameFont, QString::fromUtf8(row.nameFont)) << row.face;
            EXPECT_EQ(sheet.nameBold, !row.applied);
            EXPECT_EQ(sheet.nameItalic, !row.applied);
            EXPECT_EQ(sheet.priceFontSize, priceSize);  // the size chosen is not the name's
        }
    }
}

TEST(EditCommands, PriceFontKeepsTheFaceAndRoundsTheSize)
{
    const struct {
        const char* face;
        double pointSize;
        bool applied;
        qint16 storedSize;
    } rows[] = {
        {"@ＭＳ 明朝", 36.0, true, 36},
        {"IPAMincho", 20.0, true, 20},
        {"IPAMincho", 10.5, true, 10},
        {"IPAMincho", 11.5, true, 12},
        {"IPAMincho", 12.25, true, 12},
        {"IPAMincho", 0.75, true, 1},
        // Answers no working dialog gives: taken as a cancel.
        {"IPAMincho", 0.5, false, 0},
        {"IPAMincho", -1.0, false, 0},
        {"IPAMincho", std::nan(""), false, 0},
        {"", 20.0, false, 0},
    };
    for (const SheetFormat* f : kFormats) {
        for (const auto& row : rows) {
            TagSheet sheet(*f);
            sheet.priceFont = kMincho;
            sheet.priceFontSize = f->defaultPriceFontSizePt;
            sheet.priceBold = true;
            sheet.priceItalic = true;
            EXPECT_EQ(applyPriceFont(sheet, QString::fromUtf8(row.face), row.pointSize), row.applied)
                << row.face << " " << row.pointSize;
            EXPECT_EQ(sheet.priceFont, row.applied ? QString::fromUtf8(row.face) : kMincho);
            EXPECT_EQ(sheet.priceFontSize, row.applied ? row.storedSize : f->defaultPriceFontSizePt) << row.pointSize;
            EXPECT_EQ(sheet.priceBold, !row.applied);
            EXPECT_EQ(sheet.priceItalic, !row.applied);
        }
    }
}

TEST(EditCommands, ClearEmptiesOnlyTheCurrentRecord)
{
    TagSheet sheet = filledSheet(SheetFormat::small, 3);
    sheet.current = 2;
    clearCurrent(sheet);
    EXPECT_EQ(sheet.record(2), TagRecord {});
    EXPECT_EQ(sheet.record(1), sampleRecord(QStringLiteral("t1"), 1));
    EXPECT_EQ(sheet.record(3), sampleRecord(QStringLiteral("t3"), 3));
    EXPECT_EQ(sheet.current, 2);
}
