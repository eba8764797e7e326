#include "print/CalibrationPage.h"

#include "print/Calibration.h"
#include "print/Report.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace Zt_typro
{
namespace
{
constexpr double kOpenBox = 1.0e5;

// Draws in millimetres from the sheet's top-left edge on any device.
class MmPainter
{
public:
    explicit MmPainter(QPainter& painter)
        : m_p(painter), m_x(painter.device()->logicalDpiX() / 25.4), m_y(painter.device()->logicalDpiY() / 25.4)
    {
    }
    QPointF at(double xMm, double yMm) const { return {xMm * m_x, yMm * m_y}; }
    void line(double x1, double y1, double x2, double y2) { m_p.drawLine(at(x1, y1), at(x2, y2)); }
    /// Text with its box's top-left corner at (x, y); hCentre centres it on x instead.
    void text(double x, double y, const QString& t, bool hCentre = false)
    {
        const int flags = Qt::AlignLeft | Qt::AlignTop;
        QRectF box = m_p.boundingRect(QRectF(at(x, y), QSizeF(kOpenBox, kOpenBox)), flags, t);
        if (hCentre)
            box.moveLeft(box.left() - box.width() / 2.0);
        m_p.drawText(box, flags, t);
    }
    void circle(double x, double y, double r) { m_p.drawEllipse(at(x, y), r * m_x, r * m_y); }

private:
    QPainter& m_p;
    double m_x;
    double m_y;
};
} // namespace

void PaintCalibrationPage(QPainter& painter, const QString& printerName, QSizeF sheetMm)
{
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(0.15 * painter.device()->logicalDpiX() / 25.4); // 0.15 mm lines
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    MmPainter mm(painter);

    QFont small = ReportFont();
    small.setPointSize(7);
    painter.setFont(small);
    // Top ruler: the x position of every millimetre from the left edge.
    for (int x = 1; x < int(sheetMm.width()); ++x) {
        const double length = x % 10 == 0 ? 10.0 : (x % 5 == 0 ? 8.0 : 6.0);
        mm.line(x, 0.0, x, length);
        if (x % 10 == 0)
            mm.text(x, 10.5, QString::number(x), true);
    }
    // Left ruler: the y position of every millimetre from the top edge.
    for (int y = 1; y < int(sheetMm.height()); ++y) {
        const double length = y % 10 == 0 ? 10.0 : (y % 5 == 0 ? 8.0 : 6.0);
        mm.line(0.0, y, length, y);
        if (y % 10 == 0)
            mm.text(11.0, y - 1.2, QString::number(y));
    }

    QFont font = ReportFont();
    painter.setFont(font);
    for (int n = 1; n <= 4; ++n) {
        const QPointF c = CalibrationCrosshair(n, sheetMm);
        mm.line(c.x() - 8.0, c.y(), c.x() + 8.0, c.y());
        mm.line(c.x(), c.y() - 8.0, c.x(), c.y() + 8.0);
        mm.circle(c.x(), c.y(), 2.0);
        mm.text(c.x() + 2.5, c.y() + 2.5,
                QStringLiteral("%1号 (%2, %3)").arg(n).arg(c.x(), 0, 'f', 0).arg(c.y(), 0, 'f', 0));
    }
    mm.text(60.0, 60.0, QStringLiteral("打印机校准页  打印机: %1").arg(printerName));
    mm.text(60.0, 68.0, QStringLiteral("本页不使用校准。用尺从纸的左边和上边量出两个对角十字线中心的位置（毫米），"));
    mm.text(60.0, 74.0, QStringLiteral("填入“打印机校准”中，按“计算”，确认后按“确 定”保存。"));
    painter.restore();
}

QSizeF CalibrationSheetMm(const QPageSize& paper)
{
    if (!paper.isValid())
        return {CalibrationPageWidthMm, CalibrationPageHeightMm};
    return paper.size(QPageSize::Millimeter); // printed portrait: the page as the paper is defined
}

bool PaintCalibrationPageOnPrinter(QPrinter* printer, const QString& printerName, const QPageSize& paper)
{
    const QPageSize designed(QSizeF(CalibrationPageWidthMm, CalibrationPageHeightMm), QPageSize::Millimeter, QString(),
                             QPageSize::ExactMatch);
    const QPageSize page = printer->outputFormat() == QPrinter::NativeFormat && paper.isValid() ? paper : designed;
    SetFullPortraitPage(printer, page);
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    PaintCalibrationPage(painter, printerName, CalibrationSheetMm(page));
    return painter.end();
}

} // namespace Zt_typro
