#include "print/Calibration.h"

#include "common/Error.h"

#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

namespace Zt_typro
{
namespace
{
double roundTo(double v, double step)
{
    return std::round(v / step) * step;
}
} // namespace

QPointF CalibrationCrosshair(int number, QSizeF sheetMm)
{
    constexpr double first = 30.0;
    // Whole millimetres, as the page labels them and the operator measures them.
    const double right = std::max(first + 20.0, std::floor(std::min(260.0, sheetMm.width() - 25.0)));
    const double lower = std::max(first + 20.0, std::floor(std::min(120.0, sheetMm.height() - 25.0)));
    switch (number) {
    case 1:
        return {first, first};
    case 2:
        return {right, first};
    case 3:
        return {right, lower};
    case 4:
        return {first, lower};
    default:
        throw AppError(QStringLiteral("校准页上没有第 %1 号十字线（只有 1 到 4 号）。").arg(number));
    }
}

PrinterCalibration SolveCalibration(QPointF printed1, QPointF measured1, QPointF printed2, QPointF measured2)
{
    const double dpx = printed2.x() - printed1.x();
    const double dpy = printed2.y() - printed1.y();
    if (std::abs(dpx) < 1.0 || std::abs(dpy) < 1.0) {
        throw AppError(QStringLiteral("所选的两个十字线横坐标或纵坐标相同，无法算出比例: 请选对角的两个十字线。"));
    }
    const double dmx = measured2.x() - measured1.x();
    const double dmy = measured2.y() - measured1.y();
    if (dmx / dpx <= 0.0 || dmy / dpy <= 0.0) {
        throw AppError(QStringLiteral("量得的两个十字线的位置次序与打印的相反，请检查输入的测量值。"));
    }
    // The printer: measured = a + b × printed, per axis.
    const double bx = dmx / dpx;
    const double by = dmy / dpy;
    const double ax = measured1.x() - bx * printed1.x();
    const double ay = measured1.y() - by * printed1.y();
    const double scaleStep = std::pow(10.0, -CalibrationScaleDecimals);
    PrinterCalibration c;
    c.scaleX = roundTo(1.0 / bx, scaleStep);
    c.scaleY = roundTo(1.0 / by, scaleStep);
    c.offsetXMm = roundTo(-ax / bx, CalibrationOffsetStepMm);
    c.offsetYMm = roundTo(-ay / by, CalibrationOffsetStepMm);
    // No "-0.0".
    for (double* v : {&c.offsetXMm, &c.offsetYMm}) {
        if (*v == 0.0)
            *v = 0.0;
    }
    CheckCalibrationRange(c);
    return c;
}

double ParseCalibrationOffset(const QString& text, const QString& field)
{
    double v = 0.0;
    if (!ParseDecimalText(text, 1, &v)) {
        throw AppError(QStringLiteral("%1“%2”不是有效的偏移量: 请输入毫米数，最多一位小数，如 1.5 或 -0.8。")
                           .arg(field, text));
    }
    if (v < CalibrationOffsetMinMm - CalibrationLimitTolerance || v > CalibrationOffsetMaxMm + CalibrationLimitTolerance)
        throw AppError(QStringLiteral("%1 %2 毫米超出范围: 偏移量应在 -20.0 到 +20.0 毫米之间。").arg(field, text.trimmed()));
    return v == 0.0 ? 0.0 : v;
}

double ParseCalibrationScale(const QString& text, const QString& field)
{
    double v = 0.0;
    if (!ParseDecimalText(text, CalibrationScaleDecimals, &v) || text.trimmed().startsWith(u'-')) {
        throw AppError(
            QStringLiteral("%1“%2”不是有效的比例: 请输入 0.95 到 1.05 之间的数，最多四位小数，如 1.01。").arg(field, text));
    }
    if (v < CalibrationScaleMin - CalibrationLimitTolerance || v > CalibrationScaleMax + CalibrationLimitTolerance)
        throw AppError(QStringLiteral("%1 %2 超出范围: 比例应在 0.95 到 1.05 之间。").arg(field, text.trimmed()));
    return v;
}

double ParseMeasuredMm(const QString& text, const QString& field)
{
    double v = 0.0;
    if (!ParseDecimalText(text, 2, &v) || v < 0.0 || v > 1000.0) {
        throw AppError(QStringLiteral("%1“%2”不是有效的测量值: 请输入从纸边量起的毫米数，如 31.5。").arg(field, text));
    }
    return v;
}

QList<QPageSize> PrinterPapers(const QString& printerName)
{
    if (printerName.isEmpty())
        return {};
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    return info.isNull() ? QList<QPageSize>() : info.supportedPageSizes();
}

QPageSize PrinterDefaultPaper(const QString& printerName)
{
    if (printerName.isEmpty())
        return {};
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    return info.isNull() ? QPageSize() : info.defaultPageSize();
}

QPageSize PaperByKey(const QList<QPageSize>& papers, const QString& key, const QPageSize& fallback)
{
    if (!key.isEmpty()) {
        for (const QPageSize& paper : papers)
            if (paper.key() == key)
                return paper;
    }
    return fallback;
}

QPageSize PaperForPrinter(const QString& printerName)
{
    if (printerName.isEmpty())
        return {};
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull())
        return {};
    QString chosen;
    try {
        chosen = ReadPrinterPaper(printerName);
    } catch (const AppError&) {
        chosen.clear(); // an unreadable choice is no choice: the printer's own default
    }
    return PaperByKey(info.supportedPageSizes(), chosen, info.defaultPageSize());
}

QString DescribePaper(const QPageSize& paper)
{
    if (!paper.isValid())
        return QString();
    const QSizeF mm = paper.size(QPageSize::Millimeter);
    return QStringLiteral("%1 (%2 × %3 毫米)")
        .arg(paper.name(), QString::number(mm.width(), 'f', 0), QString::number(mm.height(), 'f', 0));
}

} // namespace Zt_typro
