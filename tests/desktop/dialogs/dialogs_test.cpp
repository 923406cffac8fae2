#include "desktop/dialogs/dialogs.h"

#include "desktop/dialogs/calibration_dialog.h"
#include "desktop/dialogs/import_dialog.h"
#include "output/calibration_settings.h"
#include "support/access_keys.h"
#include "support/fake_dialogs.h"

#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

// Every control of both dialogs can be reached with Alt and a key of its own.
TEST(Dialogs, EveryControlHasAnAccessKeyOfItsOwn)
{
    QTemporaryDir dir;
    output::CalibrationSettings settings(dir.filePath(QStringLiteral("tanafuda.ini")));
    FakeDialogs fakes;
    const sheet::TagSheet sheet(sheet::SheetFormat::large);
    const QByteArray list = QStringLiteral("JANコード,商品名,売価\n4901234567894,天然水,98\n").toUtf8();
    const struct {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> open;
    } rows[] = {
        {"calibration",
         [&] {
             return std::make_unique<desktop::CalibrationDialog>(sheet::SheetFormat::large, fakes, settings,
                                                                 QStringList{QStringLiteral("店")}, QStringLiteral("店"));
         }},
        {"import", [&] { return std::make_unique<desktop::ImportDialog>(QStringLiteral("/tmp/l.csv"), list, sheet, 1); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<QDialog> dialog = row.open();
        QHash<QChar, QString> seen;
        for (const access_keys::ControlKey& control : access_keys::controlKeys(*dialog)) {
            EXPECT_FALSE(control.key.isNull()) << control.control.toStdString();
            if (!control.key.isNull()) {
                EXPECT_FALSE(seen.contains(control.key))
                    << QString(control.key).toStdString() << ": " << seen.value(control.key).toStdString() << ", "
                    << control.control.toStdString();
                seen.insert(control.key, control.control);
            }
        }
        EXPECT_GE(seen.size(), 4);
    }
}
