#pragma once

#include "common/LongWork.h"
#include "store/Backup.h"

#include <QString>
#include <QtGlobal>

#include <memory>

class TD_M;

namespace Zt_typro
{

/// A restore made ready by PrepareRestore: a new database of the program's own schema holding
/// the backup's rows, built beside the database file and waiting to take its place. The new
/// file is removed when this goes, unless CommitRestore put it in place.
class PreparedRestore
{
public:
    PreparedRestore() = default;
    ~PreparedRestore();
    Q_DISABLE_COPY_MOVE(PreparedRestore)

    BackupInfo info;               // what will be restored (written: the backup file's time)
    int payees = 0;                // rows of the payee table skr
    int layoutRowsAdded = 0;       // layout fields the backup lacked, added to the new database
    bool layoutFromCurrent = true; // ...from the current database (else the new-database defaults)
    QString source;                // the backup file
    QString target;                // the file replaced: the database, or the file its link names
    QString part;                  // the new database, beside target
    bool committed = false;
};

/// Reads the backup at source through SQLite (a write-ahead log beside it is applied) into a
/// new database built from the program's own schema, table by table and column by column: the
/// backup's own triggers, views, extra tables and column types never come along. The backup is
/// refused (AppError with the reason; the row named when a row is at fault) when a table of the
/// register is a view, a virtual table or one without rowid, has a column named like the row
/// key, when it holds a table its schema version does not have (the history in a file of version
/// 1: that history would be lost), or when a value is not of its column's type, longer than the
/// program allows or fails another of its checks (a date that is no day, an amount the amount
/// field would not take, a stub's year, month or day that is not the cheque's date). Layout
/// fields the backup lacks are taken from the current database (or, when it cannot be read, the
/// defaults of a new database) and counted. progress is told
/// as rows are copied and may stop the work (nullptr is then returned). The database at
/// databasePath (the data module's) is only read. Uses connections of its own only, so it may
/// run on a thread of its own while the window goes on.
std::unique_ptr<PreparedRestore> PrepareRestore(const QString& databasePath, const QString& source,
                                                const WorkProgress& progress = {});

/// Puts a prepared restore in place: while the connection of dm holds the database's write lock
/// (other programs' writes wait, and then find the file replaced and write nothing), the current
/// database is copied into the backup folder and the new file renamed over it; the connection
/// then closes and opens again at the next query. A database the program cannot open is kept
/// as the file it is. Returns the path of the copy of the replaced database (empty when there
/// was no database file). Throws AppError when anything fails before the rename; the database
/// is then unchanged.
QString CommitRestore(TD_M& dm, PreparedRestore& prepared);

} // namespace Zt_typro
