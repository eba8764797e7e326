#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QUuid>

namespace Zt_typro
{

struct Table;

// What backup and restore share: reading a database file of the program from outside, on a
// connection of its own, trusting nothing in it.

/// path as the operator's system writes it.
QString NativePath(const QString& path);

/// True when a and b name the same file (or, when either is missing, the same place).
bool SameFile(const QString& a, const QString& b);

/// Settings of a connection that reads a file from outside: nothing in the file's schema runs
/// functions of the program.
void DistrustSchema(QSqlDatabase db);

/// The schema version of the file in schema (main, or an attached file).
int VersionOf(QSqlDatabase db, const QString& schema);

QString TableName(const Table& table);
/// The table's columns as an SQL list: "skrmc, zh, khh, cs".
QString ColumnList(const Table& table);

/// The objects in schema (main, or an attached file) that the program did not make, as the
/// operator reads them ("触发器 wipe", "视图 every_cheque"): every table, index, view and trigger
/// other than those SchemaStatements makes and SQLite's own (sqlite_sequence, sqlite_stat1 to
/// sqlite_stat4, the automatic indexes of a table of the register). A trigger counts as the
/// program's only with the program's own text, an index only on its own table. An older file
/// lacks some of the program's objects: that is no fault here. Empty when there are none; when
/// the schema cannot be read, *error says why.
QStringList ForeignObjects(QSqlDatabase db, const QString& schema, QString* error);

/// Checks that the register's tables in schema (main, or an attached file) are plain tables
/// with a row key of their own and the columns the program reads. Nothing is read from a table
/// before this: a view could run without end, a table without rowid or with a column called
/// rowid would lose the register's order. A table that came with a later schema version than the
/// file's own says it has (the history zpls in a file of version 1) makes the file inconsistent:
/// read by its version, that table would be dropped unseen. Returns the reason when they are not.
QString StructureProblem(QSqlDatabase db, const QString& schema);

// A connection of its own on a file that is not the program's database (opened with the
// driver's options), closed and removed when it goes.
class OwnConnection
{
public:
    OwnConnection(const QString& path, const QString& options)
        : m_name(QStringLiteral("quillmate-own-") + QUuid::createUuid().toString(QUuid::Id128))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
        m_open = db.open();
        if (!m_open)
            m_error = db.lastError().text();
        else
            DistrustSchema(db);
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

} // namespace Zt_typro
