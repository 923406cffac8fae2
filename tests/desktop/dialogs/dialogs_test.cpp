#include "desktop/dialogs/dialogs.h"

#include "desktop/dialogs/calibration_dialog.h"
#include "desktop/dialogs/import_dialog.h"
#include "output/calibration_settings.h"
#include "support/fake_dialogs.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
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
    EXPECT_EQ(desktop::qtNameFilters(state.filter), QStringList{QStringLiteral("テキストファイル (*.csv)")});
    EXPECT_EQ(state.selectedFilter, 0);
}

// The key after "&" in a control's text or its label's, for every control Tab reaches (not the
// parts of a combo or spin box).
QHash<QWidget*, QChar> accessKeys(const QWidget& window)
{
    const auto keyOf = [](const QString& text) {
        const qsizetype at = text.indexOf(u'&');
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
    };
    QHash<QWidget*, QChar> keys;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if ((qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w)
             || qobject_cast<QAbstractItemView*>(w) || qobject_cast<QAbstractSpinBox*>(w))
            && (w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QComboBox*>(w->parentWidget())
            && !qobject_cast<QAbstractSpinBox*>(w->parentWidget())) {
            auto* button = qobject_cast<QAbstractButton*>(w);
            keys.insert(w, button ? keyOf(button->text()) : QChar());
        }
    }
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (keys.contains(label->buddy())) {
            keys[label->buddy()] = keyOf(label->text());
        }
    }
    return keys;
}

// Every control of both dialogs can be reached with Alt and a key of its own.
TEST(Dialogs, EveryControlHasAnAccessKeyOfItsOwn)
{
    QTemporaryDir dir;
    output::CalibrationSettings settings(dir.filePath(QStringLiteral("tanafuda.ini")));
    FakeDialogs fakes;
    const sheet::TagSheet sheet(sheet::SheetFormat::large);
    desktop::CalibrationDialog calibration(sheet::SheetFormat::large, fakes, settings, {QStringLiteral("店")},
                                           QStringLiteral("店"));
    desktop::ImportDialog import(QStringLiteral("/tmp/l.csv"), QByteArray("JAN,name,price\n4901234567894,x,98\n"), sheet, 1);
    for (const QDialog* dialog : {static_cast<QDialog*>(&calibration), static_cast<QDialog*>(&import)}) {
        QHash<QChar, QString> seen;
        const QHash<QWidget*, QChar> keys = accessKeys(*dialog);
        for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
            const QString name = it.key()->objectName();
            EXPECT_FALSE(it.value().isNull()) << dialog->objectName().toStdString() << ": " << name.toStdString();
            EXPECT_FALSE(!it.value().isNull() && seen.contains(it.value()))
                << QString(it.value()).toStdString() << ": " << seen.value(it.value()).toStdString() << ", " << name.toStdString();
            seen.insert(it.value(), name);
        }
        EXPECT_GE(seen.size(), 8);
    }
}
