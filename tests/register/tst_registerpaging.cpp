// The register search query over a generated register of many pages: exact counts, the
// register's order, any row on demand, and the same rows as a query that reads them all.
#include "common/Error.h"
#include "store/DataModule.h"
#include "tests/support/TestEnv.h"

#include <QAbstractItemModelTester>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace Zt_typro;

namespace
{
constexpr int kRows = 20000; // about 79 pages, more than a query keeps

QString number(int i)
{
    return QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0'));
}

// Dates out of register order, so that the register's order and the date order differ.
QDate dateOf(int i)
{
    return QDate(2005, 1, 1).addDays((i * 7919) % 365);
}

QString payeeOf(int i)
{
    return QStringLiteral("收款人%1").arg(i % 37);
}
} // namespace

class TestRegisterPaging : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_work = std::make_unique<TempWorkDir>();
        m_dm = std::make_unique<TD_M>();
        m_dm->ensureConnected(); // the program's own schema
        QSqlDatabase db = QSqlDatabase::database(m_dm->connectionName());
        QVERIFY(db.transaction());
        QSqlQuery q(db);
        QVERIFY(q.prepare(QStringLiteral("insert into zp (ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs) "
                                         "values (?, ?, ?, ?, ?, ?, ?, '', ?, ?)")));
        for (int i = 0; i < kRows; ++i) {
            const QDate d = dateOf(i);
            q.addBindValue(number(i));
            q.addBindValue(payeeOf(i));
            q.addBindValue(QStringLiteral("%1.00").arg(i));
            q.addBindValue(QStringLiteral("用途%1").arg(i));
            q.addBindValue(QString::number(d.year()));
            q.addBindValue(QString::number(d.month()));
            q.addBindValue(QString::number(d.day()));
            q.addBindValue(d.toString(Qt::ISODate));
            q.addBindValue(i % 2 ? QStringLiteral("现金") : QStringLiteral("转帐"));
            QVERIFY(q.exec());
        }
        QVERIFY(db.commit());
    }

    void cleanup()
    {
        m_dm.reset();
        m_work.reset();
    }

    void wholeRange_countsExactlyAndReadsInRegisterOrder()
    {
        DmQuery* q = m_dm->ADOQ_zpcx;
        QVERIFY(q->isPaged());
        q->setStatement(Stmt::Z3, {QDate(2005, 1, 1), QDate(2005, 12, 31)});
        q->open();
        QCOMPARE(q->recordCount(), kRows);
        QCOMPARE(q->model()->rowCount(), kRows);
        QCOMPARE(q->model()->columnCount(), 7); // the six register fields and the state
        int i = 0;
        for (q->first(); !q->eof(); q->next(), ++i) {
            if (q->fieldText(QStringLiteral("ph")) != number(i))
                QFAIL(qPrintable(QStringLiteral("row %1 reads %2").arg(i).arg(q->fieldText(QStringLiteral("ph")))));
        }
        QCOMPARE(i, kRows);
    }

    void search_matchesAQueryThatReadsEveryRow_data()
    {
        QTest::addColumn<int>("statement");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<int>("expected");
        QTest::newRow("Z2 number") << int(Stmt::Z2) << QVariantList{number(12345)} << 1;
        QTest::newRow("Z2 missing number") << int(Stmt::Z2) << QVariantList{QStringLiteral("x")} << 0;
        int march = 0;
        int payee = 0;
        for (int i = 0; i < kRows; ++i) {
            march += dateOf(i) >= QDate(2005, 3, 1) && dateOf(i) <= QDate(2005, 3, 31);
            payee += payeeOf(i) == payeeOf(5);
        }
        QTest::newRow("Z3 one month") << int(Stmt::Z3) << QVariantList{QDate(2005, 3, 1), QDate(2005, 3, 31)}
                                      << march;
        QTest::newRow("Z3 start after end") << int(Stmt::Z3) << QVariantList{QDate(2005, 3, 31), QDate(2005, 3, 1)}
                                            << 0;
        QTest::newRow("Z4 payee") << int(Stmt::Z4) << QVariantList{payeeOf(5)} << payee;
    }

    void search_matchesAQueryThatReadsEveryRow()
    {
        QFETCH(int, statement);
        QFETCH(QVariantList, values);
        QFETCH(int, expected);
        DmQuery* paged = m_dm->ADOQ_zpcx;
        DmQuery* whole = m_dm->ADOQ_zb; // any query that is not paged reads the same statement whole
        QVERIFY(!whole->isPaged());
        paged->setStatement(Stmt(statement), values);
        paged->open();
        whole->setStatement(Stmt(statement), values);
        whole->open();
        QCOMPARE(paged->recordCount(), expected);
        QCOMPARE(whole->recordCount(), expected);
        QCOMPARE(paged->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("skr"));
        for (int r = 0; r < expected; ++r) {
            const QSqlRecord a = paged->record(r);
            const QSqlRecord b = whole->record(r);
            QCOMPARE(a.count(), 7);
            for (int c = 0; c < 7; ++c) {
                QCOMPARE(a.fieldName(c), b.fieldName(c));
                QCOMPARE(a.value(c), b.value(c));
            }
        }
        whole->close();
    }

    void model_readsAnyRowInAnyOrder()
    {
        DmQuery* q = m_dm->ADOQ_zpcx;
        q->setStatement(Stmt::Z3, {QDate(2005, 1, 1), QDate(2005, 12, 31)});
        q->open();
        const QAbstractItemModel* m = q->model();
        for (int row : {kRows - 1, 0, 12345, 256, 255, 257, kRows - 2, 1})
            QCOMPARE(m->index(row, 0).data().toString(), number(row));
        // Backwards through every page, past the number of pages kept.
        for (int row = kRows - 1; row >= 0; row -= 97)
            QCOMPARE(m->index(row, 3).data().toString(), QStringLiteral("%1.00").arg(row));
        QCOMPARE(m->index(7, 1).data().toString(), dateOf(7).toString(Qt::ISODate));
        QCOMPARE(m->index(7, 5).data().toString(), QStringLiteral("现金"));
        q->setRecNo(kRows - 1);
        QCOMPARE(q->fieldText(QStringLiteral("yt")), QStringLiteral("用途%1").arg(kRows - 1));
        QVERIFY_THROWS_EXCEPTION(AppError, q->record(kRows));
    }

    void model_passesTheModelTester()
    {
        DmQuery* q = m_dm->ADOQ_zpcx;
        QAbstractItemModelTester tester(q->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        q->setStatement(Stmt::Z4, {payeeOf(3)});
        q->open();
        QVERIFY(q->recordCount() > DmQuery::kPageRows);
        q->setStatement(Stmt::Z2, {QStringLiteral("none")});
        q->open();
        QCOMPARE(q->model()->rowCount(), 0);
        q->close();
    }

    void rowsAddedAfterOpening_showAtTheNextOpening()
    {
        DmQuery* q = m_dm->ADOQ_zpcx;
        q->setStatement(Stmt::Z4, {QStringLiteral("新收款人")});
        q->open();
        QCOMPARE(q->recordCount(), 0);
        q->setStatement(Stmt::Z4, {payeeOf(0)});
        q->open();
        const int before = q->recordCount();
        m_dm->ADOQ_zp_up->setStatement(Stmt::Z1, {QStringLiteral("X1"), payeeOf(0), QStringLiteral("9.00"),
                                                  QStringLiteral("后加"), QStringLiteral("2005"), QStringLiteral("6"),
                                                  QStringLiteral("1"), QString(), QDate(2005, 6, 1),
                                                  QStringLiteral("转帐")});
        m_dm->ADOQ_zp_up->execute();
        QCOMPARE(q->recordCount(), before);
        QCOMPARE(q->record(before - 1).value(QStringLiteral("ph")).toString(), number(kRows - 1 - (kRows - 1) % 37));
        q->open();
        QCOMPARE(q->recordCount(), before + 1);
        QCOMPARE(q->record(before).value(QStringLiteral("ph")).toString(), QStringLiteral("X1"));
    }

private:
    std::unique_ptr<TempWorkDir> m_work;
    std::unique_ptr<TD_M> m_dm;
};

QTEST_MAIN(TestRegisterPaging)
#include "tst_registerpaging.moc"
