#include "desktop/dialogs/dialogs.h"

#include "core/settings/printer_calibrations.h"
#include "desktop/catalogue/catalogue_import_dialog.h"
#include "desktop/catalogue/catalogue_print_dialog.h"
#include "desktop/dialogs/calibration_dialog.h"
#include "desktop/dialogs/import_dialog.h"
#include "support/fake_dialogs.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

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
    EXPECT_EQ(desktop::qtNameFilters(state.filter), QStringList {QStringLiteral("テキストファイル (*.csv)")});
    EXPECT_EQ(state.selectedFilter, 0);
}

// Every button and every labelled box of both dialogs has an access key, none used twice.
TEST(Dialogs, EveryControlHasAnAccessKeyOfItsOwn)
{
    QTemporaryDir dir;
    settings::PrinterCalibrations settings {settings::SettingsStore(dir.filePath(QStringLiteral("tanafuda.ini")))};
    FakeDialogs fakes;
    const sheet::TagSheet sheet(sheet::SheetFormat::large);
    desktop::CalibrationDialog calibration(sheet::SheetFormat::large, fakes, settings, {QStringLiteral("店")},
                                           QStringLiteral("店"));
    desktop::ImportDialog import(QStringLiteral("/tmp/l.csv"), QByteArray("JAN,name,price\n4901234567894,x,98\n"),
                                 sheet, 1);
    desktop::CatalogueImportDialog catalogueImport(
        QStringLiteral("/tmp/l.csv"), QByteArray("JAN,name,price,棚番\n4901234567894,x,98,A-1\n"), nullptr, fakes);
    desktop::CataloguePrintDialog cataloguePrint(QStringLiteral("大きい棚札 (24枚)"), 1, {3, 3, 1}, {1, 1, 1});
    for (const QDialog* dialog : {static_cast<QDialog*>(&calibration), static_cast<QDialog*>(&import),
                                  static_cast<QDialog*>(&catalogueImport), static_cast<QDialog*>(&cataloguePrint)}) {
        QStringList texts;
        for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            texts << ((button->focusPolicy() & Qt::TabFocus) ? button->text() : QStringLiteral("&&"));
        }
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            texts << (label->buddy() ? label->text() : QStringLiteral("&&"));
        }
        QSet<QChar> keys;
        for (const QString& text : texts.filter(QRegularExpression(QStringLiteral("^(?!&&$)")))) {
            const QChar key = text.contains(u'&') ? text.section(u'&', 1).append(u' ').at(0).toUpper() : QChar();
            EXPECT_FALSE(key.isNull() || keys.contains(key))
                << dialog->objectName().toStdString() << ": " << text.toStdString() << " among "
                << texts.join(u'|').toStdString();
            keys.insert(key);
        }
        // The print dialog has two choices and its two buttons; the others a dozen controls.
        EXPECT_GE(keys.size(), dialog == &cataloguePrint ? 4 : 9);
    }
}
