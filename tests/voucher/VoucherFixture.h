#pragma once

#include "app/Forms.h"
#include "app/MainWindow.h"
#include "common/Clock.h"
#include "store/DataModule.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"
#include "voucher/VoucherPanel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace Zt_typro
{

/// Types text into a widget key by key, the way an operator does (also Chinese characters).
inline void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

/// The main window in a fresh working folder with the scripted prompter installed, made the
/// active window (focus moves only happen there), on a fixed day.
struct VoucherFixture
{
    explicit VoucherFixture(const QDate& today = QDate(2024, 5, 7))
    {
        SetToday(today);
        Frm_main->show();
        Frm_main->activateWindow();
        if (!QTest::qWaitForWindowActive(Frm_main))
            qWarning("the main window did not become active");
        screen = Frm_main->P_pz;
    }
    ~VoucherFixture() { SetToday(QDate()); }

    /// mnupzbjClick, through the menu item.
    void openFromMenu() const { Frm_main->findChild<QAction*>(QStringLiteral("mnupzbj"))->trigger(); }

    /// Types an amount into Edit_jine and leaves the field.
    void typeAmount(const QString& amount) const
    {
        screen->Edit_jine->setFocus();
        screen->Edit_jine->clear();
        QTest::keyClicks(screen->Edit_jine, amount);
        screen->E_skrzh->setFocus();
    }

    /// Types the payee's name into its box as an operator does (the payee lookup runs).
    void typePayee(const QString& name) const
    {
        screen->ComboBox_skrmc->setFocus();
        screen->ComboBox_skrmc->lineEdit()->clear();
        typeText(screen->ComboBox_skrmc->lineEdit(), name);
    }

    /// "票据打印" then "确定" for a form code, answering the confirmation.
    void printAs(const QString& code, bool yes)
    {
        (code == QLatin1String("jzd") ? screen->RadioButton_jzd : screen->RadioButton_dhpz)->setChecked(true);
        prompter.confirmAnswers.enqueue(yes);
        screen->Button_pz_dy->click();
        screen->Button_pzlx_qd->click();
    }

    QSqlQuery sql(const QString& statement) const
    {
        D_M->ensureConnected();
        QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
        if (!q.exec(statement))
            qWarning("query failed: %s", qPrintable(statement));
        return q;
    }

    /// Adds a payee row with its account, bank and use count.
    void addPayee(const QString& name, const QString& account, const QString& bank, int count = 0) const
    {
        D_M->ensureConnected();
        QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
        q.prepare(QStringLiteral("insert into skr (skrmc, zh, khh, cs) values (?, ?, ?, ?)"));
        q.addBindValue(name);
        q.addBindValue(account);
        q.addBindValue(bank);
        q.addBindValue(count);
        if (!q.exec())
            qWarning("payee insert failed");
    }

    /// The payee rows as "name|account|bank|count", in the order they were added.
    QStringList payees() const
    {
        QStringList rows;
        QSqlQuery q = sql(QStringLiteral("select skrmc, zh, khh, cs from skr order by rowid"));
        while (q.next())
            rows << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                q.value(3).toString()}
                        .join(QLatin1Char('|'));
        return rows;
    }

    /// The digit boxes from 分 (index 0) to the leftmost.
    QStringList boxes() const
    {
        QStringList texts;
        for (int place = 1; place <= 15; ++place)
            texts << screen->digitBox(place)->text();
        return texts;
    }

    static QStringList items(const QComboBox* box)
    {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    }

    static QStringList numbers(int from, int to)
    {
        QStringList texts;
        for (int i = from; i <= to; ++i)
            texts << QString::number(i);
        return texts;
    }

    FormsFixture forms;
    ScriptedPrompter prompter;
    VoucherPanel* screen = nullptr;
};

} // namespace Zt_typro
