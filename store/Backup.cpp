#include "store/Backup.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "store/DataModule.h"
#include "store/PrivateFiles.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <QUuid>

#include <algorithm>
#include <filesystem>
#include <system_error>

Q_LOGGING_CATEGORY(lcBackup, "quillmate.backup")

namespace Zt_typro
{
namespace
{
const QString kDriver = QStringLiteral("QSQLITE");
// A part file untouched this long is left over from a copy that was killed.
constexpr qint64 kStalePartSeconds = 60 * 60;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

// Renames from to to, replacing a file already there in one step (rename(2) on POSIX,
// MoveFileEx with MOVEFILE_REPLACE_EXISTING on Windows): a reader of to sees the old file or
// the new one, never a part of either.
bool replaceFile(const QString& from, const QString& to, QString* error)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            ec);
    if (ec && error)
        *error = QString::fromLocal8Bit(ec.message());
    return !ec;
}

// A name beside target that no other file has, for building target's new content.
QString partFileBeside(const QString& target, const char* kind)
{
    const QFileInfo info(target);
    return info.absoluteDir().filePath(QStringLiteral(".") + info.fileName() + QLatin1Char('.') +
                                       QLatin1String(kind) + QLatin1Char('-') +
                                       QUuid::createUuid().toString(QUuid::Id128));
}

// Writes the database of dm into a file that does not exist yet. With noWait, a database
// that another program holds locked is not waited for: the copy fails at once.
void vacuumInto(TD_M& dm, const QString& part, bool noWait)
{
    QSqlDatabase db = QSqlDatabase::database(dm.connectionName(), false);
    QSqlQuery q(db);
    int busyTimeout = -1;
    if (noWait && q.exec(QStringLiteral("pragma busy_timeout")) && q.next()) {
        busyTimeout = q.value(0).toInt();
        q.finish();
        q.exec(QStringLiteral("pragma busy_timeout = 0"));
    }
    // The file name is bound as a value: a quote or a Chinese character in it is just a character.
    const bool ok = q.prepare(QStringLiteral("vacuum into ?")) && (q.addBindValue(part), q.exec());
    const QString error = ok ? QString() : q.lastError().text();
    q.finish();
    if (busyTimeout >= 0)
        q.exec(QStringLiteral("pragma busy_timeout = %1").arg(busyTimeout));
    if (!ok) {
        QFile::remove(part);
        throw AppError(QStringLiteral("无法备份数据库 %1: %2").arg(native(dm.databasePath()), error.trimmed()));
    }
}

// Part files of this program's own naming (see partFileBeside) that a backup or restore killed
// half-way left behind, with their journals. One untouched for an hour is no longer being
// written by anyone (a copy in progress writes on all the time) and is removed.
void removeStalePartFiles(const QDir& folder)
{
    static const QRegularExpression own(
        QStringLiteral("^\\..+\\.(part|restore)-[0-9a-f]{32}(-journal|-wal|-shm)?$"));
    const QDateTime stale = QDateTime::currentDateTimeUtc().addSecs(-kStalePartSeconds);
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!own.match(file.fileName()).hasMatch() || file.lastModified().toUTC() > stale)
            continue;
        if (QFile::remove(file.absoluteFilePath()))
            qCDebug(lcBackup) << "stale part file removed:" << file.absoluteFilePath();
        else
            qCWarning(lcBackup) << "stale part file not removed:" << file.absoluteFilePath();
    }
}

void backupInto(TD_M& dm, const QString& target, bool noWait)
{
    dm.ensureConnected();
    dm.checkFileUnchanged();
    const QString absolute = QFileInfo(target).absoluteFilePath();
    if (sameFile(absolute, dm.databasePath()))
        throw AppError(QStringLiteral("不能把数据库备份到它自己 (%1)，请另选一个文件。").arg(native(absolute)));
    if (!QFileInfo(absolute).absoluteDir().exists())
        throw AppError(QStringLiteral("无法备份数据库到 %1: 文件夹不存在。").arg(native(absolute)));
    const QDir targetFolder = QFileInfo(absolute).absoluteDir();
    const QDir databaseFolder = QFileInfo(dm.databasePath()).absoluteDir();
    removeStalePartFiles(targetFolder);
    if (databaseFolder != targetFolder)
        removeStalePartFiles(databaseFolder);
    const QString part = partFileBeside(absolute, "part");
    vacuumInto(dm, part, noWait);
    RestrictToOwner(part);
    QString error;
    if (!replaceFile(part, absolute, &error)) {
        QFile::remove(part);
        throw AppError(QStringLiteral("无法备份数据库到 %1: %2").arg(native(absolute), error));
    }
    qCDebug(lcBackup) << "database backed up to" << absolute;
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

// A connection of its own, read-only, on a file that is not the program's database.
class ReadOnlyConnection
{
public:
    explicit ReadOnlyConnection(const QString& path)
        : m_name(QStringLiteral("quillmate-inspect-") + QUuid::createUuid().toString(QUuid::Id128))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        m_open = db.open();
        if (!m_open)
            m_error = db.lastError().text();
    }
    ~ReadOnlyConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    Q_DISABLE_COPY_MOVE(ReadOnlyConnection)

    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_open = false;
    QString m_error;
};

// The columns each table of the program's database must have.
const char* const kTableChecks[] = {
    "select skrmc, zh, khh, cs from skr limit 0",
    "select ph, skr, je, yt, nian, yue, ri, fjxx, hkfs, rq from zp limit 0",
    "select kjmc, kjx, kjy, win, kjyy, dy from prn limit 0",
};

QString timeStamp(const QDate& day)
{
    return day.toString(Qt::ISODate) + QLatin1Char('-') + QTime::currentTime().toString(QStringLiteral("HHmmss"));
}

// The copy of the database taken before a restore replaces it.
QString safetyCopyPath(const QString& databasePath)
{
    const QDir folder(BackupFolder(databasePath));
    const QString stem = QStringLiteral("pjzp-恢复前-") + timeStamp(Today());
    QString path = folder.filePath(stem + QStringLiteral(".pdp"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(stem + QStringLiteral("-%1.pdp").arg(n));
    return path;
}

} // namespace

bool IsRecordsFile(const QString& databasePath, const QString& path)
{
    const QFileInfo database(databasePath);
    const QString backupFolder = QFileInfo(BackupFolder(databasePath)).canonicalFilePath();
    const QStringList tails{QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
    // By place: the folder a name lies in, with links in the folder's own path resolved.
    const auto inPlaceOfRecords = [&](const QFileInfo& target) {
        QString folder = QFileInfo(target.absolutePath()).canonicalFilePath();
        if (folder.isEmpty())
            folder = QDir::cleanPath(target.absolutePath());
        if (!backupFolder.isEmpty() && folder == backupFolder)
            return true;
        if (folder != QFileInfo(database.absolutePath()).canonicalFilePath())
            return false;
        for (const QString& tail : tails)
            if (target.fileName() == database.fileName() + tail)
                return true;
        return false;
    };
    const QFileInfo target(path);
    if (inPlaceOfRecords(target))
        return true;
    if (target.isSymLink() && inPlaceOfRecords(QFileInfo(target.symLinkTarget())))
        return true;
    if (!target.exists())
        return false;
    // By identity: another name or a link for one of the record files.
    QStringList records;
    for (const QString& tail : tails)
        records << database.absoluteFilePath() + tail;
    if (!backupFolder.isEmpty())
        for (const QFileInfo& kept : QDir(backupFolder).entryInfoList(QDir::Files | QDir::Hidden))
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
    backupInto(dm, target, false);
}

bool MakeDailyBackupIfDue(TD_M& dm)
{
    dm.ensureConnected();
    const QString folderPath = BackupFolder(dm.databasePath());
    QDir folder(folderPath);
    const QString target = folder.filePath(DailyBackupName(Today()));
    if (QFileInfo::exists(target))
        return false;
    if (!MakePrivateFolder(folderPath))
        throw AppError(QStringLiteral("无法建立备份文件夹 %1。").arg(native(folderPath)));
    // The day's copy is not worth keeping the operator waiting for a lock another program holds.
    backupInto(dm, target, true);
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

BackupInfo InspectBackup(const QString& path)
{
    const QString shown = native(QFileInfo(path).absoluteFilePath());
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
                         .arg(native(journal.absoluteFilePath())));

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
    for (const char* check : kTableChecks) {
        if (!q.exec(QString::fromLatin1(check)))
            throw refuse(QStringLiteral("缺少数据表 skr、zp 或 prn，或其中的列"));
        q.finish();
    }
    if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next() && q.value(0).toInt() > kSchemaVersion)
        throw refuse(QStringLiteral("它由较新的程序写成，结构版本是 %1，本程序只认识到版本 %2")
                         .arg(q.value(0).toInt())
                         .arg(kSchemaVersion));
    q.finish();
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
                               .arg(e.message(), native(BackupFolder(m.databasePath()))));
        }
    });
}

QString RestoreDatabase(TD_M& dm, const QString& source)
{
    const QString live = dm.databasePath();
    const QString from = QFileInfo(source).absoluteFilePath();
    if (sameFile(from, live))
        throw AppError(QStringLiteral("文件 %1 就是正在使用的数据库，不能用它恢复数据。").arg(native(from)));
    InspectBackup(from);

    // The database being replaced is kept first. One the program cannot open (damaged, or not
    // a database) is kept as the file it is.
    QString safety;
    if (QFileInfo::exists(live)) {
        if (!MakePrivateFolder(BackupFolder(live)))
            throw AppError(QStringLiteral("无法建立备份文件夹 %1。").arg(native(BackupFolder(live))));
        safety = safetyCopyPath(live);
        bool opened = false;
        try {
            dm.ensureConnected();
            opened = true;
        } catch (const AppError& e) {
            qCWarning(lcBackup) << "database kept as a plain file copy:" << e.message();
        }
        if (opened)
            BackupDatabase(dm, safety);
        else if (!QFile::copy(live, safety))
            throw AppError(QStringLiteral("无法备份当前的数据库 %1 到 %2。").arg(native(live), native(safety)));
    }

    // The backup is copied beside the database, and the copy is what is checked and renamed into
    // place: the database never holds a half-copied file, nor one that changed after its check.
    const QString part = partFileBeside(live, "restore");
    if (!QFile::copy(from, part))
        throw AppError(QStringLiteral("无法复制备份文件 %1 到 %2。").arg(native(from), native(part)));
    RestrictToOwner(part);
    try {
        InspectBackup(part);
    } catch (...) {
        QFile::remove(part);
        throw;
    }

    dm.closeConnection();
    // A journal left beside the old file would be played back into the new one.
    for (const char* tail : {"-journal", "-wal", "-shm"}) {
        const QString leftover = live + QLatin1String(tail);
        if (QFileInfo::exists(leftover) && !QFile::remove(leftover)) {
            QFile::remove(part);
            throw AppError(QStringLiteral("无法删除数据库的日志文件 %1，数据没有恢复。").arg(native(leftover)));
        }
    }
    QString error;
    if (!replaceFile(part, live, &error)) {
        QFile::remove(part);
        throw AppError(QStringLiteral("无法用备份替换数据库 %1: %2").arg(native(live), error));
    }
    qCDebug(lcBackup) << "database restored from" << from << "; the replaced one kept as" << safety;
    return safety;
}

} // namespace Zt_typro
