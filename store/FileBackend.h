#pragma once

#include "store/StoreBackend.h"

#include <QString>

class QSqlDatabase;

namespace Zt_typro
{

/// The hint added to a message when another program holds the database file locked.
QString LockedHint();

/// The local database file "pjzp.pdp" in the current working directory. It is created, with its
/// schema and initial layout rows, when missing (not when it is a link to a file that is gone:
/// that is refused); an older file is copied into the backup folder and upgraded; a file of
/// another kind, or one holding tables, views, indexes or triggers the program did not make, is
/// refused, never changed, and nothing in it runs: the schema is distrusted (trusted_schema off)
/// and looked at again under the write lock whenever it has changed since. Another program may move the
/// file away or rename another file into its place while this one runs (a restore does): the
/// file's identity (device and inode) is kept when it opens and compared before every read and
/// write, and a transaction takes SQLite's write lock at its start.
class FileBackend final : public StoreBackend
{
public:
    Dialect dialect() const override { return Dialect::File; }
    void open(const QString& connectionName) override;
    void closed() override;
    QString changeText(bool* replaced) const override;
    QString begin(const QString& connectionName) override;
    bool takesDailyCopy() const override { return true; }
    TD_M::Rights rights(TD_M& dm) override;
    QString operatorName() const override;
    QString databasePath() const override;
    QString whereText() const override;

private:
    enum class FileState
    {
        Same,
        Missing,
        Replaced
    };
    FileState fileState() const;
    QString fileChangeText(FileState state) const;
    void createDatabaseFile(const QString& path, const QString& connectionName);
    void checkDatabaseFile(const QString& path);
    void bringSchemaUpToDate(QSqlDatabase& db, const QString& path);
    /// Copies an older file, before it is upgraded, to "backup/pjzp-升级前-版本N-<date>-<time>.pdp"
    /// beside it (owner only). Throws AppError, the file unchanged and closed, when it cannot.
    QString copyBeforeUpgrade(QSqlDatabase& db, const QString& path, int version);

    QString m_path; // the file open, empty while closed
    quint64 m_fileDevice = 0;
    quint64 m_fileInode = 0;
    qint64 m_schemaCookie = -1; // SQLite's schema_version when the schema was last looked at
};

} // namespace Zt_typro
