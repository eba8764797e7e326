#pragma once

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace Zt_typro
{

class DesignerCanvas;

/// A field panel of the layout designer: a white box as large as the text its field prints (the
/// sample value in the print font, see LayoutDesigner), with its caption centred and made
/// smaller when the box is too small for it, one per field. It holds the field's layout position
/// and size in layout units; the canvas places it at its scale (one pixel per unit at 100 %).
/// It is selected exactly when its caption is pure blue; there is no other record of the
/// selection. A box that overlaps another one is outlined in red, one that is not wholly on the
/// paper in a wider red. Over a background scan the box is see-through: only its frame and
/// caption are drawn, and the form's own print shows through it.
class DesignerFieldPanel : public QLabel
{
    Q_OBJECT
public:
    DesignerFieldPanel(DesignerCanvas* canvas, const char* name, const QString& caption, QSize size);

    /// The field's layout position (kjx, kjy): the top-left corner of its box in layout units
    /// from the band's origin. Setting it places the box on the canvas.
    QPoint layoutPos() const { return m_at; }
    void setLayoutPos(QPoint at);
    /// The box's size in layout units.
    QSize layoutSize() const { return m_size; }
    void setLayoutSize(QSize size);
    QRect layoutRect() const { return {m_at, m_size}; }

    /// True when the caption colour is pure blue.
    bool isSelected() const;
    /// Paints the caption blue (selected) or black.
    void setSelected(bool selected);

    /// Whether the box is marked as overlapping another field's box (a red outline).
    bool isOverlapping() const { return m_overlapping; }
    void setOverlapping(bool overlapping);

    /// Whether the box is marked as lying off the paper, wholly or in part (a wide red outline).
    bool isOffPaper() const { return m_offPaper; }
    void setOffPaper(bool offPaper);

    /// Whether the box is drawn without its white fill (over a background scan).
    bool isSeeThrough() const { return !autoFillBackground(); }
    void setSeeThrough(bool seeThrough);

    /// The pixel size of the caption's font as drawn: the canvas's 13 pixels, or less so that the
    /// caption fits inside the box.
    int captionPixelSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    DesignerCanvas* m_canvas;
    QPoint m_at;
    QSize m_size;
    bool m_overlapping = false;
    bool m_offPaper = false;
};

/// The rubber band: a rectangle with a one-pixel black outline and a white fill, drawn beneath
/// the field panels. It never takes the pointer, so presses on it reach the canvas.
class DesignerBandShape : public QWidget
{
    Q_OBJECT
public:
    DesignerBandShape(QWidget* canvas, const char* name);

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// The designer canvas: a white surface that holds the field panels and the rubber band, and
/// moves the panels with the pointer (press, move, release; no drag and drop) or the arrow keys.
///
/// It shows an area of the layout (layoutArea, in layout units) at a scale (zoom, canvas pixels
/// per layout unit, 1 at first): the designed canvas from the band's origin, widened to hold the
/// whole background scan when one is shown. The scale changes only what is shown: the field
/// panels keep their layout positions, and a pointer move of n pixels moves a panel by n / zoom
/// layout units.
///
/// Pressing a field panel with the left button adds it to the selection and starts a drag: every
/// selected panel then moves by the pointer's distance, so the grabbed spot stays under the
/// pointer; a release of any button ends the drag. Pressing the left button on the empty canvas
/// clears the selection and starts a rubber band, which selects each panel that lies wholly
/// inside it and never deselects one while it moves; any release hides it. The arrow keys move
/// the selected panels by one layout unit, with Shift by ten. No move carries a panel beyond the
/// 16-bit range of the layout columns; the group keeps its arrangement. After every move the boxes
/// that overlap another (DesignerFieldPanel::isOverlapping) and those off the paper
/// (DesignerFieldPanel::isOffPaper) are marked.
class DesignerCanvas : public QFrame
{
    Q_OBJECT
public:
    /// A canvas designed as size layout units from the band's origin.
    DesignerCanvas(QWidget* parent, const char* name, QSize size, const char* bandName);

    /// Canvas pixels per layout unit.
    double zoom() const { return m_zoom; }
    /// Shows the layout at another scale (bounded to 0.1 … 8); the canvas takes the size of its
    /// area at that scale.
    void setZoom(double zoom);
    /// The part of the layout the canvas shows, in layout units.
    QRect layoutArea() const { return m_area; }
    /// A point of the layout (layout units) on the canvas (pixels), and back.
    QPointF toCanvas(QPointF layout) const;
    QPointF toLayout(QPointF canvas) const;

    /// The sheet of paper in layout units (SheetInLayoutUnits); a field box not wholly inside it
    /// is marked off the paper. None at first: nothing is marked.
    void setPaper(const QRectF& sheet);
    QRectF paper() const { return m_paper; }

    /// Adds a field panel at the end of the control order; the canvas owns it.
    DesignerFieldPanel* addFieldPanel(const char* name, const QString& caption, QSize size);
    /// The field panels in control order.
    const QList<DesignerFieldPanel*>& fieldPanels() const { return m_panels; }
    /// The field panel with the given component name; nullptr when there is none.
    DesignerFieldPanel* fieldPanel(const QString& name) const;
    /// The rubber band.
    DesignerBandShape* band() const { return m_band; }

    /// Whether a field panel is being dragged.
    bool isDragging() const { return m_dragging; }

    /// Grabbing a field panel: a left press selects panel and starts the drag; other buttons
    /// do nothing. at is the pointer in the panel's own coordinates.
    void fieldPanelMouseDown(DesignerFieldPanel* panel, Qt::MouseButton button, QPoint at);
    /// Dragging: while a drag runs, moves every selected panel by the distance between the
    /// pointer and the grabbed spot of the pressed panel. globalAt is the pointer on the screen,
    /// so the move is right whichever widget the platform reports it to.
    void fieldPanelMouseMove(QPoint globalAt);
    /// Releasing: any button ends the drag; the selection stays.
    void fieldPanelMouseUp();

    /// Rubber band start: a left press on the empty canvas (at in canvas coordinates).
    void canvasMouseDown(Qt::MouseButton button, QPoint at);
    /// Rubber band move, only while the left button is held. During a field panel drag the move
    /// drags the panels instead.
    void canvasMouseMove(Qt::MouseButtons buttons, QPoint at);
    /// Rubber band end: any button hides the band (and ends a field panel drag).
    void canvasMouseUp();

    /// Moves every selected field panel by wanted, as far as the 16-bit range allows, marks the
    /// overlapping boxes again and emits fieldsMoved when a panel moved.
    void moveSelection(QPoint wanted);

    /// Marks every field panel whose box overlaps another one's (boxes that only touch do not
    /// overlap), and every one whose box is not wholly on the paper, and clears the marks of the
    /// others.
    void refreshMarks();

    /// Puts a field panel where its layout position and size lie at the canvas's scale.
    void placeField(DesignerFieldPanel* panel) const;

    /// The selected field whose position the designer shows: the panel pressed last while it is
    /// still selected, otherwise the first selected panel in control order; nullptr when none is
    /// selected.
    DesignerFieldPanel* currentFieldPanel() const;

    /// The blank-form background: image, a scan of dpi dots per inch, is drawn at true scale
    /// (96 / dpi layout units per image pixel) with its top-left corner at origin (layout units;
    /// the sheet's corner, SheetOriginOnCanvas), beneath the rubber band and the field panels,
    /// which become see-through. The canvas widens its area to show the whole scan. It is only
    /// shown, never printed.
    void setBackground(const QImage& image, double dpi, QPointF origin);
    /// Shows the background at another resolution.
    void setBackgroundDpi(double dpi);
    /// Removes the background.
    void clearBackground();
    bool hasBackground() const { return !m_background.isNull(); }
    /// The background's rectangle in layout units; empty without one.
    QRectF backgroundRect() const;
    /// 0 (invisible) to 1 (opaque); 0.5 at first.
    void setBackgroundOpacity(double opacity);
    double backgroundOpacity() const { return m_backgroundOpacity; }

signals:
    /// The operator moved field panels (by the pointer or the arrow keys).
    void fieldsMoved();
    /// The selection or the current field changed, or the fields moved.
    void fieldsChanged();
    /// The area the canvas shows changed (a background was shown, rescaled or taken away).
    void layoutAreaChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    /// The area of the designed canvas and the background; resizes the canvas and places the
    /// field panels again when it changed.
    void updateArea();
    void placeEverything();

    QList<DesignerFieldPanel*> m_panels;
    DesignerBandShape* m_band;
    QSize m_designed;
    QRect m_area;
    double m_zoom = 1.0;
    QRectF m_paper;
    bool m_dragging = false;
    QPointF m_grab; // the grabbed spot inside the pressed field panel, in layout units
    QPointer<DesignerFieldPanel> m_pressed;
    QPointer<DesignerFieldPanel> m_current;
    bool m_banding = false;
    QPoint m_bandOrigin; // the pointer position on the canvas where the rubber band began
    QImage m_background;
    double m_backgroundDpi = 96.0;
    QPointF m_backgroundOrigin;
    double m_backgroundOpacity = 0.5;
};

} // namespace Zt_typro
