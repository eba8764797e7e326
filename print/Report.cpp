#include "print/Report.h"

#include "common/Error.h"
#include "common/Guard.h"
#include "common/Prompt.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>

namespace Zt_typro
{
namespace
{
// Width and height of the box a label's text is laid out in before auto-sizing: large enough
// that no caption wraps or is cut.
constexpr double kOpenBox = 1.0e6;

QPageSize reportPageSize(const Report& report)
{
    // Exact match: 297 × 200 mm must not be rounded to a nearby standard paper.
    return QPageSize(report.pageSizeMm(), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

void paintLabels(const Report& report, QPainter& painter, const PrinterCalibration& calibration, bool opaque);

bool printable(char32_t c)
{
    // Blanks and controls need no glyph.
    return !QChar::isSpace(c) && QChar::category(c) != QChar::Other_Control
           && QChar::category(c) != QChar::Other_Format;
}
} // namespace

// ---------------------------------------------------------------------------------------------
ReportLabel::ReportLabel(ReportBand* band, const QString& name, const QString& caption, int left, int top)
    : QObject(band), m_caption(caption), m_left(left), m_top(top)
{
    setObjectName(name);
}

QString ReportLabel::key() const
{
    return objectName().mid(4);
}

QFont ReportLabel::font() const
{
    if (m_font)
        return *m_font;
    const ReportBand* b = band();
    const Report* r = b ? b->report() : nullptr;
    return r ? r->font() : ReportFont();
}

ReportBand* ReportLabel::band() const
{
    return qobject_cast<ReportBand*>(parent());
}

// ---------------------------------------------------------------------------------------------
ReportBand::ReportBand(Report* report, const QString& name, QSize sizeUnits)
    : QObject(report), m_size(sizeUnits)
{
    setObjectName(name);
}

ReportLabel* ReportBand::addLabel(const char* name, const QString& caption, int left, int top)
{
    auto* label = new ReportLabel(this, QString::fromLatin1(name), caption, left, top);
    m_labels.append(label);
    return label;
}

ReportLabel* ReportBand::label(const QString& key) const
{
    for (ReportLabel* l : m_labels) {
        if (l->key() == key)
            return l;
    }
    return nullptr;
}

Report* ReportBand::report() const
{
    return qobject_cast<Report*>(parent());
}

// ---------------------------------------------------------------------------------------------
Report::Report(QObject* parent, const QString& name, QSizeF pageMm, QMarginsF marginsMm, const QString& title)
    : QObject(parent), m_page(pageMm), m_margins(marginsMm), m_title(title), m_font(ReportFont())
{
    setObjectName(name);
}

ReportBand* Report::addBand(const QString& name, QSize sizeUnits)
{
    m_band = new ReportBand(this, name, sizeUnits);
    return m_band;
}

QPointF Report::labelTopLeftMm(const ReportLabel& label) const
{
    return {m_margins.left() + LayoutUnitsToMm(label.left()), m_margins.top() + LayoutUnitsToMm(label.top())};
}

// ---------------------------------------------------------------------------------------------
QFont ReportFont()
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(10);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    return font;
}

void CheckReportFonts(const Report& report)
{
    // "宋体" is only a name: it must be mapped to an installed face that writes Simplified
    // Chinese, or Qt silently picks some other face and the text boxes shift.
    const QFontInfo resolved(report.font());
    if (!QFontDatabase::writingSystems(resolved.family()).contains(QFontDatabase::SimplifiedChinese)) {
        throw AppError(QStringLiteral("没有找到打印字体“%1”对应的中文字体（当前为“%2”），无法打印。"
                                      "请安装中文宋体类字体（如 Noto Serif CJK SC）。")
                           .arg(report.font().family(), resolved.family()));
    }
    if (!report.band())
        return;
    for (const ReportLabel* label : report.band()->labels()) {
        if (label->caption().isEmpty())
            continue;
        const QFont font = label->font();
        const QFontMetrics metrics(font);
        for (const char32_t c : label->caption().toUcs4()) {
            if (printable(c) && !metrics.inFontUcs4(c)) {
                throw AppError(QStringLiteral("字体“%1”中没有“%2”的字形（%3），打印出来会是方框。"
                                              "请安装中文字体（如 Noto Serif CJK SC）后再打印。")
                                   .arg(font.family(), QString::fromUcs4(&c, 1), label->objectName()));
            }
        }
    }
}

void PaintReport(const Report& report, QPainter& painter)
{
    PaintReport(report, painter, PrinterCalibration());
}

void PaintReport(const Report& report, QPainter& painter, const PrinterCalibration& calibration)
{
    paintLabels(report, painter, calibration, true);
}

bool IsPreviewRendering(const QPrinter& printer)
{
    const QPaintEngine* engine = printer.paintEngine();
    return engine && engine->type() == QPaintEngine::Picture;
}

bool PaintFormScan(const Report& report, QPainter& painter)
{
    if (report.formCode().isEmpty())
        return false;
    const DesignerBackgroundSetting scan = ReadDesignerBackground(report.formCode());
    if (scan.path.isEmpty())
        return false;
    const QImage image(scan.path);
    if (image.isNull())
        return false;
    const QPaintDevice* device = painter.device();
    const QSizeF page = report.pageSizeMm();
    const QRectF sheet(0.0, 0.0, page.width() * device->logicalDpiX() / 25.4,
                       page.height() * device->logicalDpiY() / 25.4);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(sheet, image);
    painter.restore();
    return true;
}

namespace
{
void paintLabels(const Report& report, QPainter& painter, const PrinterCalibration& calibration, bool opaque)
{
    const ReportBand* band = report.band();
    if (!band)
        return;
    const QPaintDevice* device = painter.device();
    const double pxPerMmX = device->logicalDpiX() / 25.4;
    const double pxPerMmY = device->logicalDpiY() / 25.4;
    const int flags = Qt::AlignLeft | Qt::AlignTop;

    painter.save();
    for (const ReportLabel* label : band->labels()) {
        const QString text = label->caption();
        if (text.isEmpty())
            continue; // an empty label prints nothing, its white background included
        const QPointF mm = calibration.apply(report.labelTopLeftMm(*label));
        const QPointF topLeft(mm.x() * pxPerMmX, mm.y() * pxPerMmY);
        // The font is set on the painter, so its point size is resolved at the device's own
        // resolution: 10 pt stays 10 pt on a 1200 dpi printer.
        painter.setFont(label->font());
        // Auto-size: the text box is exactly as wide and high as the text; its top-left
        // corner (the top of the font's line box, ascent above the baseline) is the anchor.
        const QRectF box = painter.boundingRect(QRectF(topLeft, QSizeF(kOpenBox, kOpenBox)), flags, text);
        if (opaque)
            painter.fillRect(box, Qt::white);
        painter.setPen(QColor(Qt::black));
        painter.drawText(box, flags, text);
    }
    painter.restore();
}
} // namespace

PrinterCalibration CalibrationForPrinter(const QPrinter& printer)
{
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName().isEmpty())
        return {};
    // The print preview paints the page through a recording engine first; only the page sent
    // to the printer from it is calibrated.
    if (IsPreviewRendering(printer))
        return {};
    return ReadPrinterCalibration(printer.printerName());
}

bool PaintReportOnPrinter(const Report& report, QPrinter* printer)
{
    // Called from inside the preview's and the printer's own loops: no error may leave it. A
    // calibration that cannot be read stops the page before anything reaches the printer.
    PrinterCalibration calibration;
    try {
        calibration = CalibrationForPrinter(*printer);
    } catch (const AppError& e) {
        ShowHandlerError(e.message());
        return false;
    }
    return PaintReportOnPrinter(report, printer, calibration);
}

QPageSize PageForPrinter(const QPrinter& printer, const QPageSize& designed)
{
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return designed;
    const QPageSize paper = PaperForPrinter(printer.printerName());
    return paper.isValid() ? paper : designed;
}

void SetFullPortraitPage(QPrinter* printer, const QPageSize& page)
{
    // Full page, so that the painter's origin is the sheet's top-left edge and no printer margin
    // moves the labels; set after the page layout, which carries its own mode.
    QPageLayout layout(page, QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    if (!printer->setPageLayout(layout)) {
        printer->setPageSize(layout.pageSize());
        printer->setPageOrientation(QPageLayout::Portrait);
    }
    printer->setFullPage(true);
}

bool PaintReportOnPrinter(const Report& report, QPrinter* printer, const PrinterCalibration& calibration)
{
    // A printer gets its own paper, never a custom page it may not take (a driver that knows only
    // A4 would rotate or shrink a 297 mm wide page onto it); the fields keep their places from
    // the paper's top-left corner.
    SetFullPortraitPage(printer, PageForPrinter(*printer, reportPageSize(report)));
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    // On screen the page lies over the scan of the blank form. Ink is never white: over the
    // scan the labels show the form through their boxes, as the paper will.
    const bool overScan = IsPreviewRendering(*printer) && PaintFormScan(report, painter);
    paintLabels(report, painter, calibration, !overScan);
    return painter.end();
}

void RenderReportToPdf(const Report& report, const QString& path)
{
    RenderReportToPdf(report, path, PrinterCalibration());
}

void RenderReportToPdf(const Report& report, const QString& path, const PrinterCalibration& calibration)
{
    CheckReportFonts(report);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setCreator(QStringLiteral("Quillmate"));
    printer.setDocName(report.title());
    if (!PaintReportOnPrinter(report, &printer, calibration))
        throw AppError(QStringLiteral("无法写入 PDF 文件 %1。").arg(QDir::toNativeSeparators(path)));
}

void PreviewReport(const Report& report, QWidget* owner)
{
    CheckReportFonts(report);
    prompter().preview(owner, report.title(), QString(),
                       [&report](QPrinter* printer) { PaintReportOnPrinter(report, printer); });
}

} // namespace Zt_typro
