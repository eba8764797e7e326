#pragma once

#include "common/WorkingPanel.h"
#include "store/ChequeHistory.h"

#include <QHash>
#include <QIdentityProxyModel>

#include <functional>

class QLabel;
class QPushButton;
class QTableView;

/// DataSource1: what the register grid shows of its query's result. Each register column gets
/// its title and title alignment; no cell can be edited (the register is only ever added to).
/// Amounts show with thousands separated and two decimals ("1,234,567.50"), right-aligned. A
/// voided cheque's row is grey and struck through, an unprinted one's brown and in italics, each
/// with a tip that says what it means.
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

    /// The state column shows a print kept on this computer (not yet in the register) as printed
    /// (or reprinted), in blue with a tip that says so: the cheque is never offered as not
    /// printed meanwhile. keyOfRow gives a row's row key.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    void setKeyOfRow(std::function<qint64(int row)> keyOfRow) { m_keyOfRow = std::move(keyOfRow); }
    /// Reads the prints kept for the register again (done whenever the rows are read again).
    void readKeptPrints();

private:
    // How a row is marked: by its state, a print kept on this computer counting as printed.
    enum class RowLook
    {
        Plain,
        Voided,
        Unprinted,
        KeptPrint,
    };
    RowLook rowLook(int row) const;

    std::function<qint64(int)> m_keyOfRow;
    QHash<qint64, Zt_typro::ChequeEvent> m_kept;
};

/// Panel_zpcxjg: the "查询列表" working panel of the main window, listing the cheques a register
/// search found in the grid DBGrid_cx.
class ResultPanel : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit ResultPanel(QWidget* parent);

    QTableView* DBGrid_cx;
    /// In the grid, under the titles: the line that says a search found nothing.
    QLabel* Label_zpcx_wjg;
    RegisterGridSource* DataSource1;
    QPushButton* Button_zpcx_dc;
    QPushButton* Button_zpcx_cd;
    QPushButton* Button_zpcx_zf;
    QPushButton* Button_zpcx_ls;

    /// How a stored cheque is printed again (the cheque screen's job, connected by the main
    /// window): true when it was printed.
    void setReprint(std::function<bool(QWidget* owner, qint64 zpid)> reprint) { m_reprint = std::move(reprint); }

    /// Shows the rows of a query's result model in the grid (the grid follows the model as the
    /// query is closed and opened again).
    void setSource(QAbstractItemModel* result);

    /// The close button: hides the panel.
    void BitBtn_zpcxjg_closeClick();

    /// "导出": writes the rows the last search found, in the grid's order, to a workbook (or a CSV
    /// file, by its name) chosen through a save dialog that proposes "支票登记-<today>.xlsx" in
    /// the operator's documents folder, and tells how many were written. Without a search result
    /// it says so and writes nothing.
    void Button_zpcx_dcClick();

    /// "重打": prints the selected cheque again from its stored values (a voided one is refused).
    void Button_zpcx_cdClick();
    /// "作废": voids the selected cheque after asking its reason (Frm_zf).
    void Button_zpcx_zfClick();
    /// "记录": shows the selected cheque's history (Frm_zpls).
    void Button_zpcx_lsClick();

protected:
    /// The grid fills the panel, grown or not (see WorkingPanel::setGrowsWithParent).
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyColumnWidths();
    void layOutParts();
    /// Grown wider than designed, the grid gives the purpose column the room the other columns
    /// leave, so that a whole row shows without scrolling sideways (when that leaves enough room
    /// to read it); at its designed size the columns keep their designed widths.
    void fitPurposeColumn();
    /// Shows the line of an empty result while the search's result is open and holds no row.
    void showEmptyResult();
    /// The row key of the cheque selected in the grid; -1 (after saying so) when there is none.
    qint64 selectedCheque();
    /// "票号 … 收款人 … 金额 …" of the selected row, to name it in a dialog.
    QString selectedText() const;
    /// Runs the search again, keeping the selected row: the states are read afresh.
    void refresh();
    std::function<bool(QWidget*, qint64)> m_reprint;
};
