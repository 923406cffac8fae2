#include "core/settings/catalogue_address_setting.h"

#include "core/catalogue/catalogue_address.h"

#include <QDir>
#include <QFileInfo>

namespace settings {

QString CatalogueAddressSetting::catalogueAddress(QString* problem) const
{
    const SettingsReading reading = store_.read();
    if (reading.status() == SettingsFileStatus::missing) {
        return {};
    }
    if (reading.status() == SettingsFileStatus::damaged) {
        if (problem) {
            *problem = QStringLiteral("設定ファイル %1 が壊れているか読めないため、商品マスタの指定を使いません。")
                           .arg(QDir::toNativeSeparators(store_.path()));
        }
        return {};
    }
    QString given = reading.trimmedText(QStringLiteral("catalogue/database")).value_or(QString());
    if (given == QLatin1String("~") || given.startsWith(QLatin1String("~/"))) {
        given = QDir::homePath() + given.mid(1);
    }
    // A path is the settings file's, not the working folder's.
    const auto address = catalogue::parseCatalogueAddress(given, QFileInfo(store_.path()).absolutePath(), nullptr);
    return !given.isEmpty() && address && address->kind == catalogue::CatalogueAddress::Kind::sqlite ? address->path
                                                                                                     : given;
}

}  // namespace settings
