#pragma once

#include "store/PrinterSettings.h"

#include <QList>
#include <QPageSize>
#include <QPointF>
#include <QSizeF>
#include <QString>

namespace Zt_typro
{

// The calibration maths (the stored values and their limits are in store/PrinterSettings.h).

/// The calibration page: printed with no calibration on the paper the forms go on, with millimetre
/// rulers along its top and left edges and four numbered crosshairs. Without a printer's paper
/// (PDF output) it is a sheet of 297 × 200 mm, the cheque form's page.
inline constexpr double CalibrationPageWidthMm = 297.0;
inline constexpr double CalibrationPageHeightMm = 200.0;
/// Crosshair number n (1 … 4) of the calibration page, in mm from the sheet's top-left edge, on a
/// sheet of sheetMm: 1 (30, 30), 2 (260, 30), 3 (260, 120), 4 (30, 120) on the 297 × 200 mm page;
/// on a narrower or shorter paper the right ones come in to 25 mm from the right edge and the lower
/// ones up to 25 mm from the bottom edge, in whole millimetres (never closer than 20 mm to the
/// first). Any two diagonal
/// ones give both scales.
QPointF CalibrationCrosshair(int number, QSizeF sheetMm = QSizeF(CalibrationPageWidthMm, CalibrationPageHeightMm));

// The paper of a printer. A real printer prints the forms on its own paper, portrait, every field
// placed from the paper's top-left corner: the paper chosen for it in the calibration panel (kept
// with its calibration, ReadPrinterPaper), otherwise the printer's default paper. The designed page
// of a form (297 × 200 or 297 × 150 mm) is only the page of PDF output and of a page for no printer.

/// The papers the printer offers, as its driver lists them; empty for an unknown printer.
QList<QPageSize> PrinterPapers(const QString& printerName);
/// The printer's default paper; invalid for an unknown printer or one that names none.
QPageSize PrinterDefaultPaper(const QString& printerName);
/// The paper of papers whose key is key; fallback when the key is empty or none has it.
QPageSize PaperByKey(const QList<QPageSize>& papers, const QString& key, const QPageSize& fallback);
/// The paper the forms go on for this printer: the stored choice when the printer still offers
/// it, otherwise its default paper; invalid when the printer is unknown (the caller then keeps the
/// designed page). Throws nothing.
QPageSize PaperForPrinter(const QString& printerName);
/// "A4 (210 × 297 毫米)": the paper's name, width and height as it prints portrait.
QString DescribePaper(const QPageSize& paper);

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
