// Hostile lists and damaged files, as a new user's files or an attacker's would be: every case is a
// run of its own process (tanafuda-import, tanafuda-render, or the settings reader in a forked
// child) on an input the test makes, judged by its exit status, what it says, its peak memory and
// every file under the test's folder afterwards: nothing outside DIR ("out"), nothing left behind.
#include "core/files/sheet_file.h"
#include "core/settings/printer_calibrations.h"
#include "desktop/dialogs/dialogs.h"
#include "support/spreadsheet_files.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct ChildRun {
    int status = -1;  // exit status; 128 + N after signal N; -1 timed out
    QString said;     // standard output and error, or the message shown
    long maxRssMiB = 0;
};

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QString sheetFileIn(const QString& root)
{
    sheet::TagSheet sheet(sheet::SheetFormat::large);
    sheet.record(1) = {{}, {}, QStringLiteral("品"), {}, {}, {}, 100};
    files::writeSheetFile(sheet, root + QStringLiteral("/in/tana.csv"));
    return root + QStringLiteral("/in/tana.csv");
}

// Runs `child` in a forked process with its output in root/in/said, killed after 60 s.
ChildRun inChild(const QString& root, const std::function<void()>& child)
{
    const QString saidPath = root + QStringLiteral("/in/said");
    const int out = ::open(QFile::encodeName(saidPath).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out, 1);
        ::dup2(out, 2);
        child();
        ::_exit(127);
    }
    ::close(out);
    int status = 0;
    rusage usage {};
    for (int waited = 0; ::wait4(pid, &status, WNOHANG, &usage) != pid; waited += 20, ::usleep(20000)) {
        if (waited > 60000) {
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            status = -1;
            break;
        }
    }
    QFile said(saidPath);
    said.open(QIODevice::ReadOnly);
    return {status == -1            ? -1
                : WIFEXITED(status) ? WEXITSTATUS(status)
                                    : 128 + WTERMSIG(status),
            QString::fromUtf8(said.readAll()), usage.ru_maxrss / 1024};
}

// Runs a program of the build with `args`, `preload` preloaded and files limited to `maxFileBytes`.
ChildRun program(const QString& root, const char* name, const QStringList& args, const char* preload = "",
                 rlim_t maxFileBytes = RLIM_INFINITY)
{
    std::vector<QByteArray> strings {QByteArray(TANAFUDA_BINARY_DIR "/tools/") + name,
                                     QByteArray("LD_PRELOAD=") + preload};
    for (const QString& arg : args) {
        strings.push_back(QFile::encodeName(arg));
    }
    std::vector<char*> argv {strings[0].data()}, env {strings[1].data()};
    for (size_t i = 2; i < strings.size(); ++i) {
        argv.push_back(strings[i].data());
    }
    for (char** e = environ; *e; ++e) {
        env.push_back(*e);
    }
    argv.push_back(nullptr);
    env.push_back(nullptr);
    return inChild(root, [&] {
        const rlimit limit {maxFileBytes, maxFileBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::execve(argv[0], argv.data(), env.data());
    });
}

ChildRun import(const QString& root, const QString& list, const QByteArray& bytes, const char* preload = "",
                rlim_t maxFileBytes = RLIM_INFINITY)
{
    put(root + QStringLiteral("/in/") + list, bytes);
    return program(root, "tanafuda-import",
                   {root + QStringLiteral("/in/") + list, QStringLiteral("-o"), root + QStringLiteral("/out")}, preload,
                   maxFileBytes);
}

// A list with a header and `count` products, those from `longFrom` on with texts filling their boxes.
QByteArray products(int count, int longFrom = 1 << 30)
{
    QString text = QStringLiteral("品名,売価,メーカー名,規格\n");
    for (int i = 1; i <= count; ++i) {
        text += i < longFrom ? QStringLiteral("品%1,100,,\n").arg(i)
                             : QStringLiteral("長い名前の商品見本の%1,100,メーカー名長,規格の長い見本\n")
                                   .arg(i, 3, 10, QLatin1Char('0'));
    }
    return text.toUtf8();
}

// A workbook of a header and six products with one of its parts replaced by `edit`.
QByteArray workbook(const QString& part, const std::function<QByteArray(const QByteArray&)>& edit)
{
    testfiles::SheetRows rows {{testfiles::str(QStringLiteral("品名")), testfiles::str(QStringLiteral("売価"))}};
    for (int i = 1; i <= 6; ++i) {
        rows.push_back({testfiles::str(QStringLiteral("商品%1").arg(i)), testfiles::num(QStringLiteral("100"))});
    }
    auto parts = testfiles::xlsxPartsOf({{QStringLiteral("Sheet1"), rows}});
    std::for_each(parts.begin(), parts.end(), [&](auto& p) { p.second = p.first == part ? edit(p.second) : p.second; });
    return testfiles::zipOf(parts);
}

ChildRun readSettings(const QString& root, const std::function<void(const QString&)>& make)
{
    const QString path = root + QStringLiteral("/out/tanafuda.ini");
    QDir(root).mkpath(QStringLiteral("out"));
    make(path);
    return inChild(root, [&] {
        const QByteArray problem = settings::PrinterCalibrations(settings::SettingsStore(path))
                                       .calibrationFor(QStringLiteral("P"))
                                       .problem.toUtf8();
        ::write(1, problem.constData(), size_t(problem.size()));
        ::_exit(0);
    });
}

struct Row {
    const char* issueCase;
    std::function<ChildRun(const QString& root)> run;  // makes its input under root and runs
    int status;
    QString said;       // a part of what the run says
    long maxRssMiB;     // 0: not measured
    QStringList files;  // every file under root but in/ afterwards
};

const QString kLong = QString(78, QChar(0x68DA));  // 78 kanji: 234 bytes in UTF-8

}  // namespace

TEST(HostileInputs, RefusedOrReadWhole)
{
    const std::vector<Row> rows {
        {"1 nested elements in a shared string",
         [](const QString& root) {
             return import(root, QStringLiteral("l.xlsx"),
                           workbook(QStringLiteral("xl/sharedStrings.xml"), [](const QByteArray&) {
                               return "<?xml version=\"1.0\"?>\n<sst><si><t>" + QByteArray("<b>").repeated(200000)
                                   + QByteArray("</b>").repeated(200000) + "</t></si></sst>";
                           }));
         },
         2,
         QStringLiteral("xl/sharedStrings.xml は 2 行目で要素の入れ子が深すぎます"),
         0,
         {}},
        {"2 worksheet cut short",
         [](const QString& root) {
             return import(root, QStringLiteral("l.xlsx"),
                           workbook(QStringLiteral("xl/worksheets/sheet1.xml"),
                                    [](const QByteArray& xml) { return xml.left(xml.size() * 2 / 3); }));
         },
         2,
         QStringLiteral("xl/worksheets/sheet1.xml が 2 行目で壊れています"),
         0,
         {}},
        {"2 mismatched tags in content.xml",
         [](const QString& root) {
             return import(
                 root, QStringLiteral("l.ods"),
                 testfiles::odsOfTables(QStringLiteral(
                     "<table:table "
                     "table:name=\"S\"><table:table-row><table:table-cell><text:p>品名</text:p></table:table-cell></"
                     "table:table-row>"
                     "<table:table-row><table:table-cell><text:p>水</text:p></table:table-row></table:table>")));
         },
         2,
         QStringLiteral("content.xml が 2 行目で壊れています"),
         0,
         {}},
        {"2 entity expansion",
         [](const QString& root) {
             return import(root, QStringLiteral("l.xlsx"),
                           workbook(QStringLiteral("xl/worksheets/sheet1.xml"), [](QByteArray xml) {
                               QByteArray doctype = "<!DOCTYPE worksheet [<!ENTITY e0 \"xxxxxxxxxx\">";
                               for (int i = 1; i < 8; ++i) {
                                   doctype += "<!ENTITY e" + QByteArray::number(i) + " \""
                                       + ("&e" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
                               }
                               xml.replace("<row r=\"4\">",
                                           "<row r=\"4\"><c r=\"C4\" t=\"inlineStr\"><is><t>&e7;</t></is></c>");
                               return xml.replace("<worksheet", doctype + "]>\n<worksheet");
                           }));
         },
         2,
         QStringLiteral("xl/worksheets/sheet1.xml が 3 行目で壊れています"),
         0,
         {}},
        {"2 unreadable shared strings",
         [](const QString& root) {
             QByteArray bytes = workbook(QStringLiteral("xl/sharedStrings.xml"),
                                         [](const QByteArray& xml) { return xml.repeated(20); });
             const qsizetype at = bytes.indexOf("xl/sharedStrings.xml") + 40;
             for (qsizetype i = at; i < at + 16; ++i) {
                 bytes[i] = char(~bytes[i]);
             }
             return import(root, QStringLiteral("l.xlsx"), bytes);
         },
         2,
         QStringLiteral("xl/sharedStrings.xml を読めません"),
         0,
         {}},
        {"3 one record of 30 million tiny fields",
         [](const QString& root) {
             return import(root, QStringLiteral("l.csv"), "品名,売価\n水,100," + QByteArray("a,").repeated(30 << 20));
         },
         0,
         QStringLiteral("使う行 1"),
         400,
         {QStringLiteral("out/l-1.csv")}},
        {"3 60 MiB of commas",
         [](const QString& root) {
             return import(root, QStringLiteral("l.csv"), "品名,売価\n水,100" + QByteArray(60 << 20, ','));
         },
         0,
         QStringLiteral("使う行 1"),
         400,
         {QStringLiteral("out/l-1.csv")}},
        {"4 dangling link in DIR",
         [](const QString& root) {
             QDir(root).mkpath(QStringLiteral("out"));
             QDir(root).mkpath(QStringLiteral("elsewhere"));
             QFile::link(QStringLiteral("../elsewhere/x.csv"), root + QStringLiteral("/out/l-1.csv"));
             return import(root, QStringLiteral("l.csv"), products(3));
         },
         3,
         QStringLiteral("l-1.csv がすでにあります"),
         0,
         {QStringLiteral("out/l-1.csv")}},
        {"5 the disk fills after 3 of 5 sheets",
         [](const QString& root) {
             const ChildRun probe = import(root, QStringLiteral("p.csv"), products(120, 73));
             qint64 fitting = 0;
             for (int i = 1; i <= 3; ++i) {
                 fitting = std::max(fitting, QFileInfo(root + QStringLiteral("/out/p-%1.csv").arg(i)).size());
             }
             if (probe.status != 0 || QFileInfo(root + QStringLiteral("/out/p-4.csv")).size() <= fitting) {
                 return ChildRun {-2, QStringLiteral("the probe's sheet 4 is not larger: ") + probe.said};
             }
             QDir(root + QStringLiteral("/out")).removeRecursively();
             return import(root, QStringLiteral("l.csv"), products(120, 73), "", rlim_t(fitting));
         },
         3,
         QStringLiteral("l-4.csv: File too large"),
         0,
         {}},
        {"6 a %1 in the list's name",
         [](const QString& root) { return import(root, QStringLiteral("a%1b.csv"), products(30)); },
         0,
         QStringLiteral("a%1b-2.csv"),
         0,
         {QStringLiteral("out/a%1b-1.csv"), QStringLiteral("out/a%1b-2.csv")}},
        {"6 a list named %2",
         [](const QString& root) { return import(root, QStringLiteral("%2.csv"), products(3)); },
         0,
         QStringLiteral("%2-1.csv"),
         0,
         {QStringLiteral("out/%2-1.csv")}},
        {"6 a list name of 78 kanji",
         [](const QString& root) { return import(root, kLong + QStringLiteral(".csv"), products(3)); },
         0,
         QStringLiteral("-1.csv"),
         0,
         {QStringLiteral("out/") + kLong + QStringLiteral("-1.csv")}},
        {"6 tanafuda-render -o with a name of 242 bytes",
         [](const QString& root) {
             QDir(root).mkpath(QStringLiteral("out"));
             return program(root, "tanafuda-render",
                            {sheetFileIn(root), QStringLiteral("-o"),
                             root + QStringLiteral("/out/") + kLong + QStringLiteral("1234.pdf")});
         },
         0,
         QString(),
         0,
         {QStringLiteral("out/") + kLong + QStringLiteral("1234.pdf")}},
        {"7 a settings value of 60 MiB",
         [](const QString& root) {
             return readSettings(
                 root, [](const QString& path) { put(path, "[calibration]\nP=" + QByteArray(60 << 20, '9') + "\n"); });
         },
         0,
         QStringLiteral("ファイルが大きすぎる（1 MiB まで）ため使いません。"),
         64,
         {QStringLiteral("out/tanafuda.ini")}},
        {"7 a bad value is quoted by its start",
         [](const QString& root) {
             return readSettings(
                 root, [](const QString& path) { put(path, "[calibration]\nP=" + QByteArray(100000, 'x') + "\n"); });
         },
         0,
         QStringLiteral("値「") + QString(40, u'x') + QStringLiteral("…」が正しくない"),
         0,
         {QStringLiteral("out/tanafuda.ini")}},
        {"7 a settings file of 100 MiB",
         [](const QString& root) {
             return readSettings(root, [](const QString& path) {
                 put(path, QByteArray("[calibration]\n") + QByteArray("a=1\n").repeated(25 << 20));
             });
         },
         0,
         QStringLiteral("ファイルが大きすぎる"),
         64,
         {QStringLiteral("out/tanafuda.ini")}},
        {"7 a FIFO as the settings file",
         [](const QString& root) {
             return readSettings(root,
                                 [](const QString& path) { ::mkfifo(QFile::encodeName(path).constData(), 0600); });
         },
         0,
         QStringLiteral("通常のファイルでない"),
         0,
         {QStringLiteral("out/tanafuda.ini")}},
        {"8 tanafuda-import: the folder flush fails",
         [](const QString& root) {
             return import(root, QStringLiteral("l.csv"), products(3), TANAFUDA_FAIL_FOLDER_FLUSH);
         },
         5,
         QStringLiteral("l-1.csv: 新しい内容は書き込みましたが"),
         0,
         {QStringLiteral("out/l-1.csv")}},
        {"8 tanafuda-render: the folder flush fails",
         [](const QString& root) {
             QDir(root).mkpath(QStringLiteral("out"));
             return program(root, "tanafuda-render",
                            {sheetFileIn(root), QStringLiteral("-o"), root + QStringLiteral("/out/t.pdf")},
                            TANAFUDA_FAIL_FOLDER_FLUSH);
         },
         5,
         QStringLiteral("t.pdf: 新しい内容は書き込みましたが"),
         0,
         {QStringLiteral("out/t.pdf")}},
        {"9 a file name with a link in a question",
         [](const QString&) {
             ChildRun run {0, QString(), 0};
             QTimer::singleShot(0, [&run] {
                 auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                 run.said
                     = box && box->textFormat() == Qt::PlainText ? QStringLiteral("plain") : QStringLiteral("markup");
                 if (box) {
                     box->done(QMessageBox::No);
                 }
             });
             desktop::QtDialogs().message(
                 nullptr, QStringLiteral("x<a href=\"https://example.com\">y.csv はすでにあります。置き換えますか？"),
                 QStringLiteral("確認"), desktop::MessageIcon::warning, desktop::MessageButtons::yesNo);
             return run;
         },
         0,
         QStringLiteral("plain"),
         0,
         {}},
    };
    for (const Row& row : rows) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid() && QDir(root.path()).mkpath(QStringLiteral("in")));
        const ChildRun run = row.run(root.path());
        const std::string said = run.said.simplified().left(300).toStdString();
        std::printf("%-48s exit %3d, peak %4ld MiB: %s\n", row.issueCase, run.status, run.maxRssMiB, said.c_str());
        EXPECT_EQ(run.status, row.status) << row.issueCase << ": " << said;
        EXPECT_TRUE(run.said.contains(row.said) && run.said.size() < 20000) << row.issueCase << ": " << said;
        EXPECT_LE(run.maxRssMiB, row.maxRssMiB > 0 ? row.maxRssMiB : 1L << 30) << row.issueCase;
        QStringList files;
        for (QDirIterator it(root.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = QDir(root.path()).relativeFilePath(it.next());
            if (!path.startsWith(QStringLiteral("in/")) && !it.fileInfo().isDir()) {
                files << path;
            }
        }
        files.sort();
        EXPECT_EQ(files, row.files) << row.issueCase;
    }
}
