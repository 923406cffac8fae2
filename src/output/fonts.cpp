#include "output/fonts.h"

#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace output {

void installFontSubstitutions()
{
    const QStringList mincho {QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                              QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP")};
    const QStringList pMincho {QStringLiteral("IPAPMincho"), QStringLiteral("IPA P明朝"),
                               QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP")};
    const QStringList gothic {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                              QStringLiteral("Noto Sans CJK JP")};
    const QStringList pGothic {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                               QStringLiteral("Noto Sans CJK JP")};

    const struct {
        const char16_t* face;
        const QStringList& substitutes;
    } table[] = {
        {u"ＭＳ 明朝", mincho},        {u"MS Mincho", mincho},     {u"ＭＳ Ｐ明朝", pMincho},
        {u"MS PMincho", pMincho},      {u"ＭＳ ゴシック", gothic}, {u"MS Gothic", gothic},
        {u"ＭＳ Ｐゴシック", pGothic}, {u"MS PGothic", pGothic},   {u"MS UI Gothic", pGothic},
    };
    for (const auto& entry : table) {
        const QString face = QString::fromUtf16(entry.face);
        QFont::removeSubstitutions(face);
        QFont::insertSubstitutions(face, entry.substitutes);
    }
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
