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

// The Windows faces and the fonts that stand in for them here, the best first.
const QHash<QString, QList<FontNames>>& standIns()
{
    static const QHash<QString, QList<FontNames>> table = [] {
        const FontNames notoSerif {QStringLiteral("Noto Serif CJK JP")};
        const FontNames notoSans {QStringLiteral("Noto Sans CJK JP")};
        const QList<FontNames> mincho {{QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝")}, notoSerif, notoSans};
        const QList<FontNames> pMincho {
            {QStringLiteral("IPAPMincho"), QStringLiteral("IPA P明朝")}, notoSerif, notoSans};
        const QList<FontNames> gothic {{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック")}, notoSans};
        const QList<FontNames> pGothic {{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")}, notoSans};
        return QHash<QString, QList<FontNames>> {
            {QStringLiteral("ＭＳ 明朝"), mincho},        {QStringLiteral("MS Mincho"), mincho},
            {QStringLiteral("ＭＳ Ｐ明朝"), pMincho},     {QStringLiteral("MS PMincho"), pMincho},
            {QStringLiteral("ＭＳ ゴシック"), gothic},    {QStringLiteral("MS Gothic"), gothic},
            {QStringLiteral("ＭＳ Ｐゴシック"), pGothic}, {QStringLiteral("MS PGothic"), pGothic},
            {QStringLiteral("MS UI Gothic"), pGothic},
        };
    }();
    return table;
}

// The installed fonts that stand in for `face`, each under the first of its names installed here;
// empty when the face is installed itself or is not one of the Windows faces. `installed`: the
// families of the font database, by their names (QFontDatabase::hasFamily would ask fontconfig to
// resolve every name as an alias first, about as long as the search this spares).
QStringList installedStandIns(const QString& face, const QStringList& installed)
{
    const auto isInstalled
        = [&installed](const QString& name) { return installed.contains(name, Qt::CaseInsensitive); };
    const auto entry = standIns().constFind(face);
    if (entry == standIns().constEnd() || isInstalled(face)) {
        return {};
    }
    QStringList families;
    for (const FontNames& names : *entry) {
        const auto name = std::find_if(names.begin(), names.end(), isInstalled);
        if (name != names.end()) {
            families << *name;
        }
    }
    return families;
}

}  // namespace

void installFontSubstitutions()
{
    for (auto entry = standIns().constBegin(); entry != standIns().constEnd(); ++entry) {
        QStringList substitutes;
        for (const FontNames& names : entry.value()) {
            substitutes << names;
        }
        QFont::removeSubstitutions(entry.key());
        QFont::insertSubstitutions(entry.key(), substitutes);
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
