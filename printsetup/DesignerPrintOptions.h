#pragma once

#include "store/Query.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace Zt_typro
{

/// Writes the print flag of the current row of an open P2 result (an option list) back to its
/// prn row (R1), and shows it on that row. Throws AppError when it cannot be stored.
void PostPrintFlag(DmQuery& query, bool print);

/// The print-content list of a layout designer as a table model over an option-list query
/// (D_M->ADOQ_zpdyxz or ADOQ_pzdyxz, opened with the rows of one form code in kjx order):
/// column 0 shows each row's kjyy, column 1 is a check box for its dy. Ticking or clearing a box
/// stores the flag in prn at once (the query's current row is set to the box's row, then R1);
/// no save is needed. A closed query, or none, shows no rows.
class DesignerPrintOptions : public QAbstractTableModel
{
    Q_OBJECT
public:
    DesignerPrintOptions(QObject* parent, const char* name);

    /// Shows the rows of query from now on (the data module is created after the main window,
    /// so the designers bind their list when they open). nullptr shows no rows.
    void setQuery(DmQuery* query);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// Column 1, Qt::CheckStateRole: writes dy of that row; false when the store refused it (the
    /// error has been shown to the operator).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    DmQuery* query() const { return m_query; }

private:
    QPointer<DmQuery> m_query;
};

} // namespace Zt_typro
