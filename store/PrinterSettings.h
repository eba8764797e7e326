#pragma once

#include <QPointF>
#include <QString>

namespace Zt_typro
{

// Per-printer calibration: where a printer really puts a point of the page differs from where it
// was sent by a small shift and a small stretch. For each printer, by its name, the program keeps
// an offset in millimetres and a scale for x and for y; the renderer sends every position p of a
// page, measured in millimetres from the sheet's top-left edge, to
//
//     x' = offsetX + scaleX × x,    y' = offsetY + scaleY × y
//
// (a label's text box keeps its font size; only its anchor moves). PDF output and the preview use
// no calibration. The values live in the per-user settings, never in the layouts.

/// Smallest and largest offset in millimetres, and its step.
inline constexpr double CalibrationOffsetMinMm = -20.0;
inline constexpr double CalibrationOffsetMaxMm = 20.0;
inline constexpr double CalibrationOffsetStepMm = 0.1;
/// Smallest and largest scale.
inline constexpr double CalibrationScaleMin = 0.95;
inline constexpr double CalibrationScaleMax = 1.05;
/// Tolerance when a value is compared with the limits: values are typed with few decimals.
inline constexpr double CalibrationLimitTolerance = 1e-9;
/// Decimals a scale is kept with.
inline constexpr int CalibrationScaleDecimals = 4;

/// The calibration of one printer. The default value changes nothing.
struct PrinterCalibration
{
    double offsetXMm = 0.0;
    double offsetYMm = 0.0;
    double scaleX = 1.0;
    double scaleY = 1.0;

    /// Where a point of the page (mm from the sheet's top-left edge) is sent.
    QPointF apply(QPointF mm) const { return {offsetXMm + scaleX * mm.x(), offsetYMm + scaleY * mm.y()}; }
    /// True when it moves nothing.
    bool isIdentity() const { return offsetXMm == 0.0 && offsetYMm == 0.0 && scaleX == 1.0 && scaleY == 1.0; }

    bool operator==(const PrinterCalibration&) const = default;
};

/// Throws AppError with a message naming the value when an offset lies outside −20 … +20 mm or a
/// scale outside 0.95 … 1.05.
void CheckCalibrationRange(const PrinterCalibration& calibration);

/// Texts for the edit fields: offsets with one decimal ("1.5", "-0.8"), scales with four ("1.0100").
QString FormatCalibrationOffset(double mm);
QString FormatCalibrationScale(double scale);

/// A decimal number with at most maxDecimals decimals and an optional sign, blanks at both ends
/// ignored ("1.5", "-0.8", "+2", ".5"); false for anything else.
bool ParseDecimalText(const QString& text, int maxDecimals, double* out);

// The settings store: organisation "Bexholt", application "qc" (the same per-user store as the
// organisation's details), one group per printer, "printers/" + the printer's name with every
// character outside A-Z a-z 0-9 - _ . percent-encoded (a name may hold "/" or "\", which QSettings
// would take as groups), values "pyx", "pyy", "blx", "bly" as decimal texts.

/// The stored calibration of a printer; the default (no change) when none is stored or the name is
/// empty. A stored value that cannot be read or lies out of range throws AppError.
PrinterCalibration ReadPrinterCalibration(const QString& printerName);
/// Stores the calibration of a printer after CheckCalibrationRange. Throws AppError when the name is
/// empty or the store cannot be written.
void WritePrinterCalibration(const QString& printerName, const PrinterCalibration& calibration);
/// The paper chosen for a printer (value "paper": the paper's key as its driver names it, "A4");
/// empty when none was chosen, which means the printer's default paper. Throws AppError when the
/// store cannot be read.
QString ReadPrinterPaper(const QString& printerName);
/// Stores the paper chosen for a printer; an empty key forgets the choice. Throws AppError when the
/// name is empty or the store cannot be written.
void WritePrinterPaper(const QString& printerName, const QString& paperKey);
/// The settings group of a printer: "printers/" + the encoded name.
QString PrinterCalibrationGroup(const QString& printerName);

// The blank-form background of a layout designer, per form code: group "backgrounds/" + form code,
// values "path" (the image file) and "dpi" (its resolution, a decimal text; absent: the file's own).

/// The remembered background image path and resolution of a form code; empty path when none.
struct DesignerBackgroundSetting
{
    QString path;
    double dpi = 0.0; // 0: the file's own
};
DesignerBackgroundSetting ReadDesignerBackground(const QString& formCode);
/// Remembers (or, with an empty path, forgets) the background image of a form code.
void WriteDesignerBackground(const QString& formCode, const DesignerBackgroundSetting& setting);

// The printer a form was last printed on, per form code: group "forms/" + form code, value
// "printer" (the printer's name as the print system gives it).

/// The printer the form of formCode was last printed on; empty when none is remembered. Throws
/// AppError when the store cannot be read.
QString ReadFormPrinter(const QString& formCode);
/// Remembers the printer the form of formCode was printed on; an empty name forgets it. Throws
/// AppError when the store cannot be written.
void WriteFormPrinter(const QString& formCode, const QString& printerName);

} // namespace Zt_typro
