#include "printsetup/DesignerPrintOptions.h"

#include "common/Guard.h"
#include "store/DataModule.h"

namespace Zt_typro
{

DesignerPrintOptions::DesignerPrintOptions(QObject* parent, const char* name)
    : QAbstractTableModel(parent)
{
    setObjectName(QString::fromLatin1(name));
}

void DesignerPrintOptions::setQuery(DmQuery* query)
{
    if (query == m_query)
        return;
    beginResetModel();
    if (m_query)
        m_query->model()->disconnect(this);
    m_query = query;
    if (query) {
        // The query's own model announces every new result and every stored flag.
        QAbstractItemModel* source = query->model();
        connect(source, &QAbstractItemModel::modelAboutToBeReset, this, &DesignerPrintOptions::beginResetModel);
        connect(source, &QAbstractItemModel::modelReset, this, &DesignerPrintOptions::endResetModel);
        connect(source, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to) {
                    emit dataChanged(index(from.row(), 0), index(to.row(), 1));
                });
        connect(query, &QObject::destroyed, this, [this] {
            beginResetModel();
            endResetModel();
        });
    }
    endResetModel();
}

int DesignerPrintOptions::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_query || !m_query->isOpen() ? 0 : m_query->recordCount();
}

int DesignerPrintOptions::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant DesignerPrintOptions::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const QSqlRecord& row = m_query->record(index.row());
    if (index.column() == 0 && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
        return row.value(QStringLiteral("kjyy")).toString();
    if (index.column() == 1 && role == Qt::CheckStateRole) {
        // A null flag counts as not printed, as the placement rule reads it.
        const QVariant dy = row.value(QStringLiteral("dy"));
        return (!dy.isNull() && dy.toBool()) ? Qt::Checked : Qt::Unchecked;
    }
    return {};
}

Qt::ItemFlags DesignerPrintOptions::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 1)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void PostPrintFlag(DmQuery& query, bool print)
{
    const qlonglong rowId = query.field(QStringLiteral("row_id")).toLongLong();
    query.writeCurrentRow(Stmt::R1, {print ? 1 : 0, rowId}, QStringLiteral("dy"), print ? 1 : 0);
}

bool DesignerPrintOptions::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 1 || role != Qt::CheckStateRole || index.row() >= rowCount())
        return false;
    DmQuery* query = m_query;
    const bool print = value.toInt() == Qt::Checked;
    bool stored = false;
    guarded([&] {
        query->setRecNo(index.row());
        PostPrintFlag(*query, print);
        stored = true;
    });
    return stored;
}

} // namespace Zt_typro
