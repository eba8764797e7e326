#pragma once

#include "common/LongWork.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class TD_M;

namespace Zt_typro
{

/// Automatic backups kept in the backup folder; the oldest beyond these are removed.
constexpr int kKeptDailyBackups = 30;

/// The folder of the automatic backups: "backup" beside the database file (absolute path).
QString BackupFolder(const QString& databasePath);

/// The name proposed for a backup made on day: "pjzp-备份-2026-12-10.pdp".
QString ProposedBackupName(const QDate& day);

/// The name of the automatic backup of day in the backup folder: "pjzp-2026-12-10.pdp".
QString DailyBackupName(const QDate& day);

/// True when writing a file at path would write over the records: the database file at
/// databasePath (and, when that is a link, the file it names), its journal ("-journal", "-wal",
/// "-shm"), or anything in the backup folder (the day's copies, the copies kept before a restore
/// or an upgrade, whatever else lies there), named directly, through another name of the same
/// file (a hard link) or through a chain of symbolic links followed to its end, each name on the
/// way counting. A path that names nothing yet counts by its place.
bool IsRecordsFile(const QString& databasePath, const QString& path);

/// Writes a consistent copy of the database of dm to target while the program runs: SQLite's
/// "VACUUM INTO" reads the database in one read transaction, so the copy holds every committed
/// row and nothing of a write still open on another connection. A target that is one of the
/// records (IsRecordsFile: the database, its journal, anything in the backup folder, or a link
/// leading to one) is refused: the kept copies are never replaced. The copy is built beside target
/// and renamed into place, replacing any other file of that name (the operator's save dialog
/// asked; a link of that name is replaced, not the file it names); a failed backup leaves target
/// as it was. Part files of the program's own naming that a killed backup or restore left in
/// target's folder or the database's, untouched for an hour, are removed first. Opens the
/// connection when needed. Throws AppError naming the file on any failure.
void BackupDatabase(TD_M& dm, const QString& target);

/// The same copy of the database file at databasePath, read on a connection of its own, so that
/// it may run on a thread of its own while the window goes on (the caller checks first that the
/// file is still the data module's).
void BackupDatabaseApart(const QString& databasePath, const QString& target);

/// Makes dm take the day's automatic backup as its before-write hook: at a write that finds no
/// backup of today (Today()) in the backup folder, one is written (never over a file of that
/// name another copy of the program wrote meanwhile), and the oldest automatic backups dated up
/// to today beyond kKeptDailyBackups are removed. A database another program holds locked is
/// waited for as long as a write waits for it. Start-up installs it on the data module. A
/// backup that fails does not
/// stop the write; its failure reaches dm's beforeWriteHookFailed once a day, at the first write
/// that finds it, with a message that says what failed and what to do (later failures of the
/// same day are only logged).
void InstallDailyBackup(TD_M& dm);

/// What the check of a backup file found.
struct BackupInfo
{
    QDateTime written;  // when the file was last written
    int cheques = 0;    // rows of the register zp
    QDate newestCheque; // the latest date (rq) of a cheque in it; null when there is none
};

/// The date of a backup as the operator should see it: the newest cheque's date in it (a copied
/// file's time is the day it was copied), with the file's time too when its day differs, or
/// the file's time alone when it holds no dated cheque.
/// "2026-12-10（最新一张支票的日期）", "2026-12-08（最新一张支票的日期；文件写于 2026-12-10 14:00）",
/// "2026-12-10 14:00（文件写入时间，其中没有支票的日期）".
QString BackupDateText(const BackupInfo& info);

/// Checks that path is a readable, undamaged database of this program (an SQLite file whose
/// tables skr, zp and prn have their columns) and counts its cheques. Opens the file read-only
/// on a connection of its own. Throws AppError with the reason when it is not.
BackupInfo InspectBackup(const QString& path);

} // namespace Zt_typro
