#pragma once

#include <QMarginsF>
#include <QObject>
#include <QString>

class QPushButton;
class QSlider;
class QSpinBox;
class QWidget;

namespace Zt_typro
{

class DesignerCanvas;

/// The blank-form background of a layout designer: the "背景图" button, the opacity slider and the
/// resolution box (dots per inch). The operator loads a scan of the blank paper form (PNG or
/// JPEG); the canvas shows it at true scale beneath the field panels, placed so that the sheet's
/// top-left edge lies the page margins up and left of the band's origin: a field panel then sits
/// on the spot of the form where its label prints. The resolution is the file's own unless one is
/// typed. The image path and a typed resolution are remembered per form code in the per-user
/// settings; the image is never printed.
class DesignerBackground : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesignerBackground)
public:
    struct Names
    {
        const char* button; // "背景图"
        const char* slider; // opacity, 0 … 100 %
        const char* dpi;    // resolution of the scan
    };

    /// Creates the three controls as children of designer, at x, y (the button, then the slider
    /// and the resolution box to its right), for a page with the given margins in millimetres.
    DesignerBackground(QWidget* designer, DesignerCanvas* canvas, const Names& names, QMarginsF pageMarginsMm, int x,
                       int y);

    QPushButton* button() const { return m_button; }
    QSlider* slider() const { return m_slider; }
    QSpinBox* dpiBox() const { return m_dpi; }

    /// Shows the background remembered for formCode, or none. A remembered image that is missing
    /// or unreadable is reported in the error box and the designer goes on without it.
    void showFor(const QString& formCode);

    /// What the "背景图" button does (the designer connects it): asks for an image file; a chosen
    /// file is shown and remembered for the current form code. Cancelling while an image is shown
    /// asks whether to remove it. Throws AppError when the file is missing or unreadable (the
    /// canvas keeps what it showed).
    void chooseImage();

    /// Shows the image at path with its own resolution (typedDpi 0) or the one given. Throws
    /// AppError naming the file when it is missing, unreadable, or not a PNG or JPEG image.
    void load(const QString& path, double typedDpi);

private:
    void dpiEdited();

    QWidget* m_designer;
    DesignerCanvas* m_canvas;
    QMarginsF m_margins;
    QPushButton* m_button;
    QSlider* m_slider;
    QSpinBox* m_dpi;
    QString m_formCode;
    QString m_path;
    double m_fileDpi = 0.0;  // the resolution the file stores; 0 when it stores none
    bool m_dpiTyped = false; // the operator typed a resolution since the last scan was loaded
};

} // namespace Zt_typro
