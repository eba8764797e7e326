#include "store/Backup.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "store/DataModule.h"
#include "store/PrivateFiles.h"
#include "store/RecordFiles.h"
#include "store/SafeCopy.h"
#include "store/StoreLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <filesystem>
#include <system_error>

Q_LOGGING_CATEGORY(lcBackup, "quillmate.backup")

namespace Zt_typro
{
namespace
{
// Links followed before a name is taken for a loop (as the system's own limit).
constexpr int kMaxLinkHops = 40;

// Writes the database into the part file (new and empty). A database another program holds
// locked is waited for as long as the connection's busy timeout says, as every write is.
void vacuumInto(QSqlDatabase db, const QString& databasePath, const QString& part)
{
    QSqlQuery q(db);
    // The file name is bound as a value: a quote or a Chinese character in it is just a character.
    const bool ok = q.prepare(QStringLiteral("vacuum into ?")) && (q.addBindValue(part), q.exec());
    const QString error = ok ? QString() : q.lastError().text();
    q.finish();
    if (!ok) {
        QFile::remove(part);
        throw AppError(QStringLiteral("无法备份数据库 %1: %2").arg(NativePath(databasePath), error.trimmed()));
    }
}

// Copies the database at databasePath to target: vacuum(part) writes the copy into a part file
// beside target, which then takes target's place. The operator's backup (existing Replace) is
// refused on the records (IsRecordsFile) and replaces any other file of that name; the day's
// copy (KeepExisting) never replaces a file. Returns the name written, empty when the day's
// copy found its name taken meanwhile.
QString backupWith(const QString& databasePath, const QString& target, ExistingFile existing,
                   const std::function<void(const QString& part)>& vacuum)
{
    const QString absolute = QFileInfo(target).absoluteFilePath();
    if (SameFile(absolute, databasePath))
        throw AppError(QStringLiteral("不能把数据库备份到它自己 (%1)，请另选一个文件。").arg(NativePath(absolute)));
    if (existing == ExistingFile::Replace && IsRecordsFile(databasePath, absolute))
        throw AppError(
            QStringLiteral("不能备份到 %1: 它是数据库文件、数据库的日志，或在 backup 文件夹中"
                           "（那里保存着程序留存的备份，不能被替换）。请另选一个文件名，不要放在 backup 文件夹里。")
                .arg(NativePath(absolute)));
    if (!QFileInfo(absolute).absoluteDir().exists())
        throw AppError(QStringLiteral("无法备份数据库到 %1: 文件夹不存在。").arg(NativePath(absolute)));
    const QDir targetFolder = QFileInfo(absolute).absoluteDir();
    const QDir databaseFolder = QFileInfo(databasePath).absoluteDir();
    RemoveStalePartFiles(targetFolder);
    if (databaseFolder != targetFolder)
        RemoveStalePartFiles(databaseFolder);
    const QString written = SafeWrite(absolute, existing, vacuum, [&](const QString& why) {
        return QStringLiteral("无法备份数据库到 %1: %2").arg(NativePath(absolute), why);
    });
    qCDebug(lcBackup) << "database backed up to" << written;
    return written;
}

QString backupInto(TD_M& dm, const QString& target, ExistingFile existing)
{
    dm.ensureConnected();
    dm.checkFileUnchanged();
    return backupWith(dm.databasePath(), target, existing, [&](const QString& part) {
        vacuumInto(QSqlDatabase::database(dm.connectionName(), false), dm.databasePath(), part);
    });
}

// The automatic backups in a folder, oldest first (their names sort by date).
QStringList dailyBackups(const QDir& folder)
{
    static const QRegularExpression daily(QStringLiteral("^pjzp-\\d{4}-\\d{2}-\\d{2}\\.pdp$"));
    QStringList names;
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
        if (daily.match(name).hasMatch())
            names << name;
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

bool IsRecordsFile(const QString& databasePath, const QString& path)
{
    const QString backupFolder = QFileInfo(BackupFolder(databasePath)).canonicalFilePath();
    const QStringList tails{QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
    // The database's names: the one it is opened by and, when that is a link, the file's own
    // (SQLite keeps the journal beside the file the link names).
    QList<QFileInfo> databases{QFileInfo(databasePath)};
    if (const QString real = databases.first().canonicalFilePath(); !real.isEmpty())
        databases << QFileInfo(real);
    // By place: the folder a name lies in, with links in the folder's own path resolved.
    const auto inPlaceOfRecords = [&](const QFileInfo& target) {
        QString folder = QFileInfo(target.absolutePath()).canonicalFilePath();
        if (folder.isEmpty())
            folder = QDir::cleanPath(target.absolutePath());
        if (!backupFolder.isEmpty() && folder == backupFolder)
            return true;
        for (const QFileInfo& database : databases) {
            if (folder != QFileInfo(database.absolutePath()).canonicalFilePath())
                continue;
            for (const QString& tail : tails)
                if (target.fileName() == database.fileName() + tail)
                    return true;
        }
        return false;
    };
    // Every name on the way counts: the path, and each link it leads through, to its end.
    QFileInfo target(QFileInfo(path).absoluteFilePath());
    for (int hops = 0;; ++hops) {
        if (inPlaceOfRecords(target))
            return true;
        if (!target.isSymLink() || hops == kMaxLinkHops)
            break;
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(
            std::filesystem::path(target.absoluteFilePath().toStdU16String()), ec);
        if (ec)
            break;
        const QString named = QString::fromStdU16String(next.u16string());
        target = QFileInfo(QDir(target.absolutePath()).absoluteFilePath(named));
    }
    if (!target.exists())
        return false;
    // By identity: another name or a link for one of the record files.
    QStringList records;
    for (const QFileInfo& database : databases)
        for (const QString& tail : tails)
            records << database.absoluteFilePath() + tail;
    if (!backupFolder.isEmpty())
        for (const QFileInfo& kept : QDir(backupFolder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
            records << kept.absoluteFilePath();
    const std::filesystem::path written(target.absoluteFilePath().toStdU16String());
    for (const QString& record : records) {
        std::error_code ec;
        if (std::filesystem::equivalent(written, std::filesystem::path(record.toStdU16String()), ec) && !ec)
            return true;
    }
    return false;
}

QString BackupFolder(const QString& databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backup"));
}

QString ProposedBackupName(const QDate& day)
{
    return QStringLiteral("pjzp-备份-") + day.toString(Qt::ISODate) + QStringLiteral(".pdp");
}

QString DailyBackupName(const QDate& day)
{
    return QStringLiteral("pjzp-") + day.toString(Qt::ISODate) + QStringLiteral(".pdp");
}

void BackupDatabase(TD_M& dm, const QString& target)
{
    backupInto(dm, target, ExistingFile::Replace);
}

void BackupDatabaseApart(const QString& databasePath, const QString& target)
{
    backupWith(databasePath, target, ExistingFile::Replace, [&](const QString& part) {
        // Read-only; a write another program has open is waited for, as the data module does.
        OwnConnection own(databasePath, QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
        if (!own.isOpen())
            throw AppError(
                QStringLiteral("无法打开数据库 %1: %2").arg(NativePath(databasePath), own.error().trimmed()));
        vacuumInto(own.database(), databasePath, part);
    });
}

BackupInfo InspectBackup(const QString& path)
{
    const QString shown = NativePath(QFileInfo(path).absoluteFilePath());
    const auto refuse = [&](const QString& why) {
        return AppError(QStringLiteral("文件 %1 不是本程序可以使用的数据库备份 (%2)。").arg(shown, why));
    };
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法读取文件 %1: %2").arg(shown, file.errorString()));
    if (file.read(16) != QByteArray("SQLite format 3\0", 16))
        throw refuse(QStringLiteral("不是数据库文件"));
    file.close();
    // A journal left beside it means the file was copied while a write was under way: SQLite
    // would have to roll the file back, which a read-only look cannot, and the copy is not whole.
    const QFileInfo journal(path + QStringLiteral("-journal"));
    if (journal.exists() && journal.size() > 0)
        throw refuse(QStringLiteral("旁边有未写完的日志文件 %1: 它是在数据库正被写入时复制的，不完整。"
                                    "请用“系统设置 → 备份数据”重新做一份备份")
                         .arg(NativePath(journal.absoluteFilePath())));

    BackupInfo info;
    info.written = QFileInfo(path).lastModified();
    ReadOnlyConnection connection(path);
    if (!connection.isOpen())
        throw refuse(connection.error().trimmed());
    QSqlQuery q(connection.database());
    // Every page is read: a cut-off or damaged file is found here, not after it has replaced
    // the database.
    if (!q.exec(QStringLiteral("pragma quick_check")))
        throw refuse(QStringLiteral("文件已损坏: ") + q.lastError().text().trimmed());
    QStringList problems;
    while (q.next())
        problems << q.value(0).toString();
    if (q.lastError().isValid())
        throw refuse(QStringLiteral("文件已损坏: ") + q.lastError().text().trimmed());
    if (problems != QStringList{QStringLiteral("ok")})
        throw refuse(QStringLiteral("文件已损坏: ") + problems.mid(0, 3).join(QStringLiteral("; ")));
    q.finish();
    if (const QString problem = StructureProblem(connection.database(), QStringLiteral("main")); !problem.isEmpty())
        throw refuse(problem);
    if (!q.exec(QStringLiteral("select count(*) from zp")) || !q.next())
        throw refuse(QStringLiteral("文件已损坏: ") + q.lastError().text().trimmed());
    info.cheques = q.value(0).toInt();
    q.finish();
    if (q.exec(QStringLiteral("select max(rq) from zp")) && q.next())
        info.newestCheque = QDate::fromString(q.value(0).toString(), Qt::ISODate);
    return info;
}

QString BackupDateText(const BackupInfo& info)
{
    const QString written = info.written.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!info.newestCheque.isValid())
        return QStringLiteral("%1（文件写入时间，其中没有支票的日期）").arg(written);
    const QString newest = info.newestCheque.toString(Qt::ISODate);
    if (info.written.date() == info.newestCheque)
        return QStringLiteral("%1（最新一张支票的日期）").arg(newest);
    return QStringLiteral("%1（最新一张支票的日期；文件写于 %2）").arg(newest, written);
}

namespace
{
// The automatic backup: when the backup folder holds no backup of today (Today()), writes one
// and removes the oldest automatic backups dated up to today beyond kKeptDailyBackups (copies
// dated after today are neither counted nor removed). Returns true when a backup
// was written now. Throws AppError when it cannot be written; nothing is then remembered, so
// the next call tries again.
bool MakeDailyBackupIfDue(TD_M& dm)
{
    dm.ensureConnected();
    const QString folderPath = BackupFolder(dm.databasePath());
    QDir folder(folderPath);
    const QString target = folder.filePath(DailyBackupName(Today()));
    // Something else under the day's name is never replaced: a link there (even one leading
    // nowhere) is no copy, and is said once, rather than a copy made and dropped at every write.
    const QFileInfo there(target);
    if (there.isSymLink() || (there.exists() && !there.isFile()))
        throw AppError(QStringLiteral("备份文件夹中 %1 不是本程序做的备份（是链接或文件夹），没有动它。请把它移走。")
                           .arg(NativePath(target)));
    if (there.exists())
        return false;
    if (!MakePrivateFolder(folderPath))
        throw AppError(QStringLiteral("无法建立备份文件夹 %1。").arg(NativePath(folderPath)));
    // Written under the day's name only while nothing has it: another copy of the program that
    // made the day's copy meanwhile keeps its own.
    if (backupInto(dm, target, ExistingFile::KeepExisting).isEmpty())
        return false;
    // Only copies dated up to today take part: copies dated later (a clock that was wrong, files
    // copied in) would otherwise push out the copy just made at every write. They are kept.
    QStringList kept = dailyBackups(folder);
    const QString newest = DailyBackupName(Today());
    kept.erase(std::remove_if(kept.begin(), kept.end(), [&](const QString& name) { return name > newest; }),
               kept.end());
    for (qsizetype i = 0; i + kKeptDailyBackups < kept.size(); ++i) {
        if (!folder.remove(kept.at(i)))
            qCWarning(lcBackup) << "old backup not removed:" << folder.filePath(kept.at(i));
    }
    return true;
}
} // namespace

void InstallDailyBackup(TD_M& dm)
{
    dm.setBeforeWriteHook([reported = QDate()](TD_M& m) mutable {
        try {
            MakeDailyBackupIfDue(m);
        } catch (const AppError& e) {
            // A file replaced under the connection is the data module's to report, at once.
            if (!m.isConnected())
                throw;
            if (reported == Today()) {
                qCWarning(lcBackup) << "daily backup not made again today:" << e.message();
                return;
            }
            reported = Today();
            throw AppError(QStringLiteral("今天的自动备份没有做成: %1\n数据照常保存。请检查备份文件夹 %2 是否可写、"
                                          "磁盘是否已满，或用“系统设置 → 备份数据”另做一份备份。")
                               .arg(e.message(), NativePath(BackupFolder(m.databasePath()))));
        }
    });
}

} // namespace Zt_typro
