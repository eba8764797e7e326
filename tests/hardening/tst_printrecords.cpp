// Two clerks and a register that goes away: a number is stored once unless the clerk who comes
// second agrees, and a cheque that came out of the printer is recorded as printed exactly once,
// whatever happened to the register while its preview was open (a restore by another program,
// the server dropping the connection, the server refusing the clerk until the next start, a file
// that cannot be written).
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "cheque/PrintCheque.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "register/RegisterExport.h"
#include "register/ResultPanel.h"
#include "register/SearchPanel.h"
#include "store/Backup.h"
#include "store/ChequeHistory.h"
#include "store/ChequeStore.h"
#include "store/DataModule.h"
#include "store/KeptPrints.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/SharedRegister.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Zt_typro;

namespace
{
const QString kNumber = QStringLiteral("20000001");
const QString kPayee = QStringLiteral("某某贸易有限公司");

// The register the clerk prints into: the file of the working folder, or a shared register on
// the tests' cluster with the clerk signed in as its cashier.
struct Register
{
    explicit Register(const QString& kind)
    {
        if (kind == QLatin1String("server"))
            shared = std::make_unique<SharedRegisterFixture>();
    }
    QString error() const { return shared ? shared->error() : QString(); }
    // Signs dm in as the cashier (on the server; the file needs nothing).
    void signIn(TD_M& dm, bool admin = false) const
    {
        if (!shared)
            return;
        const QString user = admin ? shared->admin() : shared->cashier();
        dm.useSharedServer(shared->connection(), user, SharedRegisterFixture::password(user));
    }
    // The first column of the first row of sql, read by a connection of its own.
    QVariant value(const QString& sql)
    {
        if (shared)
            return shared->ownerValue(sql);
        TD_M reader;
        reader.ensureConnected();
        QSqlQuery q(QSqlDatabase::database(reader.connectionName()));
        if (!q.exec(sql) || !q.next()) {
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
            return {};
        }
        return q.value(0);
    }
    int count(const QString& sql) { return value(sql).toInt(); }
    int rowsOf(const QString& number)
    {
        return count(QStringLiteral("select count(*) from zp where ph = '%1'").arg(number));
    }
    // How many times the history says the cheque of number was printed (打印).
    int printsOf(const QString& number)
    {
        return count(QStringLiteral("select count(*) from zpls join zp on zp.rowid = zpls.zpid"
                                    " where zp.ph = '%1' and zpls.sj = '打印'")
                         .arg(number));
    }
    std::unique_ptr<SharedRegisterFixture> shared;
};

// The program with its cheque screen open and a cheque typed.
struct Clerk
{
    Clerk()
    {
        SetToday(QDate(2026, 12, 11));
        Frm_main->show();
        Frm_main->mnuzpbjClick();
        s = Frm_main->Panel_zp;
    }
    ~Clerk() { SetToday(QDate()); }
    void type(const QString& number)
    {
        s->E_ph->setText(number);
        s->CB_skr->setEditText(kPayee);
        s->Edit_je->setText(QStringLiteral("88.8"));
        s->Edit_jeExit();
        s->Edit_yt->setText(QStringLiteral("差旅费"));
        s->Memo_xinxi->setPlainText(QStringLiteral("附言"));
    }
    // Prints the typed cheque as a transfer cheque; answers holds the yes/no answers in order.
    void print(const QList<bool>& answers)
    {
        prompter.confirmAnswers.clear();
        for (bool a : answers)
            prompter.confirmAnswers.enqueue(a);
        s->RadioButton_zz->setChecked(true);
        s->Button_pjdy->click();
        s->Button_qd->click();
    }
    QStringList said(const QString& kind) const
    {
        QStringList texts;
        for (const auto& q : prompter.ofKind(kind))
            texts << q.text;
        return texts;
    }
    // The error messages shown, one a line; empty when none was.
    QString errors() const { return said(QStringLiteral("error")).join(QLatin1Char('\n')); }
    // Nothing shown to the clerk carries the driver's raw words or says nothing was done.
    bool toldPlainly() const
    {
        for (const auto& q : prompter.questions)
            if (q.text.contains(QLatin1String("FATAL")) || q.text.contains(QStringLiteral("本次操作没有进行")) ||
                q.text.contains(QStringLiteral("什么也没有保存")) || q.text.contains(QStringLiteral("请稍后再试")))
                return false;
        return true;
    }
    ScriptedPrompter prompter;
    ChequePanel* s = nullptr;
};

ChequeValues chequeOf(const QString& number, const QString& payee)
{
    ChequeValues c;
    c.ph = number;
    c.skr = payee;
    c.je = QStringLiteral("500.00");
    c.yt = QStringLiteral("货款");
    c.nian = QStringLiteral("2026");
    c.yue = QStringLiteral("12");
    c.ri = QStringLiteral("11");
    c.rq = QDate(2026, 12, 11);
    c.hkfs = QStringLiteral("转帐");
    return c;
}

int keptFiles()
{
    return QDir(KeptPrintsFolder()).entryList({QStringLiteral("*.json")}, QDir::Files).size();
}
} // namespace

class TestPrintRecords : public QObject
{
    Q_OBJECT

private slots:
    // Another copy of the program stores the same number while this clerk reads the confirmation:
    // the clerk is asked about it, with what the other stored, and only a Yes stores a second one.
    void sameNumberAtOnce_secondClerkIsAsked_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("useAgain");
        QTest::newRow("file, No") << "file" << false;
        QTest::newRow("file, Yes") << "file" << true;
        QTest::newRow("server, No") << "server" << false;
        QTest::newRow("server, Yes") << "server" << true;
    }
    void sameNumberAtOnce_secondClerkIsAsked()
    {
        QFETCH(QString, kind);
        QFETCH(bool, useAgain);
        FormsFixture forms;
        Register reg(kind);
        QVERIFY2(reg.error().isEmpty(), qPrintable(reg.error()));
        reg.signIn(*D_M);
        Clerk clerk;
        clerk.type(kNumber);

        TD_M other;
        reg.signIn(other, true);
        bool stored = false;
        clerk.prompter.onConfirm = [&](const QString& text) {
            if (stored || !text.contains(QStringLiteral("请认真核对")))
                return;
            stored = true;
            StoreCheque(other, chequeOf(kNumber, QStringLiteral("乙公司")));
        };
        clerk.print({true, useAgain});

        QVERIFY(stored);
        const QStringList asked = clerk.said(QStringLiteral("confirm"));
        QVERIFY2(asked.size() >= 2, qPrintable(asked.join('\n')));
        QVERIFY2(asked.at(1).contains(QStringLiteral("票号 %1 已经登记过").arg(kNumber)), qPrintable(asked.at(1)));
        QVERIFY2(asked.at(1).contains(QStringLiteral("乙公司")), qPrintable(asked.at(1)));
        QCOMPARE(reg.rowsOf(kNumber), useAgain ? 2 : 1);
        QCOMPARE(clerk.prompter.previews, useAgain ? 1 : 0);
        // Not used again: the screen keeps the cheque to correct its number.
        QCOMPARE(clerk.s->E_ph->text(), useAgain ? QString() : kNumber);
        QCOMPARE(reg.printsOf(kNumber), useAgain ? 1 : 0);
    }

    // Another running program restores the file while the clerk's preview is open: the paper has
    // printed, so the cheque is registered again in the restored register and printed once there.
    void restoreWhilePreviewOpen_printedOnceInTheRestoredRegister()
    {
        FormsFixture forms;
        Register reg(QStringLiteral("file"));
        StoreCheque(*D_M, chequeOf(QStringLiteral("10000001"), QStringLiteral("甲公司")));
        const QString saved = QDir::current().absoluteFilePath(QStringLiteral("saved.pdp"));
        BackupDatabase(*D_M, saved);
        Clerk clerk;
        clerk.type(kNumber);
        QString restoreErrors;
        clerk.prompter.onPage = [&](const std::function<void(QPrinter*)>&) {
            QProcess other;
            other.setWorkingDirectory(QDir::currentPath());
            other.start(QStringLiteral(HARDENING_HELPER), {QStringLiteral("restore"), saved});
            if (!other.waitForFinished(60000) || other.exitCode() != 0)
                restoreErrors = QString::fromUtf8(other.readAllStandardError()) + QStringLiteral(" (not restored)");
        };
        clerk.print({true});

        QVERIFY2(restoreErrors.isEmpty(), qPrintable(restoreErrors));
        QVERIFY2(clerk.errors().isEmpty(), qPrintable(clerk.errors()));
        QVERIFY(clerk.toldPlainly());
        const QStringList told = clerk.said(QStringLiteral("inform"));
        QVERIFY2(told.size() == 1 && told.first().contains(QStringLiteral("重新登记")), qPrintable(told.join('\n')));
        QCOMPARE(reg.rowsOf(kNumber), 1);
        QCOMPARE(reg.printsOf(kNumber), 1);
        QCOMPARE(reg.rowsOf(QStringLiteral("10000001")), 1);
        QCOMPARE(keptFiles(), 0);
        QVERIFY(clerk.s->E_ph->text().isEmpty());
    }

    // The server ends the clerk's connection while the preview is open (what a restart does): the
    // print is written on a new connection at once, once.
    void connectionDroppedWhilePreviewOpen_printedOnce()
    {
        FormsFixture forms;
        Register reg(QStringLiteral("server"));
        QVERIFY2(reg.error().isEmpty(), qPrintable(reg.error()));
        reg.signIn(*D_M);
        Clerk clerk;
        clerk.type(kNumber);
        int ended = 0;
        clerk.prompter.onPage = [&](const std::function<void(QPrinter*)>&) {
            ended = reg.shared
                        ->ownerValue(QStringLiteral("select count(pg_terminate_backend(pid)) from pg_stat_activity"
                                                    " where usename = '%1'")
                                         .arg(reg.shared->cashier()))
                        .toInt();
        };
        clerk.print({true});

        QVERIFY(ended > 0);
        QVERIFY2(clerk.errors().isEmpty(), qPrintable(clerk.errors()));
        QVERIFY(clerk.toldPlainly());
        QCOMPARE(reg.rowsOf(kNumber), 1);
        QCOMPARE(reg.printsOf(kNumber), 1);
        QCOMPARE(keptFiles(), 0);
    }

    // An administrator voids the cheque while its preview is open: the register takes no print
    // of a voided cheque, so the clerk is told to hand the paper in, and nothing is kept.
    void voidedWhilePreviewOpen_clerkToldNothingKept_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << "file";
        QTest::newRow("server") << "server";
    }
    void voidedWhilePreviewOpen_clerkToldNothingKept()
    {
        QFETCH(QString, kind);
        FormsFixture forms;
        Register reg(kind);
        QVERIFY2(reg.error().isEmpty(), qPrintable(reg.error()));
        reg.signIn(*D_M);
        Clerk clerk;
        clerk.type(kNumber);
        TD_M admin;
        reg.signIn(admin, true);
        clerk.prompter.onPage = [&](const std::function<void(QPrinter*)>&) {
            const qint64 zpid = reg.value(QStringLiteral("select max(rowid) from zp")).toLongLong();
            AddChequeEvent(admin, zpid, ChequeEvent::Voided, QStringLiteral("号码错误"));
        };
        clerk.print({true});

        QVERIFY2(clerk.errors().isEmpty(), qPrintable(clerk.errors()));
        const QStringList told = clerk.said(QStringLiteral("inform"));
        QVERIFY2(told.size() == 1 && told.first().contains(QStringLiteral("已被作废")) &&
                     told.first().contains(QStringLiteral("交给管理员")),
                 qPrintable(told.join('\n')));
        QCOMPARE(reg.printsOf(kNumber), 0);
        QCOMPARE(keptFiles(), 0);
    }

    // The register cannot take the print at all (the server refuses the clerk, or the file cannot
    // be written): the print is kept on this computer and the clerk told so; the register shows
    // the cheque as printed meanwhile and a reprint asks first; at the next start it is written,
    // once.
    void registerUnavailable_printKeptThenWrittenAtNextStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("another program holds the file's write lock") << "file";
        QTest::newRow("server refuses the clerk") << "server";
    }
    void registerUnavailable_printKeptThenWrittenAtNextStart()
    {
        QFETCH(QString, kind);
        FormsFixture forms;
        Register reg(kind);
        QVERIFY2(reg.error().isEmpty(), qPrintable(reg.error()));
        reg.signIn(*D_M);
        Clerk clerk;
        clerk.type(kNumber);
        // Another program holds the file's write lock: reading goes on, every write waits and fails.
        QProcess locker;
        locker.setWorkingDirectory(QDir::currentPath());
        const auto cutOff = [&] {
            if (reg.shared) {
                QString why;
                QVERIFY2(
                    reg.shared->ownerExec(QStringLiteral("alter role %1 nologin").arg(reg.shared->cashier()), &why),
                    qPrintable(why));
                reg.shared->ownerValue(QStringLiteral("select count(pg_terminate_backend(pid)) from pg_stat_activity"
                                                      " where usename = '%1'")
                                           .arg(reg.shared->cashier()));
            } else {
                locker.start(QStringLiteral(HARDENING_HELPER),
                             {QStringLiteral("lock"), QStringLiteral("120000"), QStringLiteral("immediate")});
                QVERIFY(locker.waitForReadyRead(30000));
                QVERIFY(locker.readLine().startsWith("locked"));
            }
        };
        const auto restore = [&] {
            if (reg.shared) {
                QString why;
                QVERIFY2(reg.shared->ownerExec(QStringLiteral("alter role %1 login").arg(reg.shared->cashier()), &why),
                         qPrintable(why));
            } else {
                locker.kill();
                locker.waitForFinished(10000);
            }
        };
        clerk.prompter.onPage = [&](const std::function<void(QPrinter*)>&) { cutOff(); };
        clerk.print({true});
        clerk.prompter.onPage = nullptr;

        QVERIFY2(clerk.errors().isEmpty(), qPrintable(clerk.errors()));
        QVERIFY(clerk.toldPlainly());
        const QStringList told = clerk.said(QStringLiteral("inform"));
        QVERIFY2(told.size() == 1 && told.first().contains(QStringLiteral("已经打印")) &&
                     told.first().contains(QStringLiteral("保存在本机")),
                 qPrintable(told.join('\n')));
        QCOMPARE(keptFiles(), 1);
        QCOMPARE(KeptPrintsFor(*D_M).size(), 1);
        const qint64 zpid = KeptPrintsFor(*D_M).first().zpid;

        if (!reg.shared) {
            // Read while the file still takes no writes: the grid says printed, and a reprint
            // asks first (No: nothing printed).
            QCOMPARE(reg.printsOf(kNumber), 0);
            Frm_main->findChild<QAction*>(QStringLiteral("zpcx"))->trigger();
            SearchPanel* search = Frm_main->Panel_zpcx;
            search->PageControl_cxfs->setCurrentIndex(0);
            search->Edit_ph->setText(kNumber);
            search->Button_zpcx->click();
            ResultPanel* result = Frm_main->Panel_zpcxjg;
            QTableView* grid = result->DBGrid_cx;
            QCOMPARE(grid->model()->rowCount(), 1);
            int state = -1;
            for (int c = 0; c < grid->model()->columnCount(); ++c)
                if (result->DataSource1->fieldName(c) == QLatin1String("zt"))
                    state = c;
            const QModelIndex cell = grid->model()->index(0, state);
            QCOMPARE(cell.data().toString(), QStringLiteral("已打印"));
            QVERIFY(cell.data(Qt::ToolTipRole).toString().contains(QStringLiteral("保存在本机")));
            QVERIFY(!cell.data(Qt::FontRole).isValid()); // not marked as unprinted
            // The export says so too: the cheque went out, and counts as paid.
            QTemporaryDir out;
            const QString csv = out.filePath(QStringLiteral("导出.csv"));
            QCOMPARE(ExportRegisterRows(*D_M, {zpid}, csv), qsizetype(1));
            QFile exported(csv);
            QVERIFY(exported.open(QIODevice::ReadOnly));
            const QList<QByteArray> records = exported.readAll().split('\n');
            QVERIFY2(records.size() >= 2 && records.at(1).contains(",\"已打印\","), records.value(1).constData());
            const int previews = clerk.prompter.previews;
            clerk.prompter.confirmAnswers.clear();
            clerk.prompter.confirmAnswers.enqueue(false);
            QVERIFY(!ReprintCheque(Frm_main, zpid));
            QVERIFY2(clerk.prompter.last().text.contains(QStringLiteral("还没有写入登记簿")),
                     qPrintable(clerk.prompter.last().text));
            QCOMPARE(clerk.prompter.previews, previews);
            result->hide();
            search->hide();
        }

        // The next start, once the register takes writes again.
        restore();
        D_M->closeConnection();
        reg.signIn(*D_M);
        clerk.prompter.questions.clear();
        WriteKeptPrintsAtStart(Frm_main);
        QVERIFY2(clerk.said(QStringLiteral("inform")).join('\n').contains(QStringLiteral("已经补记")),
                 qPrintable(clerk.said(QStringLiteral("inform")).join('\n')));
        QCOMPARE(keptFiles(), 0);
        QCOMPARE(reg.rowsOf(kNumber), 1);
        QCOMPARE(reg.printsOf(kNumber), 1);
        // And once only: a second start finds nothing to write.
        clerk.prompter.questions.clear();
        WriteKeptPrintsAtStart(Frm_main);
        QVERIFY(clerk.prompter.questions.isEmpty());
        QCOMPARE(reg.printsOf(kNumber), 1);
    }
};

QTEST_MAIN(TestPrintRecords)
#include "tst_printrecords.moc"
