#include "tests/support/Shortcuts.h"

#include "common/Error.h"
#include "numerals/AmountField.h"
#include "print/CalibrationPage.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"

#include <QDir>
#include <QPageSize>
#include <QPrinter>
#include <QWidget>

namespace Zt_typro
{

void PrintChequeSample(TFrm_zz_print* form, const QString& code)
{
    PrintLayoutSample(*form, *RequireDataModule().ADOQ_zb, code);
}

void PreviewChequeLayout(TFrm_zz_print* form, const QString& code)
{
    PreviewLayout(*form, *RequireDataModule().ADOQ_zb, code);
}

void PrintVoucherSample(TFrm_pz_print* form, const QString& code)
{
    PrintLayoutSample(*form, *RequireDataModule().ADOQ_zb_pz, code);
}

void PreviewVoucherLayout(TFrm_pz_print* form, const QString& code)
{
    PreviewLayout(*form, *RequireDataModule().ADOQ_zb_pz, code);
}

void OpenChequePrintOptions(const QString& code)
{
    OpenPrintOptions(*RequireDataModule().ADOQ_zpdyxz, code);
}

void OpenVoucherPrintOptions(const QString& code)
{
    OpenPrintOptions(*RequireDataModule().ADOQ_pzdyxz, code);
}

void RenderCalibrationPageToPdf(const QString& path, const QString& printerName)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setCreator(QStringLiteral("Quillmate"));
    printer.setDocName(QStringLiteral("打印机校准页"));
    if (!PaintCalibrationPageOnPrinter(&printer, printerName, QPageSize()))
        throw AppError(QStringLiteral("无法写入 PDF 文件 %1。").arg(QDir::toNativeSeparators(path)));
}

void ClearDigitBoxes(QWidget* boxPanel)
{
    for (QWidget* box : DigitBoxesOf(boxPanel))
        box->setProperty("text", QString());
}

} // namespace Zt_typro
