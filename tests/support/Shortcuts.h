#pragma once

#include <QString>

class QWidget;
class TFrm_pz_print;
class TFrm_zz_print;

namespace Zt_typro
{

/// Shortcuts the tests take to the print forms and the screens' parts, made of the program's own
/// routines: the designers reach the same routines through their own queries (PrintLayoutSample,
/// PreviewLayout and OpenPrintOptions of print/Placement.h).

/// Applies the layout of code to the cheque print form, prints its page on the form's printer
/// without a dialog and closes ADOQ_zb. Throws AppError when no printer can take it.
void PrintChequeSample(TFrm_zz_print* form, const QString& code);
/// Applies the layout of code to the cheque print form, shows the preview (returns when it is
/// closed) and closes ADOQ_zb.
void PreviewChequeLayout(TFrm_zz_print* form, const QString& code);
/// The same for the voucher print form with ADOQ_zb_pz.
void PrintVoucherSample(TFrm_pz_print* form, const QString& code);
void PreviewVoucherLayout(TFrm_pz_print* form, const QString& code);

/// Closes D_M->ADOQ_zpdyxz, sets it to the option list of code (P2: the rows sorted by kjx)
/// and opens it, as the cheque designer's print-content list does.
void OpenChequePrintOptions(const QString& code);
/// The same with D_M->ADOQ_pzdyxz.
void OpenVoucherPrintOptions(const QString& code);

/// Writes the calibration page to a PDF file, as PaintCalibrationPageOnPrinter paints it for a
/// PDF printer. Throws AppError when the file cannot be written.
void RenderCalibrationPageToPdf(const QString& path, const QString& printerName);

/// Empties the text of every digit box of a box panel (DigitBoxesOf).
void ClearDigitBoxes(QWidget* boxPanel);

} // namespace Zt_typro
