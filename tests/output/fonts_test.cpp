#include "output/fonts.h"

#include "core/draw/text_extent.h"

#include <QFontInfo>
#include <QRawFont>
#include <QStringList>

#include <gtest/gtest.h>

// The Windows faces a sheet names are not installed here: each gets the stand-ins by their own
// names (so that Qt does not search for the missing face), and that is the very font the
// substitutions gave before.
TEST(FaceFont, NamesTheInstalledStandInsAndGivesTheSameFontAsTheSubstitutions)
{
    const struct {
        const char* face;
        const char* firstFamily;  // of the font asked for
    } rows[] = {
        {"ＭＳ 明朝", "IPAMincho"},       {"MS Mincho", "IPAMincho"}, {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"ＭＳ ゴシック", "IPAGothic"},   {"MS Gothic", "IPAGothic"}, {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"MS UI Gothic", "IPAPGothic"},   {"IPAMincho", "IPAMincho"}, {"DejaVu Sans", "DejaVu Sans"},
        {"まだ無い書体", "まだ無い書体"},
    };
    for (const auto& row : rows) {
        const QString face = QString::fromUtf8(row.face);
        SCOPED_TRACE(row.face);
        const QFont font = output::faceFont(face);
        ASSERT_FALSE(font.families().isEmpty());
        EXPECT_EQ(font.families().constFirst(), QString::fromUtf8(row.firstFamily));
        EXPECT_EQ(QFontInfo(font).family(), QFontInfo(QFont(face)).family());
        EXPECT_EQ(output::faceFont(face).families(), font.families()) << "asked again";
    }
}

// The page drawing keeps a tag's texts clear of its price by where text_extent says their glyphs
// ink: every glyph of the fonts the tag faces resolve to must ink inside that box and advance as
// far as it says, or a text kept clear by the table would still touch the price on paper.
TEST(FaceFont, EveryGlyphInksInsideTheBoxTheDrawingTakesForIt)
{
    const double oneMmEmPt = 72.0 / 25.4;  // a size whose em is 1 mm: boxes read in ems
    const std::pair<char32_t, char32_t> ranges[] = {
        {U'!', U'~'}, {U'円', U'円'}, {U'、', U'〩'}, {U'ぁ', U'ヿ'}, {U'一', U'鿿'}, {U'！', U'～'}, {U'｡', U'ﾟ'},
        {U'×', U'×'}, {U'÷', U'÷'},   {U'№', U'№'},   {U'※', U'※'},   {U'①', U'⑳'},    {U'㎀', U'㏿'},
    };
    for (const char* face : {"ＭＳ 明朝", "ＭＳ ゴシック"}) {
        QFont font = output::faceFont(QString::fromUtf8(face));
        font.setPixelSize(2048);
        font.setHintingPreference(QFont::PreferNoHinting);
        const QRawFont raw = QRawFont::fromFont(font);
        ASSERT_TRUE(raw.isValid()) << face;
        int glyphs = 0;
        for (const auto& [first, last] : ranges) {
            for (char32_t u = first; u <= last; ++u) {
                const QString text = QString::fromUcs4(&u, 1);
                const std::string where = std::string(face) + " U+" + QString::number(quint32(u), 16).toStdString();
                const QList<quint32> index = raw.glyphIndexesForString(text);
                if (index.size() != 1 || index[0] == 0) {
                    continue;  // not in the font: drawn by another
                }
                ++glyphs;
                const draw::FontSpec spec {QString::fromUtf8(face), oneMmEmPt, false, false, false};
                const QRectF ink = raw.boundingRect(index[0]).translated(0, raw.ascent());
                const double advance = raw.advancesForGlyphIndexes(index).constFirst().x() / 2048;
                EXPECT_NEAR(draw::textAdvanceMm(spec, text), advance, 1e-9) << where;
                const std::vector<draw::BoxMm> boxes = draw::glyphInkBoxes(spec, 0, 0, text);
                if (ink.isEmpty()) {
                    continue;
                }
                ASSERT_EQ(boxes.size(), 1u) << where;
                EXPECT_LE(boxes[0].left, ink.left() / 2048 + 1e-9) << where;
                EXPECT_GE(boxes[0].right, ink.right() / 2048 - 1e-9) << where;
                EXPECT_LE(boxes[0].top, ink.top() / 2048 + 1e-9) << where;
                EXPECT_GE(boxes[0].bottom, ink.bottom() / 2048 - 1e-9) << where;
            }
        }
        EXPECT_GT(glyphs, 10000) << face;
    }
}
