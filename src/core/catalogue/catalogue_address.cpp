#include "core/catalogue/catalogue_address.h"

#include <QDir>
#include <QUrl>
#include <QUrlQuery>

namespace catalogue {

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

std::optional<CatalogueAddress> parseCatalogueAddress(const QString& text, QString* error)
{
    const auto fail = [&](const QString& why) -> std::optional<CatalogueAddress> {
        if (error) {
            *error = QStringLiteral("商品マスタの指定「%1」が読めません: %2").arg(text, why);
        }
        return std::nullopt;
    };
    CatalogueAddress out;
    const QString given = text.trimmed();
    if (given.isEmpty()) {
        out.path = defaultCatalogueFile();
        return out;
    }
    const bool postgres = given.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || given.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
    if (!postgres) {
        if (given.contains(QLatin1String("://"))
            && !given.startsWith(QLatin1String("sqlite://"), Qt::CaseInsensitive)) {
            return fail(QStringLiteral("postgresql:// で始まるサーバーの指定か、ファイルのパスにしてください"));
        }
        QString path = given.startsWith(QLatin1String("sqlite://"), Qt::CaseInsensitive) ? given.mid(9) : given;
        out.path = QDir::cleanPath(QDir::current().absoluteFilePath(path));
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
        return fail(QStringLiteral("ユーザー名がありません (postgresql://ユーザー@サーバー/データベース)"));
    }
    if (out.database.isEmpty() || out.database.contains(u'/')) {
        return fail(QStringLiteral("データベース名がありません (postgresql://ユーザー@サーバー/データベース)"));
    }
    return out;
}

}  // namespace catalogue
