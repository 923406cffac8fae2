#include "output/fonts.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QMutex>
#include <QStringList>
#include <QTranslator>

#include <algorithm>
#include <optional>

namespace output {

namespace {

// A font that may be installed under either of its names (the English one, or the Japanese one
// fontconfig also knows it by).
using FontNames = QStringList;

const QList<FontNames>& minchoFonts()
{
    static const QList<FontNames> fonts {{QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝")},
                                         {QStringLiteral("Noto Serif CJK JP")},
                                         {QStringLiteral("Noto Sans CJK JP")}};
    return fonts;
}

const QList<FontNames>& pMinchoFonts()
{
    static const QList<FontNames> fonts {{QStringLiteral("IPAPMincho"), QStringLiteral("IPA P明朝")},
                                         {QStringLiteral("Noto Serif CJK JP")},
                                         {QStringLiteral("Noto Sans CJK JP")}};
    return fonts;
}

const QList<FontNames>& gothicFonts()
{
    static const QList<FontNames> fonts {{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック")},
                                         {QStringLiteral("Noto Sans CJK JP")}};
    return fonts;
}

const QList<FontNames>& pGothicFonts()
{
    static const QList<FontNames> fonts {{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")},
                                         {QStringLiteral("Noto Sans CJK JP")}};
    return fonts;
}

struct FaceFonts {
    const char16_t* face;
    const QList<FontNames>& (*fonts)();
};

// The Windows faces and the fonts that stand in for them here, the best first.
constexpr FaceFonts kFaceFonts[] = {
    {u"ＭＳ 明朝", minchoFonts},        {u"MS Mincho", minchoFonts},     {u"ＭＳ Ｐ明朝", pMinchoFonts},
    {u"MS PMincho", pMinchoFonts},      {u"ＭＳ ゴシック", gothicFonts}, {u"MS Gothic", gothicFonts},
    {u"ＭＳ Ｐゴシック", pGothicFonts}, {u"MS PGothic", pGothicFonts},   {u"MS UI Gothic", pGothicFonts},
};

// The installed fonts that stand in for `face`, each under the first of its names installed here;
// empty when the face is installed itself or is not one of the Windows faces. `installed`: the
// families of the font database, by their names (QFontDatabase::hasFamily would ask fontconfig to
// resolve every name as an alias first, about as long as the search this spares).
QStringList installedStandIns(const QString& face, const QStringList& installed)
{
    const auto isInstalled
        = [&installed](const QString& name) { return installed.contains(name, Qt::CaseInsensitive); };
    for (const FaceFonts& entry : kFaceFonts) {
        if (face != QStringView(entry.face)) {
            continue;
        }
        if (isInstalled(face)) {
            return {};
        }
        QStringList families;
        for (const FontNames& names : entry.fonts()) {
            const auto name = std::find_if(names.begin(), names.end(), isInstalled);
            if (name != names.end()) {
                families << *name;
            }
        }
        return families;
    }
    return {};
}

}  // namespace

void installFontSubstitutions()
{
    for (const FaceFonts& entry : kFaceFonts) {
        const QString face = QString::fromUtf16(entry.face);
        QStringList substitutes;
        for (const FontNames& names : entry.fonts()) {
            substitutes << names;
        }
        QFont::removeSubstitutions(face);
        QFont::insertSubstitutions(face, substitutes);
    }
}

QFont faceFont(const QString& face)
{
    static QMutex mutex;
    static QHash<QString, QStringList> resolved;
    static std::optional<QStringList> installed;
    QStringList families;
    {
        const QMutexLocker lock(&mutex);
        const auto known = resolved.constFind(face);
        if (known != resolved.constEnd()) {
            families = *known;
        } else {
            if (!installed) {
                installed = QFontDatabase::families();
            }
            families = installedStandIns(face, *installed);
            resolved.insert(face, families);
        }
    }
    if (families.isEmpty()) {
        return QFont(face);
    }
    QFont font;
    font.setFamilies(families);
    return font;
}

void installTranslations(QCoreApplication& app)
{
    if (QLocale::system().language() != QLocale::Japanese) {
        return;
    }
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}

}  // namespace output
