#include "store/Tables.h"

#include "common/Error.h"

#include <array>

namespace Zt_typro
{
namespace
{
using K = ColumnKind;

// The payees, most used first in every list: the use count only orders them.
const std::array<Column, 4> kPayee = {{
    {"skrmc", "收款人名称", K::Text, 50},
    {"zh", "收款人帐号", K::Text, 50},
    {"khh", "收款人开户行", K::Text, 50},
    {"cs", "付款次数", K::Integer, 0, false, "0"},
}};
const std::array<Index, 2> kPayeeIndexes = {{
    {"skr_by_name", "(skrmc)", "(skrmc)", true},
    {"skr_by_count", "(cs DESC)", "(cs DESC, rowid)"},
}};

// The register: one row for each cheque stored.
const std::array<Column, 10> kCheque = {{
    {"ph", "票号", K::Text, 20, true},
    {"skr", "收款人", K::Text, 128},
    {"je", "金额", K::Text, 20},
    {"yt", "用途", K::Text, 50},
    {"nian", "年度", K::Text, 4},
    {"yue", "月度", K::Text, 2},
    {"ri", "日", K::Text, 2},
    {"fjxx", "附加信息", K::Text, 90},
    {"hkfs", "汇款方式", K::Text, 10},
    {"rq", "出票日期", K::Date},
}};
const std::array<Index, 3> kChequeIndexes = {{
    {"zp_by_number", "(ph)", "(ph, rowid)"},
    {"zp_by_date", "(rq)", "(rq, rowid)"},
    {"zp_by_payee", "(skr)", "(skr, rowid)"},
}};

// The history of each cheque: events that are only ever added (version 2 on).
const std::array<Column, 5> kHistory = {{
    {"zpid", "支票", K::Key, 0, true, nullptr, nullptr, "zp"},
    {"sj", "事件", K::Text, 10, true, nullptr, "('登记', '打印', '预览后未打印', '重打', '作废')"},
    {"sm", "说明", K::Text, 200},
    {"czy", "操作员", K::Text, 64},
    {"fssj", "时间", K::Text, 19, true},
}};
const std::array<Index, 1> kHistoryIndexes = {{
    {"zpls_by_cheque", "(zpid, sj)", "(zpid, sj)"},
}};

// The print layouts: one row for each field of each form.
const std::array<Column, 6> kLayout = {{
    {"kjmc", "控件名称", K::Text, 20},
    {"kjx", "控件X坐标", K::Int16, 0, false, "0"},
    {"kjy", "控件Y坐标", K::Int16, 0, false, "0"},
    {"win", "窗口名称", K::Text, 30},
    {"kjyy", "控件意义", K::Text, 20},
    {"dy", "是否打印", K::Flag, 0, true, "0"},
}};
const std::array<Index, 1> kLayoutIndexes = {{
    {"prn_by_form", "(win, kjmc)", "(win, kjmc)"},
}};

const std::array<Table, 4> kTables = {{
    {"skr", "收款人", "skrmc", 0, kPayee, kPayeeIndexes},
    {"zp", "支票", "ph", 0, kCheque, kChequeIndexes},
    {"zpls", "支票记录", "zpid", 2, kHistory, kHistoryIndexes},
    {"prn", "版面", "kjmc", 0, kLayout, kLayoutIndexes},
}};

QString typeName(const Column& c, Dialect dialect)
{
    const bool server = dialect == Dialect::Server;
    switch (c.kind) {
    case K::Text:
    case K::Date:
        return server ? QStringLiteral("text") : QStringLiteral("TEXT");
    case K::Integer:
    case K::Key:
        return server ? QStringLiteral("bigint") : QStringLiteral("INTEGER");
    case K::Int16:
    case K::Flag:
        return server ? QStringLiteral("integer") : QStringLiteral("INTEGER");
    }
    return {};
}

// The condition a value of c must meet, leaving NULL aside; empty for none.
QString condition(const Column& c, Dialect dialect)
{
    const QString n = QString::fromLatin1(c.name);
    switch (c.kind) {
    case K::Text:
        if (c.allowed)
            return n + QStringLiteral(" IN ") + QString::fromUtf8(c.allowed);
        return QStringLiteral("length(%1) <= %2").arg(n).arg(c.maxChars);
    case K::Int16:
        return QStringLiteral("%1 BETWEEN -32768 AND 32767").arg(n);
    case K::Flag:
        return QStringLiteral("%1 IN (0, 1)").arg(n);
    case K::Date:
        // The same days in both stores: a register moved onto the server keeps every date.
        if (dialect == Dialect::Server)
            return QStringLiteral("%1 ~ '^[0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$'").arg(n);
        // "IS", not "=": SQLite's date() of a text that is no date is NULL, and a CHECK that
        // comes out NULL lets the row in.
        return QStringLiteral("(length(%1) = 10 AND date(%1) IS %1)").arg(n);
    case K::Integer:
    case K::Key:
        return {};
    }
    return {};
}

QString columnSql(const Column& c, Dialect dialect)
{
    QString sql = QString::fromLatin1(c.name) + QLatin1Char(' ') + typeName(c, dialect);
    if (c.notNull)
        sql += QStringLiteral(" NOT NULL");
    if (c.defaultValue)
        sql += QStringLiteral(" DEFAULT ") + QString::fromLatin1(c.defaultValue);
    if (c.references && dialect == Dialect::Server)
        sql += QStringLiteral(" REFERENCES %1 (rowid)").arg(QString::fromLatin1(c.references));
    const QString check = condition(c, dialect);
    if (!check.isEmpty()) {
        // A set of allowed values or a flag is its own test; a NULL passes a CHECK anyway, so a
        // column that may be empty says so only where it reads better.
        const bool plain = c.notNull || c.allowed || c.kind == K::Flag;
        sql += plain ? QStringLiteral(" CHECK (%1)").arg(check)
                     : QStringLiteral(" CHECK (%1 IS NULL OR %2)").arg(QString::fromLatin1(c.name), check);
    }
    return sql;
}
} // namespace

std::span<const Table> RegisterTables()
{
    return kTables;
}

const Table& RegisterTable(const QString& name)
{
    for (const Table& t : kTables)
        if (name == QLatin1String(t.name))
            return t;
    throw AppError(QStringLiteral("没有数据表 %1。").arg(name));
}

const Column* FindColumn(const QString& qualified)
{
    const qsizetype dot = qualified.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return nullptr;
    const QStringView table = QStringView(qualified).left(dot);
    const QStringView column = QStringView(qualified).mid(dot + 1);
    for (const Table& t : kTables) {
        if (table != QLatin1String(t.name))
            continue;
        for (const Column& c : t.columns)
            if (column == QLatin1String(c.name))
                return &c;
    }
    return nullptr;
}

QStringList ColumnNames(const Table& table)
{
    QStringList names;
    for (const Column& c : table.columns)
        names << QString::fromLatin1(c.name);
    return names;
}

QString CreateTableSql(const Table& table, Dialect dialect)
{
    const bool server = dialect == Dialect::Server;
    QStringList columns;
    if (server)
        columns << QStringLiteral("rowid bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    for (const Column& c : table.columns)
        columns << columnSql(c, dialect);
    return (server ? QStringLiteral("CREATE TABLE IF NOT EXISTS ") : QStringLiteral("CREATE TABLE ")) +
           QString::fromLatin1(table.name) + QStringLiteral(" ( ") + columns.join(QStringLiteral(", ")) +
           QLatin1Char(')');
}

QStringList CreateIndexSql(const Table& table, Dialect dialect)
{
    const bool server = dialect == Dialect::Server;
    QStringList out;
    for (const Index& i : table.indexes) {
        out << QStringLiteral("CREATE %1INDEX %2%3 ON %4 %5")
                   .arg(server && i.serverUnique ? QStringLiteral("UNIQUE ") : QString(),
                        server ? QStringLiteral("IF NOT EXISTS ") : QString(), QString::fromLatin1(i.name),
                        QString::fromLatin1(table.name), QString::fromLatin1(server ? i.serverColumns : i.fileColumns));
    }
    return out;
}

} // namespace Zt_typro
