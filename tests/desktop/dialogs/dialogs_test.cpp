#include "desktop/dialogs/dialogs.h"

#include <gtest/gtest.h>

TEST(Dialogs, FilterTextBecomesQtNameFilters)
{
    const struct {
        const char* filter;
        const char* expected;  // Qt name filters joined by " ;; "
    } rows[] = {
        {"テキスト ファイル (*.csv)|*.csv|テキスト ファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*|",
         "テキスト ファイル (*.csv) ;; テキスト ファイル (*.txt) ;; すべてのファイル (*.*)"},
        // Without "|": one entry whose patterns Qt takes from its parentheses.
        {"テキストファイル (*.csv)", "テキストファイル (*.csv)"},
        {"", ""},
        // A description that does not name its pattern gets it appended; ";" separates patterns.
        {"Sheets|*.csv;*.txt|", "Sheets (*.csv *.txt)"},
        {"Sheets|*.csv", "Sheets (*.csv)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(desktop::qtNameFilters(QString::fromUtf8(row.filter)).join(QStringLiteral(" ;; ")),
                  QString::fromUtf8(row.expected))
            << row.filter;
    }
}

TEST(Dialogs, AWindowsFileDialogStartsFromItsInitialSettings)
{
    const desktop::FileDialogState state;
    EXPECT_EQ(state.fileName, QStringLiteral("*.csv"));
    EXPECT_EQ(desktop::qtNameFilters(state.filter), QStringList{QStringLiteral("テキストファイル (*.csv)")});
    EXPECT_EQ(state.selectedFilter, 0);
}
