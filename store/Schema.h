#pragma once

#include <QString>
#include <QStringList>
#include <vector>

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

/// The version of the schema this program writes and reads, kept in SQLite's user_version. A
/// file without one (0) holds the first schema, whose payee use count stopped at 32767; it is
/// upgraded when the program opens it. A file of a later version is refused, never half-used.
inline constexpr int kSchemaVersion = 1;

/// The statements that create the three tables and their indexes of a new database (of version
/// kSchemaVersion).
QStringList SchemaStatements();

/// The statements that bring a database of version from to from + 1, run in one transaction
/// with the version change; empty for a version there is no step from.
QStringList SchemaUpgradeStatements(int from);

/// The limit the schema keeps for a column, by "table.column" (e.g. "zp.ph").
struct ColumnRule
{
    const char* column;   // "table.column"
    const char* caption;  // the field's name as the operator knows it
    int maxChars;         // text columns: maximum number of characters; 0 for integers
    bool notNull;
    bool int16;           // integer column holding a 16-bit signed value (a layout position)
};

/// The rule for a column, or nullptr for a column without one.
const ColumnRule* FindColumnRule(const QString& column);

/// Checks a value against its column's rule before anything is written. Returns an empty text
/// when the value fits, otherwise a message naming the field.
QString CheckColumnValue(const QString& column, const QVariant& value);

} // namespace Zt_typro
