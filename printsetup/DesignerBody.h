#pragma once

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

class QComboBox;
class QGroupBox;
class QHeaderView;
class QLabel;
class QPushButton;
class QScrollArea;
class QStyledItemDelegate;
class QTableView;
class QWidget;

namespace Zt_typro
{

class DesignerCanvas;
class DesignerFieldPanel;
class DesignerPrintOptions;

/// One field panel of a designer: component name and caption. Its size is the size of what its
/// field prints (LayoutDesigner works it out).
struct DesignerFieldSpec
{
    const char* name;
    const char* caption;
};

/// The component names of one layout designer (the cheque and the voucher designer differ only
/// in these, in their field panels and in the size of their canvas).
struct DesignerNames
{
    const char* scrollBox;  // viewport of the canvas
    const char* canvas;     // the canvas
    QSize canvasSize;
    const char* band;       // the rubber band shape
    const char* preview;    // "打印预览"
    const char* save;       // "保存设置"
    const char* sample;     // "打印样张"
    const char* groupBox;   // "打印内容选项"
    const char* header;     // column heads of the print-content list
    const char* grid;       // the print-content list
    const char* dataSource; // its model over the option-list query
    const char* text;       // the kjyy column
    const char* check;      // the dy check box column
    const char* position;   // the selected field's position on the paper
    const char* zoom;       // the scale the canvas is shown at
};

/// The components below the title strip of a layout designer, built by BuildDesignerBody.
struct DesignerBody
{
    QScrollArea* scrollBox = nullptr;
    DesignerCanvas* canvas = nullptr;
    QPushButton* preview = nullptr;
    QPushButton* save = nullptr;
    QPushButton* sample = nullptr;
    QGroupBox* groupBox = nullptr;
    QHeaderView* header = nullptr;
    QTableView* grid = nullptr;
    DesignerPrintOptions* dataSource = nullptr;
    QStyledItemDelegate* text = nullptr;
    QStyledItemDelegate* check = nullptr;
    QLabel* position = nullptr;
    QComboBox* zoom = nullptr;
    QList<DesignerFieldPanel*> fields; // in control order
};

/// Builds the scroll box with the canvas and its field panels (in the given order, each of its
/// size and at its design position, or stacked down the left side when there is none), the
/// position label above the canvas, the three buttons, the scale box (DesignerZoomChoices, at
/// 100 %) and the print-content list (bound to its query later, with
/// DesignerPrintOptions::setQuery), as children of designer.
/// The scales the scale box offers, in its order: the whole form in the viewport ("适合窗口",
/// scale 0), then fixed ones in per cent.
struct DesignerZoomChoice
{
    const char* caption;
    double zoom; // 0: fit the viewport
};
const QList<DesignerZoomChoice>& DesignerZoomChoices();

DesignerBody BuildDesignerBody(QWidget* designer, const DesignerNames& names, const QList<DesignerFieldSpec>& fields,
                               const QList<QSize>& sizes, const QList<QPoint>& designPositions);

} // namespace Zt_typro
