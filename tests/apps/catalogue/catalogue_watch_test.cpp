// A program watching the catalogue learns of another program's import, print and confirmation
// within two seconds, what each was and which print a confirmation decided how, on PostgreSQL
// (notifications) and on SQLite (the data version, and what is newer in the catalogue), and not
// of its own.

#include "support/command_week.h"

#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_watch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

using namespace test_support;

namespace {

// Runs the event loop until `notices` has grown past `count` or two seconds have passed.
bool noticedWithinTwoSeconds(const std::vector<catalogue::ChangeNotice>& notices, size_t count)
{
    QElapsedTimer waited;
    waited.start();
    while (notices.size() <= count && waited.elapsed() < 2000) {
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return notices.size() > count;
}

class CatalogueWatchTest : public testing::TestWithParam<std::string> {
protected:
    Shop shop {GetParam()};
};

TEST_P(CatalogueWatchTest, AnotherProgramsStepsAreNoticed)
{
    if (!shop.skipReason().empty()) {
        GTEST_SKIP() << shop.skipReason();
    }
    // The catalogue made by a first import, then watched.
    ASSERT_EQ(shop.import(1).exit, 0);
    std::vector<catalogue::ChangeNotice> notices;
    const auto address = catalogue::parseCatalogueAddress(shop.database(), nullptr);
    ASSERT_TRUE(address);
    catalogue::CatalogueWatch watch(*address,
                                    [&](const catalogue::ChangeNotice& notice) { notices.push_back(notice); });
    ASSERT_TRUE(watch.watching());

    const struct {
        const char* step;
        QStringList arguments;
        const char* what;  // as the catalogue announces it
        const char* told;  // as the notice says it
    } steps[] = {
        {"import", {u"import"_s, shop.path(u"week11.csv"_s)}, "import", "ほかのプログラムで取り込みがありました"},
        {"print", {u"print"_s, u"-o"_s, shop.path(u"out"_s)}, "print", "ほかのプログラムで印刷がありました"},
        {"print again",
         {u"print"_s, u"--again"_s, u"-o"_s, shop.path(u"out2"_s)},
         "print",
         "ほかのプログラムで印刷がありました"},
        {"confirm", {u"confirm"_s, u"1"_s}, "confirm", "ほかのプログラムで印刷 1 が確認されました"},
        {"mark failed",
         {u"confirm"_s, u"2"_s, u"--failed"_s},
         "confirm",
         "ほかのプログラムで印刷 2 が失敗にされました"},
    };
    ASSERT_TRUE(test_support::writeList(shop.path(u"week11.csv"_s), test_support::week(2)));
    for (const auto& step : steps) {
        const size_t before = notices.size();
        const Result ran = shop.run(step.arguments);
        ASSERT_EQ(ran.exit, 0) << step.step << ": " << ran.err.toStdString();
        ASSERT_TRUE(noticedWithinTwoSeconds(notices, before)) << step.step;
        EXPECT_EQ(notices.size(), before + 1) << step.step;
        EXPECT_EQ(notices.back().what, QString::fromLatin1(step.what)) << step.step;
        EXPECT_EQ(notices.back().text(), QString::fromUtf8(step.told)) << step.step;
    }
    // This program's own change is not noticed.
    const size_t before = notices.size();
    catalogue::Result outcome;
    auto opened = catalogue::Catalogue::open(*address, {}, &outcome);
    ASSERT_TRUE(opened) << outcome.message.toStdString();
    ASSERT_TRUE(opened->recordTakenDown({}).ok());
    if (GetParam() == "postgresql") {
        EXPECT_FALSE(noticedWithinTwoSeconds(notices, before));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, CatalogueWatchTest, testing::ValuesIn(test_support::backends()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
