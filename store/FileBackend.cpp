#include "store/FileBackend.h"

#include "common/Error.h"
#include "store/ChequeHistory.h"
#include "store/PrivateFiles.h"
#include "store/RecordFiles.h"
#include "store/SafeCopy.h"
#include "store/Schema.h"
#include "store/StoreLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace Zt_typro
{
namespace
{
const QString kDatabaseFile = QStringLiteral("pjzp.pdp");
const QString kDriver = QStringLiteral("QSQLITE");
// A second program working on the same file waits this long for it before reporting.
const QString kConnectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");

// The device and inode of the file a path names; false when nothing is there. Elsewhere than
// on Unix every existing file reads as the same file (no check).
bool fileIdentity(const QString& path, quint64* device, quint64* inode)
{
#ifdef Q_OS_UNIX
    struct stat st
    {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *device = quint64(st.st_dev);
    *inode = quint64(st.st_ino);
    return true;
#else
    *device = 0;
    *inode = 0;
    return QFileInfo::exists(path);
#endif
}

// SQLite's primary result code in a driver error (extended codes carry it in the low byte).
int sqliteCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

// The counter SQLite moves on at every change of the file's schema; -1 when it cannot be read.
qint64 schemaCookie(QSqlDatabase db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA schema_version")) && q.next() ? q.value(0).toLongLong() : -1;
}

QString foreignObjectsText(const QString& path, const QStringList& foreign)
{
    return QStringLiteral("数据库文件 %1 中有不是本程序建立的内容: %2。它可能被别人改动过，本程序不使用它，"
                          "以免运行其中的内容；该文件没有被改动。请用“系统设置 → 恢复数据”从备份恢复，"
                          "或请管理员检查这个文件。")
        .arg(QDir::toNativeSeparators(path), foreign.join(QStringLiteral("、")));
}

constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;
} // namespace

QString LockedHint()
{
    return QStringLiteral("数据库文件正被另一个程序使用，请稍后再试。");
}

void FileBackend::open(const QString& connectionName)
{
    const QString path = QDir::current().absoluteFilePath(kDatabaseFile);
    // A link whose file is gone (a disk not attached, a folder moved) is the register missing,
    // not a place for a new, empty one.
    if (const QFileInfo link(path); link.isSymLink() && !link.exists())
        throw AppError(QStringLiteral("数据库文件 %1 是指向 %2 的链接，但它指向的文件不存在，所以没有打开，也没有新建。"
                                      "请把链接指向的数据库放回原处（如接上存放它的磁盘）；"
                                      "要从空的数据库开始，请先删除这个链接。")
                           .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(link.symLinkTarget())));
    if (!QFileInfo::exists(path))
        createDatabaseFile(path, connectionName);
    checkDatabaseFile(path);

    // The file's identity before and after opening: a file renamed in between is not taken.
    quint64 device = 0;
    quint64 inode = 0;
    const bool identified = fileIdentity(path, &device, &inode);

    QSqlDatabase db = QSqlDatabase::contains(connectionName) ? QSqlDatabase::database(connectionName, false)
                                                             : QSqlDatabase::addDatabase(kDriver, connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(kConnectOptions);
    if (!db.open())
        throw AppError(
            QStringLiteral("无法打开数据库文件 %1: %2").arg(QDir::toNativeSeparators(path), db.lastError().text()));
    // Nothing in the file's schema calls a function that is not marked harmless.
    DistrustSchema(db);

    // A file of another kind, or a database of another program, is reported and left alone.
    QSqlQuery q(db);
    QStringList tables;
    if (q.exec(QStringLiteral("select name from sqlite_master where type = 'table'"))) {
        while (q.next())
            tables << q.value(0).toString();
    }
    const QSqlError readError = q.lastError();
    q.finish();
    // A lock held by another program, or a folder where the journal cannot be made, is no
    // sign of a foreign file: those are reported as what they are.
    const int code = sqliteCode(readError);
    if (readError.isValid() && code != kSqliteCorrupt && code != kSqliteNotADatabase) {
        db.close();
        const bool locked = code == kSqliteBusy || code == kSqliteLocked;
        throw AppError(
            QStringLiteral("无法读取数据库文件 %1 (%2)。%3该文件没有被改动。")
                .arg(QDir::toNativeSeparators(path), readError.text().trimmed(), locked ? LockedHint() : QString()));
    }
    if (readError.isValid() || !tables.contains(QStringLiteral("skr")) || !tables.contains(QStringLiteral("zp")) ||
        !tables.contains(QStringLiteral("prn"))) {
        const QString why = readError.isValid() ? readError.text() : QStringLiteral("缺少数据表 skr、zp 或 prn");
        db.close();
        throw AppError(QStringLiteral("数据库文件 %1 不是本程序可以读取的数据库 (%2)。该文件没有被改动。")
                           .arg(QDir::toNativeSeparators(path), why));
    }
    // Objects the program did not make (a trigger above all, which would run with every write)
    // mean someone else changed the file: it is not used.
    QString unreadable;
    const QStringList foreign = ForeignObjects(db, QStringLiteral("main"), &unreadable);
    if (!foreign.isEmpty() || !unreadable.isEmpty()) {
        db.close();
        if (!unreadable.isEmpty())
            throw AppError(QStringLiteral("无法读取数据库文件 %1 的结构 (%2)。该文件没有被改动。")
                               .arg(QDir::toNativeSeparators(path), unreadable));
        throw AppError(foreignObjectsText(path, foreign));
    }
    if (!identified || !fileIdentity(path, &m_fileDevice, &m_fileInode) || m_fileDevice != device ||
        m_fileInode != inode) {
        db.close();
        throw AppError(QStringLiteral("数据库文件 %1 在打开时被移走或替换了，没有使用。请再试一次。")
                           .arg(QDir::toNativeSeparators(path)));
    }
    bringSchemaUpToDate(db, path);
    m_schemaCookie = schemaCookie(db);
    m_path = path;
    qCDebug(lcDm) << "database opened:" << path;
}

void FileBackend::bringSchemaUpToDate(QSqlDatabase& db, const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        const QString why = q.lastError().text().trimmed();
        q.finish();
        db.close();
        throw AppError(QStringLiteral("无法读取数据库文件 %1 的结构版本 (%2)。该文件没有被改动。").arg(shown, why));
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > kSchemaVersion) {
        db.close();
        throw AppError(QStringLiteral("数据库文件 %1 的结构版本是 %2，本程序只认识到版本 %3: 它是由较新的程序写的。"
                                      "请用较新的程序打开它。该文件没有被改动。")
                           .arg(shown)
                           .arg(version)
                           .arg(kSchemaVersion));
    }
    // An older file (one a previous version of the program wrote) is copied first, whole, into
    // the backup folder beside it: the copy stays, whatever comes of the upgrade.
    if (version < kSchemaVersion)
        copyBeforeUpgrade(db, path, version);
    // An older file is brought up to date once, each step in one transaction: a failure leaves
    // it as it was.
    for (int from = version; from < kSchemaVersion; ++from) {
        bool ok = db.transaction();
        for (const QString& sql : SchemaUpgradeStatements(from)) {
            if (ok && !q.exec(sql))
                ok = false;
        }
        if (ok)
            ok = q.exec(QStringLiteral("PRAGMA user_version = %1").arg(from + 1));
        const QString why = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        q.finish();
        if (!ok || !db.commit()) {
            db.rollback();
            db.close();
            throw AppError(QStringLiteral("无法把数据库文件 %1 升级到结构版本 %2 (%3)。该文件没有被改动。")
                               .arg(shown)
                               .arg(from + 1)
                               .arg(why.trimmed()));
        }
        qCInfo(lcDm) << "database upgraded to schema version" << from + 1 << ":" << path;
    }
}

QString FileBackend::copyBeforeUpgrade(QSqlDatabase& db, const QString& path, int version)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QDir folder(QFileInfo(path).absoluteDir().filePath(QStringLiteral("backup")));
    const QString name = QStringLiteral("pjzp-升级前-版本%1-%2.pdp")
                             .arg(version)
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
    const auto failed = [&](const QString& why) {
        return QStringLiteral("数据库文件 %1 需要升级到结构版本 %2，但升级前无法先备份它 (%3)。该文件没有被改动。")
            .arg(shown)
            .arg(kSchemaVersion)
            .arg(why.trimmed());
    };
    QString copy;
    try {
        if (!MakePrivateFolder(folder.path()))
            throw AppError(failed(QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(folder.path()))));
        // A copy of its own, never over another: a name taken meanwhile gets the next number.
        copy = SafeWrite(
            folder.filePath(name), ExistingFile::KeepNumbered,
            [&](const QString& part) {
                // A consistent copy through SQLite, also while another copy of the program writes.
                QSqlQuery q(db);
                QString why;
                if (!q.prepare(QStringLiteral("VACUUM INTO ?")))
                    why = q.lastError().text();
                else if (q.addBindValue(part), !q.exec())
                    why = q.lastError().text();
                q.finish();
                if (!why.isEmpty())
                    throw AppError(failed(why));
            },
            failed);
    } catch (...) {
        db.close();
        throw;
    }
    qCInfo(lcDm) << "database copied before its upgrade:" << copy;
    return copy;
}

void FileBackend::checkDatabaseFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("无法读取数据库文件 %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray header = file.read(16);
    if (header != QByteArray("SQLite format 3\0", 16))
        throw AppError(QStringLiteral("数据库文件 %1 不是本程序可以读取的数据库 (文件格式不符)。该文件没有被改动。")
                           .arg(QDir::toNativeSeparators(path)));
}

void FileBackend::createDatabaseFile(const QString& path, const QString& connectionName)
{
    // Built beside the target under a temporary name, then renamed into place: a crash while
    // building leaves no half-made database under the real name.
    const QString temp = PartFileBeside(path);
    const QString name = connectionName + QStringLiteral("-create");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(kDriver, name);
        db.setDatabaseName(temp);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            bool ok = db.transaction();
            for (const QString& sql : SchemaStatements()) {
                if (ok && !q.exec(sql))
                    ok = false;
            }
            if (ok)
                ok = q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
            if (ok)
                ok = q.prepare(
                    QStringLiteral("insert into prn (kjmc, kjx, kjy, win, kjyy, dy) values (?, ?, ?, ?, ?, ?)"));
            for (const LayoutRow& row : InitialLayoutRows()) {
                if (!ok)
                    break;
                BindLayoutRow(q, row);
                ok = q.exec();
            }
            if (!ok)
                error = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
            q.finish();
            if (ok && !db.commit())
                error = db.lastError().text();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    // The register is nobody else's to read: the new file is its owner's only.
    if (error.isEmpty())
        RestrictToOwner(temp);
    if (error.isEmpty() && !QFile::rename(temp, path) && !QFileInfo::exists(path))
        error = QStringLiteral("无法改名为 %1").arg(kDatabaseFile);
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
    if (!error.isEmpty())
        throw AppError(QStringLiteral("无法创建数据库文件 %1: %2").arg(QDir::toNativeSeparators(path), error));
}

FileBackend::FileState FileBackend::fileState() const
{
    quint64 device = 0;
    quint64 inode = 0;
    if (!fileIdentity(m_path, &device, &inode))
        return FileState::Missing;
    return device == m_fileDevice && inode == m_fileInode ? FileState::Same : FileState::Replaced;
}

QString FileBackend::fileChangeText(FileState state) const
{
    const QString path = QDir::toNativeSeparators(m_path);
    if (state == FileState::Missing)
        return QStringLiteral("数据库文件 %1 已不在原处（被移走、改名或删除）。本次操作没有进行，没有保存任何内容。"
                              "请把数据库文件放回原处后再试。")
            .arg(path);
    return QStringLiteral("数据库文件 %1 在程序运行时被另一个文件替换了。本次操作没有进行，没有保存任何内容；"
                          "再试一次时将使用现在的文件。")
        .arg(path);
}

void FileBackend::closed()
{
    m_path.clear();
}

QString FileBackend::changeText(bool* replaced) const
{
    *replaced = false;
    if (m_path.isEmpty())
        return {};
    const FileState state = fileState();
    if (state == FileState::Same)
        return {};
    *replaced = state == FileState::Replaced;
    return fileChangeText(state);
}

QString FileBackend::begin(const QString& connectionName)
{
    // The write lock is taken at the start ("immediate"), and only then is the file looked at
    // once more (by the data module): a restore in another program renames the new file into
    // place while it holds the lock on the old one, so a write that waited for that lock finds
    // that the file has been replaced, instead of going into the file no one will read again.
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return q.lastError().text();
    q.finish();
    // The schema changed since it was looked at (another program upgraded the file, or added
    // to it): looked at again, under the lock, before anything is written that would run a
    // trigger someone else made.
    if (const qint64 cookie = schemaCookie(db); cookie != m_schemaCookie) {
        QString unreadable;
        const QStringList foreign = ForeignObjects(db, QStringLiteral("main"), &unreadable);
        if (!foreign.isEmpty() || !unreadable.isEmpty()) {
            q.exec(QStringLiteral("ROLLBACK"));
            return foreign.isEmpty() ? unreadable : foreignObjectsText(m_path, foreign);
        }
        m_schemaCookie = cookie;
    }
    return {};
}

TD_M::Rights FileBackend::rights(TD_M&)
{
    return TD_M::Rights{};
}

QString FileBackend::operatorName() const
{
    return OperatorName();
}

QString FileBackend::databasePath() const
{
    return m_path.isEmpty() ? QDir::current().absoluteFilePath(kDatabaseFile) : m_path;
}

QString FileBackend::whereText() const
{
    return QStringLiteral("数据库文件: %1").arg(QDir::toNativeSeparators(databasePath()));
}

} // namespace Zt_typro
