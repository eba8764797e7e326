#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <functional>

namespace Zt_typro
{

// The shared register: the same tables as the local file (each with its row key rowid) on a
// PostgreSQL server, reached through Qt's QPSQL driver. The server keeps the rights: the roles
// quillmate_cashier, quillmate_auditor and quillmate_admin, of which each operator (a login role)
// is a member, and the history of each cheque, stamped by the server with the operator signed in
// (session_user) and the server's time.

// The shared register's schema version is the file's (kSchemaVersion, store/Schema.h), kept in
// its table quillmate_schema. Version 1, the first shared register, holds the tables of the
// file's version 2.

inline constexpr char kCashierRole[] = "quillmate_cashier";
inline constexpr char kAuditorRole[] = "quillmate_auditor";
inline constexpr char kAdminRole[] = "quillmate_admin";

/// Sets db (a QPSQL connection, not open) to reach the server at connection: a libpq connection
/// text of key=value pairs ("host=db.example dbname=quillmate") without a password, or the name
/// of a service of pg_service.conf. A user given here (an operator signing in) takes the place of
/// any in the connection, with the password typed; without one, libpq's own defaults and
/// ".pgpass" apply. Throws AppError, in words an operator understands, for an empty connection,
/// one with a password, a URI, or a text libpq cannot read.
///
/// An operator's session (session Operator: the program's own connection once signed in) waits
/// for another session's lock at most kOperatorLockTimeout and lets a statement run at most
/// kOperatorStatementTimeout, unless the connection says otherwise in libpq's own way, e.g.
/// "host=db.office dbname=quillmate options='-c lock_timeout=10s -c statement_timeout=60s'" (or
/// PGOPTIONS when the connection has no options).
enum class ServerSession
{
    Plain,
    Operator,
};
inline constexpr char kOperatorLockTimeout[] = "5s";
inline constexpr char kOperatorStatementTimeout[] = "15s";
void ConfigureServerDatabase(QSqlDatabase& db, const QString& connection, const QString& user = {},
                             const QString& password = {}, ServerSession session = ServerSession::Plain);

/// The connection text checked as ConfigureServerDatabase does: empty when it may be used, else
/// why not.
QString ConnectionProblem(const QString& connection);

/// Why signing in failed, from the driver's text.
enum class SignInFailure
{
    WrongLogin,  // no such role, or a wrong or missing password
    Unreachable, // no server answering there
    NoDatabase,  // the server has no database of that name
    Other,
};
SignInFailure ClassifySignInFailure(const QString& driverText);

/// The operator's message for a failed sign-in as user (may be empty) at connection.
QString SignInFailureText(const QString& connection, const QString& user, const QString& driverText);

/// The message for a shared register of an older schema version, which its owner upgrades with
/// --init-shared before operators sign in.
QString OlderSharedRegisterText(const QString& connection, int version);

/// The statements that bring the shared register of version from to from + 1, run by
/// InitSharedRegister in its one transaction; empty for a step that only changes the number.
QStringList SharedUpgradeStatements(int from);

/// The message for a server database without the program's register.
QString NoSharedRegisterText(const QString& connection);

/// A connection of its own to the shared server, signed in, closed when it goes. Throws AppError
/// (SignInFailureText) when it cannot be opened.
class ServerConnection
{
public:
    ServerConnection(const QString& connection, const QString& user = {}, const QString& password = {});
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;
    QSqlDatabase database() const;
    /// Runs sql (no values); throws AppError with what and the server's text when it fails.
    void exec(const QString& sql, const QString& what);
    /// The first column of the first row of sql; throws AppError as exec.
    QVariant value(const QString& sql, const QString& what);

private:
    QString m_name;
    QString m_connection;
};

/// Whether the database db is connected to holds the shared register (a question any role may ask).
/// Throws AppError when it cannot be asked.
bool HasSharedRegister(QSqlDatabase db);
/// The schema version of the shared register db is connected to, or 0 when the database has
/// none. Throws AppError when it cannot be read.
int SharedSchemaVersion(QSqlDatabase db);

/// The server's text of error, for a message.
QString ServerErrorText(const QSqlError& error);

/// The message for a computer without Qt's PostgreSQL driver.
QString ServerDriverMissingText();

/// What a role may do, as read from the server for the one signed in (session_user).
struct SharedRights
{
    bool member = false; // in one of the program's roles (or the register's owner)
    bool print = false;
    bool layouts = false;
    bool voiding = false;
};
SharedRights ReadSharedRights(QSqlDatabase db);

/// Sets up the shared register in the database connection reaches, as its owner: the roles, the
/// tables with their rights, the history's stamp and the initial layout rows, with the schema's
/// version. Safe to run again: what is there is kept. A register of an older version is upgraded,
/// in the same one transaction. say is told what is done. Throws AppError.
void InitSharedRegister(const QString& connection, const std::function<void(const QString&)>& say);

/// What a move into the shared register copied.
struct MigrationCounts
{
    qint64 payees = 0;
    qint64 cheques = 0;
    qint64 events = 0;
    qint64 layoutRows = 0;
    // Events carried with their operator marked (kBeforeMoveMark): dated after the move or with
    // no readable time, and events by a role of the server that could not make them (a void by
    // no administrator, anything by a role that does not print).
    qint64 eventsLater = 0;
    qint64 roleCouldNot = 0;
};

/// What a moved-in event whose operator or time the server cannot vouch for has in front of its
/// operator ("迁移前记录:wang").
inline constexpr char kBeforeMoveMark[] = "迁移前记录:";

/// Copies the register of the local database file open on file (of the current schema) into the
/// empty shared register at connection, in one transaction: payees, cheques with their history
/// (operators and times as they were) and the layouts, every row key kept. The counts on the
/// server are checked against the file's before the transaction commits. Events the server cannot
/// vouch for are carried with their operator marked (MigrationCounts). A shared register that
/// holds any cheque, payee or history is refused with nothing changed. say is told the progress
/// and what was carried as it was and what marked.
/// Throws AppError.
MigrationCounts MigrateToShared(QSqlDatabase file, const QString& connection,
                                const std::function<void(const QString&)>& say);

/// "测试连接": tries connection without an operator (libpq's defaults and .pgpass). Returns
/// true with what was found when the server answers (also when it wants an operator and a
/// password), false with the reason when it does not or has no register.
bool TestSharedConnection(const QString& connection, QString* message);

/// The right a refused statement needed, as the operator reads it: "数据表 zp 的添加 (INSERT) 权限".
QString MissingRightText(const QString& sql);

/// Writes the server's own dump of the shared register (pg_dump, custom format) to target,
/// signed in as user with password. Throws AppError with pg_dump's message when it fails; a
/// half-written file is removed.
void DumpSharedRegister(const QString& connection, const QString& user, const QString& password, const QString& target);

} // namespace Zt_typro
