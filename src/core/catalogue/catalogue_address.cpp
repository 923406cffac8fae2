#include "core/catalogue/catalogue_address.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace catalogue {

namespace {

// Longer than any path the system takes (PATH_MAX).
constexpr qsizetype kMaxAddressChars = 4096;

// Whether the character at `i` may not stand in an address: a control character (C0, DEL, C1), the
// replacement character a broken byte sequence leaves, a surrogate without its pair, a
// non-character. `width` gets the character's length in UTF-16 units.
bool unusableAt(const QString& text, qsizetype i, qsizetype* width)
{
    const char16_t ch = text.at(i).unicode();
    *width = 1;
    if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
        *width = 2;
        return QChar::isNonCharacter(QChar::surrogateToUcs4(ch, text.at(i + 1).unicode()));
    }
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F) || ch == 0xFFFD || QChar::isSurrogate(ch)
        || QChar::isNonCharacter(ch);
}

qsizetype firstUnusable(const QString& text)
{
    qsizetype width = 1;
    for (qsizetype i = 0; i < text.size(); i += width) {
        if (unusableAt(text, i, &width)) {
            return i;
        }
    }
    return -1;
}

// The text as a message may quote it: every unusable character as <U+XXXX>, at most 200 characters.
QString quoted(const QString& text)
{
    QString out;
    qsizetype width = 1;
    qsizetype i = 0;
    for (; i < text.size() && out.size() < 200; i += width) {
        out += unusableAt(text, i, &width)
            ? QStringLiteral("<U+%1>").arg(text.at(i).unicode(), 4, 16, QChar(u'0')).toUpper()
            : text.mid(i, width);
    }
    return i < text.size() ? out + QStringLiteral("…") : out;
}

}  // namespace

QString catalogueAddressForms()
{
    return QStringLiteral("PostgreSQL のサーバーは postgresql://ユーザー@サーバー[:ポート]/データベース、"
                          "SQLite のファイルはそのパス (例: /srv/tanafuda/catalogue.sqlite) で書きます");
}

QString CatalogueAddress::display() const
{
    if (kind == Kind::sqlite) {
        return QDir::toNativeSeparators(path);
    }
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
}

QString defaultCatalogueFile()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return base + QStringLiteral("/tanafuda/catalogue.sqlite");
}

std::optional<CatalogueAddress> parseCatalogueAddress(const QString& text, const QString& baseFolder, QString* error)
{
    const auto fail = [&](const QString& why) -> std::optional<CatalogueAddress> {
        if (error) {
            *error = QStringLiteral("商品マスタのアドレスの書き方が違います「%1」: %2").arg(quoted(text), why);
        }
        return std::nullopt;
    };
    CatalogueAddress out;
    if (text.size() > kMaxAddressChars) {
        return fail(QStringLiteral("長すぎます (%1 文字まで)").arg(kMaxAddressChars));
    }
    if (const qsizetype bad = firstUnusable(text); bad >= 0) {
        return fail(
            QStringLiteral("%1 文字目に、アドレスに使えない文字 (制御文字や壊れた文字) があります").arg(bad + 1));
    }
    const QString given = text.trimmed();
    if (given.isEmpty()) {
        out.path = defaultCatalogueFile();
        return out;
    }
    const bool postgres = given.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || given.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
    if (!postgres) {
        // "postgresql:/shop@server/db", "postgres:shop@server", "sqlite:catalogue.sqlite": a scheme
        // with its slashes mistyped, never a file of that name.
        static const QRegularExpression mistypedScheme(
            QStringLiteral("^(postgres(ql)?|pgsql|psql|sqlite3?|file)\\s*:(?!//)"),
            QRegularExpression::CaseInsensitiveOption);
        if (mistypedScheme.match(given).hasMatch()) {
            return fail(catalogueAddressForms());
        }
        if (given.contains(QLatin1String("://"))
            && !given.startsWith(QLatin1String("sqlite://"), Qt::CaseInsensitive)) {
            return fail(catalogueAddressForms());
        }
        QString path = given.startsWith(QLatin1String("sqlite://"), Qt::CaseInsensitive) ? given.mid(9) : given;
        const QDir base(baseFolder.isEmpty() ? QDir::currentPath() : baseFolder);
        out.path = QDir::cleanPath(base.absoluteFilePath(path));
        if (given.endsWith(u'/') || QFileInfo(out.path).fileName().isEmpty()) {
            return fail(QStringLiteral("フォルダーではなく、ファイルの名前まで書いてください (例: %1/catalogue.sqlite)")
                            .arg(QDir::toNativeSeparators(out.path)));
        }
        return out;
    }
    // A socket folder given as the host ("postgresql://u@/run/postgresql/db" is ambiguous, so the
    // folder is written percent-encoded, or as ?host=).
    const QUrl url(given, QUrl::StrictMode);
    if (!url.isValid()) {
        return fail(url.errorString());
    }
    out.kind = CatalogueAddress::Kind::postgresql;
    out.user = url.userName(QUrl::FullyDecoded);
    out.password = url.password(QUrl::FullyDecoded);
    out.host = QUrl::fromPercentEncoding(url.host(QUrl::FullyEncoded).toUtf8());
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("host"))) {
        out.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    }
    if (out.host.isEmpty()) {
        out.host = QStringLiteral("localhost");
    }
    out.port = url.port(5432);
    out.database = url.path(QUrl::FullyDecoded).mid(1);
    if (out.user.isEmpty()) {
        return fail(QStringLiteral("ユーザー名がありません。") + catalogueAddressForms());
    }
    if (out.database.isEmpty() || out.database.contains(u'/')) {
        return fail(QStringLiteral("データベース名がありません。") + catalogueAddressForms());
    }
    return out;
}

}  // namespace catalogue
