// The voucher print job against a real database: what it records, what it prints where, what it
// clears, and what it refuses before recording anything.
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/Settings.h"
#include "tests/voucher/VoucherFixture.h"
#include "voucher/PrintVoucher.h"

using namespace Zt_typro;

namespace
{
// The screen of a typical voucher, opened from the menu with the organisation's details.
void fillVoucher(VoucherFixture& f, const QString& payee, const QString& account, const QString& bank)
{
    WriteOrgDetails(QStringLiteral("某某科技有限公司"), QStringLiteral("6222 0001"), QStringLiteral("工商银行某支行"));
    f.openFromMenu();
    f.typeAmount(QStringLiteral("1234.5"));
    f.screen->ComboBox_skrmc->setEditText(payee);
    f.screen->E_skrzh->setText(account);
    f.screen->E_skrkhh->setText(bank);
}

QPoint layoutPosition(const VoucherFixture& f, const QString& key, const QString& code)
{
    QSqlQuery q = f.sql(QStringLiteral("select kjx, kjy from prn where kjmc = 'P_pz_%1' and win = '%2'").arg(key, code));
    return q.next() ? QPoint(q.value(0).toInt(), q.value(1).toInt()) : QPoint(-1, -1);
}
} // namespace

class TestVoucherJob : public QObject
{
    Q_OBJECT

private slots:
    void newPayee_isAddedTrimmed_andTheScreenCleared()
    {
        VoucherFixture f;
        fillVoucher(f, QStringLiteral(" 某某贸易有限公司  "), QStringLiteral(" 6217 0002 "), QStringLiteral(" 建设银行 "));
        f.printAs(QStringLiteral("dhpz"), true);

        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 1);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).first().caption, QStringLiteral("提示"));
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).first().text,
                 QStringLiteral("请认真核对您各项数据的正确性,是否现在开始打印?"));
        QCOMPARE(f.prompter.previews, 1);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("preview")).first().caption, Frm_pz_print->caption());
        QCOMPARE(f.payees(), QStringList{QStringLiteral("某某贸易有限公司|6217 0002|建设银行|0")});
        // A voucher leaves no trace in the cheque register.
        QSqlQuery zp = f.sql(QStringLiteral("select count(*) from zp"));
        QVERIFY(zp.next());
        QCOMPARE(zp.value(0).toInt(), 0);

        // The amount, its boxes and capitals and the payee are emptied; date and payer stay.
        VoucherPanel* s = f.screen;
        QCOMPARE(f.boxes(), QStringList(15, QString()));
        QCOMPARE(s->P_daxie->text(), QString());
        QCOMPARE(s->Edit_jine->text(), QString());
        QCOMPARE(s->ComboBox_skrmc->currentText(), QString());
        QCOMPARE(s->E_skrzh->text(), QString());
        QCOMPARE(s->E_skrkhh->text(), QString());
        QCOMPARE(s->ComboBox_nian->currentText(), QStringLiteral("2024"));
        QCOMPARE(s->ComboBox_yue->currentText(), QStringLiteral("5"));
        QCOMPARE(s->ComboBox_ri->currentText(), QStringLiteral("7"));
        QCOMPARE(s->P_cpr->text(), QStringLiteral("某某科技有限公司"));
        QCOMPARE(s->P_cprzh->text(), QStringLiteral("6222 0001"));
        QCOMPARE(s->P_cprkhh->text(), QStringLiteral("工商银行某支行"));
        QVERIFY(!s->Panel_pzlx->isVisible());
        QVERIFY(!D_M->ADOQ_skr->isOpen());
        QVERIFY(!D_M->ADOQ_skr_up->isOpen());
        QVERIFY(!D_M->ADOQ_zb_pz->isOpen());
    }

    void knownPayee_getsAccountAndBankAsTyped_countUntouched()
    {
        VoucherFixture f;
        f.addPayee(QStringLiteral("某某贸易有限公司"), QStringLiteral("old"), QStringLiteral("old bank"), 4);
        f.addPayee(QStringLiteral("其他公司"), QStringLiteral("9"), QStringLiteral("其他银行"), 1);
        // A trailing blank still finds the row stored without it; the printed name keeps the blank.
        fillVoucher(f, QStringLiteral("某某贸易有限公司 "), QStringLiteral(" 6217 0002 "), QStringLiteral("建设银行 "));
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(f.payees(), (QStringList{QStringLiteral("某某贸易有限公司| 6217 0002 |建设银行 |4"),
                                          QStringLiteral("其他公司|9|其他银行|1")}));
        QCOMPARE(Frm_pz_print->QRL_skrmc->caption(), QStringLiteral("某某贸易有限公司 "));
    }

    void capitalsAndFiguresThatDisagree_areRefusedBeforeRecording_data()
    {
        QTest::addColumn<QString>("capitals");
        QTest::addColumn<int>("place"); // a digit box to alter, 0 for none
        QTest::addColumn<QString>("box");
        QTest::newRow("capitals altered") << QStringLiteral("壹仟贰佰叁拾伍元伍角整") << 0 << QString();
        QTest::newRow("a box altered") << QString() << 3 << QStringLiteral("9");
        QTest::newRow("yen sign removed") << QString() << 5 << QString();
    }

    void capitalsAndFiguresThatDisagree_areRefusedBeforeRecording()
    {
        QFETCH(QString, capitals);
        QFETCH(int, place);
        QFETCH(QString, box);
        VoucherFixture f;
        fillVoucher(f, QStringLiteral("某某贸易有限公司"), QStringLiteral("6217"), QStringLiteral("建设银行"));
        if (!capitals.isEmpty())
            f.screen->P_daxie->setText(capitals);
        if (place > 0)
            f.screen->digitBox(place)->setText(box);
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.prompter.last().kind, QStringLiteral("error"));
        QCOMPARE(f.payees(), QStringList());
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("1234.50"));
    }

    // A date the calendar does not have would spoil the bank's form: refused before the
    // confirmation, nothing recorded, the screen kept as typed.
    void noRealDate_refusedBeforeConfirmation()
    {
        VoucherFixture f;
        fillVoucher(f, QStringLiteral("某某贸易有限公司"), QStringLiteral("6217"), QStringLiteral("建设银行"));
        f.screen->ComboBox_yue->setEditText(QStringLiteral("2"));
        f.screen->ComboBox_ri->setEditText(QStringLiteral("30"));
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        QCOMPARE(f.prompter.last().kind, QStringLiteral("error"));
        QCOMPARE(f.prompter.last().text,
                 QStringLiteral("汇款日期 \"2024-2-30\" 不是有效的日期，凭证没有打印。请改正年、月、日。"));
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.payees(), QStringList());
        QCOMPARE(f.screen->ComboBox_ri->currentText(), QStringLiteral("30"));
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("1234.50"));

        // Corrected, the same voucher goes through.
        f.screen->ComboBox_ri->setEditText(QStringLiteral("29"));
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(f.prompter.previews, 1);
        QCOMPARE(f.payees(), QStringList{QStringLiteral("某某贸易有限公司|6217|建设银行|0")});
    }

    void answeringNo_recordsPrintsAndClearsNothing()
    {
        VoucherFixture f;
        f.addPayee(QStringLiteral("某某贸易有限公司"), QStringLiteral("old"), QStringLiteral("old bank"), 4);
        fillVoucher(f, QStringLiteral("某某贸易有限公司"), QStringLiteral("6217"), QStringLiteral("建设银行"));
        f.printAs(QStringLiteral("jzd"), false);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 1);
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.payees(), QStringList{QStringLiteral("某某贸易有限公司|old|old bank|4")});
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("1234.50"));
        QCOMPARE(f.screen->P_daxie->text(), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
        QCOMPARE(f.screen->digitBox(1)->text(), QStringLiteral("0"));
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), QStringLiteral("某某贸易有限公司"));
        QCOMPARE(f.screen->E_skrzh->text(), QStringLiteral("6217"));
        QCOMPARE(f.screen->E_skrkhh->text(), QStringLiteral("建设银行"));
        QVERIFY(!D_M->ADOQ_skr->isOpen());
        QVERIFY(!D_M->ADOQ_skr_up->isOpen());
    }

    // A preview closed without printing leaves the voucher on the screen, to print or correct.
    void previewClosedWithoutPrinting_keepsTheVoucher()
    {
        VoucherFixture f;
        fillVoucher(f, QStringLiteral("某某贸易有限公司"), QStringLiteral("6217"), QStringLiteral("建设银行"));
        f.prompter.previewAnswers.enqueue(PreviewResult{});
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(f.prompter.previews, 1);
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("1234.50"));
        QCOMPARE(f.screen->P_daxie->text(), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
        QCOMPARE(f.screen->digitBox(3)->text(), QStringLiteral("4"));
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), QStringLiteral("某某贸易有限公司"));
        QCOMPARE(f.screen->E_skrzh->text(), QStringLiteral("6217"));
        QCOMPARE(f.screen->E_skrkhh->text(), QStringLiteral("建设银行"));

        // Printed the second time, it is emptied.
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(f.prompter.previews, 2);
        QCOMPARE(f.screen->Edit_jine->text(), QString());
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), QString());
    }

    void labels_takeTheScreenAndTheFormCodesLayout_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("wire-transfer voucher") << "dhpz";
        QTest::newRow("deposit slip") << "jzd";
    }

    void labels_takeTheScreenAndTheFormCodesLayout()
    {
        QFETCH(QString, code);
        VoucherFixture f;
        fillVoucher(f, QStringLiteral("某某贸易有限公司"), QStringLiteral("6217 0002"), QStringLiteral("建设银行"));
        f.screen->ComboBox_ri->setEditText(QStringLiteral("31")); // printed as it stands
        f.printAs(code, true);

        const TFrm_pz_print& p = *Frm_pz_print;
        const QList<QPair<const ReportLabel*, QString>> expected = {
            {p.QRL_cprmc, QStringLiteral("某某科技有限公司")},
            {p.QRL_cprzh, QStringLiteral("6222 0001")},
            {p.QRL_cprkhh, QStringLiteral("工商银行某支行")},
            {p.QRL_nian, QStringLiteral("2024")},
            {p.QRL_yue, QStringLiteral("5")},
            {p.QRL_ri, QStringLiteral("31")},
            {p.QRL_skrmc, QStringLiteral("某某贸易有限公司")},
            {p.QRL_skrzh, QStringLiteral("6217 0002")},
            {p.QRL_skrkhh, QStringLiteral("建设银行")},
            {p.QRL_dx, QStringLiteral("壹仟贰佰叁拾肆元伍角整")},
            {p.QRL_fen, QStringLiteral("0")},
            {p.QRL_jiao, QStringLiteral("5")},
            {p.QRL_yuan, QStringLiteral("4")},
            {p.QRL_shi, QStringLiteral("3")},
            {p.QRL_bai, QStringLiteral("2")},
            {p.QRL_qian, QStringLiteral("1")},
            {p.QRL_wan, QStringLiteral("￥")},
            {p.QRL_rs, QString()},
            {p.QRL_rb, QString()},
            {p.QRL_rq, QString()},
            {p.QRL_yi, QString()},
            {p.QRL_shiyi, QString()},
            {p.QRL_baiyi, QString()},
            {p.QRL_qianyi, QString()},
            {p.QRL_wanyi, QString()},
        };
        QCOMPARE(expected.size(), 25);
        for (const auto& [label, text] : expected) {
            QCOMPARE(label->caption(), text);
            const QPoint at = layoutPosition(f, label->key(), code);
            if (at != QPoint(-1, -1))
                QCOMPARE(label->position(), at);
        }
        // The two codes' layouts differ, so the positions prove which one was applied.
        QVERIFY(layoutPosition(f, QStringLiteral("skrmc"), QStringLiteral("dhpz")) !=
                layoutPosition(f, QStringLiteral("skrmc"), QStringLiteral("jzd")));
        QCOMPARE(p.QRL_skrmc->position(), layoutPosition(f, QStringLiteral("skrmc"), code));
    }

    void fieldSwitchedOff_printsEmpty()
    {
        VoucherFixture f;
        fillVoucher(f, QStringLiteral("某某贸易有限公司"), QStringLiteral("6217 0002"), QStringLiteral("建设银行"));
        f.sql(QStringLiteral("update prn set dy = 0 where kjmc = 'P_pz_skrzh' and win = 'jzd'"));
        f.printAs(QStringLiteral("jzd"), true);
        QCOMPARE(Frm_pz_print->QRL_skrzh->caption(), QString());
        QCOMPARE(Frm_pz_print->QRL_skrkhh->caption(), QStringLiteral("建设银行"));
        // The payee is recorded all the same.
        QCOMPARE(f.payees(), QStringList{QStringLiteral("某某贸易有限公司|6217 0002|建设银行|0")});
    }

    void quotesAndOtherCharacters_areStoredAndPrintedAsTyped_data()
    {
        QTest::addColumn<bool>("known");
        QTest::newRow("new payee") << false;
        QTest::newRow("known payee") << true;
    }

    void quotesAndOtherCharacters_areStoredAndPrintedAsTyped()
    {
        QFETCH(bool, known);
        VoucherFixture f;
        const QString name = QStringLiteral("O'Brien \"&\" 公司; --");
        if (known)
            f.addPayee(name, QString(), QString(), 2);
        fillVoucher(f, name, QStringLiteral("12'34%_"), QStringLiteral("银行') or ('1'='1"));
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(f.payees(),
                 QStringList{name + QStringLiteral("|12'34%_|银行') or ('1'='1|") + (known ? "2" : "0")});
        QCOMPARE(Frm_pz_print->QRL_skrmc->caption(), name);
        QCOMPARE(Frm_pz_print->QRL_skrzh->caption(), QStringLiteral("12'34%_"));
        QCOMPARE(Frm_pz_print->QRL_skrkhh->caption(), QStringLiteral("银行') or ('1'='1"));
    }

    void whatThePayeeListCannotHold_isRefusedBeforeStoring_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("bank");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("message");
        const QString fifty(50, QChar(u'名'));
        const QString long51(51, QChar(u'1'));
        QTest::newRow("name") << fifty + QStringLiteral("x") << "1" << "b" << false
                              << "收款人名称最多只能有50个字符（现有51个），未保存。";
        QTest::newRow("account") << "甲" << long51 << "b" << false << "收款人帐号最多只能有50个字符（现有51个），未保存。";
        QTest::newRow("bank") << "甲" << "1" << QString(51, QChar(u'行')) << true
                              << "收款人开户行最多只能有50个字符（现有51个），未保存。";
        QTest::newRow("account stored with its blanks") << "甲" << QStringLiteral(" ") + QString(50, QChar(u'1')) << "b"
                                                         << true << "收款人帐号最多只能有50个字符（现有51个），未保存。";
    }

    void whatThePayeeListCannotHold_isRefusedBeforeStoring()
    {
        QFETCH(QString, name);
        QFETCH(QString, account);
        QFETCH(QString, bank);
        QFETCH(bool, known);
        QFETCH(QString, message);
        VoucherFixture f;
        if (known)
            f.addPayee(name, QStringLiteral("old"), QStringLiteral("old bank"), 1);
        const QStringList before = f.payees();
        fillVoucher(f, name, account, bank);
        f.printAs(QStringLiteral("dhpz"), true);

        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 1);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).first().text, message);
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.payees(), before);
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("1234.50"));
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), name);
        QCOMPARE(f.screen->E_skrzh->text(), account);
        QCOMPARE(f.screen->E_skrkhh->text(), bank);
        QVERIFY(!D_M->ADOQ_skr->isOpen());
    }

    void capitalsFont_isResetAfterTheTypeChoice_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("printed") << true;
        QTest::newRow("not printed") << false;
    }

    void capitalsFont_isResetAfterTheTypeChoice()
    {
        QFETCH(bool, yes);
        VoucherFixture f;
        fillVoucher(f, QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("b"));
        QFont chosen(QStringLiteral("Noto Sans CJK SC"));
        chosen.setPointSize(18);
        chosen.setItalic(true);
        f.prompter.fontAnswers.enqueue(chosen);
        f.screen->popup_fontnameClick();
        QCOMPARE(Frm_pz_print->QRL_dx->font().pointSize(), 18);
        f.prompter.onPage = [](const std::function<void(QPrinter*)>&) {
            // The page is printed with the chosen font.
            QCOMPARE(Frm_pz_print->QRL_dx->font().pointSize(), 18);
        };
        f.printAs(QStringLiteral("dhpz"), yes);
        for (const QFont& font : {f.screen->P_daxie->font(), Frm_pz_print->QRL_dx->font()}) {
            QCOMPARE(font.family(), QStringLiteral("宋体"));
            QCOMPARE(font.pointSize(), 10);
            QVERIFY(font.italic()); // other attributes stay
        }
        // The cheque side keeps its font until its own type choice.
        QCOMPARE(Frm_zz_print->QRL_dx->font().pointSize(), 18);
    }
};

QTEST_MAIN(TestVoucherJob)
#include "tst_voucherjob.moc"
