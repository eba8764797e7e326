#pragma once

#include "store/StoreBackend.h"

#include <QString>

#include <memory>

namespace Zt_typro
{

class LockWatch;

/// The shared register on a PostgreSQL server, signed in as an operator (a database role) whose
/// rights are read when the connection opens. The server keeps its own copies and orders
/// concurrent writers itself; a connection the server dropped is opened again by the next query.
class ServerBackend final : public StoreBackend
{
public:
    /// The server at connection (a libpq connection text or a service name), signed in as user
    /// with password (kept in memory only, for this run of the program).
    ServerBackend(const QString& connection, const QString& user, const QString& password);
    ~ServerBackend() override;

    Dialect dialect() const override { return Dialect::Server; }
    void open(const QString& connectionName) override;
    void closed() override;
    void statementRunning(bool running) override;
    bool wantsReopen() const override { return m_lost; }
    QString changeText(bool* replaced) const override;
    QString begin(const QString& connectionName) override;
    bool takesDailyCopy() const override { return false; }
    void checkMayBeReplaced() const override;
    TD_M::Rights rights(TD_M& dm) override;
    QString operatorName() const override { return m_user; }
    QString databasePath() const override { return m_connection; }
    QString whereText() const override;
    QString serverConnection() const override { return m_connection; }
    QString serverUser() const override { return m_user; }
    QString serverPassword() const override { return m_password; }
    QString statementFailureText(Stmt id, const QSqlError& error, const QString& general) override;
    void noteFailure(const QSqlError& error) override;

private:
    QString m_connection;
    QString m_user;
    QString m_password;
    TD_M::Rights m_rights;
    bool m_lost = false; // the server closed the connection: opened again by the next query
    int m_pid = 0;       // the server's process of this session
    double m_lockSeconds = 0;
    double m_statementSeconds = 0;
    std::unique_ptr<LockWatch> m_watch; // who blocks a statement that waits

    /// Who holds what this session waited for, as the operator reads it; empty when not found.
    QString lockHoldersText() const;
};

} // namespace Zt_typro
