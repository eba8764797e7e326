#include "print/FormPrinting.h"

#include "common/Error.h"
#include "print/Calibration.h"
#include "print/Report.h"
#include "store/PrinterSettings.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QLoggingCategory>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

namespace Zt_typro
{
namespace
{
Q_LOGGING_CATEGORY(lcPrinting, "quillmate.print")

// Text is measured at a printer's resolution, where a glyph's width is what the page gets.
constexpr double kMeasureDpi = 1200.0;
// A box this close to the edge of the printable area still counts as inside it.
constexpr double kEdgeToleranceMm = 0.05;

bool installed(const QString& printerName)
{
    return !printerName.isEmpty() && !QPrinterInfo::printerInfo(printerName).isNull();
}

QString rememberedPrinter(const QString& formCode)
{
    if (formCode.isEmpty())
        return QString();
    try {
        return ReadFormPrinter(formCode);
    } catch (const AppError& e) {
        qCWarning(lcPrinting) << "remembered printer not read:" << e.message();
        return QString();
    }
}

void remember(const QString& formCode, const QString& printerName)
{
    if (formCode.isEmpty() || printerName.isEmpty())
        return;
    try {
        WriteFormPrinter(formCode, printerName);
    } catch (const AppError& e) {
        // The page is out: a printer not remembered is only proposed again next time.
        qCWarning(lcPrinting) << "printer not remembered:" << e.message();
    }
}

// The area of the sheet a printer can print on, in mm from the sheet's top-left edge.
QRectF printableAreaMm(const QString& printerName, const QPageSize& paper)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printerName);
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageSize(paper);
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF margins = layout.minimumMargins();
    const QSizeF sheet = paper.size(QPageSize::Millimeter);
    return QRectF(QPointF(margins.left(), margins.top()),
                  QPointF(sheet.width() - margins.right(), sheet.height() - margins.bottom()));
}

QString cutText(const PaperFit& fit, const QString& printerName)
{
    return QStringLiteral("下列栏目超出了打印机“%1”所用纸张 %2 的可打印范围，打印出来会被裁掉:\n%3\n\n"
                          "是否仍要打印？")
        .arg(printerName, fit.paper, fit.cut.join(QStringLiteral("、")));
}

const QString kCutDetails = QStringLiteral("选“否”返回，什么也不打印。可以在 打印设置 中移动这些栏目，"
                                           "或在 打印机校准 中为这台打印机选择更大的纸张。");
} // namespace

QString FormPrinter(const QString& formCode)
{
    const QString remembered = rememberedPrinter(formCode);
    if (installed(remembered))
        return remembered;
    return QPrinterInfo::defaultPrinterName();
}

PaperFit FieldsOutsidePaper(const Report& report, const QString& printerName)
{
    PaperFit fit;
    if (!installed(printerName) || !report.band())
        return fit;
    const QPageSize paper = PaperForPrinter(printerName);
    if (!paper.isValid())
        return fit;
    fit.paper = DescribePaper(paper);
    const QRectF printable = printableAreaMm(printerName, paper)
                                 .adjusted(-kEdgeToleranceMm, -kEdgeToleranceMm, kEdgeToleranceMm, kEdgeToleranceMm);
    const PrinterCalibration calibration = ReadPrinterCalibration(printerName);

    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMetre = qRound(kMeasureDpi / 0.0254);
    device.setDotsPerMeterX(dotsPerMetre);
    device.setDotsPerMeterY(dotsPerMetre);
    const double mmPerDot = 25.4 / kMeasureDpi;
    for (const ReportLabel* label : report.band()->labels()) {
        if (label->caption().isEmpty())
            continue;
        // The box the renderer paints the text in: its top-left corner where the calibration sends
        // the label's anchor, as wide and high as the text in the label's font.
        const QFontMetricsF metrics(label->font(), &device);
        const QRectF text = metrics.boundingRect(QRectF(0, 0, 1.0e6, 1.0e6), Qt::AlignLeft | Qt::AlignTop,
                                                 label->caption());
        const QPointF topLeft = calibration.apply(report.labelTopLeftMm(*label));
        const QRectF box(topLeft, QSizeF(text.width() * mmPerDot, text.height() * mmPerDot));
        if (!printable.contains(box) && !fit.cut.contains(label->fieldName()))
            fit.cut << label->fieldName();
    }
    return fit;
}

bool ConfirmFieldsFit(const Report& report, const QString& printerName, QWidget* owner)
{
    const PaperFit fit = FieldsOutsidePaper(report, printerName);
    if (fit.cut.isEmpty())
        return true;
    return prompter().confirmDefaultNo(owner, QStringLiteral("提示"), cutText(fit, printerName), kCutDetails);
}

PreviewResult PreviewAndPrint(const Report& report, QWidget* owner, const QString& title, const QString& printerName,
                              const QString& checkedPrinter)
{
    bool declined = false;
    bool refused = false; // a page sent out that the printer or the file did not take
    PreviewResult shown = prompter().preview(owner, title, printerName, [&](QPrinter* printer) {
        // Called inside the preview's own loop: nothing may leave it. Questions and errors go over
        // the preview, the window the clerk is looking at.
        const bool onScreen = IsPreviewRendering(*printer);
        QWidget* over = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : owner;
        if (!onScreen && printer->outputFormat() == QPrinter::NativeFormat &&
            printer->printerName() != checkedPrinter) {
            try {
                if (!ConfirmFieldsFit(report, printer->printerName(), over)) {
                    declined = true;
                    return;
                }
            } catch (const AppError& e) {
                prompter().error(over, QStringLiteral("提示"), e.message());
                declined = true;
                return;
            }
        }
        if (!PaintReportOnPrinter(report, printer) && !onScreen)
            refused = true;
    });
    if (declined || refused)
        return PreviewResult{};
    if (shown.printed)
        remember(report.formCode(), shown.printer);
    return shown;
}

bool PrintFormSample(const Report& report, QWidget* owner)
{
    CheckReportFonts(report);
    const QString code = report.formCode();
    QString printerName = FormPrinter(code);
    if (printerName.isEmpty()) {
        // No default printer: the operator chooses one of those installed. With none installed
        // the name stays empty and the prompter says there is no printer.
        const QStringList printers = QPrinterInfo::availablePrinterNames();
        if (!printers.isEmpty()) {
            printerName = prompter().choosePrinter(owner, printers, printers.first());
            if (printerName.isEmpty())
                return false;
        }
    }
    if (!ConfirmFieldsFit(report, printerName, owner))
        return false;
    QString error;
    bool painted = true; // stays true when the prompter did not ask for the page
    const bool sent = prompter().print(
        owner, printerName, [&report, &painted](QPrinter* printer) { painted = PaintReportOnPrinter(report, printer); },
        &error);
    if (!sent)
        throw AppError(error.isEmpty() ? QStringLiteral("无法打印: 没有可用的打印机。") : error);
    if (!painted)
        throw AppError(QStringLiteral("无法打印: 打印机没有接受这一页，请检查打印机。"));
    remember(code, printerName);
    return true;
}

} // namespace Zt_typro
