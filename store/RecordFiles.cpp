#include "store/RecordFiles.h"

#include "store/Schema.h"
#include "store/Tables.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QUuid>

namespace Zt_typro
{

QString NativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool SameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

void DistrustSchema(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA trusted_schema = OFF"));
}

int VersionOf(QSqlDatabase db, const QString& schema)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA %1.user_version").arg(schema)) && q.next() ? q.value(0).toInt() : 0;
}

QString TableName(const Table& table)
{
    return QString::fromLatin1(table.name);
}

QString ColumnList(const Table& table)
{
    return ColumnNames(table).join(QStringLiteral(", "));
}

namespace
{
// An object of a database's schema as sqlite_master lists it.
struct SchemaObject
{
    QString type;
    QString table;
    QString sql;
};

// The objects SchemaStatements makes, by lower-case name: read back from a database built from
// them in memory, so that each one's text is exactly what SQLite keeps of it.
const QHash<QString, SchemaObject>& programObjects()
{
    static const QHash<QString, SchemaObject> objects = [] {
        QHash<QString, SchemaObject> made;
        const QString name = QStringLiteral("quillmate-schema-") + QUuid::createUuid().toString(QUuid::Id128);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(QStringLiteral(":memory:"));
            if (db.open()) {
                QSqlQuery q(db);
                for (const QString& sql : SchemaStatements())
                    q.exec(sql);
                if (q.exec(QStringLiteral("select type, name, tbl_name, sql from sqlite_master")))
                    while (q.next())
                        made.insert(q.value(1).toString().toLower(),
                                    SchemaObject{q.value(0).toString(), q.value(2).toString().toLower(),
                                                 q.value(3).toString()});
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        return made;
    }();
    return objects;
}

QString typeCaption(const QString& type)
{
    if (type == QLatin1String("table"))
        return QStringLiteral("数据表");
    if (type == QLatin1String("index"))
        return QStringLiteral("索引");
    if (type == QLatin1String("view"))
        return QStringLiteral("视图");
    if (type == QLatin1String("trigger"))
        return QStringLiteral("触发器");
    return type;
}

// SQLite's own objects: what AUTOINCREMENT and ANALYZE make, and the index of a table's UNIQUE
// or PRIMARY KEY constraint.
bool sqliteOwn(const SchemaObject& object, const QString& name)
{
    static const QStringList tables{QStringLiteral("sqlite_sequence"), QStringLiteral("sqlite_stat1"),
                                    QStringLiteral("sqlite_stat2"), QStringLiteral("sqlite_stat3"),
                                    QStringLiteral("sqlite_stat4")};
    if (object.type == QLatin1String("table"))
        return tables.contains(name);
    if (object.type == QLatin1String("index") && name.startsWith(QLatin1String("sqlite_autoindex_"))) {
        const auto own = programObjects().constFind(object.table);
        return own != programObjects().cend() && own->type == QLatin1String("table");
    }
    return false;
}
} // namespace

QStringList ForeignObjects(QSqlDatabase db, const QString& schema, QString* error)
{
    QStringList foreign;
    QSqlQuery q(db);
    // The schema's name is the program's own (main, src): it cannot be bound.
    if (!q.exec(QStringLiteral("select type, name, tbl_name, sql from %1.sqlite_master order by rowid").arg(schema))) {
        *error = q.lastError().text().trimmed();
        return foreign;
    }
    while (q.next()) {
        const SchemaObject object{q.value(0).toString(), q.value(2).toString().toLower(), q.value(3).toString()};
        const QString shown = q.value(1).toString();
        const QString name = shown.toLower();
        if (sqliteOwn(object, name))
            continue;
        const auto own = programObjects().constFind(name);
        const bool ours = own != programObjects().cend() && own->type == object.type &&
                          (object.type == QLatin1String("table") || own->table == object.table) &&
                          (object.type != QLatin1String("trigger") || own->sql == object.sql);
        if (!ours)
            foreign << typeCaption(object.type) + QLatin1Char(' ') + shown;
    }
    if (q.lastError().isValid())
        *error = q.lastError().text().trimmed();
    return foreign;
}

QString StructureProblem(QSqlDatabase db, const QString& schema)
{
    QSqlQuery q(db);
    QList<const Table*> present;
    for (const Table& table : RegisterTables()) {
        const QString name = TableName(table);
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
        present << &table;
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
    const int version = VersionOf(db, schema);
    if (version > kSchemaVersion)
        return QStringLiteral("它由较新的程序写成，结构版本是 %1，本程序只认识到版本 %2")
            .arg(version)
            .arg(kSchemaVersion);
    for (const Table* table : present)
        if (table->since > version)
            return QStringLiteral("它的结构版本是 %1，却有版本 %2 才有的数据表 %3 (%4)，前后不一致，可能被改动过；"
                                  "按版本 %1 读它会丢掉其中的%4")
                .arg(version)
                .arg(table->since)
                .arg(TableName(*table), QString::fromUtf8(table->caption));
    for (const Table& table : RegisterTables()) {
        if (table.since > version)
            continue;
        if (!q.exec(QStringLiteral("select %1 from %2.%3 limit 0").arg(ColumnList(table), schema, TableName(table))))
            return table.since > 0 ? QStringLiteral("缺少数据表 %1，或其中的列").arg(TableName(table))
                                   : QStringLiteral("缺少数据表 skr、zp 或 prn，或其中的列");
        q.finish();
    }
    return {};
}

} // namespace Zt_typro
