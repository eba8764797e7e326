#pragma once

#include "common/WorkingPanel.h"

#include <QIdentityProxyModel>

class QPushButton;
class QTableView;

/// DataSource1: what the register grid shows of its query's result. Each register column gets
/// its title and title alignment; no cell can be edited (the register is only ever added to).
class RegisterGridSource : public QIdentityProxyModel
{
    Q_OBJECT
public:
    explicit RegisterGridSource(QObject* parent);

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    /// The register field shown in a column ("ph", "rq", ...); empty when there is no such column.
    QString fieldName(int section) const;
};

/// Panel_zpcxjg: the "查询列表" working panel of the main window, listing the cheques a register
/// search found in the grid DBGrid_cx.
class ResultPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit ResultPanel(QWidget* parent);

    QTableView* DBGrid_cx;
    RegisterGridSource* DataSource1;
    QPushButton* Button_zpcx_dc;

    /// Shows the rows of a query's result model in the grid (the grid follows the model as the
    /// query is closed and opened again).
    void setSource(QAbstractItemModel* result);

    /// The close button: hides the panel.
    void BitBtn_zpcxjg_closeClick();

    /// "导出": writes every column of the rows the last search found, in the grid's order, to a
    /// CSV file chosen through a save dialog, and tells how many were written. Without a search
    /// result it says so and writes nothing.
    void Button_zpcx_dcClick();

private:
    void applyColumnWidths();
};
