#pragma once

// A shop's week in the 商品マスタ window, for the window's tests: the window on a catalogue in a
// temporary folder, lists taken in through the real import dialog, prints made through the real
// print dialog (to PDF) and the questions answered by the fake dialogs (or, when asked, by keys in
// the real message boxes), and the catalogue read back as another program reads it.

#include "desktop/catalogue/catalogue_import_dialog.h"
#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_print_dialog.h"
#include "desktop/catalogue/catalogue_window.h"
#include "support/fake_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace test_support {

// The buttons of the question after a print, as the fake dialogs answer it: はい, いいえ, あとで.
enum Answer { yes = 0, no = 1, later = 2 };

using desktop::CatalogueModel;
using desktop::CatalogueWindow;

using WeekDialogs = QuestionBoxDialogs;

struct Week {
    QTemporaryDir dir;
    WeekDialogs dialogs;
    std::unique_ptr<CatalogueWindow> window;
    int prints = 0;

    Week()
    {
        window = std::make_unique<CatalogueWindow>(
            *catalogue::parseCatalogueAddress(dir.filePath(QStringLiteral("shop.sqlite")), nullptr), dialogs);
    }

    QString write(const QString& name, const QString& csv)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(csv.toUtf8());
        return file.fileName();
    }
    // The list goes through the import dialog as it opens (`inDialog` may change its choices
    // first); `answer` answers the merge summary.
    void takeIn(const QString& name, const QString& csv, int answer,
                const std::function<void(desktop::CatalogueImportDialog&)>& inDialog = {})
    {
        dialogs.openAnswer = write(name, csv);
        dialogs.choices = {answer};
        QTimer::singleShot(0, window.get(), [this, inDialog] {
            auto* dialog = window->findChild<desktop::CatalogueImportDialog*>();
            if (dialog == nullptr) {
                ADD_FAILURE() << "no import dialog";
                closeModal();
                return;
            }
            if (inDialog) {
                inDialog(*dialog);
            }
            importSummary = dialog->control(QStringLiteral("summaryLabel"))->property("text").toString();
            dialog->accept();
        });
        window->importList();
    }
    // Prints through the print dialog, by keyboard: Alt+O chooses 選んだ商品だけ when `selectedOnly`,
    // Enter prints.
    void print(int format, int start, int answer, bool selectedOnly = false)
    {
        window->control<QComboBox>(QStringLiteral("formatBox"))->setCurrentIndex(format);
        window->control<QSpinBox>(QStringLiteral("startTagBox"))->setValue(start);
        std::function<void(desktop::CataloguePrintDialog&)> chooseSelected;
        if (selectedOnly) {
            chooseSelected = [](desktop::CataloguePrintDialog& dialog) {
                // The access key animates its click before the choice changes.
                QTest::keyClick(&dialog, Qt::Key_O, Qt::AltModifier);
                auto* selected = dialog.control<QRadioButton>(QStringLiteral("selectedScope"));
                EXPECT_TRUE(QTest::qWaitFor([selected] { return selected->isChecked(); }, 2000));
            };
        }
        answerPrintDialog(answer, chooseSelected);
        window->printChanges();
    }
    // Answers the print dialog when it opens: `inDialog` first (it may change the choices), the
    // dialog's count kept in `printCount`, then Enter, and `answer` to the question after the
    // print. A dialog that Enter leaves open is closed: a failure unless `mayPrintNothing`.
    void answerPrintDialog(int answer, const std::function<void(desktop::CataloguePrintDialog&)>& inDialog,
                           bool mayPrintNothing = false)
    {
        dialogs.pdfPath = dir.filePath(QStringLiteral("print-%1.pdf").arg(++prints));
        dialogs.choices = {answer};
        printCount.clear();
        QTimer::singleShot(0, window.get(), [this, inDialog, mayPrintNothing] {
            auto* dialog = window->findChild<desktop::CataloguePrintDialog*>();
            if (dialog == nullptr) {
                ADD_FAILURE() << "no print dialog";
                closeModal();
                return;
            }
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
            if (inDialog) {
                inDialog(*dialog);
            }
            printCount = dialog->control<QLabel>(QStringLiteral("countLabel"))->text();
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return);
            if (dialog->isVisible()) {
                EXPECT_TRUE(mayPrintNothing) << "Enter did not print";
                dialog->reject();
            }
        });
    }
    static void closeModal()
    {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    }
    // The catalogue as another program reads it.
    std::unique_ptr<catalogue::Catalogue> readBack()
    {
        catalogue::Result outcome;
        auto opened = catalogue::Catalogue::open(
            *catalogue::parseCatalogueAddress(dir.filePath(QStringLiteral("shop.sqlite")), nullptr), {}, &outcome);
        EXPECT_TRUE(opened) << outcome.message.toStdString();
        return opened;
    }
    QString importSummary;
    QString printCount;
    // The rows of a status tab: "code status price old-price".
    QStringList rows(int tab)
    {
        window->control<QTabBar>(QStringLiteral("statusTabs"))->setCurrentIndex(tab);
        QStringList shown;
        const CatalogueModel& model = window->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column :
                 {CatalogueModel::code, CatalogueModel::status, CatalogueModel::price, CatalogueModel::oldPrice}) {
                cells << model.index(row, column).data().toString();
            }
            shown << cells.join(u' ').trimmed();
        }
        return shown;
    }
    int pending() { return window->control<QListWidget>(QStringLiteral("pendingList"))->count(); }
};

}  // namespace test_support
