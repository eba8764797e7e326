#include "printsetup/DesignerCanvas.h"

#include "common/Guard.h"
#include "printsetup/DesignerGeometry.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace Zt_typro
{
namespace
{
const QColor kSelectedCaption(0, 0, 255);
const QColor kCaption(0, 0, 0);
const QColor kOverlapOutline(255, 0, 0);
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
    resize(size);
    setSelected(false);
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
    if (m_overlapping) {
        painter.setPen(QPen(kOverlapOutline, 1));
        painter.setBrush(Qt::NoBrush);
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
    setFixedSize(size);
    // Takes the keyboard when clicked, for the arrow keys.
    setFocusPolicy(Qt::ClickFocus);
    m_band = new DesignerBandShape(this, bandName);
}

DesignerFieldPanel* DesignerCanvas::addFieldPanel(const char* name, const QString& caption, QSize size)
{
    auto* panel = new DesignerFieldPanel(this, name, caption, size);
    m_panels.append(panel);
    return panel;
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
    m_grab = at;
    m_pressed = panel;
    m_current = panel;
    panel->setSelected(true);
    emit fieldsChanged();
}

void DesignerCanvas::fieldPanelMouseMove(QPoint globalAt)
{
    if (!m_dragging || !m_pressed)
        return;
    // The pointer in the pressed panel's coordinates, whichever widget the move was reported to.
    const QPoint at = m_pressed->mapFromGlobal(globalAt);
    moveSelection(at - m_grab);
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
            positions.append(panel->pos());
        }
    }
    const QPoint move = ClampGroupMove(positions, wanted);
    if (move.isNull())
        return;
    for (DesignerFieldPanel* panel : selected)
        panel->move(panel->pos() + move);
    refreshOverlapMarks();
    emit fieldsMoved();
    emit fieldsChanged();
}

void DesignerCanvas::refreshOverlapMarks()
{
    for (DesignerFieldPanel* panel : m_panels) {
        const QRect box = panel->geometry();
        bool overlapping = false;
        for (const DesignerFieldPanel* other : m_panels) {
            // QRect::intersects: boxes that share only an edge do not.
            if (other != panel && box.intersects(other->geometry())) {
                overlapping = true;
                break;
            }
        }
        panel->setOverlapping(overlapping);
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
    update();
}

void DesignerCanvas::setBackgroundDpi(double dpi)
{
    m_backgroundDpi = dpi;
    update();
}

void DesignerCanvas::clearBackground()
{
    m_background = QImage();
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
        painter.drawImage(backgroundRect(), m_background);
    }
    QFrame::paintEvent(event); // the bevel on top
}

} // namespace Zt_typro
