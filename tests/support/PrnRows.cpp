#include "tests/support/PrnRows.h"

#include "app/Forms.h"
#include "store/DataModule.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

void ExecPrn(const QString& sql, const QVariantList& values)
{
    QVERIFY2(D_M, "the data module exists");
    D_M->ensureConnected();
    QSqlQuery query(QSqlDatabase::database(D_M->connectionName()));
    QVERIFY2(query.prepare(sql), qPrintable(query.lastError().text()));
    for (const QVariant& value : values)
        query.addBindValue(value);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

void InsertPrnRow(const QString& kjmc, const QVariant& kjx, const QVariant& kjy, const QString& win,
                  const QString& kjyy, const QVariant& dy)
{
    ExecPrn(QStringLiteral("insert into prn (kjmc, kjx, kjy, win, kjyy, dy) values (?, ?, ?, ?, ?, ?)"),
            {kjmc, kjx, kjy, win, kjyy, dy});
}
