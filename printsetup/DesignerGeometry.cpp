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

QRectF SheetInLayoutUnits(QSizeF pageMm, QMarginsF marginsMm)
{
    constexpr double unitMm = 25.4 / 96.0;
    return {SheetOriginOnCanvas(marginsMm.left(), marginsMm.top()),
            QSizeF(pageMm.width() / unitMm, pageMm.height() / unitMm)};
}

double FitZoom(QSizeF area, QSize viewport)
{
    if (area.isEmpty() || viewport.isEmpty())
        return 1.0;
    return std::min(viewport.width() / area.width(), viewport.height() / area.height());
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

bool StoresResolution(const QByteArray& header)
{
    const auto be32 = [&header](qsizetype at) {
        return (quint32(quint8(header[at])) << 24) | (quint32(quint8(header[at + 1])) << 16) |
               (quint32(quint8(header[at + 2])) << 8) | quint32(quint8(header[at + 3]));
    };
    if (header.startsWith("\x89PNG\r\n\x1a\n")) {
        // Chunks: length, type, data, CRC; pHYs comes before the first IDAT.
        qsizetype at = 8;
        while (at + 8 <= header.size()) {
            const quint32 length = be32(at);
            const QByteArray type = header.mid(at + 4, 4);
            if (type == "IDAT" || type == "IEND")
                return false;
            if (type == "pHYs")
                return length >= 9 && at + 8 + 9 <= header.size() && quint8(header[at + 8 + 8]) == 1;
            if (length > quint32(header.size()))
                return false;
            at += 12 + qsizetype(length);
        }
        return false;
    }
    if (header.startsWith("\xff\xd8")) {
        // Segments up to the first scan; JFIF's density units: 1 per inch, 2 per centimetre.
        qsizetype at = 2;
        while (at + 4 <= header.size() && quint8(header[at]) == 0xff) {
            const quint8 marker = quint8(header[at + 1]);
            if (marker == 0xda || marker == 0xd9)
                return false;
            const qsizetype length = (qsizetype(quint8(header[at + 2])) << 8) | quint8(header[at + 3]);
            if (marker == 0xe0 && header.mid(at + 4, 5) == QByteArray("JFIF\0", 5) && at + 11 < header.size()) {
                const quint8 units = quint8(header[at + 11]);
                return units == 1 || units == 2;
            }
            at += 2 + length;
        }
        return false;
    }
    return false;
}

} // namespace Zt_typro
