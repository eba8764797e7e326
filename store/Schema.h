#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QSqlQuery;

namespace Zt_typro
{

/// One row of the print layout table prn.
struct LayoutRow
{
    const char* kjmc; // field panel name, e.g. "P_zz_fen"
    int kjx;          // x in layout units
    int kjy;          // y in layout units
    const char* win;  // form code: "zz", "xj", "dhpz" or "jzd"
    const char* kjyy; // display name of the field
    bool dy;          // whether the field is printed
};

/// The 116 layout rows of a new database, in the order they are stored.
const std::vector<LayoutRow>& InitialLayoutRows();

/// Binds row's six values, in the order kjmc, kjx, kjy, win, kjyy, dy, to the next placeholders
/// of q (an insert into prn).
void BindLayoutRow(QSqlQuery& q, const LayoutRow& row);

/// The version of the schema this program writes and reads, kept in SQLite's user_version. A
/// file without one (0) holds the first schema, whose payee use count stopped at 32767; version
/// 1 has no history of each cheque (zpls). Older files are upgraded when the program opens
/// them. A file of a later version is refused, never half-used.
inline constexpr int kSchemaVersion = 2;

/// The note of the registration given, when the history came in (version 2), to each cheque
/// already in the register: such a cheque was printed by a program that kept no history.
inline constexpr char kEarlierRegistration[] = "升级前登记";

/// The statement that gives each cheque of zp without a history its registration (marked
/// kEarlierRegistration, at its cheque date): run when a file of version 1 is upgraded or
/// restored.
inline constexpr char kHistoryForEarlierCheques[] = "INSERT INTO zpls (zpid, sj, sm, czy, fssj)"
                                                    " SELECT rowid, '登记', '升级前登记', NULL, ifnull(rq, '') FROM zp"
                                                    " WHERE rowid NOT IN (SELECT zpid FROM zpls)";

/// The state of the cheque of zp at rowid zp.rowid, from its history, as an SQL expression:
/// 作废 once voided; else 已重打 once printed again; else 已打印 once printed (or registered
/// before the history was kept); else 未打印.
#define CHEQUE_STATE_SQL                                                                                   \
    "(case"                                                                                                \
    " when exists (select 1 from zpls where zpid = zp.rowid and sj = '作废') then '作废'"              \
    " when exists (select 1 from zpls where zpid = zp.rowid and sj = '重打') then '已重打'"           \
    " when exists (select 1 from zpls where zpid = zp.rowid and sj = '打印') then '已打印'"           \
    " when exists (select 1 from zpls where zpid = zp.rowid and sj = '登记' and sm = '升级前登记')" \
    " then '已打印' else '未打印' end)"

/// The statements that create the tables, indexes and triggers of a new database file (of version
/// kSchemaVersion), from the register's tables as store/Tables.h defines them.
QStringList SchemaStatements();

/// The statements that bring a database of version from to from + 1, run in one transaction
/// with the version change; empty for a version there is no step from.
QStringList SchemaUpgradeStatements(int from);

/// Checks a value against its column (by "table.column", see store/Tables.h) before anything is
/// written. Returns an empty text when the value fits, otherwise a message naming the field. A
/// column the tables do not describe, or a date (the job checks it is a real day), passes.
QString CheckColumnValue(const QString& column, const QVariant& value);

} // namespace Zt_typro
