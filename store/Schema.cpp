#include "store/Schema.h"

#include <QSqlQuery>
#include <QVariant>

namespace Zt_typro
{
namespace
{
const ColumnRule kRules[] = {
    {"skr.skrmc", "收款人名称", 50, false, false},
    {"skr.zh", "收款人帐号", 50, false, false},
    {"skr.khh", "收款人开户行", 50, false, false},
    // The use count only orders the payee list: it never stops a payment.
    {"skr.cs", "付款次数", 0, false, false},
    {"zp.ph", "票号", 20, true, false},
    {"zp.skr", "收款人", 128, false, false},
    {"zp.je", "金额", 20, false, false},
    {"zp.yt", "用途", 50, false, false},
    {"zp.nian", "年度", 4, false, false},
    {"zp.yue", "月度", 2, false, false},
    {"zp.ri", "日", 2, false, false},
    {"zp.fjxx", "附加信息", 90, false, false},
    {"zp.hkfs", "汇款方式", 10, false, false},
    {"prn.kjmc", "控件名称", 20, false, false},
    {"prn.kjx", "控件X坐标", 0, false, true},
    {"prn.kjy", "控件Y坐标", 0, false, true},
    {"prn.win", "窗口名称", 30, false, false},
    {"prn.kjyy", "控件意义", 20, false, false},
    {"prn.dy", "是否打印", 0, true, false},
    {"zpls.zpid", "支票", 0, true, false},
    {"zpls.sj", "事件", 10, true, false},
    {"zpls.sm", "说明", 200, false, false},
    {"zpls.czy", "操作员", 64, false, false},
    {"zpls.fssj", "时间", 19, true, false},
};

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
// The history of each cheque (version 2 on): events that are only ever added.
QString historyTable()
{
    return QStringLiteral("CREATE TABLE zpls ("
                          " zpid INTEGER NOT NULL,"
                          " sj TEXT NOT NULL CHECK (sj IN ('登记', '打印', '预览后未打印', '重打', '作废')),"
                          " sm TEXT CHECK (sm IS NULL OR length(sm) <= 200),"
                          " czy TEXT CHECK (czy IS NULL OR length(czy) <= 64),"
                          " fssj TEXT NOT NULL CHECK (length(fssj) <= 19))");
}

QString historyIndex()
{
    return QStringLiteral("CREATE INDEX zpls_by_cheque ON zpls (zpid, sj)");
}

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
    return {
        QStringLiteral("CREATE TABLE skr ("
                       " skrmc TEXT CHECK (skrmc IS NULL OR length(skrmc) <= 50),"
                       " zh TEXT CHECK (zh IS NULL OR length(zh) <= 50),"
                       " khh TEXT CHECK (khh IS NULL OR length(khh) <= 50),"
                       " cs INTEGER DEFAULT 0)"),
        QStringLiteral("CREATE TABLE zp ("
                       " ph TEXT NOT NULL CHECK (length(ph) <= 20),"
                       " skr TEXT CHECK (skr IS NULL OR length(skr) <= 128),"
                       " je TEXT CHECK (je IS NULL OR length(je) <= 20),"
                       " yt TEXT CHECK (yt IS NULL OR length(yt) <= 50),"
                       " nian TEXT CHECK (nian IS NULL OR length(nian) <= 4),"
                       " yue TEXT CHECK (yue IS NULL OR length(yue) <= 2),"
                       " ri TEXT CHECK (ri IS NULL OR length(ri) <= 2),"
                       " fjxx TEXT CHECK (fjxx IS NULL OR length(fjxx) <= 90),"
                       " hkfs TEXT CHECK (hkfs IS NULL OR length(hkfs) <= 10),"
                       " rq TEXT CHECK (rq IS NULL OR (length(rq) = 10 AND date(rq) = rq)))"),
        QStringLiteral("CREATE TABLE prn ("
                       " kjmc TEXT CHECK (kjmc IS NULL OR length(kjmc) <= 20),"
                       " kjx INTEGER DEFAULT 0 CHECK (kjx IS NULL OR kjx BETWEEN -32768 AND 32767),"
                       " kjy INTEGER DEFAULT 0 CHECK (kjy IS NULL OR kjy BETWEEN -32768 AND 32767),"
                       " win TEXT CHECK (win IS NULL OR length(win) <= 30),"
                       " kjyy TEXT CHECK (kjyy IS NULL OR length(kjyy) <= 20),"
                       " dy INTEGER NOT NULL DEFAULT 0 CHECK (dy IN (0, 1)))"),
        historyTable(),
        QStringLiteral("CREATE INDEX skr_by_name ON skr (skrmc)"),
        QStringLiteral("CREATE INDEX skr_by_count ON skr (cs DESC)"),
        QStringLiteral("CREATE INDEX zp_by_number ON zp (ph)"),
        QStringLiteral("CREATE INDEX zp_by_date ON zp (rq)"),
        QStringLiteral("CREATE INDEX zp_by_payee ON zp (skr)"),
        QStringLiteral("CREATE INDEX prn_by_form ON prn (win, kjmc)"),
        historyIndex(),
        historyTriggers().at(0),
        historyTriggers().at(1),
    };
}

QStringList SchemaUpgradeStatements(int from)
{
    if (from == 1) {
        // Version 1 to 2: each cheque's history. The cheques already in the register were
        // registered by a program that kept no history: each gets its registration, marked so.
        return QStringList{historyTable(), historyIndex()} + historyTriggers() +
               QStringList{QString::fromUtf8(kHistoryForEarlierCheques)};
    }
    if (from != 0)
        return {};
    // Version 0 to 1: the payee table without the 16-bit limit on its use count. SQLite cannot
    // drop a CHECK, so the table is built anew with its rows (rowids kept) and indexes.
    QStringList statements{QStringLiteral("ALTER TABLE skr RENAME TO skr_v0")};
    const QStringList schema = SchemaStatements();
    statements << schema.first();
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

const ColumnRule* FindColumnRule(const QString& column)
{
    for (const ColumnRule& rule : kRules)
        if (column == QLatin1String(rule.column))
            return &rule;
    return nullptr;
}

QString CheckColumnValue(const QString& column, const QVariant& value)
{
    const ColumnRule* rule = FindColumnRule(column);
    if (!rule)
        return {};
    const QString caption = QString::fromUtf8(rule->caption);
    if (value.isNull()) {
        return rule->notNull ? QStringLiteral("%1不能为空，未保存。").arg(caption) : QString();
    }
    if (rule->maxChars > 0) {
        const int n = charCount(value.toString());
        if (n > rule->maxChars)
            return QStringLiteral("%1最多只能有%2个字符（现有%3个），未保存。").arg(caption).arg(rule->maxChars).arg(n);
    }
    if (rule->int16) {
        bool ok = false;
        const qlonglong v = value.toLongLong(&ok);
        if (!ok || v < -32768 || v > 32767)
            return QStringLiteral("%1必须是 -32768 到 32767 之间的整数（现为 %2），未保存。")
                .arg(caption, value.toString());
    }
    return {};
}

} // namespace Zt_typro
