// Black-box tests of tanafuda-import: the program is run as a user would run it, and the sheet
// files it writes are read back with the sheet-file reader.
#include "core/files/sheet_file.h"
#include "core/sheet/tag_sheet.h"

#include "support/register_lists.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ImportRun {
    int exitCode;
    QString out;
    QString err;
};

ImportRun import(const QStringList& args, const QString& configHome = {})
{
    QProcess p;
    // The settings file (remembered list layouts) of a test's own, never the user's.
    static QTemporaryDir ownConfig;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome.isEmpty() ? ownConfig.path() : configHome);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TANAFUDA_BINARY_DIR "/tools/tanafuda-import"), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {-1, {}, QStringLiteral("timed out")};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2,
            QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

// A list of 30 products in code page 932 with prices without tax; row 5 (product 4) has its code
// in exponent form and row 9 (product 8) no name.
QByteArray registerExport()
{
    QString text = QStringLiteral("商品コード,メーカー名,品名,容量,本体価格,税区分\r\n");
    for (int i = 1; i <= 30; ++i) {
        const QString code = i == 4 ? QStringLiteral("4.90123E+12") : QStringLiteral("%1").arg(1000 + i);
        const QString name = i == 8 ? QString() : QStringLiteral("商品%1").arg(i);
        text += QStringLiteral("%1,メーカー,%2,1L,%3,%4\r\n").arg(code, name).arg(100 + i).arg(i % 2 ? "8%" : "10%");
    }
    return cp932(text);
}

struct CliRow {
    const char* name;
    QStringList args;  // after the list's path; "-o DIR" is added
    int exitCode;
    const sheet::SheetFormat* format;
    std::vector<int> perSheet;  // filled tags on each written sheet
    const char* inOutput;       // a text the report must hold
};

TEST(ImportCli, WritesSheetsReportsAndExits)
{
    using sheet::SheetFormat;
    const std::vector<CliRow> rows {
        {"defaults", {}, 4, &SheetFormat::large, {24, 4}, "5行目 使いません: JANコード: 指数表記"},
        {"small from tag 35",
         {"--format", "small", "--start", "35"},
         4,
         &SheetFormat::small,
         {6, 22},
         "; 商品名: 商品名がないため使いません"},
        {"name from another column",
         {"--map", "name=メーカー名"},
         4,
         &SheetFormat::large,
         {24, 5},
         "使う行 29 (うち変更あり 29)、使わない行 1"},
        {"without the code column", {"--map", "jan="}, 4, &SheetFormat::large, {24, 5}, "使わない行 1"},
    };
    for (const CliRow& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString list = dir.filePath(QStringLiteral("レジ.csv"));
        writeFile(list, registerExport());
        const ImportRun run = import(QStringList {list} + row.args
                                     + QStringList {QStringLiteral("-o"), dir.filePath(QStringLiteral("out"))});
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(row.inOutput))) << run.out.toStdString();
        for (size_t s = 0; s < row.perSheet.size() + 1; ++s) {
            const QString path = dir.filePath(QStringLiteral("out/レジ-%1.csv").arg(s + 1));
            if (s == row.perSheet.size()) {
                EXPECT_FALSE(QFile::exists(path)) << "no further sheet";
                break;
            }
            const auto sheet = files::readAnySheetFile(path);
            ASSERT_TRUE(sheet.has_value()) << path.toStdString();
            EXPECT_EQ(&sheet->format(), row.format);
            int filled = 0;
            for (int tag = 1; tag <= sheet->tagsPerPage(); ++tag) {
                filled += sheet->record(tag).productName.isEmpty() ? 0 : 1;
            }
            EXPECT_EQ(filled, row.perSheet[s]) << "sheet " << s + 1;
        }
    }
}

TEST(ImportCli, TaxInclusivePricesOnTheTags)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString list = dir.filePath(QStringLiteral("list.tsv"));
    writeFile(list, QStringLiteral("JAN\t商品名\t売価\t税率\n4901234567894\t水\t98\t8\n\t茶\t98\t\n").toUtf8());
    const struct {
        QStringList args;
        qint32 water;
        qint32 tea;
    } rows[] {
        {{}, 98, 98},
        {{"--price-excludes-tax"}, 105, 107},
        {{"--price-excludes-tax", "--rounding", "half-up"}, 106, 108},
        {{"--price-excludes-tax", "--rounding", "ceil", "--tax-rate", "8"}, 106, 106},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        const ImportRun run
            = import(QStringList {list, QStringLiteral("--overwrite"), QStringLiteral("-o"), dir.path()} + row.args);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString() << run.out.toStdString();
        const auto sheet = files::readAnySheetFile(dir.filePath(QStringLiteral("list-1.csv")));
        ASSERT_TRUE(sheet.has_value());
        EXPECT_EQ(sheet->record(1).price, row.water);
        EXPECT_EQ(sheet->record(2).price, row.tea);
        EXPECT_EQ(sheet->record(1).jan, QStringLiteral("4901234567894"));
    }
}

TEST(ImportCli, ListWithoutHeaderByWhatItsColumnsHold)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString list = dir.filePath(QStringLiteral("nohead.csv"));
    writeFile(list, QStringLiteral("4901234567894,天然水,24,98\n4500000000018,緑茶,6,128\n").toUtf8());
    const ImportRun run = import({list, QStringLiteral("-o"), dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString() << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("見出しなし"))) << run.out.toStdString();
    const auto sheet = files::readAnySheetFile(dir.filePath(QStringLiteral("nohead-1.csv")));
    ASSERT_TRUE(sheet.has_value());
    EXPECT_EQ(sheet->record(1).jan, QStringLiteral("4901234567894"));
    EXPECT_EQ(sheet->record(1).productName, QStringLiteral("天然水"));
    EXPECT_EQ(sheet->record(2).price, 128);
}

TEST(ImportCli, AllSheetsInOnePdf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString list = dir.filePath(QStringLiteral("レジ.csv"));
    writeFile(list, registerExport());
    const QString pdf = dir.filePath(QStringLiteral("tags.pdf"));
    const ImportRun run = import({list, QStringLiteral("-o"), dir.path(), QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(run.exitCode, 4) << run.err.toStdString();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(30000) || info.exitStatus() != QProcess::NormalExit) {
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not available";
    }
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n")))) << text.toStdString();

    const ImportRun wrong = import({list, QStringLiteral("-o"), dir.path(), QStringLiteral("--overwrite"),
                                    QStringLiteral("--pdf"), dir.filePath(QStringLiteral("tags.png"))});
    EXPECT_EQ(wrong.exitCode, 1);
    const ImportRun printerAlone
        = import({list, QStringLiteral("-o"), dir.path(), QStringLiteral("--printer"), QStringLiteral("x")});
    EXPECT_EQ(printerAlone.exitCode, 1);
}

TEST(ImportCli, UsageUnreadableAndUnwritable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString list = dir.filePath(QStringLiteral("a.csv"));
    writeFile(list, QByteArray("JAN,商品名,売価\n4901234567894,水,98\n"));
    const QString noNames = dir.filePath(QStringLiteral("b.csv"));
    writeFile(noNames, QByteArray("a,b\n1,2\n"));
    const QString old = dir.filePath(QStringLiteral("c.xls"));
    writeFile(old, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(64, '\0'));
    QDir(dir.path()).mkpath(QStringLiteral("taken"));
    writeFile(dir.filePath(QStringLiteral("taken/a-1.csv")), QByteArray("keep me"));
    const QString out = dir.filePath(QStringLiteral("out"));
    const struct {
        const char* name;
        QStringList args;
        int exitCode;
    } rows[] {
        {"no output folder", {list}, 1},
        {"no list", {"-o", out}, 1},
        {"bad format", {list, "-o", out, "--format", "medium"}, 1},
        {"start beyond the page", {list, "-o", out, "--start", "25"}, 1},
        {"bad rounding", {list, "-o", out, "--rounding", "up"}, 1},
        {"bad rate", {list, "-o", out, "--tax-rate", "5"}, 1},
        {"both tax bases", {list, "-o", out, "--price-includes-tax", "--price-excludes-tax"}, 1},
        {"unknown field", {list, "-o", out, "--map", "cost=売価"}, 1},
        {"unknown column", {list, "-o", out, "--map", "price=値段"}, 1},
        {"missing list", {dir.filePath("none.csv"), "-o", out}, 2},
        {"old excel", {old, "-o", out}, 2},
        {"no product names", {noNames, "-o", out}, 2},
        {"sheet file there already", {list, "-o", dir.filePath("taken")}, 3},
        {"all fine", {list, "-o", out}, 0},
    };
    for (const auto& row : rows) {
        const ImportRun run = import(row.args);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.err.toStdString();
        if (row.exitCode != 0) {
            EXPECT_FALSE(run.err.isEmpty()) << row.name;
        }
    }
    QFile kept(dir.filePath(QStringLiteral("taken/a-1.csv")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me"));
}

}  // namespace

namespace {

TEST(ImportCli, TaxCodesNoPriceAndRememberedChoices)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString list = dir.filePath(QStringLiteral("tax.csv"));
    writeFile(
        list,
        QStringLiteral("JANコード,商品名,売価,税込/税抜,税率\r\n,菓子,199,外税,1\r\n,酒,1000,内税,標準\r\n").toUtf8());
    const QString noPrice = dir.filePath(QStringLiteral("noprice.csv"));
    writeFile(noPrice, QStringLiteral("JANコード,商品名,原価\r\n4901234567894,水,60\r\n").toUtf8());
    // Registers' exports (税区分 1 税抜 on tag 1 of the first; a version line above the second's titles).
    const QString smaregi = dir.filePath(QStringLiteral("smaregi.csv"));
    writeFile(smaregi, testfiles::registerExports()[0].bytes());
    const QString airregi = dir.filePath(QStringLiteral("airregi.csv"));
    writeFile(airregi, testfiles::registerExports()[1].bytes(true));
    const struct {
        const char* name;
        QStringList args;
        int exitCode;
        qint32 sweets;  // price on tag 1; -1: no sheet
    } rows[] {
        {"an unknown code refuses its row", {list}, 4, 1000},
        {"the code given a meaning",
         {list, "--tax-code", "1=excl8", "--rounding", "ceil", "--remember"},
         0,
         (199 * 108 + 99) / 100},
        {"remembered next time", {list}, 0, (199 * 108 + 99) / 100},
        {"remembered, the rounding given over it", {list, "--rounding", "floor"}, 0, 199 * 108 / 100},
        {"not remembered when asked", {list, "--no-remembered"}, 4, 1000},
        {"bad meaning", {list, "--tax-code", "1=excl5"}, 1, -1},
        {"no price column stops", {noPrice}, 2, -1},
        {"price left out on purpose", {noPrice, "--map", "price="}, 0, 0},
        {"a register's export found by its titles", {smaregi}, 0, 1722 * 110 / 100},
        {"read as any list: its codes stop it before anything is written", {smaregi, "--register", "none"}, 2, -1},
        {"read as any list, the codes given",
         {smaregi, "--register", "none", "--tax-codes", "0=税込,1=税抜,2=非課税", "--tax-rate", "8"},
         0,
         1722 * 108 / 100},
        {"no such register", {smaregi, "--register", "nosuch"}, 1, -1},
        {"a version line above the titles, the columns in another order", {airregi}, 0, 150 * 108 / 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString out = dir.filePath(QStringLiteral("out"));
        QDir(out).removeRecursively();
        const ImportRun run = import(row.args + QStringList {QStringLiteral("-o"), out}, config);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err.toStdString() << run.out.toStdString();
        const QString base = QFileInfo(row.args.front()).completeBaseName();
        const auto sheet = files::readAnySheetFile(dir.filePath(QStringLiteral("out/%1-1.csv").arg(base)));
        ASSERT_EQ(sheet.has_value(), row.sweets >= 0);
        if (sheet) {
            EXPECT_EQ(sheet->record(1).price, row.sweets);
        }
        if (row.args == QStringList {smaregi}) {
            EXPECT_TRUE(run.out.contains(QStringLiteral("スマレジの商品データとして読みました")));
        }
        if (row.args.front() == noPrice && row.exitCode != 0) {
            EXPECT_TRUE(
                run.err.contains(QStringLiteral("価格の列が見つかりません (リストの列: JANコード、商品名、原価)")))
                << run.err.toStdString();
        }
    }
}

}  // namespace
