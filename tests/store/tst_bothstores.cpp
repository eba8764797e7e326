// The data module's statements against both stores, the local file and the shared server, from
// one table of cases: every case runs on a fresh register of each kind and must give the same
// answers, whatever dialect the statements are sent in.
#include "common/Error.h"
#include "store/ChequeHistory.h"
#include "store/ChequeStore.h"
#include "store/DataModule.h"
#include "store/Schema.h"
#include "store/SharedStore.h"
#include "store/Tables.h"
#include "tests/support/SharedRegister.h"
#include "tests/support/TestEnv.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <functional>
#include <memory>

using namespace Zt_typro;

namespace
{
// One register of either kind, fresh, with the data module working on it.
struct Store
{
    explicit Store(const QString& kind)
    {
        if (kind == QLatin1String("server")) {
            shared = std::make_unique<SharedRegisterFixture>();
            if (shared->error().isEmpty())
                dm.useSharedServer(shared->connection(), shared->admin(),
                                   SharedRegisterFixture::password(shared->admin()));
        }
    }
    QString error() const { return shared ? shared->error() : QString(); }

    QList<QStringList> rows(Stmt id, const QVariantList& values, const QStringList& columns, bool paged = false)
    {
        DmQuery q(&dm, "ADOQ_test");
        q.setPaged(paged);
        q.setStatement(id, values);
        q.open();
        QList<QStringList> out;
        for (q.first(); !q.eof(); q.next()) {
            QStringList row;
            for (const QString& c : columns)
                row << q.fieldText(c);
            out << row;
        }
        return out;
    }
    void write(Stmt id, const QVariantList& values)
    {
        DmQuery q(&dm, "ADOQ_test_up");
        q.setStatement(id, values);
        q.execute();
    }
    // Stores a cheque through the cheque job's own store, as after the clerk agreed to use a
    // number again; returns its row key.
    qint64 storeCheque(const QString& ph, const QString& payee, const QDate& date, const QString& amount = "100.00")
    {
        ChequeValues cheque;
        cheque.ph = ph;
        cheque.skr = payee;
        cheque.je = amount;
        cheque.yt = QStringLiteral("货款");
        cheque.nian = QString::number(date.year());
        cheque.yue = QString::number(date.month());
        cheque.ri = QString::number(date.day());
        cheque.rq = date;
        cheque.hkfs = QStringLiteral("转帐");
        return StoreCheque(dm, cheque, kAnyNumberUses);
    }
    qint64 count(const QString& table)
    {
        dm.ensureConnected();
        QSqlQuery q(QSqlDatabase::database(dm.connectionName(), false));
        return q.exec(QStringLiteral("select count(*) from ") + table) && q.next() ? q.value(0).toLongLong() : -1;
    }
    bool rawExec(const QString& sql)
    {
        dm.ensureConnected();
        QSqlQuery q(QSqlDatabase::database(dm.connectionName(), false));
        return q.exec(sql);
    }

    // Inserts one row into table with values by column, in a plain statement: on the file through
    // the data module's connection, on the server as the register's owner (no right of an
    // operator's stands in the way). Returns the database's error, invalid when it was stored.
    QSqlError rawInsert(const QString& table, const QVariantHash& values)
    {
        QStringList columns = values.keys();
        columns.sort();
        QStringList marks(columns.size(), QStringLiteral("?"));
        const QString sql = QStringLiteral("insert into %1 (%2) values (%3)")
                                .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        const auto run = [&](QSqlDatabase db) {
            QSqlQuery q(db);
            q.prepare(sql);
            for (const QString& c : columns)
                q.addBindValue(values.value(c));
            q.exec();
            return q.lastError();
        };
        if (!shared) {
            dm.ensureConnected();
            return run(QSqlDatabase::database(dm.connectionName(), false));
        }
        ServerConnection owner(shared->ownerConnection());
        return run(owner.database());
    }

    TempWorkDir work;
    std::unique_ptr<SharedRegisterFixture> shared;
    TD_M dm;
};

const QStringList kNameCount = {QStringLiteral("skrmc"), QStringLiteral("cs")};

struct Case
{
    const char* name;
    std::function<void(Store&)> run;
};

const QList<Case>& allCases()
{
    static const QList<Case> all = {
        {"payees come most used first, equals in the order they were added",
         [](Store& s) {
             // Counted as the cheque job counts them, a cheque at a time: no count for the first.
             int n = 0;
             for (const char* name : {"华东机械", "江南纺织", "北方钢铁", "江南纺织", "江南纺织", "北方钢铁"}) {
                 ++n;
                 s.storeCheque(QStringLiteral("C%1").arg(n), QString::fromUtf8(name), QDate(2026, 4, n));
             }
             const QList<QStringList> expected = {{QStringLiteral("江南纺织"), QStringLiteral("2")},
                                                  {QStringLiteral("北方钢铁"), QStringLiteral("1")},
                                                  {QStringLiteral("华东机械"), QStringLiteral("0")}};
             QCOMPARE(s.rows(Stmt::S3, {}, kNameCount), expected);
             QCOMPARE(s.rows(Stmt::S1, {}, {QStringLiteral("skrmc")}).size(), 3);
         }},
        {"a voucher's payee is added with account and bank, then changed",
         [](Store& s) {
             s.write(Stmt::S10, {QStringLiteral("上海某某公司"), QStringLiteral("6222 0001"), QStringLiteral("工行")});
             s.write(Stmt::S11, {QStringLiteral("6222 0002"), QStringLiteral("建行"), QStringLiteral("上海某某公司")});
             const QList<QStringList> expected = {
                 {QStringLiteral("上海某某公司"), QStringLiteral("6222 0002"), QStringLiteral("建行")}};
             QCOMPARE(s.rows(Stmt::S5, {QStringLiteral("上海某某公司")},
                             {QStringLiteral("skrmc"), QStringLiteral("zh"), QStringLiteral("khh")}),
                      expected);
             QCOMPARE(s.count(QStringLiteral("skr")), 1);
         }},
        {"a cheque's state follows its history",
         [](Store& s) {
             const qint64 first = s.storeCheque(QStringLiteral("10200001"), QStringLiteral("甲"), QDate(2026, 3, 1));
             const qint64 second = s.storeCheque(QStringLiteral("10200002"), QStringLiteral("乙"), QDate(2026, 3, 2));
             QVERIFY(second > first);
             const QStringList state = {QStringLiteral("zt")};
             QCOMPARE(s.rows(Stmt::Z6, {second}, state), QList<QStringList>{{QStringLiteral("未打印")}});
             AddChequeEvent(s.dm, second, ChequeEvent::Printed, QStringLiteral("打印机 A"));
             QCOMPARE(s.rows(Stmt::Z6, {second}, state), QList<QStringList>{{QStringLiteral("已打印")}});
             AddChequeEvent(s.dm, second, ChequeEvent::Reprinted, QStringLiteral("打印机 B"));
             QCOMPARE(s.rows(Stmt::Z6, {second}, state), QList<QStringList>{{QStringLiteral("已重打")}});
             AddChequeEvent(s.dm, second, ChequeEvent::Voided, QStringLiteral("填错金额"));
             QCOMPARE(s.rows(Stmt::Z6, {second}, state), QList<QStringList>{{QStringLiteral("作废")}});
             QCOMPARE(s.rows(Stmt::Z6, {first}, {QStringLiteral("ph"), QStringLiteral("zt")}),
                      (QList<QStringList>{{QStringLiteral("10200001"), QStringLiteral("未打印")}}));
             // The history, oldest first, by the operator signed in, at a time of the clock.
             const QList<ChequeHistoryEntry> history = ChequeHistory(s.dm, second);
             QCOMPARE(history.size(), 4);
             const QStringList events = {QStringLiteral("登记"), QStringLiteral("打印"), QStringLiteral("重打"),
                                         QStringLiteral("作废")};
             static const QRegularExpression time(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
             for (int i = 0; i < history.size(); ++i) {
                 QCOMPARE(history.at(i).event, events.at(i));
                 QCOMPARE(history.at(i).byOperator, s.dm.operatorName());
                 QVERIFY2(time.match(history.at(i).time).hasMatch(), qPrintable(history.at(i).time));
             }
             QCOMPARE(history.at(3).note, QStringLiteral("填错金额"));
         }},
        {"searches by number, dates and payee, paged or not, in register order",
         [](Store& s) {
             s.storeCheque(QStringLiteral("A1"), QStringLiteral("甲"), QDate(2026, 1, 31));
             s.storeCheque(QStringLiteral("A2"), QStringLiteral("乙"), QDate(2026, 2, 1));
             s.storeCheque(QStringLiteral("A3"), QStringLiteral("甲"), QDate(2026, 2, 28));
             s.storeCheque(QStringLiteral("A2"), QStringLiteral("丙"), QDate(2026, 3, 1));
             const QStringList cols = {QStringLiteral("ph"), QStringLiteral("skr"), QStringLiteral("rq"),
                                       QStringLiteral("zt")};
             for (bool paged : {false, true}) {
                 QCOMPARE(
                     s.rows(Stmt::Z2, {QStringLiteral("A2")}, cols, paged),
                     (QList<QStringList>{{"A2", "乙", "2026-02-01", "未打印"}, {"A2", "丙", "2026-03-01", "未打印"}}));
                 QCOMPARE(
                     s.rows(Stmt::Z3, {QDate(2026, 2, 1), QDate(2026, 2, 28)}, cols, paged),
                     (QList<QStringList>{{"A2", "乙", "2026-02-01", "未打印"}, {"A3", "甲", "2026-02-28", "未打印"}}));
                 QCOMPARE(
                     s.rows(Stmt::Z4, {QStringLiteral("甲")}, cols, paged),
                     (QList<QStringList>{{"A1", "甲", "2026-01-31", "未打印"}, {"A3", "甲", "2026-02-28", "未打印"}}));
                 // Nothing found: an empty list, not an error.
                 QVERIFY(s.rows(Stmt::Z2, {QStringLiteral("A9")}, cols, paged).isEmpty());
                 QVERIFY(s.rows(Stmt::Z4, {QStringLiteral("丁")}, cols, paged).isEmpty());
             }
             // The number asked about before it is used again.
             QCOMPARE(s.rows(Stmt::Z5, {QStringLiteral("A3")}, {QStringLiteral("skr"), QStringLiteral("zt")}),
                      (QList<QStringList>{{"甲", "未打印"}}));
             QVERIFY(s.rows(Stmt::Z5, {QStringLiteral("A9")}, {QStringLiteral("skr")}).isEmpty());
         }},
        {"a quote, a rare character and blanks are stored as typed",
         [](Store& s) {
             const QString name = QStringLiteral("O'Brien \"外贸\" 𠀀 公司; drop table zp; --");
             s.write(Stmt::S7, {name});
             s.storeCheque(QStringLiteral("Q1"), name, QDate(2026, 5, 5));
             QCOMPARE(s.rows(Stmt::S9, {name}, {QStringLiteral("skrmc")}), QList<QStringList>{{name}});
             QCOMPARE(s.rows(Stmt::Z4, {name}, {QStringLiteral("skr")}), QList<QStringList>{{name}});
             QCOMPARE(s.count(QStringLiteral("zp")), 1);
         }},
        {"a value that does not fit is refused before anything is sent",
         [](Store& s) {
             QVERIFY_THROWS_EXCEPTION(AppError, s.storeCheque(QStringLiteral("123456789012345678901"),
                                                              QStringLiteral("甲"), QDate(2026, 1, 1)));
             QVERIFY_THROWS_EXCEPTION(AppError, s.write(Stmt::S7, {QString(51, QChar(u'名'))}));
             QCOMPARE(s.count(QStringLiteral("zp")), 0);
             QCOMPARE(s.count(QStringLiteral("skr")), 0);
             QCOMPARE(s.count(QStringLiteral("zpls")), 0);
         }},
        {"each store refuses, by itself, a value over its column's limit",
         [](Store& s) {
             // Plain statements, past the program's own checks: the store's table definitions,
             // made from the one definition of the tables, hold every limit themselves.
             const qint64 zpid = s.storeCheque(QStringLiteral("L1"), QStringLiteral("甲"), QDate(2026, 1, 1));
             const QHash<QString, QVariantHash> validRow = {
                 {QStringLiteral("skr"), {{QStringLiteral("skrmc"), QStringLiteral("限额")}}},
                 {QStringLiteral("zp"), {{QStringLiteral("ph"), QStringLiteral("L2")}}},
                 {QStringLiteral("zpls"),
                  {{QStringLiteral("zpid"), zpid},
                   {QStringLiteral("sj"), QStringLiteral("打印")},
                   {QStringLiteral("fssj"), QStringLiteral("2026-01-01 00:00:00")}}},
                 {QStringLiteral("prn"),
                  {{QStringLiteral("kjmc"), QStringLiteral("P_zz_test")}, {QStringLiteral("dy"), 1}}},
             };
             const bool server = s.shared != nullptr;
             int checked = 0;
             for (const Table& table : RegisterTables()) {
                 const QString name = QString::fromLatin1(table.name);
                 for (const Column& column : table.columns) {
                     const QString col = QString::fromLatin1(column.name);
                     // The server stamps the operator and the time of each event itself.
                     if (server && name == QLatin1String("zpls") &&
                         (col == QLatin1String("czy") || col == QLatin1String("fssj")))
                         continue;
                     QVariant fits;
                     QVariant over;
                     switch (column.kind) {
                     case ColumnKind::Text:
                         fits = column.allowed ? QVariant(QStringLiteral("重打"))
                                               : QVariant(QString(column.maxChars, QChar(u'字')));
                         over = column.allowed ? QVariant(QStringLiteral("改金额"))
                                               : QVariant(QString(column.maxChars + 1, QChar(u'字')));
                         break;
                     case ColumnKind::Int16:
                         fits = 32767;
                         over = 32768;
                         break;
                     case ColumnKind::Flag:
                         fits = 0;
                         over = 2;
                         break;
                     case ColumnKind::Date:
                         fits = QStringLiteral("2026-12-31");
                         over = QStringLiteral("2026-13-01");
                         break;
                     case ColumnKind::Integer:
                     case ColumnKind::Key:
                         continue;
                     }
                     QVariantHash row = validRow.value(name);
                     // The shared register knows each payee once.
                     if (name == QLatin1String("skr"))
                         row.insert(QStringLiteral("skrmc"), QStringLiteral("限额%1").arg(checked));
                     row.insert(col, over);
                     const QSqlError refused = s.rawInsert(name, row);
                     const QString what = QStringLiteral("%1.%2").arg(name, col);
                     QVERIFY2(refused.isValid(), qPrintable(what + QStringLiteral(" took a value over its limit")));
                     // Refused for its limit (a CHECK), not for anything else.
                     QVERIFY2(server ? refused.nativeErrorCode() == QLatin1String("23514")
                                     : refused.text().contains(QLatin1String("CHECK constraint failed")),
                              qPrintable(what + QStringLiteral(": ") + refused.text()));
                     row.insert(col, fits);
                     const QSqlError stored = s.rawInsert(name, row);
                     QVERIFY2(!stored.isValid(),
                              qPrintable(what + QStringLiteral(" refused a value that fits: ") + stored.text()));
                     ++checked;
                 }
             }
             // Every text, position, flag and date column of the four tables was tried.
             QCOMPARE(checked, server ? 21 : 23);
         }},
        {"a transaction that fails part way stores nothing of it",
         [](Store& s) {
             QVERIFY_THROWS_EXCEPTION(AppError, s.dm.transaction([&] {
                 s.write(Stmt::S7, {QStringLiteral("半途")});
                 const qint64 zpid = s.storeCheque(QStringLiteral("T1"), QStringLiteral("半途"), QDate(2026, 1, 1));
                 // An event the database itself refuses, after the rows above were sent.
                 s.write(Stmt::E1, {zpid, QStringLiteral("改金额"), QString(), QStringLiteral("x"),
                                    QStringLiteral("2026-01-01 00:00:00")});
             }));
             QVERIFY(!s.dm.inTransaction());
             QCOMPARE(s.count(QStringLiteral("zp")), 0);
             QCOMPARE(s.count(QStringLiteral("skr")), 0);
             QCOMPARE(s.count(QStringLiteral("zpls")), 0);
             // And the next one goes through.
             s.storeCheque(QStringLiteral("T3"), QStringLiteral("之后"), QDate(2026, 1, 2));
             QCOMPARE(s.count(QStringLiteral("zp")), 1);
         }},
        {"the history is only ever added to",
         [](Store& s) {
             const qint64 zpid = s.storeCheque(QStringLiteral("H1"), QStringLiteral("甲"), QDate(2026, 1, 1));
             QVERIFY(!s.rawExec(QStringLiteral("update zpls set sm = 'x'")));
             QVERIFY(!s.rawExec(QStringLiteral("delete from zpls")));
             QCOMPARE(ChequeHistory(s.dm, zpid).size(), 1);
         }},
        {"layouts: read by form, moved, and a field switched off",
         [](Store& s) {
             const QStringList cols = {QStringLiteral("kjmc"), QStringLiteral("kjx"), QStringLiteral("kjy"),
                                       QStringLiteral("dy")};
             const QList<QStringList> zz = s.rows(Stmt::P1, {QStringLiteral("zz")}, cols);
             int expected = 0;
             for (const LayoutRow& r : InitialLayoutRows())
                 expected += QLatin1String(r.win) == QLatin1String("zz") ? 1 : 0;
             QCOMPARE(zz.size(), expected);
             QCOMPARE(zz.first().first(), QString::fromUtf8(InitialLayoutRows().front().kjmc));
             s.write(Stmt::P3, {-5, 400, QStringLiteral("P_zz_qian"), QStringLiteral("zz")});
             DmQuery q(&s.dm, "ADOQ_zpdyxz_test");
             q.setStatement(Stmt::P2, {QStringLiteral("zz")});
             q.open();
             // Ordered by x: the field just moved to -5 comes first.
             QCOMPARE(q.fieldText(QStringLiteral("kjmc")), QStringLiteral("P_zz_qian"));
             q.writeCurrentRow(Stmt::R1, {0, q.field(QStringLiteral("row_id"))}, QStringLiteral("dy"), 0);
             const QList<QStringList> after = s.rows(Stmt::P1, {QStringLiteral("zz")}, cols);
             QCOMPARE(after.first(), (QStringList{"P_zz_qian", "-5", "400", "0"}));
             QCOMPARE(s.rows(Stmt::P1, {QStringLiteral("xj")}, cols).size() > 0, true);
         }},
    };
    return all;
}
} // namespace

class TestBothStores : public QObject
{
    Q_OBJECT

private slots:
    void cases_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<int>("index");
        for (const char* store : {"file", "server"}) {
            for (int i = 0; i < allCases().size(); ++i)
                QTest::newRow(qPrintable(
                    QStringLiteral("%1: %2").arg(QLatin1String(store), QLatin1String(allCases().at(i).name))))
                    << QString::fromLatin1(store) << i;
        }
    }

    void cases()
    {
        QFETCH(QString, store);
        QFETCH(int, index);
        Store s(store);
        QVERIFY2(s.error().isEmpty(), qPrintable(s.error()));
        QCOMPARE(s.dm.dialect(), store == QLatin1String("server") ? Dialect::Server : Dialect::File);
        allCases().at(index).run(s);
    }
};

QTEST_MAIN(TestBothStores)
#include "tst_bothstores.moc"
