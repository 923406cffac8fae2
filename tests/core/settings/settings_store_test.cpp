// The settings file: each printer's calibration read only when whole and within bounds, kept per
// printer, and a damaged file put aside before a new one is written; the other subjects of the
// file (list layouts, the tags' extra texts, the catalogue's address) kept beside them.

#include "core/settings/settings_store.h"

#include "core/settings/catalogue_address_setting.h"
#include "core/settings/printer_calibrations.h"
#include "core/settings/remembered_layouts.h"
#include "core/settings/tag_text_settings.h"
#include "core/sheet/tag_sheet.h"

#include "support/file_bytes.h"
#include "support/qt_print.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <string>

using calibration::Calibration;
using settings::PrinterCalibrations;
using settings::RememberedLayouts;
using settings::SettingsStore;
using settings::TagTextSettings;

namespace {

struct StoredRow {
    const char* name;
    QByteArray file;  // empty: no settings file at all
    std::optional<Calibration> expected;
    bool problem;
};

const QByteArray kBinary("\x00\xff\xfe[calibration\x00\x01=\x02\n\xc3(", 16);

const StoredRow kStored[] = {
    {"no settings file", {}, std::nullopt, false},
    {"quoted value", "[calibration]\nP1=\"1.5,-2,99.5,100\"\n", Calibration {1.5, -2, 99.5, 100}, false},
    {"hand-edited without quotes", "[calibration]\nP1=1.5, -2, 99.5, 100\n", Calibration {1.5, -2, 99.5, 100}, false},
    {"more decimals than kept", "[calibration]\nP1=\"0.123,0,100.004,100\"\n", Calibration {0.12, 0, 100, 100}, false},
    {"another printer only", "[calibration]\nP2=\"1,1,100,100\"\n", std::nullopt, false},
    {"offset beyond 20 mm", "[calibration]\nP1=\"25,0,100,100\"\n", std::nullopt, true},
    {"scale below 90 %", "[calibration]\nP1=\"0,0,50,100\"\n", std::nullopt, true},
    {"three numbers", "[calibration]\nP1=\"1,2,100\"\n", std::nullopt, true},
    {"not numbers", "[calibration]\nP1=abc\n", std::nullopt, true},
    {"not a number", "[calibration]\nP1=\"nan,0,100,100\"\n", std::nullopt, true},
    {"empty value", "[calibration]\nP1=\n", std::nullopt, true},
    {"binary garbage", kBinary, std::nullopt, true},
};

TEST(SettingsStore, ReadsOnlyWhatIsWholeAndWithinBounds)
{
    for (const StoredRow& row : kStored) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
        if (!row.file.isEmpty()) {
            ASSERT_TRUE(test_support::writeFileBytes(path, row.file));
        }
        const calibration::StoredCalibration stored
            = PrinterCalibrations(SettingsStore(path)).calibrationFor(QStringLiteral("P1"));
        EXPECT_EQ(stored.calibration, row.expected);
        EXPECT_EQ(!stored.problem.isEmpty(), row.problem) << stored.problem.toStdString();
        if (row.problem) {
            EXPECT_TRUE(stored.problem.contains(QStringLiteral("P1")));
            EXPECT_TRUE(stored.problem.contains(QStringLiteral("使いません")));
        }
    }
}

TEST(SettingsStore, KeepsEachPrinterApartAndClearsOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/folder/tanafuda.ini"));  // folders made as needed
    PrinterCalibrations settings {SettingsStore(path)};
    const QString office = QStringLiteral("事務所/レーザー 2F");  // a separator and a blank in the name
    const QString shop = QStringLiteral("shop");
    QString problem;
    ASSERT_TRUE(settings.saveCalibration(office, {1.234, -2, 99.5, 101.006}, &problem)) << problem.toStdString();
    ASSERT_TRUE(settings.saveCalibration(shop, {0, 0.5, 100, 100}, &problem)) << problem.toStdString();

    const PrinterCalibrations reread {SettingsStore(path)};
    EXPECT_EQ(reread.calibrationFor(office).calibration, (Calibration {1.23, -2, 99.5, 101.01}));
    EXPECT_EQ(reread.calibrationFor(shop).calibration, (Calibration {0, 0.5, 100, 100}));
    EXPECT_EQ(reread.calibrationFor(QStringLiteral("事務所")).calibration, std::nullopt);

    ASSERT_TRUE(settings.clearCalibration(office, &problem));
    EXPECT_EQ(PrinterCalibrations(SettingsStore(path)).calibrationFor(office).calibration, std::nullopt);
    EXPECT_EQ(PrinterCalibrations(SettingsStore(path)).calibrationFor(shop).calibration,
              (Calibration {0, 0.5, 100, 100}));

    // The list layouts' choices beside the calibrations, a JSON text with commas and quotes each.
    const QString json = QStringLiteral(R"({"columns":{"jan":0,"name":1},"basis":"excludes-tax"})");
    ASSERT_TRUE(RememberedLayouts(SettingsStore(path)).rememberLayout(QStringLiteral("0f1e"), json, &problem))
        << problem.toStdString();
    EXPECT_EQ(RememberedLayouts(SettingsStore(path)).rememberedLayout(QStringLiteral("0f1e")), json);
    EXPECT_EQ(RememberedLayouts(SettingsStore(path)).rememberedLayout(QStringLiteral("0f1f")), std::nullopt);
    EXPECT_EQ(PrinterCalibrations(SettingsStore(path)).calibrationFor(shop).calibration,
              (Calibration {0, 0.5, 100, 100}));
}

TEST(SettingsStore, RefusesWhatItCannotKeep)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test_support::writeFileBytes(dir.filePath(QStringLiteral("plain")), "a file, not a folder"));
    const struct {
        const char* name;
        QString path;
        QString printer;
        Calibration calibration;
    } rows[] = {
        {"out of bounds", dir.filePath(QStringLiteral("a.ini")), QStringLiteral("P"), {0, 0, 111, 100}},
        {"no printer", dir.filePath(QStringLiteral("b.ini")), QString(), {0, 0, 100, 100}},
        {"folder cannot be made",
         dir.filePath(QStringLiteral("plain/sub/c.ini")),
         QStringLiteral("P"),
         {1, 1, 100, 100}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QString problem;
        EXPECT_FALSE(
            PrinterCalibrations(SettingsStore(row.path)).saveCalibration(row.printer, row.calibration, &problem));
        EXPECT_FALSE(problem.isEmpty());
        EXPECT_FALSE(QFile::exists(row.path));
    }
}

TEST(SettingsStore, PutsADamagedFileAsideBeforeWritingANewOne)
{
    const struct {
        const char* name;
        QByteArray file;
        bool putAside;
    } rows[] = {
        // Whole as a file, one entry unusable: kept, and that entry reported again, not dropped.
        {"an unusable entry", "[calibration]\nP1=\"garbage\"\n", false},
        {"not text at all", kBinary, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
        ASSERT_TRUE(test_support::writeFileBytes(path, row.file));
        PrinterCalibrations settings {SettingsStore(path)};
        QString problem;
        ASSERT_TRUE(settings.saveCalibration(QStringLiteral("P2"), {1, 2, 100, 100}, &problem))
            << problem.toStdString();
        EXPECT_EQ(settings.calibrationFor(QStringLiteral("P2")).calibration, (Calibration {1, 2, 100, 100}));
        EXPECT_EQ(test_support::fileBytes(path + QStringLiteral(".damaged")), row.putAside ? row.file : QByteArray());
        EXPECT_EQ(settings.calibrationFor(QStringLiteral("P1")).problem.isEmpty(), row.putAside);
    }
}

TEST(SettingsStore, KeepsTheFilesModeWhenSaving)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
    ASSERT_TRUE(test_support::writeFileBytes(path, "[calibration]\nP1=\"1,1,100,100\"\n"));
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    ASSERT_TRUE(QFile::setPermissions(path, ownerOnly));
    ASSERT_TRUE(
        PrinterCalibrations(SettingsStore(path)).saveCalibration(QStringLiteral("P2"), {0, 0, 101, 100}, nullptr));
    // A new file would have the umask's mode (readable by all, as a rule).
    const auto groupAndOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(path) & groupAndOthers, QFileDevice::Permissions());
    EXPECT_TRUE(QFile::permissions(path).testFlag(QFileDevice::ReadOwner));
    EXPECT_EQ(PrinterCalibrations(SettingsStore(path)).calibrationFor(QStringLiteral("P1")).calibration,
              (Calibration {1, 1, 100, 100}));
}

}  // namespace

namespace {

sheet::TagTextChoices choicesOf(bool unit, bool tax, bool mark, const char* markText = "※", const char* base = "",
                                int rate = 10)
{
    sheet::TagTextChoices c;
    c.unitPrice = unit;
    c.taxExclusive = tax;
    c.reducedRateMark = mark;
    c.markText = QString::fromUtf8(markText);
    c.unitBase = QString::fromUtf8(base);
    c.sheetTaxRatePercent = rate;
    return c;
}

TEST(SettingsStore, ReadsTheTagTextsAndPassesOverWhatItCannotUse)
{
    struct Row {
        const char* name;
        QByteArray file;  // empty: no settings file at all
        sheet::TagTextChoices expected;
        int problems;
    };
    const Row rows[] = {
        {"no settings file", {}, {}, 0},
        {"no section", "[calibration]\nP1=\"1,1,100,100\"\n", {}, 0},
        {"every text on",
         "[tag-texts]\nunit-price=true\ntax-exclusive=true\nreduced-rate-mark=true\nmark=軽\nunit-base=100g\n"
         "sheet-tax-rate=8\n",
         choicesOf(true, true, true, "軽", "100g", 8), 0},
        {"1 and 0 as true and false", "[tag-texts]\nunit-price=1\ntax-exclusive=0\n", choicesOf(true, false, false), 0},
        {"a flag that is neither", "[tag-texts]\nunit-price=yes\ntax-exclusive=true\n", choicesOf(false, true, false),
         1},
        {"another mark", "[tag-texts]\nreduced-rate-mark=true\nmark=★\n", choicesOf(false, false, true), 1},
        {"a base that cannot be read", "[tag-texts]\nunit-price=true\nunit-base=150g\n", choicesOf(true, false, false),
         1},
        {"a rate that is none of the two", "[tag-texts]\nsheet-tax-rate=5\n", {}, 1},
        {"binary garbage", kBinary, {}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tanafuda.ini"));
        if (!row.file.isEmpty()) {
            ASSERT_TRUE(test_support::writeFileBytes(path, row.file));
        }
        QStringList problems;
        EXPECT_EQ(TagTextSettings(SettingsStore(path)).tagTextChoices(&problems), row.expected);
        EXPECT_EQ(problems.size(), row.problems) << problems.join(u'\n').toStdString();
    }
}

TEST(SettingsStore, KeepsTheTagTextsBesideTheCalibrations)
{
    QTemporaryDir dir;
    const SettingsStore store(dir.filePath(QStringLiteral("tanafuda.ini")));
    PrinterCalibrations calibrations(store);
    TagTextSettings tagTexts(store);
    ASSERT_TRUE(calibrations.saveCalibration(QStringLiteral("P1"), Calibration {1, 2, 100, 100}, nullptr));
    const sheet::TagTextChoices chosen = choicesOf(true, false, true, "軽", "10枚", 8);
    QString problem;
    ASSERT_TRUE(tagTexts.saveTagTextChoices(chosen, &problem)) << problem.toStdString();
    QStringList problems;
    EXPECT_EQ(tagTexts.tagTextChoices(&problems), chosen);
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_EQ(calibrations.calibrationFor(QStringLiteral("P1")).calibration, (Calibration {1, 2, 100, 100}));
}

}  // namespace

namespace {

// One subject of the settings file: what it writes, and whether a reading still finds it.
struct Subject {
    const char* name;
    std::function<bool(const SettingsStore&, QString*)> write;
    std::function<bool(const SettingsStore&)> found;
};

const QString kLayoutJson = QStringLiteral(R"({"columns":{"jan":0},"basis":"includes-tax"})");

const Subject kSubjects[] = {
    {"a calibration",
     [](const SettingsStore& store, QString* problem) {
         return PrinterCalibrations(store).saveCalibration(QStringLiteral("店/1F"), {1, -1, 99, 101}, problem);
     },
     [](const SettingsStore& store) {
         return PrinterCalibrations(store).calibrationFor(QStringLiteral("店/1F")).calibration
             == Calibration {1, -1, 99, 101};
     }},
    {"a layout",
     [](const SettingsStore& store, QString* problem) {
         return RememberedLayouts(store).rememberLayout(QStringLiteral("a/b"), kLayoutJson, problem);
     },
     [](const SettingsStore& store) {
         return RememberedLayouts(store).rememberedLayout(QStringLiteral("a/b")) == kLayoutJson;
     }},
    {"the tag texts",
     [](const SettingsStore& store, QString* problem) {
         return TagTextSettings(store).saveTagTextChoices(choicesOf(false, true, true, "軽", "100g", 8), problem);
     },
     [](const SettingsStore& store) {
         QStringList problems;
         return TagTextSettings(store).tagTextChoices(&problems) == choicesOf(false, true, true, "軽", "100g", 8)
             && problems.isEmpty();
     }},
};

TEST(SettingsStore, KeepsEverySubjectWhenAnotherIsWritten)
{
    for (const Subject& first : kSubjects) {
        for (const Subject& second : kSubjects) {
            SCOPED_TRACE(std::string(first.name) + ", then " + second.name);
            QTemporaryDir dir;
            const SettingsStore store(dir.filePath(QStringLiteral("tanafuda.ini")));
            // The catalogue's address is written by hand; every save keeps it.
            ASSERT_TRUE(test_support::writeFileBytes(store.path(), "[catalogue]\ndatabase=shop.sqlite\n"));
            QString problem;
            ASSERT_TRUE(first.write(store, &problem)) << problem.toStdString();
            ASSERT_TRUE(second.write(store, &problem)) << problem.toStdString();
            EXPECT_TRUE(first.found(store));
            EXPECT_TRUE(second.found(store));
            for (const Subject& other : kSubjects) {
                if (&other != &first && &other != &second) {
                    EXPECT_FALSE(other.found(store)) << other.name;
                }
            }
            EXPECT_EQ(settings::CatalogueAddressSetting(store).catalogueAddress(&problem),
                      dir.filePath(QStringLiteral("shop.sqlite")));
        }
    }
}

}  // namespace
