#pragma once

#include <QByteArray>

#include <QList>
#include <QMarginsF>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <Qt>

namespace Zt_typro
{

/// The smallest and largest position a layout row can hold: kjx and kjy are 16-bit columns.
inline constexpr int LayoutCoordinateMin = -32768;
inline constexpr int LayoutCoordinateMax = 32767;

/// A layout coordinate (layout units, 25.4/96 mm: one canvas pixel at 100 %) kept within the
/// 16-bit range of the columns: below -32768 gives -32768, above 32767 gives 32767.
constexpr int ClampLayoutCoordinate(int pixels)
{
    return pixels < LayoutCoordinateMin ? LayoutCoordinateMin
                                        : (pixels > LayoutCoordinateMax ? LayoutCoordinateMax : pixels);
}

/// A field panel's layout position as the columns can hold it, each axis clamped by
/// ClampLayoutCoordinate.
QPoint ClampLayoutPosition(QPoint pixels);

/// How far a group of field panels at positions may move by wanted without any of them leaving
/// the 16-bit range: wanted itself when every panel stays within it, otherwise, per axis, the
/// longest move in the same direction that keeps all of them inside (0 when one already lies on
/// the limit). Panels that already lie outside the range may move back towards it but not
/// further out. An empty group may move by wanted.
QPoint ClampGroupMove(const QList<QPoint>& positions, QPoint wanted);

/// The rubber band spanned by its origin and the pointer, in any direction: left and top are
/// the smaller coordinates, width and height the distances (0 when the pointer is on the origin).
/// The band's right edge is left + width, its bottom edge top + height.
QRect BandRectangle(QPoint origin, QPoint pointer);

/// Whether a field panel (left, top, width, height in canvas pixels) lies wholly inside the band:
/// its left edge >= the band's left edge, top >= band top, right edge (left + width) <= band's
/// right edge, and bottom edge (top + height) strictly above the band's bottom edge. A panel whose
/// bottom edge lies exactly on the band's bottom edge is therefore not inside.
bool LiesInsideBand(const QRect& panel, const QRect& band);

/// The move that an arrow key asks of the selected field panels: one layout unit in the arrow's
/// direction, ten with Shift held. Any other key asks for no move (a null point).
QPoint ArrowKeyMove(int key, Qt::KeyboardModifiers modifiers);

/// Layout units (25.4/96 mm, a canvas pixel at 100 %) per pixel of an image scanned at dpi dots
/// per inch: 96 / dpi, so that the image shows at true scale (a 300 dpi scan: 0.32).
double CanvasPixelsPerImagePixel(double dpi);

/// Where an image of imageSize pixels, scanned at dpi, lies in the layout when its top-left corner
/// is at origin (layout units): origin and imageSize × 96 / dpi.
QRectF BackgroundImageRect(QSize imageSize, double dpi, QPointF origin);

/// Where the top-left corner of a scan of the whole sheet lies in the layout: layout positions
/// count from the band's origin, which lies at the page's left and top margins from the sheet's
/// edge, so the scan starts that far up and to the left: (−left margin, −top margin) in layout
/// units.
QPointF SheetOriginOnCanvas(double leftMarginMm, double topMarginMm);

/// The sheet of paper in layout units counted from the band's origin: its top-left corner lies
/// at SheetOriginOnCanvas, its size is the page's (pageMm) in layout units.
QRectF SheetInLayoutUnits(QSizeF pageMm, QMarginsF marginsMm);

/// The scale (canvas pixels per layout unit) at which an area of layout units fits wholly inside
/// a viewport of pixels: the smaller of the two ratios; 1 when either is empty.
double FitZoom(QSizeF area, QSize viewport);

/// Where a field at layout position at prints on the paper, in millimetres from the sheet's
/// top-left corner: the page's left and top margins plus at × 25.4/96 mm.
QPointF PaperPositionMm(QPoint at, double leftMarginMm, double topMarginMm);

/// The resolution in dots per inch of an image that stores dotsPerMeter (QImage::dotsPerMeterX),
/// to one decimal; 0 when it stores none.
double DotsPerInch(int dotsPerMeter);

/// Whether the PNG or JPEG file data header stores a physical resolution (a PNG pHYs chunk in
/// metres, a JFIF density in inches or centimetres). Without one an image reader reports its
/// own default, which says nothing about the scan.
bool StoresResolution(const QByteArray& header);

} // namespace Zt_typro
