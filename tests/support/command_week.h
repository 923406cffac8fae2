#pragma once

// The shop of the catalogue tests: a register's product master of 200 products for week 1, and
// week 2 with 12 prices changed (one of them renamed too), 5 new products and 3 gone. Each test
// runs tanafuda-catalogue on an SQLite file or on a database of the test's own PostgreSQL server.

#include "support/postgres_server.h"
#include "support/qt_print.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

namespace test_support {

using namespace Qt::Literals::StringLiterals;

struct Item {
    int number;
    QString jan;  // empty for the one product keyed by its own code
    QString code;
    QString name;
    qint64 price;
    QString shelf;
    int count = 1;
};

inline QString ean13(int number)
{
    const QString body = u"4912345%1"_s.arg(number, 5, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < 12; ++i) {
        sum += body.at(i).digitValue() * (i % 2 ? 3 : 1);
    }
    return body + QString::number((10 - sum % 10) % 10);
}

inline Item item(int number)
{
    // Shelves A-1 .. A-12, B-1 .. B-12: "A-2" must come before "A-10".
    Item out {number,       ean13(number),
              QString(),    u"商品%1"_s.arg(number),
              100 + number, u"%1-%2"_s.arg(QChar(u'A' + number % 2)).arg(number % 12 + 1)};
    out.code = out.jan;
    if (number == 199) {  // loose produce: no JAN, keyed by the list's product code
        out.jan.clear();
        out.code = u"P-199"_s;
    }
    if (number == 100) {
        out.count = 2;
    }
    return out;
}

// The products whose price week 2 changes, one of them renamed too; those week 2 no longer has.
inline const std::vector<int> kPriceChanged {10, 20, 30, 40, 50, 60, 70, 80, 90, 110, 120, 140};
inline const std::vector<int> kGone {150, 160, 170};
inline bool priceChanged(int number)
{
    return std::count(kPriceChanged.begin(), kPriceChanged.end(), number) > 0;
}
inline bool isRenamed(int number)
{
    return number == 120;
}

// Products `first` .. `first` + `count` - 1; none of the week lists has those from 1001 on.
inline std::vector<Item> more(int first, int count)
{
    std::vector<Item> out;
    for (int n = first; n < first + count; ++n) {
        out.push_back(item(n));
    }
    return out;
}

inline std::vector<Item> week(int which, bool partial = false)
{
    if (which == 1) {
        return more(1, 200);
    }
    std::vector<Item> out;
    for (Item it : more(1, 205)) {
        const bool changed = priceChanged(it.number);
        it.price += changed ? 20 : 0;
        it.name += isRenamed(it.number) ? u" 新"_s : QString();
        if ((changed || !partial) && std::count(kGone.begin(), kGone.end(), it.number) == 0) {
            out.push_back(it);
        }
    }
    return out;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline bool writeList(const QString& path, const std::vector<Item>& items)
{
    QString text = u"JANコード,商品コード,メーカー,商品名,規格,売価,棚番,フェース数\n"_s;
    for (const Item& it : items) {
        text += u"%1,%2,テスト食品,%3,100g,%4,%5,%6\n"_s.arg(it.jan, it.code, it.name)
                    .arg(it.price)
                    .arg(it.shelf)
                    .arg(it.count);
    }
    return writeBytes(path, text.toUtf8());
}

// A list of sale prices: each item's code, name and its price as the sale price.
inline bool writeFlyer(const QString& path, const std::vector<Item>& items)
{
    QString text = u"JANコード,商品名,特売価格\n"_s;
    for (const Item& it : items) {
        text += u"%1,%2,%3\n"_s.arg(it.jan, it.name).arg(it.price);
    }
    return writeBytes(path, text.toUtf8());
}

// The codes of `items` in shelf order (shelf letter, shelf number, then list order).
inline QStringList inShelfOrder(const std::vector<Item>& items)
{
    std::vector<std::tuple<QChar, int, int, QString>> keyed;
    for (size_t row = 0; row < items.size(); ++row) {
        keyed.emplace_back(items[row].shelf.at(0), items[row].shelf.mid(2).toInt(), int(row), items[row].code);
    }
    std::sort(keyed.begin(), keyed.end());
    QStringList out;
    for (const auto& key : keyed) {
        out << std::get<3>(key);
    }
    return out;
}

struct Result {
    int exit = -1;
    QString out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

// Expects `result` to end with `exit` and its standard error to hold each of `texts`.
inline void expectFailure(const Result& result, int exit, const QStringList& texts)
{
    EXPECT_EQ(result.exit, exit) << result.err.toStdString();
    for (const QString& text : texts) {
        EXPECT_TRUE(result.err.contains(text)) << text.toStdString() << " not in: " << result.err.toStdString();
    }
}

// The codes of the tags a print laid, tag by tag.
inline QStringList tagCodes(const Result& printed)
{
    QStringList codes;
    for (const QJsonValue tag : printed.json()[u"tags"_s].toArray()) {
        codes << tag[u"jan"_s].toString();
    }
    return codes;
}

// Each object of `array` as its `fields`, numbers and texts alike, joined by spaces.
inline QStringList rowsOf(const QJsonArray& array, const QStringList& fields)
{
    QStringList out;
    for (const QJsonValue object : array) {
        QStringList values;
        for (const QString& field : fields) {
            values << object[field].toVariant().toString();
        }
        out << values.join(u' ');
    }
    return out;
}

// A catalogue of one test: its folder, and its database on the backend asked for.
class Shop {
public:
    explicit Shop(const std::string& backend)
    {
        if (backend == "postgresql") {
            auto& server = test_support::PostgresServer::shared();
            if (!server.running()) {
                skip_ = "PostgreSQL cannot start here: " + server.skipReason().toStdString();
                return;
            }
            QString error;
            if (!server.createDatabase(&database_, &error)) {
                skip_ = "no test database: " + error.toStdString();
            }
        } else {
            database_ = dir_.filePath(u"catalogue.sqlite"_s);
        }
    }
    const std::string& skipReason() const { return skip_; }
    QString path(const QString& name) const { return dir_.filePath(name); }
    const QString& database() const { return database_; }

    // Given as the database: no --database, so that the settings file or the default names it.
    static inline const QString kFromSettings = u"(settings)"_s;

    // Runs the programs as an ordinary user (nobody) rather than as root; the shop's folder is
    // opened to it.
    void runAsNobody()
    {
        QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFile::ExeOther | QFile::ReadOther);
        asNobody_ = true;
    }
    void setEnvironment(const QString& name, const QString& value) { extraEnvironment_.insert(name, value); }
    // The programs' settings file holds `text`.
    void writeSettings(const QByteArray& text) const
    {
        ASSERT_TRUE(QDir().mkpath(path(u"config/tanafuda"_s))
                    && writeBytes(path(u"config/tanafuda/tanafuda.ini"_s), text));
    }

    // Starts `program` (tanafuda-catalogue by default) in the shop's folder.
    QProcess* start(QStringList arguments, const QString& database = {},
                    const QString& program = QStringLiteral(TANAFUDA_CATALOGUE_PROGRAM)) const
    {
        auto* process = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, dir_.filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, dir_.filePath(u"data"_s));
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(extraEnvironment_);
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(dir_.path());
        if (database != kFromSettings && program == QLatin1String(TANAFUDA_CATALOGUE_PROGRAM)) {
            arguments << u"--database"_s << (database.isEmpty() ? database_ : database);
        }
        if (asNobody_) {
            process->start(u"setpriv"_s,
                           QStringList {u"--reuid=nobody"_s, u"--regid=nogroup"_s, u"--clear-groups"_s, program}
                               + arguments);
        } else {
            process->start(program, arguments);
        }
        return process;
    }

    // Runs `program` to its end, `input` (when there is one) given on its standard input.
    Result run(const QStringList& arguments, const QString& database = {},
               const QString& program = QStringLiteral(TANAFUDA_CATALOGUE_PROGRAM), const QByteArray& input = {}) const
    {
        std::unique_ptr<QProcess> process(start(arguments, database, program));
        if (!input.isEmpty()) {
            process->write(input);
            process->closeWriteChannel();
        }
        Result out;
        if (process->waitForFinished(120000) && process->exitStatus() == QProcess::NormalExit) {
            out.exit = process->exitCode();
        }
        out.out = QString::fromUtf8(process->readAllStandardOutput());
        out.err = QString::fromUtf8(process->readAllStandardError());
        return out;
    }

    // Writes `items` as the list `name` in the shop's folder and imports it with `options`.
    Result importList(const QString& name, const std::vector<Item>& items, const QStringList& options = {},
                      const QString& database = {}) const
    {
        EXPECT_TRUE(writeList(path(name), items));
        return run(QStringList {u"import"_s, path(name)} + options, database);
    }

    // Imports week `which` (a full list unless `partial`) with its date.
    Result import(int which, bool partial = false) const
    {
        const QStringList dated {u"--date"_s, u"2026-12-0%1"_s.arg(which)};
        return importList(u"week%1%2.csv"_s.arg(which).arg(partial ? "p" : ""), week(which, partial),
                          partial ? dated + QStringList {u"--partial"_s} : dated);
    }

    // Starts an import of `items` as a partial or full list, without waiting for it.
    QProcess* startImport(const QString& name, const std::vector<Item>& items, bool partial) const
    {
        writeList(path(name), items);
        return start(QStringList {u"import"_s, path(name)} + (partial ? QStringList {u"--partial"_s} : QStringList()));
    }

    // Writes `items` as the flyer `name`.csv and takes it in as the offer `name` from `from` to `to`.
    Result importOffer(const QString& name, const std::vector<Item>& items, const QString& from,
                       const QString& to) const
    {
        const QString flyer = path(name + u".csv"_s);
        EXPECT_TRUE(writeFlyer(flyer, items));
        return run({u"offer"_s, u"import"_s, flyer, u"--name"_s, name, u"--from"_s, from, u"--to"_s, to});
    }

    // The array `key` of what the command `arguments` says with --json.
    QJsonArray jsonList(const QStringList& arguments, const QString& key) const
    {
        return run(arguments + QStringList {u"--json"_s}).json()[key].toArray();
    }

    // Prints what is due on `asOf` into the folder `folder`, with `options`.
    Result print(const QString& folder, const QString& asOf, const QStringList& options = {}) const
    {
        return run(QStringList {u"print"_s, u"-o"_s, path(folder), u"--as-of"_s, asOf, u"--json"_s} + options);
    }

    // Confirms the print `printed` said it made.
    void confirm(const Result& printed) const
    {
        ASSERT_EQ(printed.exit, 0) << printed.err.toStdString();
        ASSERT_EQ(run({u"confirm"_s, QString::number(printed.json()[u"print"_s].toInt())}).exit, 0);
    }

    // The status counts as "products/new/changed/takedown/pending".
    QString status(const QString& database = {}) const
    {
        const QJsonObject s = run({u"status"_s, u"--json"_s}, database).json();
        return u"%1/%2/%3/%4/%5"_s.arg(s.value(u"products"_s).toInt(-1))
            .arg(s.value(u"new"_s).toInt(-1))
            .arg(s.value(u"changed"_s).toInt(-1))
            .arg(s.value(u"takedown"_s).toInt(-1))
            .arg(s.value(u"pending_prints"_s).toArray().size());
    }

    // Week 1 imported, printed and confirmed: every tag on the shelf.
    void weekOneOnTheShelf() const
    {
        ASSERT_EQ(import(1).exit, 0);
        const Result printed = run({u"print"_s, u"--pdf"_s, path(u"w1.pdf"_s), u"--json"_s});
        ASSERT_EQ(printed.json()[u"tags"_s].toArray().size(), 201) << printed.err.toStdString();  // 100: two faces
        ASSERT_NO_FATAL_FAILURE(confirm(printed));
        ASSERT_EQ(status(), u"200/0/0/0/0"_s);
    }

private:
    QTemporaryDir dir_;
    QString database_;
    std::string skip_;
    bool asNobody_ = false;
    QProcessEnvironment extraEnvironment_;
};

inline const std::vector<std::string>& backends()
{
    static const std::vector<std::string> all {"sqlite", "postgresql"};
    return all;
}

}  // namespace test_support
