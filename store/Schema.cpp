#include "store/Schema.h"

#include "store/Tables.h"

#include <QSqlQuery>
#include <QVariant>

namespace Zt_typro
{
namespace
{
// Characters as the database counts them: code points, so a character outside the Basic
// Multilingual Plane counts once.
int charCount(const QString& text)
{
    int n = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++n;
    }
    return n;
}

QString historyTable()
{
    return CreateTableSql(RegisterTable(QStringLiteral("zpls")), Dialect::File);
}

QStringList historyIndexes()
{
    return CreateIndexSql(RegisterTable(QStringLiteral("zpls")), Dialect::File);
}

// The history of each cheque is only ever added to.
QStringList historyTriggers()
{
    return {QStringLiteral("CREATE TRIGGER zpls_only_added BEFORE UPDATE ON zpls"
                           " BEGIN SELECT RAISE(ABORT, '支票的记录只能添加，不能修改'); END"),
            QStringLiteral("CREATE TRIGGER zpls_never_removed BEFORE DELETE ON zpls"
                           " BEGIN SELECT RAISE(ABORT, '支票的记录只能添加，不能删除'); END")};
}
} // namespace

QStringList SchemaStatements()
{
    QStringList tables;
    QStringList indexes;
    for (const Table& table : RegisterTables()) {
        tables << CreateTableSql(table, Dialect::File);
        indexes << CreateIndexSql(table, Dialect::File);
    }
    return tables + indexes + historyTriggers();
}

QStringList SchemaUpgradeStatements(int from)
{
    if (from == 1) {
        // Version 1 to 2: each cheque's history. The cheques already in the register were
        // registered by a program that kept no history: each gets its registration, marked so.
        return QStringList{historyTable()} + historyIndexes() + historyTriggers() +
               QStringList{QString::fromUtf8(kHistoryForEarlierCheques)};
    }
    if (from != 0)
        return {};
    // Version 0 to 1: the payee table without the 16-bit limit on its use count. SQLite cannot
    // drop a CHECK, so the table is built anew with its rows (rowids kept) and indexes.
    QStringList statements{QStringLiteral("ALTER TABLE skr RENAME TO skr_v0")};
    const QStringList schema = SchemaStatements();
    statements << CreateTableSql(RegisterTable(QStringLiteral("skr")), Dialect::File);
    statements << QStringLiteral("INSERT INTO skr (rowid, skrmc, zh, khh, cs)"
                                 " SELECT rowid, skrmc, zh, khh, cs FROM skr_v0");
    statements << QStringLiteral("DROP TABLE skr_v0");
    for (const QString& sql : schema) {
        if (sql.startsWith(QLatin1String("CREATE INDEX skr_")))
            statements << sql;
    }
    return statements;
}

void BindLayoutRow(QSqlQuery& q, const LayoutRow& row)
{
    q.addBindValue(QString::fromUtf8(row.kjmc));
    q.addBindValue(row.kjx);
    q.addBindValue(row.kjy);
    q.addBindValue(QString::fromUtf8(row.win));
    q.addBindValue(QString::fromUtf8(row.kjyy));
    q.addBindValue(row.dy ? 1 : 0);
}

QString CheckColumnValue(const QString& column, const QVariant& value)
{
    const Column* rule = FindColumn(column);
    if (!rule || rule->kind == ColumnKind::Date)
        return {};
    const QString caption = QString::fromUtf8(rule->caption);
    if (value.isNull()) {
        return rule->notNull ? QStringLiteral("%1不能为空，未保存。").arg(caption) : QString();
    }
    if (rule->kind == ColumnKind::Text) {
        const int n = charCount(value.toString());
        if (n > rule->maxChars)
            return QStringLiteral("%1最多只能有%2个字符（现有%3个），未保存。").arg(caption).arg(rule->maxChars).arg(n);
    }
    if (rule->kind == ColumnKind::Int16) {
        bool ok = false;
        const qlonglong v = value.toLongLong(&ok);
        if (!ok || v < -32768 || v > 32767)
            return QStringLiteral("%1必须是 -32768 到 32767 之间的整数（现为 %2），未保存。")
                .arg(caption, value.toString());
    }
    return {};
}

} // namespace Zt_typro
