#pragma once

#include "print/Calibration.h"

#include <QPageSize>
#include <QSizeF>
#include <QString>

class QPainter;
class QPrinter;

namespace Zt_typro
{

/// Paints the calibration page of a sheet of sheetMm with a painter whose origin is the sheet's
/// top-left edge: rulers in millimetres along the top and left edges (a tick each mm, longer each
/// 5 mm, numbered each 10 mm), the four crosshairs of CalibrationCrosshair() for that sheet
/// labelled "1号 (30, 30)" …, and a line of instructions naming printerName. No calibration is
/// applied: the page shows where the printer itself puts things.
void PaintCalibrationPage(QPainter& painter, const QString& printerName,
                          QSizeF sheetMm = QSizeF(CalibrationPageWidthMm, CalibrationPageHeightMm));

/// The size of the calibration page on paper, printed portrait (as the paper is defined); 297 × 200 mm
/// for no paper (invalid).
QSizeF CalibrationSheetMm(const QPageSize& paper);

/// Sets the printer's page to paper for a real printer (portrait, full page), or to 297 × 200 mm
/// for PDF output or an invalid paper, and paints the calibration page on it. False when the
/// printer could not be opened for painting.
bool PaintCalibrationPageOnPrinter(QPrinter* printer, const QString& printerName, const QPageSize& paper);

} // namespace Zt_typro
