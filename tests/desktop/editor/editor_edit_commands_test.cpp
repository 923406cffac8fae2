// The editor window's command buttons, clicked while an edit box has the focus: the box's turn
// ends first (the price box moving on to the next tag), then the command runs. Message boxes and
// the font and colour dialogs are answered by the test.
#include "support/editor_test_support.h"

#include "support/sample_records.h"

#include <QSignalSpy>

using desktop::MessageAnswer;
using desktop::MessageButtons;
using desktop::MessageIcon;
using editor_test::OpenEditor;
using sheet::Field;
using sheet::SheetFormat;
using sheet::TagRecord;

namespace {

// Record i of the format's shape: productName2 only where the format has the line.
TagRecord tagData(const SheetFormat& format, int i)
{
    TagRecord r = sampleRecord(QStringLiteral("t%1").arg(i), i * 10);
    if (!format.hasProductName2) {
        r.productName2.clear();
    }
    return r;
}

// Fills tags 1..count, then shows tag `at` with the focus in Text1.
void fillAndGoTo(OpenEditor& e, int count, int at)
{
    for (int i = 1; i <= count; ++i) {
        e.sheet().record(i) = tagData(e.sheet().format(), i);
    }
    e.goTo(at);
}

// A mark on the preview that only a redraw of the page removes.
void markPreview(OpenEditor& e)
{
    e.w().previewPage()->image().setPixelColor(1, 1, QColor(1, 2, 3));
}
bool previewRedrawn(OpenEditor& e)
{
    return e.w().previewPage()->image().pixelColor(1, 1) != QColor(1, 2, 3);
}

// The tag shown as current after a command that ends in Text1: focus, label, outline, boxes.
void expectShowing(OpenEditor& e, int tag)
{
    EXPECT_EQ(e.sheet().current, tag);
    EXPECT_EQ(e.focused(), e.box(Field::jan)) << e.focusedName().toStdString();
    EXPECT_EQ(e.label6(), QStringLiteral(" %1/%2").arg(tag).arg(e.sheet().tagsPerPage()));
    EXPECT_TRUE(e.outlined(tag));
    EXPECT_EQ(e.box(Field::productName)->text(), e.sheet().record(tag).productName);
    EXPECT_EQ(e.box(Field::price)->text(), QString::number(e.sheet().record(tag).price));
}

// Puts `text` into the product-name box of the current tag by typing, leaving the focus there.
void typeProductName(OpenEditor& e, const QString& text)
{
    e.clickAndSelect(QStringLiteral("Text3"));
    e.type(text);
}

// Types a price into the price box, leaving the focus there.
void typePrice(OpenEditor& e, const QString& digits)
{
    e.clickAndSelect(e.box(Field::price)->objectName());
    e.key(Qt::Key_Delete);
    e.type(digits);
}

// Presses Alt+`key` in the focused control, the access key of button `name`, and waits for the
// button's click, which the button animates before it is emitted.
void pressAccessKey(OpenEditor& e, const QString& name, Qt::Key key)
{
    QSignalSpy clicked(e.button(name), &QPushButton::clicked);
    e.key(key, Qt::AltModifier);
    ASSERT_TRUE(clicked.count() == 1 || clicked.wait(2000)) << name.toStdString();
}

// Each test runs in a fresh, active editor window of each format.
class EditorEditCommands : public ::testing::TestWithParam<const SheetFormat*> {
protected:
    void SetUp() override
    {
        editor_ = std::make_unique<OpenEditor>(*GetParam());
        ASSERT_TRUE(editor_->activated);
    }
    void TearDown() override { editor_.reset(); }
    OpenEditor& editor() { return *editor_; }

private:
    std::unique_ptr<OpenEditor> editor_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(BothFormats, EditorEditCommands, ::testing::ValuesIn(editor_test::kFormats),
                         [](const ::testing::TestParamInfo<const SheetFormat*>& info) {
                             return editor_test::formatName(*info.param).toStdString();
                         });

// ---- クリア ----

TEST_P(EditorEditCommands, ClearEmptiesTheTagWhoseBoxWasLeft)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    fillAndGoTo(e, 5, 3);
    typeProductName(e, QStringLiteral("typed"));
    markPreview(e);
    e.click(QStringLiteral("クリア"));
    EXPECT_EQ(e.sheet().record(3), TagRecord {});
    EXPECT_EQ(e.sheet().record(2), tagData(*format, 2));
    EXPECT_EQ(e.sheet().record(4), tagData(*format, 4));
    EXPECT_TRUE(previewRedrawn(e));
    expectShowing(e, 3);

    // From the price box: the price is stored and the next tag is the one cleared.
    typePrice(e, QStringLiteral("555"));
    e.click(QStringLiteral("クリア"));
    EXPECT_EQ(e.sheet().record(3).price, 555);
    EXPECT_EQ(e.sheet().record(4), TagRecord {});
    EXPECT_EQ(e.sheet().record(5), tagData(*format, 5));
    expectShowing(e, 4);
}

// ---- コピー ----

TEST_P(EditorEditCommands, CopyPreviousFillsTheTagAndMovesOn)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    fillAndGoTo(e, 5, 6);
    typeProductName(e, QStringLiteral("replaced"));
    e.click(QStringLiteral("コピー"));
    EXPECT_EQ(e.sheet().record(6), tagData(*format, 5));  // productName2 along with the rest
    expectShowing(e, 7);
    EXPECT_EQ(e.sheet().record(7), TagRecord {});

    // Back on tag 6, clicked from the price box: the price goes into tag 6, the window moves
    // to tag 7, and tag 6 is copied there.
    e.click(QStringLiteral("cmdprevious"));
    typePrice(e, QStringLiteral("4"));
    e.click(QStringLiteral("コピー"));
    EXPECT_EQ(e.sheet().record(6).price, 4);
    EXPECT_EQ(e.sheet().record(7), e.sheet().record(6));
    expectShowing(e, 8);
}

TEST_P(EditorEditCommands, CopyPreviousAtTheEnds)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    const int last = format->tagsPerPage;
    fillAndGoTo(e, 3, 1);

    // Tag 1: only the focus goes to Text1; the typed name was stored by the box.
    typeProductName(e, QStringLiteral("first"));
    e.click(QStringLiteral("コピー"));
    EXPECT_EQ(e.sheet().record(1).productName, QStringLiteral("first"));
    EXPECT_EQ(e.sheet().record(2), tagData(*format, 2));
    expectShowing(e, 1);

    // The last tag copies and stays.
    e.sheet().record(last - 1) = tagData(*format, 9);
    e.click(QStringLiteral("Cmdlast"));
    e.click(QStringLiteral("コピー"));
    EXPECT_EQ(e.sheet().record(last), tagData(*format, 9));
    expectShowing(e, last);
}

TEST_P(EditorEditCommands, CopyPreviousAfterATagWithoutNameDoesNothing)
{
    OpenEditor& e = editor();
    fillAndGoTo(e, 4, 6);
    e.sheet().record(5).jan = QStringLiteral("49012347");  // data, but no product name
    e.clickAndSelect(QStringLiteral("Text2"));
    e.type(QStringLiteral("mk"));
    markPreview(e);
    auto expected = e.sheet().records;
    expected[6 - 1].maker = QStringLiteral("mk");  // stored when the box was left
    e.click(QStringLiteral("コピー"));
    EXPECT_EQ(e.sheet().records, expected);
    EXPECT_EQ(e.sheet().current, 6);
    EXPECT_EQ(e.focused(), e.button(QStringLiteral("コピー")));
    EXPECT_FALSE(previewRedrawn(e));
}

// ---- 前候補 ----

TEST(EditorEditCommandCases, PreviousCandidateWalksBackThroughTheFocusedField)
{
    struct Row {
        const SheetFormat* format;
        Field field;
        QString TagRecord::*member;
    };
    const Row rows[] = {
        {&SheetFormat::large, Field::maker, &TagRecord::maker},
        {&SheetFormat::large, Field::productName, &TagRecord::productName},
        {&SheetFormat::large, Field::spec, &TagRecord::spec},
        {&SheetFormat::large, Field::lot, &TagRecord::lot},
        {&SheetFormat::small, Field::productName2, &TagRecord::productName2},
        {&SheetFormat::small, Field::spec, &TagRecord::spec},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(editor_test::formatName(*row.format).toStdString() + " field " + std::to_string(int(row.field)));
        OpenEditor e(*row.format);
        ASSERT_TRUE(e.activated);
        fillAndGoTo(e, 3, 4);
        desktop::EditBox* edit = e.box(row.field);
        e.clickAndSelect(edit->objectName());
        e.type(QStringLiteral("typed"));
        QPushButton* candidate = e.button(QStringLiteral("前候補"));
        ASSERT_TRUE(candidate->isEnabled());
        markPreview(e);

        e.click(QStringLiteral("前候補"));
        EXPECT_EQ(edit->text(), e.sheet().record(3).*row.member);
        EXPECT_EQ(e.sheet().record(4).*row.member, e.sheet().record(3).*row.member);
        EXPECT_EQ(e.focused(), candidate);
        // The space bar on the button that kept the focus offers the record before.
        e.key(Qt::Key_Space);
        EXPECT_EQ(edit->text(), e.sheet().record(2).*row.member);
        e.click(QStringLiteral("前候補"));
        EXPECT_EQ(edit->text(), e.sheet().record(1).*row.member);
        EXPECT_EQ(e.sheet().record(4).*row.member, e.sheet().record(1).*row.member);
        EXPECT_EQ(e.sheet().candidateIndex, 1);
        // Record 1 reached: nothing more.
        e.click(QStringLiteral("前候補"));
        EXPECT_EQ(edit->text(), e.sheet().record(1).*row.member);
        EXPECT_EQ(e.sheet().candidateIndex, 1);

        EXPECT_EQ(e.sheet().current, 4);
        EXPECT_EQ(e.focused(), candidate);
        EXPECT_FALSE(previewRedrawn(e));
        TagRecord others = e.sheet().record(4);
        others.*row.member = QString();
        EXPECT_EQ(others, TagRecord {});  // only the focused field was filled

        // The box taken up again starts over from the record before the current one.
        e.clickAndSelect(edit->objectName());
        EXPECT_EQ(e.sheet().candidateIndex, 4);
        e.click(QStringLiteral("前候補"));
        EXPECT_EQ(edit->text(), e.sheet().record(3).*row.member);
    }
}

// ---- Access keys ----

// What a command left behind: the records, the current tag, the focused control and the texts
// of the boxes.
struct Outcome {
    std::vector<TagRecord> records;
    int current;
    QString focus;
    QStringList boxTexts;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

// Tags 1..5 filled, tag 6 shown; `box` clicked into and typed in, then `button` pressed by a click
// or by its access key.
Outcome pressAfterTyping(const SheetFormat& format, const char* box, const QString& button, Qt::Key accessKey,
                         bool byKey, int startTag)
{
    OpenEditor e(format);
    EXPECT_TRUE(e.activated);
    fillAndGoTo(e, 5, startTag);
    e.clickAndSelect(QString::fromLatin1(box));
    const desktop::EditBox* edit = e.w().control<desktop::EditBox>(QString::fromLatin1(box));
    e.type(edit->field() == Field::jan || edit->field() == Field::price ? QStringLiteral("4") : QStringLiteral("B"));
    if (byKey) {
        if (e.button(button)->isEnabled()) {
            pressAccessKey(e, button, accessKey);
        } else {
            e.key(accessKey, Qt::AltModifier);
        }
    } else {
        e.click(button);
    }
    QApplication::processEvents();
    Outcome out {e.sheet().records, e.sheet().current, e.focusedName(), {}};
    for (const sheet::EntryBox& b : sheet::entryBoxes(format)) {
        out.boxTexts << e.w().control<desktop::EditBox>(QString::fromLatin1(b.name))->text();
    }
    return out;
}

TEST(EditorEditCommandCases, AccessKeysDoWhatAClickDoesFromEveryBox)
{
    const struct {
        const SheetFormat* format;
        const char16_t* button;
        Qt::Key key;
    } commands[] = {
        {&SheetFormat::large, u"コピー", Qt::Key_C},
        {&SheetFormat::small, u"コピー", Qt::Key_C},
        {&SheetFormat::small, u"前候補", Qt::Key_M},
    };
    for (const auto& command : commands) {
        const QString button = QString::fromUtf16(command.button);
        for (const sheet::EntryBox& box : sheet::entryBoxes(*command.format)) {
            for (int startTag : {1, 6}) {
                SCOPED_TRACE(editor_test::formatName(*command.format).toStdString() + " " + button.toStdString()
                             + " from " + box.name + " on tag " + std::to_string(startTag));
                const Outcome clicked
                    = pressAfterTyping(*command.format, box.name, button, command.key, false, startTag);
                const Outcome keyed = pressAfterTyping(*command.format, box.name, button, command.key, true, startTag);
                EXPECT_EQ(keyed.records, clicked.records);
                EXPECT_EQ(keyed.current, clicked.current);
                EXPECT_EQ(keyed.focus, clicked.focus);
                EXPECT_EQ(keyed.boxTexts, clicked.boxTexts);
            }
        }
    }
}

TEST(EditorEditCommandCases, CopyByItsAccessKeyFromThePriceBoxKeepsTheTypedTag)
{
    // Tag 6 typed in full, the price box still holding the typed 4: the price box's turn ends
    // (the tag kept, tag 7 current), then tag 6 is copied into tag 7 and tag 8 shown.
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    fillAndGoTo(e, 5, 6);
    typeProductName(e, QStringLiteral("B"));
    typePrice(e, QStringLiteral("4"));
    pressAccessKey(e, QStringLiteral("コピー"), Qt::Key_C);
    QApplication::processEvents();
    EXPECT_EQ(e.sheet().record(6).productName, QStringLiteral("B"));
    EXPECT_EQ(e.sheet().record(6).price, 4);
    EXPECT_EQ(e.sheet().record(7), e.sheet().record(6));
    expectShowing(e, 8);
}

// ---- 挿入 ----

TEST_P(EditorEditCommands, InsertMakesRoomAtTheCurrentTag)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    fillAndGoTo(e, 5, 3);
    typeProductName(e, QStringLiteral("typed"));
    TagRecord typed = tagData(*format, 3);
    typed.productName = QStringLiteral("typed");
    markPreview(e);
    e.click(QStringLiteral("挿入"));
    EXPECT_TRUE(e.dialogs.messages.isEmpty());
    EXPECT_EQ(e.sheet().record(2), tagData(*format, 2));
    EXPECT_EQ(e.sheet().record(3), TagRecord {});
    EXPECT_EQ(e.sheet().record(4), typed);  // what the box stored moved along
    EXPECT_EQ(e.sheet().record(6), tagData(*format, 5));
    EXPECT_EQ(e.sheet().record(7), TagRecord {});
    EXPECT_TRUE(previewRedrawn(e));
    expectShowing(e, 3);

    // From the price box: stored into tag 3, the insert at tag 4.
    typePrice(e, QStringLiteral("77"));
    e.click(QStringLiteral("挿入"));
    EXPECT_EQ(e.sheet().record(3).price, 77);
    EXPECT_EQ(e.sheet().record(4), TagRecord {});
    EXPECT_EQ(e.sheet().record(5), typed);
    expectShowing(e, 4);
}

TEST_P(EditorEditCommands, InsertIsRefusedWhenTheLastTagHasAName)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    const int last = format->tagsPerPage;
    e.sheet().record(last) = tagData(*format, last);
    fillAndGoTo(e, 3, 2);
    typeProductName(e, QStringLiteral("kept"));
    e.click(QStringLiteral("挿入"));
    ASSERT_EQ(e.dialogs.messages.size(), 1);
    EXPECT_EQ(e.dialogs.messages.at(0), QStringLiteral("エラー: 最後尾にデータがあります。挿入できません。"));
    EXPECT_EQ(e.dialogs.messageKinds.at(0), std::make_pair(MessageIcon::stop, MessageButtons::ok));
    EXPECT_EQ(e.sheet().record(2).productName, QStringLiteral("kept"));
    EXPECT_EQ(e.sheet().record(3), tagData(*format, 3));
    EXPECT_EQ(e.sheet().record(last), tagData(*format, last));
    expectShowing(e, 2);

    // A last tag with only a code and a price does not stop it, and is lost.
    e.sheet().record(last).productName.clear();
    e.click(QStringLiteral("挿入"));
    EXPECT_EQ(e.dialogs.messages.size(), 1);
    EXPECT_EQ(e.sheet().record(2), TagRecord {});
    EXPECT_EQ(e.sheet().record(3).productName, QStringLiteral("kept"));
    EXPECT_EQ(e.sheet().record(last), TagRecord {});
}

// ---- 削除 ----

TEST_P(EditorEditCommands, DeleteAsksFirst)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    fillAndGoTo(e, 5, 3);

    // No: nothing but the focus moving to Text1.
    e.dialogs.messageAnswer = MessageAnswer::no;
    typeProductName(e, QStringLiteral("typed"));
    e.click(QStringLiteral("削除"));
    ASSERT_EQ(e.dialogs.messages.size(), 1);
    EXPECT_EQ(e.dialogs.messages.at(0), QStringLiteral("削除: 削除しますか?。"));
    EXPECT_EQ(e.dialogs.messageKinds.at(0), std::make_pair(MessageIcon::stop, MessageButtons::yesNo));
    EXPECT_EQ(e.sheet().record(3).productName, QStringLiteral("typed"));
    EXPECT_EQ(e.sheet().record(4), tagData(*format, 4));
    expectShowing(e, 3);

    // Yes: the tags after it move up, and tag 3 shows what was tag 4.
    e.dialogs.messageAnswer = MessageAnswer::yes;
    e.click(QStringLiteral("削除"));
    EXPECT_EQ(e.sheet().record(2), tagData(*format, 2));
    EXPECT_EQ(e.sheet().record(3), tagData(*format, 4));
    EXPECT_EQ(e.sheet().record(4), tagData(*format, 5));
    EXPECT_EQ(e.sheet().record(5), TagRecord {});
    expectShowing(e, 3);
    EXPECT_EQ(e.box(Field::productName)->text(), QStringLiteral("t4"));

    // From the price box: stored into tag 3, tag 4 deleted.
    typePrice(e, QStringLiteral("12"));
    e.click(QStringLiteral("削除"));
    EXPECT_EQ(e.sheet().record(3).price, 12);
    EXPECT_EQ(e.sheet().record(4), TagRecord {});
    expectShowing(e, 4);

    // The last tag: only it is emptied.
    const int last = format->tagsPerPage;
    e.sheet().record(last) = tagData(*format, last);
    e.sheet().record(last - 1) = tagData(*format, last - 1);
    e.click(QStringLiteral("Cmdlast"));
    e.click(QStringLiteral("削除"));
    EXPECT_EQ(e.sheet().record(last), TagRecord {});
    EXPECT_EQ(e.sheet().record(last - 1), tagData(*format, last - 1));
    expectShowing(e, last);
}

// ---- フォント切替, 単価フォント切替 ----

TEST_P(EditorEditCommands, FontLabelsOfEachFormat)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    const QString vertical = QStringLiteral("@ＭＳ 明朝");
    auto* nameLabel = e.w().control<QLabel>(format->isLarge() ? QStringLiteral("Label8") : QStringLiteral("Label9"));
    auto* priceLabel = e.w().control<QLabel>(format->isLarge() ? QStringLiteral("Label9") : QStringLiteral("Label10"));
    const QString priceLabelBefore = priceLabel->text();
    e.sheet().nameBold = true;
    e.sheet().nameItalic = true;
    fillAndGoTo(e, 1, 1);

    // The vertical-writing face: the sheet takes the name without its mark, the label shows it.
    e.dialogs.fontAnswer = desktop::FontChoice {vertical, 14.0};
    typeProductName(e, QStringLiteral("typed"));
    e.click(QStringLiteral("フォント切替"));
    EXPECT_EQ(e.dialogs.fontDialogs, 1);
    EXPECT_EQ(e.sheet().nameFont, QStringLiteral("ＭＳ 明朝"));
    EXPECT_FALSE(e.sheet().nameBold);
    EXPECT_FALSE(e.sheet().nameItalic);
    EXPECT_EQ(nameLabel->text(), vertical);
    EXPECT_EQ(priceLabel->text(), priceLabelBefore);
    EXPECT_EQ(e.sheet().priceFontSize, format->defaultPriceFontSizePt);
    EXPECT_EQ(e.sheet().record(1).productName, QStringLiteral("typed"));
    expectShowing(e, 1);

    // For the price the mark stays.
    e.click(QStringLiteral("単価フォント切替"));
    EXPECT_EQ(e.sheet().priceFont, vertical);
    EXPECT_EQ(e.sheet().priceFontSize, 14);
    EXPECT_EQ(priceLabel->text(), vertical);
    EXPECT_EQ(e.sheet().nameFont, QStringLiteral("ＭＳ 明朝"));
    expectShowing(e, 1);
}

TEST(EditorEditCommandCases, PriceFontSizeIsRoundedAndTheStyleDropped)
{
    const struct {
        double chosenPt;
        qint16 storedPt;
    } rows[] = {{20.0, 20}, {10.5, 10}, {11.5, 12}, {9.0, 9}};
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    for (const auto& row : rows) {
        e.sheet().priceBold = true;  // a bold choice in the dialog is not taken either
        e.sheet().priceItalic = true;
        e.dialogs.fontAnswer = desktop::FontChoice {QStringLiteral("IPAGothic"), row.chosenPt};
        e.click(QStringLiteral("単価フォント切替"));
        EXPECT_EQ(e.sheet().priceFontSize, row.storedPt) << row.chosenPt;
        EXPECT_FALSE(e.sheet().priceBold);
        EXPECT_FALSE(e.sheet().priceItalic);
        EXPECT_EQ(e.focused(), e.box(Field::jan));
    }
}

TEST_P(EditorEditCommands, FontDialogCancelledOrFailedChangesNothing)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    const struct {
        const char* button;
        std::optional<desktop::FontChoice> answer;
    } rows[] = {
        {"フォント切替", std::nullopt},  // cancelled
        {"単価フォント切替", std::nullopt},
        {"フォント切替", desktop::FontChoice {QString(), 12.0}},  // no face
        {"単価フォント切替", desktop::FontChoice {QString(), 12.0}},
        {"単価フォント切替", desktop::FontChoice {QStringLiteral("IPAGothic"), -1.0}},  // no point size
    };
    const QLabel* labels[]
        = {e.w().control<QLabel>(QStringLiteral("Label8")), e.w().control<QLabel>(QStringLiteral("Label9")),
           e.w().control<QLabel>(QStringLiteral("Label10"))};
    const QString label8 = labels[0]->text();
    const QString label9 = labels[1]->text();
    for (const auto& row : rows) {
        e.dialogs.fontAnswer = row.answer;
        typeProductName(e, QStringLiteral("kept"));
        e.click(QString::fromUtf8(row.button));
        EXPECT_EQ(e.sheet().nameFont, sheet::kMincho) << row.button;
        EXPECT_EQ(e.sheet().priceFont, sheet::kMincho) << row.button;
        EXPECT_EQ(e.sheet().priceFontSize, format->defaultPriceFontSizePt);
        EXPECT_EQ(labels[0]->text(), label8);
        EXPECT_EQ(labels[1]->text(), label9);
        if (labels[2] != nullptr) {
            EXPECT_EQ(labels[2]->text(), QString());
        }
        EXPECT_EQ(e.sheet().record(1).productName, QStringLiteral("kept"));
        expectShowing(e, 1);
    }
}

TEST(EditorEditCommandCases, ProductNameFontShowsOnThePreview)
{
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    e.sheet().record(1).productName = QStringLiteral("棚札見本");
    e.click(QStringLiteral("プレビュー"));
    const QImage mincho = e.w().previewPage()->image();
    e.dialogs.fontAnswer = desktop::FontChoice {QStringLiteral("IPAGothic"), 12.0};
    e.click(QStringLiteral("フォント切替"));
    ASSERT_EQ(e.sheet().nameFont, QStringLiteral("IPAGothic"));
    EXPECT_NE(e.w().previewPage()->image(), mincho);
}

// ---- 縁取 ----

TEST_P(EditorEditCommands, BorderSwitchesOnWithAColourAndOffWithout)
{
    OpenEditor& e = editor();
    const SheetFormat* const format = GetParam();
    QPushButton* border = e.button(QStringLiteral("縁取"));
    fillAndGoTo(e, 2, 1);
    // A point of the band along the bottom edge of a bordered tag, away from its texts and
    // from the outline of the current tag.
    const sheet::CellOrigin cell = e.sheet().cellOrigin(1);
    const double bandX = cell.xMm + format->cellWidthMm - 3.0;
    const double bandY = cell.yMm + format->cellHeightMm - 1.5;
    const QColor green(0, 200, 0);

    // Off, the colour dialog cancelled: still off, no redraw, the focus on the button.
    e.dialogs.colourAnswer = std::nullopt;
    markPreview(e);
    e.click(QStringLiteral("縁取"));
    EXPECT_EQ(e.dialogs.colourDialogs, 1);
    EXPECT_FALSE(e.sheet().bordered);
    EXPECT_EQ(border->text(), QStringLiteral("カラーで縁取りする"));
    EXPECT_FALSE(previewRedrawn(e));
    EXPECT_EQ(e.focused(), border);

    // Off, a colour chosen from the price box: on, in that colour, on the next tag.
    e.dialogs.colourAnswer = 0x0000C800;  // 0x00BBGGRR: green
    typePrice(e, QStringLiteral("88"));
    e.click(QStringLiteral("縁取"));
    EXPECT_EQ(e.dialogs.colourDialogs, 2);
    EXPECT_TRUE(e.sheet().bordered);
    EXPECT_EQ(e.sheet().borderColor, 0x0000C800u);
    EXPECT_EQ(border->text(), QStringLiteral("縁取りしない"));
    EXPECT_EQ(e.sheet().record(1).price, 88);
    expectShowing(e, 2);
    EXPECT_EQ(e.pagePixel(bandX, bandY), green);

    // On: off without a dialog, the colour kept for nothing (the next switch asks again).
    e.click(QStringLiteral("縁取"));
    EXPECT_EQ(e.dialogs.colourDialogs, 2);
    EXPECT_FALSE(e.sheet().bordered);
    EXPECT_EQ(e.sheet().borderColor, 0x0000C800u);
    EXPECT_EQ(border->text(), QStringLiteral("カラーで縁取りする"));
    expectShowing(e, 2);
    EXPECT_NE(e.pagePixel(bandX, bandY), green);

    e.dialogs.colourAnswer = 0x00FF0000;
    e.click(QStringLiteral("縁取"));
    EXPECT_EQ(e.dialogs.colourDialogs, 3);
    EXPECT_EQ(e.sheet().borderColor, 0x00FF0000u);
    EXPECT_EQ(e.pagePixel(bandX, bandY), QColor(0, 0, 255));
}
