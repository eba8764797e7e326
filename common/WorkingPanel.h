#pragma once

#include <QFrame>
#include <QPoint>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QPushButton;

namespace Zt_typro
{

/// The title strip across the top of a working panel. A press of the left button on it moves
/// the panel with the pointer until the button is released, the grabbed spot staying under the
/// pointer as far as the panel stays inside its parent: a panel is never dragged out of reach.
/// Other buttons do nothing.
class TitleStrip : public QWidget
{
    Q_OBJECT
public:
    explicit TitleStrip(QWidget* panel, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* m_panel;
    bool m_dragging = false;
    QPoint m_grab; // pointer position inside the panel when the drag began
};

/// Names of the chrome components of one working panel.
struct PanelChrome
{
    const char* panel;   // e.g. "Panel_zp"
    const char* image;   // title strip picture, e.g. "Image_zpedit"
    const char* label;   // title label, e.g. "Label1"; nullptr for a group-box titled sub-panel
    const char* close;   // close button, e.g. "BitBtn_zp_close"
    const char* title;   // the title text
};

/// A working panel: raised panel in the window's background colour with a title strip, a bold
/// blue title and a 17 x 17 close button at the top-right corner. Hidden when created; showing
/// or hiding it changes neither its position nor its content. It keeps its designed size unless
/// it is made to grow with its parent (setGrowsWithParent).
///
/// Keyboard: a panel that shows comes to the top of its siblings and puts the focus on its first
/// field; Enter presses the focused button, or else the panel's default button; Esc closes the
/// topmost open sub-panel, or else the panel, as the close button does.
class WorkingPanel : public QFrame
{
    Q_OBJECT
public:
    WorkingPanel(QWidget* parent, const PanelChrome& chrome, const QRect& geometry);

    TitleStrip* titleStrip() const { return m_strip; }
    QLabel* titleLabel() const { return m_title; }
    QPushButton* closeButton() const { return m_close; }

    /// Sets the text of the title label.
    void setTitle(const QString& title);

    /// The size the panel was designed at.
    QSize designedSize() const { return m_designed; }
    /// A panel that grows is larger than its designed size by as much as its parent is larger
    /// than the parent's least size (the main window's designed client area): it grows to the
    /// right and down with the window, keeps its place and comes back to its designed size when
    /// the window does. It stays inside the parent. Off by default.
    void setGrowsWithParent(bool grows);
    bool growsWithParent() const { return m_grows; }

    /// The button Enter presses when the focus is not on a button; nullptr for none.
    void setDefaultButton(QAbstractButton* button) { m_default = button; }
    QAbstractButton* defaultButton() const { return m_default; }
    /// The field that takes the focus when the panel shows; by default the first one in the tab
    /// order that takes focus from the keyboard.
    void setFirstField(QWidget* field) { m_firstField = field; }
    /// Puts the focus on the first field.
    void focusFirstField();

    /// What the close button does: asks confirmClose, then hides the panel and emits closed.
    /// Returns false when the panel stays open.
    bool requestClose();

    /// Showing the panel, even one already shown, brings it to the top, puts the focus on its
    /// first field and scrolls it into view.
    void setVisible(bool visible) override;

    /// Closes the topmost visible working panel among the children of container (the sub-panel
    /// of that panel first, if one is open). Returns false when none is open.
    static bool closeTopmost(QWidget* container);

signals:
    /// The close button was pressed (the panel is already hidden).
    void closed();

protected:
    /// Asked before the panel closes; false keeps it open. Nothing to ask by default.
    virtual bool confirmClose() { return true; }

    void keyPressEvent(QKeyEvent* event) override;
    /// Keeps the title strip across the top and the close button at the top-right corner.
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void growToParent();

    TitleStrip* m_strip = nullptr;
    QLabel* m_title = nullptr;
    QPushButton* m_close = nullptr;
    QAbstractButton* m_default = nullptr;
    QWidget* m_firstField = nullptr;
    QSize m_designed;
    bool m_grows = false;
};

/// Places a widget of size size at the wanted top-left point inside a parent of parentSize: as
/// near to wanted as keeps it wholly inside, its top-left corner first when it is larger.
QPoint KeptInside(const QPoint& wanted, const QSize& size, const QSize& parentSize);

/// The background colour of the main window and its panels.
QColor PanelBackground();

} // namespace Zt_typro
