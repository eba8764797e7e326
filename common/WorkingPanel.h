#pragma once

#include <QFrame>
#include <QPoint>
#include <QWidget>

class QLabel;
class QPushButton;

namespace Zt_typro
{

/// The title strip across the top of a working panel. A press of the left button on it moves
/// the panel with the pointer until the button is released, the grabbed spot staying under the
/// pointer; other buttons do nothing.
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
/// or hiding it changes neither its position nor its content.
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

signals:
    /// The close button was pressed (the panel is already hidden).
    void closed();

private:
    TitleStrip* m_strip;
    QLabel* m_title = nullptr;
    QPushButton* m_close;
};

/// The background colour of the main window and its panels.
QColor PanelBackground();

} // namespace Zt_typro
