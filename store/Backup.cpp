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
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <QUrl>
#include <QUuid>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

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

// Settings of a connection that reads a file from outside: nothing in the file's schema runs
// functions of the program.
void distrustSchema(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA trusted_schema = OFF"));
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
void vacuumInto(QSqlDatabase db, const QString& databasePath, const QString& part, bool noWait)
{
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
        throw AppError(QStringLiteral("无法备份数据库 %1: %2").arg(native(databasePath), error.trimmed()));
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

// Copies the database at databasePath to target: vacuum(part) writes the copy into a part file
// beside target, which then takes target's place.
void backupWith(const QString& databasePath, const QString& target,
                const std::function<void(const QString& part)>& vacuum)
{
    const QString absolute = QFileInfo(target).absoluteFilePath();
    if (sameFile(absolute, databasePath))
        throw AppError(QStringLiteral("不能把数据库备份到它自己 (%1)，请另选一个文件。").arg(native(absolute)));
    if (!QFileInfo(absolute).absoluteDir().exists())
        throw AppError(QStringLiteral("无法备份数据库到 %1: 文件夹不存在。").arg(native(absolute)));
    const QDir targetFolder = QFileInfo(absolute).absoluteDir();
    const QDir databaseFolder = QFileInfo(databasePath).absoluteDir();
    removeStalePartFiles(targetFolder);
    if (databaseFolder != targetFolder)
        removeStalePartFiles(databaseFolder);
    const QString part = partFileBeside(absolute, "part");
    vacuum(part);
    RestrictToOwner(part);
    QString error;
    if (!replaceFile(part, absolute, &error)) {
        QFile::remove(part);
        throw AppError(QStringLiteral("无法备份数据库到 %1: %2").arg(native(absolute), error));
    }
    qCDebug(lcBackup) << "database backed up to" << absolute;
}

void backupInto(TD_M& dm, const QString& target, bool noWait)
{
    dm.ensureConnected();
    dm.checkFileUnchanged();
    backupWith(dm.databasePath(), target, [&](const QString& part) {
        vacuumInto(QSqlDatabase::database(dm.connectionName(), false), dm.databasePath(), part, noWait);
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

// A connection of its own on a file that is not the program's database (opened with the
// driver's options), closed and removed when it goes.
class OwnConnection
{
public:
    OwnConnection(const QString& path, const QString& options)
        : m_name(QStringLiteral("quillmate-own-") + QUuid::createUuid().toString(QUuid::Id128))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
        m_open = db.open();
        if (!m_open)
            m_error = db.lastError().text();
        else
            distrustSchema(db);
    }
    ~OwnConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    Q_DISABLE_COPY_MOVE(OwnConnection)

    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name, false); }

protected:
    void fail(const QString& error)
    {
        m_open = false;
        m_error = error;
    }

private:
    QString m_name;
    bool m_open = false;
    QString m_error;
};

// A read-only connection of its own on a file that is not the program's database.
class ReadOnlyConnection : public OwnConnection
{
public:
    explicit ReadOnlyConnection(const QString& path)
        : OwnConnection(path, QStringLiteral("QSQLITE_OPEN_READONLY"))
    {
    }
};

// The tables of the program's database with the columns each must have, and the column that
// names a row to the operator. The layout comes last: fields it lacks are added after it.
struct RecordTable
{
    const char* name;
    const char* columns;
    const char* shownBy;
    int since; // the schema version that brought the table: a file older than that lacks it
};
const RecordTable kTables[] = {
    {"skr", "skrmc, zh, khh, cs", "skrmc", 0},
    {"zp", "ph, skr, je, yt, nian, yue, ri, fjxx, hkfs, rq", "ph", 0},
    {"zpls", "zpid, sj, sm, czy, fssj", "zpid", 2},
    {"prn", "kjmc, kjx, kjy, win, kjyy, dy", "kjmc", 0},
};

// The schema version of the file in schema (main, or an attached file).
int versionOf(QSqlDatabase db, const QString& schema)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA %1.user_version").arg(schema)) && q.next() ? q.value(0).toInt() : 0;
}

QString tableName(const RecordTable& table)
{
    return QString::fromLatin1(table.name);
}

QStringList columnsOf(const RecordTable& table)
{
    return QString::fromLatin1(table.columns).split(QStringLiteral(", "));
}

// Checks that the register's tables in schema (main, or an attached file) are plain tables
// with a row key of their own and the columns the program reads. Nothing is read from a table
// before this: a view could run without end, a table without rowid or with a column called
// rowid would lose the register's order. Returns the reason when they are not.
QString structureProblem(QSqlDatabase db, const QString& schema)
{
    QSqlQuery q(db);
    for (const RecordTable& table : kTables) {
        const QString name = tableName(table);
        // The names are the program's own: PRAGMA takes no bound values.
        if (!q.exec(QStringLiteral("PRAGMA %1.table_list(%2)").arg(schema, name)))
            return QStringLiteral("文件已损坏: ") + q.lastError().text().trimmed();
        QString type;
        bool withoutRowid = false;
        while (q.next()) {
            if (q.value(QStringLiteral("schema")).toString() != schema)
                continue;
            type = q.value(QStringLiteral("type")).toString();
            withoutRowid = q.value(QStringLiteral("wr")).toInt() != 0;
        }
        q.finish();
        if (type.isEmpty())
            continue; // missing: the column check names it
        if (type == QLatin1String("view"))
            return QStringLiteral("%1 是视图，不是数据表").arg(name);
        if (type != QLatin1String("table"))
            return QStringLiteral("%1 是特殊的表 (%2)，不是普通数据表").arg(name, type);
        if (withoutRowid)
            return QStringLiteral("数据表 %1 没有行号 (WITHOUT ROWID)").arg(name);
        if (!q.exec(QStringLiteral("PRAGMA %1.table_xinfo(%2)").arg(schema, name)))
            return QStringLiteral("文件已损坏: ") + q.lastError().text().trimmed();
        while (q.next()) {
            const QString column = q.value(QStringLiteral("name")).toString().toLower();
            if (column == QLatin1String("rowid") || column == QLatin1String("oid") ||
                column == QLatin1String("_rowid_"))
                return QStringLiteral("数据表 %1 有一列名为 %2，与行号同名")
                    .arg(name, q.value(QStringLiteral("name")).toString());
        }
        q.finish();
    }
    const int version = versionOf(db, schema);
    if (version > kSchemaVersion)
        return QStringLiteral("它由较新的程序写成，结构版本是 %1，本程序只认识到版本 %2")
            .arg(version)
            .arg(kSchemaVersion);
    for (const RecordTable& table : kTables) {
        if (table.since > version)
            continue;
        if (!q.exec(QStringLiteral("select %1 from %2.%3 limit 0")
                        .arg(QString::fromLatin1(table.columns), schema, tableName(table))))
            return table.since > 0 ? QStringLiteral("缺少数据表 %1，或其中的列").arg(tableName(table))
                                   : QStringLiteral("缺少数据表 skr、zp 或 prn，或其中的列");
        q.finish();
    }
    return {};
}

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

void BackupDatabaseApart(const QString& databasePath, const QString& target)
{
    backupWith(databasePath, target, [&](const QString& part) {
        // Read-only; a write another program has open is waited for, as the data module does.
        OwnConnection own(databasePath, QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
        if (!own.isOpen())
            throw AppError(QStringLiteral("无法打开数据库 %1: %2").arg(native(databasePath), own.error().trimmed()));
        vacuumInto(own.database(), databasePath, part, false);
    });
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
    if (const QString problem = structureProblem(connection.database(), QStringLiteral("main")); !problem.isEmpty())
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

namespace
{
// Rows copied by one statement while a backup is read: between two, the window repaints and
// the operator may stop.
constexpr int kRowsPerStep = 20000;
// The longest part of a value a message shows.
constexpr int kShownChars = 30;

QString shortened(const QString& text)
{
    return text.size() > kShownChars ? text.left(kShownChars) + QStringLiteral("…") : text;
}

// The condition under which a value of column is of another type than the program stores there
// (text, or an integer). Lengths and the rest are the new database's own checks.
QString ruleBroken(const QString& table, const QString& column)
{
    const ColumnRule* rule = FindColumnRule(table + QLatin1Char('.') + column);
    if (!rule)
        return {};
    return rule->maxChars > 0 ? QStringLiteral("typeof(%1) in ('integer', 'real', 'blob')").arg(column)
                              : QStringLiteral("typeof(%1) in ('text', 'real', 'blob')").arg(column);
}

// Checks of the program beyond a column's rule: a cheque's date must be a day of the
// calendar (SQLite's date() takes 2026-02-30 as it stands).
struct ExtraCheck
{
    const char* table;
    const char* column;
    const char* broken;  // the condition under which the value is wrong
    const char* problem; // what is wrong, with %1 for the value
};
const ExtraCheck kExtraChecks[] = {
    // Only a day after the 28th can be past its month's end.
    {"zp", "rq", "substr(rq, 9) > '28' and date(rq, '+0 days') is not rq", "日期 %1 不是日历上的一天"},
};

// What is wrong with the row of table at rowid in the attached backup, in the operator's
// words: its place in the table, what names it, and the first value that breaks a rule (or
// driverText, the database's own objection, when none does).
QString rowProblem(QSqlDatabase db, const RecordTable& table, qint64 rowid, const QString& driverText)
{
    const QString name = tableName(table);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select count(*) from src.%1 where rowid <= ?").arg(name));
    q.addBindValue(rowid);
    const qint64 position = q.exec() && q.next() ? q.value(0).toLongLong() : rowid;
    q.finish();
    QString problem;
    QString shownBy;
    for (const QString& column : columnsOf(table)) {
        q.prepare(QStringLiteral("select typeof(%1), length(%1), substr(%1, 1, %2) from src.%3 where rowid = ?")
                      .arg(column)
                      .arg(kShownChars + 1)
                      .arg(name));
        q.addBindValue(rowid);
        if (!q.exec() || !q.next())
            continue;
        const QString type = q.value(0).toString();
        const qint64 length = q.value(1).toLongLong();
        const QString value = shortened(q.value(2).toString());
        q.finish();
        if (column == QLatin1String(table.shownBy))
            shownBy = value;
        const ColumnRule* rule = FindColumnRule(name + QLatin1Char('.') + column);
        if (!rule || !problem.isEmpty())
            continue;
        const QString caption = QString::fromUtf8(rule->caption);
        if (type == QLatin1String("null")) {
            if (rule->notNull)
                problem = QStringLiteral("%1是空的").arg(caption);
        } else if (rule->maxChars > 0 && type != QLatin1String("text")) {
            problem = QStringLiteral("%1存成了%2 (%3)，不是文字，原来的写法（如前面的 0）已无法确定")
                          .arg(caption, type, value);
        } else if (rule->maxChars > 0 && length > rule->maxChars) {
            problem =
                QStringLiteral("%1有 %2 个字符，本程序最多允许 %3 个").arg(caption).arg(length).arg(rule->maxChars);
        } else if (rule->maxChars == 0 && type != QLatin1String("integer")) {
            problem = QStringLiteral("%1存成了%2 (%3)，不是整数").arg(caption, type, value);
        } else if (rule->int16 && (value.toLongLong() < -32768 || value.toLongLong() > 32767)) {
            problem = QStringLiteral("%1是 %2，超出 -32768 到 32767").arg(caption, value);
        }
    }
    for (const ExtraCheck& check : kExtraChecks) {
        if (!problem.isEmpty() || name != QLatin1String(check.table))
            continue;
        q.prepare(QStringLiteral("select %1, substr(%2, 1, %3) from src.%4 where rowid = ?")
                      .arg(QString::fromLatin1(check.broken), QString::fromLatin1(check.column))
                      .arg(kShownChars + 1)
                      .arg(name));
        q.addBindValue(rowid);
        if (q.exec() && q.next() && q.value(0).toInt() != 0)
            problem = QString::fromUtf8(check.problem).arg(shortened(q.value(1).toString()));
        q.finish();
    }
    if (problem.isEmpty())
        problem = QStringLiteral("不符合本程序的规则 (%1)").arg(driverText.trimmed());
    return QStringLiteral("数据表 %1 的第 %2 行（%3）: %4").arg(name).arg(position).arg(shownBy, problem);
}

// A connection of its own on the new database being built, with the backup attached
// read-only as "src".
class BuildConnection : public OwnConnection
{
public:
    BuildConnection(const QString& part, const QString& source)
        : OwnConnection(part, QStringLiteral("QSQLITE_OPEN_URI"))
    {
        if (!isOpen())
            return;
        QSqlQuery q(database());
        // The new file is nobody's until it is renamed into place: a failure removes it, so
        // its journal is kept in memory (a statement that fails is still undone). Its one
        // commit at the end is synced to the disk.
        q.exec(QStringLiteral("PRAGMA journal_mode = MEMORY"));
        q.exec(QStringLiteral("PRAGMA cache_size = -65536"));
        // Read-only, through SQLite: a write-ahead log beside the backup is applied, a hot
        // journal is refused rather than played back into the operator's file.
        const QString uri = QString::fromLatin1(QUrl::fromLocalFile(source).toEncoded()) + QStringLiteral("?mode=ro");
        if (!q.prepare(QStringLiteral("ATTACH DATABASE ? AS src")) || (q.addBindValue(uri), !q.exec()))
            fail(q.lastError().text());
    }
};

// The layout rows of the database at path, by form and field; empty when it cannot be read.
QHash<QString, QVariantList> currentLayout(const QString& path)
{
    QHash<QString, QVariantList> rows;
    if (!QFileInfo(path).isFile())
        return rows;
    ReadOnlyConnection connection(path);
    if (!connection.isOpen() || !structureProblem(connection.database(), QStringLiteral("main")).isEmpty())
        return rows;
    QSqlQuery q(connection.database());
    if (!q.exec(QStringLiteral("select kjmc, kjx, kjy, win, kjyy, dy from prn")))
        return rows;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < 6; ++i)
            row << q.value(i);
        const QString key = q.value(3).toString() + QLatin1Char('/') + q.value(0).toString();
        if (!rows.contains(key))
            rows.insert(key, row);
    }
    return rows;
}

// Copies one table of the attached backup into the new database, in row order, rowids kept,
// kRowsPerStep rows a statement. Returns false when progress asked to stop.
bool copyTable(QSqlDatabase db, const RecordTable& table, const QString& refuseText, qint64* done, qint64 total,
               const WorkProgress& progress)
{
    const QString name = tableName(table);
    const QString columns = QString::fromLatin1(table.columns);
    QSqlQuery q(db);
    q.setForwardOnly(true);

    // Every value is checked for its column's type first, the first row at fault named: a value
    // of another type is refused, not converted (a number stored for a cheque number has lost
    // its leading zeros), as is a date that is no day. The new database's own checks (a length, a yes/no) stop
    // the statement that copies a row they refuse; that row is then looked for and named.
    QStringList broken;
    for (const QString& column : columnsOf(table))
        if (const QString rule = ruleBroken(name, column); !rule.isEmpty())
            broken << QStringLiteral("(%1)").arg(rule);
    for (const ExtraCheck& check : kExtraChecks)
        if (name == QLatin1String(check.table))
            broken << QStringLiteral("(%1)").arg(QString::fromLatin1(check.broken));
    if (!q.exec(
            QStringLiteral("select rowid from src.%1 where %2 limit 1").arg(name, broken.join(QStringLiteral(" or ")))))
        throw AppError(refuseText.arg(QStringLiteral("文件已损坏: ") + q.lastError().text().trimmed()));
    if (q.next()) {
        const qint64 rowid = q.value(0).toLongLong();
        q.finish();
        throw AppError(refuseText.arg(rowProblem(db, table, rowid, QString())));
    }
    q.finish();

    const QString insert =
        QStringLiteral("insert into main.%1 (rowid, %2) select rowid, %2 from src.%1").arg(name, columns);
    QSqlQuery step(db);
    if (!step.prepare(insert + QStringLiteral(" where rowid > ? order by rowid limit %1").arg(kRowsPerStep)))
        throw AppError(refuseText.arg(QStringLiteral("文件已损坏: ") + step.lastError().text().trimmed()));
    qint64 last = std::numeric_limits<qint64>::min();
    for (;;) {
        step.addBindValue(last);
        if (!step.exec()) {
            // The program's other checks (a date, a yes/no) refused a row of this step: name it.
            const QString driverText = step.lastError().text();
            QSqlQuery rows(db);
            rows.prepare(QStringLiteral("select rowid from src.%1 where rowid > ? order by rowid limit %2")
                             .arg(name)
                             .arg(kRowsPerStep));
            rows.addBindValue(last);
            QSqlQuery one(db);
            one.prepare(insert + QStringLiteral(" where rowid = ?"));
            if (rows.exec()) {
                while (rows.next()) {
                    one.addBindValue(rows.value(0));
                    if (!one.exec())
                        throw AppError(
                            refuseText.arg(rowProblem(db, table, rows.value(0).toLongLong(), one.lastError().text())));
                }
            }
            throw AppError(refuseText.arg(QStringLiteral("文件已损坏: ") + driverText.trimmed()));
        }
        const int copied = step.numRowsAffected();
        step.finish();
        if (copied <= 0)
            break;
        *done += copied;
        QSqlQuery q2(db);
        if (!q2.exec(QStringLiteral("select max(rowid) from main.%1").arg(name)) || !q2.next())
            throw AppError(refuseText.arg(q2.lastError().text().trimmed()));
        last = q2.value(0).toLongLong();
        if (progress && !progress(*done, total))
            return false;
    }
    return true;
}

// Adds to the new database's layout each field of a new database it lacks, with its settings
// from the current database at databasePath when that has them, else the defaults.
void addMissingLayoutRows(QSqlDatabase db, const QString& databasePath, PreparedRestore& prepared)
{
    QSet<QString> present;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("select win, kjmc from main.prn")))
        while (q.next())
            present.insert(q.value(0).toString() + QLatin1Char('/') + q.value(1).toString());
    q.finish();
    QHash<QString, QVariantList> current;
    bool currentRead = false;
    if (!q.prepare(QStringLiteral("insert into main.prn (kjmc, kjx, kjy, win, kjyy, dy) values (?, ?, ?, ?, ?, ?)")))
        throw AppError(q.lastError().text());
    for (const LayoutRow& row : InitialLayoutRows()) {
        const QString key = QString::fromUtf8(row.win) + QLatin1Char('/') + QString::fromUtf8(row.kjmc);
        if (present.contains(key))
            continue;
        if (!currentRead) {
            current = currentLayout(databasePath);
            currentRead = true;
        }
        QVariantList values = current.value(key);
        if (values.isEmpty()) {
            prepared.layoutFromCurrent = false;
            values = {QString::fromUtf8(row.kjmc), row.kjx,       row.kjy, QString::fromUtf8(row.win),
                      QString::fromUtf8(row.kjyy), row.dy ? 1 : 0};
        }
        for (const QVariant& value : values)
            q.addBindValue(value);
        if (!q.exec())
            throw AppError(QStringLiteral("无法补上打印格式项 %1: %2").arg(key, q.lastError().text()));
        ++prepared.layoutRowsAdded;
    }
}
} // namespace

PreparedRestore::~PreparedRestore()
{
    if (!committed && !part.isEmpty())
        QFile::remove(part);
}

QString RestoreTarget(const QString& databasePath)
{
    const QFileInfo live(databasePath);
    if (!live.isSymLink())
        return live.absoluteFilePath();
    const QString target = live.canonicalFilePath();
    if (target.isEmpty())
        throw AppError(QStringLiteral("数据库文件 %1 是指向 %2 的链接，但它指向的文件不存在，数据没有恢复。"
                                      "请先把链接指向的数据库放回原处。")
                           .arg(native(live.absoluteFilePath()), native(live.symLinkTarget())));
    if (!QFileInfo(target).isFile())
        throw AppError(QStringLiteral("数据库文件 %1 是指向 %2 的链接，它指向的不是普通文件，数据没有恢复。")
                           .arg(native(live.absoluteFilePath()), native(target)));
    return target;
}

std::unique_ptr<PreparedRestore> PrepareRestore(const QString& databasePath, const QString& source,
                                                const WorkProgress& progress)
{
    const QString live = databasePath;
    const QString target = RestoreTarget(live);
    const QString from = QFileInfo(source).absoluteFilePath();
    if (sameFile(from, live) || sameFile(from, target))
        throw AppError(QStringLiteral("文件 %1 就是正在使用的数据库，不能用它恢复数据。").arg(native(from)));
    // The friendly look first: a damaged file, a hot journal, a foreign database or a later
    // version is refused with its reason before anything is built.
    const BackupInfo inspected = InspectBackup(from);
    const QString refuseText =
        QStringLiteral("文件 %1 不是本程序可以使用的数据库备份 (%2)。").arg(native(from), QStringLiteral("%1"));

    auto prepared = std::make_unique<PreparedRestore>();
    prepared->source = from;
    prepared->target = target;
    prepared->part = partFileBeside(target, "restore");
    prepared->info.written = inspected.written;

    BuildConnection build(prepared->part, from);
    RestrictToOwner(prepared->part);
    if (!build.isOpen())
        throw AppError(refuseText.arg(build.error().trimmed()));
    QSqlDatabase db = build.database();
    // The file may have changed since its first look: what is read is checked again here.
    if (const QString problem = structureProblem(db, QStringLiteral("src")); !problem.isEmpty())
        throw AppError(refuseText.arg(problem));

    QSqlQuery q(db);
    const QStringList schema = SchemaStatements();
    const auto failed = [&](const QString& what) {
        return AppError(QStringLiteral("无法在 %1 建立恢复用的数据库 (%2): %3")
                            .arg(native(QFileInfo(target).absolutePath()), what, q.lastError().text().trimmed()));
    };
    if (!db.transaction())
        throw AppError(QStringLiteral("无法建立恢复用的数据库: %1").arg(db.lastError().text()));
    // The tables first and their indexes after the rows: an index built once is faster than
    // one kept up row by row.
    for (const QString& sql : schema)
        if (sql.startsWith(QLatin1String("CREATE TABLE")) && !q.exec(sql))
            throw failed(sql);
    const int version = versionOf(db, QStringLiteral("src"));
    std::vector<const RecordTable*> tables;
    for (const RecordTable& table : kTables)
        if (table.since <= version)
            tables.push_back(&table);
    qint64 total = 0;
    for (const RecordTable* table : tables) {
        if (!q.exec(QStringLiteral("select count(*) from src.%1").arg(tableName(*table))) || !q.next())
            throw AppError(refuseText.arg(QStringLiteral("文件已损坏: ") + q.lastError().text().trimmed()));
        total += q.value(0).toLongLong();
        q.finish();
    }
    qint64 done = 0;
    if (progress && !progress(0, total))
        return nullptr;
    for (const RecordTable* table : tables)
        if (!copyTable(db, *table, refuseText, &done, total, progress))
            return nullptr;
    // A backup from before the history was kept: its cheques get their registration, as an
    // upgraded file's do.
    if (version < 2 && !q.exec(QString::fromUtf8(kHistoryForEarlierCheques)))
        throw failed(QStringLiteral("zpls"));
    addMissingLayoutRows(db, live, *prepared);
    for (const QString& sql : schema)
        if (!sql.startsWith(QLatin1String("CREATE TABLE")) && !q.exec(sql))
            throw failed(sql);
    if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)))
        throw failed(QStringLiteral("user_version"));
    if (!db.commit())
        throw AppError(
            QStringLiteral("无法写入恢复用的数据库 %1: %2").arg(native(prepared->part), db.lastError().text()));

    // What is counted is what will be restored: the new file's own rows.
    if (q.exec(QStringLiteral("select count(*), max(rq) from main.zp")) && q.next()) {
        prepared->info.cheques = q.value(0).toInt();
        prepared->info.newestCheque = QDate::fromString(q.value(1).toString(), Qt::ISODate);
    }
    q.finish();
    if (q.exec(QStringLiteral("select count(*) from main.skr")) && q.next())
        prepared->payees = q.value(0).toInt();
    q.finish();
    if (progress)
        progress(total, total);
    return prepared;
}

namespace
{
// Copies the file at from to a new file at to, for the owner only; a failed copy leaves nothing.
void copyPrivately(const QString& from, const QString& to)
{
    const QString part = partFileBeside(to, "part");
    QString error;
    if (!QFile::copy(from, part) || (RestrictToOwner(part), !replaceFile(part, to, &error))) {
        QFile::remove(part);
        throw AppError(QStringLiteral("无法备份当前的数据库 %1 到 %2。%3").arg(native(from), native(to), error));
    }
}

// A database in write-ahead-log mode keeps committed rows in its "-wal" file: before the file
// alone is copied and replaced, the log is written back and the file leaves that mode. When
// another program has it open that way, this cannot be done, and the restore waits for it.
void leaveWriteAheadLog(TD_M& dm)
{
    QSqlQuery q(QSqlDatabase::database(dm.connectionName(), false));
    if (!q.exec(QStringLiteral("PRAGMA journal_mode")) || !q.next() ||
        q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        return;
    q.finish();
    if (q.exec(QStringLiteral("PRAGMA journal_mode = DELETE")) && q.next() &&
        q.value(0).toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0)
        return;
    throw AppError(
        QStringLiteral("数据库文件 %1 正以预写日志 (WAL) 方式被另一个程序打开，现在不能替换它，数据没有恢复。"
                       "请先关闭使用它的其他程序，再恢复数据。")
            .arg(native(dm.databasePath())));
}

void putInPlace(const QString& part, const QString& target)
{
    QString error;
    if (!replaceFile(part, target, &error))
        throw AppError(QStringLiteral("无法用备份替换数据库 %1: %2").arg(native(target), error));
}
} // namespace

QString CommitRestore(TD_M& dm, PreparedRestore& prepared)
{
    const QString live = dm.databasePath();
    if (prepared.committed || RestoreTarget(live) != prepared.target)
        throw AppError(
            QStringLiteral("数据库文件 %1 在准备恢复时换了位置，数据没有恢复。请再试一次。").arg(native(live)));
    QString safety;
    if (QFileInfo::exists(prepared.target)) {
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
        if (opened) {
            leaveWriteAheadLog(dm);
            // No other program writes between the copy and the rename; one that waited for the
            // lock finds the file replaced once it has it.
            dm.holdingWriteLock([&] {
                copyPrivately(prepared.target, safety);
                putInPlace(prepared.part, prepared.target);
            });
            dm.closeConnection();
        } else {
            // A file the program cannot open is no database anyone writes; a journal beside it
            // would be played back into the new file.
            dm.closeConnection();
            copyPrivately(prepared.target, safety);
            for (const char* tail : {"-journal", "-wal"}) {
                const QString leftover = prepared.target + QLatin1String(tail);
                if (QFileInfo::exists(leftover) && !QFile::remove(leftover))
                    throw AppError(QStringLiteral("无法删除数据库的日志文件 %1，数据没有恢复。").arg(native(leftover)));
            }
            putInPlace(prepared.part, prepared.target);
        }
    } else {
        dm.closeConnection();
        putInPlace(prepared.part, prepared.target);
    }
    prepared.committed = true;
    qCDebug(lcBackup) << "database restored from" << prepared.source << "into" << prepared.target
                      << "; the replaced one kept as" << safety;
    return safety;
}

QString RestoreDatabase(TD_M& dm, const QString& source)
{
    const std::unique_ptr<PreparedRestore> prepared = PrepareRestore(dm.databasePath(), source);
    return CommitRestore(dm, *prepared);
}

} // namespace Zt_typro
