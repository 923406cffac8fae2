#include "output/fonts.h"

#include <QFontInfo>
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
