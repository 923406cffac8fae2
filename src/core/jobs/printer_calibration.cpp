#include "core/jobs/printer_calibration.h"

namespace jobs {

ChosenCalibration chooseCalibration(const CalibrationRequest& request, const QString& printerName,
                                    const StoredCalibrationLookup& lookup)
{
    if (request.given) {
        return {*request.given, {}};
    }
    if (request.none || printerName.isEmpty() || !lookup) {
        return {};
    }
    const calibration::StoredCalibration stored = lookup(printerName);
    ChosenCalibration chosen {stored.calibration.value_or(calibration::Calibration {}), {}};
    if (!stored.problem.isEmpty()) {
        chosen.warning = stored.problem + QStringLiteral("\n調整なしで印刷します。");
    }
    return chosen;
}

}  // namespace jobs
