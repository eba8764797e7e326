// The life of cheques through the real screens: printed, printed again from the register, kept
// unprinted and printed later, voided with a reason; the states the register shows and the
// history each cheque keeps.
#include "register/ChequeDialogs.h"
#include "store/ChequeHistory.h"
#include "tests/register/RegisterFixture.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTimer>

using namespace Zt_typro;

namespace
{
const QDate kDay(2005, 12, 24);

// The history of the cheque numbered ph, as "event(note);…".
QString historyOf(RegisterFixture& f, const QString& ph)
{
    QSqlQuery q = f.cheque.sql(
        QStringLiteral("select group_concat(sj || ifnull('(' || sm || ')', ''), ';') from "
                       "(select sj, sm from zpls where zpid = (select rowid from zp where ph = '%1') "
                       "order by rowid)")
            .arg(ph));
    return q.next() ? q.value(0).toString() : QString();
}

void select(RegisterFixture& f, int row)
{
    f.result->DBGrid_cx->setCurrentIndex(f.result->DBGrid_cx->model()->index(row, 0));
}

// Runs action once the next modal dialog is up.
void whenModal(const std::function<void(QWidget*)>& action)
{
    QTimer::singleShot(0, Frm_main, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal)
            action(modal);
        else
            whenModal(action);
    });
}
} // namespace

class TestChequeLife : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    void wholeLife_statesAndHistoryAsItHappened()
    {
        RegisterFixture f;
        ScriptedPrompter& ask = f.cheque.prompter;
        f.print(kDay, QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("100"),
                QStringLiteral("货款"));
        // The second: the preview closed without printing, kept as not printed.
        f.cheque.screen->open();
        f.cheque.fill(QStringLiteral("10000002"), QStringLiteral("乙公司"), QStringLiteral("200"),
                      QStringLiteral("运费"));
        ask.previewAnswers.enqueue(PreviewResult{});
        ask.confirmAnswers.enqueue(true);
        ask.confirmAnswers.enqueue(true);
        f.cheque.screen->Button_pjdy->click();
        f.cheque.screen->Button_qd->click();
        f.print(kDay, QStringLiteral("10000003"), QStringLiteral("丙公司"), QStringLiteral("300"),
                QStringLiteral("材料"));
        QCOMPARE(ask.ofKind(QStringLiteral("error")).size(), 0);

        f.openSearch();
        f.search(1, kDay, kDay);
        QCOMPARE(f.column(0),
                 (QStringList{QStringLiteral("10000001"), QStringLiteral("10000002"), QStringLiteral("10000003")}));
        QCOMPARE(f.column(6),
                 (QStringList{QStringLiteral("已打印"), QStringLiteral("未打印"), QStringLiteral("已打印")}));

        // Printed again, and printed for the first time, from the register.
        select(f, 0);
        ask.previewAnswers.enqueue(PreviewResult{true, QStringLiteral("/tmp/重打.pdf")});
        f.result->Button_zpcx_cd->click();
        QCOMPARE(ask.last().kind, QStringLiteral("preview"));
        QCOMPARE(ask.last().caption, QStringLiteral("转帐支票 10000001 重打预览"));
        select(f, 1);
        f.result->Button_zpcx_cd->click();

        // Voided: an empty reason is refused and the dialog stays; then the reason is kept.
        select(f, 2);
        bool refusedEmpty = false;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<TFrm_zf*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->objectName(), QStringLiteral("Frm_zf"));
            dialog->Button_zf_qd->click();
            refusedEmpty = dialog->isVisible() && ask.last().kind == QLatin1String("error");
            dialog->Memo_zfyy->setPlainText(QStringLiteral("  金额写错  "));
            dialog->Button_zf_qd->click();
        });
        f.result->Button_zpcx_zf->click();
        QVERIFY(refusedEmpty);
        QCOMPARE(f.column(6),
                 (QStringList{QStringLiteral("已重打"), QStringLiteral("已打印"), QStringLiteral("作废")}));

        const QString printer = QString::fromUtf8(ScriptedPrompter::kTestPrinter);
        QCOMPARE(historyOf(f, QStringLiteral("10000001")),
                 QStringLiteral("登记;打印(%1);重打(/tmp/重打.pdf)").arg(printer));
        QCOMPARE(historyOf(f, QStringLiteral("10000002")), QStringLiteral("登记;预览后未打印;打印(%1)").arg(printer));
        QCOMPARE(historyOf(f, QStringLiteral("10000003")), QStringLiteral("登记;打印(%1);作废(金额写错)").arg(printer));
        QCOMPARE(f.cheque.count(QStringLiteral("select count(*) from zpls where czy = '%1'").arg(OperatorName())), 9);

        // A voided cheque is not printed again.
        const int previews = ask.previews;
        select(f, 2);
        f.result->Button_zpcx_cd->click();
        QCOMPARE(ask.previews, previews);
        QVERIFY2(ask.last().text.contains(QStringLiteral("已作废，不能重打")), qPrintable(ask.last().text));

        // The history dialog lists the events in order.
        QStringList shown;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<TFrm_zpls*>(modal);
            QVERIFY(dialog);
            for (int row = 0; row < dialog->Grid_zpls->rowCount(); ++row)
                shown << dialog->Grid_zpls->item(row, 1)->text() + QLatin1Char('|') +
                             dialog->Grid_zpls->item(row, 2)->text();
            dialog->accept();
        });
        f.result->Button_zpcx_ls->click();
        QCOMPARE(shown, (QStringList{QStringLiteral("登记|"), QStringLiteral("打印|") + printer,
                                     QStringLiteral("作废|金额写错")}));
    }

    // The history names the system account the program runs as (as "id -un" tells it), whether
    // the session left USER and LOGNAME out or set them to someone else.
    void history_namesTheAccount_data()
    {
        QTest::addColumn<QString>("user"); // empty: unset
        QTest::newRow("USER and LOGNAME unset") << QString();
        QTest::newRow("USER set to someone else") << QStringLiteral("财务主管");
    }

    void history_namesTheAccount()
    {
        QFETCH(QString, user);
        QProcess id;
        id.start(QStringLiteral("id"), {QStringLiteral("-un")});
        QVERIFY(id.waitForFinished(10000) && id.exitCode() == 0);
        const QString account = QString::fromLocal8Bit(id.readAllStandardOutput()).trimmed();
        QVERIFY(!account.isEmpty());

        const char* variables[] = {"USER", "LOGNAME", "USERNAME"};
        QList<QByteArray> before;
        QList<bool> had;
        for (const char* v : variables) {
            had << qEnvironmentVariableIsSet(v);
            before << qgetenv(v);
        }
        const auto restore = qScopeGuard([&] {
            for (int i = 0; i < 3; ++i)
                had.at(i) ? qputenv(variables[i], before.at(i)) : qunsetenv(variables[i]);
        });
        for (const char* v : variables) {
            if (user.isEmpty())
                qunsetenv(v);
            else
                qputenv(v, user.toLocal8Bit());
        }

        RegisterFixture f;
        f.print(kDay, QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("100"),
                QStringLiteral("货款"));
        QCOMPARE(f.cheque.prompter.ofKind(QStringLiteral("error")).size(), 0);
        QSqlQuery q = f.cheque.sql(QStringLiteral("select group_concat(sj || '/' || czy, ';') from zpls"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("登记/%1;打印/%1").arg(account));
    }
};

QTEST_MAIN(TestChequeLife)
#include "tst_chequelife.moc"
