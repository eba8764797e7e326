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

class QSqlDatabase;
class QSqlError;
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
    explicit QueryCloser(DmQuery& query) : m_query(query) {}
    ~QueryCloser() { m_query.close(); }
    QueryCloser(const QueryCloser&) = delete;
    QueryCloser& operator=(const QueryCloser&) = delete;

private:
    DmQuery& m_query;
};

} // namespace Zt_typro

/// The data module: one connection to the database file "pjzp.pdp" in the current working
/// directory, opened by the first query that runs, and its named queries.
class TD_M : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TD_M)
public:
    explicit TD_M(QObject* parent = nullptr);
    ~TD_M() override;

    Zt_typro::DmQuery* ADOQ_skr_zpbj;
    Zt_typro::DmQuery* ADOQ_skr_zpcx;
    Zt_typro::DmQuery* ADOQ_skr_pzbj;
    Zt_typro::DmQuery* ADOQ_skr;
    Zt_typro::DmQuery* ADOQ_skrxx;
    Zt_typro::DmQuery* ADOQ_skr_up;
    Zt_typro::DmQuery* ADOQ_zp_up;
    Zt_typro::DmQuery* ADOQ_zpcx;
    Zt_typro::DmQuery* ADOQ_zb;
    Zt_typro::DmQuery* ADOQ_zb_pz;
    Zt_typro::DmQuery* ADOQ_zb_up;
    Zt_typro::DmQuery* ADOQ_zpdyxz;
    Zt_typro::DmQuery* ADOQ_pzdyxz;
    // A cheque's history: read, and events added.
    Zt_typro::DmQuery* ADOQ_zpls;
    Zt_typro::DmQuery* ADOQ_zpls_up;

    /// Where the register is kept: the local file "pjzp.pdp" (the default) or a shared server.
    /// Either closes the connection; the next query opens the one chosen.
    void useLocalFile();
    /// The shared server at connection (a libpq connection text or a service name, see
    /// ServerConnectOptions), signed in as the database role user with password (kept in memory
    /// only, for this run of the program).
    void useSharedServer(const QString& connection, const QString& user, const QString& password);
    bool isShared() const { return m_shared; }
    Zt_typro::Dialect dialect() const { return m_shared ? Zt_typro::Dialect::Server : Zt_typro::Dialect::File; }
    /// The shared server's connection text and the operator signed in to it (empty for the file).
    QString sharedConnection() const { return m_shared ? m_serverConnection : QString(); }
    QString sharedUser() const { return m_shared ? m_serverUser : QString(); }
    /// The password the operator signed in with; for the server's own tools (pg_dump) only.
    QString sharedPassword() const { return m_shared ? m_serverPassword : QString(); }

    /// What the one signed in may do. Everything with the local file; on the shared server what
    /// the operator's database role allows (read when the connection opens).
    struct Rights
    {
        bool print = true;   // print cheques and vouchers, add payees, reprint
        bool layouts = true; // change the print layouts
        bool voiding = true; // void a cheque
    };
    /// The rights of the open connection (opens it when needed). Throws AppError as ensureConnected.
    Rights rights();

    /// The operator the history names: on the shared server the role signed in, else the user
    /// logged in to the system.
    QString operatorName() const;

    /// The database file this module works on (absolute); on the shared server the connection
    /// text, for messages.
    QString databasePath() const;
    /// What the register is, for messages: "数据库文件: <file>" or "共享服务器: <connection>".
    QString whereText() const;
    /// True once the connection has been opened.
    bool isConnected() const { return m_connected; }
    /// The name of the Qt SQL connection.
    QString connectionName() const { return m_connectionName; }

    /// Opens the connection when it is not open yet: creates a missing database file with its
    /// schema and initial layout rows (atomically), and refuses a file that is not a database of
    /// this program. Throws AppError naming the file on any failure; the connection then stays
    /// closed and the next query tries again.
    void ensureConnected();

    /// Closes every query (their grids show no rows) and the connection; the next query opens
    /// it again. Used to replace the database file while the program runs. Not inside transaction().
    void closeConnection();

    /// Makes sure the file at the database's path is still the file the connection has open.
    /// Another program may move the file away or put another file in its place (by renaming)
    /// while this one runs; the open connection would then go on reading the old file (SQLite
    /// refuses to write it, as a "readonly database", until the program is restarted).
    /// Throws AppError saying what happened; a replaced file is let go of (the connection
    /// closes, the next query opens the file now there), a missing one is not replaced by a new
    /// empty database. Does nothing before the first connection.
    void checkFileUnchanged();

    /// Called before each write (an execute, a row edit, a transaction): checks the file with
    /// checkFileUnchanged, then, outside a transaction, runs the before-write hook (start-up
    /// installs the day's automatic backup there). A hook that fails does not stop the write, but
    /// when the hook found the file replaced (and let go of it) the write is refused.
    void beforeWrite();

    /// Installs the hook run by beforeWrite outside a transaction (replacing any earlier one);
    /// an empty function removes it. It may throw AppError.
    void setBeforeWriteHook(std::function<void(TD_M&)> hook) { m_beforeWriteHook = std::move(hook); }

    /// Runs body as one transaction: everything it wrote is stored, or, when it throws,
    /// nothing is (the error goes on to the caller). The transaction takes the database's write
    /// lock at its start (another program's writes wait for it, up to five seconds) and then
    /// makes sure the file is still the one the connection has open. A single execute() or
    /// row edit outside a transaction runs as a transaction of its own; a transaction() inside
    /// another is part of the outer one.
    template <typename F>
    void transaction(F&& body)
    {
        // Inside a transaction, a transaction is part of it.
        if (m_inTransaction) {
            body();
            return;
        }
        beginTransaction();
        try {
            body();
        } catch (...) {
            rollbackTransaction();
            throw;
        }
        commitTransaction();
    }

    /// True inside transaction().
    bool inTransaction() const { return m_inTransaction; }

    /// Runs body while this connection holds the database's write lock, without writing
    /// anything itself: no other program can write the file meanwhile (its writes wait, and
    /// when the file has been replaced by then they find it so and write nothing). A restore
    /// copies the file and renames another one into its place here. Not inside transaction().
    /// Throws AppError when the lock cannot be had, or what body throws.
    void holdingWriteLock(const std::function<void()>& body);

    /// The message for a database failure: what failed, the driver's text and the file.
    QString failureText(const QString& what, const QString& driverText) const;
    /// The message for a statement the database refused: on the shared server a refused right
    /// says which right of which table the operator is missing. A connection the server has
    /// closed is opened again by the next query.
    QString statementFailureText(Zt_typro::Stmt id, const QSqlError& error);

signals:
    /// The connection was closed because another file had taken the database's place (see
    /// checkFileUnchanged): what was read from the old file is out of date.
    void replacedFileLetGo();
    /// The before-write hook failed with message (the day's backup was not made); the write
    /// goes on. For the operator to be told.
    void beforeWriteHookFailed(const QString& message);

private:
    void beginTransaction();
    void takeWriteLock();
    void commitTransaction();
    void rollbackTransaction();
    void connectServer();
    void noteLostServer(const QSqlError& error);
    void createDatabaseFile(const QString& path);
    void checkDatabaseFile(const QString& path);
    void bringSchemaUpToDate(QSqlDatabase& db, const QString& path);
    /// Copies an older file, before it is upgraded, to "backup/pjzp-升级前-版本N-<date>-<time>.pdp"
    /// beside it (owner only). Throws AppError, the file unchanged and closed, when it cannot.
    QString copyBeforeUpgrade(QSqlDatabase& db, const QString& path, int version);
    void letGoOfReplacedFile();
    enum class FileState { Same, Missing, Replaced };
    FileState fileState() const;
    QString fileChangeText(FileState state) const;

    QString m_connectionName;
    quint64 m_fileDevice = 0;
    quint64 m_fileInode = 0;
    QString m_path;
    bool m_connected = false;
    bool m_inTransaction = false;
    bool m_shared = false;
    bool m_serverLost = false; // the server closed the connection: opened again by the next query
    QString m_serverConnection;
    QString m_serverUser;
    QString m_serverPassword;
    Rights m_rights;
    std::function<void(TD_M&)> m_beforeWriteHook;
};

/// The data module of the running program (created and destroyed by the shell).
extern TD_M* D_M;

namespace Zt_typro
{
/// The data module of the running program; throws AppError when it has not been created.
TD_M& RequireDataModule();
} // namespace Zt_typro
