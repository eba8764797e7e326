#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Zt_typro
{

/// A database of its own on the tests' PostgreSQL cluster (CTest fixture pg), dropped at the end,
/// set up by the program's own set-up (InitSharedRegister) unless asked not to, with one operator
/// of each role. Operators are roles of the whole cluster: their names carry the database's, so
/// tests running at the same time never share one.
class SharedRegisterFixture
{
public:
    explicit SharedRegisterFixture(bool initialise = true);
    ~SharedRegisterFixture();
    SharedRegisterFixture(const SharedRegisterFixture&) = delete;
    SharedRegisterFixture& operator=(const SharedRegisterFixture&) = delete;

    /// Empty when the database is ready, else what went wrong.
    QString error() const { return m_error; }

    /// The connection an operator's computer is given: "host=<socket folder> dbname=<database>".
    QString connection() const;
    /// The same, signed in as the cluster's superuser (the register's owner).
    QString ownerConnection() const;
    QString databaseName() const { return m_database; }

    QString cashier() const { return m_database + QStringLiteral("_cashier"); }
    QString auditor() const { return m_database + QStringLiteral("_auditor"); }
    QString admin() const { return m_database + QStringLiteral("_admin"); }
    /// The password of each operator.
    static QString password(const QString& user) { return user + QStringLiteral("-pw"); }

    /// Runs sql as the owner; returns the first column of the first row (invalid when none).
    /// Fails the running test with the server's text when the statement fails.
    QVariant ownerValue(const QString& sql);
    /// A role of the cluster made by the test, dropped with the database.
    void dropRoleAtEnd(const QString& role) { m_roles << role; }

    /// Runs sql as the owner; false (and the server's text in *why) when it fails.
    bool ownerExec(const QString& sql, QString* why = nullptr);

private:
    QSqlDatabase owner(const QString& database);
    QString m_database;
    QString m_error;
    QString m_ownerName;
    QStringList m_roles;
};

} // namespace Zt_typro
