#include "store/Restore.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "store/Backup.h"
#include "store/DataModule.h"
#include "store/PrivateFiles.h"
#include "store/RecordFiles.h"
#include "store/SafeCopy.h"
#include "store/Schema.h"
#include "store/StoreLog.h"
#include "store/Tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <QUrl>

#include <limits>
#include <vector>

namespace Zt_typro
{
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
    const Column* rule = FindColumn(table + QLatin1Char('.') + column);
    if (!rule || rule->kind == ColumnKind::Date)
        return {};
    return rule->kind == ColumnKind::Text ? QStringLiteral("typeof(%1) in ('integer', 'real', 'blob')").arg(column)
                                          : QStringLiteral("typeof(%1) in ('text', 'real', 'blob')").arg(column);
}

// Checks of the program beyond a column's rule: what the job would never have stored.
struct ExtraCheck
{
    const char* table;
    const char* broken;  // the condition under which the row is wrong
    const char* shown;   // what the message shows of the row, as an SQL expression
    const char* problem; // what is wrong, with %1 for what is shown
};

// One part of the stub's date (nian, yue, ri) that is there and is not the number at
// [start, start + length) of the cheque's date rq.
#define DATE_PART_DISAGREES(part, start, length)                                                       \
    "(" part " is not null and (" part " = '' or " part " glob '*[^0-9]*' or length(" part ") > 4 or " \
    "cast(" part " as integer) <> cast(substr(rq, " start ", " length ") as integer)))"

const ExtraCheck kExtraChecks[] = {
    // A cheque's date must be a day of the calendar (SQLite's date() takes 2026-02-30 as it
    // stands); only a day after the 28th can be past its month's end.
    {"zp", "substr(rq, 9) > '28' and date(rq, '+0 days') is not rq", "rq", "日期 %1 不是日历上的一天"},
    // An amount is what the amount field takes (numerals/Amount.h): digits with at most one
    // point, at least one digit, at most 12 before the point and 2 after it. No sign, no
    // exponent, no blank: the job never stores one, and the reprint could not print it.
    {"zp",
     "je is not null and (je not glob '*[0-9]*' or je glob '*[^0-9.]*' or je glob '*.*.*'"
     " or (instr(je, '.') = 0 and length(je) > 12) or instr(je, '.') > 13"
     " or (instr(je, '.') > 0 and length(je) - instr(je, '.') > 2))",
     "je", "金额 %1 不是金额: 金额只能由数字和一个小数点组成，小数点前最多 12 位，小数点后最多 2 位"},
    // The year, month and day of the stub, where given, are those of the cheque's date.
    {"zp",
     "rq is not null and date(rq) is rq and (" DATE_PART_DISAGREES("nian", "1", "4") " or " DATE_PART_DISAGREES(
         "yue", "6", "2") " or " DATE_PART_DISAGREES("ri", "9", "2") ")",
     "ifnull(nian, '') || '年' || ifnull(yue, '') || '月' || ifnull(ri, '') || '日，出票日期 ' || rq",
     "存根上的年、月、日与出票日期不符 (%1)"},
};

#undef DATE_PART_DISAGREES

// What is wrong with the row of table at rowid in the attached backup, in the operator's
// words: its place in the table, what names it, and the first value that breaks a rule (or
// driverText, the database's own objection, when none does).
QString rowProblem(QSqlDatabase db, const Table& table, qint64 rowid, const QString& driverText)
{
    const QString name = TableName(table);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select count(*) from src.%1 where rowid <= ?").arg(name));
    q.addBindValue(rowid);
    const qint64 position = q.exec() && q.next() ? q.value(0).toLongLong() : rowid;
    q.finish();
    QString problem;
    QString shownBy;
    for (const QString& column : ColumnNames(table)) {
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
        const Column* rule = FindColumn(name + QLatin1Char('.') + column);
        if (!rule || rule->kind == ColumnKind::Date || !problem.isEmpty())
            continue;
        const QString caption = QString::fromUtf8(rule->caption);
        if (type == QLatin1String("null")) {
            if (rule->notNull)
                problem = QStringLiteral("%1是空的").arg(caption);
        } else if (rule->kind == ColumnKind::Text && type != QLatin1String("text")) {
            problem = QStringLiteral("%1存成了%2 (%3)，不是文字，原来的写法（如前面的 0）已无法确定")
                          .arg(caption, type, value);
        } else if (rule->kind == ColumnKind::Text && length > rule->maxChars) {
            problem =
                QStringLiteral("%1有 %2 个字符，本程序最多允许 %3 个").arg(caption).arg(length).arg(rule->maxChars);
        } else if (rule->kind != ColumnKind::Text && type != QLatin1String("integer")) {
            problem = QStringLiteral("%1存成了%2 (%3)，不是整数").arg(caption, type, value);
        } else if (rule->kind == ColumnKind::Int16 && (value.toLongLong() < -32768 || value.toLongLong() > 32767)) {
            problem = QStringLiteral("%1是 %2，超出 -32768 到 32767").arg(caption, value);
        }
    }
    for (const ExtraCheck& check : kExtraChecks) {
        if (!problem.isEmpty() || name != QLatin1String(check.table))
            continue;
        q.prepare(QStringLiteral("select %1, substr(%2, 1, %3) from src.%4 where rowid = ?")
                      .arg(QString::fromLatin1(check.broken), QString::fromUtf8(check.shown))
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
    if (!connection.isOpen() || !StructureProblem(connection.database(), QStringLiteral("main")).isEmpty())
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
bool copyTable(QSqlDatabase db, const Table& table, const QString& refuseText, qint64* done, qint64 total,
               const WorkProgress& progress)
{
    const QString name = TableName(table);
    const QString columns = ColumnList(table);
    QSqlQuery q(db);
    q.setForwardOnly(true);

    // Every value is checked for its column's type first, the first row at fault named: a value
    // of another type is refused, not converted (a number stored for a cheque number has lost
    // its leading zeros), as is a date that is no day. The new database's own checks (a length, a yes/no) stop
    // the statement that copies a row they refuse; that row is then looked for and named.
    QStringList broken;
    for (const QString& column : ColumnNames(table))
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

// Copies the file open on from to a new file at to, for the owner only, and returns its name: a
// file that took that name meanwhile is kept, and the copy takes the next number. A failed copy
// leaves nothing. The caller keeps from open until the copy's original has been replaced: this
// program closing any handle on the database file lets go of SQLite's lock on it (locks on a file
// belong to the process, not to the handle), and a write waiting for that lock would then go into
// the file about to be replaced, after it was copied.
QString copyPrivately(QFile& from, const QString& to)
{
    const auto failed = [&](const QString& why) {
        return QStringLiteral("无法备份当前的数据库 %1 到 %2。%3")
            .arg(NativePath(from.fileName()), NativePath(to), why);
    };
    return SafeWrite(
        to, ExistingFile::KeepNumbered,
        [&](const QString& part) {
            QFile out(part);
            if (!out.open(QIODevice::WriteOnly))
                throw AppError(failed(out.errorString()));
            if (!from.seek(0))
                throw AppError(failed(from.errorString()));
            QByteArray block;
            do {
                block = from.read(1 << 20);
                if (out.write(block) != block.size())
                    throw AppError(failed(out.errorString()));
            } while (!block.isEmpty());
            if (from.error() != QFileDevice::NoError)
                throw AppError(failed(from.errorString()));
            // The last block is written out here, where a full disk is still reported.
            if (!out.flush())
                throw AppError(failed(out.errorString()));
            out.close();
            if (out.error() != QFileDevice::NoError)
                throw AppError(failed(out.errorString()));
        },
        failed);
}

// The database at path, open for reading to be copied; throws AppError when it cannot be read.
std::unique_ptr<QFile> openToCopy(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("无法读取当前的数据库 %1，数据没有恢复: %2").arg(NativePath(path), file->errorString()));
    return file;
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
            .arg(NativePath(dm.databasePath())));
}

void putInPlace(const QString& part, const QString& target)
{
    QString error;
    // The new database is on the disk before it takes the old one's name.
    if (!SyncFile(part))
        error = QStringLiteral("无法把 %1 写到磁盘上").arg(NativePath(part));
    if (!error.isEmpty() || !ReplaceFile(part, target, &error))
        throw AppError(QStringLiteral("无法用备份替换数据库 %1: %2").arg(NativePath(target), error));
}

// The file a restore replaces for the database at databasePath: the path itself, or, when it
// is a symbolic link, the file the link points to (so that a database shared through a link
// is the one restored). Throws AppError when the link points to nothing.
QString RestoreTarget(const QString& databasePath)
{
    const QFileInfo live(databasePath);
    if (!live.isSymLink())
        return live.absoluteFilePath();
    const QString target = live.canonicalFilePath();
    if (target.isEmpty())
        throw AppError(QStringLiteral("数据库文件 %1 是指向 %2 的链接，但它指向的文件不存在，数据没有恢复。"
                                      "请先把链接指向的数据库放回原处。")
                           .arg(NativePath(live.absoluteFilePath()), NativePath(live.symLinkTarget())));
    if (!QFileInfo(target).isFile())
        throw AppError(QStringLiteral("数据库文件 %1 是指向 %2 的链接，它指向的不是普通文件，数据没有恢复。")
                           .arg(NativePath(live.absoluteFilePath()), NativePath(target)));
    return target;
}
} // namespace

PreparedRestore::~PreparedRestore()
{
    if (!committed && !part.isEmpty())
        QFile::remove(part);
}

std::unique_ptr<PreparedRestore> PrepareRestore(const QString& databasePath, const QString& source,
                                                const WorkProgress& progress)
{
    const QString live = databasePath;
    const QString target = RestoreTarget(live);
    const QString from = QFileInfo(source).absoluteFilePath();
    if (SameFile(from, live) || SameFile(from, target))
        throw AppError(QStringLiteral("文件 %1 就是正在使用的数据库，不能用它恢复数据。").arg(NativePath(from)));
    // The friendly look first: a damaged file, a hot journal, a foreign database or a later
    // version is refused with its reason before anything is built.
    const BackupInfo inspected = InspectBackup(from);
    const QString refuseText =
        QStringLiteral("文件 %1 不是本程序可以使用的数据库备份 (%2)。").arg(NativePath(from), QStringLiteral("%1"));

    auto prepared = std::make_unique<PreparedRestore>();
    prepared->source = from;
    prepared->target = target;
    prepared->part = PartFileBeside(target, "restore");
    prepared->info.written = inspected.written;

    BuildConnection build(prepared->part, from);
    RestrictToOwner(prepared->part);
    if (!build.isOpen())
        throw AppError(refuseText.arg(build.error().trimmed()));
    QSqlDatabase db = build.database();
    // The file may have changed since its first look: what is read is checked again here.
    if (const QString problem = StructureProblem(db, QStringLiteral("src")); !problem.isEmpty())
        throw AppError(refuseText.arg(problem));

    QSqlQuery q(db);
    const QStringList schema = SchemaStatements();
    const auto failed = [&](const QString& what) {
        return AppError(QStringLiteral("无法在 %1 建立恢复用的数据库 (%2): %3")
                            .arg(NativePath(QFileInfo(target).absolutePath()), what, q.lastError().text().trimmed()));
    };
    if (!db.transaction())
        throw AppError(QStringLiteral("无法建立恢复用的数据库: %1").arg(db.lastError().text()));
    // The tables first and their indexes after the rows: an index built once is faster than
    // one kept up row by row.
    for (const QString& sql : schema)
        if (sql.startsWith(QLatin1String("CREATE TABLE")) && !q.exec(sql))
            throw failed(sql);
    const int version = VersionOf(db, QStringLiteral("src"));
    std::vector<const Table*> tables;
    for (const Table& table : RegisterTables())
        if (table.since <= version)
            tables.push_back(&table);
    qint64 total = 0;
    for (const Table* table : tables) {
        if (!q.exec(QStringLiteral("select count(*) from src.%1").arg(TableName(*table))) || !q.next())
            throw AppError(refuseText.arg(QStringLiteral("文件已损坏: ") + q.lastError().text().trimmed()));
        total += q.value(0).toLongLong();
        q.finish();
    }
    qint64 done = 0;
    if (progress && !progress(0, total))
        return nullptr;
    for (const Table* table : tables)
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
            QStringLiteral("无法写入恢复用的数据库 %1: %2").arg(NativePath(prepared->part), db.lastError().text()));

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

QString CommitRestore(TD_M& dm, PreparedRestore& prepared)
{
    const QString live = dm.databasePath();
    if (prepared.committed || RestoreTarget(live) != prepared.target)
        throw AppError(
            QStringLiteral("数据库文件 %1 在准备恢复时换了位置，数据没有恢复。请再试一次。").arg(NativePath(live)));
    QString safety;
    if (QFileInfo::exists(prepared.target)) {
        if (!MakePrivateFolder(BackupFolder(live)))
            throw AppError(QStringLiteral("无法建立备份文件夹 %1。").arg(NativePath(BackupFolder(live))));
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
                // Read through a handle that stays open until the new file is in place (see
                // copyPrivately): a write waiting for the lock then finds the file replaced.
                const std::unique_ptr<QFile> current = openToCopy(prepared.target);
                safety = copyPrivately(*current, safety);
                putInPlace(prepared.part, prepared.target);
            });
            dm.closeConnection();
        } else {
            // A file the program cannot open is no database anyone writes; a journal beside it
            // would be played back into the new file.
            dm.closeConnection();
            safety = copyPrivately(*openToCopy(prepared.target), safety);
            for (const char* tail : {"-journal", "-wal"}) {
                const QString leftover = prepared.target + QLatin1String(tail);
                if (QFileInfo::exists(leftover) && !QFile::remove(leftover))
                    throw AppError(
                        QStringLiteral("无法删除数据库的日志文件 %1，数据没有恢复。").arg(NativePath(leftover)));
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

} // namespace Zt_typro
