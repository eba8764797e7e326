#pragma once

#include "store/Catalogue.h"

#include <QString>
#include <QStringList>

#include <span>

namespace Zt_typro
{

// The register's tables, each column with its type and limits, written once. Both stores' table
// definitions (the local file's and the shared server's), the checks of a value before it is
// written, the tables a backup and a restore read and the columns a move into the shared register
// copies all come from here.

/// What a column holds.
enum class ColumnKind
{
    Text,    // text of at most maxChars characters (code points)
    Integer, // a whole number
    Int16,   // a whole number from -32768 to 32767 (a layout position)
    Flag,    // 0 or 1
    Date,    // a day of the calendar as "2026-12-10"
    Key,     // the row key (rowid) of a row of another table (references)
};

struct Column
{
    const char* name;
    const char* caption; // the field's name as the operator knows it
    ColumnKind kind;
    int maxChars = 0; // Text: the most characters it holds
    bool notNull = false;
    const char* defaultValue = nullptr; // SQL literal, or nullptr for none
    const char* allowed = nullptr;      // Text: the only values it may hold, as an SQL list "('a', 'b')"
    const char* references = nullptr;   // Key: the table whose row it names
};

struct Index
{
    const char* name;
    const char* fileColumns;   // "(skrmc)"
    const char* serverColumns; // on the server most end in rowid: a search reads keys from the index alone
    bool serverUnique = false; // the shared register knows each payee once
};

struct Table
{
    const char* name;
    const char* caption; // what its rows are, for messages ("收款人")
    const char* shownBy; // the column that names a row to the operator
    int since;           // the schema version that brought the table: an older file lacks it
    std::span<const Column> columns;
    std::span<const Index> indexes;
};

/// The register's tables in the order they are copied: payees, cheques, their history, and the
/// layout last (fields a copied layout lacks are added after it).
std::span<const Table> RegisterTables();

/// The table of that name; throws AppError for a name that is not one of the register's.
const Table& RegisterTable(const QString& name);

/// The column "table.column" (e.g. "zp.ph"), or nullptr when there is none.
const Column* FindColumn(const QString& qualified);

/// The column names of table, in order.
QStringList ColumnNames(const Table& table);

/// "CREATE TABLE ..." of table in the dialect of a store. On the server every table has its row
/// key rowid as an identity column, and a key column references its table.
QString CreateTableSql(const Table& table, Dialect dialect);

/// "CREATE [UNIQUE] INDEX ..." of each index of table in the dialect of a store.
QStringList CreateIndexSql(const Table& table, Dialect dialect);

} // namespace Zt_typro
