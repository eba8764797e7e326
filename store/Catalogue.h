#pragma once

#include <QString>
#include <QStringList>

namespace Zt_typro
{

/// Every statement the program sends to the database, by its id.
enum class Stmt
{
    S1,
    S2,
    S3,
    S4,
    S5,
    S6,
    S7,
    S8,
    S9,
    S10,
    S11,
    Z1,
    Z2,
    Z3,
    Z4,
    Z5,
    Z6,
    Z7,
    E1,
    E2,
    P1,
    P2,
    P3,
    R1,
    Z8,
    Z9,
};

/// One statement of the catalogue. Every value is bound as a parameter ("?"), so a quote in a
/// name is just a character; columns names, per parameter, the column the value is written to
/// (checked against the column's limits before the statement runs) or is empty for a value
/// that only selects rows.
struct Statement
{
    Stmt id;
    const char* name; // "S1" ... "R1"
    const char* sql;
    QStringList columns;
};

/// The two kinds of database the statements are sent to: the local file (SQLite) and the shared
/// server (PostgreSQL). Every table of both has the row key rowid, so most statements are the same
/// text for both; the few that differ are written once per dialect.
enum class Dialect
{
    File,
    Server,
};

/// The catalogue entry of a statement.
const Statement& CatalogueStatement(Stmt id);

/// The text of a statement as the database of dialect runs it (same parameters, same columns).
QString StatementText(Stmt id, Dialect dialect);

/// The text form of a statement id, e.g. "Z1".
QString StatementName(Stmt id);

} // namespace Zt_typro
