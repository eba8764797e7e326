#include "store/SharedStore.h"

#include "common/Error.h"
#include "store/SafeCopy.h"
#include "store/Schema.h"
#include "store/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

Q_LOGGING_CATEGORY(lcShared, "quillmate.shared")

namespace Zt_typro
{
namespace
{
const QString kServerDriver = QStringLiteral("QPSQL");

// One key=value pair of a libpq connection text.
struct ConnectionPair
{
    QString key;
    QString value;
};

QString passwordInConnectionText()
{
    return QStringLiteral("连接中不能写密码: 程序不保存、不显示、也不发送写在连接里的密码。"
                          "请在登录时输入密码，或把密码写在本机的 ~/.pgpass 文件中。");
}

// Reads a libpq connection text of key=value pairs (a value may be in single quotes, with \' and
// \\ inside). A single word without "=" is the name of a service. Returns the problem, or empty.
QString parseConnection(const QString& text, QList<ConnectionPair>* pairs)
{
    const QString t = text.trimmed();
    // Checked before anything else, so that no message ever repeats a password typed here: a key
    // password or sslpassword in any case, one inside a connection text or URI given as dbname
    // (libpq reads those too), a URI's user:password@ and its ?password=, percent-encoded or not.
    static const QRegularExpression password(QStringLiteral("password\\s*="),
                                             QRegularExpression::CaseInsensitiveOption);
    if (password.match(t).hasMatch() || password.match(QUrl::fromPercentEncoding(t.toUtf8())).hasMatch() ||
        t.contains(QLatin1Char('@')))
        return passwordInConnectionText();
    if (t.isEmpty())
        return QStringLiteral(
            "没有填写共享服务器的连接。请填写如 host=服务器 dbname=quillmate，或 pg_service.conf 中的服务名。");
    if (t.startsWith(QLatin1String("postgresql://")) || t.startsWith(QLatin1String("postgres://")))
        return QStringLiteral("请用 key=value 的写法填写连接，如 host=服务器 port=5432 dbname=quillmate。");
    if (!t.contains(QLatin1Char('='))) {
        static const QRegularExpression serviceName(QStringLiteral("^[A-Za-z0-9_.-]+$"));
        if (!serviceName.match(t).hasMatch())
            return QStringLiteral("连接 \"%1\" 既不是 key=value 的连接，也不是服务名。").arg(t);
        pairs->append({QStringLiteral("service"), t});
        return {};
    }
    qsizetype i = 0;
    const qsizetype n = t.size();
    while (i < n) {
        while (i < n && t.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        const qsizetype keyStart = i;
        while (i < n && (t.at(i).isLetterOrNumber() || t.at(i) == QLatin1Char('_')))
            ++i;
        const QString key = t.mid(keyStart, i - keyStart);
        while (i < n && t.at(i).isSpace())
            ++i;
        if (key.isEmpty() || i >= n || t.at(i) != QLatin1Char('='))
            return QStringLiteral("连接 \"%1\" 的第 %2 个字符附近看不懂: 应为 key=value。").arg(t).arg(keyStart + 1);
        ++i;
        while (i < n && t.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && t.at(i) == QLatin1Char('\'')) {
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = t.at(i++);
                if (c == QLatin1Char('\\') && i < n) {
                    value += t.at(i++);
                } else if (c == QLatin1Char('\'')) {
                    closed = true;
                    break;
                } else {
                    value += c;
                }
            }
            if (!closed)
                return QStringLiteral("连接 \"%1\" 中 %2 的值少了结尾的单引号。").arg(t, key);
        } else {
            while (i < n && !t.at(i).isSpace()) {
                if (t.at(i) == QLatin1Char('\\') && i + 1 < n)
                    ++i;
                value += t.at(i++);
            }
        }
        pairs->append({key.toLower(), value});
    }
    for (const ConnectionPair& p : *pairs) {
        if (p.key.contains(QLatin1String("password")))
            return passwordInConnectionText();
    }
    return {};
}

QString quoted(const QString& value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// Libpq's own messages in English, whatever the desktop's language: the program reads them to
// tell a wrong password from a server that is not there, and gives the operator its own words.
void englishLibpqMessages()
{
    if (qEnvironmentVariableIsEmpty("PGLOCALEDIR"))
        qputenv("PGLOCALEDIR", "/nonexistent-quillmate-no-translations");
}

const char* rightName(const QString& verb)
{
    if (verb == QLatin1String("insert"))
        return "添加 (INSERT)";
    if (verb == QLatin1String("update"))
        return "修改 (UPDATE)";
    if (verb == QLatin1String("delete"))
        return "删除 (DELETE)";
    return "读取 (SELECT)";
}
} // namespace

QString ConnectionProblem(const QString& connection)
{
    QList<ConnectionPair> pairs;
    return parseConnection(connection, &pairs);
}

namespace
{
// The libpq options for connection, without the user when one signs in by name. An operator's
// session waits for another session's lock and runs a statement only so long (the defaults
// below), unless the connection's own "options" (or PGOPTIONS) already set these.
QStringList connectionOptions(const QString& connection, const QString& user,
                              ServerSession session = ServerSession::Plain)
{
    QList<ConnectionPair> pairs;
    const QString problem = parseConnection(connection, &pairs);
    if (!problem.isEmpty())
        throw AppError(problem);
    englishLibpqMessages();
    QStringList options;
    bool timeout = false;
    QString serverOptions = qEnvironmentVariable("PGOPTIONS");
    for (const ConnectionPair& p : pairs) {
        // The operator signing in is the one typed, never one written in the connection.
        if (!user.isEmpty() && p.key == QLatin1String("user"))
            continue;
        if (session == ServerSession::Operator && p.key == QLatin1String("options")) {
            serverOptions = p.value;
            continue;
        }
        timeout = timeout || p.key == QLatin1String("connect_timeout");
        options << p.key + QLatin1Char('=') + quoted(p.value);
    }
    // A server that does not answer is reported in seconds, not after minutes.
    if (!timeout)
        options << QStringLiteral("connect_timeout=10");
    if (session == ServerSession::Operator) {
        for (const auto& [name, value] : {std::pair{"lock_timeout", kOperatorLockTimeout},
                                          std::pair{"statement_timeout", kOperatorStatementTimeout}}) {
            if (!serverOptions.contains(QLatin1String(name)))
                serverOptions += QStringLiteral(" -c %1=%2").arg(QLatin1String(name), QLatin1String(value));
        }
        options << QStringLiteral("options=") + quoted(serverOptions.trimmed());
    }
    options << QStringLiteral("application_name=quillmate");
    return options;
}
} // namespace

void ConfigureServerDatabase(QSqlDatabase& db, const QString& connection, const QString& user, const QString& password,
                             ServerSession session)
{
    // The driver reads ";" as a separator between options; libpq takes blanks.
    db.setConnectOptions(connectionOptions(connection, user, session).join(QLatin1Char(' ')));
    db.setUserName(user);
    db.setPassword(password);
}

SignInFailure ClassifySignInFailure(const QString& driverText)
{
    const QString t = driverText.toLower();
    if (t.contains(QLatin1String("password authentication failed")) ||
        t.contains(QLatin1String("no password supplied")) ||
        (t.contains(QLatin1String("role \"")) && t.contains(QLatin1String("does not exist"))) ||
        t.contains(QLatin1String("authentication failed")))
        return SignInFailure::WrongLogin;
    if (t.contains(QLatin1String("database \"")) && t.contains(QLatin1String("does not exist")))
        return SignInFailure::NoDatabase;
    // The server answered and refused (its rules for this computer, too many connections, ...).
    if (t.contains(QLatin1String("fatal:")) || driverText.contains(QStringLiteral("致命错误")))
        return SignInFailure::Other;
    for (const char* sign :
         {"could not connect", "connection refused", "no such file or directory", "could not translate host name",
          "timeout expired", "network is unreachable", "no route to host", "server closed the connection",
          "could not receive data", "could not send data"}) {
        if (t.contains(QLatin1String(sign)))
            return SignInFailure::Unreachable;
    }
    return SignInFailure::Other;
}

QString SignInFailureText(const QString& connection, const QString& user, const QString& driverText)
{
    const QString detail = driverText.trimmed();
    switch (ClassifySignInFailure(driverText)) {
    case SignInFailure::WrongLogin:
        return QStringLiteral("操作员或密码不对: 共享服务器没有接受操作员“%1”用这个密码登录。"
                              "请检查操作员名称和密码（区分大小写）。")
            .arg(user);
    case SignInFailure::Unreachable:
        return QStringLiteral("无法连接共享服务器 (%1)。请检查网络、服务器是否在运行，以及 系统设置 → 数据库设置 "
                              "中的连接。\n%2")
            .arg(connection.trimmed(), detail);
    case SignInFailure::NoDatabase:
        return QStringLiteral("共享服务器上没有连接中所写的数据库 (%1)。请检查 系统设置 → 数据库设置 中的连接。\n%2")
            .arg(connection.trimmed(), detail);
    case SignInFailure::Other:
        break;
    }
    return QStringLiteral("共享服务器 (%1) 拒绝了登录: %2").arg(connection.trimmed(), detail);
}

QString OlderSharedRegisterText(const QString& connection, int version)
{
    return QStringLiteral("共享服务器上的登记簿 (%1) 的结构版本是 %2，比本程序的版本 %3 旧，需要先升级。"
                          "请登记簿的所有者 (数据库管理员) 运行: quillmate --init-shared \"%1\"")
        .arg(connection.trimmed())
        .arg(version)
        .arg(kSchemaVersion);
}

QString NoSharedRegisterText(const QString& connection)
{
    return QStringLiteral("共享服务器上的这个数据库 (%1) 还没有本程序的登记簿。"
                          "请数据库管理员先运行: quillmate --init-shared \"%1\"")
        .arg(connection.trimmed());
}

ServerConnection::ServerConnection(const QString& connection, const QString& user, const QString& password)
    : m_name(QStringLiteral("quillmate-server-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      m_connection(connection)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(kServerDriver, m_name);
    try {
        if (!db.isValid())
            throw AppError(ServerDriverMissingText());
        ConfigureServerDatabase(db, connection, user, password);
        if (!db.open())
            throw AppError(SignInFailureText(connection, user, db.lastError().text()));
    } catch (...) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw;
    }
}

ServerConnection::~ServerConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase ServerConnection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void ServerConnection::exec(const QString& sql, const QString& what)
{
    QSqlQuery q(database());
    if (!q.exec(sql))
        throw AppError(QStringLiteral("%1失败: %2").arg(what, ServerErrorText(q.lastError())));
}

QVariant ServerConnection::value(const QString& sql, const QString& what)
{
    QSqlQuery q(database());
    if (!q.exec(sql))
        throw AppError(QStringLiteral("%1失败: %2").arg(what, ServerErrorText(q.lastError())));
    return q.next() ? q.value(0) : QVariant();
}

QString ServerErrorText(const QSqlError& error)
{
    return error.text().trimmed();
}

QString ServerDriverMissingText()
{
    return QStringLiteral("本机缺少 PostgreSQL 数据库驱动 (QPSQL，软件包 libqt6sql6-psql)。");
}

bool HasSharedRegister(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT to_regclass('quillmate_schema') IS NOT NULL")) || !q.next())
        throw AppError(QStringLiteral("无法读取共享登记簿的结构版本: %1").arg(ServerErrorText(q.lastError())));
    return q.value(0).toBool();
}

int SharedSchemaVersion(QSqlDatabase db)
{
    if (!HasSharedRegister(db))
        return 0;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT coalesce(max(version), 0) FROM quillmate_schema")) || !q.next())
        throw AppError(QStringLiteral("无法读取共享登记簿的结构版本: %1").arg(ServerErrorText(q.lastError())));
    return q.value(0).toInt();
}

SharedRights ReadSharedRights(QSqlDatabase db)
{
    // A role is in when it is a member of the program's role, or owns the register.
    QSqlQuery q(db);
    const QString sql = QStringLiteral(
        "SELECT"
        " pg_has_role(session_user, (SELECT tableowner FROM pg_tables WHERE tablename = 'zp'"
        "  AND schemaname = current_schema()), 'MEMBER') AS owner,"
        " coalesce((SELECT pg_has_role(session_user, oid, 'MEMBER') FROM pg_roles WHERE rolname = 'quillmate_cashier'),"
        "  false) AS cashier,"
        " coalesce((SELECT pg_has_role(session_user, oid, 'MEMBER') FROM pg_roles WHERE rolname = 'quillmate_admin'),"
        "  false) AS admin,"
        " coalesce((SELECT pg_has_role(session_user, oid, 'MEMBER') FROM pg_roles WHERE rolname = 'quillmate_auditor'),"
        "  false) AS auditor");
    if (!q.exec(sql) || !q.next())
        throw AppError(QStringLiteral("无法读取操作员的权限: %1").arg(ServerErrorText(q.lastError())));
    const bool owner = q.value(0).toBool();
    const bool cashier = q.value(1).toBool();
    const bool admin = q.value(2).toBool();
    SharedRights rights;
    rights.member = owner || cashier || admin || q.value(3).toBool();
    rights.print = owner || cashier || admin;
    rights.layouts = owner || admin;
    // As the server's stamp on the history allows it.
    rights.voiding = admin;
    return rights;
}

bool TestSharedConnection(const QString& connection, QString* message)
{
    const QString problem = ConnectionProblem(connection);
    if (!problem.isEmpty()) {
        *message = problem;
        return false;
    }
    const QString name = QStringLiteral("quillmate-probe-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kServerDriver, name);
        if (!db.isValid()) {
            *message = ServerDriverMissingText();
        } else {
            ConfigureServerDatabase(db, connection);
            if (!db.open()) {
                const QString text = db.lastError().text();
                // Without an operator the server may well refuse the sign-in: it answered, and
                // that is what was to be found out.
                ok = ClassifySignInFailure(text) == SignInFailure::WrongLogin;
                *message = ok ? QStringLiteral("服务器可以连接。登录时请填写操作员和密码。")
                              : SignInFailureText(connection, QString(), text);
            } else {
                try {
                    // A register an operator could not sign in to is no success.
                    const int version = SharedSchemaVersion(db);
                    ok = version == kSchemaVersion;
                    if (version == 0)
                        *message = NoSharedRegisterText(connection);
                    else if (version < kSchemaVersion)
                        *message = OlderSharedRegisterText(connection, version);
                    else if (version > kSchemaVersion)
                        *message = QStringLiteral(
                                       "共享登记簿的结构版本是 %1，本程序只认识到版本 %2: 它是由较新的程序建立的。"
                                       "请使用较新的程序。")
                                       .arg(version)
                                       .arg(kSchemaVersion);
                    else
                        *message = QStringLiteral("连接成功: 共享登记簿，结构版本 %1。").arg(version);
                } catch (const AppError& e) {
                    *message = e.message();
                }
                db.close();
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QString MissingRightText(const QString& sql)
{
    // The program's writes on the server are calls of the register's functions, each adding rows
    // to one table: the right is named as the table's.
    static const QRegularExpression call(QStringLiteral("^\\s*select\\s+quillmate_add_(cheque|event|payee)\\s*\\("),
                                         QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = call.match(sql); m.hasMatch()) {
        const QString what = m.captured(1).toLower();
        const QString table = what == QLatin1String("cheque")  ? QStringLiteral("zp")
                              : what == QLatin1String("event") ? QStringLiteral("zpls")
                                                               : QStringLiteral("skr");
        return QStringLiteral("数据表 %1 的%2 权限").arg(table, QString::fromUtf8(rightName(QStringLiteral("insert"))));
    }
    static const QRegularExpression shape(
        QStringLiteral(
            "^\\s*(?:(insert)\\s+into\\s+(\\w+)|(update)\\s+(\\w+)|(delete)\\s+from\\s+(\\w+)|select\\b.*?\\bfrom\\s+(\\w+))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = shape.match(sql);
    if (!m.hasMatch())
        return QStringLiteral("所需的权限");
    QString verb;
    QString table;
    for (int i = 1; i <= 5; i += 2) {
        if (!m.captured(i).isEmpty()) {
            verb = m.captured(i).toLower();
            table = m.captured(i + 1);
        }
    }
    if (verb.isEmpty())
        table = m.captured(7);
    return QStringLiteral("数据表 %1 的%2 权限").arg(table, QString::fromUtf8(rightName(verb)));
}

void DumpSharedRegister(const QString& connection, const QString& user, const QString& password, const QString& target)
{
    QStringList options = connectionOptions(connection, user);
    if (!user.isEmpty())
        options << QStringLiteral("user=") + quoted(user);
    // Written under a name of its own and renamed when whole: no half-written dump looks like one.
    SafeWrite(
        target, ExistingFile::Replace,
        [&](const QString& part) {
            // The dump is the owner's alone from its first byte: pg_dump writes into the part file
            // the safe copy made for the owner only (it keeps the mode of a file it finds), and
            // anything it makes itself is made so as well.
            QProcess dump;
#ifdef Q_OS_UNIX
            dump.setChildProcessModifier([] { ::umask(077); });
#endif
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            // The password goes to pg_dump alone, never to a file or its command line.
            if (!password.isEmpty())
                env.insert(QStringLiteral("PGPASSWORD"), password);
            env.insert(QStringLiteral("PGLOCALEDIR"), QStringLiteral("/nonexistent-quillmate-no-translations"));
            dump.setProcessEnvironment(env);
            dump.setProcessChannelMode(QProcess::SeparateChannels);
            dump.start(QStringLiteral("pg_dump"), {QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                                                   QStringLiteral("--file=") + part,
                                                   QStringLiteral("--dbname=") + options.join(QLatin1Char(' '))});
            const bool started = dump.waitForStarted(10000);
            if (started)
                dump.waitForFinished(-1);
            const QString output = QString::fromLocal8Bit(dump.readAllStandardError()).trimmed();
            if (!started)
                throw AppError(
                    QStringLiteral("无法运行 pg_dump (软件包 postgresql-client): %1").arg(dump.errorString()));
            if (dump.exitStatus() != QProcess::NormalExit || dump.exitCode() != 0)
                throw AppError(QStringLiteral("服务器备份 (pg_dump) 失败，没有写出备份文件: %1").arg(output));
        },
        [&](const QString& why) {
            return QStringLiteral("服务器备份没有写成 %1 (%2)。").arg(QDir::toNativeSeparators(target), why);
        });
}

} // namespace Zt_typro
