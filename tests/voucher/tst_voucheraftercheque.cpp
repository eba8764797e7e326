// The voucher after a cheque: the copies from the cheque screen, the payee lookup before the
// cheque job, the offer after it and the prefilled voucher, end to end through both screens.
#include "cheque/ChequePanel.h"
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/Settings.h"
#include "tests/voucher/VoucherFixture.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>

using namespace Zt_typro;

namespace
{
const QString kOffer = QStringLiteral("是否打印电汇凭证或进帐单?");
const QString kConfirm = QStringLiteral("请认真核对您各项数据的正确性,是否现在开始打印?");

// The voucher fixture with the payer file beside a stand-in program folder and other details in
// the per-user settings.
struct HandOver : VoucherFixture
{
    explicit HandOver(const QDate& today = QDate(2024, 5, 7))
        : VoucherFixture(today)
    {
        QFile ini(QDir(forms.workDir().path()).filePath(QStringLiteral("fkrxx.ine")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(QStringLiteral("[fkr]\nqc=付款单位有限公司\nzh=9558 8000\nkhh=中国银行某分行\n").toUtf8());
        ini.close();
        SetPayerFileFolder(forms.workDir().path());
        WriteOrgDetails(QStringLiteral("登记的单位"), QStringLiteral("0000"), QStringLiteral("登记的银行"));
        cheque = Frm_main->Panel_zp;
    }
    ~HandOver() { SetPayerFileFolder(QString()); }

    void openCheque() const { Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger(); }

    /// Types the cheque as an operator does: number, payee, amount (left with Tab), purpose.
    void typeCheque(const QString& payee, const QString& amount) const
    {
        // Each cheque its own number: a number used again is asked about first.
        cheque->E_ph->setText(QString::number(m_nextNumber++));
        cheque->CB_skr->setFocus();
        cheque->CB_skr->lineEdit()->clear();
        typeText(cheque->CB_skr->lineEdit(), payee);
        cheque->Edit_je->setFocus();
        cheque->Edit_je->clear();
        QTest::keyClicks(cheque->Edit_je, amount);
        cheque->Edit_yt->setFocus();
        cheque->Edit_yt->setText(QStringLiteral("货款"));
    }

    /// "票据打印" and "确 定" on the cheque screen, with the answers to the print confirmation and
    /// to the offer.
    void printCheque(bool print, bool offer)
    {
        prompter.confirmAnswers.enqueue(print);
        prompter.confirmAnswers.enqueue(offer);
        cheque->Button_pjdy->click();
        cheque->Button_qd->click();
    }

    QStringList confirmTexts() const
    {
        QStringList texts;
        for (const auto& q : prompter.ofKind(QStringLiteral("confirm")))
            texts << q.text;
        return texts;
    }

    ChequePanel* cheque = nullptr;

    mutable int m_nextNumber = 10203040;
};
} // namespace

class TestVoucherAfterCheque : public QObject
{
    Q_OBJECT

private slots:
    void chequeEntries_areCopiedToTheVoucherAtOnce()
    {
        HandOver f;
        f.openCheque();
        f.cheque->CB_skr->setFocus();
        typeText(f.cheque->CB_skr->lineEdit(), QStringLiteral("某某公司"));
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), QStringLiteral("某某公司"));

        // Enter copies the amount as typed, leaving the field the completed amount.
        f.cheque->Edit_je->setFocus();
        QTest::keyClicks(f.cheque->Edit_je, QStringLiteral("12.5"));
        QTest::keyClick(f.cheque->Edit_je, Qt::Key_Return);
        QTRY_VERIFY(f.cheque->Edit_yt->hasFocus());
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("12.50"));
        QCOMPARE(f.cheque->PE_jine->text(), QStringLiteral("12.50"));
    }

    void enterInTheChequeAmount_copiesTheTextAsTyped()
    {
        HandOver f;
        f.openCheque();
        f.cheque->Edit_je->setFocus();
        QTest::keyClicks(f.cheque->Edit_je, QStringLiteral("7.5"));
        // With the purpose field unavailable the focus stays, so only the key's own copy is seen.
        f.cheque->Edit_yt->setEnabled(false);
        QTest::keyClick(f.cheque->Edit_je, Qt::Key_Return);
        QVERIFY(f.cheque->Edit_je->hasFocus());
        QCOMPARE(f.screen->Edit_jine->text(), QStringLiteral("7.5"));
    }

    void noPayerInTheFile_theVoucherCarriesTheOrganisation_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<QString>("why");
        QTest::newRow("no file") << QByteArray() << QStringLiteral("没有找到付款人文件 \"fkrxx.ine\"");
        QTest::newRow("empty file") << QByteArray("\n") << QStringLiteral("付款人文件 \"fkrxx.ine\" 中没有汇款人");
        QTest::newRow("empty section") << QByteArray("[fkr]\nqc=\nzh=\nkhh=\n")
                                       << QStringLiteral("付款人文件 \"fkrxx.ine\" 中没有汇款人");
    }

    void noPayerInTheFile_theVoucherCarriesTheOrganisation()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        HandOver f;
        QFile ini(QDir(f.forms.workDir().path()).filePath(QStringLiteral("fkrxx.ine")));
        if (file.isEmpty()) {
            QVERIFY(ini.remove());
        } else {
            QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ini.write(file);
            ini.close();
        }
        f.openCheque();
        f.typeCheque(QStringLiteral("某某公司"), QStringLiteral("88"));
        f.printCheque(true, true);
        VoucherPanel* s = f.screen;
        QVERIFY(s->isVisible());
        QCOMPARE(s->P_cpr->text(), QStringLiteral("登记的单位"));
        QCOMPARE(s->P_cprzh->text(), QStringLiteral("0000"));
        QCOMPARE(s->P_cprkhh->text(), QStringLiteral("登记的银行"));
        QVERIFY(s->Label_cprly->isVisible());
        QVERIFY2(s->Label_cprly->text().startsWith(why), qPrintable(s->Label_cprly->text()));
        QVERIFY(s->Label_cprly->text().contains(QStringLiteral("单位帐号设置")));

        // Opened from the menu the voucher shows the organisation anyway, and says nothing.
        s->hide();
        f.openFromMenu();
        QVERIFY(!s->Label_cprly->isVisible());
    }

    void yesToTheOffer_showsTheVoucherPrefilledFromTheCheque()
    {
        HandOver f;
        f.addPayee(QStringLiteral("某某贸易有限公司"), QStringLiteral("6217 0002"), QStringLiteral("建设银行"), 2);
        // An earlier voucher to another payee left the screen with the registry's payer.
        f.openFromMenu();
        QCOMPARE(f.screen->P_cpr->text(), QStringLiteral("登记的单位"));
        f.screen->hide();

        f.openCheque();
        f.cheque->CB_yue->setEditText(QStringLiteral("2"));
        f.cheque->CB_ri->setEditText(QStringLiteral("29"));
        f.typeCheque(QStringLiteral("某某贸易有限公司"), QStringLiteral("1234.5"));
        f.printCheque(true, true);

        QCOMPARE(f.confirmTexts(), (QStringList{kConfirm, kOffer}));
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).last().caption, QStringLiteral("提示"));
        VoucherPanel* s = f.screen;
        QVERIFY(s->isVisible());
        QCOMPARE(s->ComboBox_nian->currentText(), QStringLiteral("2024"));
        QCOMPARE(s->ComboBox_yue->currentText(), QStringLiteral("2"));
        QCOMPARE(s->ComboBox_ri->currentText(), QStringLiteral("29"));
        QCOMPARE(s->Edit_jine->text(), QStringLiteral("1234.50"));
        QCOMPARE(f.boxes(), (QStringList{"0", "5", "4", "3", "2", "1", "￥", "", "", "", "", "", "", "", ""}));
        QCOMPARE(s->P_daxie->text(), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
        QCOMPARE(s->ComboBox_skrmc->currentText(), QStringLiteral("某某贸易有限公司"));
        QVERIFY(!s->ComboBox_skrmc->isEnabled());
        QCOMPARE(s->E_skrzh->text(), QStringLiteral("6217 0002"));
        QCOMPARE(s->E_skrkhh->text(), QStringLiteral("建设银行"));
        QCOMPARE(s->P_cpr->text(), QStringLiteral("付款单位有限公司"));
        QCOMPARE(s->P_cprzh->text(), QStringLiteral("9558 8000"));
        QCOMPARE(s->P_cprkhh->text(), QStringLiteral("中国银行某分行"));
        QVERIFY(!s->Label_cprly->isVisible());
        // The lists come from today's date, the texts from the cheque.
        QCOMPARE(VoucherFixture::items(s->ComboBox_nian), VoucherFixture::numbers(2023, 2029));
        QCOMPARE(VoucherFixture::items(s->ComboBox_ri), VoucherFixture::numbers(1, 31));
        // The cheque itself was printed and its screen emptied.
        QCOMPARE(f.prompter.previews, 1);
        QCOMPARE(f.cheque->Edit_je->text(), QString());

        // After a prefill Enter in the amount goes on to the payee's account.
        s->Edit_jine->setFocus();
        QTest::keyClick(s->Edit_jine, Qt::Key_Return);
        QTRY_VERIFY(s->E_skrzh->hasFocus());

        // The voucher prints what the screen shows.
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(Frm_pz_print->QRL_cprmc->caption(), QStringLiteral("付款单位有限公司"));
        QCOMPARE(Frm_pz_print->QRL_ri->caption(), QStringLiteral("29"));
        QCOMPARE(Frm_pz_print->QRL_skrzh->caption(), QStringLiteral("6217 0002"));
        // The cheque counted the payee; the voucher did not.
        QCOMPARE(f.payees(), QStringList{QStringLiteral("某某贸易有限公司|6217 0002|建设银行|3")});

        // Opening from the menu makes the payee editable again and brings back the registry's payer.
        f.openFromMenu();
        QVERIFY(s->ComboBox_skrmc->isEnabled());
        QCOMPARE(s->P_cpr->text(), QStringLiteral("登记的单位"));
    }

    void newPayee_getsEmptyAccountAndBank()
    {
        HandOver f;
        f.openFromMenu();
        f.screen->E_skrzh->setText(QStringLiteral("left over"));
        f.screen->E_skrkhh->setText(QStringLiteral("left over"));
        f.openCheque();
        f.typeCheque(QStringLiteral("新收款人"), QStringLiteral("5"));
        f.printCheque(true, true);
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), QStringLiteral("新收款人"));
        QCOMPARE(f.screen->E_skrzh->text(), QString());
        QCOMPARE(f.screen->E_skrkhh->text(), QString());
    }

    void payeeLookupBeforeTheCheque_isUntrimmed()
    {
        HandOver f;
        f.addPayee(QStringLiteral("某某公司"), QStringLiteral("1"), QStringLiteral("b"), 0);
        f.openCheque();
        f.typeCheque(QStringLiteral("某某公司 "), QStringLiteral("5"));
        f.printCheque(false, true);
        QCOMPARE(f.screen->ComboBox_skrmc->currentText(), QStringLiteral("某某公司 "));
        QCOMPARE(f.screen->E_skrzh->text(), QString());
        QCOMPARE(f.screen->E_skrkhh->text(), QString());
    }

    // The voucher follows a transfer cheque that really went out on paper, and no other ending
    // of the job; whatever the ending, the next cheque's number can be typed at once.
    void theVoucherIsOffered_onlyAfterAPrintedTransferCheque_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("offered");
        QTest::newRow("transfer cheque printed") << "printed" << true;
        QTest::newRow("cash cheque printed") << "cash" << false;
        QTest::newRow("kept unprinted at the preview") << "kept" << false;
        QTest::newRow("voided at the preview") << "voided" << false;
        QTest::newRow("confirmation declined") << "declined" << false;
        QTest::newRow("used number declined") << "used number" << false;
        QTest::newRow("refused: no such day") << "refused" << false;
    }

    void theVoucherIsOffered_onlyAfterAPrintedTransferCheque()
    {
        QFETCH(QString, ending);
        QFETCH(bool, offered);
        HandOver f;
        f.addPayee(QStringLiteral("某某公司"), QStringLiteral("1"), QStringLiteral("b"), 0);
        f.openCheque();
        QString usedNumber;
        if (ending == QLatin1String("used number")) {
            f.typeCheque(QStringLiteral("某某公司"), QStringLiteral("10"));
            usedNumber = f.cheque->E_ph->text();
            f.printCheque(true, false);
        }
        f.typeCheque(QStringLiteral("某某公司"), QStringLiteral("88"));
        if (!usedNumber.isEmpty())
            f.cheque->E_ph->setText(usedNumber);
        if (ending == QLatin1String("refused")) {
            f.cheque->CB_yue->setEditText(QStringLiteral("2"));
            f.cheque->CB_ri->setEditText(QStringLiteral("30"));
        }
        const qsizetype asked = f.prompter.questions.size();
        if (ending == QLatin1String("printed") || ending == QLatin1String("cash")) {
            f.prompter.confirmAnswers.enqueue(true);
        } else if (ending == QLatin1String("kept") || ending == QLatin1String("voided")) {
            f.prompter.confirmAnswers.enqueue(true);
            f.prompter.previewAnswers.enqueue(PreviewResult{});
            f.prompter.confirmAnswers.enqueue(ending == QLatin1String("kept"));
        } else if (ending != QLatin1String("refused")) {
            f.prompter.confirmAnswers.enqueue(false); // the confirmation, or the used number
        }
        f.prompter.confirmAnswers.enqueue(false); // the offer, if it comes
        f.cheque->Button_pjdy->click();
        if (ending == QLatin1String("cash"))
            f.cheque->RadioButton_xj->setChecked(true);
        f.cheque->Button_qd->click();

        QStringList texts;
        for (qsizetype i = asked; i < f.prompter.questions.size(); ++i)
            texts << f.prompter.questions.at(i).text;
        QCOMPARE(texts.contains(kOffer), offered);
        if (ending == QLatin1String("refused"))
            QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 1);
        QVERIFY(!f.screen->isVisible());
        QCOMPARE(f.cheque->window()->focusWidget(), f.cheque->E_ph);
    }

    void noToTheOffer_changesNothing()
    {
        HandOver f;
        f.openFromMenu();
        f.screen->hide();
        f.openCheque();
        f.typeCheque(QStringLiteral("某某公司"), QStringLiteral("88"));
        f.printCheque(true, false);
        QCOMPARE(f.confirmTexts(), (QStringList{kConfirm, kOffer}));
        QVERIFY(!f.screen->isVisible());
        QVERIFY(f.screen->ComboBox_skrmc->isEnabled());
        QCOMPARE(f.screen->P_cpr->text(), QStringLiteral("登记的单位"));
        QCOMPARE(f.screen->P_daxie->text(), QString());
    }

    void twoChequesInARow_leaveOneSetOfLists()
    {
        HandOver f;
        f.openFromMenu();
        f.openCheque();
        for (int i = 0; i < 2; ++i) {
            f.typeCheque(QStringLiteral("某某公司"), QStringLiteral("10"));
            f.printCheque(true, true);
        }
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 4);
        QCOMPARE(VoucherFixture::items(f.screen->ComboBox_nian), VoucherFixture::numbers(2023, 2029));
        QCOMPARE(VoucherFixture::items(f.screen->ComboBox_ri), VoucherFixture::numbers(1, 31));
    }

    void fontChosenOnTheCheque_isUsedByTheNextVoucher_thenReset()
    {
        HandOver f;
        f.openFromMenu();
        f.openCheque();
        QFont chosen(QStringLiteral("宋体"));
        chosen.setPointSize(14);
        chosen.setBold(true);
        f.prompter.fontAnswers.enqueue(chosen);
        f.cheque->PopupMenu_font->findChild<QAction*>(QStringLiteral("popup_fontname"))->trigger();

        f.typeCheque(QStringLiteral("某某公司"), QStringLiteral("10"));
        f.printCheque(true, true);
        // The cheque's type choice resets the cheque side only.
        QCOMPARE(f.cheque->Panel_daxie->font().pointSize(), 10);
        QCOMPARE(Frm_zz_print->QRL_dx->font().pointSize(), 10);
        QCOMPARE(f.screen->P_daxie->font().pointSize(), 14);

        int printedSize = 0;
        f.prompter.onPage = [&printedSize](const std::function<void(QPrinter*)>&) {
            printedSize = Frm_pz_print->QRL_dx->font().pointSize();
        };
        f.printAs(QStringLiteral("dhpz"), true);
        QCOMPARE(printedSize, 14);
        for (const QFont& font : {f.screen->P_daxie->font(), Frm_pz_print->QRL_dx->font()}) {
            QCOMPARE(font.family(), QStringLiteral("宋体"));
            QCOMPARE(font.pointSize(), 10);
        }
    }

    void failingLookup_printsNoCheque()
    {
        HandOver f;
        f.openCheque();
        f.typeCheque(QStringLiteral("某某公司"), QStringLiteral("10"));
        f.sql(QStringLiteral("drop table skr"));
        f.printCheque(true, true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 1);
        QSqlQuery zp = f.sql(QStringLiteral("select count(*) from zp"));
        QVERIFY(zp.next());
        QCOMPARE(zp.value(0).toInt(), 0);
        QCOMPARE(f.cheque->Edit_je->text(), QStringLiteral("10.00"));
    }
};

QTEST_MAIN(TestVoucherAfterCheque)
#include "tst_voucheraftercheque.moc"
