#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

/// Writes to table prn of the data module's database (D_M must exist; the database file is
/// created with its initial rows when it is not there yet), with a plain SQL statement, so a
/// test can set up layout rows the program itself never writes. Fails the current test on error.
void ExecPrn(const QString& sql, const QVariantList& values = {});

/// Appends one row to prn; a null QVariant stores NULL (an empty field).
void InsertPrnRow(const QString& kjmc, const QVariant& kjx, const QVariant& kjy, const QString& win,
                  const QString& kjyy, const QVariant& dy);
