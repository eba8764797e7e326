#pragma once

#include "common/Prompt.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace Zt_typro
{

class Report;

// Which printer a form goes to, and whether what it prints fits that printer's paper. Every job
// that prints a form (the cheque, its reprint, the voucher, the designers' sample) asks these
// before anything is stored or sent.

/// The printer a form opens its preview on: the one it was last printed on (remembered per form
/// code, ReadFormPrinter) while that printer is still installed, else the system's default
/// printer; empty when there is neither.
QString FormPrinter(const QString& formCode);

/// What of a report would not come out on a printer's paper.
struct PaperFit
{
    QString paper;   // the paper, as DescribePaper gives it; empty when no printer was checked
    QStringList cut; // the fields (ReportLabel::fieldName) that lie partly or wholly off it
};

/// The printed fields of report (a non-empty caption) whose text box, placed with the printer's
/// calibration, is not wholly inside the printable area of the paper the printer prints the forms
/// on (PaperForPrinter, less the margins the printer cannot print in). Nothing is checked for an
/// empty or unknown printer. Throws AppError when the printer's stored calibration cannot be read.
PaperFit FieldsOutsidePaper(const Report& report, const QString& printerName);

/// When fields of report would be cut on printerName's paper, says which and on which paper and
/// asks whether to print anyway, No the default. True to go on (also when nothing is cut).
bool ConfirmFieldsFit(const Report& report, const QString& printerName, QWidget* owner);

/// Shows the preview of report on printerName (FormPrinter of the report's form code), from which
/// the operator prints. A print sent to a printer other than checkedPrinter (the one the caller
/// already asked ConfirmFieldsFit about; empty for none) is checked when the page is sent:
/// declined, nothing is painted. The result says printed only when a page really went out (not
/// declined, and the printer took it). The printer a page went to is remembered for the form code.
PreviewResult PreviewAndPrint(const Report& report, QWidget* owner, const QString& title, const QString& printerName,
                              const QString& checkedPrinter);

/// Prints report without a dialog on its form's printer: the one remembered for the form code
/// while it is installed, else the default printer; with neither, the operator chooses among the
/// installed printers (none installed: the prompter says so). Asks first when fields would be cut.
/// Returns false when the operator cancelled or declined; throws AppError when the page could not
/// be printed. The printer is remembered for the form code.
bool PrintFormSample(const Report& report, QWidget* owner);

} // namespace Zt_typro
