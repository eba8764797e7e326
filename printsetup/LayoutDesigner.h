#pragma once

#include "common/WorkingPanel.h"
#include "printsetup/DesignerBackground.h"
#include "printsetup/DesignerBody.h"

#include <QList>
#include <QMarginsF>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

// The parts a designer names, for ChequeDesigner and VoucherDesigner.
class QComboBox;
class QGroupBox;
class QHeaderView;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QStyledItemDelegate;
class QTableView;
class TD_M;

namespace Zt_typro
{

class DesignerBandShape;
class DesignerCanvas;
class DesignerFieldPanel;
class DesignerPrintOptions;
class DmQuery;
class PrintForm;

/// What makes one layout designer differ from the other: its names, captions and geometry, its
/// print form and the queries of its form codes.
struct DesignerForm
{
    PanelChrome chrome;
    QRect geometry;
    DesignerNames names;
    QList<DesignerFieldSpec> fields; // in the canvas's control order
    DesignerBackground::Names background;
    /// A fresh print form of the designer's form codes, for the design positions, the page
    /// margins, the preview and the sample print.
    std::function<std::unique_ptr<PrintForm>(QObject* parent)> makeForm;
    /// The query that places the print form's labels for the preview and the sample print.
    DmQuery* TD_M::*layoutQuery;
    /// The option-list query behind the print-content list.
    DmQuery* TD_M::*optionsQuery;
    /// Whether a save reads the print-content list again first (it then shows its first row).
    bool rereadOptionsOnSave;
};

/// A layout designer working panel: the canvas with one field panel per field (P_zz_ or P_pz_ +
/// field key) at the field's layout position, which the operator drags (one at a time or a
/// rubber-band selection), nudges with the arrow keys and saves; the print-content list of the
/// layout rows of the form code in kjx order with a check box each (a change is stored at once);
/// preview and sample print of the stored layout on a fresh print form; and the blank-form
/// background. ChequeDesigner and VoucherDesigner give it their description and name its parts.
///
/// Each field panel is as large as the text its field prints on the sample cheque or voucher
/// (SampleFieldText, in the label's font, in layout units), so boxes that
/// overlap on the canvas print over one another; they are outlined in red. Above the canvas the
/// position label shows where the selected field prints, in millimetres from the paper's
/// top-left corner, followed by "（超出纸张）" when its box is not wholly on the paper (the box is
/// then outlined in red too; a negative position is allowed). Closing the designer while its
/// field positions differ from the ones last loaded or saved asks "版面已改动，是否保存?": 是 saves
/// and closes, 否 closes without saving, 取消 keeps the designer open as it is.
///
/// Grown with the window, the canvas's scroll box takes the room. The scale box shows the canvas
/// at a fixed scale or, at "适合窗口", the whole area it shows (the form, and the whole scan)
/// inside the scroll box, fitted again whenever the box or the area changes.
class LayoutDesigner : public WorkingPanel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LayoutDesigner)
public:
    /// Loads the stored layout of formCode onto the canvas, reads the print-content list, sets
    /// the heading and shows the designer. The selection of field panels stays as it is.
    void open(const QString& formCode, const QString& heading);

    /// The form code the designer works on; empty until it was opened.
    QString formCode() const { return m_formCode; }

    /// The background controls.
    DesignerBackground* background() const { return m_background; }

    /// Whether field panels stand elsewhere than where the layout was last loaded or saved.
    bool hasUnsavedMoves() const;

    /// The text of the position label for a field panel at layout position at: its caption and
    /// where its text starts on the paper, e.g. "人民币大写：距纸左边 81.4 毫米，距纸上边 30.9 毫米".
    QString positionText(const QString& caption, QPoint at) const;

protected:
    LayoutDesigner(QWidget* parent, DesignerForm form);

    /// The components built below the title strip, for the named members of the subclass.
    const DesignerBody& body() const { return m_body; }

    /// Saves the canvas as the layout of the current form code.
    void saveLayout();
    /// Previews the stored layout of the current form code on a fresh print form.
    void previewLayout();
    /// Prints the stored layout of the current form code on a fresh print form, without a dialog.
    void printSample();
    /// After the close button: closes the print-content list's query. Nothing is saved.
    void closeOptions();
    /// "背景图": loads and remembers a scan of the blank form for the current form code.
    void chooseBackground();

    /// Before the designer closes: with unsaved moves, asks whether to save them.
    bool confirmClose() override;

    void resizeEvent(QResizeEvent* event) override;

private:
    /// Shows the canvas at the scale chosen in the scale box.
    void applyZoom();

    QList<QPoint> fieldPositions() const;
    void rememberSavedPositions();
    void showPosition();

    DesignerForm m_form;
    QMarginsF m_marginsMm;
    QList<QPoint> m_savedPositions;
    DesignerBody m_body;
    DesignerBackground* m_background = nullptr;
    QString m_formCode;
    // Parts that keep their distance to the right or the bottom edge when the designer grows.
    struct Kept
    {
        QWidget* widget;
        QPoint designed;
    };
    QList<Kept> m_keptRight;
    QList<Kept> m_keptDown;
};

} // namespace Zt_typro
