// The shared register on a PostgreSQL server, measured two ways. First the register searches on
// 1,000,000 cheques (those of bench_register), run as the search panel opens them: a paged query
// of the data module signed in as a cashier, which reads the keys of the result and its first page;
// each search is repeated and its median and 95th percentile printed. Targets (95th percentile):
// one month (9,300 cheques) within 10 ms, one number within 2 ms. For comparison the parts of the
// one-month search (its keys, its first page) are timed alone, each also read another way. Then
// clients printing at once (four by default), each a process and an operator of its own, storing
// cheques as the cheque job does (the register row, its registration and the payee's count in one
// transaction, then the printed event) on a handful of payees they all share; printed are the
// cheques stored per second overall and the time from the start of each cheque's transaction to
// its commit ("confirmation to stored"). Target: 95th percentile within 50 ms. The server's fsync
// and synchronous_commit are printed with it: the throwaway cluster runs without either, so its
// commits do not wait for the disk; for a durable server, run against one (QUILLMATE_PG_HOST).
//
// It starts a throwaway cluster of its own (tests/pg/pg-cluster.sh) in a new folder of the
// temporary folder and stops it at the end, unless QUILLMATE_PG_HOST names the socket folder of a
// running one (superuser QUILLMATE_PG_SUPERUSER, by default quillmate_test); either way it makes a
// database and operators of its own and drops them at the end. Run by hand:
//   bench_shared [--runs N] [--clients N] [--cheques N] [--history]
// --history also gives each of the 1,000,000 cheques a registration and a printed event, as a
// register in use for years has (the searches then show real states).
#include "common/Error.h"
#include "store/Catalogue.h"
#include "store/ChequeHistory.h"
#include "store/ChequeStore.h"
#include "store/DataModule.h"
#include "store/SharedStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace Zt_typro;

namespace
{
constexpr int kRegisterRows = 1000000;
constexpr int kPayees = 500;
constexpr int kSharedPayees = 5; // the payees the printing clients share
const QDate kFirstDay(2000, 1, 1);
const char kPasswordVariable[] = "QUILLMATE_BENCH_PASSWORD";

void say(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Microseconds on the wall clock, the same in every process of the machine.
qint64 wallMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A value of a libpq connection text, quoted.
QString quotedValue(const QString& value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

QString payeeOf(int i)
{
    return QStringLiteral("收款单位%1有限公司").arg(i % kPayees);
}

// ---------------------------------------------------------------------------------------------
// Timings.

struct Stats
{
    qsizetype n = 0;
    double median = 0;
    double p95 = 0;
    double p99 = 0;
    double min = 0;
    double max = 0;
};

// Nearest-rank percentiles of values (milliseconds).
Stats statsOf(QList<double> values)
{
    Stats s;
    s.n = values.size();
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    const auto rank = [&](double p) {
        const qsizetype k = qsizetype(std::ceil(p * double(values.size()))) - 1;
        return values.at(std::clamp<qsizetype>(k, 0, values.size() - 1));
    };
    s.median = rank(0.50);
    s.p95 = rank(0.95);
    s.p99 = rank(0.99);
    s.min = values.first();
    s.max = values.last();
    return s;
}

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1) + QStringLiteral(" ms");
}

// The lines of the summary printed at the end.
QStringList g_summary;

void summarise(const QString& line)
{
    say(line);
    g_summary << line;
}

QString verdict(double value, double target)
{
    return value <= target ? QStringLiteral("met") : QStringLiteral("MISSED");
}

QString peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    }
    return QStringLiteral("unknown");
}

// ---------------------------------------------------------------------------------------------
// The cluster: a throwaway one of its own, or the running one QUILLMATE_PG_HOST names.

class Cluster
{
public:
    Cluster()
    {
        m_host = qEnvironmentVariable("QUILLMATE_PG_HOST");
        m_superuser = qEnvironmentVariable("QUILLMATE_PG_SUPERUSER", QStringLiteral("quillmate_test"));
        if (!m_host.isEmpty()) {
            say(QStringLiteral("cluster: the running one at %1 (QUILLMATE_PG_HOST), superuser %2")
                    .arg(m_host, m_superuser));
            return;
        }
        // A short path: the server's socket path must stay within about 100 bytes.
        do {
            m_host = QDir(QDir::tempPath())
                         .filePath(QStringLiteral("qmb-") + QUuid::createUuid().toString(QUuid::Id128).left(8));
        } while (QFileInfo::exists(m_host));
        QElapsedTimer timer;
        timer.start();
        try {
            runScript(QStringLiteral("start"));
        } catch (const AppError&) {
            stop(); // whatever the start left
            throw;
        }
        m_own = true;
        say(QStringLiteral("cluster: started its own at %1 in %2 s (if this run is interrupted, stop it with "
                           "tests/pg/pg-cluster.sh stop %1)")
                .arg(m_host)
                .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
    }
    ~Cluster()
    {
        if (m_own)
            stop();
    }
    Cluster(const Cluster&) = delete;
    Cluster& operator=(const Cluster&) = delete;

    QString host() const { return m_host; }
    QString superuser() const { return m_superuser; }

private:
    void stop()
    {
        try {
            runScript(QStringLiteral("stop"));
            say(QStringLiteral("cluster: stopped and removed"));
        } catch (const AppError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }

    void runScript(const QString& action)
    {
        const QString script = QString::fromUtf8(QUILLMATE_SOURCE_DIR) + QStringLiteral("/tests/pg/pg-cluster.sh");
        if (!QFileInfo::exists(script))
            throw AppError(QStringLiteral("the cluster script is missing: %1").arg(script));
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("bash"), {script, action, m_host});
        if (!p.waitForFinished(180000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            throw AppError(QStringLiteral("pg-cluster.sh %1 %2 failed:\n%3")
                               .arg(action, m_host, QString::fromLocal8Bit(p.readAll())));
    }

    QString m_host;
    QString m_superuser;
    bool m_own = false;
};

// ---------------------------------------------------------------------------------------------
// A database of its own on the cluster, set up by the program's own set-up, with its operators;
// dropped at the end with them.

class BenchDatabase
{
public:
    BenchDatabase(const Cluster& cluster, int clients)
        : m_cluster(cluster),
          m_name(QStringLiteral("qmb_") + QUuid::createUuid().toString(QUuid::Id128).left(12))
    {
        m_operators << searcher();
        for (int i = 1; i <= clients; ++i)
            m_operators << client(i);
        try {
            adminExec(QStringLiteral("CREATE DATABASE %1").arg(m_name));
            m_created = true;
            InitSharedRegister(ownerConnection(), [](const QString&) {});
            for (const QString& user : m_operators)
                exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2' IN ROLE %3")
                         .arg(user, password(user), QLatin1String(kCashierRole)));
        } catch (const AppError&) {
            drop();
            throw;
        }
    }
    ~BenchDatabase() { drop(); }
    BenchDatabase(const BenchDatabase&) = delete;
    BenchDatabase& operator=(const BenchDatabase&) = delete;

    /// The connection an operator's computer is given.
    QString connection() const
    {
        return QStringLiteral("host=%1 dbname=%2").arg(quotedValue(m_cluster.host()), m_name);
    }
    QString ownerConnection() const { return connection() + QStringLiteral(" user=") + m_cluster.superuser(); }
    QString searcher() const { return m_name + QStringLiteral("_search"); }
    QString client(int i) const { return m_name + QStringLiteral("_c%1").arg(i); }
    static QString password(const QString& user) { return user + QStringLiteral("-pw"); }

    /// Runs sql as the register's owner; throws AppError with the server's text.
    void exec(const QString& sql) { run(owner(m_name), sql); }
    QVariant value(const QString& sql)
    {
        QSqlQuery q(owner(m_name));
        if (!q.exec(sql))
            throw AppError(sql + QStringLiteral(": ") + q.lastError().text());
        return q.next() ? q.value(0) : QVariant();
    }
    /// The first column of every row of sql, run as the owner.
    QStringList lines(const QString& sql)
    {
        QSqlQuery q(owner(m_name));
        if (!q.exec(sql))
            throw AppError(sql + QStringLiteral(": ") + q.lastError().text());
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
    /// Runs sql as the superuser on the cluster's own database "postgres".
    void adminExec(const QString& sql) { run(owner(QStringLiteral("postgres")), sql); }

private:
    // The database and the operators, dropped (also after a set-up that failed halfway).
    void drop()
    {
        if (QSqlDatabase::contains(ownerName())) {
            QSqlDatabase::database(ownerName(), false).close();
            QSqlDatabase::removeDatabase(ownerName());
        }
        if (!m_created)
            return;
        try {
            adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
            for (const QString& user : m_operators)
                adminExec(QStringLiteral("DROP ROLE IF EXISTS %1").arg(user));
        } catch (const AppError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        m_created = false;
        QSqlDatabase::database(ownerName() + QStringLiteral("-postgres"), false).close();
        QSqlDatabase::removeDatabase(ownerName() + QStringLiteral("-postgres"));
    }

    QString ownerName() const { return QStringLiteral("bench-owner-") + m_name; }

    QSqlDatabase owner(const QString& database)
    {
        const QString name = database == m_name ? ownerName() : ownerName() + QLatin1Char('-') + database;
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!db.isOpen()) {
            db.setHostName(m_cluster.host());
            db.setDatabaseName(database);
            db.setUserName(m_cluster.superuser());
            if (!db.open())
                throw AppError(QStringLiteral("cannot open %1 as %2: %3")
                                   .arg(database, m_cluster.superuser(), db.lastError().text()));
        }
        return db;
    }

    static void run(QSqlDatabase db, const QString& sql)
    {
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw AppError(sql.left(200) + QStringLiteral(": ") + q.lastError().text());
    }

    const Cluster& m_cluster;
    QString m_name;
    bool m_created = false;
    QStringList m_operators;
};

// ---------------------------------------------------------------------------------------------
// 1. The register searches on 1,000,000 cheques.

// The register of bench_register (the same numbers, payees, amounts and dates: about 300 cheques
// a day over nine years), written by the server itself in one statement.
void loadRegister(BenchDatabase& db, bool history)
{
    // The load's commits on disk at once: a cluster that commits asynchronously (the throwaway
    // one) lets no VACUUM mark the rows visible to all until its commit is flushed.
    db.exec(QStringLiteral("SET synchronous_commit TO on"));
    QElapsedTimer timer;
    timer.start();
    db.exec(
        QStringLiteral("INSERT INTO zp (ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs)"
                       " SELECT lpad(i::text, 10, '0'), '收款单位' || (i % %1) || '有限公司',"
                       "  (i % 100000) || '.' || lpad((i % 100)::text, 2, '0'), '货款',"
                       "  to_char(d, 'YYYY'), to_char(d, 'FMMM'), to_char(d, 'FMDD'), NULL, to_char(d, 'YYYY-MM-DD'),"
                       "  CASE WHEN i % 3 <> 0 THEN '转帐' ELSE '现金' END"
                       " FROM (SELECT i, DATE '%2' + i / 300 AS d FROM generate_series(0, %3) AS i) AS g")
            .arg(kPayees)
            .arg(kFirstDay.toString(Qt::ISODate))
            .arg(kRegisterRows - 1));
    const double insertSeconds = timer.elapsed() / 1000.0;
    summarise(QStringLiteral("load: %1 cheques inserted in %2 s").arg(kRegisterRows).arg(insertSeconds, 0, 'f', 1));
    if (history) {
        timer.restart();
        // Each through the history's stamp, as the program's events are.
        db.exec(QStringLiteral("INSERT INTO zpls (zpid, sj, fssj) SELECT rowid, '登记', rq FROM zp ORDER BY rowid"));
        db.exec(QStringLiteral("INSERT INTO zpls (zpid, sj, fssj) SELECT rowid, '打印', rq FROM zp ORDER BY rowid"));
        summarise(QStringLiteral("load: %1 history events (登记, 打印) inserted in %2 s")
                      .arg(2 * kRegisterRows)
                      .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
    }
    // The state autovacuum brings a register to: statistics, and the visibility map an
    // index-only scan of the keys relies on.
    timer.restart();
    db.exec(QStringLiteral("VACUUM (ANALYZE) zp"));
    db.exec(QStringLiteral("VACUUM (ANALYZE) zpls"));
    // The load written out, so that the server is not still writing it while the searches run.
    db.exec(QStringLiteral("CHECKPOINT"));
    db.exec(QStringLiteral("RESET synchronous_commit"));
    summarise(QStringLiteral("load: VACUUM (ANALYZE) and CHECKPOINT in %1 s").arg(timer.elapsed() / 1000.0, 0, 'f', 1));
    // The keys of a search come from the index alone once the rows are visible to all.
    const QStringList plan = db.lines(QStringLiteral("EXPLAIN (ANALYZE) SELECT rowid FROM zp WHERE rq BETWEEN "
                                                     "'2004-03-01' AND '2004-03-31'"));
    summarise(QStringLiteral("load: the keys of one month: %1; %2")
                  .arg(plan.value(0).section(QLatin1String("  ("), 0, 0).trimmed(),
                       plan.filter(QStringLiteral("Heap Fetches")).value(0).trimmed()));
}

struct SearchCase
{
    const char* name;
    Stmt stmt;
    QVariantList values;
    int found;
    double target; // milliseconds; 0 for none
    int runs;
};

void benchSearches(BenchDatabase& db, int runs)
{
    const QList<SearchCase> cases = {
        {"number", Stmt::Z2, {QStringLiteral("0000654321")}, 1, 2.0, runs},
        {"number not there", Stmt::Z2, {QStringLiteral("X")}, 0, 0, runs},
        {"one day", Stmt::Z3, {kFirstDay.addDays(1000), kFirstDay.addDays(1000)}, 300, 0, runs},
        {"one month", Stmt::Z3, {QDate(2004, 3, 1), QDate(2004, 3, 31)}, 9300, 10.0, runs},
        {"payee", Stmt::Z4, {payeeOf(7)}, kRegisterRows / kPayees, 0, runs},
        {"payee not there", Stmt::Z4, {QStringLiteral("无此单位")}, 0, 0, runs},
        {"whole register", Stmt::Z3, {QDate(1999, 1, 1), QDate(2020, 1, 1)}, kRegisterRows, 0, qMin(runs, 5)},
    };
    TD_M dm;
    dm.useSharedServer(db.connection(), db.searcher(), BenchDatabase::password(db.searcher()));
    if (!dm.rights().print)
        throw AppError(QStringLiteral("the searching operator has no cashier's rights"));
    DmQuery* q = dm.ADOQ_zpcx;
    q->setPaged(true);
    say(QStringLiteral("\nsearches: paged open() of the data module as cashier %1 (the keys and the first page)")
            .arg(db.searcher()));
    for (const SearchCase& c : cases) {
        const auto once = [&] {
            QElapsedTimer timer;
            timer.start();
            q->setStatement(c.stmt, c.values);
            q->open();
            const double elapsed = double(timer.nsecsElapsed()) / 1e6;
            if (q->recordCount() != c.found)
                throw AppError(QStringLiteral("search \"%1\" found %2 cheques, not %3")
                                   .arg(QLatin1String(c.name))
                                   .arg(q->recordCount())
                                   .arg(c.found));
            if (c.found > 0 && q->record(0).value(QStringLiteral("ph")).toString().isEmpty())
                throw AppError(QStringLiteral("search \"%1\" shows no first row").arg(QLatin1String(c.name)));
            q->close();
            return elapsed;
        };
        double first = 0;
        QList<double> times;
        try {
            first = once(); // the first of its kind, not counted
            for (int r = 0; r < c.runs; ++r)
                times << once();
        } catch (const AppError& e) {
            // Reported, and the other searches go on.
            summarise(QStringLiteral("search %1: FAILED: %2")
                          .arg(QLatin1String(c.name), e.message().section(QLatin1Char('\n'), 0, 0)));
            continue;
        }
        const Stats s = statsOf(times);
        QString line = QStringLiteral("search %1 (%2 cheques, %3 runs): median %4, p95 %5, min %6, max %7, first %8")
                           .arg(QLatin1String(c.name))
                           .arg(c.found)
                           .arg(s.n)
                           .arg(ms(s.median), ms(s.p95), ms(s.min), ms(s.max), ms(first));
        if (c.target > 0)
            line += QStringLiteral("; target p95 <= %1: %2").arg(ms(c.target), verdict(s.p95, c.target));
        summarise(line);
    }
    summarise(QStringLiteral("search: peak memory of the searching process %1").arg(peakMemory()));
}

// For comparison: the parts of the one-month search, each run alone on a connection of the same
// cashier, and the same parts read in other ways: the keys one row each (as the data module reads
// them) or as one text of all of them, the first page by a list of 256 parameters (as the data
// module reads it) or by one array.
void benchMonthParts(BenchDatabase& db, int runs)
{
    ServerConnection server(db.connection(), db.searcher(), BenchDatabase::password(db.searcher()));
    const QSqlDatabase sdb = server.database();
    const QVariantList month = {QStringLiteral("2004-03-01"), QStringLiteral("2004-03-31")};
    const auto run = [&](const QString& sql, const QVariantList& values, const std::function<void(QSqlQuery&)>& read) {
        QSqlQuery q(sdb);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            throw AppError(sql.left(200) + QStringLiteral(": ") + q.lastError().text());
        for (const QVariant& v : values)
            q.addBindValue(v);
        if (!q.exec())
            throw AppError(sql.left(200) + QStringLiteral(": ") + q.lastError().text());
        read(q);
    };
    QList<qint64> keys;
    const auto keysByRow = [&] {
        keys.clear();
        run(QStringLiteral("select rowid from zp where rq between ? and ?"), month, [&](QSqlQuery& q) {
            while (q.next())
                keys.append(q.value(0).toLongLong());
        });
        std::sort(keys.begin(), keys.end());
    };
    const auto keysAsText = [&] {
        keys.clear();
        run(QStringLiteral("select string_agg(rowid::text, ',') from zp where rq between ? and ?"), month,
            [&](QSqlQuery& q) {
                if (!q.next())
                    return;
                const QByteArray text = q.value(0).toString().toLatin1();
                keys.reserve(text.size() / 7);
                qint64 key = 0;
                for (const char c : text) {
                    if (c == ',') {
                        keys.append(key);
                        key = 0;
                    } else {
                        key = key * 10 + (c - '0');
                    }
                }
                if (!text.isEmpty())
                    keys.append(key);
            });
        std::sort(keys.begin(), keys.end());
    };
    // The page's columns: those of the search statement itself.
    static const QRegularExpression shape(QStringLiteral("^select\\s+(.+)\\s+from\\s+zp\\b"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QString columns = shape.match(StatementText(Stmt::Z3, Dialect::Server)).captured(1);
    const QString pageSql = QStringLiteral("select rowid, ") + columns + QStringLiteral(" from zp where rowid ");
    int pageRows = 0;
    const auto countRows = [&](QSqlQuery& q) {
        pageRows = 0;
        while (q.next())
            ++pageRows;
    };
    const auto pageByList = [&] {
        QString sql = pageSql + QStringLiteral("in (");
        QVariantList values;
        for (qsizetype i = 0; i < qMin<qsizetype>(DmQuery::kPageRows, keys.size()); ++i) {
            sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
            values << keys.at(i);
        }
        run(sql + QLatin1Char(')'), values, countRows);
    };
    const auto pageAsRecords = [&] {
        QString sql = pageSql + QStringLiteral("in (");
        QVariantList values;
        for (qsizetype i = 0; i < qMin<qsizetype>(DmQuery::kPageRows, keys.size()); ++i) {
            sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
            values << keys.at(i);
        }
        run(sql + QLatin1Char(')'), values, [&](QSqlQuery& q) {
            QList<QSqlRecord> rows;
            while (q.next())
                rows.append(q.record());
            pageRows = int(rows.size());
        });
    };
    const auto pageByArray = [&] {
        QStringList list;
        for (qsizetype i = 0; i < qMin<qsizetype>(DmQuery::kPageRows, keys.size()); ++i)
            list << QString::number(keys.at(i));
        run(pageSql + QStringLiteral("= any (?::bigint[])"),
            {QLatin1Char('{') + list.join(QLatin1Char(',')) + QLatin1Char('}')}, countRows);
    };
    const struct
    {
        const char* name;
        std::function<void()> part;
        int found;
    } parts[] = {
        {"keys, one row each", keysByRow, 9300},
        {"keys, one text", keysAsText, 9300},
        {"first page, 256 parameters", pageByList, DmQuery::kPageRows},
        {"first page, 256 parameters, each row read as a record", pageAsRecords, DmQuery::kPageRows},
        {"first page, one array", pageByArray, DmQuery::kPageRows},
    };
    keysByRow();
    for (const auto& p : parts) {
        QList<double> times;
        for (int r = 0; r <= runs; ++r) {
            QElapsedTimer timer;
            timer.start();
            p.part();
            if (r > 0) // the first not counted
                times << double(timer.nsecsElapsed()) / 1e6;
        }
        const int found = p.found == 9300 ? int(keys.size()) : pageRows;
        if (found != p.found)
            throw AppError(
                QStringLiteral("%1 read %2 rows, not %3").arg(QLatin1String(p.name)).arg(found).arg(p.found));
        const Stats st = statsOf(times);
        summarise(QStringLiteral("search one month, part: %1: median %2, p95 %3")
                      .arg(QLatin1String(p.name), ms(st.median), ms(st.p95)));
    }
}

// ---------------------------------------------------------------------------------------------
// 2. Clients printing at once.

// One client (a process of its own): signs in as user, says "ready", waits for "go" on its
// input, then stores count cheques as the cheque job does. Writes its timings to its output.
int runClient(const QStringList& args)
{
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: --client <connection> <user> <tag> <count>\n");
        return 2;
    }
    const QString connection = args.at(1);
    const QString user = args.at(2);
    const QString tag = args.at(3);
    const int count = args.at(4).toInt();
    try {
        TD_M dm;
        dm.useSharedServer(connection, user, qEnvironmentVariable(kPasswordVariable));
        if (!dm.rights().print)
            throw AppError(QStringLiteral("operator %1 may not print").arg(user));
        say(QStringLiteral("ready"));
        std::string line;
        if (!std::getline(std::cin, line) || line != "go")
            return 3;
        QStringList stored; // confirmation to stored, per cheque (microseconds)
        QStringList whole;  // the same and the printed event after it
        int refused = 0;
        QString firstRefusal;
        const qint64 start = wallMicros();
        for (int i = 0; i < count; ++i) {
            const QDate today = QDate::currentDate();
            const QString name = QStringLiteral("%1共享收款单位%2").arg(tag.left(1)).arg(i % kSharedPayees);
            ChequeValues cheque;
            cheque.ph = QStringLiteral("%1-%2").arg(tag).arg(i, 6, 10, QLatin1Char('0'));
            cheque.skr = name;
            cheque.je = QStringLiteral("%1.%2").arg(1000 + i).arg(i % 100, 2, 10, QLatin1Char('0'));
            cheque.yt = QStringLiteral("货款");
            cheque.nian = QString::number(today.year());
            cheque.yue = QString::number(today.month());
            cheque.ri = QString::number(today.day());
            cheque.rq = today;
            cheque.hkfs = QStringLiteral("转帐");
            QElapsedTimer timer;
            timer.start();
            qint64 zpid = 0;
            try {
                zpid = StoreCheque(dm, cheque);
            } catch (const AppError& e) {
                // Refused: nothing of it is stored; the operator would be shown why.
                if (refused++ == 0)
                    firstRefusal =
                        e.message().section(QLatin1Char('\n'), 0, 1).replace(QLatin1Char('\n'), QLatin1Char(' '));
                continue;
            }
            stored << QString::number(timer.nsecsElapsed() / 1000);
            AddChequeEvent(dm, zpid, ChequeEvent::Printed, QStringLiteral("bench printer"));
            whole << QString::number(timer.nsecsElapsed() / 1000);
        }
        const qint64 end = wallMicros();
        say(QStringLiteral("span %1 %2").arg(start).arg(end));
        say(QStringLiteral("stored ") + stored.join(QLatin1Char(' ')));
        say(QStringLiteral("whole ") + whole.join(QLatin1Char(' ')));
        say(QStringLiteral("refused %1 %2").arg(refused).arg(firstRefusal));
        return 0;
    } catch (const AppError& e) {
        std::fprintf(stderr, "client %s: %s\n", qPrintable(user), e.what());
        return 1;
    }
}

QList<double> millisecondsOf(const QString& line)
{
    QList<double> out;
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < words.size(); ++i)
        out << words.at(i).toDouble() / 1000.0;
    return out;
}

void benchPrinting(BenchDatabase& db, int clients, int cheques)
{
    const QString tag = QStringLiteral("P"); // the clients' cheque numbers and payees begin with it
    const QString settings = QStringLiteral("fsync %1, synchronous_commit %2")
                                 .arg(db.value(QStringLiteral("SHOW fsync")).toString(),
                                      db.value(QStringLiteral("SHOW synchronous_commit")).toString());
    say(QStringLiteral("\nprinting: %1 clients x %2 cheques, %3 shared payees (%4)")
            .arg(clients)
            .arg(cheques)
            .arg(kSharedPayees)
            .arg(settings));
    // The clients, ended and waited for however this ends.
    struct Clients : std::vector<std::unique_ptr<QProcess>>
    {
        ~Clients()
        {
            for (auto& p : *this) {
                if (p->state() != QProcess::NotRunning) {
                    p->kill();
                    p->waitForFinished(10000);
                }
            }
        }
    } processes;
    for (int i = 1; i <= clients; ++i) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kPasswordVariable), BenchDatabase::password(db.client(i)));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--client"), db.connection(), db.client(i), QStringLiteral("%1%2").arg(tag).arg(i),
                  QString::number(cheques)});
        processes.push_back(std::move(p));
    }
    // Every client signed in before any starts.
    for (auto& p : processes) {
        while (!p->canReadLine()) {
            if (!p->waitForReadyRead(60000))
                throw AppError(QStringLiteral("a printing client did not get ready"));
        }
        if (p->readLine().trimmed() != "ready")
            throw AppError(QStringLiteral("a printing client said something else than ready"));
    }
    for (auto& p : processes) {
        p->write("go\n");
        p->waitForBytesWritten(10000);
    }
    QList<double> stored;
    QList<double> whole;
    int refused = 0;
    QString refusal;
    qint64 first = std::numeric_limits<qint64>::max();
    qint64 last = 0;
    for (auto& p : processes) {
        if (!p->waitForFinished(1800000) || p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0)
            throw AppError(QStringLiteral("a printing client failed (exit code %1)").arg(p->exitCode()));
        const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            if (line.startsWith(QLatin1String("span "))) {
                const QStringList w = line.split(QLatin1Char(' '));
                first = qMin(first, w.value(1).toLongLong());
                last = qMax(last, w.value(2).toLongLong());
            } else if (line.startsWith(QLatin1String("stored "))) {
                stored << millisecondsOf(line);
            } else if (line.startsWith(QLatin1String("whole "))) {
                whole << millisecondsOf(line);
            } else if (line.startsWith(QLatin1String("refused "))) {
                const int n = line.section(QLatin1Char(' '), 1, 1).toInt();
                if (n > 0 && refused == 0)
                    refusal = line.section(QLatin1Char(' '), 2);
                refused += n;
            }
        }
    }
    const int total = clients * cheques;
    const int done = total - refused;
    if (stored.size() != done || whole.size() != done)
        throw AppError(QStringLiteral("the clients reported %1 cheques stored and %2 refused, not %3 in all")
                           .arg(stored.size())
                           .arg(refused)
                           .arg(total));

    // What the server holds: every cheque stored, two events each, and every use of a payee
    // counted (a payee's first use adds it with the count 0).
    const QString like = QStringLiteral("'%1%'").arg(tag);
    const qint64 inRegister =
        db.value(QStringLiteral("SELECT count(*) FROM zp WHERE ph LIKE %1").arg(like)).toLongLong();
    const qint64 events =
        db.value(QStringLiteral("SELECT count(*) FROM zpls WHERE zpid IN (SELECT rowid FROM zp WHERE ph LIKE %1)")
                     .arg(like))
            .toLongLong();
    const QString names = QStringLiteral("'%1共享收款单位%'").arg(tag);
    const qint64 payees =
        db.value(QStringLiteral("SELECT count(*) FROM skr WHERE skrmc LIKE %1").arg(names)).toLongLong();
    const qint64 uses = db.value(QStringLiteral("SELECT sum(cs) FROM skr WHERE skrmc LIKE %1").arg(names)).toLongLong();
    if (inRegister != done || events != 2 * done || payees != kSharedPayees || uses != done - kSharedPayees)
        throw AppError(QStringLiteral("the server holds %1 cheques, %2 events, %3 payees with %4 uses; expected %5, "
                                      "%6, %7, %8")
                           .arg(inRegister)
                           .arg(events)
                           .arg(payees)
                           .arg(uses)
                           .arg(done)
                           .arg(2 * done)
                           .arg(kSharedPayees)
                           .arg(done - kSharedPayees));
    if (refused > 0)
        summarise(QStringLiteral("printing: FAILED: %1 of %2 cheques refused (nothing of them stored), the first: %3")
                      .arg(refused)
                      .arg(total)
                      .arg(refusal));

    const double seconds = double(last - first) / 1e6;
    const Stats s = statsOf(stored);
    const Stats w = statsOf(whole);
    summarise(QStringLiteral("printing (%1): %2 cheques stored in %3 s, %4 cheques/s overall")
                  .arg(settings)
                  .arg(done)
                  .arg(seconds, 0, 'f', 2)
                  .arg(double(done) / seconds, 0, 'f', 0));
    summarise(QStringLiteral("printing: confirmation to stored: median %1, p95 %2, p99 %3, max %4; "
                             "target p95 <= 50 ms: %5")
                  .arg(ms(s.median), ms(s.p95), ms(s.p99), ms(s.max), verdict(s.p95, 50.0)));
    summarise(QStringLiteral("printing: with the printed event after it: median %1, p95 %2, max %3")
                  .arg(ms(w.median), ms(w.p95), ms(w.max)));
}

struct Options
{
    int runs = 50;
    int clients = 4;
    int cheques = 250;
    bool history = false;
};

Options readOptions(const QStringList& args)
{
    Options o;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        const auto number = [&](int* target) {
            bool ok = false;
            *target = args.value(++i).toInt(&ok);
            if (!ok || *target < 1)
                throw AppError(QStringLiteral("%1 needs a number of at least 1").arg(a));
        };
        if (a == QLatin1String("--runs"))
            number(&o.runs);
        else if (a == QLatin1String("--clients"))
            number(&o.clients);
        else if (a == QLatin1String("--cheques"))
            number(&o.cheques);
        else if (a == QLatin1String("--history"))
            o.history = true;
        else
            throw AppError(
                QStringLiteral("unknown argument %1; use [--runs N] [--clients N] [--cheques N] [--history]").arg(a));
    }
    return o;
}

int runBenchmark(const QStringList& args)
{
    try {
        const Options options = readOptions(args);
        QElapsedTimer total;
        total.start();
        // Other work on the machine shows in the numbers.
        QFile loadAverage(QStringLiteral("/proc/loadavg"));
        summarise(QStringLiteral("machine: %1 cores, load average %2 at the start")
                      .arg(QThread::idealThreadCount())
                      .arg(loadAverage.open(QIODevice::ReadOnly)
                               ? QString::fromLatin1(loadAverage.readAll()).section(QLatin1Char(' '), 0, 2)
                               : QStringLiteral("unknown")));
        Cluster cluster;
        {
            BenchDatabase db(cluster, options.clients);
            say(QStringLiteral("database %1 set up with %2 cashier operators")
                    .arg(db.connection())
                    .arg(options.clients + 1));
            loadRegister(db, options.history);
            benchSearches(db, options.runs);
            benchMonthParts(db, options.runs);
            benchPrinting(db, options.clients, options.cheques);
        }
        say(QStringLiteral("\nsummary (%1 s in all):").arg(total.elapsed() / 1000.0, 0, 'f', 1));
        for (const QString& line : g_summary)
            say(QStringLiteral("  ") + line);
        return 0;
    } catch (const AppError& e) {
        std::fprintf(stderr, "bench_shared: %s\n", e.what());
        return 1;
    }
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The data module's own notes (connections opened and closed) would drown the numbers.
    QLoggingCategory::setFilterRules(QStringLiteral("quillmate.*.debug=false"));
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--client"))
        return runClient(args.mid(1));
    return runBenchmark(args);
}
