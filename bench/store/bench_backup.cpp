// How long the register export and the database backup take on a register of 1,000,000
// cheques. The database is generated once (one transaction of multi-row inserts) into a folder
// beside the benchmark, with the program's own schema made by the data module, and reused.
#include "register/RegisterExport.h"
#include "store/Backup.h"
#include "store/DataModule.h"
#include "store/Restore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Zt_typro;

namespace
{
constexpr int kRegisterRows = 1000000;
constexpr int kRowsPerStatement = 100; // ten values a row: 1,000 parameters a statement

int countRows(const QString& connection)
{
    QSqlQuery q(QSqlDatabase::database(connection));
    return q.exec(QStringLiteral("select count(*) from zp")) && q.next() ? q.value(0).toInt() : -1;
}

void generateRegister(const QString& connection)
{
    QSqlDatabase db = QSqlDatabase::database(connection);
    QVERIFY(db.transaction());
    QString sql = QStringLiteral("insert into zp (ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs) values ");
    for (int r = 0; r < kRowsPerStatement; ++r)
        sql += (r ? QStringLiteral(", ") : QString()) + QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    QSqlQuery q(db);
    QVERIFY(q.prepare(sql));
    const QDate firstDay(2000, 1, 1);
    for (int first = 0; first < kRegisterRows; first += kRowsPerStatement) {
        for (int i = first; i < first + kRowsPerStatement; ++i) {
            const QDate d = firstDay.addDays(i / 300);
            q.addBindValue(QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("收款单位%1有限公司").arg(i % 500));
            q.addBindValue(QStringLiteral("%1.%2").arg(i % 100000).arg(i % 100, 2, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("货款"));
            q.addBindValue(QString::number(d.year()));
            q.addBindValue(QString::number(d.month()));
            q.addBindValue(QString::number(d.day()));
            q.addBindValue(i % 7 ? QString() : QStringLiteral("第一行, \"附言\"\n第二行"));
            q.addBindValue(d.toString(Qt::ISODate));
            q.addBindValue(i % 3 ? QStringLiteral("转帐") : QStringLiteral("现金"));
        }
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(db.commit());
}
} // namespace

class BenchBackup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void exportWholeRegister();
    void exportOnePayee();
    void backupDatabase();
    void restoreDatabase();

private:
    void exportSearch(Stmt id, const QVariantList& values, int expected);
    QString m_previous;
    QString m_folder;
    std::unique_ptr<TD_M> m_dm;
};

void BenchBackup::initTestCase()
{
    m_previous = QDir::currentPath();
    m_folder = QCoreApplication::applicationDirPath() + QStringLiteral("/backup-1m");
    QVERIFY(QDir().mkpath(m_folder));
    QDir::setCurrent(m_folder);
    m_dm = std::make_unique<TD_M>();
    m_dm->ensureConnected();
    const int rows = countRows(m_dm->connectionName());
    if (rows != kRegisterRows) {
        QCOMPARE(rows, 0); // a partly filled file from an interrupted run: remove it by hand
        QElapsedTimer timer;
        timer.start();
        generateRegister(m_dm->connectionName());
        qInfo("generated %d register rows in %lld ms", kRegisterRows, timer.elapsed());
    }
}

void BenchBackup::cleanupTestCase()
{
    m_dm.reset();
    QDir::setCurrent(m_previous);
}

// The search as the grid holds it (its keys), then the export of every row it found.
void BenchBackup::exportSearch(Stmt id, const QVariantList& values, int expected)
{
    DmQuery* search = m_dm->ADOQ_zpcx;
    search->setStatement(id, values);
    search->open();
    const QList<qint64> keys = search->keys();
    QCOMPARE(keys.size(), qsizetype(expected));
    const QString target = QDir(m_folder).filePath(QStringLiteral("export.csv"));
    qsizetype written = 0;
    QBENCHMARK_ONCE {
        written = ExportRegisterRows(*m_dm, keys, target);
    }
    QCOMPARE(written, qsizetype(expected));
    qInfo("exported %lld rows, %lld bytes", qlonglong(written), qlonglong(QFileInfo(target).size()));
    search->close();
}

void BenchBackup::exportWholeRegister()
{
    exportSearch(Stmt::Z3, {QDate(1999, 1, 1), QDate(2020, 1, 1)}, kRegisterRows);
}

void BenchBackup::exportOnePayee()
{
    exportSearch(Stmt::Z4, {QStringLiteral("收款单位7有限公司")}, kRegisterRows / 500);
}

void BenchBackup::backupDatabase()
{
    const QString target = QDir(m_folder).filePath(QStringLiteral("pjzp-备份.pdp"));
    QBENCHMARK_ONCE {
        BackupDatabase(*m_dm, target);
    }
    QCOMPARE(InspectBackup(target).cheques, kRegisterRows);
    qInfo("backup of %lld bytes", qlonglong(QFileInfo(target).size()));
}

// The restore reads the backup row by row into a new file of the program's own schema. Set
// against the way a backup used to be put in place (checked, the current database backed up,
// the backup copied beside it and the copy checked again), with the longest stretch between
// two progress reports (the window repaints throughout: the reading runs on its own thread).
void BenchBackup::restoreDatabase()
{
    const QString backup = QDir(m_folder).filePath(QStringLiteral("pjzp-备份.pdp"));
    if (!QFileInfo::exists(backup))
        BackupDatabase(*m_dm, backup);

    QElapsedTimer timer;
    timer.start();
    InspectBackup(backup);
    const QString kept = QDir(m_folder).filePath(QStringLiteral("kept.pdp"));
    BackupDatabase(*m_dm, kept);
    const QString copy = QDir(m_folder).filePath(QStringLiteral("copy.pdp"));
    QFile::remove(copy);
    QVERIFY(QFile::copy(backup, copy));
    QCOMPARE(InspectBackup(copy).cheques, kRegisterRows);
    const qint64 copyPath = timer.elapsed();
    QFile::remove(copy);
    QFile::remove(kept);

    QElapsedTimer sinceReport;
    qint64 longestGap = 0;
    int reports = 0;
    QString safety;
    timer.restart();
    QBENCHMARK_ONCE {
        sinceReport.start();
        const auto prepared = PrepareRestore(m_dm->databasePath(), backup, [&](qint64, qint64) {
            longestGap = qMax(longestGap, sinceReport.restart());
            ++reports;
            return true;
        });
        QVERIFY(prepared);
        QCOMPARE(prepared->info.cheques, kRegisterRows);
        safety = CommitRestore(*m_dm, *prepared);
    }
    const qint64 restore = timer.elapsed();
    m_dm->ensureConnected();
    QCOMPARE(countRows(m_dm->connectionName()), kRegisterRows);
    QFile::remove(safety);
    qInfo("restore %lld ms, file copy path %lld ms: %.1f times; %d progress reports, longest gap %lld ms", restore,
          copyPath, double(restore) / double(qMax<qint64>(copyPath, 1)), reports, longestGap);
}

QTEST_GUILESS_MAIN(BenchBackup)
#include "bench_backup.moc"
