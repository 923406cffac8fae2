#include "core/catalogue/catalogue_watch.h"

#include "core/catalogue/catalogue_result.h"
#include "core/catalogue/store/database.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTimer>

namespace catalogue {

namespace {

const QString kChannel = QStringLiteral("tanafuda_catalogue");
constexpr int kPollMilliseconds = 500;

QAtomicInteger<quint64> watchCounter;

QString whatTitle(const QString& what)
{
    if (what == QLatin1String("import")) {
        return QStringLiteral("取り込み");
    }
    if (what == QLatin1String("print")) {
        return QStringLiteral("印刷");
    }
    if (what == QLatin1String("confirm")) {
        return QStringLiteral("印刷の確認");
    }
    if (what == QLatin1String("takedown")) {
        return QStringLiteral("取り下げ");
    }
    if (what == QLatin1String("offer")) {
        return QStringLiteral("特売の変更");
    }
    if (what == QLatin1String("check")) {
        return QStringLiteral("棚チェック");
    }
    return {};
}

QString thisProcess()
{
    return QString::number(QCoreApplication::applicationPid());
}

}  // namespace

QString ChangeNotice::text() const
{
    const QString title = whatTitle(what);
    const QString where = otherPc ? QStringLiteral("別の PC") : QStringLiteral("ほかのプログラム");
    return title.isEmpty() ? QStringLiteral("%1で商品マスタが変わりました").arg(where)
                           : QStringLiteral("%1で%2がありました").arg(where, title);
}

QString announcement(const QString& what)
{
    return QStringList {what, QSysInfo::machineHostName(), thisProcess()}.join(u'|');
}

struct CatalogueWatch::State {
    QString connection;
    std::function<qint64()> version;  // SQLite's data version, -1 when it cannot be read
    std::function<void(const ChangeNotice&)> onChange;
    std::unique_ptr<QTimer> poll;
    qint64 dataVersion = -1;
    bool watching = false;
};

CatalogueWatch::CatalogueWatch(const CatalogueAddress& address, std::function<void(const ChangeNotice&)> onChange)
    : state_(std::make_unique<State>())
{
    state_->connection = QStringLiteral("tanafuda-catalogue-watch-%1").arg(watchCounter.fetchAndAddRelaxed(1));
    state_->onChange = std::move(onChange);
    // Only read, and not checked: the window's own connection did that.
    if (!database::connect(address, state_->connection, {false, true}).ok()) {
        return;
    }
    QSqlDatabase db = QSqlDatabase::database(state_->connection, false);
    State* state = state_.get();
    if (address.kind == CatalogueAddress::Kind::postgresql) {
        QSqlDriver* driver = db.driver();
        state->watching = driver->subscribeToNotification(kChannel);
        QObject::connect(
            driver, &QSqlDriver::notification, driver,
            [state](const QString& name, QSqlDriver::NotificationSource, const QVariant& payload) {
                const QStringList parts = payload.toString().split(u'|');
                const bool ours = parts.value(2) == thisProcess() && parts.value(1) == QSysInfo::machineHostName();
                if (name != kChannel || ours) {
                    return;  // this program's own change
                }
                state->onChange({parts.value(0), parts.value(1), parts.value(1) != QSysInfo::machineHostName()});
            });
        return;
    }
    // SQLite: the data version moves when another connection commits.
    state->version = [state]() -> qint64 {
        QSqlQuery query(QSqlDatabase::database(state->connection, false));
        return query.exec(QStringLiteral("PRAGMA data_version")) && query.next() ? query.value(0).toLongLong() : -1;
    };
    state->dataVersion = state->version();
    state->watching = state->dataVersion >= 0;
    state->poll = std::make_unique<QTimer>();
    state->poll->setInterval(kPollMilliseconds);
    QObject::connect(state->poll.get(), &QTimer::timeout, [state] {
        const qint64 now = state->version();
        if (now >= 0 && now != state->dataVersion) {
            state->dataVersion = now;
            state->onChange({});
        }
    });
    state->poll->start();
}

CatalogueWatch::~CatalogueWatch()
{
    state_->poll.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(state_->connection, false);
        if (db.isOpen() && db.driver()) {
            db.driver()->unsubscribeFromNotification(kChannel);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(state_->connection);
}

bool CatalogueWatch::watching() const
{
    return state_->watching;
}

void CatalogueWatch::catchUp()
{
    if (state_->version) {
        if (const qint64 now = state_->version(); now >= 0) {
            state_->dataVersion = now;
        }
    }
}

}  // namespace catalogue
