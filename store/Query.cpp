#include "store/Query.h"

#include "common/Error.h"
#include "store/DataModule.h"
#include "store/Schema.h"
#include "store/StoreLog.h"

#include <QDate>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

#include <algorithm>

using Zt_typro::AppError;

namespace
{
// What a value is bound as. A text is stored as the text, an empty one as "" rather than NULL,
// just as a quoted literal would be.
QVariant bindable(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QString && value.toString().isNull())
        return QVariant(QStringLiteral(""));
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().isValid() ? QVariant(value.toDate().toString(Qt::ISODate)) : QVariant();
    return value;
}
} // namespace

namespace Zt_typro
{

// ---------------------------------------------------------------------------------------------
DmQueryModel::DmQueryModel(DmQuery* query)
    : QAbstractTableModel(query),
      m_query(query)
{
}

int DmQueryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_query->isOpen() ? 0 : m_query->recordCount();
}

int DmQueryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant DmQueryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole) || index.row() >= rowCount())
        return {};
    // A grid asks while it paints: a page that cannot be read shows empty cells, never an error
    // thrown into the event loop.
    try {
        const QSqlRecord rec = m_query->record(index.row());
        if (index.column() >= rec.count())
            return {};
        return rec.value(index.column());
    } catch (const AppError& e) {
        qCWarning(lcDm) << "row" << index.row() << "of" << m_query->objectName() << "not read:" << e.message();
        return {};
    }
}

QVariant DmQueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_names.size())
        return m_names.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void DmQueryModel::setColumns(const QSqlRecord& shape)
{
    m_names.clear();
    for (int i = 0; i < shape.count(); ++i)
        m_names.append(shape.fieldName(i));
    m_columns = shape.count();
}

void DmQueryModel::reset(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}

// ---------------------------------------------------------------------------------------------
DmQuery::DmQuery(TD_M* dm, const char* name)
    : QObject(dm),
      m_dm(dm),
      m_model(this)
{
    setObjectName(QString::fromLatin1(name));
}

void DmQuery::setStatement(Stmt id, const QVariantList& values)
{
    close();
    m_stmt = id;
    m_values = values;
    m_hasStatement = true;
}

void DmQuery::open()
{
    run(true);
}

void DmQuery::execute()
{
    run(false);
}

void DmQuery::close()
{
    if (!m_open && m_rows.isEmpty() && m_keys.isEmpty())
        return;
    m_model.reset([this] {
        m_rows.clear();
        m_keys.clear();
        m_pages.clear();
        m_pos = 0;
        m_open = false;
    });
}

namespace
{
// Pages kept by a paged query; reading one more drops them all (a grid only ever shows a few).
constexpr qsizetype kMaxPages = 64;

// Prepares, binds and runs a statement text on the data module's connection.
QSqlQuery execText(TD_M* dm, Stmt id, const QString& sql, const QVariantList& values)
{
    dm->ensureConnected();
    QSqlQuery q(QSqlDatabase::database(dm->connectionName(), false));
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw AppError(dm->statementFailureText(id, q.lastError()));
    for (const QVariant& v : values)
        q.addBindValue(bindable(v));
    dm->statementRunning(true);
    const bool ran = q.exec();
    dm->statementRunning(false);
    if (!ran)
        throw AppError(dm->statementFailureText(id, q.lastError()));
    return q;
}

// Checks the values for one catalogue statement: their number, and that each fits its column.
void checkValues(const QString& queryName, Stmt id, const QVariantList& values)
{
    const Statement& st = CatalogueStatement(id);
    if (values.size() != st.columns.size())
        throw AppError(QStringLiteral("语句 %1 需要 %2 个值，给出了 %3 个 (%4)。")
                           .arg(StatementName(id))
                           .arg(st.columns.size())
                           .arg(values.size())
                           .arg(queryName));
    // Every value must fit its column before anything is sent.
    for (int i = 0; i < values.size(); ++i) {
        const QString problem = CheckColumnValue(st.columns.at(i), bindable(values.at(i)));
        if (!problem.isEmpty())
            throw AppError(problem);
    }
}

// Checks, binds and runs one catalogue statement; returns the rows of a select.
QList<QSqlRecord> runStatement(TD_M* dm, const QString& queryName, Stmt id, const QVariantList& values, bool select,
                               QSqlRecord* shape)
{
    checkValues(queryName, id, values);
    QSqlQuery q = execText(dm, id, StatementText(id, dm->dialect()), values);
    QList<QSqlRecord> rows;
    if (!select)
        return rows;
    while (q.next())
        rows.append(q.record());
    if (q.lastError().isValid())
        throw AppError(dm->statementFailureText(id, q.lastError()));
    if (shape)
        *shape = q.record();
    return rows;
}

// The two statements a paged select is read with, made from its catalogue text
// "select <columns> from <table> [where ...] [order by ...]": the keys of the result in its
// order, and the rows of a list of keys (to be closed with the keys' placeholders and ")").
struct PagedText
{
    QString keys;
    QString rows;
    bool sortKeys = false; // the result is in key order: the keys are sorted here, not by the database
};

PagedText pagedText(const QString& queryName, Stmt id, Dialect dialect)
{
    // The last "from" is the statement's own: a column may read another table in a subquery.
    static const QRegularExpression shape(QStringLiteral("^select\\s+(.+)\\s+from\\s+(\\w+)(.*)$"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = shape.match(StatementText(id, dialect));
    if (!m.hasMatch())
        throw AppError(QStringLiteral("语句 %1 不能分页读取 (%2)。").arg(StatementName(id), queryName));
    // A result in register order is its keys in ascending order. Sorting the keys here costs a
    // fraction of what the database takes to sort them when it finds them through an index.
    static const QRegularExpression byKey(QStringLiteral("\\s+order\\s+by\\s+rowid\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString rest = m.captured(3);
    const QRegularExpressionMatch order = byKey.match(rest);
    if (order.hasMatch())
        rest.truncate(order.capturedStart());
    return {QStringLiteral("select rowid from ") + m.captured(2) + rest,
            QStringLiteral("select rowid, ") + m.captured(1) + QStringLiteral(" from ") + m.captured(2) +
                QStringLiteral(" where rowid in ("),
            order.hasMatch()};
}
} // namespace

void DmQuery::run(bool select)
{
    if (!m_hasStatement)
        throw AppError(QStringLiteral("查询 %1 没有语句。").arg(objectName()));
    close();
    // A write is checked by beforeWrite, once its values are known to fit.
    if (select)
        m_dm->checkFileUnchanged();
    if (select && m_paged) {
        openPaged();
        return;
    }
    if (!select) {
        // A value that does not fit is refused before the database is touched at all.
        checkValues(objectName(), m_stmt, m_values);
        // A write of its own is a transaction of its own: it holds the write lock before it
        // looks at the file a last time (see TD_M::transaction).
        if (!m_dm->inTransaction()) {
            m_dm->transaction([&] { runStatement(m_dm, objectName(), m_stmt, m_values, false, nullptr); });
            return;
        }
        m_dm->beforeWrite();
        runStatement(m_dm, objectName(), m_stmt, m_values, false, nullptr);
        return;
    }
    QSqlRecord shape;
    QList<QSqlRecord> rows = runStatement(m_dm, objectName(), m_stmt, m_values, select, &shape);
    m_model.reset([&] {
        m_rows = std::move(rows);
        m_pos = 0;
        m_open = true;
        m_model.setColumns(shape);
    });
}

// The register grid reads a result that can hold every cheque ever printed. Reading all of it
// into memory at once makes a search over a large register wait on the whole result and hold
// it all; a paged query instead reads only the keys (an exact count at once, and the order),
// then fetches the rows a grid shows, a page at a time. It holds no statement open between
// reads, so the result it shows is the one of its opening: rows added later do not appear
// until it is opened again, as with a result read at once.
void DmQuery::openPaged()
{
    checkValues(objectName(), m_stmt, m_values);
    const PagedText text = pagedText(objectName(), m_stmt, m_dm->dialect());
    QList<qint64> keys;
    // The server sends a result row by row, each with its own overhead: keys that are sorted here
    // anyway come as one text instead.
    if (m_dm->dialect() == Dialect::Server && text.sortKeys) {
        QSqlQuery q = execText(m_dm, m_stmt,
                               QStringLiteral("select string_agg(rowid::text, ',') from (") + text.keys +
                                   QStringLiteral(") as k"),
                               m_values);
        if (q.next() && !q.isNull(0)) {
            const QString all = q.value(0).toString();
            keys.reserve(all.count(QLatin1Char(',')) + 1);
            for (const QStringView key : QStringView(all).split(QLatin1Char(',')))
                keys.append(key.toLongLong());
        }
        if (q.lastError().isValid())
            throw AppError(m_dm->statementFailureText(m_stmt, q.lastError()));
    } else {
        QSqlQuery q = execText(m_dm, m_stmt, text.keys, m_values);
        while (q.next())
            keys.append(q.value(0).toLongLong());
        if (q.lastError().isValid())
            throw AppError(m_dm->statementFailureText(m_stmt, q.lastError()));
    }
    if (text.sortKeys)
        std::sort(keys.begin(), keys.end());
    m_pageSql = text.rows;
    m_keys = std::move(keys);
    QSqlRecord shape;
    QList<QSqlRecord> firstPage;
    try {
        firstPage = readRows(0, qMin<qsizetype>(kPageRows, m_keys.size()), &shape);
    } catch (...) {
        m_keys.clear();
        throw;
    }
    m_model.reset([&] {
        m_pages.clear();
        m_pages.insert(0, std::move(firstPage));
        m_shape = shape;
        m_pos = 0;
        m_open = true;
        m_model.setColumns(shape);
    });
}

QList<QSqlRecord> DmQuery::readRows(qsizetype first, qsizetype count, QSqlRecord* shape) const
{
    QString sql = m_pageSql;
    QVariantList values;
    values.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        sql += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
        values.append(m_keys.at(first + i));
    }
    // An empty result still reads its columns (for the grid's header); "in ()" is not SQL everywhere.
    if (count == 0)
        sql += QStringLiteral("NULL");
    sql += QLatin1Char(')');
    QSqlQuery q = execText(m_dm, m_stmt, sql, values);
    QHash<qint64, QSqlRecord> byKey;
    byKey.reserve(count);
    while (q.next()) {
        QSqlRecord r = q.record();
        const qint64 key = r.value(0).toLongLong();
        r.remove(0);
        byKey.insert(key, r);
    }
    if (q.lastError().isValid())
        throw AppError(m_dm->statementFailureText(m_stmt, q.lastError()));
    QSqlRecord empty = q.record();
    empty.remove(0);
    if (shape)
        *shape = empty;
    QList<QSqlRecord> rows;
    rows.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        rows.append(byKey.value(m_keys.at(first + i), empty));
    return rows;
}

void DmQuery::fetchPage(qsizetype page) const
{
    const qsizetype first = page * kPageRows;
    QList<QSqlRecord> rows = readRows(first, qMin<qsizetype>(kPageRows, m_keys.size() - first), nullptr);
    if (m_pages.size() >= kMaxPages)
        m_pages.clear();
    m_pages.insert(page, std::move(rows));
}

const QSqlRecord& DmQuery::row(qsizetype index) const
{
    if (!m_paged)
        return m_rows.at(index);
    const qsizetype page = index / kPageRows;
    auto it = m_pages.constFind(page);
    if (it == m_pages.cend()) {
        fetchPage(page);
        it = m_pages.constFind(page);
    }
    return it->at(index % kPageRows);
}

QSqlRecord DmQuery::record(int index) const
{
    if (!m_open || index < 0 || index >= recordCount())
        throw AppError(QStringLiteral("查询 %1 没有第 %2 条记录。").arg(objectName()).arg(index + 1));
    return row(index);
}

const QSqlRecord& DmQuery::current() const
{
    if (!m_open)
        throw AppError(QStringLiteral("查询 %1 没有打开。").arg(objectName()));
    if (eof())
        throw AppError(QStringLiteral("查询 %1 没有当前记录。").arg(objectName()));
    return row(m_pos);
}

QVariant DmQuery::field(const QString& column) const
{
    const QSqlRecord& rec = current();
    const int i = rec.indexOf(column);
    if (i < 0)
        throw AppError(QStringLiteral("查询 %1 的结果中没有字段 \"%2\"。").arg(objectName(), column));
    return rec.value(i);
}

QString DmQuery::fieldText(const QString& column) const
{
    const QVariant v = field(column);
    return v.isNull() ? QString() : v.toString();
}

int DmQuery::fieldInt(const QString& column) const
{
    const QVariant v = field(column);
    return v.isNull() ? 0 : v.toInt();
}

bool DmQuery::fieldBool(const QString& column) const
{
    const QVariant v = field(column);
    return !v.isNull() && v.toInt() != 0;
}

void DmQuery::writeCurrentRow(Stmt id, const QVariantList& values, const QString& column, const QVariant& value)
{
    current(); // a row to show the value on, before anything is written
    if (m_dm->inTransaction()) {
        m_dm->beforeWrite();
        runStatement(m_dm, objectName(), id, values, false, nullptr);
    } else {
        m_dm->transaction([&] { runStatement(m_dm, objectName(), id, values, false, nullptr); });
    }
    // The result row shows the value now stored.
    QSqlRecord& stored = const_cast<QSqlRecord&>(row(m_pos));
    stored.setValue(column, value);
    const int index = stored.indexOf(column);
    emit m_model.dataChanged(m_model.index(int(m_pos), index), m_model.index(int(m_pos), index));
}

} // namespace Zt_typro
