#include "store/ServerBackend.h"

#include "common/Error.h"
#include "store/Schema.h"
#include "store/SharedStore.h"
#include "store/StoreLog.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace Zt_typro
{

ServerBackend::ServerBackend(const QString& connection, const QString& user, const QString& password)
    : m_connection(connection.trimmed()),
      m_user(user),
      m_password(password)
{
}

void ServerBackend::open(const QString& connectionName)
{
    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid())
        throw AppError(ServerDriverMissingText());
    ConfigureServerDatabase(db, m_connection, m_user, m_password);
    if (!db.open())
        throw AppError(SignInFailureText(m_connection, m_user, db.lastError().text()));
    try {
        if (!HasSharedRegister(db))
            throw AppError(NoSharedRegisterText(m_connection));
        const SharedRights rights = ReadSharedRights(db);
        // Any login role of the server may connect; only the program's operators sign in.
        if (!rights.member)
            throw AppError(QStringLiteral("“%1”不是本程序的操作员: 它不属于 quillmate_cashier、quillmate_auditor、"
                                          "quillmate_admin 中的任何一个角色。请数据库管理员把它加入其中一个。")
                               .arg(m_user));
        // Read once the role is known to be one of the program's: others may not read it.
        const int version = SharedSchemaVersion(db);
        if (version == 0)
            throw AppError(NoSharedRegisterText(m_connection));
        if (version > kSchemaVersion)
            throw AppError(QStringLiteral("共享登记簿的结构版本是 %1，本程序只认识到版本 %2: 它是由较新的程序建立的。"
                                          "请使用较新的程序。")
                               .arg(version)
                               .arg(kSchemaVersion));
        // An older register is upgraded once, by its owner, never half-used by an operator.
        if (version < kSchemaVersion)
            throw AppError(OlderSharedRegisterText(m_connection, version));
        m_rights = TD_M::Rights{rights.print, rights.layouts, rights.voiding};
    } catch (...) {
        db.close();
        throw;
    }
    m_lost = false;
    qCDebug(lcDm) << "shared register opened:" << m_connection << "as" << m_user;
}

void ServerBackend::noteFailure(const QSqlError& error)
{
    // A connection the server closed (restarted, or the network went) is opened again next time.
    if ((error.type() == QSqlError::ConnectionError ||
         ClassifySignInFailure(error.text()) == SignInFailure::Unreachable ||
         error.text().contains(QLatin1String("no connection to the server")) ||
         error.text().contains(QLatin1String("terminating connection"))))
        m_lost = true;
}

QString ServerBackend::statementFailureText(Stmt id, const QSqlError& error, const QString& general)
{
    const QString name = StatementName(id);
    // SQLSTATE 42501: the server refused the operator a right it keeps.
    if (error.nativeErrorCode() == QLatin1String("42501") && id == Stmt::E1 &&
        error.text().contains(QStringLiteral("作废")))
        return QStringLiteral("共享服务器拒绝了这项操作: 只有 quillmate_admin 角色的操作员可以作废支票，"
                              "操作员 %1 不是。")
            .arg(m_user);
    if (error.nativeErrorCode() == QLatin1String("42501"))
        return QStringLiteral("共享服务器拒绝了这项操作 (语句 %1): 操作员 %2 没有%3。\n%4\n"
                              "如需这项权限，请数据库管理员把操作员加入相应的角色。")
            .arg(name, m_user, MissingRightText(StatementText(id, Dialect::Server)), error.text().trimmed());
    noteFailure(error);
    return general;
}

QString ServerBackend::changeText(bool* replaced) const
{
    // The server's database is never replaced under a connection.
    *replaced = false;
    return {};
}

QString ServerBackend::begin(const QString& connectionName)
{
    // The server orders concurrent writers itself, row by row.
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.transaction())
        return {};
    const QSqlError error = db.lastError();
    noteFailure(error);
    return error.text();
}

void ServerBackend::checkMayBeReplaced() const
{
    throw AppError(QStringLiteral("共享服务器上的登记簿不能由本程序替换，请由服务器的管理员恢复。"));
}

TD_M::Rights ServerBackend::rights(TD_M& dm)
{
    dm.ensureConnected();
    return m_rights;
}

QString ServerBackend::whereText() const
{
    return QStringLiteral("共享服务器: %1 (操作员 %2)").arg(m_connection, m_user);
}

} // namespace Zt_typro
