#pragma once

#include "store/Catalogue.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <functional>

class TD_M;

namespace Zt_typro
{

class DmQuery;

/// A read-only table view of an open query's rows, for the grids. A closed query shows no rows.
class DmQueryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DmQueryModel(DmQuery* query);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    friend class DmQuery;
    void reset(const std::function<void()>& change);
    // The columns of a result, by its (empty) record, for the grid's header.
    void setColumns(const QSqlRecord& shape);
    DmQuery* m_query;
    QStringList m_names;
    int m_columns = 0;
};

/// One named query of the data module. Set a statement of the catalogue with its values, then
/// open it (a select: the count is exact at once) or execute it (an insert or update). Values
/// are bound as parameters; text values written to a column are checked against the column's
/// limits first, and nothing is sent when one does not fit.
///
/// A query reads every row of its result when it opens, unless it is paged (setPaged): a paged
/// query reads only the row keys of its result when it opens and fetches the rows themselves
/// in pages of kPageRows as they are read, keeping a bounded number of pages.
class DmQuery : public QObject
{
    Q_OBJECT
public:
    DmQuery(TD_M* dm, const char* name);

    /// Rows fetched together by a paged query.
    static constexpr int kPageRows = 256;

    /// Makes the next open() page its rows (see the class note). The statement must be a
    /// select from one table ("select <columns> from <table> [where ...] [order by ...]").
    /// Counts, row order and field values are the same as when every row is read.
    void setPaged(bool paged) { m_paged = paged; }
    bool isPaged() const { return m_paged; }

    /// Closes the query and sets its statement and the values for its parameters, in order.
    /// A QDate value is bound as its ISO text (2005-03-07).
    void setStatement(Stmt id, const QVariantList& values = {});
    Stmt statement() const { return m_stmt; }

    /// Runs the select; positions on the first row. Throws AppError on a database error.
    void open();
    /// Runs the insert or update. Throws AppError on a database error or a value that does not fit.
    void execute();
    /// Releases the result.
    void close();

    bool isOpen() const { return m_open; }
    int recordCount() const { return int(m_paged ? m_keys.size() : m_rows.size()); }
    bool eof() const { return m_pos >= recordCount(); }
    void first() { m_pos = 0; }
    void next() { ++m_pos; }
    int recNo() const { return int(m_pos); }
    void setRecNo(int row) { m_pos = row; }
    /// The row keys (rowid) of an open paged result, in its order; empty for a query that is
    /// not paged. What a grid lists can be read again in full by these keys.
    const QList<qint64>& keys() const { return m_keys; }

    /// A field of the current row by column name: a null text reads as "", a null integer as 0.
    /// Throws AppError for a column the result does not have or when there is no current row.
    QVariant field(const QString& column) const;
    QString fieldText(const QString& column) const;
    int fieldInt(const QString& column) const;
    bool fieldBool(const QString& column) const;

    /// The record of a row of the result (0 <= row < recordCount()). Throws AppError when a
    /// page of a paged query cannot be read.
    QSqlRecord record(int row) const;

    /// Runs the write statement id with values under this query's name (errors name it), as a
    /// row edit of the current row of its open result, and then shows value as column of that
    /// row, so its grid shows what is now stored. Throws AppError when the write fails; the row
    /// then keeps its old value.
    void writeCurrentRow(Stmt id, const QVariantList& values, const QString& column, const QVariant& value);

    /// The result as a table model for a grid.
    DmQueryModel* model() { return &m_model; }

private:
    void run(bool select);
    void openPaged();
    const QSqlRecord& current() const;
    const QSqlRecord& row(qsizetype index) const;
    void fetchPage(qsizetype page) const;
    QList<QSqlRecord> readRows(qsizetype first, qsizetype count, QSqlRecord* shape) const;

    TD_M* m_dm;
    Stmt m_stmt = Stmt::S1;
    bool m_hasStatement = false;
    QVariantList m_values;
    QList<QSqlRecord> m_rows;
    qsizetype m_pos = 0;
    bool m_open = false;
    // Paged reading: the keys (rowid) of the result in its order, and the pages read so far.
    bool m_paged = false;
    QList<qint64> m_keys;
    mutable QHash<qsizetype, QList<QSqlRecord>> m_pages;
    QSqlRecord m_shape;
    QString m_pageSql; // the select of a page's rows by key, up to its list of keys
    DmQueryModel m_model;
};

/// Closes a query when the scope ends, however it ends.
class QueryCloser
{
public:
    explicit QueryCloser(DmQuery& query)
        : m_query(query)
    {
    }
    ~QueryCloser() { m_query.close(); }
    QueryCloser(const QueryCloser&) = delete;
    QueryCloser& operator=(const QueryCloser&) = delete;

private:
    DmQuery& m_query;
};

} // namespace Zt_typro
