// The data module against real database files: creation, initial layout rows, refusal of
// foreign files, bound values, column limits, date ranges and transactions.
#include "common/Error.h"
#include "printsetup/DesignerPrintOptions.h"
#include "store/DataModule.h"
#include "store/Schema.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace Zt_typro;

namespace
{
int countRows(TD_M& dm, const QString& sql)
{
    dm.ensureConnected();
    QSqlQuery q(QSqlDatabase::database(dm.connectionName()));
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool runSql(TD_M& dm, const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(dm.connectionName(), false));
    return q.exec(sql);
}

QString runValue(TD_M& dm, const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(dm.connectionName(), false));
    return q.exec(sql) && q.next() ? q.value(0).toString() : QString();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs statements on the database file at path on a connection of the test's own, as another
// program would. Returns the first value the last one gave (invalid when it gave none, or when
// a statement failed).
QVariant onFile(const QString& path, const QStringList& statements, bool* done = nullptr)
{
    const QString name = QStringLiteral("another-program");
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        bool ok = db.open();
        QSqlQuery q(db);
        for (const QString& sql : statements) {
            ok = ok && q.exec(sql);
            if (!ok)
                qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        }
        if (done)
            *done = ok;
        if (ok && q.next())
            value = q.value(0);
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

QVariantList cheque(const QString& ph, const QString& payee, const QDate& date)
{
    return {ph, payee, QStringLiteral("100.00"), QStringLiteral("货款"), QString::number(date.year()),
            QString::number(date.month()), QString::number(date.day()), QString(), date, QStringLiteral("转帐")};
}
} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_work = std::make_unique<TempWorkDir>();
        m_dm = std::make_unique<TD_M>();
    }
    void cleanup()
    {
        m_dm.reset();
        m_work.reset();
    }

    void connection_isOpenedByFirstQueryOnly()
    {
        QVERIFY(!m_dm->isConnected());
        QVERIFY(!QFile::exists(QStringLiteral("pjzp.pdp")));
        m_dm->ADOQ_skr_zpbj->setStatement(Stmt::S1);
        QVERIFY(!m_dm->isConnected());
        m_dm->ADOQ_skr_zpbj->open();
        QVERIFY(m_dm->isConnected());
        QCOMPARE(m_dm->ADOQ_skr_zpbj->recordCount(), 0);
        QVERIFY(QFile::exists(m_work->filePath(QStringLiteral("pjzp.pdp"))));
        // Nothing but the database is left in the folder: it was built aside and renamed.
        QCOMPARE(QDir(m_work->path()).entryList(QDir::Files), QStringList{QStringLiteral("pjzp.pdp")});
    }

    // A new database carries the schema version; a payee's use count goes past 32767 (it only
    // orders the list and must never stop a cheque).
    void newDatabase_hasItsVersionAndAnUnlimitedUseCount()
    {
        m_dm->ensureConnected();
        QCOMPARE(countRows(*m_dm, QStringLiteral("pragma user_version")), kSchemaVersion);
        m_dm->ADOQ_skr_up->setStatement(Stmt::S7, {QStringLiteral("甲公司")});
        m_dm->ADOQ_skr_up->execute();
        QVERIFY(runSql(*m_dm, QStringLiteral("update skr set cs = 32767")));
        m_dm->ADOQ_skr_up->setStatement(Stmt::S8, {QStringLiteral("甲公司")});
        m_dm->ADOQ_skr_up->execute();
        QCOMPARE(countRows(*m_dm, QStringLiteral("select cs from skr")), 32768);
    }

    // A file of the first schema (no version, the use count limited to 16 bits) is upgraded
    // once when it is opened: its rows stay, with their rowids, and counting goes on past 32767.
    void oldFile_isUpgradedOnce()
    {
        m_dm.reset();
        {
            const QString name = QStringLiteral("old-schema");
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(m_work->filePath(QStringLiteral("pjzp.pdp")));
            QVERIFY(db.open());
            QSqlQuery q(db);
            // The first schema: no history table, and the payee count's 16-bit limit.
            for (QString sql : SchemaStatements()) {
                if (sql.contains(QLatin1String("zpls")))
                    continue;
                sql.replace(QStringLiteral(" cs INTEGER DEFAULT 0)"),
                            QStringLiteral(" cs INTEGER DEFAULT 0 CHECK (cs IS NULL OR cs BETWEEN -32768 AND 32767))"));
                QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
            }
            QVERIFY(q.exec(QStringLiteral("insert into skr (rowid, skrmc, zh, khh, cs)"
                                          " values (7, '甲公司', '1', '工行', 32767)")));
            QVERIFY(q.exec(QStringLiteral("insert into skr (rowid, skrmc, cs) values (9, 'O''Brien', 3)")));
            QVERIFY(q.exec(QStringLiteral("insert into zp (ph, skr, je, rq)"
                                          " values ('10000001', '甲公司', '5.00', '2026-12-10')")));
            QVERIFY(!q.exec(QStringLiteral("update skr set cs = cs + 1 where skrmc = '甲公司'"))); // the old limit
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old-schema"));

        m_dm = std::make_unique<TD_M>();
        m_dm->ensureConnected();
        QCOMPARE(countRows(*m_dm, QStringLiteral("pragma user_version")), kSchemaVersion);
        QCOMPARE(countRows(*m_dm,
                           QStringLiteral("select rowid from skr where skrmc = '甲公司' and zh = '1' and khh = '工行'")),
                 7);
        // The file as it was came first into the backup folder, and stays there.
        const QStringList copies = QDir(m_work->filePath(QStringLiteral("backup")))
                                       .entryList({QStringLiteral("pjzp-升级前-版本0-*.pdp")}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        {
            QSqlDatabase old = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("the-copy"));
            old.setDatabaseName(m_work->filePath(QStringLiteral("backup/") + copies.first()));
            QVERIFY(old.open());
            QSqlQuery q(old);
            QVERIFY(q.exec(QStringLiteral("select (select count(*) from zp), (select cs from skr where rowid = 7),"
                                          " (select count(*) from sqlite_master where name = 'zpls')")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1);
            QCOMPARE(q.value(1).toInt(), 32767);
            QCOMPARE(q.value(2).toInt(), 0); // the old schema, untouched
            QCOMPARE(QFile::permissions(old.databaseName()) & (QFile::ReadOther | QFile::ReadGroup),
                     QFile::Permissions());
            q.finish();
            old.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("the-copy"));
        // Opened again, the file is up to date: no second copy.
        m_dm = std::make_unique<TD_M>();
        m_dm->ensureConnected();
        QCOMPARE(QDir(m_work->filePath(QStringLiteral("backup"))).entryList({QStringLiteral("pjzp-升级前-*")}).size(),
                 1);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select cs from skr where rowid = 9 and skrmc = 'O''Brien'")), 3);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 1);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from sqlite_master where name like 'skr%'")), 3);
        m_dm->ADOQ_skr_up->setStatement(Stmt::S8, {QStringLiteral("甲公司")});
        m_dm->ADOQ_skr_up->execute();
        QCOMPARE(countRows(*m_dm, QStringLiteral("select cs from skr where rowid = 7")), 32768);
        QCOMPARE(runValue(*m_dm, QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));

        // The cheque printed before the history was kept has its registration, and shows as
        // printed; opened again, nothing is added.
        const QString history = QStringLiteral("select group_concat(sj || '/' || sm, ';') from zpls");
        QCOMPARE(runValue(*m_dm, history), QStringLiteral("登记/升级前登记"));
        m_dm->ADOQ_zpcx->setStatement(Stmt::Z2, {QStringLiteral("10000001")});
        m_dm->ADOQ_zpcx->open();
        QCOMPARE(m_dm->ADOQ_zpcx->recordCount(), 1);
        QCOMPARE(m_dm->ADOQ_zpcx->fieldText(QStringLiteral("zt")), QStringLiteral("已打印"));
        m_dm.reset();
        m_dm = std::make_unique<TD_M>();
        m_dm->ensureConnected();
        QCOMPARE(runValue(*m_dm, history), QStringLiteral("登记/升级前登记"));
    }

    // The history only ever grows: the database itself refuses to change or remove an event.
    void history_eventsCannotBeChangedOrRemoved()
    {
        m_dm->ADOQ_zpls_up->setStatement(Stmt::E1, {1, QStringLiteral("登记"), QVariant(), QStringLiteral("甲"),
                                                    QStringLiteral("2026-12-10 09:00:00")});
        m_dm->ADOQ_zpls_up->execute();
        QVERIFY(!runSql(*m_dm, QStringLiteral("update zpls set sj = '作废'")));
        QVERIFY(!runSql(*m_dm, QStringLiteral("delete from zpls")));
        QVERIFY(!runSql(*m_dm, QStringLiteral("insert into zpls (zpid, sj, fssj) values (1, '改写', '2026-12-10')")));
        QCOMPARE(runValue(*m_dm, QStringLiteral("select count(*) || sj from zpls")), QStringLiteral("1登记"));
    }

    // A file written by a later program (a higher version) is refused with its version named,
    // and left byte for byte as it was.
    void newerFile_isRefusedUntouched()
    {
        m_dm->ensureConnected();
        QVERIFY(runSql(*m_dm, QStringLiteral("pragma user_version = %1").arg(kSchemaVersion + 1)));
        m_dm = std::make_unique<TD_M>();
        const QString path = m_work->filePath(QStringLiteral("pjzp.pdp"));
        const QByteArray before = readAll(path);
        try {
            m_dm->ensureConnected();
            QFAIL("a file of a later schema was opened");
        } catch (const AppError& e) {
            QCOMPARE(e.message(), QStringLiteral("数据库文件 %1 的结构版本是 %2，本程序只认识到版本 %3: 它是由较新的程序写的。"
                                                 "请用较新的程序打开它。该文件没有被改动。")
                                      .arg(QDir::toNativeSeparators(path))
                                      .arg(kSchemaVersion + 1)
                                      .arg(kSchemaVersion));
        }
        QVERIFY(!m_dm->isConnected());
        QCOMPARE(readAll(path), before);
    }

    // A file that holds what the program did not make (someone else changed it) is refused at
    // open with every such object named, and left byte for byte: none of it runs. SQLite's own
    // objects and an older file's fewer indexes are no such thing.
    void foreignObjects_refusedAtOpen_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QStringList>("foreign"); // empty: the file opens
        QTest::newRow("trigger that wipes the register")
            << QStringList{QStringLiteral("create trigger wipe after insert on zp begin delete from zp; end")}
            << QStringList{QStringLiteral("触发器 wipe")};
        QTest::newRow("view, table and index")
            << QStringList{QStringLiteral("create view every_cheque as select * from zp"),
                           QStringLiteral("create table notes (body text)"),
                           QStringLiteral("create index zp_by_amount on zp (je)")}
            << QStringList{QStringLiteral("视图 every_cheque"), QStringLiteral("数据表 notes"),
                           QStringLiteral("索引 zp_by_amount")};
        QTest::newRow("the history's trigger made to let events go")
            << QStringList{QStringLiteral("drop trigger zpls_never_removed"),
                           QStringLiteral(
                               "create trigger zpls_never_removed before delete on zpls begin select 1; end")}
            << QStringList{QStringLiteral("触发器 zpls_never_removed")};
        QTest::newRow("an index of the program's name on another table")
            << QStringList{QStringLiteral("drop index zp_by_date"),
                           QStringLiteral("create index zp_by_date on skr (zh)")}
            << QStringList{QStringLiteral("索引 zp_by_date")};
        QTest::newRow("SQLite's statistics") << QStringList{QStringLiteral("analyze")} << QStringList();
        QTest::newRow("an index fewer") << QStringList{QStringLiteral("drop index zp_by_payee")} << QStringList();
    }

    void foreignObjects_refusedAtOpen()
    {
        QFETCH(QStringList, statements);
        QFETCH(QStringList, foreign);
        m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, cheque(QStringLiteral("1"), QStringLiteral("甲"), QDate(2005, 3, 7)));
        m_dm->ADOQ_zp_up->execute();
        m_dm.reset();
        const QString path = m_work->filePath(QStringLiteral("pjzp.pdp"));
        bool planted = false;
        onFile(path, statements, &planted);
        QVERIFY2(planted, "the statements that plant the objects did not run");
        const QByteArray before = readAll(path);
        m_dm = std::make_unique<TD_M>();
        try {
            m_dm->ADOQ_zp_up->setStatement(Stmt::Z1,
                                           cheque(QStringLiteral("2"), QStringLiteral("乙"), QDate(2005, 3, 8)));
            m_dm->ADOQ_zp_up->execute();
            QVERIFY2(foreign.isEmpty(), "a file holding objects the program did not make was used");
            QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 2);
        } catch (const AppError& e) {
            QVERIFY2(!foreign.isEmpty(), qPrintable(e.message()));
            QVERIFY2(
                e.message().startsWith(
                    QStringLiteral("数据库文件 %1 中有不是本程序建立的内容: ").arg(QDir::toNativeSeparators(path))),
                qPrintable(e.message()));
            for (const QString& name : foreign)
                QVERIFY2(e.message().contains(name), qPrintable(e.message()));
            QVERIFY(!m_dm->isConnected());
            QCOMPARE(readAll(path), before);
        }
    }

    // A trigger another program adds while this one has the file open is found under the write
    // lock, before anything is written: the write is refused and the trigger never runs.
    void foreignTriggerAddedWhileOpen_neverRuns()
    {
        m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, cheque(QStringLiteral("1"), QStringLiteral("甲"), QDate(2005, 3, 7)));
        m_dm->ADOQ_zp_up->execute();
        const QString path = m_work->filePath(QStringLiteral("pjzp.pdp"));
        onFile(path, {QStringLiteral("create trigger wipe after insert on zp begin delete from zp; end")});
        m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, cheque(QStringLiteral("2"), QStringLiteral("乙"), QDate(2005, 3, 8)));
        try {
            m_dm->ADOQ_zp_up->execute();
            QFAIL("a write went into a file with a trigger the program did not make");
        } catch (const AppError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("中有不是本程序建立的内容: 触发器 wipe")),
                     qPrintable(e.message()));
        }
        QCOMPARE(onFile(path, {QStringLiteral("select group_concat(ph) from zp")}).toString(), QStringLiteral("1"));
        // Nothing of the file's schema runs a function of the program's connection unchecked.
        QCOMPARE(runValue(*m_dm, QStringLiteral("pragma trusted_schema")), QStringLiteral("0"));
    }

    // "pjzp.pdp" a link to a file that is gone (a disk not attached): refused with the reason,
    // and no new, empty register is made in its place or at the link's end.
    void linkToAMissingFile_refusedNothingMade()
    {
        const QString path = m_work->filePath(QStringLiteral("pjzp.pdp"));
        QVERIFY(QDir(m_work->path()).mkdir(QStringLiteral("disk")));
        const QString gone = m_work->filePath(QStringLiteral("disk/pjzp.pdp"));
        QVERIFY(QFile::link(gone, path));
        m_dm->ADOQ_skr_zpbj->setStatement(Stmt::S1);
        try {
            m_dm->ADOQ_skr_zpbj->open();
            QFAIL("a link to nothing was opened");
        } catch (const AppError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("数据库文件 %1 是指向 %2 的链接，但它指向的文件不存在")
                                                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(gone))),
                     qPrintable(e.message()));
        }
        QVERIFY(!m_dm->isConnected());
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(QDir(m_work->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("disk"), QStringLiteral("pjzp.pdp")}));
        QCOMPARE(QDir(m_work->filePath(QStringLiteral("disk"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void newDatabase_holdsTheInitialLayoutRows()
    {
        m_dm->ensureConnected();
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from prn")), 116);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from prn where win = 'zz'")), 33);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from prn where win = 'xj'")), 33);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from prn where win = 'dhpz'")), 25);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from prn where win = 'jzd'")), 25);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from skr")), 0);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 0);
        // Each (form code, field) once.
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from (select distinct win, kjmc from prn)")), 116);

        // Only these fields start unprinted.
        QSqlQuery q(QSqlDatabase::database(m_dm->connectionName()));
        QVERIFY(q.exec(QStringLiteral("select win || ':' || kjmc from prn where dy = 0 order by rowid")));
        QStringList off;
        while (q.next())
            off << q.value(0).toString();
        QCOMPARE(off, (QStringList{QStringLiteral("zz:P_zz_fjxx3"), QStringLiteral("xj:P_zz_fjxx3"),
                                   QStringLiteral("xj:P_zz_fjxx2"), QStringLiteral("xj:P_zz_fjxx1"),
                                   QStringLiteral("xj:P_zz_fkhmc")}));
    }

    void newDatabase_rowsFieldByField_data()
    {
        QTest::addColumn<int>("position"); // 1-based storage order
        QTest::addColumn<QString>("kjmc");
        QTest::addColumn<int>("kjx");
        QTest::addColumn<int>("kjy");
        QTest::addColumn<QString>("win");
        QTest::addColumn<QString>("kjyy");
        QTest::addColumn<bool>("dy");
        QTest::newRow("first row") << 1 << "P_zz_qian" << 635 << 103 << "zz" << "千" << true;
        QTest::newRow("zz fen") << 28 << "P_zz_fen" << 715 << 103 << "zz" << "分" << true;
        QTest::newRow("zz stub year") << 15 << "P_zz_nian" << 68 << 120 << "zz" << "年" << true;
        // One blank of the print font clear of a four-digit year on the stub ("2026" ends at 97.8
        // units, a blank is 3.4 units wide).
        QTest::newRow("zz stub month") << 16 << "P_zz_yue" << 102 << 120 << "zz"
                                       << "月" << true;
        QTest::newRow("zz stub day") << 17 << "P_zz_ri" << 125 << 120 << "zz" << "日" << true;
        QTest::newRow("last zz") << 33 << "P_zz_bai" << 651 << 103 << "zz" << "百" << true;
        QTest::newRow("first xj") << 34 << "P_zz_fjxx3" << 63 << 65 << "xj" << "附加信息三" << false;
        QTest::newRow("xj misspelt label") << 63 << "P_zz_fjxx1" << 64 << 28 << "xj" << "队加信息一" << false;
        QTest::newRow("last xj") << 66 << "P_zz_fkhmc" << 617 << 21 << "xj" << "付款行名称" << false;
        QTest::newRow("first dhpz") << 67 << "P_pz_nian" << 266 << 21 << "dhpz" << "年" << true;
        QTest::newRow("dhpz capitals") << 76 << "P_pz_dx" << 83 << 133 << "dhpz" << "大写金额" << true;
        QTest::newRow("first jzd") << 92 << "P_pz_qian" << 505 << 135 << "jzd" << "千" << true;
        QTest::newRow("last row") << 116 << "P_pz_fen" << 585 << 135 << "jzd" << "分" << true;
    }

    void newDatabase_rowsFieldByField()
    {
        QFETCH(int, position);
        m_dm->ensureConnected();
        QSqlQuery q(QSqlDatabase::database(m_dm->connectionName()));
        QVERIFY(q.exec(QStringLiteral("select kjmc, kjx, kjy, win, kjyy, dy, typeof(kjx) from prn order by rowid "
                                      "limit 1 offset %1")
                           .arg(position - 1)));
        QVERIFY(q.next());
        QTEST(q.value(0).toString(), "kjmc");
        QTEST(q.value(1).toInt(), "kjx");
        QTEST(q.value(2).toInt(), "kjy");
        QTEST(q.value(3).toString(), "win");
        QTEST(q.value(4).toString(), "kjyy");
        QTEST(q.value(5).toInt() != 0, "dy");
        QCOMPARE(q.value(6).toString(), QStringLiteral("integer"));
    }

    void foreignFile_isReportedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("sqlite");
        QTest::newRow("old database of another format") << QByteArray("Standard Jet DB\0\0\0\0garbage", 26) << false;
        QTest::newRow("text file") << QByteArray("just some text\n") << false;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("database of another program") << QByteArray() << true;
    }

    void foreignFile_isReportedAndLeftAlone()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, sqlite);
        const QString path = m_work->filePath(QStringLiteral("pjzp.pdp"));
        if (sqlite) {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
                db.setDatabaseName(path);
                QVERIFY(db.open());
                QSqlQuery q(db);
                QVERIFY(q.exec(QStringLiteral("create table customers (name text)")));
                db.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        QFile before(path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray original = before.readAll();
        before.close();

        m_dm->ADOQ_skr_zpbj->setStatement(Stmt::S1);
        try {
            m_dm->ADOQ_skr_zpbj->open();
            QFAIL("a foreign file was opened");
        } catch (const AppError& e) {
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(path)), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("不是本程序可以读取的数据库")), qPrintable(e.message()));
        }
        QVERIFY(!m_dm->isConnected());
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), original);
    }

    void failedOpen_isTriedAgainByTheNextQuery()
    {
        // A folder where the database should be: the first query fails and reports it.
        QVERIFY(QDir(m_work->path()).mkdir(QStringLiteral("pjzp.pdp")));
        m_dm->ADOQ_skr_zpbj->setStatement(Stmt::S1);
        QVERIFY_THROWS_EXCEPTION(AppError, m_dm->ADOQ_skr_zpbj->open());
        QVERIFY(!m_dm->isConnected());
        QVERIFY(QDir(m_work->path()).rmdir(QStringLiteral("pjzp.pdp")));
        m_dm->ADOQ_skr_zpbj->open();
        QVERIFY(m_dm->isConnected());
    }

    void quoteInAName_roundTripsThroughInsertAndLookup()
    {
        const QString name = QStringLiteral("O'Brien \"咨询\" 有限公司' or '1'='1");
        m_dm->ADOQ_skr->setStatement(Stmt::S6, {name});
        m_dm->ADOQ_skr->open();
        QCOMPARE(m_dm->ADOQ_skr->recordCount(), 0);

        m_dm->ADOQ_skr_up->setStatement(Stmt::S7, {name});
        m_dm->ADOQ_skr_up->execute();
        m_dm->ADOQ_skr->setStatement(Stmt::S6, {name});
        m_dm->ADOQ_skr->open();
        QCOMPARE(m_dm->ADOQ_skr->recordCount(), 1);
        QCOMPARE(m_dm->ADOQ_skr->fieldText(QStringLiteral("skrmc")), name);
        QCOMPARE(m_dm->ADOQ_skr->fieldInt(QStringLiteral("cs")), 0); // the column default
        QCOMPARE(m_dm->ADOQ_skr->fieldText(QStringLiteral("zh")), QString()); // null reads as empty

        m_dm->ADOQ_skr_up->setStatement(Stmt::S8, {name});
        m_dm->ADOQ_skr_up->execute();
        m_dm->ADOQ_skr->open();
        QCOMPARE(m_dm->ADOQ_skr->fieldInt(QStringLiteral("cs")), 1);
        // The quote did not turn into a condition matching every row.
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from skr")), 1);
    }

    void payeeList_isMostUsedFirst()
    {
        for (const char* n : {"甲", "乙", "丙"}) {
            m_dm->ADOQ_skr_up->setStatement(Stmt::S7, {QString::fromUtf8(n)});
            m_dm->ADOQ_skr_up->execute();
        }
        for (int i = 0; i < 2; ++i) {
            m_dm->ADOQ_skr_up->setStatement(Stmt::S8, {QStringLiteral("丙")});
            m_dm->ADOQ_skr_up->execute();
        }
        m_dm->ADOQ_skr_up->setStatement(Stmt::S8, {QStringLiteral("乙")});
        m_dm->ADOQ_skr_up->execute();
        m_dm->ADOQ_skr_zpbj->setStatement(Stmt::S1);
        m_dm->ADOQ_skr_zpbj->open();
        QStringList names;
        for (m_dm->ADOQ_skr_zpbj->first(); !m_dm->ADOQ_skr_zpbj->eof(); m_dm->ADOQ_skr_zpbj->next())
            names << m_dm->ADOQ_skr_zpbj->fieldText(QStringLiteral("skrmc"));
        QCOMPARE(names, (QStringList{QStringLiteral("丙"), QStringLiteral("乙"), QStringLiteral("甲")}));
    }

    void overLongValue_isRefusedBeforeAnythingIsWritten_data()
    {
        QTest::addColumn<int>("column"); // index of the value in Z1
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("cheque number of 21") << 0 << QString(21, QLatin1Char('7'))
                                             << QStringLiteral("票号最多只能有20个字符（现有21个），未保存。");
        QTest::newRow("payee of 129") << 1 << QString(129, QChar(0x7532))
                                      << QStringLiteral("收款人最多只能有128个字符（现有129个），未保存。");
        QTest::newRow("purpose of 51") << 3 << QString(51, QLatin1Char('x'))
                                       << QStringLiteral("用途最多只能有50个字符（现有51个），未保存。");
        QTest::newRow("note of 91") << 7 << QString(91, QLatin1Char('n'))
                                    << QStringLiteral("附加信息最多只能有90个字符（现有91个），未保存。");
    }

    void overLongValue_isRefusedBeforeAnythingIsWritten()
    {
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QVariantList values = cheque(QStringLiteral("1"), QStringLiteral("甲"), QDate(2005, 3, 7));
        values[column] = value;
        m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, values);
        try {
            m_dm->ADOQ_zp_up->execute();
            QFAIL("an over-long value was stored");
        } catch (const AppError& e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 0);
    }

    void emptyText_isStoredAsEmptyNotNull()
    {
        m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, cheque(QStringLiteral("1"), QString(), QDate(2005, 3, 7)));
        m_dm->ADOQ_zp_up->execute();
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp where skr = '' and fjxx = ''")), 1);
    }

    void columnLimits_countCharactersNotUnits()
    {
        // Twenty characters, some outside the Basic Multilingual Plane: they fit.
        const QString ph = QString::fromUtf8("𠀀𠀁") + QString(18, QLatin1Char('9'));
        m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, cheque(ph, QStringLiteral("甲"), QDate(2005, 3, 7)));
        m_dm->ADOQ_zp_up->execute();
        m_dm->ADOQ_zpcx->setStatement(Stmt::Z2, {ph});
        m_dm->ADOQ_zpcx->open();
        QCOMPARE(m_dm->ADOQ_zpcx->recordCount(), 1);
        QCOMPARE(m_dm->ADOQ_zpcx->fieldText(QStringLiteral("ph")), ph);
    }

    void nullChequeNumber_isRefused()
    {
        QVariantList values = cheque(QString(), QStringLiteral("甲"), QDate(2005, 3, 7));
        values[0] = QVariant();
        m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, values);
        QVERIFY_THROWS_EXCEPTION(AppError, m_dm->ADOQ_zp_up->execute());
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 0);
    }

    void layoutPosition_outside16Bits_isRefused()
    {
        m_dm->ADOQ_zb_up->setStatement(Stmt::P3, {40000, 10, QStringLiteral("P_zz_fen"), QStringLiteral("zz")});
        QVERIFY_THROWS_EXCEPTION(AppError, m_dm->ADOQ_zb_up->execute());
        m_dm->ADOQ_zb_up->setStatement(Stmt::P3, {-32768, 32767, QStringLiteral("P_zz_fen"), QStringLiteral("zz")});
        m_dm->ADOQ_zb_up->execute();
        QCOMPARE(countRows(*m_dm, QStringLiteral("select kjx from prn where kjmc = 'P_zz_fen' and win = 'zz'")),
                 -32768);
    }

    void dateRange_includesBothEndDays()
    {
        int n = 0;
        for (int day = 6; day <= 11; ++day) {
            m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, cheque(QString::number(++n), QStringLiteral("甲"),
                                                             QDate(2005, 3, day)));
            m_dm->ADOQ_zp_up->execute();
        }
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp where rq = '2005-03-07'")), 1);
        m_dm->ADOQ_zpcx->setStatement(Stmt::Z3, {QDate(2005, 3, 7), QDate(2005, 3, 10)});
        m_dm->ADOQ_zpcx->open();
        QStringList found;
        for (m_dm->ADOQ_zpcx->first(); !m_dm->ADOQ_zpcx->eof(); m_dm->ADOQ_zpcx->next())
            found << m_dm->ADOQ_zpcx->fieldText(QStringLiteral("rq"));
        QCOMPARE(found, (QStringList{QStringLiteral("2005-03-07"), QStringLiteral("2005-03-08"),
                                     QStringLiteral("2005-03-09"), QStringLiteral("2005-03-10")}));
        // The grid model shows the same rows.
        QCOMPARE(m_dm->ADOQ_zpcx->model()->rowCount(), 4);
        m_dm->ADOQ_zpcx->close();
        QCOMPARE(m_dm->ADOQ_zpcx->model()->rowCount(), 0);
    }

    void transaction_storesAllOrNothing()
    {
        try {
            m_dm->transaction([&] {
                m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, cheque(QStringLiteral("1"), QStringLiteral("甲"),
                                                                 QDate(2005, 3, 7)));
                m_dm->ADOQ_zp_up->execute();
                m_dm->ADOQ_skr_up->setStatement(Stmt::S7, {QString(51, QLatin1Char('x'))}); // refused
                m_dm->ADOQ_skr_up->execute();
            });
            QFAIL("the transaction did not fail");
        } catch (const AppError&) {
        }
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 0);

        m_dm->transaction([&] {
            m_dm->ADOQ_zp_up->execute();
            m_dm->ADOQ_skr_up->setStatement(Stmt::S7, {QStringLiteral("甲")});
            m_dm->ADOQ_skr_up->execute();
        });
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 1);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from skr")), 1);
    }

    // The file moved away or replaced while a transaction runs: before a statement of it, or
    // after its last one (found at the commit). Nothing is written into either file, the
    // message says what happened, a replaced file is let go of and a moved one is not.
    void transaction_fileRenamedMidway_rolledBackNothingWritten_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<bool>("beforeLastStatement");
        QTest::newRow("moved before a statement") << false << true;
        QTest::newRow("moved before the commit") << false << false;
        QTest::newRow("replaced before a statement") << true << true;
        QTest::newRow("replaced before the commit") << true << false;
    }
    void transaction_fileRenamedMidway_rolledBackNothingWritten()
    {
        QFETCH(bool, replaced);
        QFETCH(bool, beforeLastStatement);
        // Closing a connection that a caller still holds would warn so.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("still in use")));
        const QString db = m_work->filePath(QStringLiteral("pjzp.pdp"));
        const QString old = db + QStringLiteral(".old");
        const QString other = db + QStringLiteral(".other");
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 0); // creates and opens it
        QVERIFY(QFile::copy(db, other));
        const QByteArray before = readAll(db);
        QCOMPARE(::link(QFile::encodeName(db).constData(), QFile::encodeName(old).constData()), 0);
        int letGo = 0;
        connect(m_dm.get(), &TD_M::replacedFileLetGo, this, [&] { ++letGo; });
        const auto swap = [&] {
            if (replaced)
                QCOMPARE(::rename(QFile::encodeName(other).constData(), QFile::encodeName(db).constData()), 0);
            else
                QVERIFY(QFile::rename(db, db + QStringLiteral(".moved")));
        };

        QString message;
        try {
            m_dm->transaction([&] {
                m_dm->ADOQ_skr_up->setStatement(Stmt::S7, {QStringLiteral("甲")});
                m_dm->ADOQ_skr_up->execute();
                if (beforeLastStatement)
                    swap();
                m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, cheque(QStringLiteral("1"), QStringLiteral("甲"),
                                                                 QDate(2005, 3, 7)));
                m_dm->ADOQ_zp_up->execute();
                if (!beforeLastStatement)
                    swap();
            });
        } catch (const AppError& e) {
            message = e.message();
        }
        QVERIFY2(message.contains(replaced ? QStringLiteral("在程序运行时被另一个文件替换了")
                                           : QStringLiteral("已不在原处")),
                 qPrintable(message));
        QCOMPARE(readAll(old), before);
        QCOMPARE(m_dm->isConnected(), !replaced);
        QCOMPARE(letGo, replaced ? 1 : 0);
        if (!replaced)
            QVERIFY(QFile::rename(db + QStringLiteral(".moved"), db));
        // The next statement works on the file now at the path, which holds no row of the
        // rolled-back transaction.
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from skr")), 0);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select count(*) from zp")), 0);
    }

    void printFlag_isWrittenToItsRow()
    {
        m_dm->ADOQ_zpdyxz->setStatement(Stmt::P2, {QStringLiteral("zz")});
        m_dm->ADOQ_zpdyxz->open();
        QCOMPARE(m_dm->ADOQ_zpdyxz->recordCount(), 33);
        // Sorted by x: the stub note fields lie furthest left.
        QCOMPARE(m_dm->ADOQ_zpdyxz->fieldInt(QStringLiteral("kjx")), 45);
        m_dm->ADOQ_zpdyxz->setRecNo(32);
        QCOMPARE(m_dm->ADOQ_zpdyxz->fieldText(QStringLiteral("kjmc")), QStringLiteral("P_zz_fen"));
        PostPrintFlag(*m_dm->ADOQ_zpdyxz, false);
        QCOMPARE(m_dm->ADOQ_zpdyxz->fieldBool(QStringLiteral("dy")), false);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select dy from prn where kjmc = 'P_zz_fen' and win = 'zz'")), 0);
        QCOMPARE(countRows(*m_dm, QStringLiteral("select dy from prn where kjmc = 'P_zz_fen' and win = 'xj'")), 1);
    }

    void unknownColumn_isAnError()
    {
        m_dm->ADOQ_zb->setStatement(Stmt::P1, {QStringLiteral("zz")});
        m_dm->ADOQ_zb->open();
        QVERIFY_THROWS_EXCEPTION(AppError, m_dm->ADOQ_zb->fieldText(QStringLiteral("nosuch")));
        m_dm->ADOQ_zb->setStatement(Stmt::P1, {QStringLiteral("none")});
        m_dm->ADOQ_zb->open();
        QCOMPARE(m_dm->ADOQ_zb->recordCount(), 0);
        QVERIFY(m_dm->ADOQ_zb->eof());
    }

private:
    std::unique_ptr<TempWorkDir> m_work;
    std::unique_ptr<TD_M> m_dm;
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
