#include "store/SharedStore.h"

#include "common/Error.h"
#include "store/Schema.h"
#include "store/Tables.h"

#include <QHash>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace Zt_typro
{
namespace
{
// The tables of the shared register; every write of the program goes through the catalogue's
// statements, and the server's rights decide which of them a role may run.
QStringList tableStatements()
{
    QStringList out;
    for (const Table& table : RegisterTables()) {
        out << CreateTableSql(table, Dialect::Server);
        // The register's searches read row keys from the indexes alone once the new rows are
        // vacuumed: the month being printed into is the one searched most.
        if (table.name == QLatin1String("zp"))
            out << QStringLiteral("ALTER TABLE zp SET (autovacuum_vacuum_insert_scale_factor = 0.01)");
        out << CreateIndexSql(table, Dialect::Server);
    }
    return out;
}

// The characters QString::trimmed() takes off both ends of a text: the payee list counts a
// cheque's payee by its name trimmed alike in both stores.
QString trimmedBlanks()
{
    QString blanks = QStringLiteral(" \t\n\v\f\r");
    for (const char16_t c :
         {u'\u0085', u'\u00a0', u'\u1680', u'\u2000', u'\u2001', u'\u2002', u'\u2003', u'\u2004', u'\u2005', u'\u2006',
          u'\u2007', u'\u2008', u'\u2009', u'\u200a', u'\u2028', u'\u2029', u'\u202f', u'\u205f', u'\u3000'})
        blanks += QChar(c);
    return blanks;
}

// The only ways a cashier or an administrator writes a cheque, an event or a payee: functions
// that run as the register's owner (SECURITY DEFINER), with the search path pinned to the
// register's own schema, so that a client's objects of the same names play no part. The tables'
// checks hold every value to its column's limits; the functions add the rules of the program:
// every cheque is registered when it is added, its payee counted there (a client never sets a
// count), and an event follows the history of its cheque.
QStringList functionStatements(const QString& schema)
{
    const QString head = QStringLiteral(
                             " LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, %1, pg_temp AS $$")
                             .arg(schema);
    const QString kinds = QString::fromUtf8(FindColumn(QStringLiteral("zpls.sj"))->allowed);
    // The lock functions: three facts of each session, read as the owner; the WHERE follows.
    const QString sessions =
        QStringLiteral(" RETURNS TABLE (operator text, client text, since text) LANGUAGE sql STABLE SECURITY DEFINER"
                       " SET search_path = pg_catalog, %1, pg_temp AS $$"
                       " SELECT a.usename::text, coalesce(host(a.client_addr), ''),"
                       "  coalesce(to_char(a.xact_start AT TIME ZONE (SELECT zone FROM quillmate_schema LIMIT 1),"
                       "   'YYYY-MM-DD HH24:MI:SS'), '')"
                       " FROM pg_stat_activity a")
            .arg(schema);
    // Asked only of the caller's own waiting session, and never more than three.
    const QString ownWaiter = QStringLiteral(
        "  AND EXISTS (SELECT 1 FROM pg_stat_activity w WHERE w.pid = p_waiter AND w.usename = session_user)"
        " ORDER BY a.xact_start LIMIT 3"
        " $$");
    QStringList out{
        // Z1: the register row, its registration (stamped by zpls_stamp) and its payee's count, in
        // the caller's transaction. A payee seen first is added with no count, as the local file
        // does; a count at the column's end stays there instead of failing the cheque.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION quillmate_add_cheque(p_ph text, p_skr text, p_je text, p_yt text, p_nian text,"
            " p_yue text, p_ri text, p_fjxx text, p_rq text, p_hkfs text) RETURNS bigint") +
            head +
            QStringLiteral(" DECLARE"
                           "  new_id bigint;"
                           " BEGIN"
                           "  INSERT INTO zp (ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs)"
                           "   VALUES (p_ph, p_skr, p_je, p_yt, p_nian, p_yue, p_ri, p_fjxx, p_rq, p_hkfs)"
                           "   RETURNING rowid INTO new_id;"
                           "  INSERT INTO zpls (zpid, sj, fssj) VALUES (new_id, '登记', '');"
                           "  INSERT INTO skr (skrmc) VALUES (btrim(p_skr, '%1'))"
                           "   ON CONFLICT (skrmc) DO UPDATE SET cs = CASE WHEN skr.cs < 9223372036854775807"
                           "    THEN skr.cs + 1 ELSE skr.cs END;"
                           "  RETURN new_id;"
                           " END $$")
                .arg(trimmedBlanks()),
        // E1: one event of a cheque that exists, of the program's own kinds. The registration is
        // the add-cheque function's alone: asked for again in the same transaction, it is already
        // there. A voided cheque takes nothing more but a preview closed without a note. Only an
        // administrator voids (zpls_stamp). The operator and time a client sends are not taken.
        QStringLiteral("CREATE OR REPLACE FUNCTION quillmate_add_event(p_zpid bigint, p_sj text, p_sm text, p_czy text,"
                       " p_fssj text) RETURNS bigint") +
            head +
            QStringLiteral(
                " DECLARE"
                "  new_id bigint;"
                " BEGIN"
                "  IF p_sj IS NULL OR p_sj NOT IN %1 THEN"
                "   RAISE EXCEPTION '支票记录没有“%”这种事件，只有 %2。', coalesce(p_sj, '')"
                "    USING ERRCODE = 'check_violation';"
                "  END IF;"
                // One event of a cheque at a time: a void and a print of it never cross.
                "  PERFORM 1 FROM zp WHERE rowid = p_zpid FOR NO KEY UPDATE;"
                "  IF NOT FOUND THEN"
                "   RAISE EXCEPTION '登记簿中没有这张支票 (行号 %)，没有记下“%”。', p_zpid, p_sj"
                "    USING ERRCODE = 'foreign_key_violation';"
                "  END IF;"
                "  IF p_sj = '登记' THEN"
                "   IF EXISTS (SELECT 1 FROM zpls WHERE zpid = p_zpid AND sj = '登记'"
                "     AND xmin = pg_current_xact_id()::xid) THEN"
                "    RETURN NULL;"
                "   END IF;"
                "   RAISE EXCEPTION '“登记”只在添加支票时由服务器记下，不能另外添加 (支票行号 %)。', p_zpid"
                "    USING ERRCODE = 'object_not_in_prerequisite_state';"
                "  END IF;"
                "  IF EXISTS (SELECT 1 FROM zpls WHERE zpid = p_zpid AND sj = '作废')"
                "    AND NOT (p_sj = '预览后未打印' AND coalesce(p_sm, '') = '') THEN"
                "   RAISE EXCEPTION '这张支票已作废 (行号 %)，不能再记下“%”。', p_zpid, p_sj"
                "    USING ERRCODE = 'object_not_in_prerequisite_state';"
                "  END IF;"
                "  INSERT INTO zpls (zpid, sj, sm, fssj) VALUES (p_zpid, p_sj, p_sm, '') RETURNING rowid INTO new_id;"
                "  RETURN new_id;"
                " END $$")
                .arg(kinds, QString(kinds)
                                .remove(QLatin1Char('\''))
                                .remove(QLatin1Char('('))
                                .remove(QLatin1Char(')'))
                                .replace(QStringLiteral(", "), QStringLiteral("、"))),
        // S7: a payee by name, added when missing, never counted here.
        QStringLiteral("CREATE OR REPLACE FUNCTION quillmate_add_payee(p_skrmc text) RETURNS void") + head +
            QStringLiteral(" BEGIN"
                           "  INSERT INTO skr (skrmc) VALUES (p_skrmc) ON CONFLICT (skrmc) DO NOTHING;"
                           " END $$"),
        // S10: a voucher's payee with account and bank; one another clerk just added takes them.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION quillmate_add_payee(p_skrmc text, p_zh text, p_khh text) RETURNS void") +
            head +
            QStringLiteral(" BEGIN"
                           "  INSERT INTO skr (skrmc, zh, khh) VALUES (p_skrmc, p_zh, p_khh)"
                           "   ON CONFLICT (skrmc) DO UPDATE SET zh = excluded.zh, khh = excluded.khh;"
                           " END $$"),
        // S11: a known payee's account and bank, one payee by name; never every payee at once.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION quillmate_set_payee_account(p_zh text, p_khh text, p_skrmc text) RETURNS void") +
            head +
            QStringLiteral(" BEGIN"
                           "  UPDATE skr SET zh = p_zh, khh = p_khh WHERE skrmc = p_skrmc;"
                           " END $$"),
        // Who blocks a clerk's session while it waits, asked by the same operator's program on a
        // connection of its own (pg_blocking_pids). Run as the owner, who may read every session's
        // details (pg_read_all_stats or superuser); a cashier may not, and sees no more than these
        // three facts of each, of its own sessions' blockers alone.
        QStringLiteral("CREATE OR REPLACE FUNCTION quillmate_lock_blockers(p_waiter integer)") + sessions +
            QStringLiteral(" WHERE a.pid = ANY (pg_blocking_pids(p_waiter))") + ownWaiter,
        // When the wait was too short to be watched, who could have kept the clerk waiting: the
        // other sessions of this database whose transaction has been open for as long as the clerk
        // waited and holds a lock a writer waits on (a row written, an advisory lock, a table
        // locked beyond reading). Run as the owner, as above.
        QStringLiteral("CREATE OR REPLACE FUNCTION quillmate_lock_holders(p_waiter integer, p_waited interval)") +
            sessions +
            QStringLiteral(" WHERE a.datname = current_database() AND a.pid NOT IN (p_waiter, pg_backend_pid())"
                           "  AND a.xact_start <= clock_timestamp() - p_waited"
                           "  AND EXISTS (SELECT 1 FROM pg_locks l WHERE l.pid = a.pid AND l.granted"
                           "   AND (l.locktype IN ('transactionid', 'advisory')"
                           "    OR (l.locktype = 'relation' AND l.mode NOT IN ('AccessShareLock', 'RowShareLock'))))") +
            ownWaiter,
        // Functions are everyone's to run unless said otherwise.
        QStringLiteral("REVOKE ALL ON FUNCTION quillmate_add_cheque(text, text, text, text, text, text, text, text, "
                       "text, text), quillmate_add_event(bigint, text, text, text, text), quillmate_add_payee(text), "
                       "quillmate_add_payee(text, text, text), quillmate_set_payee_account(text, text, text), "
                       "quillmate_lock_holders(integer, interval), quillmate_lock_blockers(integer) FROM PUBLIC"),
        QStringLiteral(
            "GRANT EXECUTE ON FUNCTION quillmate_add_cheque(text, text, text, text, text, text, text, text, "
            "text, text), quillmate_add_event(bigint, text, text, text, text), quillmate_add_payee(text), "
            "quillmate_add_payee(text, text, text), quillmate_set_payee_account(text, text, text) TO quillmate_cashier, "
            "quillmate_admin"),
        QStringLiteral("GRANT EXECUTE ON FUNCTION quillmate_lock_holders(integer, interval), "
                       "quillmate_lock_blockers(integer) TO quillmate_cashier, quillmate_auditor, quillmate_admin"),
    };
    return out;
}

QStringList schemaStatements(const QString& schema)
{
    QStringList out{
        QStringLiteral("CREATE TABLE IF NOT EXISTS quillmate_schema (version integer NOT NULL, zone text NOT NULL)")};
    // The register's tables and indexes, as store/Tables.h defines them.
    out << tableStatements();
    out << QStringList{
        // Every event is stamped by the server: the operator is the role signed in, the time the
        // server's (in the zone the register was set up in), whatever a client sends. Only an
        // administrator voids.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION quillmate_zpls_stamp() RETURNS trigger LANGUAGE plpgsql"
            // Never a client's temporary table of the same name: the schema's own, then nothing.
            " SET search_path = pg_catalog, %1, pg_temp AS $$"
            " BEGIN"
            "  IF NEW.sj = '作废' AND NOT pg_has_role(session_user, 'quillmate_admin', 'MEMBER') THEN"
            "   RAISE EXCEPTION '只有 quillmate_admin 角色的操作员可以作废支票 (操作员 %)', session_user"
            "    USING ERRCODE = 'insufficient_privilege';"
            "  END IF;"
            "  NEW.czy := session_user;"
            "  NEW.fssj := to_char(clock_timestamp() AT TIME ZONE (SELECT zone FROM quillmate_schema LIMIT 1),"
            "   'YYYY-MM-DD HH24:MI:SS');"
            "  RETURN NEW;"
            " END $$")
            .arg(schema),
        QStringLiteral("DROP TRIGGER IF EXISTS zpls_stamp ON zpls"),
        QStringLiteral("CREATE TRIGGER zpls_stamp BEFORE INSERT ON zpls FOR EACH ROW EXECUTE FUNCTION "
                       "quillmate_zpls_stamp()"),
        // The rights: nothing for anyone else; reading for every role of the program. Nobody but
        // the owner writes a cheque, an event or a payee directly: the program's functions below
        // do, as the owner, with every value checked and stamped. The administrator also changes
        // the layouts. The history is only ever added to: no role but the owner updates or deletes it.
        QStringLiteral("REVOKE ALL ON quillmate_schema, skr, zp, zpls, prn FROM PUBLIC"),
        QStringLiteral("REVOKE ALL ON quillmate_schema, skr, zp, zpls, prn FROM quillmate_cashier, quillmate_auditor, "
                       "quillmate_admin"),
        QStringLiteral("GRANT SELECT ON quillmate_schema, skr, zp, zpls, prn TO quillmate_cashier, quillmate_auditor, "
                       "quillmate_admin"),
        QStringLiteral("GRANT UPDATE (kjx, kjy, dy) ON prn TO quillmate_admin"),
        // A row key is the server's to give: nobody takes one of their own. The server's own dump
        // (备份数据) reads where each row key stands, and the program the key of the cheque just
        // added (currval).
        QStringLiteral("REVOKE ALL ON SEQUENCE skr_rowid_seq, zp_rowid_seq, zpls_rowid_seq, prn_rowid_seq FROM PUBLIC, "
                       "quillmate_cashier, quillmate_auditor, quillmate_admin"),
        QStringLiteral("GRANT SELECT ON SEQUENCE skr_rowid_seq, zp_rowid_seq, zpls_rowid_seq, prn_rowid_seq TO "
                       "quillmate_cashier, quillmate_auditor, quillmate_admin"),
    };
    out << functionStatements(schema);
    return out;
}

// The three roles, made when missing. Roles belong to the whole server: two databases set up at
// the same moment may race for them, and the one that finds a role just made takes it as it is.
QStringList roleStatements()
{
    QStringList out;
    for (const char* role : {kCashierRole, kAuditorRole, kAdminRole}) {
        out << QStringLiteral("DO $$ BEGIN"
                              " IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '%1') THEN"
                              "  CREATE ROLE %1 NOLOGIN;"
                              " END IF;"
                              " EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL;"
                              " END $$")
                   .arg(QLatin1String(role));
    }
    return out;
}

// Copies every row of table (its row key and columns) from the file to the server, a batch of
// rows per statement. Returns the number of rows copied.
qint64 copyTable(QSqlDatabase file, ServerConnection& server, const QString& table, const QStringList& columns,
                 const QString& caption, qint64 total, const std::function<void(const QString&)>& say)
{
    constexpr int kBatch = 400;
    QSqlQuery read(file);
    read.setForwardOnly(true);
    if (!read.exec(
            QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(columns.join(QStringLiteral(", ")), table)))
        throw AppError(QStringLiteral("读取本机文件的%1失败: %2").arg(caption, ServerErrorText(read.lastError())));
    const QString head =
        QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES ").arg(table, columns.join(QStringLiteral(", ")));
    const QString row = QLatin1Char('(') +
                        QStringList(columns.size() + 1, QStringLiteral("?")).join(QStringLiteral(", ")) +
                        QLatin1Char(')');
    QSqlQuery full(server.database());
    bool fullPrepared = false;
    qint64 copied = 0;
    qint64 reported = 0;
    QVariantList values;
    const auto flush = [&](int rows) {
        if (rows == 0)
            return;
        QSqlQuery partial(server.database());
        QSqlQuery& q = rows == kBatch ? full : partial;
        if (rows != kBatch || !fullPrepared) {
            if (!q.prepare(head + QStringList(rows, row).join(QStringLiteral(", "))))
                throw AppError(QStringLiteral("复制%1失败: %2").arg(caption, ServerErrorText(q.lastError())));
            fullPrepared = fullPrepared || rows == kBatch;
        }
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec())
            throw AppError(QStringLiteral("复制%1失败: %2").arg(caption, ServerErrorText(q.lastError())));
        copied += rows;
        values.clear();
        if (copied - reported >= 20000 || copied == total) {
            reported = copied;
            say(QStringLiteral("  %1: %2 / %3").arg(caption).arg(copied).arg(total));
        }
    };
    int pending = 0;
    while (read.next()) {
        for (int i = 0; i <= columns.size(); ++i)
            values << read.value(i);
        if (++pending == kBatch) {
            flush(pending);
            pending = 0;
        }
    }
    if (read.lastError().isValid())
        throw AppError(QStringLiteral("读取本机文件的%1失败: %2").arg(caption, ServerErrorText(read.lastError())));
    flush(pending);
    return copied;
}

qint64 countOf(QSqlDatabase db, const QString& table)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM ") + table) || !q.next())
        throw AppError(QStringLiteral("无法数出数据表 %1 的行数: %2").arg(table, ServerErrorText(q.lastError())));
    return q.value(0).toLongLong();
}

struct TableCopy
{
    const char* table;
    const char* caption;
    QStringList columns;
};
} // namespace

QStringList SharedUpgradeStatements(int from)
{
    // Version 1 of the shared register holds the tables of version 2 of the file: from then on
    // both stores count their schema alike, and this step changes nothing but the number.
    Q_UNUSED(from);
    return {};
}

void InitSharedRegister(const QString& connection, const std::function<void(const QString&)>& say)
{
    ServerConnection server(connection);
    server.exec(QStringLiteral("SET client_min_messages TO warning"), QStringLiteral("设置连接"));
    const int found = SharedSchemaVersion(server.database());
    if (found > kSchemaVersion)
        throw AppError(
            QStringLiteral("共享登记簿的结构版本是 %1，本程序只认识到版本 %2: 它是由较新的程序建立的。没有改动。")
                .arg(found)
                .arg(kSchemaVersion));
    say(QStringLiteral("连接成功: 操作员 %1。")
            .arg(server.value(QStringLiteral("SELECT session_user"), {}).toString()));

    // Roles first, each in a transaction of its own, tried again when another database's set-up
    // made the same role at the same moment.
    for (const QString& sql : roleStatements()) {
        for (int attempt = 1;; ++attempt) {
            QSqlQuery q(server.database());
            if (q.exec(sql))
                break;
            if (attempt >= 3)
                throw AppError(QStringLiteral("建立角色失败: %1").arg(ServerErrorText(q.lastError())));
        }
    }
    for (int attempt = 1;; ++attempt) {
        QSqlQuery q(server.database());
        if (q.exec(QStringLiteral("GRANT quillmate_cashier TO quillmate_admin")))
            break;
        if (attempt >= 3)
            throw AppError(QStringLiteral("建立角色失败: %1").arg(ServerErrorText(q.lastError())));
    }
    say(QStringLiteral("角色: quillmate_cashier (出纳)、quillmate_auditor (审计)、quillmate_admin (管理员)。"));

    QSqlDatabase db = server.database();
    if (!db.transaction())
        throw AppError(QStringLiteral("开始事务失败: %1").arg(ServerErrorText(db.lastError())));
    try {
        // Two set-ups of the same database at once: the second waits and then finds it done.
        server.exec(QStringLiteral("SELECT pg_advisory_xact_lock(20261211)"), QStringLiteral("等待另一个建立过程"));
        const QString schema =
            server.value(QStringLiteral("SELECT quote_ident(current_schema())"), QStringLiteral("读取模式")).toString();
        // Read again under the lock: another set-up may have just done the work.
        const int version = SharedSchemaVersion(db);
        if (version > kSchemaVersion)
            throw AppError(QStringLiteral("共享登记簿的结构版本是 %1，本程序只认识到版本 %2。没有改动。")
                               .arg(version)
                               .arg(kSchemaVersion));
        // An older register is brought up to date in this one transaction, step by step; the
        // tables, indexes and rights of the current version then follow as for a new one.
        if (version > 0 && version < kSchemaVersion) {
            say(QStringLiteral("共享登记簿的结构版本是 %1，升级到版本 %2。").arg(version).arg(kSchemaVersion));
            for (int from = version; from < kSchemaVersion; ++from)
                for (const QString& sql : SharedUpgradeStatements(from))
                    server.exec(sql, QStringLiteral("升级数据表"));
        }
        for (const QString& sql : schemaStatements(schema))
            server.exec(sql, QStringLiteral("建立数据表"));
        if (version == 0) {
            server.exec(
                QStringLiteral("INSERT INTO quillmate_schema (version, zone) VALUES (%1, current_setting('TimeZone'))")
                    .arg(kSchemaVersion),
                QStringLiteral("记录结构版本"));
        } else if (version < kSchemaVersion) {
            server.exec(QStringLiteral("UPDATE quillmate_schema SET version = %1").arg(kSchemaVersion),
                        QStringLiteral("记录结构版本"));
        }
        say(QStringLiteral("数据表: skr (收款人)、zp (支票登记簿)、zpls (支票记录)、prn (版面)，结构版本 %1。")
                .arg(kSchemaVersion));
        say(QStringLiteral("写入只经服务器函数: quillmate_add_cheque、quillmate_add_event、quillmate_add_payee、"
                           "quillmate_set_payee_account。"));
        // Who holds a lock a clerk waits for is read from every session's details, which only a
        // superuser or a member of pg_read_all_stats sees.
        if (!server
                 .value(QStringLiteral("SELECT rolsuper OR pg_has_role(current_user, 'pg_read_all_stats', 'MEMBER')"
                                       " FROM pg_roles WHERE rolname = current_user"),
                        QStringLiteral("读取所有者的权限"))
                 .toBool())
            say(QStringLiteral("注意: 所有者 %1 既不是超级用户，也不属于 pg_read_all_stats，支票等待别人的锁时程序"
                               "查不到占用者。可由超级用户运行: GRANT pg_read_all_stats TO %1")
                    .arg(server.value(QStringLiteral("SELECT quote_ident(current_user)"), {}).toString()));
        if (server.value(QStringLiteral("SELECT count(*) FROM prn"), {}).toLongLong() == 0) {
            QSqlQuery q(db);
            if (!q.prepare(QStringLiteral("INSERT INTO prn (kjmc, kjx, kjy, win, kjyy, dy) VALUES (?, ?, ?, ?, ?, ?)")))
                throw AppError(QStringLiteral("写入初始版面失败: %1").arg(ServerErrorText(q.lastError())));
            for (const LayoutRow& row : InitialLayoutRows()) {
                BindLayoutRow(q, row);
                if (!q.exec())
                    throw AppError(QStringLiteral("写入初始版面失败: %1").arg(ServerErrorText(q.lastError())));
            }
            say(QStringLiteral("初始版面: %1 行。").arg(InitialLayoutRows().size()));
        } else {
            say(QStringLiteral("版面已经存在，保留不动。"));
        }
        if (!db.commit())
            throw AppError(QStringLiteral("提交失败: %1").arg(ServerErrorText(db.lastError())));
    } catch (...) {
        db.rollback();
        throw;
    }
    say(QStringLiteral("共享登记簿已经建立。"));
}

MigrationCounts MigrateToShared(QSqlDatabase file, const QString& connection,
                                const std::function<void(const QString&)>& say)
{
    QList<TableCopy> tables;
    for (const Table& t : RegisterTables())
        tables.append({t.name, t.caption, ColumnNames(t)});

    // One view of the file from start to end: another copy of the program may go on writing.
    QSqlQuery fileQuery(file);
    if (!fileQuery.exec(QStringLiteral("BEGIN")))
        throw AppError(QStringLiteral("无法读取本机文件: %1").arg(ServerErrorText(fileQuery.lastError())));
    const auto endRead = qScopeGuard([file] { QSqlQuery(file).exec(QStringLiteral("ROLLBACK")); });
    QHash<QString, qint64> source;
    for (const TableCopy& t : tables)
        source.insert(QLatin1String(t.table), countOf(file, QLatin1String(t.table)));
    say(QStringLiteral("本机文件: 收款人 %1 个，支票 %2 张，支票记录 %3 条，版面 %4 行。")
            .arg(source.value(QStringLiteral("skr")))
            .arg(source.value(QStringLiteral("zp")))
            .arg(source.value(QStringLiteral("zpls")))
            .arg(source.value(QStringLiteral("prn"))));
    // The shared register knows each payee once.
    if (!fileQuery.exec(QStringLiteral("SELECT skrmc FROM skr WHERE skrmc IS NOT NULL GROUP BY skrmc"
                                       " HAVING count(*) > 1 LIMIT 5")))
        throw AppError(QStringLiteral("无法读取本机文件的收款人: %1").arg(ServerErrorText(fileQuery.lastError())));
    {
        QStringList twice;
        while (fileQuery.next())
            twice << fileQuery.value(0).toString();
        if (!twice.isEmpty())
            throw AppError(QStringLiteral("本机文件中有重名的收款人 (%1)，共享登记簿中每个收款人只能有一个。"
                                          "没有复制任何内容。")
                               .arg(twice.join(QStringLiteral("、"))));
    }

    ServerConnection server(connection);
    server.exec(QStringLiteral("SET client_min_messages TO warning"), QStringLiteral("设置连接"));
    const int version = SharedSchemaVersion(server.database());
    if (version == 0)
        throw AppError(NoSharedRegisterText(connection));
    if (version != kSchemaVersion)
        throw AppError(QStringLiteral("共享登记簿的结构版本是 %1，本程序是版本 %2。没有复制任何内容。%3")
                           .arg(version)
                           .arg(kSchemaVersion)
                           .arg(version < kSchemaVersion
                                    ? QStringLiteral("请先由它的所有者运行 quillmate --init-shared 升级它。")
                                    : QString()));
    QSqlDatabase db = server.database();
    if (!db.transaction())
        throw AppError(QStringLiteral("开始事务失败: %1").arg(ServerErrorText(db.lastError())));
    MigrationCounts counts;
    try {
        // Nobody prints into the register while it is being moved in.
        server.exec(QStringLiteral("LOCK TABLE skr, zp, zpls, prn IN ACCESS EXCLUSIVE MODE"),
                    QStringLiteral("锁定共享登记簿"));
        const qint64 payees = countOf(db, QStringLiteral("skr"));
        const qint64 cheques = countOf(db, QStringLiteral("zp"));
        const qint64 events = countOf(db, QStringLiteral("zpls"));
        if (payees + cheques + events > 0)
            throw AppError(QStringLiteral("共享登记簿不是空的 (已有支票 %1 张、收款人 %2 个、支票记录 %3 条)，"
                                          "只能复制到空的共享登记簿。没有复制任何内容。")
                               .arg(cheques)
                               .arg(payees)
                               .arg(events));
        // The history moves in as it was written: its operators and times, not this run's.
        server.exec(QStringLiteral("ALTER TABLE zpls DISABLE TRIGGER zpls_stamp"), QStringLiteral("复制支票记录"));
        server.exec(QStringLiteral("DELETE FROM prn"), QStringLiteral("替换版面"));
        for (const TableCopy& t : tables) {
            const QString table = QLatin1String(t.table);
            const qint64 n = copyTable(file, server, table, t.columns, QString::fromUtf8(t.caption),
                                       source.value(table), say);
            const qint64 stored = countOf(db, table);
            if (n != source.value(table) || stored != n)
                throw AppError(QStringLiteral("%1的行数不符: 本机文件 %2，复制 %3，服务器 %4。没有复制任何内容。")
                                   .arg(QString::fromUtf8(t.caption))
                                   .arg(source.value(table))
                                   .arg(n)
                                   .arg(stored));
        }
        // The history comes as it was written, and the server vouches for none of it: an event
        // dated after this moment (by the server's clock, in the register's zone) or with no
        // readable time, and an event by a role of this server that could not have made it (a void
        // by no administrator, anything by a role that does not print), could not have been made
        // so; their operator is marked as the history before the move's. An operator that is no
        // role here may have been anyone's: nothing is told by it.
        const QString marked = QStringLiteral(
            "(fssj !~ '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$'"
            " OR fssj > to_char(clock_timestamp() AT TIME ZONE (SELECT zone FROM quillmate_schema LIMIT 1),"
            " 'YYYY-MM-DD HH24:MI:SS'))");
        const QString roleCouldNot = QStringLiteral(
            "(czy IN (SELECT rolname FROM pg_roles WHERE NOT pg_has_role(oid,"
            " CASE WHEN sj = '作废' THEN 'quillmate_admin' ELSE 'quillmate_cashier' END, 'MEMBER')))");
        {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("SELECT count(*) FILTER (WHERE %1), count(*) FILTER (WHERE NOT %1 AND %2)"
                                       " FROM zpls")
                            .arg(marked, roleCouldNot)) ||
                !q.next())
                throw AppError(QStringLiteral("检查支票记录失败: %1").arg(ServerErrorText(q.lastError())));
            counts.eventsLater = q.value(0).toLongLong();
            counts.roleCouldNot = q.value(1).toLongLong();
        }
        server.exec(QStringLiteral("UPDATE zpls SET czy = left('%1' || coalesce(czy, ''), 64) WHERE %2 OR %3")
                        .arg(QString::fromUtf8(kBeforeMoveMark), marked, roleCouldNot),
                    QStringLiteral("标记迁移前记录"));
        server.exec(QStringLiteral("ALTER TABLE zpls ENABLE TRIGGER zpls_stamp"), QStringLiteral("复制支票记录"));
        // The next row key the server gives follows the last one copied. Last of all: a sequence
        // moved on stays moved even when the transaction rolls back.
        for (const TableCopy& t : tables)
            server.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'rowid'),"
                                       " coalesce((SELECT max(rowid) FROM %1), 0) + 1, false)")
                            .arg(QLatin1String(t.table)),
                        QStringLiteral("设置行号"));
        if (!db.commit())
            throw AppError(QStringLiteral("提交失败: %1").arg(ServerErrorText(db.lastError())));
    } catch (...) {
        db.rollback();
        throw;
    }
    counts.payees = source.value(QStringLiteral("skr"));
    counts.cheques = source.value(QStringLiteral("zp"));
    counts.events = source.value(QStringLiteral("zpls"));
    counts.layoutRows = source.value(QStringLiteral("prn"));
    say(QStringLiteral("已复制: 收款人 %1 个，支票 %2 张，支票记录 %3 条，版面 %4 行。")
            .arg(counts.payees)
            .arg(counts.cheques)
            .arg(counts.events)
            .arg(counts.layoutRows));
    const qint64 marks = counts.eventsLater + counts.roleCouldNot;
    say(QStringLiteral("支票记录: 原样搬入 %1 条；操作员标为“%2” %3 条 (时间晚于迁移时刻或看不懂 %4 条，"
                       "操作员的角色做不了的 %5 条)。")
            .arg(counts.events - marks)
            .arg(QString::fromUtf8(kBeforeMoveMark))
            .arg(marks)
            .arg(counts.eventsLater)
            .arg(counts.roleCouldNot));
    return counts;
}

} // namespace Zt_typro
