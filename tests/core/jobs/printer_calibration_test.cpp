// Which calibration a print job uses, whichever program prints.
#include "core/jobs/printer_calibration.h"

#include <gtest/gtest.h>

using calibration::Calibration;

TEST(PrinterCalibration, GivenBeforeNoneBeforeKept)
{
    const Calibration kept {1, 2, 101, 99};
    const Calibration given {-3, 0, 100, 100};
    const QString damaged = QStringLiteral("プリンタ「壊」の印刷位置の調整は、ファイルが壊れているため使いません。");
    const auto store = [&](const QString& name) {
        return name == QStringLiteral("壊") ? calibration::StoredCalibration {std::nullopt, damaged}
                                            : calibration::StoredCalibration {kept, {}};
    };
    const struct {
        const char* name;
        jobs::CalibrationRequest request;
        QString printer;
        Calibration applied;
        bool warned;
    } rows[] = {
        {"kept for the printer", {}, QStringLiteral("A"), kept, false},
        {"given wins over kept", {given, false}, QStringLiteral("A"), given, false},
        {"none asked", {std::nullopt, true}, QStringLiteral("A"), {}, false},
        {"a PDF file, not a printer", {}, QString(), {}, false},
        {"given for a PDF file", {given, false}, QString(), given, false},
        {"kept one not usable", {}, QStringLiteral("壊"), {}, true},
        {"not usable, but none asked", {std::nullopt, true}, QStringLiteral("壊"), {}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const jobs::ChosenCalibration chosen = jobs::chooseCalibration(row.request, row.printer, store);
        EXPECT_EQ(chosen.calibration, row.applied);
        EXPECT_EQ(chosen.warning.startsWith(damaged), row.warned);
        EXPECT_EQ(chosen.warning.contains(QStringLiteral("調整なしで印刷します")), row.warned);
    }
}
