#pragma once

#include "print/Calibration.h"

#include <QFont>
#include <QList>
#include <QMarginsF>
#include <QObject>
#include <QPageSize>
#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>

class QPainter;
class QPrinter;
class QWidget;

namespace Zt_typro
{

/// One layout unit in millimetres: one pixel of the designer canvas on a 96 pixels-per-inch
/// display. Layout rows, label positions and band sizes are in these units.
inline constexpr double LayoutUnitMm = 25.4 / 96.0;

/// Millimetres for a length in layout units.
constexpr double LayoutUnitsToMm(double units)
{
    return units * LayoutUnitMm;
}

class ReportBand;
class Report;

/// A print label: left-justified, auto-sized text on an opaque white background, no frame.
/// Its objectName is its component name ("QRL_" + field key); its position is the top-left
/// corner of its text box in layout units from the top-left corner of its band. An empty
/// caption prints nothing.
class ReportLabel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(int left READ left WRITE setLeft)
    Q_PROPERTY(int top READ top WRITE setTop)
    Q_PROPERTY(QFont font READ font WRITE setFont RESET resetFont)
public:
    ReportLabel(ReportBand* band, const QString& name, const QString& caption, int left, int top);

    /// The field key: the component name from the 5th character on ("QRL_fen" -> "fen").
    QString key() const;
    /// The field's name as the operator knows it ("分"): its caption in the print-content list,
    /// set when a layout is applied; the key until then.
    QString fieldName() const { return m_fieldName.isEmpty() ? key() : m_fieldName; }
    void setFieldName(const QString& name) { m_fieldName = name; }

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }

    int left() const { return m_left; }
    void setLeft(int left) { m_left = left; }
    int top() const { return m_top; }
    void setTop(int top) { m_top = top; }
    QPoint position() const { return {m_left, m_top}; }

    /// The label's own font when one was set, otherwise the report's font.
    QFont font() const;
    void setFont(const QFont& font) { m_font = font; }
    /// Goes back to the report's font.
    void resetFont() { m_font.reset(); }
    bool hasOwnFont() const { return m_font.has_value(); }

    ReportBand* band() const;

private:
    QString m_caption;
    QString m_fieldName;
    int m_left;
    int m_top;
    std::optional<QFont> m_font;
};

/// The one detail band of a report: white, no frame, printed once. Its size is in layout
/// units; its top-left corner lies at the page's left and top margins. Its labels are its
/// children, kept in the band's control order.
class ReportBand : public QObject
{
    Q_OBJECT
public:
    ReportBand(Report* report, const QString& name, QSize sizeUnits);

    /// Width and height in layout units.
    QSize sizeUnits() const { return m_size; }
    /// Width and height in millimetres.
    QSizeF sizeMm() const { return {LayoutUnitsToMm(m_size.width()), LayoutUnitsToMm(m_size.height())}; }

    /// Adds a label at the end of the control order; the band owns it.
    ReportLabel* addLabel(const char* name, const QString& caption, int left, int top);
    /// The labels in the band's control order.
    const QList<ReportLabel*>& labels() const { return m_labels; }
    /// The label with the field key key ("fen" for QRL_fen); nullptr when there is none.
    ReportLabel* label(const QString& key) const;

    Report* report() const;

private:
    QSize m_size;
    QList<ReportLabel*> m_labels;
};

/// A one-page report: page size and margins in millimetres (portrait), the report font and one
/// band of labels. It has no data set and prints its band once.
class Report : public QObject
{
    Q_OBJECT
public:
    Report(QObject* parent, const QString& name, QSizeF pageMm, QMarginsF marginsMm, const QString& title);

    /// Page width and length in millimetres, as designed.
    QSizeF pageSizeMm() const { return m_page; }
    /// Left, top, right and bottom margins in millimetres.
    QMarginsF marginsMm() const { return m_margins; }
    /// The title of the preview window.
    QString title() const { return m_title; }

    /// "宋体", 10 pt, regular.
    QFont font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }

    /// The form code whose layout was applied last ("zz", "xj", "dhpz", "jzd"); empty before.
    /// The preview shows the blank-form scan remembered for it beneath the page.
    QString formCode() const { return m_formCode; }
    void setFormCode(const QString& code) { m_formCode = code; }

    /// Creates the band (named e.g. "QRBand1").
    ReportBand* addBand(const QString& name, QSize sizeUnits);
    ReportBand* band() const { return m_band; }

    /// The top-left corner of a label's text box, in millimetres from the sheet's top-left edge:
    /// (left margin + left × unit, top margin + top × unit).
    QPointF labelTopLeftMm(const ReportLabel& label) const;

private:
    QSizeF m_page;
    QMarginsF m_margins;
    QString m_title;
    QString m_formCode;
    QFont m_font;
    ReportBand* m_band = nullptr;
};

/// The report font of both print forms: "宋体", 10 pt, regular.
QFont ReportFont();

/// Throws AppError when a label's text cannot be printed with real glyphs: the report font
/// "宋体" does not resolve to a Chinese face, or a character of a caption has no glyph in the
/// label's font or its fallbacks (it would print as a box).
void CheckReportFonts(const Report& report);

/// The page for a printer: its paper (PaperForPrinter) for a real printer, the designed page
/// for PDF output and for a printer that is not installed.
QPageSize PageForPrinter(const QPrinter& printer, const QPageSize& designed);
/// Sets the printer's page to page, portrait, no margins, full page: the painter's origin is the
/// sheet's top-left edge.
void SetFullPortraitPage(QPrinter* printer, const QPageSize& page);

/// Sets the printer's page (PageForPrinter: the printer's paper, or the report's designed page
/// for PDF output) and paints the report on it. Used for the preview, the printer and PDF.
/// A real printer gets its stored calibration (CalibrationForPrinter); PDF output and the
/// preview get none. Only the preview's own rendering of the page (IsPreviewRendering) shows the
/// blank-form scan remembered for the report's form code beneath the page (PaintFormScan); a
/// printer or a PDF, also one printed from the preview, never gets it. False when the printer
/// could not be opened for painting, or when its stored calibration cannot be read (the error box
/// says why; nothing is printed). Throws nothing.
bool PaintReportOnPrinter(const Report& report, QPrinter* printer);
/// The same with an explicit calibration, whatever the printer.
bool PaintReportOnPrinter(const Report& report, QPrinter* printer, const PrinterCalibration& calibration);

/// The calibration the renderer applies on printer: the one stored under QPrinter::printerName()
/// for a real printer; none for PDF output, for the preview's own rendering of the page (its
/// paint engine records pictures) and for a printer without a name.
PrinterCalibration CalibrationForPrinter(const QPrinter& printer);

/// True while the print preview renders its on-screen picture of the page on printer (its paint
/// engine records pictures); false for a page that goes to a printer or a file.
bool IsPreviewRendering(const QPrinter& printer);

/// Paints the blank-form scan remembered for the report's form code (ReadDesignerBackground)
/// over the whole sheet: the scan stands for the whole blank form, so it is drawn at the
/// report's page size from the sheet's top-left edge, where the page's labels are then drawn
/// over it at their true places. False, drawing nothing, when no scan is remembered or the file
/// cannot be read.
bool PaintFormScan(const Report& report, QPainter& painter);

/// Paints the labels with a painter whose origin is the sheet's top-left edge; device pixels
/// come from the painter device's resolution.
void PaintReport(const Report& report, QPainter& painter);
/// The same with a calibration: a label whose text box lies at p (mm from the sheet's top-left
/// edge, labelTopLeftMm) is painted at calibration.apply(p), in its unchanged font.
void PaintReport(const Report& report, QPainter& painter, const PrinterCalibration& calibration);

/// Writes the report's one page to a PDF file (a high-resolution PDF printer, the same paint as
/// the preview). Throws AppError when the fonts are missing or the file cannot be written.
void RenderReportToPdf(const Report& report, const QString& path);
/// The same with a calibration, as a printer with that calibration would print the page.
void RenderReportToPdf(const Report& report, const QString& path, const PrinterCalibration& calibration);

/// Shows the print preview of the report on the default printer (the operator may print from
/// it); returns when it is closed. Throws AppError when the fonts are missing.
void PreviewReport(const Report& report, QWidget* owner);

} // namespace Zt_typro
