// The 商品マスタ window opened as the program opens it (from the launcher's menu and the editor's
// file menu), and its 棚札に入れる filling the open editor's sheet from the current tag.

#include "core/catalogue/catalogue.h"
#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_window.h"
#include "desktop/editor/editor_window.h"
#include "desktop/launcher/launcher_window.h"
#include "desktop/window_registry.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct FillRow {
    const char* what;
    int current;           // the editor's current tag
    QString filledBefore;  // a name typed into tag 2 first, or empty
    QStringList names;     // tags 1..4 afterwards
};

TEST(CatalogueWindowFromTheProgram, OneWindowFillsTheOpenEditor)
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    {
        catalogue::Result outcome;
        auto made = catalogue::Catalogue::open(*catalogue::parseCatalogueAddress(QString(), nullptr), {true}, &outcome);
        ASSERT_TRUE(made) << outcome.message.toStdString();
        catalogue::IncomingList list;
        int order = 2;
        for (const auto& [jan, name, shelf] :
             {std::tuple {"4900000000016", "天然水", "A-2"}, std::tuple {"4900000000023", "洗剤", "A-1"}}) {
            catalogue::IncomingProduct p;
            p.code = p.tag.jan = QString::fromLatin1(jan);
            p.tag.productName = QString::fromUtf8(name);
            p.shelf = QString::fromLatin1(shelf);
            p.tag.price = 100;
            p.listPrice = 100;
            p.listOrder = order++;
            list.products.push_back(p);
        }
        ASSERT_TRUE(made->merge(list, {}).ok());
    }
    auto* launcher = desktop::showLauncher();
    launcher->findChild<QAction*>(QStringLiteral("catalogueMenu"))->trigger();
    auto* editor = desktop::showEditor(sheet::SheetFormat::large);
    editor->menuAction(QStringLiteral("catalogueMenu"))->trigger();
    int windows = 0;
    desktop::CatalogueWindow* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<desktop::CatalogueWindow*>(w); found && found->isVisible()) {
            ++windows;
            window = found;
        }
    }
    ASSERT_EQ(windows, 1);
    ASSERT_EQ(window->model().rowCount(), 2);

    const FillRow rows[] = {
        {"into an empty sheet from tag 2, in shelf order",
         2,
         {},
         {{}, QStringLiteral("洗剤"), QStringLiteral("天然水"), {}}},
        {"a filled tag kept when the user says no",
         1,
         QStringLiteral("手書き"),
         {{}, QStringLiteral("手書き"), {}, {}}},
    };
    for (const FillRow& row : rows) {
        SCOPED_TRACE(row.what);
        editor->sheet().clearAll();
        editor->sheet().record(2).productName = row.filledBefore;
        editor->sheet().current = row.current;
        window->table()->selectAll();
        // The editor's own question (a filled tag) is answered No.
        QTimer::singleShot(200, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->button(QMessageBox::No)->click();
            }
        });
        window->putIntoEditor();
        QStringList names;
        for (int tag = 1; tag <= 4; ++tag) {
            names << editor->sheet().record(tag).productName;
        }
        EXPECT_EQ(names, row.names);
    }
    window->close();
    editor->close();
    launcher->close();
    QApplication::processEvents();
    qunsetenv("XDG_DATA_HOME");
}

}  // namespace
