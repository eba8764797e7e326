#pragma once

#include "store/Catalogue.h"
#include "store/Query.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QSqlDatabase;
class QSqlError;

namespace Zt_typro
{
class StoreBackend;
}

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
    bool isShared() const;
    Zt_typro::Dialect dialect() const;
    /// The shared server's connection text and the operator signed in to it (empty for the file).
    QString sharedConnection() const;
    QString sharedUser() const;
    /// The password the operator signed in with; for the server's own tools (pg_dump) only.
    QString sharedPassword() const;

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
    /// Tells the store that a statement is running on the connection (true) or has come back.
    void statementRunning(bool running);

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
    void letGoOfReplacedFile();

    QString m_connectionName;
    bool m_connected = false;
    bool m_inTransaction = false;
    // The store chosen by useLocalFile / useSharedServer: all that differs between the two.
    std::unique_ptr<Zt_typro::StoreBackend> m_backend;
    std::function<void(TD_M&)> m_beforeWriteHook;
};

/// The data module of the running program (created and destroyed by the shell).
extern TD_M* D_M;

namespace Zt_typro
{
/// The data module of the running program; throws AppError when it has not been created.
TD_M& RequireDataModule();
} // namespace Zt_typro
