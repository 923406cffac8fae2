#include "core/calibration/calibration.h"

#include <QStringList>

#include <cmath>

namespace calibration {

namespace {

// Marks closer than this along an axis do not tell that axis's scale reliably.
constexpr double kMinMarkDistanceMm = 50.0;

double roundToHundredths(double value)
{
    const double r = std::round(value * 100.0) / 100.0;
    return r == 0.0 ? 0.0 : r;  // no "-0"
}

bool offsetInBounds(double mm)
{
    return std::isfinite(mm) && std::fabs(mm) <= kMaxOffsetMm;
}

bool scaleInBounds(double percent)
{
    return std::isfinite(percent) && percent >= kMinScalePercent && percent <= kMaxScalePercent;
}

}  // namespace

QString formatNumber(double value)
{
    QString text = QString::number(roundToHundredths(value), 'f', 2);
    while (text.endsWith(u'0')) {
        text.chop(1);
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text;
}

bool Calibration::isIdentity() const
{
    return offsetXMm == 0.0 && offsetYMm == 0.0 && scaleXPercent == 100.0 && scaleYPercent == 100.0;
}

PointMm Calibration::apply(PointMm pageMm) const
{
    return {offsetXMm + pageMm.x * scaleXPercent / 100.0, offsetYMm + pageMm.y * scaleYPercent / 100.0};
}

bool withinBounds(const Calibration& c)
{
    return offsetInBounds(c.offsetXMm) && offsetInBounds(c.offsetYMm) && scaleInBounds(c.scaleXPercent)
        && scaleInBounds(c.scaleYPercent);
}

Calibration rounded(const Calibration& c)
{
    return {roundToHundredths(c.offsetXMm), roundToHundredths(c.offsetYMm), roundToHundredths(c.scaleXPercent),
            roundToHundredths(c.scaleYPercent)};
}

std::optional<Calibration> parseCalibration(const QString& text, QString* problem)
{
    const QStringList parts = text.split(u',');
    double values[4] = {};
    bool parsed = parts.size() == 4;
    for (int i = 0; parsed && i < 4; ++i) {
        values[i] = parts[i].trimmed().toDouble(&parsed);
        parsed = parsed && std::isfinite(values[i]);
    }
    if (!parsed) {
        if (problem) {
            *problem = QStringLiteral(
                "a calibration is four numbers DX,DY,SX,SY (millimetres, millimetres, percent, percent)");
        }
        return std::nullopt;
    }
    const Calibration c {values[0], values[1], values[2], values[3]};
    if (!withinBounds(c)) {
        if (problem) {
            *problem
                = QStringLiteral("a calibration's offsets lie within -20 to 20 mm and its scales within 90 to 110 %");
        }
        return std::nullopt;
    }
    return c;
}

QString formatCalibration(const Calibration& c)
{
    return QStringList {formatNumber(c.offsetXMm), formatNumber(c.offsetYMm), formatNumber(c.scaleXPercent),
                        formatNumber(c.scaleYPercent)}
        .join(u',');
}

QString describeShift(double rightMm, double downMm)
{
    QStringList parts;
    if (formatNumber(rightMm) != QStringLiteral("0")) {
        parts << QStringLiteral("%1に %2 mm")
                     .arg(rightMm > 0 ? QStringLiteral("右") : QStringLiteral("左"), formatNumber(std::fabs(rightMm)));
    }
    if (formatNumber(downMm) != QStringLiteral("0")) {
        parts << QStringLiteral("%1に %2 mm")
                     .arg(downMm > 0 ? QStringLiteral("下") : QStringLiteral("上"), formatNumber(std::fabs(downMm)));
    }
    return parts.join(u'・');
}

QString describeCalibration(const Calibration& c)
{
    const Calibration r = rounded(c);
    if (r.isIdentity()) {
        return QStringLiteral("調整なし");
    }
    const QString shift = describeShift(r.offsetXMm, r.offsetYMm);
    return QStringLiteral("%1、大きさ 横 %2 %・縦 %3 %")
        .arg(shift.isEmpty() ? QStringLiteral("動かさない") : shift + QStringLiteral(" 動かす"),
             formatNumber(r.scaleXPercent), formatNumber(r.scaleYPercent));
}

QString describeCalibrationWithNumbers(const Calibration& c)
{
    return QStringLiteral("%1（%2）").arg(describeCalibration(c), formatCalibration(c));
}

QString describeMeasurement(const MarkMeasurement& first, const MarkMeasurement& second)
{
    const QString a = describeShift(first.measuredMm.x - first.drawnMm.x, first.measuredMm.y - first.drawnMm.y);
    const QString b = describeShift(second.measuredMm.x - second.drawnMm.x, second.measuredMm.y - second.drawnMm.y);
    if (a == b) {
        return a.isEmpty() ? QStringLiteral("印はずれていません") : QStringLiteral("印刷が%1 ずれています").arg(a);
    }
    const auto one = [](const QString& name, const QString& shift) {
        return shift.isEmpty() ? QStringLiteral("印 %1 はずれておらず").arg(name)
                               : QStringLiteral("印 %1 は%2").arg(name, shift);
    };
    return QStringLiteral("%1、%2 ずれています").arg(one(QStringLiteral("A"), a), one(QStringLiteral("B"), b));
}

namespace {

// One axis of the correction. The printer's error along it is taken to be linear: a point r of
// the device lands at e + k * r on the paper. The sheet was printed with offset d0 and scale s0
// (r = d0 + s0 * p), and the marks drawn at p1 and p2 were found at q1 and q2, so
//   k * s0 = (q2 - q1) / (p2 - p1)   and   e + k * d0 = q1 - (k * s0) * p1.
// The new correction (d1, s1) makes e + k * (d1 + s1 * p) = p for every p.
struct Axis {
    double offsetMm;
    double scale;  // a fraction, 1 for 100 %
};

std::optional<Axis> solveAxis(double d0, double s0, double p1, double q1, double p2, double q2)
{
    const double combinedScale = (q2 - q1) / (p2 - p1);
    if (!(combinedScale > 0.0) || !std::isfinite(combinedScale)) {
        return std::nullopt;
    }
    const double combinedOffset = q1 - combinedScale * p1;
    const double k = combinedScale / s0;
    return Axis {d0 - combinedOffset / k, s0 / combinedScale};
}

bool onPaper(double mm, double paperMm)
{
    return std::isfinite(mm) && mm >= 0.0 && mm <= paperMm;
}

}  // namespace

CalibrationResult calibrationFromMarks(const Calibration& printedWith, const MarkMeasurement& first,
                                       const MarkMeasurement& second)
{
    // Generous paper bounds: the sheet is A4, but a mark may be measured on a larger stock.
    constexpr double kPaperLimitMm = 500.0;
    if (std::fabs(second.drawnMm.x - first.drawnMm.x) < kMinMarkDistanceMm
        || std::fabs(second.drawnMm.y - first.drawnMm.y) < kMinMarkDistanceMm) {
        return {std::nullopt, QStringLiteral("二つの印が近すぎるため、倍率を求められません。")};
    }
    for (const MarkMeasurement* m : {&first, &second}) {
        if (!onPaper(m->measuredMm.x, kPaperLimitMm) || !onPaper(m->measuredMm.y, kPaperLimitMm)) {
            return {std::nullopt,
                    QStringLiteral("印 %1 を測った位置（左端から %2 mm・上端から %3 mm）は用紙の外です。"
                                   "印の中心までの、用紙の左端と上端からの距離を mm で入力してください。")
                        .arg(m == &first ? QStringLiteral("A") : QStringLiteral("B"), formatNumber(m->measuredMm.x),
                             formatNumber(m->measuredMm.y))};
        }
    }
    const double s0x = printedWith.scaleXPercent / 100.0;
    const double s0y = printedWith.scaleYPercent / 100.0;
    const std::optional<Axis> x = solveAxis(printedWith.offsetXMm, s0x, first.drawnMm.x, first.measuredMm.x,
                                            second.drawnMm.x, second.measuredMm.x);
    const std::optional<Axis> y = solveAxis(printedWith.offsetYMm, s0y, first.drawnMm.y, first.measuredMm.y,
                                            second.drawnMm.y, second.measuredMm.y);
    const QString measured
        = QStringLiteral("印 A は左端から %1 mm・上端から %2 mm、印 B は左端から %3 mm・上端から %4 mm")
              .arg(formatNumber(first.measuredMm.x), formatNumber(first.measuredMm.y),
                   formatNumber(second.measuredMm.x), formatNumber(second.measuredMm.y));
    if (!x || !y) {
        return {std::nullopt,
                QStringLiteral("測った位置（%1）では、二つの印の位置の関係が逆になっています。"
                               "どちらの印をどの欄に入力したか確かめてください。")
                    .arg(measured)};
    }
    const Calibration result = rounded({x->offsetMm, y->offsetMm, x->scale * 100.0, y->scale * 100.0});
    if (!withinBounds(result)) {
        const double widthMm = second.measuredMm.x - first.measuredMm.x;
        const double heightMm = second.measuredMm.y - first.measuredMm.y;
        return {std::nullopt,
                QStringLiteral(
                    "測った位置（%1）では%2。印 A から印 B までは横 %3 mm・縦 %4 mm（印刷したのは %5 mm・%6 mm）です。"
                    "調整できるのは、ずれ 20 mm まで、大きさ 90〜110 % までです（調整の範囲を超えています）。"
                    "測った値を確かめてください。")
                    .arg(measured, describeMeasurement(first, second), formatNumber(widthMm), formatNumber(heightMm),
                         formatNumber(second.drawnMm.x - first.drawnMm.x),
                         formatNumber(second.drawnMm.y - first.drawnMm.y))};
    }
    return {result, QString()};
}

}  // namespace calibration
