#include "printsetup/DesignerGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Zt_typro
{
namespace
{
// The part of wanted (one axis) that keeps every coordinate between lowest and highest inside the
// range, given the group's smallest and largest coordinate on that axis.
int clampAxisMove(int lowest, int highest, int wanted)
{
    if (wanted < 0) {
        // Moving towards the minimum: the group's smallest coordinate must stay >= the minimum.
        const qint64 room = qint64(lowest) - LayoutCoordinateMin;
        return int(std::max<qint64>(std::min<qint64>(0, -room), wanted));
    }
    if (wanted > 0) {
        const qint64 room = qint64(LayoutCoordinateMax) - highest;
        return int(std::min<qint64>(std::max<qint64>(0, room), wanted));
    }
    return 0;
}
} // namespace

QPoint ClampLayoutPosition(QPoint pixels)
{
    return {ClampLayoutCoordinate(pixels.x()), ClampLayoutCoordinate(pixels.y())};
}

QPoint ClampGroupMove(const QList<QPoint>& positions, QPoint wanted)
{
    if (positions.isEmpty())
        return wanted;
    int minX = positions.first().x();
    int maxX = minX;
    int minY = positions.first().y();
    int maxY = minY;
    for (const QPoint& p : positions) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    return {clampAxisMove(minX, maxX, wanted.x()), clampAxisMove(minY, maxY, wanted.y())};
}

QRect BandRectangle(QPoint origin, QPoint pointer)
{
    const int left = std::min(origin.x(), pointer.x());
    const int top = std::min(origin.y(), pointer.y());
    return {left, top, std::abs(pointer.x() - origin.x()), std::abs(pointer.y() - origin.y())};
}

bool LiesInsideBand(const QRect& panel, const QRect& band)
{
    // Edges as left + width and top + height: QRect::right() and bottom() lie one pixel inside.
    const int bandRight = band.x() + band.width();
    const int bandBottom = band.y() + band.height();
    return panel.x() >= band.x() && panel.y() >= band.y() && panel.x() + panel.width() <= bandRight
        && panel.y() + panel.height() < bandBottom;
}

QPoint ArrowKeyMove(int key, Qt::KeyboardModifiers modifiers)
{
    const int step = modifiers.testFlag(Qt::ShiftModifier) ? 10 : 1;
    switch (key) {
    case Qt::Key_Left:
        return {-step, 0};
    case Qt::Key_Right:
        return {step, 0};
    case Qt::Key_Up:
        return {0, -step};
    case Qt::Key_Down:
        return {0, step};
    default:
        return {};
    }
}

double CanvasPixelsPerImagePixel(double dpi)
{
    return 96.0 / dpi;
}

QRectF BackgroundImageRect(QSize imageSize, double dpi, QPointF origin)
{
    const double f = CanvasPixelsPerImagePixel(dpi);
    return {origin, QSizeF(imageSize.width() * f, imageSize.height() * f)};
}

QPointF SheetOriginOnCanvas(double leftMarginMm, double topMarginMm)
{
    constexpr double unitMm = 25.4 / 96.0;
    return {-leftMarginMm / unitMm, -topMarginMm / unitMm};
}

QPointF PaperPositionMm(QPoint at, double leftMarginMm, double topMarginMm)
{
    constexpr double unitMm = 25.4 / 96.0;
    return {leftMarginMm + at.x() * unitMm, topMarginMm + at.y() * unitMm};
}

double DotsPerInch(int dotsPerMeter)
{
    if (dotsPerMeter <= 0)
        return 0.0;
    return std::round(dotsPerMeter * 0.0254 * 10.0) / 10.0;
}

} // namespace Zt_typro
