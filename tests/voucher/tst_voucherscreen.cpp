// The voucher entry screen: opening from the menu, the day list, the amount field, the payee
// lookup, the print button's check and the capital-amount font.
#include "cheque/ChequePanel.h"
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/Settings.h"
#include "tests/voucher/VoucherFixture.h"

#include <QMenu>

using namespace Zt_typro;

class TestVoucherScreen : public QObject
{
    Q_OBJECT

private slots:
    void opening_loadsDateOrganisationAndPayees()
    {
        VoucherFixture f;
        WriteOrgDetails(QStringLiteral("某某科技有限公司"), QStringLiteral("6222 0001"), QStringLiteral("工商银行某支行"));
        f.addPayee(QStringLiteral("甲公司"), QString(), QString(), 1);
        f.addPayee(QStringLiteral("乙公司"), QString(), QString(), 5);
        f.addPayee(QStringLiteral("丙公司"), QString(), QString(), 1);
        VoucherPanel* s = f.screen;
        s->ComboBox_skrmc->setEnabled(false);
        s->Edit_jine->setText(QStringLiteral("12.00"));
        s->E_skrzh->setText(QStringLiteral("kept account"));

        f.openFromMenu();

        QVERIFY(s->isVisible());
        QVERIFY(s->ComboBox_skrmc->isEnabled());
        QCOMPARE(s->Edit_jine->text(), QString());
        QCOMPARE(VoucherFixture::items(s->ComboBox_nian), VoucherFixture::numbers(2023, 2029));
        QCOMPARE(s->ComboBox_nian->currentText(), QStringLiteral("2024"));
        QCOMPARE(VoucherFixture::items(s->ComboBox_yue), VoucherFixture::numbers(1, 12));
        QCOMPARE(s->ComboBox_yue->currentText(), QStringLiteral("5"));
        QCOMPARE(VoucherFixture::items(s->ComboBox_ri), VoucherFixture::numbers(1, 31));
        QCOMPARE(s->ComboBox_ri->currentText(), QStringLiteral("7"));
        QCOMPARE(s->P_cpr->text(), QStringLiteral("某某科技有限公司"));
        QCOMPARE(s->P_cprzh->text(), QStringLiteral("6222 0001"));
        QCOMPARE(s->P_cprkhh->text(), QStringLiteral("工商银行某支行"));
        // Most used first; equally used in the order they were added.
        QCOMPARE(VoucherFixture::items(s->ComboBox_skrmc),
                 (QStringList{QStringLiteral("乙公司"), QStringLiteral("甲公司"), QStringLiteral("丙公司")}));
        QCOMPARE(s->E_skrzh->text(), QStringLiteral("kept account"));
        QVERIFY(!s->Panel_pzlx->isVisible());
        QVERIFY(!D_M->ADOQ_skr_pzbj->isOpen());
    }

    void openingTwice_keepsOneSetOfLists()
    {
        VoucherFixture f;
        f.addPayee(QStringLiteral("甲公司"), QString(), QString());
        f.openFromMenu();
        f.screen->ComboBox_skrmc->setEditText(QStringLiteral("typed payee"));
        f.openFromMenu();
        QCOMPARE(VoucherFixture::items(f.screen->ComboBox_nian), VoucherFixture::numbers(2023, 2029));
        QCOMPARE(VoucherFixture::items(f.screen->ComboBox_ri), VoucherFixture::numbers(1, 31));
        QCOMPARE(VoucherFixture::items(f.screen->ComboBox_skrmc), QStringList{QStringLiteral("甲公司")});
        // Emptying the list keeps the typed text.
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), QStringLiteral("typed payee"));
    }

    void dayList_followsTheOperatorsYearAndMonth_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<int>("monthIndex");
        QTest::addColumn<int>("days");
        QTest::newRow("February of a leap year") << "2024" << 1 << 29;
        QTest::newRow("February of a common year") << "2025" << 1 << 28;
        QTest::newRow("April") << "2025" << 3 << 30;
        QTest::newRow("December") << "2025" << 11 << 31;
    }

    void dayList_followsTheOperatorsYearAndMonth()
    {
        QFETCH(QString, year);
        QFETCH(int, monthIndex);
        QFETCH(int, days);
        VoucherFixture f(QDate(2024, 5, 31));
        f.openFromMenu();
        VoucherPanel* s = f.screen;
        s->ComboBox_nian->setFocus();
        s->ComboBox_nian->lineEdit()->selectAll();
        QTest::keyClicks(s->ComboBox_nian->lineEdit(), year);
        s->ComboBox_yue->setCurrentIndex(monthIndex); // from code: no change handler
        QCOMPARE(s->ComboBox_ri->count(), 31);
        emit s->ComboBox_yue->activated(monthIndex); // the operator picks the month
        QCOMPARE(VoucherFixture::items(s->ComboBox_ri), VoucherFixture::numbers(1, days));
        // A day that no longer fits the month is not corrected.
        QCOMPARE(s->ComboBox_ri->currentText(), QStringLiteral("31"));
    }

    void dayList_waitsWhileTheYearIsRetyped()
    {
        VoucherFixture f;
        f.openFromMenu();
        VoucherPanel* s = f.screen;
        s->ComboBox_nian->setFocus();
        s->ComboBox_nian->lineEdit()->selectAll();
        QTest::keyClick(s->ComboBox_nian->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(s->ComboBox_nian->currentText(), QString());
        QCOMPARE(f.prompter.questions.size(), 0);
        QCOMPARE(s->ComboBox_ri->count(), 31);
    }

    void leavingTheAmount_fillsBoxesAndCapitals_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("completed");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("capitals");
        QStringList empty(15, QString());
        QStringList zero = empty;
        zero[0] = QStringLiteral("0");
        zero[1] = QStringLiteral("0");
        zero[2] = QStringLiteral("￥");
        QStringList amount = empty;
        const QStringList digits{"0", "5", "4", "3", "2", "1", "￥"};
        for (int i = 0; i < digits.size(); ++i)
            amount[i] = digits.at(i);
        QTest::newRow("empty") << "" << ".00" << zero << " 零元零角整";
        QTest::newRow("1234.5") << "1234.5" << "1234.50" << amount << "壹仟贰佰叁拾肆元伍角整";
    }

    void leavingTheAmount_fillsBoxesAndCapitals()
    {
        QFETCH(QString, typed);
        QFETCH(QString, completed);
        QFETCH(QStringList, boxes);
        QFETCH(QString, capitals);
        VoucherFixture f;
        f.openFromMenu();
        f.typeAmount(typed);
        QCOMPARE(f.screen->Edit_jine->text(), completed);
        QCOMPARE(f.boxes(), boxes);
        QCOMPARE(f.screen->P_daxie->text(), capitals);
        // The amount is copied to no other control.
        QCOMPARE(Frm_main->Panel_zp->Edit_je->text(), QString());
    }

    void amountKeys_followTheAmountRules()
    {
        VoucherFixture f;
        f.openFromMenu();
        f.screen->Edit_jine->setFocus();
        QTest::keyClicks(f.screen->Edit_jine, QStringLiteral("12a.3.45"));
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("12.34"));
    }

    void enterInTheAmount_movesToThePayee()
    {
        VoucherFixture f;
        f.openFromMenu();
        f.screen->Edit_jine->setFocus();
        QTest::keyClicks(f.screen->Edit_jine, QStringLiteral("8"));
        QTest::keyClick(f.screen->Edit_jine, Qt::Key_Return);
        QTRY_VERIFY(f.screen->ComboBox_skrmc->hasFocus());
        // Leaving the field completed it; Enter itself typed nothing.
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("8.00"));
    }

    void payeeLookup_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("bank");
        QTest::newRow("stored name") << "乙公司" << "2002" << "建设银行";
        QTest::newRow("blanks around it") << "  乙公司 " << "2002" << "建设银行";
        QTest::newRow("first of two rows with the name, most used first") << "甲公司" << "1001" << "工商银行";
        QTest::newRow("name not stored") << "丁公司" << "typed account" << "typed bank";
        QTest::newRow("part of a stored name") << "乙公" << "typed account" << "typed bank";
    }

    void payeeLookup()
    {
        QFETCH(QString, typed);
        QFETCH(QString, account);
        QFETCH(QString, bank);
        VoucherFixture f;
        f.addPayee(QStringLiteral("甲公司"), QStringLiteral("1000"), QStringLiteral("农业银行"), 0);
        f.addPayee(QStringLiteral("乙公司"), QStringLiteral("2002"), QStringLiteral("建设银行"), 3);
        f.addPayee(QStringLiteral("甲公司"), QStringLiteral("1001"), QStringLiteral("工商银行"), 2);
        f.openFromMenu();
        f.screen->E_skrzh->setText(QStringLiteral("typed account"));
        f.screen->E_skrkhh->setText(QStringLiteral("typed bank"));
        f.typePayee(typed);
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), typed);
        QCOMPARE(f.screen->E_skrzh->text(), account);
        QCOMPARE(f.screen->E_skrkhh->text(), bank);
        QVERIFY(!D_M->ADOQ_skr->isOpen());
    }

    void payeeLookup_runsForPickedNamesButNotForTextsFromCode()
    {
        VoucherFixture f;
        f.addPayee(QStringLiteral("乙公司"), QStringLiteral("2002"), QStringLiteral("建设银行"), 3);
        f.openFromMenu();
        VoucherPanel* s = f.screen;
        s->ComboBox_skrmc->setEditText(QStringLiteral("乙公司"));
        QCOMPARE(s->E_skrzh->text(), QString());
        s->ComboBox_skrmc->setCurrentIndex(0);
        emit s->ComboBox_skrmc->activated(0);
        QCOMPARE(s->E_skrzh->text(), QStringLiteral("2002"));
        QCOMPARE(s->E_skrkhh->text(), QStringLiteral("建设银行"));
    }

    void printButton_refusesAnEmptyAmountOnly()
    {
        VoucherFixture f;
        f.openFromMenu();
        f.screen->Button_pz_dy->click();
        QCOMPARE(f.prompter.questions.size(), 1);
        QCOMPARE(f.prompter.last().kind, QStringLiteral("inform"));
        QCOMPARE(f.prompter.last().caption, QStringLiteral("提示"));
        QCOMPARE(f.prompter.last().text, QStringLiteral("金额不能为空!"));
        QVERIFY(!f.screen->Panel_pzlx->isVisible());

        f.screen->Edit_jine->setText(QStringLiteral("0"));
        f.screen->Button_pz_dy->click();
        QCOMPARE(f.prompter.questions.size(), 1);
        QVERIFY(f.screen->Panel_pzlx->isVisible());
        f.screen->Button_pzlx_qx->click();
        QVERIFY(!f.screen->Panel_pzlx->isVisible());
    }

    void fontChoice_fromEitherScreen_reachesAllFour_data()
    {
        QTest::addColumn<bool>("fromCheque");
        QTest::newRow("voucher screen") << false;
        QTest::newRow("cheque screen") << true;
    }

    void fontChoice_fromEitherScreen_reachesAllFour()
    {
        QFETCH(bool, fromCheque);
        VoucherFixture f;
        f.openFromMenu();
        QFont chosen(QStringLiteral("宋体"));
        chosen.setPointSize(16);
        chosen.setBold(true);
        f.prompter.fontAnswers.enqueue(chosen);
        ChequePanel* cheque = Frm_main->Panel_zp;
        auto* item = cheque->PopupMenu_font->findChild<QAction*>(QStringLiteral("popup_fontname"));
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("字体"));
        if (fromCheque)
            item->trigger();
        else
            f.screen->popup_fontnameClick();

        QCOMPARE(f.prompter.ofKind(QStringLiteral("font")).size(), 1);
        QCOMPARE(f.prompter.last().text, QStringLiteral("宋体")); // the dialog starts from "宋体" 10
        for (const QFont& font : {cheque->Panel_daxie->font(), Frm_zz_print->QRL_dx->font(), f.screen->P_daxie->font(),
                                  Frm_pz_print->QRL_dx->font()}) {
            QCOMPARE(font.pointSize(), 16);
            QVERIFY(font.bold());
        }
        QCOMPARE(cheque->Panel_daxie->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(f.screen->P_daxie->palette().color(QPalette::WindowText), QColor(Qt::blue));
    }

    void fontChoice_cancelled_givesSongTi10Everywhere()
    {
        VoucherFixture f;
        f.openFromMenu();
        QFont big(QStringLiteral("宋体"));
        big.setPointSize(20);
        f.prompter.fontAnswers.enqueue(big);
        f.screen->popup_fontnameClick();
        QCOMPARE(f.screen->P_daxie->font().pointSize(), 20);

        f.screen->popup_fontnameClick(); // the empty queue answers Cancel
        ChequePanel* cheque = Frm_main->Panel_zp;
        for (const QFont& font : {cheque->Panel_daxie->font(), Frm_zz_print->QRL_dx->font(), f.screen->P_daxie->font(),
                                  Frm_pz_print->QRL_dx->font()}) {
            QCOMPARE(font.family(), QStringLiteral("宋体"));
            QCOMPARE(font.pointSize(), 10);
        }
    }
};

QTEST_MAIN(TestVoucherScreen)
#include "tst_voucherscreen.moc"
