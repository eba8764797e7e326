#pragma once

#include <QString>

class QPainter;
class QPrinter;

namespace Zt_typro
{

/// Paints the calibration page with a painter whose origin is the sheet's top-left edge: rulers in
/// millimetres along the top and left edges (a tick each mm, longer each 5 mm, numbered each 10 mm),
/// the four crosshairs of CalibrationCrosshair() labelled "1号 (30, 30)" …, and a line of
/// instructions naming printerName. No calibration is applied: the page shows where the printer
/// itself puts things.
void PaintCalibrationPage(QPainter& painter, const QString& printerName);

/// Sets the printer's page to the calibration page (297 × 200 mm, portrait, full page) and paints
/// it. False when the printer could not be opened for painting.
bool PaintCalibrationPageOnPrinter(QPrinter* printer, const QString& printerName);

/// Writes the calibration page to a PDF file. Throws AppError when the file cannot be written.
void RenderCalibrationPageToPdf(const QString& path, const QString& printerName);

} // namespace Zt_typro
