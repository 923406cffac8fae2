#include "core/pricing/offer_period.h"

#include "support/date_print.h"
#include "support/qt_print.h"

#include <gtest/gtest.h>

using namespace pricing;

namespace pricing {

void PrintTo(const DailyHours& hours, std::ostream* os)
{
    *os << hours.startMinutes << "-" << hours.endMinutes << " min";
}

}  // namespace pricing

namespace {

const QDate kDecember(2026, 12, 1);  // the reference date of most rows: a list made in December

struct DateRow {
    const char* cell;
    QDate reference;
    QDate date;           // invalid: refused
    const char* refusal;  // when refused
};

TEST(ReadDateCell, TheWaysShopsAndRegistersWriteADate)
{
    const std::vector<DateRow> rows {
        {"2026/12/16", kDecember, QDate(2026, 12, 16), ""},
        {"2026-12-16", kDecember, QDate(2026, 12, 16), ""},
        {"2026.12.16", kDecember, QDate(2026, 12, 16), ""},
        {"2026/1/5", kDecember, QDate(2026, 1, 5), ""},
        {"2026年12月16日", kDecember, QDate(2026, 12, 16), ""},
        {"２０２６年１２月１６日", kDecember, QDate(2026, 12, 16), ""},
        {"20261216", kDecember, QDate(2026, 12, 16), ""},
        {" 12/16 ", kDecember, QDate(2026, 12, 16), ""},
        {"12月16日", kDecember, QDate(2026, 12, 16), ""},
        {"１２／１６", kDecember, QDate(2026, 12, 16), ""},
        {"12/16(水)", kDecember, QDate(2026, 12, 16), ""},
        {"12/16（水曜日）", kDecember, QDate(2026, 12, 16), ""},
        {"2026年12月16日(水)", kDecember, QDate(2026, 12, 16), ""},
        // Excel's serial day numbers, as the xlsx reader gives a date cell (46372 is 2026-12-16,
        // 45292 is 2024-01-01, 36526 is 2000-01-01), with a time of day dropped.
        {"46372", kDecember, QDate(2026, 12, 16), ""},
        {"46372.75", kDecember, QDate(2026, 12, 16), ""},
        {"45292", kDecember, QDate(2024, 1, 1), ""},
        {"36526", kDecember, QDate(2000, 1, 1), ""},
        // A cell stored as a date in the workbook (t="d").
        {"2026-12-16T00:00:00", kDecember, QDate(2026, 12, 16), ""},
        {"36525", kDecember, QDate(), "36525 は日付として読めません"},
        {"1216", kDecember, QDate(), "1216 は日付として読めません"},
        {"12/16(木)", kDecember, QDate(), "2026/12/16(水) の曜日が (木) と合いません"},
        {"2026/2/30", kDecember, QDate(), "2026/2/30 という日はありません"},
        {"13/1", kDecember, QDate(), "13/1 という日はありません"},
        {"12/16/2026", kDecember, QDate(), "日付として読めません: 12/16/2026"},
        {"来週", kDecember, QDate(), "日付として読めません: 来週"},
        {"", kDecember, QDate(), "日付がありません"},
    };
    for (const DateRow& row : rows) {
        SCOPED_TRACE(row.cell);
        const auto reading = readDateCell(QString::fromUtf8(row.cell), row.reference);
        EXPECT_EQ(reading.value.value_or(QDate()), row.date);
        EXPECT_EQ(reading.refusal, QString::fromUtf8(row.refusal));
    }
}

TEST(ReadDateCell, ADateWithoutAYearTakesTheNearestYear)
{
    const std::vector<DateRow> rows {
        {"1/5", QDate(2026, 12, 20), QDate(2027, 1, 5), ""},                // a December list for January
        {"12/28", QDate(2027, 1, 5), QDate(2026, 12, 28), ""},              // a January list looking back
        {"7/1", QDate(2026, 1, 1), QDate(2026, 7, 1), ""},                  // 181 days ahead, 184 back
        {"1/1", QDate(2024, 7, 2), QDate(2025, 1, 1), ""},                  // 183 days either way: the later
        {"2/29", QDate(2027, 12, 1), QDate(2028, 2, 29), ""},               // the leap year nearby
        {"2/29", QDate(2026, 6, 1), QDate(), "2/29 という日はありません"},  // none nearby
    };
    for (const DateRow& row : rows) {
        SCOPED_TRACE(row.cell);
        const auto reading = readDateCell(QString::fromUtf8(row.cell), row.reference);
        EXPECT_EQ(reading.value.value_or(QDate()), row.date);
        EXPECT_EQ(reading.refusal, QString::fromUtf8(row.refusal));
    }
}

TEST(ReadPeriodCell, TheWaysShopsWriteAnOffersDays)
{
    struct Row {
        const char* cell;
        QDate first;  // invalid: refused
        QDate last;
        const char* refusal;
    };
    const std::vector<Row> rows {
        {"12/16〜12/20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"12/16～12/20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"12/16~12/20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"12/16-12/20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"12/16 ー 12/20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"12/16から12/20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"１２／１６～１２／２０", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"2026/12/16-2026/12/20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"2026-12-16-2026-12-20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"2026/12/16-20", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"12月16日～20日", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"12月28日～3日", QDate(2026, 12, 28), QDate(2027, 1, 3), ""},
        {"12/16(水)〜12/20(日)", QDate(2026, 12, 16), QDate(2026, 12, 20), ""},
        {"12/28〜1/3", QDate(2026, 12, 28), QDate(2027, 1, 3), ""},
        {"12/16", QDate(2026, 12, 16), QDate(2026, 12, 16), ""},
        {"12/16〜12/16", QDate(2026, 12, 16), QDate(2026, 12, 16), ""},
        {"12/20〜12/16", QDate(), QDate(), "終わりの日 2026/12/16(水) が始まりの日 2026/12/20(日) より前です"},
        {"2026/12/20-2026/12/16", QDate(), QDate(), "終わりの日 2026/12/16(水) が始まりの日 2026/12/20(日) より前です"},
        {"2027/1/3-2026/12/28", QDate(), QDate(), "終わりの日 2026/12/28(月) が始まりの日 2027/1/3(日) より前です"},
        {"12/16(木)〜12/20", QDate(), QDate(), "2026/12/16(水) の曜日が (木) と合いません"},
        {"12/16〜12/20(土)", QDate(), QDate(), "2026/12/20(日) の曜日が (土) と合いません"},
        {"12/16〜12/32", QDate(), QDate(), "12/32 という日はありません"},
        {"12/16〜", QDate(), QDate(), "期間として読めません (例: 12/16〜12/20): 12/16〜"},
        {"12/16 12/20", QDate(), QDate(), "期間として読めません (例: 12/16〜12/20): 12/16 12/20"},
        {"46372", QDate(), QDate(), "期間として読めません (例: 12/16〜12/20): 46372"},
        {"", QDate(), QDate(), "期間がありません"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.cell);
        const auto reading = readPeriodCell(QString::fromUtf8(row.cell), kDecember);
        ASSERT_EQ(reading.value.has_value(), row.first.isValid());
        if (reading.value) {
            EXPECT_EQ(reading.value->first, row.first);
            EXPECT_EQ(reading.value->last, row.last);
        }
        EXPECT_EQ(reading.refusal, QString::fromUtf8(row.refusal));
    }
}

TEST(ReadHoursCell, TheWaysShopsWriteATimeSalesHours)
{
    struct Row {
        const char* cell;
        std::optional<DailyHours> hours;
        const char* refusal;
    };
    const std::vector<Row> rows {
        {"17:00-19:00", DailyHours {17 * 60, 19 * 60}, ""},
        {"17:00〜19:00", DailyHours {17 * 60, 19 * 60}, ""},
        {"１７：００～１９：００", DailyHours {17 * 60, 19 * 60}, ""},
        {"9:30 ~ 11:00", DailyHours {9 * 60 + 30, 11 * 60}, ""},
        {"17時～19時30分", DailyHours {17 * 60, 19 * 60 + 30}, ""},
        {"17時から19時", DailyHours {17 * 60, 19 * 60}, ""},
        {"0:00-24:00", DailyHours {0, 24 * 60}, ""},
        {"19:00-17:00", std::nullopt,
         "終わり 17:00 が始まり 19:00 より後ではありません (日をまたぐ時間帯は使えません)"},
        {"17:00-17:00", std::nullopt,
         "終わり 17:00 が始まり 17:00 より後ではありません (日をまたぐ時間帯は使えません)"},
        {"22:00-2:00", std::nullopt, "終わり 2:00 が始まり 22:00 より後ではありません (日をまたぐ時間帯は使えません)"},
        {"24:00-24:30", std::nullopt, "24:30 という時刻はありません"},
        {"24:00-23:00", std::nullopt, "24:00 に始まる時間帯は次の日の 0:00 と書いてください"},
        {"17:60-19:00", std::nullopt, "17:60 という時刻はありません"},
        {"25:00-26:00", std::nullopt, "25:00 という時刻はありません"},
        {"17-19", std::nullopt, "時間帯として読めません (例: 17:00〜19:00): 17-19"},
        {"17:00", std::nullopt, "時間帯として読めません (例: 17:00〜19:00): 17:00"},
        {"", std::nullopt, "時間帯がありません"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.cell);
        const auto reading = readHoursCell(QString::fromUtf8(row.cell));
        EXPECT_EQ(reading.value, row.hours);
        EXPECT_EQ(reading.refusal, QString::fromUtf8(row.refusal));
    }
}

}  // namespace
