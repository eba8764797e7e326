#pragma once

#include "store/PrinterSettings.h"

#include <QPointF>
#include <QString>

namespace Zt_typro
{

// The calibration maths (the stored values and their limits are in store/PrinterSettings.h).


/// The calibration page: a sheet of 297 × 200 mm (the cheque form's page), printed with no
/// calibration, with millimetre rulers along its top and left edges and four numbered crosshairs.
inline constexpr double CalibrationPageWidthMm = 297.0;
inline constexpr double CalibrationPageHeightMm = 200.0;
/// Crosshair number n (1 … 4) of the calibration page, in mm from the sheet's top-left edge:
/// 1 (30, 30), 2 (260, 30), 3 (260, 120), 4 (30, 120). Any two diagonal ones give both scales.
QPointF CalibrationCrosshair(int number);

/// The calibration that corrects a printer from two crosshairs of the calibration page (printed with
/// no calibration): printed1/printed2 are where they were sent, measured1/measured2 where the operator
/// found them on the paper, all in mm from the sheet's top-left edge. The printer maps x to
/// a + b × x; the correction sends x to (x − a) / b, so scale = 1 / b and offset = −a / b. Offsets
/// are rounded to 0.1 mm, scales to 4 decimals. Throws AppError when the two crosshairs share an x
/// or a y, or the result is out of range (CheckCalibrationRange).
PrinterCalibration SolveCalibration(QPointF printed1, QPointF measured1, QPointF printed2, QPointF measured2);

/// An offset typed by the operator: a decimal number of millimetres with at most one decimal
/// ("1.5", "-0.8", "+2"), within −20 … +20. Throws AppError naming field otherwise.
double ParseCalibrationOffset(const QString& text, const QString& field);
/// A scale typed by the operator: a decimal number with at most 4 decimals within 0.95 … 1.05.
/// Throws AppError naming field otherwise.
double ParseCalibrationScale(const QString& text, const QString& field);
/// A measured position in millimetres: a decimal number with at most two decimals, 0 … 1000.
double ParseMeasuredMm(const QString& text, const QString& field);

} // namespace Zt_typro
