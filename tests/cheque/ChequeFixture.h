#pragma once

#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "common/Clock.h"
#include "store/DataModule.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace Zt_typro
{

/// The main window with the cheque screen opened on a fixed day, the scripted prompter
/// installed, in a fresh working folder.
struct ChequeFixture
{
    explicit ChequeFixture(const QDate& today = QDate(2005, 12, 25))
    {
        SetToday(today);
        Frm_main->show();
        // Focus moves (and so leaving the amount field) only happen in the active window.
        Frm_main->activateWindow();
        if (!QTest::qWaitForWindowActive(Frm_main))
            qWarning("the main window did not become active");
        Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger();
        screen = Frm_main->Panel_zp;
    }

    /// Types the cheque the way an operator does and leaves the amount field.
    void fill(const QString& ph, const QString& payee, const QString& amount, const QString& purpose)
    {
        screen->E_ph->setText(ph);
        screen->CB_skr->setEditText(payee);
        screen->Edit_je->setFocus();
        screen->Edit_je->clear();
        QTest::keyClicks(screen->Edit_je, amount);
        screen->Edit_yt->setFocus(); // leaving the amount field completes it
        screen->Edit_yt->setText(purpose);
    }

    /// Runs "确 定" of the type choice for a form code, answering the confirmation.
    void confirmJob(const QString& code, bool yes)
    {
        (code == QLatin1String("xj") ? screen->RadioButton_xj : screen->RadioButton_zz)->setChecked(true);
        // A number already in the register is asked about first; the fixture goes on with it.
        if (numberIsRegistered(screen->E_ph->text()))
            prompter.confirmAnswers.enqueue(true);
        prompter.confirmAnswers.enqueue(yes);
        screen->Button_pjdy->click();
        // Only what an operator can reach: the type choice shows when the check passed.
        if (screen->Panel_zplx->isVisible())
            screen->Button_qd->click();
    }

    bool numberIsRegistered(const QString& number) const
    {
        QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
        q.prepare(QStringLiteral("select count(*) from zp where ph = ?"));
        q.addBindValue(number);
        return q.exec() && q.next() && q.value(0).toInt() > 0;
    }

    QSqlQuery sql(const QString& statement) const
    {
        QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
        if (!q.exec(statement))
            qWarning("query failed: %s", qPrintable(statement));
        return q;
    }

    int count(const QString& statement) const
    {
        QSqlQuery q = sql(statement);
        return q.next() ? q.value(0).toInt() : -1;
    }

    FormsFixture forms;
    ScriptedPrompter prompter;
    ChequePanel* screen = nullptr;
};

} // namespace Zt_typro
