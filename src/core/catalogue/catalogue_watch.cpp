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

#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace catalogue {

namespace {

const QString kChannel = QString::fromLatin1(database::kNotificationChannel);
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

}  // namespace

QString ChangeNotice::text() const
{
    const QString where = otherPc ? QStringLiteral("別の PC") : QStringLiteral("ほかのプログラム");
    if (what == QLatin1String("confirm") && printId > 0) {
        return QStringLiteral("%1で印刷 %2 が%3")
            .arg(where)
            .arg(printId)
            .arg(printState == PrintState::failed ? QStringLiteral("失敗にされました")
                                                  : QStringLiteral("確認されました"));
    }
    const QString title = whatTitle(what);
    return title.isEmpty() ? QStringLiteral("%1で商品マスタが変わりました").arg(where)
                           : QStringLiteral("%1で%2がありました").arg(where, title);
}

namespace {

// What the catalogue held at the watch's last look: the newest row of each kind of step, and the
// prints then waiting for their answer.
struct Marks {
    qint64 imports = 0;
    qint64 prints = 0;
    qint64 takedowns = 0;
    qint64 offers = 0;
    qint64 offersEnded = 0;
    qint64 checks = 0;
    std::set<qint64> undecided;
};

// The steps between two looks, in the order they are told; a print decided since is a step of
// its own ("confirm" with the print and its state).
std::vector<ChangeNotice> stepsBetween(const Marks& before, const Marks& now,
                                       const std::vector<std::pair<qint64, PrintState>>& decided)
{
    std::vector<ChangeNotice> steps;
    const auto step = [&steps](bool happened, const char* what) {
        if (happened) {
            ChangeNotice notice;
            notice.what = QString::fromLatin1(what);
            steps.push_back(notice);
        }
    };
    step(now.imports > before.imports, "import");
    step(now.prints > before.prints, "print");
    for (const auto& [id, state] : decided) {
        ChangeNotice confirm;
        confirm.what = QStringLiteral("confirm");
        confirm.printId = id;
        confirm.printState = state;
        steps.push_back(confirm);
    }
    step(now.takedowns > before.takedowns, "takedown");
    step(now.offers > before.offers || now.offersEnded != before.offersEnded, "offer");
    step(now.checks > before.checks, "check");
    return steps;
}

}  // namespace

struct CatalogueWatch::State {
    QString connection;
    std::function<qint64()> version;  // SQLite's data version, -1 when it cannot be read
    std::function<void(const ChangeNotice&)> onChange;
    std::unique_ptr<QTimer> poll;
    qint64 dataVersion = -1;
    bool watching = false;
    bool postgresql = false;
    std::optional<Marks> marks;  // none when the catalogue could not be read

    // Reads the marks anew: the steps since the last look, with the prints decided since.
    std::optional<std::vector<ChangeNotice>> look();
};

std::optional<std::vector<ChangeNotice>> CatalogueWatch::State::look()
{
    QSqlQuery query(QSqlDatabase::database(connection, false));
    Marks now;
    if (!query.exec(QStringLiteral(
            "SELECT (SELECT COALESCE(MAX(id), 0) FROM imports), (SELECT COALESCE(MAX(id), 0) FROM prints),"
            " (SELECT COALESCE(MAX(id), 0) FROM takedowns), (SELECT COALESCE(MAX(id), 0) FROM offers),"
            " (SELECT COUNT(*) FROM offers WHERE ended_on <> ''), (SELECT COALESCE(MAX(id), 0) FROM shelf_checks)"))
        || !query.next()) {
        marks.reset();
        return std::nullopt;
    }
    now.imports = query.value(0).toLongLong();
    now.prints = query.value(1).toLongLong();
    now.takedowns = query.value(2).toLongLong();
    now.offers = query.value(3).toLongLong();
    now.offersEnded = query.value(4).toLongLong();
    now.checks = query.value(5).toLongLong();
    query.finish();
    // The prints from the oldest one waiting at the last look: those waiting now, and those decided
    // since (waiting then, or made since).
    qint64 from = now.prints + 1;
    if (marks) {
        from = marks->undecided.empty() ? marks->prints + 1 : std::min(*marks->undecided.begin(), marks->prints + 1);
    }
    if (!query.prepare(QStringLiteral("SELECT id, state FROM prints WHERE id >= ? OR state = 'pending' ORDER BY id"))) {
        marks.reset();
        return std::nullopt;
    }
    query.addBindValue(from);
    if (!query.exec()) {
        marks.reset();
        return std::nullopt;
    }
    std::vector<std::pair<qint64, PrintState>> decided;
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        const QString state = query.value(1).toString();
        if (state == printStateKey(PrintState::pending)) {
            now.undecided.insert(id);
        } else if (marks && (marks->undecided.count(id) > 0 || id > marks->prints)) {
            decided.emplace_back(
                id, state == printStateKey(PrintState::failed) ? PrintState::failed : PrintState::confirmed);
        }
    }
    std::optional<std::vector<ChangeNotice>> steps;
    if (marks) {
        steps = stepsBetween(*marks, now, decided);
    }
    marks = std::move(now);
    return steps;
}

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
    state->look();
    if (address.kind == CatalogueAddress::Kind::postgresql) {
        state->postgresql = true;
        QSqlDriver* driver = db.driver();
        state->watching = driver->subscribeToNotification(kChannel);
        QObject::connect(driver, &QSqlDriver::notification, driver,
                         [state](const QString& name, QSqlDriver::NotificationSource, const QVariant& payload) {
                             if (name != kChannel) {
                                 return;
                             }
                             const QStringList parts = payload.toString().split(u'|');
                             const bool ours = parts.value(2) == database::thisProcess()
                                 && parts.value(1) == QSysInfo::machineHostName();
                             // The look keeps the marks up to date with this program's own steps too.
                             const std::optional<std::vector<ChangeNotice>> steps = state->look();
                             if (ours) {
                                 return;
                             }
                             ChangeNotice told;
                             told.what = parts.value(0);
                             told.host = parts.value(1);
                             told.otherPc = told.host != QSysInfo::machineHostName();
                             bool toldPrint = false;
                             for (const ChangeNotice& step : steps.value_or(std::vector<ChangeNotice> {})) {
                                 if (told.what == QLatin1String("confirm") && step.what == told.what) {
                                     ChangeNotice decided = told;
                                     decided.printId = step.printId;
                                     decided.printState = step.printState;
                                     state->onChange(decided);
                                     toldPrint = true;
                                 }
                             }
                             if (!toldPrint) {
                                 state->onChange(told);
                             }
                         });
        return;
    }
    // SQLite: the data version moves when another connection commits; what it was is read.
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
        if (now < 0 || now == state->dataVersion) {
            return;
        }
        state->dataVersion = now;
        const std::optional<std::vector<ChangeNotice>> steps = state->look();
        if (!steps || steps->empty()) {
            state->onChange({});  // a change that names no step (or the catalogue could not be read)
            return;
        }
        for (const ChangeNotice& step : *steps) {
            state->onChange(step);
        }
    });
    state->poll->start();
}

CatalogueWatch::~CatalogueWatch()
{
    state_->poll.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(state_->connection, false);
        if (state_->postgresql && db.isOpen() && db.driver()) {
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
            state_->look();
        }
    }
}

}  // namespace catalogue
