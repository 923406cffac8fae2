// The editor's "商品リストから作成" command: a product list into a half-used sheet from the current
// tag, the question before filled tags are replaced, the overflow saved as further sheet files.
#include "core/sheet/field_entry.h"
#include "desktop/dialogs/import_dialog.h"
#include "desktop/editor/control_names.h"
#include "support/editor_test_support.h"
#include "support/file_bytes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using desktop::ImportDialog;
using editor_test::onImportDialog;
using editor_test::OpenEditor;
using sheet::SheetFormat;

namespace {

constexpr int kListRows = 45;
constexpr int kRefusedRow = 4;    // 0-based: its code is in exponent form
constexpr int kUncheckedRow = 1;  // the test unchecks it in the dialog

QString codeOf(int i)
{
    return sheet::completeCheckDigit(QStringLiteral("45000%1").arg(i, 7, 10, QLatin1Char('0')) + u'0');
}

// A register's export in code page 932: JAN, name, price with tax; one price written "¥1,080" (the
// yen sign of code page 932 is the byte of the ASCII backslash).
QString writeList(const QString& path)
{
    QString text = QStringLiteral("JANコード,商品名,売価\r\n");
    for (int i = 0; i < kListRows; ++i) {
        const QString code = i == kRefusedRow ? QStringLiteral("4.50000E+12") : codeOf(i);
        const QString price = i == 2 ? QStringLiteral("\"\\1,080\"") : QString::number(100 + i);
        text += QStringLiteral("%1,品%2,%3\r\n").arg(code).arg(i).arg(price);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {};
    }
    file.write(test_support::cp932(text));
    return path;
}

QJsonObject renderList(const QString& sheetPath)
{
    QProcess p;
    p.start(QStringLiteral(TANAFUDA_BINARY_DIR "/tools/tanafuda-render"),
            {sheetPath, QStringLiteral("--list"), QStringLiteral("--json")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// The formats, each from tag 7 of a half-used sheet, with the further sheet files its overflow takes.
struct ImportRow {
    const SheetFormat* format;
    int startTag;
    int restFiles;
};
const ImportRow kImportRows[] {{&SheetFormat::large, 7, 2}, {&SheetFormat::small, 7, 1}};

// An editor whose sheet is half used (tags 1 to 6, and tag 9 further on) at the start tag, and the
// list of kListRows rows beside it.
struct HalfUsedSheet {
    QTemporaryDir dir;
    QString listPath;
    QString restFolder;
    OpenEditor e;
    QAction* action = nullptr;

    explicit HalfUsedSheet(const ImportRow& row) : e(*row.format)
    {
        listPath = writeList(dir.filePath(QStringLiteral("商品一覧.csv")));
        EXPECT_FALSE(listPath.isEmpty());
        EXPECT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("rest")));
        restFolder = dir.filePath(QStringLiteral("rest"));
        EXPECT_TRUE(e.activated);
        for (int tag = 1; tag <= 6; ++tag) {
            e.sheet().record(tag).productName = QStringLiteral("前%1").arg(tag);
        }
        e.sheet().record(9).productName = QStringLiteral("残したい");
        e.goTo(row.startTag);
        EXPECT_EQ(e.sheet().current, row.startTag);
        e.dialogs.openAnswer = listPath;
        action = e.w().menuAction(desktop::names::kImportMenu);
    }

    // One row unchecked, a filter tried, the rest saved in the folder and all sheets printed in
    // one job; yes to replacing tag 9.
    void importAll()
    {
        e.dialogs.messageAnswer = desktop::MessageAnswer::yes;
        e.dialogs.pdfPath = dir.filePath(QStringLiteral("all.pdf"));
        e.dialogs.messages.clear();
        onImportDialog(e.w(), [&](ImportDialog& dialog) {
            auto* filter = dialog.control<QLineEdit>(QStringLiteral("filterEdit"));
            auto* table = dialog.control<QTableWidget>(QStringLiteral("rowTable"));
            filter->setText(QStringLiteral("品3"));
            int shown = 0;
            for (int i = 0; i < table->rowCount(); ++i) {
                shown += table->isRowHidden(i) ? 0 : 1;
            }
            EXPECT_EQ(shown, 11);  // 品3, 品30 .. 品39
            filter->clear();
            dialog.setChecked(kUncheckedRow, false);
            dialog.control<QLineEdit>(QStringLiteral("restFolderEdit"))->setText(restFolder);
            dialog.control<QCheckBox>(QStringLiteral("printAllBox"))->setChecked(true);
            dialog.accept();
        });
        action->trigger();
    }
};

// The rows used, in list order: all but the refused and the unchecked one.
std::vector<int> usedRows()
{
    std::vector<int> used;
    for (int i = 0; i < kListRows; ++i) {
        if (i != kRefusedRow && i != kUncheckedRow) {
            used.push_back(i);
        }
    }
    return used;
}

TEST(EditorImport, TheDialogShowsTheListAndNoToReplacingATagChangesNothing)
{
    for (const ImportRow& row : kImportRows) {
        SCOPED_TRACE(editor_test::formatName(*row.format).toStdString());
        HalfUsedSheet s(row);
        ASSERT_NE(s.action, nullptr);
        EXPECT_EQ(s.action->text(), QStringLiteral("商品リストから作成(&I)..."));
        s.e.dialogs.messageAnswer = desktop::MessageAnswer::no;
        onImportDialog(s.e.w(), [&](ImportDialog& dialog) {
            EXPECT_EQ(dialog.list().rows.size(), size_t(kListRows));
            EXPECT_EQ(dialog.control<QComboBox>(QStringLiteral("encodingBox"))->itemText(0),
                      QStringLiteral("自動 (Shift_JIS)"));
            auto* table = dialog.control<QTableWidget>(QStringLiteral("rowTable"));
            EXPECT_EQ(table->rowCount(), kListRows);
            EXPECT_TRUE(dialog.cleanedRows()[kRefusedRow].refused());
            EXPECT_FALSE(table->item(kRefusedRow, 0)->flags() & Qt::ItemIsUserCheckable);
            EXPECT_TRUE(table->item(kRefusedRow, 6)->text().contains(QStringLiteral("指数表記")));
            EXPECT_TRUE(table->item(2, 6)->text().contains(QStringLiteral("1,080 → 1080")));
            dialog.accept();
        });
        s.action->trigger();
        EXPECT_EQ(s.e.sheet().record(9).productName, QStringLiteral("残したい"));
        EXPECT_TRUE(s.e.sheet().record(row.startTag).productName.isEmpty());
        ASSERT_FALSE(s.e.dialogs.messages.isEmpty());
        EXPECT_EQ(s.e.dialogs.messages.last(),
                  QStringLiteral(
                      "商品リストから作成: タグ 9 には入力済みの内容があります。商品リストの内容で置き換えますか？"));
        EXPECT_TRUE(QDir(s.restFolder).isEmpty()) << "nothing saved when the user says no";
    }
}

TEST(EditorImport, TheChosenRowsFillTheSheetFromTheCurrentTag)
{
    for (const ImportRow& row : kImportRows) {
        SCOPED_TRACE(editor_test::formatName(*row.format).toStdString());
        HalfUsedSheet s(row);
        ASSERT_NE(s.action, nullptr);
        s.importAll();
        const std::vector<int> used = usedRows();
        for (int tag = 1; tag <= row.format->tagsPerPage; ++tag) {
            const sheet::TagRecord& record = s.e.sheet().record(tag);
            if (tag < row.startTag) {
                EXPECT_EQ(record.productName, QStringLiteral("前%1").arg(tag)) << "tag " << tag;
                continue;
            }
            const int i = used[size_t(tag - row.startTag)];
            EXPECT_EQ(record.productName, QStringLiteral("品%1").arg(i)) << "tag " << tag;
            EXPECT_EQ(record.jan, codeOf(i)) << "tag " << tag;
            EXPECT_EQ(record.price, i == 2 ? 1080 : 100 + i) << "tag " << tag;
        }
        // Back in the window after the dialog, the JAN box has the focus.
        EXPECT_TRUE(QTest::qWaitForWindowActive(&s.e.w()));
        EXPECT_EQ(s.e.focusedName(), QStringLiteral("Text1"));
    }
}

TEST(EditorImport, TheRowsThatDoNotFitGoToFurtherSheetsAndAllPrintAsOneJob)
{
    for (const ImportRow& row : kImportRows) {
        SCOPED_TRACE(editor_test::formatName(*row.format).toStdString());
        HalfUsedSheet s(row);
        ASSERT_NE(s.action, nullptr);
        s.importAll();
        const std::vector<int> used = usedRows();
        const int perPage = row.format->tagsPerPage;
        const int fitting = perPage - row.startTag + 1;
        // The rest, read back by the renderer.
        size_t next = size_t(fitting);
        for (int file = 2; file < 2 + row.restFiles + 1; ++file) {
            const QString path = QDir(s.restFolder).filePath(QStringLiteral("商品一覧-%1.csv").arg(file));
            if (file == 2 + row.restFiles) {
                EXPECT_FALSE(QFile::exists(path));
                break;
            }
            const QJsonObject sheet = renderList(path);
            ASSERT_FALSE(sheet.isEmpty()) << path.toStdString();
            EXPECT_EQ(sheet.value(QStringLiteral("format")).toString(), editor_test::formatName(*row.format));
            const QJsonArray records = sheet.value(QStringLiteral("records")).toArray();
            ASSERT_EQ(records.size(), perPage);
            for (const QJsonValue& value : records) {
                const QJsonObject record = value.toObject();
                const QString name = record.value(QStringLiteral("productName")).toString();
                if (next < used.size()) {
                    EXPECT_EQ(name, QStringLiteral("品%1").arg(used[next])) << path.toStdString();
                    EXPECT_EQ(record.value(QStringLiteral("price")).toInt(), 100 + used[next]);
                    ++next;
                } else {
                    EXPECT_TRUE(name.isEmpty());
                }
            }
        }
        EXPECT_EQ(next, used.size()) << "every chosen row is on a tag";
        EXPECT_EQ(s.e.dialogs.printerDialogs, 1);
        ASSERT_TRUE(QFile::exists(s.e.dialogs.pdfPath));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {s.e.dialogs.pdfPath});
        ASSERT_TRUE(info.waitForFinished(30000) && info.exitStatus() == QProcess::NormalExit && info.exitCode() == 0)
            << "pdfinfo (poppler-utils) reads the printed document";
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(1 + row.restFiles))))
            << text.toStdString();
        ASSERT_FALSE(s.e.dialogs.messages.isEmpty());
        EXPECT_TRUE(s.e.dialogs.messages.last().contains(
            QStringLiteral("%1 件をタグ %2〜%3 に入れました").arg(fitting).arg(row.startTag).arg(perPage)))
            << s.e.dialogs.messages.last().toStdString();
    }
}

TEST(EditorImport, TypedTextStaysWithItsTagAndCancelChangesNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString listPath = writeList(dir.filePath(QStringLiteral("list.csv")));
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    e.goTo(3);
    e.type(QStringLiteral("123"));  // typed in the JAN box of tag 3, Enter not pressed
    e.dialogs.openAnswer = listPath;
    onImportDialog(e.w(), [](ImportDialog& dialog) { dialog.reject(); });
    e.w().menuAction(desktop::names::kImportMenu)->trigger();
    EXPECT_EQ(e.sheet().record(3).jan, QStringLiteral("123"));
    EXPECT_EQ(e.sheet().current, 3);
    for (int tag = 1; tag <= 24; ++tag) {
        if (tag != 3) {
            EXPECT_EQ(e.sheet().record(tag), sheet::TagRecord {}) << "tag " << tag;
        }
    }

    // Cancelling the file dialog changes nothing either.
    e.dialogs.openAnswer.reset();
    e.w().menuAction(desktop::names::kImportMenu)->trigger();
    EXPECT_EQ(e.sheet().record(4), sheet::TagRecord {});
    EXPECT_TRUE(QTest::qWaitForWindowActive(&e.w()));
    EXPECT_EQ(e.focusedName(), QStringLiteral("Text1"));
}

TEST(EditorImport, UnreadableListIsSaidInTheDialog)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("old.xls"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(64, '\0'));
    file.close();
    OpenEditor e(SheetFormat::small);
    ASSERT_TRUE(e.activated);
    e.dialogs.openAnswer = path;
    bool okEnabled = true;
    QString shown;
    onImportDialog(e.w(), [&](ImportDialog& dialog) {
        okEnabled = dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->isEnabled();
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            shown += label->text() + u'\n';
        }
        dialog.accept();  // refused: nothing chosen
    });
    e.w().menuAction(desktop::names::kImportMenu)->trigger();
    EXPECT_FALSE(okEnabled);
    EXPECT_TRUE(shown.contains(QStringLiteral(".xls"))) << shown.toStdString();
    for (int tag = 1; tag <= 40; ++tag) {
        EXPECT_EQ(e.sheet().record(tag), sheet::TagRecord {});
    }
}

}  // namespace
