// How long each register search takes on a register of 1,000,000 cheques, through the search
// panel as the operator runs it: the search, the result panel shown, and the rows of the first
// screen of the grid read. The register is generated once into a database file beside the
// benchmark (the program's own schema, made by the data module) and reused by later runs.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "register/ResultPanel.h"
#include "register/SearchPanel.h"
#include "store/DataModule.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace Zt_typro;

namespace
{
constexpr int kRegisterRows = 1000000;
constexpr int kPayees = 500;
constexpr int kRowsPerStatement = 100; // ten values a row: 1,000 parameters a statement
const QDate kFirstDay(2000, 1, 1);

QString numberOf(int i)
{
    return QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0'));
}

QString payeeOf(int i)
{
    return QStringLiteral("收款单位%1有限公司").arg(i % kPayees);
}

// About 300 cheques a day over nine years.
QDate dateOf(int i)
{
    return kFirstDay.addDays(i / 300);
}

int countRows(const QString& connection)
{
    QSqlQuery q(QSqlDatabase::database(connection));
    return q.exec(QStringLiteral("select count(*) from zp")) && q.next() ? q.value(0).toInt() : -1;
}

// Fills the register in one transaction with multi-row inserts of one prepared statement.
void generateRegister(const QString& connection)
{
    QSqlDatabase db = QSqlDatabase::database(connection);
    QVERIFY(db.transaction());
    QString sql = QStringLiteral("insert into zp (ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs) values ");
    for (int r = 0; r < kRowsPerStatement; ++r)
        sql += (r ? QStringLiteral(", ") : QString()) + QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    QSqlQuery q(db);
    QVERIFY(q.prepare(sql));
    for (int first = 0; first < kRegisterRows; first += kRowsPerStatement) {
        for (int i = first; i < first + kRowsPerStatement; ++i) {
            const QDate d = dateOf(i);
            q.addBindValue(numberOf(i));
            q.addBindValue(payeeOf(i));
            q.addBindValue(QStringLiteral("%1.%2").arg(i % 100000).arg(i % 100, 2, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("货款"));
            q.addBindValue(QString::number(d.year()));
            q.addBindValue(QString::number(d.month()));
            q.addBindValue(QString::number(d.day()));
            q.addBindValue(QString());
            q.addBindValue(d.toString(Qt::ISODate));
            q.addBindValue(i % 3 ? QStringLiteral("转帐") : QStringLiteral("现金"));
        }
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(db.commit());
}
} // namespace

class BenchRegister : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void search_data();
    void search();
    void wholeDateRange_readEveryRowAtOnce();

private:
    QString m_previous;
    SearchPanel* m_panel = nullptr;
};

void BenchRegister::initTestCase()
{
    m_previous = QDir::currentPath();
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/register-1m");
    QVERIFY(QDir().mkpath(folder));
    QDir::setCurrent(folder);
    PrepareApplication();
    CreateForms();
    D_M->ensureConnected(); // creates the database with its schema when it is not there yet
    const int rows = countRows(D_M->connectionName());
    if (rows != kRegisterRows) {
        QCOMPARE(rows, 0); // a partly filled file from an interrupted run: remove it by hand
        QElapsedTimer timer;
        timer.start();
        generateRegister(D_M->connectionName());
        qInfo("generated %d register rows in %lld ms", kRegisterRows, timer.elapsed());
    }
    Frm_main->show();
    Frm_main->zpcxClick();
    m_panel = Frm_main->Panel_zpcx;
    QVERIFY(m_panel->isVisible());
}

void BenchRegister::cleanupTestCase()
{
    DestroyForms();
    QDir::setCurrent(m_previous);
}

void BenchRegister::search_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("end");
    QTest::addColumn<int>("found");
    QTest::newRow("number") << 0 << QVariant(QStringLiteral(" 0000654321 ")) << QVariant() << 1;
    QTest::newRow("number not there") << 0 << QVariant(QStringLiteral("X")) << QVariant() << 0;
    QTest::newRow("one day") << 1 << QVariant(kFirstDay.addDays(1000)) << QVariant(kFirstDay.addDays(1000)) << 300;
    QTest::newRow("one month") << 1 << QVariant(QDate(2004, 3, 1)) << QVariant(QDate(2004, 3, 31)) << 9300;
    QTest::newRow("whole register") << 1 << QVariant(QDate(1999, 1, 1)) << QVariant(QDate(2020, 1, 1))
                                    << kRegisterRows;
    QTest::newRow("payee") << 2 << QVariant(payeeOf(7)) << QVariant() << kRegisterRows / kPayees;
    QTest::newRow("payee not there") << 2 << QVariant(QStringLiteral("无此单位")) << QVariant() << 0;
}

void BenchRegister::search()
{
    QFETCH(int, tab);
    QFETCH(QVariant, value);
    QFETCH(QVariant, end);
    QFETCH(int, found);
    m_panel->PageControl_cxfs->setCurrentIndex(tab);
    m_panel->Edit_ph->setText(tab == 0 ? value.toString() : QString());
    if (tab == 1) {
        m_panel->DateTimePicker_ks->setDate(value.toDate());
        m_panel->DateTimePicker_zz->setDate(end.toDate());
    }
    m_panel->ComboBox_skr->setEditText(tab == 2 ? value.toString() : QString());
    QTableView* grid = Frm_main->Panel_zpcxjg->DBGrid_cx;

    QString last;
    QBENCHMARK {
        m_panel->Button_zpcxClick();
        // What the grid shows first: its first screen of rows.
        const QAbstractItemModel* m = grid->model();
        for (int row = 0; row < qMin(m->rowCount(), 30); ++row)
            for (int c = 0; c < m->columnCount(); ++c)
                last = m->index(row, c).data().toString();
    }
    QVERIFY(Frm_main->Panel_zpcxjg->isVisible());
    QCOMPARE(grid->model()->rowCount(), found);
}

// For comparison: the whole-range date search read completely at once, as a query that is
// not paged reads it.
void BenchRegister::wholeDateRange_readEveryRowAtOnce()
{
    DmQuery* whole = D_M->ADOQ_zb;
    QBENCHMARK_ONCE {
        whole->setStatement(Stmt::Z3, {QDate(1999, 1, 1), QDate(2020, 1, 1)});
        whole->open();
    }
    QCOMPARE(whole->recordCount(), kRegisterRows);
    whole->close();
}

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchRegister bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_register.moc"
