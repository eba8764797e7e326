#include "printsetup/DesignerBody.h"

#include "common/Named.h"

#include "printsetup/DesignerCanvas.h"
#include "printsetup/DesignerPrintOptions.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>

namespace Zt_typro
{
namespace
{
// Widths of the list's column heads: "项  目", "打印" and an empty section over the scroll bar.
constexpr int kTextColumn = 74;
constexpr int kCheckColumn = 38;
constexpr int kSpareColumn = 16;
constexpr int kRowHeight = 24;
constexpr int kRowsVisible = 12;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x)
{
    auto* b = named<QPushButton>(parent, name);
    b->setText(caption);
    b->setGeometry(x, 394, 85, 25);
    return b;
}

// The check box of the "打印" column, drawn in the middle of its cell; a click anywhere in the
// cell, or the space bar on the current row, turns it over.
class CentredCheckDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        // The cell's background (the aqua current row) without the indicator, then the indicator.
        QStyleOptionViewItem background = opt;
        background.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, opt.widget);
        QStyleOptionViewItem check = opt;
        check.rect = indicatorRect(opt);
        check.state &= ~QStyle::State_HasFocus;
        check.state |= index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, opt.widget);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        if (!(index.flags() & Qt::ItemIsUserCheckable) || !(index.flags() & Qt::ItemIsEnabled))
            return false;
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
                return false;
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Space && key != Qt::Key_Select)
                return false;
        } else {
            // Presses and double clicks on the cell belong to the toggle of the release.
            return event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
        }
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

private:
    static QRect indicatorRect(const QStyleOptionViewItem& option)
    {
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget),
                         style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget));
        return QStyle::alignedRect(option.direction, Qt::AlignCenter, size, option.rect);
    }
};
} // namespace

const QList<DesignerZoomChoice>& DesignerZoomChoices()
{
    static const QList<DesignerZoomChoice> choices{
        {"适合窗口", 0.0}, {"50%", 0.5}, {"75%", 0.75}, {"100%", 1.0}, {"150%", 1.5}, {"200%", 2.0},
    };
    return choices;
}

DesignerBody BuildDesignerBody(QWidget* designer, const DesignerNames& names, const QList<DesignerFieldSpec>& fields,
                               const QList<QSize>& sizes, const QList<QPoint>& designPositions)
{
    DesignerBody body;

    body.scrollBox = named<QScrollArea>(designer, names.scrollBox);
    body.scrollBox->setGeometry(16, 48, 505, 337);
    body.scrollBox->setWidgetResizable(false);
    // At 100 % the designed canvas is as high as the viewport and scrolls sideways only; a
    // larger scale or a background scan make it scroll both ways, a smaller one sits centred.
    body.scrollBox->setAlignment(Qt::AlignCenter);
    body.canvas = new DesignerCanvas(nullptr, names.canvas, names.canvasSize, names.band);
    body.scrollBox->setWidget(body.canvas);

    int stacked = 4;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const DesignerFieldSpec& def = fields.at(i);
        const QSize size = sizes.value(i, QSize(17, 17));
        DesignerFieldPanel* panel = body.canvas->addFieldPanel(def.name, QString::fromUtf8(def.caption), size);
        if (i < designPositions.size()) {
            panel->setLayoutPos(designPositions.at(i));
        } else {
            panel->setLayoutPos(QPoint(4, stacked));
            stacked += size.height() + 2;
        }
        body.fields.append(panel);
    }

    // Between the heading and the canvas: where the selected field prints on the paper.
    body.position = named<QLabel>(designer, names.position);
    body.position->setGeometry(16, 28, 505, 17);

    body.preview = button(designer, names.preview, QStringLiteral("打印预览"), 236);
    body.save = button(designer, names.save, QStringLiteral("保存设置"), 331);
    body.sample = button(designer, names.sample, QStringLiteral("打印样张"), 426);

    // Under the print-content list: the scale the canvas is shown at. It changes only what is
    // shown, never a field's layout position.
    body.zoom = named<QComboBox>(designer, names.zoom);
    for (const DesignerZoomChoice& choice : DesignerZoomChoices())
        body.zoom->addItem(QString::fromUtf8(choice.caption), choice.zoom);
    body.zoom->setCurrentIndex(body.zoom->findData(1.0));
    body.zoom->setGeometry(528, 394, 145, 25);
    body.zoom->setToolTip(QStringLiteral("画布的显示比例：只改变显示大小，不改变打印位置"));

    body.groupBox = named<QGroupBox>(designer, names.groupBox);
    body.groupBox->setTitle(QStringLiteral("打印内容选项"));
    body.groupBox->setGeometry(528, 48, 145, 337);

    // The column heads: a header over a model of no rows that only carries the three captions.
    auto* heads = new QStandardItemModel(0, 3, body.groupBox);
    heads->setHorizontalHeaderLabels({QStringLiteral("项  目"), QStringLiteral("打印"), QString()});
    body.header = new QHeaderView(Qt::Horizontal, body.groupBox);
    body.header->setObjectName(QString::fromLatin1(names.header));
    body.header->setModel(heads);
    body.header->setDefaultAlignment(Qt::AlignCenter);
    body.header->setSectionResizeMode(QHeaderView::Fixed);
    body.header->setSectionsClickable(false);
    body.header->setMinimumSectionSize(kSpareColumn);
    body.header->resizeSection(0, kTextColumn);
    body.header->resizeSection(1, kCheckColumn);
    body.header->resizeSection(2, kSpareColumn);
    body.header->setGeometry(8, 20, kTextColumn + kCheckColumn + kSpareColumn, 20);

    body.dataSource = new DesignerPrintOptions(body.groupBox, names.dataSource);
    body.grid = named<QTableView>(body.groupBox, names.grid);
    body.grid->setModel(body.dataSource);
    body.grid->horizontalHeader()->hide();
    body.grid->verticalHeader()->hide();
    body.grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    body.grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    body.grid->setColumnWidth(0, kTextColumn);
    body.grid->setColumnWidth(1, kCheckColumn);
    body.grid->setShowGrid(false);
    body.grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    body.grid->setSelectionMode(QAbstractItemView::SingleSelection);
    body.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    body.grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    body.grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    body.grid->setGeometry(8, 40, kTextColumn + kCheckColumn + kSpareColumn + 2, kRowHeight * kRowsVisible + 2);
    // The current row shows in aqua.
    QPalette pal = body.grid->palette();
    pal.setColor(QPalette::Highlight, QColor(0, 255, 255));
    pal.setColor(QPalette::HighlightedText, Qt::black);
    body.grid->setPalette(pal);

    body.text = new QStyledItemDelegate(body.grid);
    body.text->setObjectName(QString::fromLatin1(names.text));
    body.grid->setItemDelegateForColumn(0, body.text);
    body.check = new CentredCheckDelegate(body.grid);
    body.check->setObjectName(QString::fromLatin1(names.check));
    body.grid->setItemDelegateForColumn(1, body.check);

    // A new result shows its first row as the current row.
    QTableView* grid = body.grid;
    DesignerPrintOptions* model = body.dataSource;
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, [grid, model] {
        if (model->rowCount() > 0)
            grid->setCurrentIndex(model->index(0, 0));
    });
    // The list's current row is the query's current row, as for a data-bound grid.
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [model](const QModelIndex& current) {
                         if (current.isValid() && current.row() < model->rowCount())
                             model->query()->setRecNo(current.row());
                     });
    return body;
}

} // namespace Zt_typro
