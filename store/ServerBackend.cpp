#include "store/ServerBackend.h"

#include "common/Error.h"
#include "store/Schema.h"
#include "store/SharedStore.h"
#include "store/StoreLog.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace Zt_typro
{

// While a statement of the operator's session runs past a moment, a thread of its own asks the
// server, on a connection of its own, which sessions block it (pg_blocking_pids, through the
// register's function quillmate_lock_blockers) and keeps the answer: once the lock timeout has
// ended the wait, nothing blocks the session any more and the answer would be lost.
class LockWatch
{
public:
    LockWatch(const QString& connection, const QString& user, const QString& password, int pid, double lockSeconds)
        : m_connection(connection),
          m_user(user),
          m_password(password),
          m_pid(pid),
          m_after(std::chrono::milliseconds(qBound(100, int(lockSeconds * 250), 1000))),
          m_thread([this] { run(); })
    {
    }
    ~LockWatch()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    LockWatch(const LockWatch&) = delete;
    LockWatch& operator=(const LockWatch&) = delete;

    void running(bool on)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_running = on;
            if (on) {
                ++m_statement;
                m_found.clear();
                m_askAt = std::chrono::steady_clock::now() + m_after;
            }
        }
        m_changed.notify_all();
    }

    /// Who blocked the last statement while it ran; empty when nobody was found.
    QString found() const
    {
        const std::lock_guard lock(m_mutex);
        return m_found;
    }

    /// The sessions of rows (operator, client address, since) as the operator reads them.
    static QString HoldersText(QSqlQuery& q)
    {
        QStringList holders;
        while (q.next()) {
            const QString client = q.value(1).toString();
            const QString since = q.value(2).toString();
            holders << QStringLiteral("操作员 %1 (%2)，%3")
                           .arg(q.value(0).toString(),
                                client.isEmpty() ? QStringLiteral("服务器本机") : QStringLiteral("来自 ") + client,
                                since.isEmpty() ? QStringLiteral("开始时间不明")
                                                : QStringLiteral("自 %1 起").arg(since));
        }
        return holders.join(QStringLiteral("；"));
    }

private:
    void run()
    {
        const QString name = QStringLiteral("quillmate-lockwatch-") + QString::number(quintptr(this), 16);
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            m_changed.wait(lock, [this] { return m_stop || m_running; });
            if (m_stop)
                break;
            const quint64 statement = m_statement;
            // Asked again and again while the statement runs: what blocks it may change.
            if (m_changed.wait_until(lock, m_askAt, [&] { return m_stop || !m_running || m_statement != statement; }))
                continue;
            lock.unlock();
            const QString holders = ask(name);
            lock.lock();
            if (m_statement == statement && !holders.isEmpty())
                m_found = holders;
            m_askAt = std::chrono::steady_clock::now() + m_after;
        }
        lock.unlock();
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }

    // Opened for the question and closed again: the program keeps one connection to the server
    // but while a statement of it is slow.
    QString ask(const QString& name)
    {
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        try {
            ConfigureServerDatabase(db, m_connection, m_user, m_password);
        } catch (const AppError&) {
            return {};
        }
        if (!db.open())
            return {};
        QString holders;
        {
            QSqlQuery q(db);
            if (q.prepare(QStringLiteral("SELECT operator, client, since FROM quillmate_lock_blockers(?)"))) {
                q.addBindValue(m_pid);
                if (q.exec())
                    holders = HoldersText(q);
            }
        }
        db.close();
        return holders;
    }

    const QString m_connection;
    const QString m_user;
    const QString m_password;
    const int m_pid;
    const std::chrono::milliseconds m_after;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    bool m_running = false;
    quint64 m_statement = 0;
    std::chrono::steady_clock::time_point m_askAt;
    QString m_found;
    std::thread m_thread; // last: started once everything above is ready
};

ServerBackend::~ServerBackend() = default;

void ServerBackend::closed()
{
    m_watch.reset();
}

void ServerBackend::statementRunning(bool running)
{
    if (m_watch)
        m_watch->running(running);
}

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
    ConfigureServerDatabase(db, m_connection, m_user, m_password, ServerSession::Operator);
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
        // A register set up by an older program, not yet set up again by its owner, lacks the
        // functions every write goes through.
        QSqlQuery q(db);
        // Each statement sees what others committed before it: a cheque's number looked up after
        // its lock was had finds the cheque another clerk stored meanwhile, whatever isolation
        // the server's administrator made the default.
        if (!q.exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL READ COMMITTED")))
            throw AppError(QStringLiteral("无法设置共享服务器的连接: %1").arg(ServerErrorText(q.lastError())));
        if (!q.exec(QStringLiteral(
                "SELECT pg_backend_pid(), extract(epoch FROM current_setting('lock_timeout')::interval),"
                " extract(epoch FROM current_setting('statement_timeout')::interval),"
                " to_regprocedure('quillmate_add_cheque(text, text, text, text, text, text, text, text, text, text)')"
                "  IS NOT NULL AND to_regprocedure('quillmate_lock_holders(integer, interval)') IS NOT NULL"
                "  AND to_regprocedure('quillmate_set_payee_account(text, text, text)') IS NOT NULL"
                "  AND to_regprocedure('quillmate_lock_blockers(integer)') IS NOT NULL")) ||
            !q.next())
            throw AppError(QStringLiteral("无法读取共享服务器的连接设置: %1").arg(ServerErrorText(q.lastError())));
        m_pid = q.value(0).toInt();
        m_lockSeconds = q.value(1).toDouble();
        m_statementSeconds = q.value(2).toDouble();
        if (!q.value(3).toBool())
            throw AppError(QStringLiteral("共享服务器上的登记簿 (%1) 还没有本程序写入支票所用的服务器函数: "
                                          "它是由较早的程序建立的。请登记簿的所有者 (数据库管理员) 运行: "
                                          "quillmate --init-shared \"%1\"")
                               .arg(m_connection));
        m_rights = TD_M::Rights{rights.print, rights.layouts, rights.voiding};
        m_watch.reset();
        if (m_lockSeconds > 0)
            m_watch = std::make_unique<LockWatch>(m_connection, m_user, m_password, m_pid, m_lockSeconds);
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

namespace
{
// The server's own message of error, without its "ERROR:" and the lines after it.
QString serverMessage(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    text = text.left(text.indexOf(QLatin1Char('\n')) < 0 ? text.size() : text.indexOf(QLatin1Char('\n')));
    static const QRegularExpression level(QStringLiteral("^(ERROR|错误):\\s*"));
    return text.remove(level).trimmed();
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'g', 4);
}
} // namespace

QString ServerBackend::lockHoldersText() const
{
    // When the watch saw nothing (the wait was too short for it): asked on a connection of its own,
    // since this one's transaction has failed. The holder still holds what this session waited
    // for; the function names the sessions whose transaction has been open as long as this one
    // waited and that hold what a writer waits on.
    try {
        ServerConnection look(m_connection, m_user, m_password);
        QSqlQuery q(look.database());
        if (!q.prepare(QStringLiteral("SELECT operator, client, since FROM quillmate_lock_holders(?,"
                                      " make_interval(secs => ?))")))
            return {};
        q.addBindValue(m_pid);
        q.addBindValue(m_lockSeconds);
        if (!q.exec())
            return {};
        return LockWatch::HoldersText(q);
    } catch (const AppError& e) {
        qCDebug(lcDm) << "lock holders not found:" << e.message();
        return {};
    }
}

QString ServerBackend::statementFailureText(Stmt id, const QSqlError& error, const QString& general)
{
    const QString name = StatementName(id);
    const QString code = error.nativeErrorCode();
    // SQLSTATE 55P03: another session held what this one waited for longer than lock_timeout.
    if (code == QLatin1String("55P03")) {
        // Those seen blocking it while it waited; else those that could have.
        QString holders = m_watch ? m_watch->found() : QString();
        QString who = QStringLiteral("占用者: %1。");
        if (holders.isEmpty()) {
            // Not seen blocking it: those whose open transactions could have.
            holders = lockHoldersText();
            who = QStringLiteral("可能的占用者: %1。");
        }
        return QStringLiteral("共享服务器上，这项操作要用的数据正被另一个会话占用，等了 %1 秒仍未放开，"
                              "所以没有完成 (语句 %2)，这一步什么也没有保存。\n%3\n"
                              "请稍后再试；如果一直如此，请占用者做完手上的操作或关闭程序，或请数据库管理员处理。")
            .arg(secondsText(m_lockSeconds), name,
                 holders.isEmpty() ? QStringLiteral("占用者已经放开，或查不到是谁。") : who.arg(holders));
    }
    // SQLSTATE 57014: the statement ran past statement_timeout and the server stopped it.
    if (code == QLatin1String("57014"))
        return QStringLiteral("共享服务器在 %1 秒内没有做完这项操作 (语句 %2)，已经取消，这一步什么也没有保存。"
                              "请稍后再试；如果一直如此，请数据库管理员检查服务器。")
            .arg(secondsText(m_statementSeconds), name);
    // The register's functions refuse what the program would not do, in their own words.
    if ((id == Stmt::E1 || id == Stmt::Z1) &&
        (code == QLatin1String("55000") || code == QLatin1String("23503") || code == QLatin1String("23514")))
        return QStringLiteral("共享服务器拒绝了这项操作 (语句 %1): %2").arg(name, serverMessage(error));
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
