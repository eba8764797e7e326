// The cheque print job against a real database: what it stores, what it prints where, what it
// clears, and what it refuses before storing anything.
#include "cheque/PrintCheque.h"
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "store/DataModule.h"
#include "tests/cheque/ChequeFixture.h"

#include <QFile>
#include <QPrinter>
#include <QSqlError>
#include <QSqlRecord>

using namespace Zt_typro;

namespace
{
QSqlRecord onlyRegisterRow(const ChequeFixture& f)
{
    QSqlQuery q = f.sql(QStringLiteral("select ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs, typeof(rq) as t "
                                       "from zp"));
    if (!q.next())
        return {};
    QSqlRecord r = q.record();
    return q.next() ? QSqlRecord() : r;
}

int payeeCount(const ChequeFixture& f, const QString& name)
{
    QSqlQuery q = f.sql(QStringLiteral("select cs from skr where skrmc = '%1'").arg(name));
    return q.next() ? q.value(0).toInt() : -1;
}
} // namespace

class TestChequeJob : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    void confirmedJob_registersCountsPrintsAndClears()
    {
        ChequeFixture f;
        ChequePanel* s = f.screen;
        f.fill(QStringLiteral("10203040"), QStringLiteral("某某贸易有限公司"), QStringLiteral("1234.5"),
               QStringLiteral("货款"));
        const QString note = QStringLiteral("第一行\n第二行\n第三行\n第四行\n第五行\n第六行");
        s->Memo_xinxi->setPlainText(note);
        f.confirmJob(QStringLiteral("zz"), true);

        // The print confirmation, then the offer of a voucher for the same payment (answered No).
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 2);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).first().caption, QStringLiteral("提示"));
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).first().text,
                 QStringLiteral("请认真核对您各项数据的正确性,是否现在开始打印?"));
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).last().text, QStringLiteral("是否打印电汇凭证或进帐单?"));
        QCOMPARE(f.prompter.previews, 1);

        const QSqlRecord row = onlyRegisterRow(f);
        QVERIFY(!row.isEmpty());
        QCOMPARE(row.value("ph").toString(), QStringLiteral("10203040"));
        QCOMPARE(row.value("skr").toString(), QStringLiteral("某某贸易有限公司"));
        QCOMPARE(row.value("je").toString(), QStringLiteral("1234.50"));
        QCOMPARE(row.value("yt").toString(), QStringLiteral("货款"));
        QCOMPARE(row.value("nian").toString(), QStringLiteral("2005"));
        QCOMPARE(row.value("yue").toString(), QStringLiteral("12"));
        QCOMPARE(row.value("ri").toString(), QStringLiteral("25"));
        QCOMPARE(row.value("fjxx").toString(), note); // all six lines are kept
        QCOMPARE(row.value("rq").toString(), QStringLiteral("2005-12-25"));
        QCOMPARE(row.value("t").toString(), QStringLiteral("text"));
        QCOMPARE(row.value("hkfs").toString(), QStringLiteral("转帐"));
        QCOMPARE(payeeCount(f, QStringLiteral("某某贸易有限公司")), 0);

        // The print form: digits under their units, ￥ under 万, nothing further left.
        const TFrm_zz_print& p = *Frm_zz_print;
        QCOMPARE(p.QRL_fen->caption(), QStringLiteral("0"));
        QCOMPARE(p.QRL_jiao->caption(), QStringLiteral("5"));
        QCOMPARE(p.QRL_yuan->caption(), QStringLiteral("4"));
        QCOMPARE(p.QRL_shi->caption(), QStringLiteral("3"));
        QCOMPARE(p.QRL_bai->caption(), QStringLiteral("2"));
        QCOMPARE(p.QRL_qian->caption(), QStringLiteral("1"));
        QCOMPARE(p.QRL_wan->caption(), QStringLiteral("￥"));
        for (const ReportLabel* l : {p.QRL_rs, p.QRL_rb, p.QRL_rq, p.QRL_yi, p.QRL_shiyi, p.QRL_baiyi, p.QRL_qianyi,
                                     p.QRL_wanyi})
            QVERIFY2(l->caption().isEmpty(), qPrintable(l->objectName()));
        QCOMPARE(p.QRL_dx->caption(), QStringLiteral("壹仟贰佰叁拾肆元伍角整"));
        QCOMPARE(p.QRL_skr->caption(), QStringLiteral("某某贸易有限公司"));
        QCOMPARE(p.QRL_skrcg->caption(), QStringLiteral("某某贸易有限公司"));
        QCOMPARE(p.QRL_jecg->caption(), QStringLiteral("1234.50"));
        QCOMPARE(p.QRL_yt->caption(), QStringLiteral("货款"));
        QCOMPARE(p.QRL_ytcg->caption(), QStringLiteral("货款"));
        QCOMPARE(p.QRL_year->caption(), QStringLiteral("贰零零伍"));
        QCOMPARE(p.QRL_moon->caption(), QStringLiteral("壹拾贰"));
        QCOMPARE(p.QRL_day->caption(), QStringLiteral("贰拾伍"));
        QCOMPARE(p.QRL_nian->caption(), QStringLiteral("2005"));
        QCOMPARE(p.QRL_yue->caption(), QStringLiteral("12"));
        QCOMPARE(p.QRL_ri->caption(), QStringLiteral("25"));
        // The stub prints four note lines; the third is switched off for a transfer cheque.
        QCOMPARE(p.QRL_fjxx1->caption(), QStringLiteral("第一行"));
        QCOMPARE(p.QRL_fjxx2->caption(), QStringLiteral("第二行"));
        QCOMPARE(p.QRL_fjxx3->caption(), QString());
        QCOMPARE(p.QRL_fjxx4->caption(), QStringLiteral("第四行"));
        // Placed by the "zz" rows.
        QCOMPARE(p.QRL_fen->position(), QPoint(715, 103));
        QCOMPARE(p.QRL_skr->position(), QPoint(270, 66));

        // The screen is ready for the next cheque: same date, nothing else.
        QVERIFY(s->E_ph->text().isEmpty());
        QVERIFY(s->CB_skr->currentText().isEmpty());
        QVERIFY(s->Edit_je->text().isEmpty());
        QVERIFY(s->Edit_yt->text().isEmpty());
        QVERIFY(s->Panel_daxie->text().isEmpty());
        QVERIFY(s->Memo_xinxi->toPlainText().isEmpty());
        QVERIFY(s->E_shoukuanren->text().isEmpty());
        QVERIFY(s->PE_jine->text().isEmpty());
        QVERIFY(s->E_yongtu->text().isEmpty());
        for (int place = 1; place <= 15; ++place)
            QVERIFY(s->digitBox(place)->text().isEmpty());
        QCOMPARE(s->CB_nian->currentText(), QStringLiteral("2005"));
        QCOMPARE(s->Panel_ri->text(), QStringLiteral("贰拾伍"));
        QVERIFY(!s->Panel_zplx->isVisible());
        QVERIFY(s->RadioButton_zz->isChecked());

        // The next cheque to the same payee, typed with blanks around it, counts it once more.
        f.fill(QStringLiteral("10203041"), QStringLiteral("  某某贸易有限公司 "), QStringLiteral("5"),
               QStringLiteral("运费"));
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(payeeCount(f, QStringLiteral("某某贸易有限公司")), 1);
        QCOMPARE(f.count(QStringLiteral("select count(*) from skr")), 1);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp where skr = '  某某贸易有限公司 '")), 1);
    }

    void cashCheque_usesItsOwnLayoutAndMethod()
    {
        ChequeFixture f;
        f.screen->Memo_xinxi->setPlainText(QStringLiteral("一\n二\n三\n四"));
        f.screen->Panel_fkhmc->setText(QStringLiteral("工商银行"));
        f.fill(QStringLiteral("77"), QStringLiteral("张三"), QStringLiteral("300"), QStringLiteral("备用金"));
        f.confirmJob(QStringLiteral("xj"), true);
        QCOMPARE(onlyRegisterRow(f).value("hkfs").toString(), QStringLiteral("现金"));
        const TFrm_zz_print& p = *Frm_zz_print;
        for (const ReportLabel* l : {p.QRL_fjxx1, p.QRL_fjxx2, p.QRL_fjxx3, p.QRL_fkhmc})
            QVERIFY2(l->caption().isEmpty(), qPrintable(l->objectName()));
        QCOMPARE(p.QRL_fjxx4->caption(), QStringLiteral("四"));
        QCOMPARE(p.QRL_fen->position(), QPoint(757, 78));
        QCOMPARE(p.QRL_dx->caption(), QStringLiteral("叁佰元整"));
        // The next cheque is a transfer cheque again unless the operator chooses otherwise.
        QVERIFY(f.screen->RadioButton_zz->isChecked());
    }

    // The preview closed without printing: the register says so. Kept, the cheque waits as not
    // printed and the screen is emptied; voided, the reason is the closing, and the screen keeps
    // the cheque to be corrected.
    void previewClosedUnprinted_keptOrVoided_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QString>("history");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("screenNumber");
        QTest::newRow("kept") << true << QStringLiteral("登记;预览后未打印") << QStringLiteral("未打印") << QString();
        QTest::newRow("voided") << false << QStringLiteral("登记;预览后未打印;作废(预览后未打印)")
                                << QStringLiteral("作废") << QStringLiteral("10000001");
    }
    void previewClosedUnprinted_keptOrVoided()
    {
        QFETCH(bool, keep);
        QFETCH(QString, history);
        QFETCH(QString, state);
        QFETCH(QString, screenNumber);
        ChequeFixture f;
        f.fill(QStringLiteral("10000001"), QStringLiteral("张三"), QStringLiteral("1234.5"), QStringLiteral("货款"));
        f.prompter.previewAnswers.enqueue(PreviewResult{});
        f.prompter.confirmAnswers.enqueue(true); // the confirmation
        f.prompter.confirmAnswers.enqueue(keep); // "这张支票还没有打印"
        f.screen->RadioButton_zz->setChecked(true);
        f.screen->Button_pjdy->click();
        f.screen->Button_qd->click();
        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 0);
        const auto confirms = f.prompter.ofKind(QStringLiteral("confirm"));
        QVERIFY(confirms.size() >= 2);
        QVERIFY2(confirms.at(1).text.startsWith(QStringLiteral("这张支票还没有打印")), qPrintable(confirms.at(1).text));
        QSqlQuery events = f.sql(
            QStringLiteral("select group_concat(sj || ifnull('(' || sm || ')', ''), ';') from zpls"));
        QVERIFY(events.next());
        QCOMPARE(events.value(0).toString(), history);
        D_M->ADOQ_zpcx->setStatement(Stmt::Z2, {QStringLiteral("10000001")});
        D_M->ADOQ_zpcx->open();
        QCOMPARE(D_M->ADOQ_zpcx->fieldText(QStringLiteral("zt")), state);
        QCOMPARE(f.screen->E_ph->text(), screenNumber);
    }

    // A page that the printer or the file did not take is no print: the cheque stays registered
    // as not printed, and no voucher is offered for it.
    void pageNotTaken_isNotRecordedAsPrinted()
    {
        ChequeFixture f;
        f.fill(QStringLiteral("10000007"), QStringLiteral("张三"), QStringLiteral("12"), QStringLiteral("货款"));
        const QString unwritable = f.forms.workDir().filePath(QStringLiteral("no-such-folder/cheque.pdf"));
        f.prompter.onPage = [&unwritable](const std::function<void(QPrinter*)>& paint) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(unwritable);
            paint(&printer);
        };
        f.prompter.confirmAnswers << true << true; // print it; keep it as not printed
        f.screen->Button_pjdy->click();
        f.screen->Button_qd->click();
        QSqlQuery q = f.sql(QStringLiteral("select group_concat(sj, ';') from zpls"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("登记;预览后未打印"));
        for (const auto& asked : f.prompter.ofKind(QStringLiteral("confirm")))
            QVERIFY2(!asked.text.contains(QStringLiteral("电汇凭证")), qPrintable(asked.text));
        QVERIFY(!QFile::exists(unwritable));
    }

    // A number already in the register is asked about before the confirmation, naming the
    // earlier cheque: No goes back to the screen with everything kept, Yes stores the second.
    void numberAlreadyRegistered_askedFirst()
    {
        ChequeFixture f;
        f.fill(QStringLiteral("10000001"), QStringLiteral("张三"), QStringLiteral("1234.5"), QStringLiteral("货款"));
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 1);

        f.fill(QStringLiteral("10000001"), QStringLiteral("李四"), QStringLiteral("99"), QStringLiteral("运费"));
        f.prompter.questions.clear();
        f.prompter.confirmAnswers.enqueue(false);
        f.screen->Button_pjdy->click();
        f.screen->Button_qd->click();
        // Nothing follows a cheque not printed: the one question, whose default is No.
        QCOMPARE(f.prompter.questions.size(), 1);
        QCOMPARE(f.prompter.questions.first().text,
                 QStringLiteral("票号 10000001 已经登记过: 2005-12-25，张三，1,234.50 元，已打印。\n"
                                "是否仍要用这个票号登记并打印？（卡纸后重打可以沿用原票号；否则请改正票号。）"));
        QVERIFY(f.prompter.questions.first().defaultNo);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 1);
        QCOMPARE(f.screen->E_ph->text(), QStringLiteral("10000001"));
        QCOMPARE(f.screen->CB_skr->currentText(), QStringLiteral("李四"));
        QCOMPARE(f.screen->Edit_je->text(), QStringLiteral("99.00"));

        f.confirmJob(QStringLiteral("zz"), true); // Yes to the number, Yes to the confirmation
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp where ph = '10000001'")), 2);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zpls where sj = '打印'")), 2);
    }

    // Whatever fails in the job leaves no register row behind: the layout read runs before the
    // row is written, and a failure after it (the history refusing it) takes the row back.
    // Pressing again once it is mended gives one row, not two.
    void failureInTheJob_leavesNoRow_data()
    {
        QTest::addColumn<QString>("breakIt");
        QTest::addColumn<QString>("mendIt");
        QTest::newRow("layout unreadable") << QStringLiteral("alter table prn rename to prn_away")
                                           << QStringLiteral("alter table prn_away rename to prn");
        QTest::newRow("history refused after the insert")
            << QStringLiteral("create temp trigger refuse_history before insert on zpls "
                              "begin select raise(abort, 'forced'); end")
            << QStringLiteral("drop trigger temp.refuse_history");
    }
    void failureInTheJob_leavesNoRow()
    {
        QFETCH(QString, breakIt);
        QFETCH(QString, mendIt);
        ChequeFixture f;
        f.fill(QStringLiteral("10000001"), QStringLiteral("张三"), QStringLiteral("1234.5"), QStringLiteral("货款"));
        QCOMPARE(f.sql(breakIt).lastError().type(), QSqlError::NoError);
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 1);
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.sql(mendIt).lastError().type(), QSqlError::NoError);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 0);
        QCOMPARE(f.count(QStringLiteral("select count(*) from skr")), 0);
        QCOMPARE(f.screen->E_ph->text(), QStringLiteral("10000001"));

        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 1);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 1);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zpls")), 2);
    }

    // Only what the form prints is checked for glyphs: a character the font lacks on a note line
    // the transfer cheque never prints does not stop the cheque; on a line it prints, it does.
    void glyphCheck_onlyTheFieldsThatPrint_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<bool>("refused");
        QTest::newRow("third line, not printed on a transfer cheque") << QStringLiteral("一\n二\n𠀀\n四") << false;
        QTest::newRow("first line, printed") << QStringLiteral("𠀀\n二\n三\n四") << true;
    }
    void glyphCheck_onlyTheFieldsThatPrint()
    {
        QFETCH(QString, note);
        QFETCH(bool, refused);
        ChequeFixture f;
        f.fill(QStringLiteral("10000001"), QStringLiteral("张三"), QStringLiteral("12"), QStringLiteral("货款"));
        f.screen->Memo_xinxi->setPlainText(note);
        f.confirmJob(QStringLiteral("zz"), true);
        const auto errors = f.prompter.ofKind(QStringLiteral("error"));
        QCOMPARE(errors.size(), refused ? 1 : 0);
        if (refused)
            QVERIFY2(errors.first().text.contains(QStringLiteral("的字形")), qPrintable(errors.first().text));
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), refused ? 0 : 1);
    }

    void answeringNo_storesAndClearsNothing()
    {
        ChequeFixture f;
        f.fill(QStringLiteral("88"), QStringLiteral("李四"), QStringLiteral("12.5"), QStringLiteral("差旅"));
        QFont big(QStringLiteral("Noto Sans CJK SC"));
        big.setPointSize(16);
        big.setBold(true);
        f.screen->Panel_daxie->setFont(big);
        Frm_zz_print->QRL_dx->setFont(big);
        f.confirmJob(QStringLiteral("zz"), false);
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 0);
        QCOMPARE(f.count(QStringLiteral("select count(*) from skr")), 0);
        QCOMPARE(f.screen->E_ph->text(), QStringLiteral("88"));
        QCOMPARE(f.screen->Edit_je->text(), QStringLiteral("12.50"));
        QCOMPARE(f.screen->Panel_daxie->text(), QStringLiteral("壹拾贰元伍角整"));
        // The capitals font goes back to 宋体 10 whatever the answer; other attributes stay.
        for (const QFont& font : {f.screen->Panel_daxie->font(), Frm_zz_print->QRL_dx->font()}) {
            QCOMPARE(font.family(), QStringLiteral("宋体"));
            QCOMPARE(font.pointSize(), 10);
            QVERIFY(font.bold());
        }
    }

    void quotesAndOtherCharacters_areStoredAndPrintedAsTyped()
    {
        ChequeFixture f;
        const QString payee = QStringLiteral("O'Neil \"兄弟\" 100% _公司_ \\ 𠮷");
        const QString purpose = QStringLiteral("it's '货款'; drop table zp; --");
        f.fill(QStringLiteral("N'1"), payee, QStringLiteral("1"), purpose);
        f.confirmJob(QStringLiteral("zz"), true);
        const QSqlRecord row = onlyRegisterRow(f);
        QCOMPARE(row.value("ph").toString(), QStringLiteral("N'1"));
        QCOMPARE(row.value("skr").toString(), payee);
        QCOMPARE(row.value("yt").toString(), purpose);
        QCOMPARE(Frm_zz_print->QRL_skr->caption(), payee);
        QCOMPARE(Frm_zz_print->QRL_yt->caption(), purpose);
        QSqlQuery q = f.sql(QStringLiteral("select skrmc, cs from skr"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), payee);
    }

    void characterWithoutGlyph_isRefusedBeforeStoring()
    {
        // It would print as an empty box on the cheque.
        ChequeFixture f;
        f.fill(QStringLiteral("3"), QStringLiteral("𠀀公司"), QStringLiteral("1"), QStringLiteral("货款"));
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        QVERIFY2(f.prompter.last().text.contains(QStringLiteral("𠀀")), qPrintable(f.prompter.last().text));
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 0);
        QCOMPARE(f.screen->CB_skr->currentText(), QStringLiteral("𠀀公司"));
    }

    void whatTheRegisterCannotHold_isRefusedBeforeStoring_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("30 February") << "day" << "30"
                                     << QStringLiteral("出票日期 \"2005-2-30\" 不是有效的日期，支票没有保存。请在存根上改正年、月、日。");
        QTest::newRow("purpose of 51") << "purpose" << QString(51, QChar(0x8D27))
                                       << QStringLiteral("用途最多只能有50个字符（现有51个），未保存。");
        QTest::newRow("payee of 129") << "payee" << QString(129, QChar(0x7532))
                                      << QStringLiteral("收款人最多只能有128个字符（现有129个），未保存。");
        QTest::newRow("payee too long for the payee list") << "payee" << QString(60, QChar(0x7532))
                                      << QStringLiteral("收款人名称最多只能有50个字符（现有60个），未保存。");
        QTest::newRow("note of 91") << "note" << QString(91, QLatin1Char('n'))
                                    << QStringLiteral("附加信息最多只能有90个字符（现有91个），未保存。");
    }

    void whatTheRegisterCannotHold_isRefusedBeforeStoring()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        ChequeFixture f;
        ChequePanel* s = f.screen;
        f.fill(QStringLiteral("5"), QStringLiteral("王五"), QStringLiteral("9"), QStringLiteral("杂费"));
        if (field == QLatin1String("day")) {
            s->CB_yue->setEditText(QStringLiteral("2"));
            s->CB_ri->setEditText(value);
        } else if (field == QLatin1String("purpose")) {
            s->Edit_yt->setText(value);
        } else if (field == QLatin1String("payee")) {
            s->CB_skr->setEditText(value);
        } else {
            s->Memo_xinxi->setPlainText(value);
        }
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.prompter.last().kind, QStringLiteral("error"));
        QCOMPARE(f.prompter.last().text, message);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 0);
        QCOMPARE(f.count(QStringLiteral("select count(*) from skr")), 0);
        QCOMPARE(s->E_ph->text(), QStringLiteral("5"));
        QCOMPARE(s->Edit_je->text(), QStringLiteral("9.00"));
    }

    void capitalsAndFiguresThatDisagree_areRefusedBeforeStoring_data()
    {
        QTest::addColumn<QString>("capitals");
        QTest::addColumn<int>("place"); // a digit box to alter, 0 for none
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("message");
        QTest::newRow("capitals altered")
            << QStringLiteral("壹仟贰佰叁拾伍元伍角整") << 0 << QString()
            << QStringLiteral("大写金额与金额不一致，不能打印: 金额是 1234.50 元，大写金额“壹仟贰佰叁拾伍元伍角整”却是 1235.50 元。");
        QTest::newRow("a box altered") << QString() << 2 << QStringLiteral("7") << QString();
        QTest::newRow("an extra digit left of the yen sign") << QString() << 9 << QStringLiteral("1") << QString();
    }

    void capitalsAndFiguresThatDisagree_areRefusedBeforeStoring()
    {
        QFETCH(QString, capitals);
        QFETCH(int, place);
        QFETCH(QString, box);
        QFETCH(QString, message);
        ChequeFixture f;
        f.fill(QStringLiteral("31"), QStringLiteral("孙八"), QStringLiteral("1234.5"), QStringLiteral("货款"));
        if (!capitals.isEmpty())
            f.screen->Panel_daxie->setText(capitals);
        if (place > 0)
            f.screen->digitBox(place)->setText(box);
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.prompter.last().kind, QStringLiteral("error"));
        if (!message.isEmpty())
            QCOMPARE(f.prompter.last().text, message);
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 0);
        QCOMPARE(f.count(QStringLiteral("select count(*) from skr")), 0);
        QCOMPARE(f.screen->E_ph->text(), QStringLiteral("31"));
    }

    void yearThatIsNoNumber_isRefusedBeforeStoring()
    {
        ChequeFixture f;
        f.fill(QStringLiteral("6"), QStringLiteral("赵六"), QStringLiteral("9"), QStringLiteral("杂费"));
        f.screen->CB_nian->setEditText(QStringLiteral("二〇〇五"));
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 0);
        QVERIFY(f.prompter.last().text.startsWith(QStringLiteral("出票日期 \"二〇〇五-12-25\" 不是有效的日期")));
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 0);
    }

    void failingPayeeCount_leavesNoRegisterRow()
    {
        ChequeFixture f;
        // On the program's own connection only: a trigger in the file itself is refused as planted.
        f.sql(QStringLiteral(
            "create temp trigger refuse before insert on skr begin select raise(abort, 'disk full'); end"));
        f.fill(QStringLiteral("9"), QStringLiteral("钱七"), QStringLiteral("9"), QStringLiteral("杂费"));
        f.confirmJob(QStringLiteral("zz"), true);
        QCOMPARE(f.prompter.last().kind, QStringLiteral("error"));
        QVERIFY2(f.prompter.last().text.contains(QStringLiteral("disk full")), qPrintable(f.prompter.last().text));
        QVERIFY2(f.prompter.last().text.contains(QStringLiteral("pjzp.pdp")), qPrintable(f.prompter.last().text));
        QCOMPARE(f.count(QStringLiteral("select count(*) from zp")), 0);
        QCOMPARE(f.prompter.previews, 0);
        QCOMPARE(f.screen->E_ph->text(), QStringLiteral("9")); // nothing cleared
    }
};

QTEST_MAIN(TestChequeJob)
#include "tst_chequejob.moc"
