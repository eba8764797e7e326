#include "printsetup/DesignerCanvas.h"

#include "common/Guard.h"
#include "printsetup/DesignerGeometry.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace Zt_typro
{
namespace
{
const QColor kSelectedCaption(0, 0, 255);
const QColor kCaption(0, 0, 0);
const QColor kOverlapOutline(255, 0, 0);
const QColor kOffPaperOutline(255, 0, 0);
// The scales the canvas may be shown at.
constexpr double kLeastZoom = 0.1;
constexpr double kGreatestZoom = 8.0;
// The canvas's caption font and the smallest a caption is made to fit a small box.
constexpr int kCaptionPixels = 13;
constexpr int kSmallestCaptionPixels = 5;

QPalette whiteSurface(QPalette pal)
{
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    return pal;
}
} // namespace

// ---------------------------------------------------------------------------------------------
DesignerFieldPanel::DesignerFieldPanel(DesignerCanvas* canvas, const char* name, const QString& caption, QSize size)
    : QLabel(caption, canvas), m_canvas(canvas)
{
    setObjectName(QString::fromLatin1(name));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setPalette(whiteSurface(palette()));
    setFocusPolicy(Qt::NoFocus);
    m_size = size;
    resize(size);
    setSelected(false);
}

void DesignerFieldPanel::setLayoutPos(QPoint at)
{
    m_at = at;
    m_canvas->placeField(this);
}

void DesignerFieldPanel::setLayoutSize(QSize size)
{
    m_size = size;
    m_canvas->placeField(this);
}

bool DesignerFieldPanel::isSelected() const
{
    return palette().color(QPalette::WindowText) == kSelectedCaption;
}

void DesignerFieldPanel::setSelected(bool selected)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, selected ? kSelectedCaption : kCaption);
    setPalette(pal);
}

void DesignerFieldPanel::setOverlapping(bool overlapping)
{
    if (m_overlapping == overlapping)
        return;
    m_overlapping = overlapping;
    update();
}

void DesignerFieldPanel::setOffPaper(bool offPaper)
{
    if (m_offPaper == offPaper)
        return;
    m_offPaper = offPaper;
    update();
}

void DesignerFieldPanel::setSeeThrough(bool seeThrough)
{
    setAutoFillBackground(!seeThrough);
    update();
}

int DesignerFieldPanel::captionPixelSize() const
{
    const QSize room = contentsRect().size();
    QFont f = font();
    int pixels = kCaptionPixels;
    for (; pixels > kSmallestCaptionPixels; --pixels) {
        f.setPixelSize(pixels);
        const QSize needed = QFontMetrics(f).size(Qt::TextSingleLine, text());
        if (needed.width() <= room.width() && needed.height() <= room.height())
            break;
    }
    return pixels;
}

void DesignerFieldPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    QFont f = font();
    f.setPixelSize(captionPixelSize());
    painter.setFont(f);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setClipRect(contentsRect());
    painter.drawText(contentsRect(), Qt::AlignCenter, text());
    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    if (m_offPaper) {
        // Two pixels wide, inside the box.
        painter.setPen(QPen(kOffPaperOutline, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    if (m_overlapping) {
        painter.setPen(QPen(kOverlapOutline, 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void DesignerFieldPanel::mousePressEvent(QMouseEvent* event)
{
    // Accepted whatever the button: a press on a field panel never starts a rubber band.
    event->accept();
    const Qt::MouseButton button = event->button();
    const QPoint at = event->position().toPoint();
    guarded([&] { m_canvas->fieldPanelMouseDown(this, button, at); });
}

void DesignerFieldPanel::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint globalAt = event->globalPosition().toPoint();
    guarded([&] { m_canvas->fieldPanelMouseMove(globalAt); });
}

void DesignerFieldPanel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    guarded([&] { m_canvas->fieldPanelMouseUp(); });
}

// ---------------------------------------------------------------------------------------------
DesignerBandShape::DesignerBandShape(QWidget* canvas, const char* name)
    : QWidget(canvas)
{
    setObjectName(QString::fromLatin1(name));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void DesignerBandShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------------------------
DesignerCanvas::DesignerCanvas(QWidget* parent, const char* name, QSize size, const char* bandName)
    : QFrame(parent)
{
    setObjectName(QString::fromLatin1(name));
    // Single border with a lowered bevel, drawn inside the canvas: the field panels' positions
    // count from the canvas's own top-left corner, as layout positions do from the band's.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    setPalette(whiteSurface(palette()));
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(13);
    setFont(f);
    m_designed = size;
    m_area = QRect(QPoint(0, 0), size);
    setFixedSize(size);
    // Takes the keyboard when clicked, for the arrow keys.
    setFocusPolicy(Qt::ClickFocus);
    m_band = new DesignerBandShape(this, bandName);
}

DesignerFieldPanel* DesignerCanvas::addFieldPanel(const char* name, const QString& caption, QSize size)
{
    auto* panel = new DesignerFieldPanel(this, name, caption, size);
    panel->setSeeThrough(hasBackground());
    m_panels.append(panel);
    placeField(panel);
    return panel;
}

QPointF DesignerCanvas::toCanvas(QPointF layout) const
{
    return (layout - QPointF(m_area.topLeft())) * m_zoom;
}

QPointF DesignerCanvas::toLayout(QPointF canvas) const
{
    return canvas / m_zoom + QPointF(m_area.topLeft());
}

void DesignerCanvas::placeField(DesignerFieldPanel* panel) const
{
    // Both edges rounded, so that boxes that touch in the layout touch on the canvas.
    const QPointF topLeft = toCanvas(QPointF(panel->layoutPos()));
    const QPointF bottomRight = toCanvas(
        QPointF(panel->layoutPos() + QPoint(panel->layoutSize().width(), panel->layoutSize().height())));
    const QPoint from(qRound(topLeft.x()), qRound(topLeft.y()));
    const QPoint to(qRound(bottomRight.x()), qRound(bottomRight.y()));
    panel->setGeometry(QRect(from, QSize(std::max(1, to.x() - from.x()), std::max(1, to.y() - from.y()))));
}

void DesignerCanvas::placeEverything()
{
    // Whole pixels, without a rounding error's extra one that would ask for a scroll bar.
    setFixedSize(qCeil(m_area.width() * m_zoom - 1e-6), qCeil(m_area.height() * m_zoom - 1e-6));
    for (DesignerFieldPanel* panel : m_panels)
        placeField(panel);
    m_band->hide();
    update();
}

void DesignerCanvas::setZoom(double zoom)
{
    zoom = qBound(kLeastZoom, zoom, kGreatestZoom);
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    m_zoom = zoom;
    placeEverything();
}

void DesignerCanvas::updateArea()
{
    QRect area(QPoint(0, 0), m_designed);
    if (hasBackground()) {
        // Outwards to whole units: the scan's top and left strip lies left of and above the band.
        const QRectF scan = backgroundRect();
        const QPoint from(qFloor(scan.left()), qFloor(scan.top()));
        const QPoint to(qCeil(scan.right()), qCeil(scan.bottom()));
        area = area.united(QRect(from, QSize(to.x() - from.x(), to.y() - from.y())));
    }
    if (area == m_area)
        return;
    m_area = area;
    placeEverything();
    emit layoutAreaChanged();
}

void DesignerCanvas::setPaper(const QRectF& sheet)
{
    m_paper = sheet;
    refreshMarks();
}

DesignerFieldPanel* DesignerCanvas::fieldPanel(const QString& name) const
{
    for (DesignerFieldPanel* panel : m_panels) {
        if (panel->objectName() == name)
            return panel;
    }
    return nullptr;
}

void DesignerCanvas::fieldPanelMouseDown(DesignerFieldPanel* panel, Qt::MouseButton button, QPoint at)
{
    if (button != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    m_dragging = true;
    // The grabbed spot in layout units, so that it stays under the pointer at any scale.
    m_grab = toLayout(QPointF(panel->pos() + at)) - QPointF(panel->layoutPos());
    m_pressed = panel;
    m_current = panel;
    panel->setSelected(true);
    emit fieldsChanged();
}

void DesignerCanvas::fieldPanelMouseMove(QPoint globalAt)
{
    if (!m_dragging || !m_pressed)
        return;
    // The pointer on the canvas, whichever widget the move was reported to, in layout units.
    const QPointF pointer = toLayout(QPointF(mapFromGlobal(globalAt)));
    const QPointF wanted = pointer - m_grab - QPointF(m_pressed->layoutPos());
    moveSelection(QPoint(qRound(wanted.x()), qRound(wanted.y())));
}

void DesignerCanvas::fieldPanelMouseUp()
{
    m_dragging = false;
    m_pressed = nullptr;
}

void DesignerCanvas::canvasMouseDown(Qt::MouseButton button, QPoint at)
{
    if (button != Qt::LeftButton)
        return;
    m_banding = true;
    m_bandOrigin = at;
    for (DesignerFieldPanel* panel : m_panels)
        panel->setSelected(false);
    m_current = nullptr;
    emit fieldsChanged();
}

void DesignerCanvas::canvasMouseMove(Qt::MouseButtons buttons, QPoint at)
{
    if (m_dragging) {
        // A move of a field panel drag that the platform reported to the canvas.
        fieldPanelMouseMove(mapToGlobal(at));
        return;
    }
    if (!m_banding || !buttons.testFlag(Qt::LeftButton))
        return;
    const QRect band = BandRectangle(m_bandOrigin, at);
    m_band->setGeometry(band);
    m_band->lower();
    m_band->show();
    bool added = false;
    for (DesignerFieldPanel* panel : m_panels) {
        if (!panel->isSelected() && LiesInsideBand(panel->geometry(), band)) {
            panel->setSelected(true);
            added = true;
        }
    }
    if (added)
        emit fieldsChanged();
}

void DesignerCanvas::canvasMouseUp()
{
    fieldPanelMouseUp();
    m_banding = false;
    m_band->hide();
}

void DesignerCanvas::moveSelection(QPoint wanted)
{
    QList<DesignerFieldPanel*> selected;
    QList<QPoint> positions;
    for (DesignerFieldPanel* panel : m_panels) {
        if (panel->isSelected()) {
            selected.append(panel);
            positions.append(panel->layoutPos());
        }
    }
    const QPoint move = ClampGroupMove(positions, wanted);
    if (move.isNull())
        return;
    for (DesignerFieldPanel* panel : selected)
        panel->setLayoutPos(panel->layoutPos() + move);
    refreshMarks();
    emit fieldsMoved();
    emit fieldsChanged();
}

void DesignerCanvas::refreshMarks()
{
    for (DesignerFieldPanel* panel : m_panels) {
        const QRect box = panel->layoutRect();
        bool overlapping = false;
        for (const DesignerFieldPanel* other : m_panels) {
            // QRect::intersects: boxes that share only an edge do not.
            if (other != panel && box.intersects(other->layoutRect())) {
                overlapping = true;
                break;
            }
        }
        panel->setOverlapping(overlapping);
        panel->setOffPaper(!m_paper.isEmpty() && !m_paper.contains(QRectF(box)));
    }
}

DesignerFieldPanel* DesignerCanvas::currentFieldPanel() const
{
    if (m_current && m_current->isSelected())
        return m_current;
    for (DesignerFieldPanel* panel : m_panels) {
        if (panel->isSelected())
            return panel;
    }
    return nullptr;
}

void DesignerCanvas::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const Qt::MouseButton button = event->button();
    const QPoint at = event->position().toPoint();
    guarded([&] { canvasMouseDown(button, at); });
}

void DesignerCanvas::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    const Qt::MouseButtons buttons = event->buttons();
    const QPoint at = event->position().toPoint();
    guarded([&] { canvasMouseMove(buttons, at); });
}

void DesignerCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    guarded([&] { canvasMouseUp(); });
}

void DesignerCanvas::keyPressEvent(QKeyEvent* event)
{
    const QPoint wanted = ArrowKeyMove(event->key(), event->modifiers());
    bool anySelected = false;
    for (const DesignerFieldPanel* panel : m_panels)
        anySelected = anySelected || panel->isSelected();
    if (wanted.isNull() || !anySelected) {
        // Not ours: the scroll box scrolls with the arrows when nothing is selected.
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
    guarded([&] { moveSelection(wanted); });
}

void DesignerCanvas::setBackground(const QImage& image, double dpi, QPointF origin)
{
    m_background = image;
    m_backgroundDpi = dpi;
    m_backgroundOrigin = origin;
    for (DesignerFieldPanel* panel : m_panels)
        panel->setSeeThrough(!image.isNull());
    updateArea();
    update();
}

void DesignerCanvas::setBackgroundDpi(double dpi)
{
    m_backgroundDpi = dpi;
    updateArea();
    update();
}

void DesignerCanvas::clearBackground()
{
    m_background = QImage();
    for (DesignerFieldPanel* panel : m_panels)
        panel->setSeeThrough(false);
    updateArea();
    update();
}

QRectF DesignerCanvas::backgroundRect() const
{
    if (m_background.isNull())
        return {};
    return BackgroundImageRect(m_background.size(), m_backgroundDpi, m_backgroundOrigin);
}

void DesignerCanvas::setBackgroundOpacity(double opacity)
{
    m_backgroundOpacity = qBound(0.0, opacity, 1.0);
    update();
}

void DesignerCanvas::paintEvent(QPaintEvent* event)
{
    if (!m_background.isNull()) {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setOpacity(m_backgroundOpacity);
        const QRectF scan = backgroundRect();
        painter.drawImage(QRectF(toCanvas(scan.topLeft()), scan.size() * m_zoom), m_background);
    }
    QFrame::paintEvent(event); // the bevel on top
}

} // namespace Zt_typro
