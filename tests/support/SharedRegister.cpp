#include "tests/support/SharedRegister.h"

#include "common/Error.h"
#include "store/SharedStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

namespace Zt_typro
{
namespace
{
QString host()
{
    return qEnvironmentVariable("QUILLMATE_PG_HOST");
}

QString superuser()
{
    return qEnvironmentVariable("QUILLMATE_PG_SUPERUSER");
}
} // namespace

SharedRegisterFixture::SharedRegisterFixture(bool initialise)
    : m_database(QStringLiteral("qm_") + QUuid::createUuid().toString(QUuid::Id128).left(12)),
      m_ownerName(QStringLiteral("fixture-owner-") + m_database)
{
    if (host().isEmpty()) {
        m_error = QStringLiteral("no cluster given (CTest fixture pg)");
        return;
    }
    {
        QSqlDatabase server = owner(QStringLiteral("postgres"));
        QSqlQuery q(server);
        if (!server.isOpen() || !q.exec(QStringLiteral("CREATE DATABASE %1").arg(m_database)))
            m_error = server.isOpen() ? q.lastError().text() : server.lastError().text();
        q.finish();
        server.close();
    }
    QSqlDatabase::removeDatabase(m_ownerName + QStringLiteral("-postgres"));
    if (!m_error.isEmpty())
        return;
    if (initialise) {
        try {
            InitSharedRegister(ownerConnection(), [](const QString&) {});
        } catch (const AppError& e) {
            m_error = e.message();
            return;
        }
        const struct
        {
            QString user;
            const char* role;
        } operators[] = {{cashier(), kCashierRole}, {auditor(), kAuditorRole}, {admin(), kAdminRole}};
        for (const auto& op : operators) {
            QString why;
            if (!ownerExec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2' IN ROLE %3")
                               .arg(op.user, password(op.user), QLatin1String(op.role)),
                           &why)) {
                m_error = why;
                return;
            }
        }
    }
}

SharedRegisterFixture::~SharedRegisterFixture()
{
    if (QSqlDatabase::contains(m_ownerName)) {
        QSqlDatabase::database(m_ownerName, false).close();
        QSqlDatabase::removeDatabase(m_ownerName);
    }
    if (host().isEmpty())
        return;
    {
        QSqlDatabase server = owner(QStringLiteral("postgres"));
        QSqlQuery q(server);
        q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database));
        for (const QString& user : QStringList{cashier(), auditor(), admin()} + m_roles)
            q.exec(QStringLiteral("DROP ROLE IF EXISTS %1").arg(user));
        q.finish();
        server.close();
    }
    QSqlDatabase::removeDatabase(m_ownerName + QStringLiteral("-postgres"));
}

QString SharedRegisterFixture::connection() const
{
    return QStringLiteral("host=%1 dbname=%2").arg(host(), m_database);
}

QString SharedRegisterFixture::ownerConnection() const
{
    return connection() + QStringLiteral(" user=") + superuser();
}

QSqlDatabase SharedRegisterFixture::owner(const QString& database)
{
    const QString name = database == m_database ? m_ownerName : m_ownerName + QLatin1Char('-') + database;
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            return db;
        db.open();
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(host());
    db.setDatabaseName(database);
    db.setUserName(superuser());
    db.open();
    return db;
}

bool SharedRegisterFixture::ownerExec(const QString& sql, QString* why)
{
    QSqlDatabase db = owner(m_database);
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    if (why)
        *why = db.isOpen() ? q.lastError().text() : db.lastError().text();
    return false;
}

QVariant SharedRegisterFixture::ownerValue(const QString& sql)
{
    QSqlDatabase db = owner(m_database);
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        QTest::qFail(qPrintable(sql + QStringLiteral(": ") + q.lastError().text()), __FILE__, __LINE__);
        return {};
    }
    return q.next() ? q.value(0) : QVariant();
}

} // namespace Zt_typro
