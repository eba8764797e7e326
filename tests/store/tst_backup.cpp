// Backup and restore of the database while the program runs: the operator's backup through the
// menu, the automatic backup of each day, and the restore with its checks of the chosen file.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "printsetup/ChequeDesigner.h"
#include "printsetup/DesignerCanvas.h"
#include "store/Backup.h"
#include "store/DataModule.h"
#include "store/Restore.h"
#include "store/SafeCopy.h"
#include "store/Schema.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

#include <QTimer>
#include <QUuid>
#include <thread>

#include <cstdio>

using namespace Zt_typro;

namespace
{
// A connection of the test's own on a database file; removed when it goes.
class Connection
{
public:
    explicit Connection(const QString& path)
        : m_name(QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::Id128))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            qWarning("cannot open %s", qPrintable(path));
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    bool exec(const QString& sql) const
    {
        QSqlQuery q(db());
        const bool ok = q.exec(sql);
        if (!ok)
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return ok;
    }
    QVariant value(const QString& sql) const
    {
        QSqlQuery q(db());
        return q.exec(sql) && q.next() ? q.value(0) : QVariant();
    }
    QStringList numbers() const
    {
        QStringList list;
        QSqlQuery q(db());
        q.exec(QStringLiteral("select ph from zp order by rowid"));
        while (q.next())
            list << q.value(0).toString();
        return list;
    }

private:
    QString m_name;
};

// Stores a cheque through the program's own insert.
void storeCheque(TD_M& dm, const QString& ph, const QString& payee = QStringLiteral("甲公司"))
{
    dm.ADOQ_zp_up->setStatement(Stmt::Z1, {ph, payee, QStringLiteral("1200.50"), QStringLiteral("货款"),
                                           QStringLiteral("2026"), QStringLiteral("12"), QStringLiteral("10"),
                                           QStringLiteral("附言"), QDate(2026, 12, 10), QStringLiteral("转帐")});
    dm.ADOQ_zp_up->execute();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList dailyBackupFiles(const QString& databasePath)
{
    return QDir(BackupFolder(databasePath))
        .entryList({QStringLiteral("pjzp-\?\?\?\?-\?\?-\?\?.pdp")}, QDir::Files, QDir::Name);
}

void trigger(const char* name)
{
    QAction* item = Frm_main->findChild<QAction*>(QString::fromLatin1(name));
    QVERIFY2(item && item->isEnabled(), name);
    item->trigger();
}
} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    // A backup taken while a second connection has a cheque half stored (its write transaction
    // open) holds every committed row and nothing of the open write; the database goes on.
    void backup_whileSecondConnectionWrites_holdsCommittedRows()
    {
        TempWorkDir work;
        SetToday(QDate(2026, 12, 10));
        TD_M dm;
        storeCheque(dm, QStringLiteral("10000001"));
        storeCheque(dm, QStringLiteral("10000002"), QStringLiteral("O'Brien 商行"));

        Connection other(dm.databasePath());
        QVERIFY(other.exec(QStringLiteral("insert into zp (ph, skr, je) values ('10000003', '乙公司', '5.00')")));
        QVERIFY(other.db().transaction());
        QVERIFY(other.exec(QStringLiteral("insert into zp (ph, skr, je) values ('10000004', '丙公司', '6.00')")));

        const QString target = work.filePath(QStringLiteral("备份 'a'.pdp"));
        BackupDatabase(dm, target);
        // The same copy made on a thread of its own, as the backup command does.
        const QString apart = work.filePath(QStringLiteral("备份 apart.pdp"));
        QString failure;
        std::thread copier([&] {
            try {
                BackupDatabaseApart(dm.databasePath(), apart);
            } catch (const AppError& e) {
                failure = e.message();
            }
        });
        copier.join();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(other.db().commit());
        Connection apartCopy(apart);
        QCOMPARE(apartCopy.numbers(),
                 (QStringList{QStringLiteral("10000001"), QStringLiteral("10000002"), QStringLiteral("10000003")}));
        QVERIFY(QFile::remove(apart));

        Connection copy(target);
        QCOMPARE(copy.value(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(copy.numbers(), (QStringList{QStringLiteral("10000001"), QStringLiteral("10000002"),
                                              QStringLiteral("10000003")}));
        QCOMPARE(copy.value(QStringLiteral("select skr from zp where ph = '10000002'")).toString(),
                 QStringLiteral("O'Brien 商行"));
        QCOMPARE(copy.value(QStringLiteral("select count(*) from prn")).toInt(), 116);
        const BackupInfo info = InspectBackup(target);
        QCOMPARE(info.cheques, 3);
        // No part file is left beside the backup.
        QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral("pjzp.pdp"), QStringLiteral("备份 'a'.pdp")}));

        // The program writes on after the backup, and a second backup replaces the first.
        storeCheque(dm, QStringLiteral("10000005"));
        BackupDatabase(dm, target);
        QCOMPARE(InspectBackup(target).cheques, 5);
    }

    void backup_ontoTheDatabaseItself_refused()
    {
        TempWorkDir work;
        TD_M dm;
        storeCheque(dm, QStringLiteral("10000001"));
        const QByteArray before = readAll(dm.databasePath());
        try {
            BackupDatabase(dm, work.filePath(QStringLiteral("pjzp.pdp")));
            QFAIL("a backup onto the database itself was written");
        } catch (const AppError& e) {
            QCOMPARE(e.message(), QStringLiteral("不能把数据库备份到它自己 (%1)，请另选一个文件。")
                                      .arg(QDir::toNativeSeparators(dm.databasePath())));
        }
        QCOMPARE(readAll(dm.databasePath()), before);
    }

    // The operator's backup never writes over what the program keeps: the database's journal,
    // the day's copy, the copy kept before a restore or an upgrade, any other file of the backup
    // folder, a new name there, or any of these reached through a chain of links or a linked
    // folder. It is refused with the reason, and every kept file stays byte for byte.
    void backup_ontoAKeptFile_refused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("the journal's name") << QStringLiteral("journal");
        QTest::newRow("the write-ahead log's name") << QStringLiteral("wal");
        QTest::newRow("the day's copy") << QStringLiteral("daily");
        QTest::newRow("the copy kept before a restore") << QStringLiteral("safety");
        QTest::newRow("the copy kept before an upgrade") << QStringLiteral("upgrade");
        QTest::newRow("another file of the backup folder") << QStringLiteral("other");
        QTest::newRow("a new name in the backup folder") << QStringLiteral("new");
        QTest::newRow("a link to the copy kept before a restore") << QStringLiteral("link");
        QTest::newRow("two links to the day's copy") << QStringLiteral("chain");
        QTest::newRow("two links to a new name in the backup folder") << QStringLiteral("chainnew");
        QTest::newRow("a linked folder of the backup folder") << QStringLiteral("folderlink");
    }
    void backup_ontoAKeptFile_refused()
    {
        QFETCH(QString, kind);
        TempWorkDir work;
        SetToday(QDate(2026, 12, 10));
        TD_M dm;
        InstallDailyBackup(dm);
        storeCheque(dm, QStringLiteral("10000001"));
        const QDir backups(BackupFolder(dm.databasePath()));
        const QString daily = backups.filePath(DailyBackupName(Today()));
        const QString safety = backups.filePath(QStringLiteral("pjzp-恢复前-2026-12-09-080000.pdp"));
        const QString upgrade = backups.filePath(QStringLiteral("pjzp-升级前-版本1-2026-12-01-080000.pdp"));
        const QString other = backups.filePath(QStringLiteral("说明.txt"));
        QVERIFY(QFile::copy(daily, safety));
        QVERIFY(QFile::copy(daily, upgrade));
        QVERIFY(writeFile(other, "留存的备份，请勿删除"));
        QVERIFY(QDir(work.path()).mkdir(QStringLiteral("links")));
        const QString first = work.filePath(QStringLiteral("备份.pdp"));
        const QString second = work.filePath(QStringLiteral("links/下一个.pdp"));
        QString target;
        if (kind == QLatin1String("journal")) {
            target = dm.databasePath() + QStringLiteral("-journal");
        } else if (kind == QLatin1String("wal")) {
            target = dm.databasePath() + QStringLiteral("-wal");
        } else if (kind == QLatin1String("daily")) {
            target = daily;
        } else if (kind == QLatin1String("safety")) {
            target = safety;
        } else if (kind == QLatin1String("upgrade")) {
            target = upgrade;
        } else if (kind == QLatin1String("other")) {
            target = other;
        } else if (kind == QLatin1String("new")) {
            target = backups.filePath(QStringLiteral("pjzp-备份-2026-12-10.pdp"));
        } else if (kind == QLatin1String("link")) {
            target = first;
            QVERIFY(QFile::link(safety, first));
        } else if (kind == QLatin1String("chain") || kind == QLatin1String("chainnew")) {
            target = first;
            QVERIFY(QFile::link(kind == QLatin1String("chain") ? daily : backups.filePath(QStringLiteral("新.pdp")),
                                second));
            QVERIFY(QFile::link(QStringLiteral("links/下一个.pdp"), first));
        } else {
            QVERIFY(QFile::link(backups.path(), work.filePath(QStringLiteral("links/备份夹"))));
            target = work.filePath(QStringLiteral("links/备份夹/") + QFileInfo(safety).fileName());
        }
        const auto keptFiles = [&] {
            QStringList kept;
            for (const QFileInfo& file : backups.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
                kept << file.fileName() + QLatin1Char(' ') + QString::fromLatin1(readAll(file.filePath()).toHex());
            return kept;
        };
        const QStringList before = keptFiles();
        const QStringList beside = QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        const QString refusal = QStringLiteral("不能备份到 %1: 它是数据库文件、数据库的日志，或在 backup 文件夹中")
                                    .arg(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()));
        // From the menu's copy on a thread of its own, and from the data module's connection.
        for (const bool apart : {true, false}) {
            try {
                if (apart)
                    BackupDatabaseApart(dm.databasePath(), target);
                else
                    BackupDatabase(dm, target);
                QFAIL("a backup was written over what the program keeps");
            } catch (const AppError& e) {
                QVERIFY2(e.message().startsWith(refusal), qPrintable(e.message()));
            }
            QCOMPARE(keptFiles(), before);
            QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), beside);
            QVERIFY(QFileInfo(second).isSymLink() || !QFileInfo::exists(second));
        }
        // The operator's own name beside them is written.
        const QString own = work.filePath(QStringLiteral("u盘备份.pdp"));
        BackupDatabase(dm, own);
        QCOMPARE(InspectBackup(own).cheques, 1);
    }

    // The first write of each day makes that day's copy, taken before the write; later writes
    // of the day make none. Of 31 days, the last 30 copies are kept.
    void dailyBackup_onceADayKeepsThirty()
    {
        TempWorkDir work;
        const QDate first(2026, 11, 10);
        TD_M dm;
        InstallDailyBackup(dm);
        QStringList expected;
        for (int day = 0; day < 31; ++day) {
            SetToday(first.addDays(day));
            storeCheque(dm, QStringLiteral("A%1").arg(day));
            const QString copy = QDir(BackupFolder(dm.databasePath())).filePath(DailyBackupName(Today()));
            QVERIFY2(QFileInfo::exists(copy), qPrintable(copy));
            const QByteArray made = readAll(copy);
            storeCheque(dm, QStringLiteral("B%1").arg(day));
            QCOMPARE(readAll(copy), made); // the second write of the day leaves the copy alone
            QCOMPARE(InspectBackup(copy).cheques, 2 * day);
            expected << QStringLiteral("pjzp-%1.pdp").arg(first.addDays(day).toString(Qt::ISODate));
        }
        expected.removeFirst();
        QCOMPARE(dailyBackupFiles(dm.databasePath()), expected);
        QCOMPARE(expected.size(), kKeptDailyBackups);
    }

    // Copies dated after today (a clock once set wrong) neither push out today's copy nor are
    // removed: thirty of them used to make every write copy the database and delete the copy.
    void dailyBackup_futureDatedCopiesDoNotCancelToday()
    {
        TempWorkDir work;
        SetToday(QDate(2026, 12, 10));
        TD_M dm;
        InstallDailyBackup(dm);
        storeCheque(dm, QStringLiteral("10000001"));
        const QDir folder(BackupFolder(dm.databasePath()));
        QStringList future;
        for (int day = 0; day < kKeptDailyBackups; ++day) {
            const QString name = DailyBackupName(QDate(2030, 1, 1).addDays(day));
            QVERIFY(QFile::copy(folder.filePath(DailyBackupName(Today())), folder.filePath(name)));
            future << name;
        }
        SetToday(QDate(2026, 12, 11));
        storeCheque(dm, QStringLiteral("10000002"));
        const QString today = folder.filePath(DailyBackupName(Today()));
        QVERIFY2(QFileInfo::exists(today), qPrintable(today));
        const QByteArray made = readAll(today);
        storeCheque(dm, QStringLiteral("10000003"));
        QCOMPARE(readAll(today), made); // not made again by the next write
        QCOMPARE(InspectBackup(today).cheques, 1);
        QStringList expected{QStringLiteral("pjzp-2026-12-10.pdp"), QStringLiteral("pjzp-2026-12-11.pdp")};
        expected += future;
        QCOMPARE(dailyBackupFiles(dm.databasePath()), expected);
    }

    // A backup folder that cannot be made (a file stands in its place) is told to the operator
    // once a day, at the first write, and every cheque is stored all the same.
    void dailyBackup_blockedFolder_toldOnceADayAndChequesStored()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        SetToday(QDate(2026, 12, 10));
        const QString folder = BackupFolder(D_M->databasePath());
        QVERIFY(writeFile(folder, "不是文件夹"));
        const QString told = QStringLiteral("今天的自动备份没有做成: 无法建立备份文件夹 %1。\n数据照常保存。"
                                            "请检查备份文件夹 %1 是否可写、磁盘是否已满，或用“系统设置 → 备份数据”另做一份备份。")
                                 .arg(QDir::toNativeSeparators(folder));

        storeCheque(*D_M, QStringLiteral("10000001"));
        storeCheque(*D_M, QStringLiteral("10000002"));
        auto errors = prompter.ofKind(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().caption, QStringLiteral("Quillmate"));
        QCOMPARE(errors.first().text, told);

        SetToday(QDate(2026, 12, 11));
        storeCheque(*D_M, QStringLiteral("10000003"));
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 2);

        Connection now(D_M->databasePath());
        QCOMPARE(now.numbers(), (QStringList{QStringLiteral("10000001"), QStringLiteral("10000002"),
                                             QStringLiteral("10000003")}));
    }

    // Part files that a killed backup or restore left (hidden, of the program's own naming, with
    // their journals) go at the next backup once they are an hour old; a fresh one, which another
    // copy of the program may still be writing, and files of other names stay.
    void backup_removesStalePartFilesOfItsOwn()
    {
        TempWorkDir work;
        SetToday(QDate(2026, 12, 10));
        TD_M dm;
        InstallDailyBackup(dm);
        storeCheque(dm, QStringLiteral("10000001"));
        const QDir backups(BackupFolder(dm.databasePath()));
        const QString uuid = QStringLiteral("0123456789abcdef0123456789abcdef");
        const QStringList stale{
            backups.filePath(QStringLiteral(".pjzp-2026-12-09.pdp.part-") + uuid),
            backups.filePath(QStringLiteral(".pjzp-2026-12-09.pdp.part-") + uuid + QStringLiteral("-journal")),
            work.filePath(QStringLiteral(".pjzp.pdp.restore-") + uuid),
        };
        const QStringList kept{
            backups.filePath(QStringLiteral(".pjzp-2026-12-11.pdp.part-fedcba9876543210fedcba9876543210")),
            work.filePath(QStringLiteral(".notes.part-12")),
            work.filePath(QStringLiteral("pjzp.pdp.part-") + uuid),
        };
        const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-2 * 60 * 60);
        for (const QString& path : stale + kept) {
            QVERIFY(writeFile(path, "半截"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (path != kept.first())
                QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        SetToday(QDate(2026, 12, 11));
        storeCheque(dm, QStringLiteral("10000002"));
        QVERIFY(QFileInfo::exists(backups.filePath(DailyBackupName(Today()))));
        for (const QString& path : stale)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        for (const QString& path : kept)
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    }

    // Every file written whole goes through one safe copy: its part file, of the one naming the
    // clean-up knows, never takes the real name unless whole; a failed write leaves nothing and
    // the file it was to replace as it was; a copy that must not replace another gets a number.
    void safeWrite_partFilesAreCleanedAndNothingHalfWrittenStays()
    {
        TempWorkDir work;
        const QString target = work.filePath(QStringLiteral("pjzp-升级前-版本1-2026-12-11-080000.pdp"));
        QVERIFY(writeFile(target, "原来的"));
        QStringList parts;
        // A write that fails half-way.
        QVERIFY_THROWS_EXCEPTION(AppError, SafeWrite(
                                               target, ExistingFile::Replace,
                                               [&](const QString& part) {
                                                   parts << part;
                                                   QVERIFY(writeFile(part, "半截"));
                                                   throw AppError(QStringLiteral("磁盘已满"));
                                               },
                                               [](const QString& why) { return why; }));
        QVERIFY(!QFileInfo::exists(parts.last()));
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("原来的"));
        kept.close();
        // Kept, numbered: the earlier copy stays as it was.
        const QString numbered = SafeWrite(
            target, ExistingFile::KeepNumbered,
            [&](const QString& part) {
                parts << part;
                QVERIFY(writeFile(part, "新的"));
            },
            [](const QString& why) { return why; });
        QCOMPARE(QFileInfo(numbered).fileName(), QStringLiteral("pjzp-升级前-版本1-2026-12-11-080000-2.pdp"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("原来的"));
        kept.close();
        // Replaced in one step.
        SafeWrite(
            target, ExistingFile::Replace,
            [&](const QString& part) {
                parts << part;
                QVERIFY(writeFile(part, "替换"));
            },
            [](const QString& why) { return why; });
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("替换"));
        kept.close();
        // Had the program been killed while writing, each part file would be found and removed
        // once it is an hour old, with its journal.
        const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-2 * 60 * 60);
        for (const QString& part : parts + QStringList{PartFileBeside(target, "restore")}) {
            QVERIFY2(IsPartFileName(QFileInfo(part).fileName()), qPrintable(part));
            for (const QString& file : {part, part + QStringLiteral("-journal")}) {
                QVERIFY(writeFile(file, "半截"));
                QFile f(file);
                QVERIFY(f.open(QIODevice::ReadWrite));
                QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
            }
        }
        RemoveStalePartFiles(QDir(work.path()));
        QStringList left = QDir(work.path()).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QStringList expected{QFileInfo(target).fileName(), QFileInfo(numbered).fileName()};
        expected.sort();
        QCOMPARE(left, expected);
    }

    // The date a backup is shown with is its newest cheque's, not the day the file was copied.
    void backupDate_isTheNewestChequesDate_data()
    {
        QTest::addColumn<QDate>("newest");
        QTest::addColumn<QString>("text");
        QTest::newRow("written the same day") << QDate(2026, 12, 10) << QStringLiteral("2026-12-10（最新一张支票的日期）");
        QTest::newRow("copied later") << QDate(2026, 11, 30)
                                      << QStringLiteral("2026-11-30（最新一张支票的日期；文件写于 2026-12-10 14:05）");
        QTest::newRow("no cheque") << QDate() << QStringLiteral("2026-12-10 14:05（文件写入时间，其中没有支票的日期）");
    }
    void backupDate_isTheNewestChequesDate()
    {
        QFETCH(QDate, newest);
        QFETCH(QString, text);
        BackupInfo info;
        info.written = QDateTime(QDate(2026, 12, 10), QTime(14, 5));
        info.newestCheque = newest;
        QCOMPARE(BackupDateText(info), text);

        // Read from a real backup: the newest cheque date is the latest rq in it.
        TempWorkDir work;
        TD_M dm;
        storeCheque(dm, QStringLiteral("10000001"));
        const QString target = work.filePath(QStringLiteral("b.pdp"));
        BackupDatabase(dm, target);
        QCOMPARE(InspectBackup(target).newestCheque, QDate(2026, 12, 10));
    }

    // What the program creates of the records is its owner's only: the database, the backup
    // folder, the daily backup and a backup made from the menu.
    void filesItCreates_areForTheOwnerOnly()
    {
        TempWorkDir work;
        SetToday(QDate(2026, 12, 10));
        TD_M dm;
        InstallDailyBackup(dm);
        storeCheque(dm, QStringLiteral("10000001"));
        const QString target = work.filePath(QStringLiteral("备份.pdp"));
        BackupDatabase(dm, target);
        const auto ownerFile = QFile::ReadOwner | QFile::WriteOwner;
        const auto ownerFolder = ownerFile | QFile::ExeOwner;
        const auto mode = [](const QString& path) {
            // The owner's bits and those of everybody else, without Qt's "user" duplicates.
            return QFile::permissions(path) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                               QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
        };
        QCOMPARE(mode(dm.databasePath()), ownerFile);
        QCOMPARE(mode(BackupFolder(dm.databasePath())), ownerFolder);
        QCOMPARE(mode(QDir(BackupFolder(dm.databasePath())).filePath(DailyBackupName(Today()))), ownerFile);
        QCOMPARE(mode(target), ownerFile);
    }

    // The copy of a day is made at its first write; a day with reads only makes none, and a
    // transaction (the cheque print job's) makes it before it begins.
    void dailyBackup_atFirstWriteOnly()
    {
        TempWorkDir work;
        SetToday(QDate(2026, 12, 10));
        TD_M dm;
        InstallDailyBackup(dm);
        dm.ADOQ_skr_zpbj->setStatement(Stmt::S1);
        dm.ADOQ_skr_zpbj->open();
        dm.ADOQ_skr_zpbj->close();
        QCOMPARE(dailyBackupFiles(dm.databasePath()), QStringList{});
        dm.transaction([&] { storeCheque(dm, QStringLiteral("10000001")); });
        QCOMPARE(dailyBackupFiles(dm.databasePath()), QStringList{QStringLiteral("pjzp-2026-12-10.pdp")});
        QCOMPARE(InspectBackup(QDir(BackupFolder(dm.databasePath())).filePath(DailyBackupName(Today()))).cheques, 0);
    }

    // The menu's backup proposes a name with today's date and writes where the operator chose.
    void backupMenu_writesChosenFile()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        SetToday(QDate(2026, 12, 10));
        storeCheque(*D_M, QStringLiteral("10000001"));
        const QString target = forms.workDir().filePath(QStringLiteral("u盘备份"));
        prompter.fileAnswers.enqueue(target);
        trigger("mnubf");
        const auto files = prompter.ofKind(QStringLiteral("file"));
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.first().caption, QStringLiteral("备份数据"));
        QCOMPARE(files.first().text, forms.workDir().filePath(QStringLiteral("pjzp-备份-2026-12-10.pdp")));
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        QCOMPARE(prompter.last().kind, QStringLiteral("inform"));
        QCOMPARE(prompter.last().text,
                 QStringLiteral("数据已备份到 %1。").arg(QDir::toNativeSeparators(target + QStringLiteral(".pdp"))));
        QCOMPARE(InspectBackup(target + QStringLiteral(".pdp")).cheques, 1);

        // Cancelling the dialog writes nothing.
        prompter.questions.clear();
        trigger("mnubf");
        QCOMPARE(prompter.questions.size(), 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("file"));
    }

    // A good backup brings back its rows, after a confirmation that names its date and its
    // number of cheques; the replaced database is kept in the backup folder, every open result
    // is closed, and the program goes on working on the restored file.
    void restore_goodBackup_bringsBackItsRows()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        SetToday(QDate(2026, 12, 10));
        storeCheque(*D_M, QStringLiteral("10000001"));
        storeCheque(*D_M, QStringLiteral("10000002"));
        const QString saved = forms.workDir().filePath(QStringLiteral("saved.pdp"));
        BackupDatabase(*D_M, saved);
        // Copied two days after its last cheque: the date shown is the cheque's, with the file's.
        {
            QFile file(saved);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 12), QTime(9, 30)), QFileDevice::FileModificationTime));
        }
        const QString written = QStringLiteral("2026-12-10（最新一张支票的日期；文件写于 2026-12-12 09:30）");
        storeCheque(*D_M, QStringLiteral("10000003"));
        D_M->ADOQ_zpcx->setStatement(Stmt::Z4, {QStringLiteral("甲公司")});
        D_M->ADOQ_zpcx->open();
        QCOMPARE(D_M->ADOQ_zpcx->recordCount(), 3);

        prompter.fileAnswers.enqueue(saved);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        const auto confirms = prompter.ofKind(QStringLiteral("confirm"));
        QCOMPARE(confirms.size(), 1);
        QCOMPARE(confirms.first().caption, QStringLiteral("提示"));
        QCOMPARE(confirms.first().text, QStringLiteral("确实要用备份 %1 恢复数据吗？\n备份日期: %2\n其中有支票 2 张。\n"
                                                       "当前的数据库将先备份到 backup 文件夹，然后被替换。")
                                            .arg(QDir::toNativeSeparators(saved), written));
        QVERIFY(!D_M->ADOQ_zpcx->isOpen());

        const QStringList safety = QDir(BackupFolder(D_M->databasePath()))
                                       .entryList({QStringLiteral("pjzp-恢复前-2026-12-10-*.pdp")}, QDir::Files);
        QCOMPARE(safety.size(), 1);
        const QString safetyPath = QDir(BackupFolder(D_M->databasePath())).filePath(safety.first());
        QCOMPARE(prompter.last().kind, QStringLiteral("inform"));
        QCOMPARE(prompter.last().text, QStringLiteral("数据已恢复，现有支票 2 张。\n恢复前的数据库已备份为 %1。")
                                           .arg(QDir::toNativeSeparators(safetyPath)));
        QCOMPARE(InspectBackup(safetyPath).cheques, 3);

        // The connection opens again on the restored file at the next query.
        D_M->ADOQ_zpcx->open();
        QCOMPARE(D_M->ADOQ_zpcx->recordCount(), 2);
        storeCheque(*D_M, QStringLiteral("10000004"));
        Connection now(D_M->databasePath());
        QCOMPARE(now.numbers(), (QStringList{QStringLiteral("10000001"), QStringLiteral("10000002"),
                                             QStringLiteral("10000004")}));
        QCOMPARE(QDir(forms.workDir().path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral("pjzp.pdp"), QStringLiteral("saved.pdp")}));
    }

    // A designer open during a restore shows the restored layout and its print list again, so
    // that saving it keeps the restored positions rather than writing the replaced ones back.
    void restore_withDesignerOpen_showsAndKeepsTheRestoredLayout()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        Frm_main->show();
        const QString saved = forms.workDir().filePath(QStringLiteral("saved.pdp"));
        BackupDatabase(*D_M, saved);
        const QString fenSql = QStringLiteral("select kjx || ',' || kjy from prn where win = 'zz' and kjmc = 'P_zz_fen'");
        const QString restoredFen = Connection(saved).value(fenSql).toString();
        D_M->ADOQ_zb_up->setStatement(Stmt::P3, {300, 40, QStringLiteral("P_zz_fen"), QStringLiteral("zz")});
        D_M->ADOQ_zb_up->execute();
        trigger("zz_prn_set");
        ChequeDesigner* designer = Frm_main->P_zzzp_set;
        QVERIFY(designer->isVisible());
        QCOMPARE(designer->Panel_zz->fieldPanel(QStringLiteral("P_zz_fen"))->pos(), QPoint(300, 40));
        const int listed = designer->DBCtrlGrid_zp->model()->rowCount();
        QVERIFY(listed > 0);

        prompter.fileAnswers.enqueue(saved);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        const QPoint fen = designer->Panel_zz->fieldPanel(QStringLiteral("P_zz_fen"))->pos();
        QCOMPARE(QStringLiteral("%1,%2").arg(fen.x()).arg(fen.y()), restoredFen);
        QCOMPARE(designer->DBCtrlGrid_zp->model()->rowCount(), listed);

        designer->Button_zz_bc->click();
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        QCOMPARE(Connection(D_M->databasePath()).value(fenSql).toString(), restoredFen);
    }

    // The same when another program renames another database over the file while a designer is
    // open: the first save reports the replacement and writes nothing; the designer then shows
    // the layout of the file now in use, and saving again keeps that layout.
    void fileReplacedWithDesignerOpen_designerShowsTheNewFile()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        Frm_main->show();
        const QString other = forms.workDir().filePath(QStringLiteral("other.pdp"));
        BackupDatabase(*D_M, other);
        Connection(other).exec(QStringLiteral("update prn set kjx = 123, kjy = 45 where win = 'zz' and kjmc = 'P_zz_fen'"));
        trigger("zz_prn_set");
        ChequeDesigner* designer = Frm_main->P_zzzp_set;
        const QPoint before = designer->Panel_zz->fieldPanel(QStringLiteral("P_zz_fen"))->pos();
        QVERIFY(before != QPoint(123, 45));

        QCOMPARE(::rename(QFile::encodeName(other).constData(), QFile::encodeName(D_M->databasePath()).constData()),
                 0);
        const QByteArray arrived = readAll(D_M->databasePath());
        designer->Button_zz_bc->click();
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 1);
        QVERIFY2(prompter.last().text.contains(QStringLiteral("在程序运行时被另一个文件替换了")), qPrintable(prompter.last().text));
        QCOMPARE(readAll(D_M->databasePath()), arrived);

        QTRY_COMPARE(designer->Panel_zz->fieldPanel(QStringLiteral("P_zz_fen"))->pos(), QPoint(123, 45));
        QVERIFY(designer->DBCtrlGrid_zp->model()->rowCount() > 0);
        designer->Button_zz_bc->click();
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 1);
        QCOMPARE(Connection(D_M->databasePath())
                     .value(QStringLiteral("select kjx || ',' || kjy from prn where win = 'zz' and kjmc = 'P_zz_fen'"))
                     .toString(),
                 QStringLiteral("123,45"));
    }

    void restore_answeredNo_changesNothing()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        storeCheque(*D_M, QStringLiteral("10000001"));
        const QString saved = forms.workDir().filePath(QStringLiteral("saved.pdp"));
        BackupDatabase(*D_M, saved);
        storeCheque(*D_M, QStringLiteral("10000002"));
        const QByteArray before = readAll(D_M->databasePath());
        prompter.fileAnswers.enqueue(saved);
        prompter.confirmAnswers.enqueue(false);
        trigger("mnuhf");
        QCOMPARE(prompter.ofKind(QStringLiteral("confirm")).size(), 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("confirm"));
        QCOMPARE(readAll(D_M->databasePath()), before);
        QCOMPARE(QDir(BackupFolder(D_M->databasePath())).entryList({QStringLiteral("pjzp-恢复前-*")}), QStringList{});
    }

    // A file that is not a sound database of this program is refused with a message that says
    // why; no question is asked, and the database and the backup folder stay as they were.
    void restore_badFile_refusedDatabaseUnchanged_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("truncated backup") << "truncated" << "文件已损坏: ";
        QTest::newRow("another program's SQLite file") << "foreign" << "缺少数据表 skr、zp 或 prn，或其中的列";
        QTest::newRow("register table without its columns") << "columns" << "缺少数据表 skr、zp 或 prn，或其中的列";
        QTest::newRow("text file") << "text" << "不是数据库文件";
        QTest::newRow("empty file") << "empty" << "不是数据库文件";
        QTest::newRow("copied while a write was under way") << "hotjournal" << "旁边有未写完的日志文件";
        QTest::newRow("written by a later program")
            << "newer" << QStringLiteral("它由较新的程序写成，结构版本是 %1").arg(kSchemaVersion + 1);
    }
    void restore_badFile_refusedDatabaseUnchanged()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        FormsFixture forms;
        ScriptedPrompter prompter;
        const QString bad = forms.workDir().filePath(QStringLiteral("bad.pdp"));
        for (int i = 0; i < 400; ++i)
            storeCheque(*D_M, QStringLiteral("1%1").arg(i, 7, 10, QLatin1Char('0')));
        if (kind == QLatin1String("truncated")) {
            BackupDatabase(*D_M, bad);
            QByteArray bytes = readAll(bad);
            QVERIFY(bytes.size() > 8 * 4096);
            bytes.truncate(bytes.size() / 2);
            QVERIFY(writeFile(bad, bytes));
        } else if (kind == QLatin1String("foreign") || kind == QLatin1String("columns")) {
            Connection other(bad);
            QVERIFY(other.exec(QStringLiteral("create table skr (skrmc text, zh text, khh text, cs integer)")));
            QVERIFY(other.exec(QStringLiteral("create table prn (kjmc text, kjx int, kjy int, win text, kjyy text, "
                                              "dy int)")));
            const bool foreign = kind == QLatin1String("foreign");
            QVERIFY(other.exec(foreign ? QStringLiteral("create table notes (body text)")
                                       : QStringLiteral("create table zp (ph text, je text)")));
        } else if (kind == QLatin1String("newer")) {
            BackupDatabase(*D_M, bad);
            QVERIFY(Connection(bad).exec(QStringLiteral("pragma user_version = %1").arg(kSchemaVersion + 1)));
        } else if (kind == QLatin1String("hotjournal")) {
            // A file and its journal copied while another program's write transaction was open
            // and had already spilled pages into the file.
            const QString source = forms.workDir().filePath(QStringLiteral("source.pdp"));
            BackupDatabase(*D_M, source);
            Connection writer(source);
            QVERIFY(writer.exec(QStringLiteral("pragma journal_mode = delete")));
            QVERIFY(writer.exec(QStringLiteral("pragma cache_size = 1")));
            QVERIFY(writer.db().transaction());
            for (int i = 0; i < 1000; ++i)
                QVERIFY(writer.exec(QStringLiteral("insert into zp (ph, skr, je) values ('9%1', '%2', '1.00')")
                                        .arg(i, 7, 10, QLatin1Char('0'))
                                        .arg(QString(40, u'乙'))));
            QVERIFY(QFileInfo(source + QStringLiteral("-journal")).size() > 0);
            QVERIFY(QFile::copy(source, bad));
            QVERIFY(QFile::copy(source + QStringLiteral("-journal"), bad + QStringLiteral("-journal")));
            QVERIFY(writer.db().rollback());
        } else if (kind == QLatin1String("text")) {
            QVERIFY(writeFile(bad, QStringLiteral("票号,金额\r\n10000001,1200.50\r\n").toUtf8()));
        } else {
            QVERIFY(writeFile(bad, QByteArray()));
        }
        const QByteArray before = readAll(D_M->databasePath());
        const QStringList backupsBefore = QDir(BackupFolder(D_M->databasePath())).entryList(QDir::Files);

        prompter.fileAnswers.enqueue(bad);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        QCOMPARE(prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        const auto errors = prompter.ofKind(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        const QString start = QStringLiteral("文件 %1 不是本程序可以使用的数据库备份 (%2")
                                  .arg(QDir::toNativeSeparators(bad), reason);
        QVERIFY2(errors.first().text.startsWith(start), qPrintable(errors.first().text));
        QVERIFY2(errors.first().text.endsWith(QStringLiteral("。\n当前的数据库没有被改动。")),
                 qPrintable(errors.first().text));
        QCOMPARE(readAll(D_M->databasePath()), before);
        QCOMPARE(QDir(BackupFolder(D_M->databasePath())).entryList(QDir::Files), backupsBefore);
        QCOMPARE(Connection(D_M->databasePath()).value(QStringLiteral("select count(*) from zp")).toInt(), 400);
    }

    // Backups made hostile with SQL: what the program's own schema would not hold is refused
    // with its reason (the row named) and the register left as it was; anything else is
    // restored clean (the program's own tables, types and checks, nothing of the backup's
    // triggers, views or tables), and a cheque stored afterwards is stored exactly as given.
    void restore_hostileBackup_refusedOrRestoredClean_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("refusal");
        const QString plainRegister = QStringLiteral(
            "create table zp (ph, skr, je, yt, nian, yue, ri, fjxx, hkfs, rq)");
        const QString dropRegister = QStringLiteral("drop table zp");
        QTest::newRow("trigger that swallows every later cheque")
            << QStringList{QStringLiteral("create trigger swallow before insert on zp begin select raise(ignore); end")}
            << QString();
        QTest::newRow("trigger that wipes the register")
            << QStringList{QStringLiteral("create trigger wipe after insert on zp begin delete from zp; end")}
            << QString();
        QTest::newRow("trigger that falsifies the amount")
            << QStringList{QStringLiteral("create trigger falsify after insert on zp begin "
                                          "update zp set je = '0.01' where rowid = new.rowid; end")}
            << QString();
        QTest::newRow("extra table, view and index")
            << QStringList{QStringLiteral("create table notes (body text)"),
                           QStringLiteral("create view every_cheque as select * from zp"),
                           QStringLiteral("create index zp_by_amount on zp (je)")}
            << QString();
        QTest::newRow("number columns holding text")
            << QStringList{dropRegister,
                           QStringLiteral(
                               "create table zp (ph integer, skr text, je real, yt, nian, yue, ri, fjxx, hkfs, rq)"),
                           QStringLiteral("insert into zp (ph, skr) values ('A0012345', '一千元')")}
            << QString();
        const QString amountRule = QStringLiteral(
            "不是金额: 金额只能由数字和一个小数点组成，小数点前最多 12 位，小数点后最多 2 位");
        QTest::newRow("amount of letters")
            << QStringList{QStringLiteral("update zp set je = 'abc' where ph = '10000002'")}
            << QStringLiteral("数据表 zp 的第 2 行（10000002）: 金额 abc ") + amountRule;
        QTest::newRow("negative amount") << QStringList{QStringLiteral(
                                                "update zp set je = '-5.00' where ph = '10000003'")}
                                         << QStringLiteral("数据表 zp 的第 3 行（10000003）: 金额 -5.00 ") + amountRule;
        QTest::newRow("amount with an exponent")
            << QStringList{QStringLiteral("update zp set je = '1e300' where ph = '10000001'")}
            << QStringLiteral("数据表 zp 的第 1 行（10000001）: 金额 1e300 ") + amountRule;
        QTest::newRow("amount of more digits than the field takes")
            << QStringList{QStringLiteral("update zp set je = '1234567890123.00' where ph = '10000002'")}
            << QStringLiteral("数据表 zp 的第 2 行（10000002）: 金额 1234567890123.00 ") + amountRule;
        QTest::newRow("amount of three decimals")
            << QStringList{QStringLiteral("update zp set je = '12.005' where ph = '10000002'")}
            << QStringLiteral("数据表 zp 的第 2 行（10000002）: 金额 12.005 ") + amountRule;
        QTest::newRow("stub year not the cheque's")
            << QStringList{QStringLiteral("update zp set nian = '2025' where ph = '10000002'")}
            << QStringLiteral("数据表 zp 的第 2 行（10000002）: 存根上的年、月、日与出票日期不符 "
                              "(2025年12月10日，出票日期 2026-12-10)");
        QTest::newRow("stub month not the cheque's")
            << QStringList{QStringLiteral("update zp set yue = '1' where ph = '10000003'")}
            << QStringLiteral("数据表 zp 的第 3 行（10000003）: 存根上的年、月、日与出票日期不符 "
                              "(2026年1月10日，出票日期 2026-12-10)");
        QTest::newRow("stub day not a number")
            << QStringList{QStringLiteral("update zp set ri = '1O' where ph = '10000001'")}
            << QStringLiteral("数据表 zp 的第 1 行（10000001）: 存根上的年、月、日与出票日期不符 "
                              "(2026年12月1O日，出票日期 2026-12-10)");
        QTest::newRow("amounts and stub dates as the field and the stub write them")
            << QStringList{QStringLiteral("update zp set je = '.5' where ph = '10000001'"),
                           QStringLiteral("update zp set je = '007', rq = '2026-01-05', nian = '2026', yue = '01', "
                                          "ri = '5' where ph = '10000002'"),
                           QStringLiteral("update zp set je = '123456789012.34', nian = null where ph = '10000003'")}
            << QString();
        QTest::newRow("version 1 holding the history")
            << QStringList{QStringLiteral("pragma user_version = 1")}
            << QStringLiteral("它的结构版本是 1，却有版本 2 才有的数据表 zpls (支票记录)，前后不一致");
        QTest::newRow("register as a view") << QStringList{QStringLiteral("alter table zp rename to zp_rows"),
                                                           QStringLiteral("create view zp as select * from zp_rows")}
                                            << QStringLiteral("zp 是视图，不是数据表");
        QTest::newRow("never-ending view")
            << QStringList{dropRegister,
                           QStringLiteral(
                               "create view zp as with recursive n(i) as (select 1 union all select i + 1 from n) "
                               "select cast(i as text) as ph, '' as skr, '' as je, '' as yt, '' as nian, "
                               "'' as yue, '' as ri, '' as fjxx, '' as hkfs, null as rq from n")}
            << QStringLiteral("zp 是视图，不是数据表");
        QTest::newRow("register without rowid")
            << QStringList{dropRegister,
                           QStringLiteral(
                               "create table zp (ph text primary key, skr, je, yt, nian, yue, ri, fjxx, hkfs, rq) "
                               "without rowid"),
                           QStringLiteral("insert into zp (ph, je) values ('10000001', '1.00')")}
            << QStringLiteral("数据表 zp 没有行号 (WITHOUT ROWID)");
        QTest::newRow("column named rowid")
            << QStringList{dropRegister,
                           QStringLiteral(
                               "create table zp (rowid integer, ph, skr, je, yt, nian, yue, ri, fjxx, hkfs, rq)")}
            << QStringLiteral("数据表 zp 有一列名为 rowid，与行号同名");
        QTest::newRow("numbers stored as numbers")
            << QStringList{dropRegister,
                           QStringLiteral(
                               "create table zp (ph integer, skr text, je real, yt, nian, yue, ri, fjxx, hkfs, rq)"),
                           QStringLiteral("insert into zp (ph, skr, je) values ('00012345', '甲公司', '1200.50')")}
            << QStringLiteral("数据表 zp 的第 1 行（12345）: 票号存成了integer (12345)，不是文字");
        QTest::newRow("payee longer than the program allows")
            << QStringList{dropRegister, plainRegister,
                           QStringLiteral("insert into zp (ph, skr) values ('10000001', '甲公司'), "
                                          "('10000002', replace(hex(zeroblob(50000)), '0', '乙'))")}
            << QStringLiteral("数据表 zp 的第 2 行（10000002）: 收款人有 100000 个字符，本程序最多允许 128 个");
        QTest::newRow("date that is no date")
            << QStringList{dropRegister, plainRegister,
                           QStringLiteral("insert into zp (ph, rq) values ('10000001', '2026-12-10'), "
                                          "('10000002', '2026-02-30')")}
            << QStringLiteral("数据表 zp 的第 2 行（10000002）: 日期 2026-02-30 不是日历上的一天");
        QTest::newRow("layout switch neither on nor off")
            << QStringList{QStringLiteral("create table prn_rows as select * from prn"),
                           QStringLiteral("drop table prn"),
                           QStringLiteral("create table prn (kjmc, kjx, kjy, win, kjyy, dy)"),
                           QStringLiteral("insert into prn select * from prn_rows"),
                           QStringLiteral("update prn set dy = 7 where win = 'zz' and kjmc = 'P_zz_fen'")}
            << QStringLiteral("（P_zz_fen）: 不符合本程序的规则 (");
        QTest::newRow("layout position beyond what a form holds")
            << QStringList{QStringLiteral("create table prn_rows as select * from prn"),
                           QStringLiteral("drop table prn"),
                           QStringLiteral("create table prn (kjmc, kjx, kjy, win, kjyy, dy)"),
                           QStringLiteral("insert into prn select * from prn_rows"),
                           QStringLiteral("update prn set kjx = 99999 where win = 'zz' and kjmc = 'P_zz_fen'")}
            << QStringLiteral("（P_zz_fen）: 控件X坐标是 99999，超出 -32768 到 32767");
    }
    void restore_hostileBackup_refusedOrRestoredClean()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, refusal);
        FormsFixture forms;
        ScriptedPrompter prompter;
        for (int i = 1; i <= 3; ++i)
            storeCheque(*D_M, QStringLiteral("1000000%1").arg(i));
        const QString hostile = forms.workDir().filePath(QStringLiteral("hostile.pdp"));
        BackupDatabase(*D_M, hostile);
        QStringList backupNumbers;
        {
            Connection file(hostile);
            for (const QString& sql : statements)
                QVERIFY(file.exec(sql));
            // (A backup to be refused may hold a view that never ends: it is not read here.)
            if (refusal.isEmpty())
                backupNumbers = file.numbers();
        }
        const QString schemaSql = QStringLiteral(
            "select type || ' ' || name || ' ' || ifnull(sql, '') from sqlite_master "
            "order by name");
        const auto schemaOf = [&](const QString& path) {
            QStringList objects;
            Connection c(path);
            QSqlQuery q(c.db());
            q.exec(schemaSql);
            while (q.next())
                objects << q.value(0).toString();
            return objects;
        };
        const QStringList ownSchema = schemaOf(D_M->databasePath());
        D_M->closeConnection();
        const QByteArray before = readAll(D_M->databasePath());
        const QStringList filesBefore = QDir(forms.workDir().path()).entryList(QDir::Files | QDir::Hidden);

        prompter.fileAnswers.enqueue(hostile);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        const auto errors = prompter.ofKind(QStringLiteral("error"));
        if (!refusal.isEmpty()) {
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().text.contains(refusal), qPrintable(errors.first().text));
            QVERIFY2(errors.first().text.endsWith(QStringLiteral("当前的数据库没有被改动。")),
                     qPrintable(errors.first().text));
            QCOMPARE(prompter.ofKind(QStringLiteral("confirm")).size(), 0);
            QCOMPARE(readAll(D_M->databasePath()), before);
            // No half-built file is left behind.
            QCOMPARE(QDir(forms.workDir().path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
            return;
        }
        QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).text));
        QVERIFY2(prompter.ofKind(QStringLiteral("confirm"))
                     .first()
                     .text.contains(QStringLiteral("其中有支票 %1 张。").arg(backupNumbers.size())),
                 qPrintable(prompter.ofKind(QStringLiteral("confirm")).first().text));
        QCOMPARE(schemaOf(D_M->databasePath()), ownSchema);
        QCOMPARE(Connection(D_M->databasePath()).numbers(), backupNumbers);

        D_M->ADOQ_zp_up->setStatement(Stmt::Z1,
                                      {QStringLiteral("00012345"), QStringLiteral("乙公司"), QStringLiteral("1200.50"),
                                       QStringLiteral("货款"), QStringLiteral("2026"), QStringLiteral("12"),
                                       QStringLiteral("10"), QString(), QDate(2026, 12, 10), QStringLiteral("转帐")});
        D_M->ADOQ_zp_up->execute();
        Connection now(D_M->databasePath());
        QCOMPARE(now.numbers(), backupNumbers + QStringList{QStringLiteral("00012345")});
        QCOMPARE(now.value(QStringLiteral("select typeof(ph) || ' ' || ph || ' ' || typeof(je) || ' ' || je from zp "
                                          "where skr = '乙公司'"))
                     .toString(),
                 QStringLiteral("text 00012345 text 1200.50"));
    }

    // A backup without its layout takes the current database's, after the question says so:
    // the designer then has every field to save.
    void restore_backupWithoutLayout_keepsTheCurrentLayout()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        D_M->ADOQ_zb_up->setStatement(Stmt::P3, {300, 40, QStringLiteral("P_zz_fen"), QStringLiteral("zz")});
        D_M->ADOQ_zb_up->execute();
        const QString saved = forms.workDir().filePath(QStringLiteral("saved.pdp"));
        BackupDatabase(*D_M, saved);
        QVERIFY(Connection(saved).exec(QStringLiteral("delete from prn")));
        prompter.fileAnswers.enqueue(saved);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        const QString layoutNote =
            QStringLiteral("备份中缺少 %1 项打印格式，将沿用当前数据库中的设置。").arg(InitialLayoutRows().size());
        QVERIFY2(prompter.ofKind(QStringLiteral("confirm")).first().text.contains(layoutNote),
                 qPrintable(prompter.ofKind(QStringLiteral("confirm")).first().text));
        Connection now(D_M->databasePath());
        QCOMPARE(now.value(QStringLiteral("select count(*) from prn")).toInt(), int(InitialLayoutRows().size()));
        QCOMPARE(now.value(QStringLiteral("select kjx || ',' || kjy from prn where win = 'zz' and kjmc = 'P_zz_fen'"))
                     .toString(),
                 QStringLiteral("300,40"));
    }

    // A backup in write-ahead-log mode with its log beside it: the question counts, and the
    // restore brings back, the cheques SQLite reads with the log applied.
    void restore_backupWithWriteAheadLog_restoresWhatItHolds()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        storeCheque(*D_M, QStringLiteral("10000001"));
        const QString source = forms.workDir().filePath(QStringLiteral("source.pdp"));
        const QString saved = forms.workDir().filePath(QStringLiteral("wal.pdp"));
        BackupDatabase(*D_M, source);
        {
            Connection writer(source);
            QVERIFY(writer.exec(QStringLiteral("pragma journal_mode = wal")));
            QVERIFY(writer.exec(QStringLiteral("pragma wal_autocheckpoint = 0")));
            for (int i = 2; i <= 8; ++i)
                QVERIFY(writer.exec(QStringLiteral("insert into zp (ph, je) values ('1000000%1', '1.00')").arg(i)));
            // Copied while the log still holds the rows, as a file manager copies both.
            QVERIFY(QFile::copy(source, saved));
            QVERIFY(QFile::copy(source + QStringLiteral("-wal"), saved + QStringLiteral("-wal")));
        }
        prompter.fileAnswers.enqueue(saved);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        QVERIFY(prompter.ofKind(QStringLiteral("confirm")).first().text.contains(QStringLiteral("其中有支票 8 张。")));
        QVERIFY(prompter.last().text.startsWith(QStringLiteral("数据已恢复，现有支票 8 张。\n")));
        QCOMPARE(Connection(D_M->databasePath()).numbers().size(), 8);
        QVERIFY(!QFileInfo::exists(D_M->databasePath() + QStringLiteral("-wal")));
    }

    // A database reached through a symbolic link is restored in the file the link points to:
    // the link stays, and later cheques go to the shared file. A link to nothing is refused.
    void restore_throughLink_restoresTheFileLinkedTo()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        storeCheque(*D_M, QStringLiteral("10000001"));
        const QString saved = forms.workDir().filePath(QStringLiteral("saved.pdp"));
        BackupDatabase(*D_M, saved);
        storeCheque(*D_M, QStringLiteral("10000002"));
        D_M->closeConnection();
        QVERIFY(QDir(forms.workDir().path()).mkdir(QStringLiteral("shared")));
        const QString shared = forms.workDir().filePath(QStringLiteral("shared/pjzp.pdp"));
        QVERIFY(QFile::rename(D_M->databasePath(), shared));
        QVERIFY(QFile::link(shared, D_M->databasePath()));

        prompter.fileAnswers.enqueue(saved);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        QVERIFY(QFileInfo(D_M->databasePath()).isSymLink());
        QCOMPARE(Connection(shared).numbers(), QStringList{QStringLiteral("10000001")});
        storeCheque(*D_M, QStringLiteral("10000003"));
        QCOMPARE(Connection(shared).numbers(), (QStringList{QStringLiteral("10000001"), QStringLiteral("10000003")}));

        D_M->closeConnection();
        QVERIFY(QFile::rename(shared, shared + QStringLiteral(".moved")));
        prompter.fileAnswers.enqueue(saved);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        const auto errors = prompter.ofKind(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().text.contains(QStringLiteral("但它指向的文件不存在，数据没有恢复")),
                 qPrintable(errors.first().text));
        QVERIFY(QFileInfo(D_M->databasePath()).isSymLink());
        QVERIFY(!QFileInfo::exists(shared));
    }

    // Reading a large backup shows a progress window with a cancel; stopped there, the restore
    // asks nothing more, changes nothing and leaves no file behind.
    void restore_stoppedInTheProgressWindow_changesNothing()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        Frm_main->show();
        storeCheque(*D_M, QStringLiteral("10000001"));
        const QString saved = forms.workDir().filePath(QStringLiteral("saved.pdp"));
        BackupDatabase(*D_M, saved);
        QVERIFY(Connection(saved).exec(QStringLiteral(
            "insert into zp (ph, skr, je, rq) with recursive n(i) as (select 1 union all select i + 1 from n "
            "where i < 200000) select printf('%08d', 20000000 + i), '乙公司', '1.00', '2026-12-10' from n")));
        D_M->closeConnection();
        const QByteArray before = readAll(D_M->databasePath());
        const QStringList files = QDir(forms.workDir().path()).entryList(QDir::Files | QDir::Hidden);

        bool shown = false;
        QTimer::singleShot(0, Frm_main, [&] {
            auto* progress = Frm_main->findChild<QProgressDialog*>();
            shown = progress && progress->labelText().contains(QDir::toNativeSeparators(saved));
            auto* cancel = progress ? progress->findChild<QPushButton*>() : nullptr;
            shown = shown && cancel && cancel->text() == QStringLiteral("取消");
            if (cancel)
                cancel->click();
        });
        prompter.fileAnswers.enqueue(saved);
        trigger("mnuhf");
        QVERIFY(shown);
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        QCOMPARE(prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        QCOMPARE(readAll(D_M->databasePath()), before);
        QCOMPARE(QDir(forms.workDir().path()).entryList(QDir::Files | QDir::Hidden), files);
    }

    // A database the program cannot open any more is replaced all the same; the damaged file
    // is kept as it was in the backup folder.
    void restore_overDamagedDatabase_keepsItAsAFile()
    {
        FormsFixture forms;
        ScriptedPrompter prompter;
        storeCheque(*D_M, QStringLiteral("10000001"));
        const QString saved = forms.workDir().filePath(QStringLiteral("saved.pdp"));
        BackupDatabase(*D_M, saved);
        D_M->closeConnection();
        const QByteArray garbage(8192, 'x');
        QVERIFY(writeFile(D_M->databasePath(), garbage));

        prompter.fileAnswers.enqueue(saved);
        prompter.confirmAnswers.enqueue(true);
        trigger("mnuhf");
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        QCOMPARE(InspectBackup(D_M->databasePath()).cheques, 1);
        const QDir folder(BackupFolder(D_M->databasePath()));
        const QStringList safety = folder.entryList({QStringLiteral("pjzp-恢复前-*.pdp")}, QDir::Files);
        QCOMPARE(safety.size(), 1);
        QCOMPARE(readAll(folder.filePath(safety.first())), garbage);
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
