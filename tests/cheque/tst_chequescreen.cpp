// The cheque entry screen: opening on a fixed day, the stub date lists, copies to the stub, the
// amount field and the check before the type choice.
#include "store/DataModule.h"
#include "store/Settings.h"
#include "tests/cheque/ChequeFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

using namespace Zt_typro;

namespace
{
QStringList items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QStringList numbers(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

// Types text key by key, also characters that have no key of their own.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString boxes(const ChequePanel* s) // left to right, "·" for an empty box
{
    QStringList out;
    for (int place = 15; place >= 1; --place)
        out << (s->digitBox(place)->text().isEmpty() ? QStringLiteral("·") : s->digitBox(place)->text());
    return out.join(QLatin1Char(' '));
}
} // namespace

class TestChequeScreen : public QObject
{
    Q_OBJECT

private slots:
    void opening_setsTodayInNumbersAndCapitals()
    {
        WriteOrgDetails(QStringLiteral("某某有限公司"), QStringLiteral("1234-5678"), QStringLiteral("工商银行城南支行"));
        ChequeFixture f;
        ChequePanel* s = f.screen;
        QVERIFY(s->isVisible());
        QVERIFY(s->Panel_cg->isHidden());
        QVERIFY(s->Panel_zplx->isHidden());
        QCOMPARE(items(s->CB_nian), numbers(2004, 2010));
        QCOMPARE(s->CB_nian->currentText(), QStringLiteral("2005"));
        QCOMPARE(s->CB_yue->currentText(), QStringLiteral("12"));
        QCOMPARE(s->CB_ri->currentText(), QStringLiteral("25"));
        QCOMPARE(items(s->CB_yue), numbers(1, 12));
        QCOMPARE(items(s->CB_ri), numbers(1, 31));
        QCOMPARE(s->Panel_nian->text(), QStringLiteral("贰零零伍"));
        QCOMPARE(s->Panel_yue->text(), QStringLiteral("壹拾贰"));
        QCOMPARE(s->Panel_ri->text(), QStringLiteral("贰拾伍"));
        QCOMPARE(s->Panel_fkhmc->text(), QStringLiteral("工商银行城南支行"));
        QCOMPARE(s->Panel_cprzh->text(), QStringLiteral("1234-5678"));
        QCOMPARE(s->CB_skr->count(), 0); // no payees yet
        QCOMPARE(s->Edit_je->text(), QString());

        // Opening again does not double the lists, and keeps what was typed.
        s->E_ph->setText(QStringLiteral("00012"));
        s->CB_skr->setEditText(QStringLiteral("甲公司"));
        Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger();
        QCOMPARE(items(s->CB_nian), numbers(2004, 2010));
        QCOMPARE(items(s->CB_ri), numbers(1, 31));
        QCOMPARE(s->E_ph->text(), QStringLiteral("00012"));
        QCOMPARE(s->CB_skr->currentText(), QStringLiteral("甲公司"));
        QVERIFY(f.prompter.questions.isEmpty());
    }

    void opening_listsPayeesMostUsedFirst()
    {
        ChequeFixture f;
        for (const char* n : {"乙", "甲", "丙"}) {
            D_M->ADOQ_skr_up->setStatement(Stmt::S7, {QString::fromUtf8(n)});
            D_M->ADOQ_skr_up->execute();
        }
        D_M->ADOQ_skr_up->setStatement(Stmt::S8, {QStringLiteral("甲")});
        D_M->ADOQ_skr_up->execute();
        Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger();
        QCOMPARE(items(f.screen->CB_skr), (QStringList{"甲", "乙", "丙"}));
    }

    void stubDate_rebuildsTheDayList_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("monthCapitals");
        QTest::newRow("February of a leap year") << "2008" << "2" << 29 << "零贰";
        QTest::newRow("February of a common year") << "2007" << "2" << 28 << "零贰";
        QTest::newRow("February 2000") << "2000" << "2" << 29 << "零贰";
        QTest::newRow("February 2100") << "2100" << "2" << 28 << "零贰";
        QTest::newRow("April") << "2008" << "4" << 30 << "零肆";
        QTest::newRow("October") << "2008" << "10" << 31 << "零壹拾";
    }

    void stubDate_rebuildsTheDayList()
    {
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(int, days);
        QFETCH(QString, monthCapitals);
        ChequeFixture f;
        ChequePanel* s = f.screen;
        s->CB_ri->setEditText(QStringLiteral("31"));
        s->CB_nian->setEditText(year);
        s->CB_yue->setEditText(month);
        QCOMPARE(items(s->CB_ri), numbers(1, days));
        QCOMPARE(s->CB_ri->currentText(), QStringLiteral("31")); // the day keeps its text
        QCOMPARE(s->Panel_yue->text(), monthCapitals);
        QCOMPARE(s->Panel_ri->text(), QStringLiteral("叁拾壹"));
        QVERIFY(f.prompter.questions.isEmpty());
    }

    void stubDate_notANumberIsReported()
    {
        ChequeFixture f;
        f.screen->CB_nian->setEditText(QStringLiteral("二〇〇五"));
        QCOMPARE(f.prompter.ofKind(QStringLiteral("error")).size(), 1);
        QCOMPARE(f.prompter.last().caption, QStringLiteral("Quillmate"));
        QVERIFY2(f.prompter.last().text.contains(QStringLiteral("二〇〇五")), qPrintable(f.prompter.last().text));
        QCOMPARE(f.screen->CB_ri->count(), 0); // the day list stays empty after a failed rebuild
        QCOMPARE(f.screen->Panel_nian->text(), QStringLiteral("贰零零伍"));
    }

    void typing_copiesPayeeAndPurposeToTheStub()
    {
        ChequeFixture f;
        ChequePanel* s = f.screen;
        s->CB_skr->setFocus();
        typeText(s->CB_skr->lineEdit(), QStringLiteral("某公司"));
        QCOMPARE(s->E_shoukuanren->text(), QStringLiteral("某公司"));
        typeText(s->Edit_yt, QStringLiteral("货款"));
        QCOMPARE(s->E_yongtu->text(), QStringLiteral("货款"));
        // The stub copy may be edited alone; a later change on the face overwrites it.
        s->E_shoukuanren->setText(QStringLiteral("某公司财务部"));
        QTest::keyClicks(s->CB_skr->lineEdit(), QStringLiteral("A"));
        QCOMPARE(s->E_shoukuanren->text(), QStringLiteral("某公司A"));
    }

    void enterKeys_moveThroughTheFace()
    {
        ChequeFixture f;
        ChequePanel* s = f.screen;
        Frm_main->activateWindow();
        s->E_ph->setFocus();
        QTest::keyClick(s->E_ph, Qt::Key_Return);
        QTRY_VERIFY(s->CB_skr->hasFocus() || s->CB_skr->lineEdit()->hasFocus());
        typeText(s->CB_skr->lineEdit(), QStringLiteral("丙"));
        QTest::keyClick(s->CB_skr->lineEdit(), Qt::Key_Return);
        QTRY_VERIFY(s->Edit_je->hasFocus());
        QTest::keyClicks(s->Edit_je, QStringLiteral("12.5"));
        QTest::keyClick(s->Edit_je, Qt::Key_Return);
        QTRY_VERIFY(s->Edit_yt->hasFocus());
        // The stub got the amount, and leaving the field completed it.
        QCOMPARE(s->Edit_je->text(), QStringLiteral("12.50"));
        QCOMPARE(s->PE_jine->text(), QStringLiteral("12.50"));
        QCOMPARE(s->Panel_daxie->text(), QStringLiteral("壹拾贰元伍角整"));
    }

    void leavingTheAmount_fillsBoxesAndCapitals_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("completed");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("capitals");
        QTest::newRow("1234.5") << "1234.5" << "1234.50" << "· · · · · · · · ￥ 1 2 3 4 5 0" << "壹仟贰佰叁拾肆元伍角整";
        QTest::newRow("empty") << "" << ".00" << "· · · · · · · · · · · · ￥ 0 0" << " 零元零角整";
        QTest::newRow("full") << "987654321098.76" << "987654321098.76" << "￥ 9 8 7 6 5 4 3 2 1 0 9 8 7 6"
                              << "玖仟捌佰柒拾陆亿伍仟肆佰叁拾贰万壹仟零玖拾捌元柒角陆分";
        QTest::newRow("a letter is ignored") << "1a00" << "100.00" << "· · · · · · · · · ￥ 1 0 0 0 0"
                                             << "壹佰元整";
    }

    void leavingTheAmount_fillsBoxesAndCapitals()
    {
        QFETCH(QString, typed);
        QFETCH(QString, completed);
        QFETCH(QString, boxes);
        QFETCH(QString, capitals);
        ChequeFixture f;
        ChequePanel* s = f.screen;
        s->Edit_je->setFocus();
        QTest::keyClicks(s->Edit_je, typed);
        s->Edit_yt->setFocus();
        QCOMPARE(s->Edit_je->text(), completed);
        QCOMPARE(::boxes(s), boxes);
        QCOMPARE(s->Panel_daxie->text(), capitals);
        QCOMPARE(s->PE_jine->text(), completed);
        // Leaving again changes nothing.
        s->Edit_je->setFocus();
        s->Edit_yt->setFocus();
        QCOMPARE(s->Edit_je->text(), completed);
    }

    void printButton_checksTheFourFields_data()
    {
        QTest::addColumn<QString>("ph");
        QTest::addColumn<QString>("payee");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("purpose");
        QTest::addColumn<bool>("passes");
        QTest::newRow("all there") << "001" << "甲" << "5" << "货款" << true;
        QTest::newRow("blank number passes") << "   " << "甲" << "5" << "货款" << true;
        QTest::newRow("no number") << "" << "甲" << "5" << "货款" << false;
        QTest::newRow("no payee") << "001" << "" << "5" << "货款" << false;
        QTest::newRow("no amount") << "001" << "甲" << "" << "货款" << false;
        QTest::newRow("no purpose") << "001" << "甲" << "5" << "" << false;
    }

    void printButton_checksTheFourFields()
    {
        QFETCH(QString, ph);
        QFETCH(QString, payee);
        QFETCH(QString, amount);
        QFETCH(QString, purpose);
        QFETCH(bool, passes);
        ChequeFixture f;
        ChequePanel* s = f.screen;
        s->E_ph->setText(ph);
        s->CB_skr->setEditText(payee);
        s->Edit_je->setText(amount);
        s->Edit_yt->setText(purpose);
        QTest::mouseClick(s->Button_pjdy, Qt::LeftButton);
        QCOMPARE(s->Panel_zplx->isVisible(), passes);
        if (passes) {
            QVERIFY(f.prompter.questions.isEmpty());
            QTest::mouseClick(s->Button_qx, Qt::LeftButton);
            QVERIFY(!s->Panel_zplx->isVisible());
        } else {
            QCOMPARE(f.prompter.questions.size(), 1);
            QCOMPARE(f.prompter.last().kind, QStringLiteral("inform"));
            QCOMPARE(f.prompter.last().caption, QStringLiteral("提示"));
            QCOMPARE(f.prompter.last().text, QStringLiteral("票号、收款人、金额、用途不能为空!"));
        }
    }

    void stubAndTypeChoice_openAndClose()
    {
        ChequeFixture f;
        ChequePanel* s = f.screen;
        QTest::mouseClick(s->Button_setcg, Qt::LeftButton);
        QVERIFY(s->Panel_cg->isVisible());
        QTest::mouseClick(s->Panel_cg->closeButton(), Qt::LeftButton);
        QVERIFY(!s->Panel_cg->isVisible());
        QVERIFY(s->RadioButton_zz->isChecked());
        // The group names the form the cheque will print on.
        QGroupBox* group = s->Panel_zplx->findChild<QGroupBox*>();
        QCOMPARE(group->title(), QStringLiteral("支票类型: 将按转帐支票打印"));
        s->RadioButton_xj->setChecked(true);
        QCOMPARE(group->title(), QStringLiteral("支票类型: 将按现金支票打印"));
        s->RadioButton_zz->setChecked(true);
        QCOMPARE(s->Button_qd->text(), QStringLiteral("确 定"));
        QCOMPARE(s->Button_qx->text(), QStringLiteral("取 消"));
    }

    void note_holdsAtMostAHundredCharacters()
    {
        ChequeFixture f;
        QPlainTextEdit* memo = f.screen->Memo_xinxi;
        // Text put in from code is held to the limit.
        memo->setPlainText(QString(120, QLatin1Char('x')));
        QCOMPARE(memo->toPlainText().size(), 100);

        // Typed and pasted text that would pass the limit is refused whole; the text and its
        // undo stay as they were.
        f.screen->Button_setcg->click();
        memo->setPlainText(QString(96, QChar(0x5B57)));
        memo->moveCursor(QTextCursor::End);
        memo->setFocus();
        typeText(memo, QStringLiteral("付款"));
        QCOMPARE(memo->toPlainText().size(), 98);
        const QString before = memo->toPlainText();
        QGuiApplication::clipboard()->setText(QStringLiteral("附加信息"));
        memo->moveCursor(QTextCursor::Start);
        memo->paste();
        QCOMPARE(memo->toPlainText(), before);
        QTest::keyClick(memo, Qt::Key_Return);
        typeText(memo, QStringLiteral("三四"));
        QCOMPARE(memo->toPlainText(), QStringLiteral("\n三") + before);
        // A committed input-method phrase that does not fit is refused too.
        QInputMethodEvent phrase(QString(), {});
        phrase.setCommitString(QStringLiteral("两字"));
        QCoreApplication::sendEvent(memo, &phrase);
        QCOMPARE(memo->toPlainText(), QStringLiteral("\n三") + before);
        memo->undo();
        memo->undo();
        QCOMPARE(memo->toPlainText(), before);
        // A paste over a selection counts what it replaces.
        memo->selectAll();
        memo->paste();
        QCOMPARE(memo->toPlainText(), QStringLiteral("附加信息"));
    }

    void noteLines_areTheLinesTheMemoShows()
    {
        ChequeFixture f;
        ChequePanel* s = f.screen;
        // Enough text to need the scroll bar, lines that end near the width.
        const QString note = QStringLiteral(
            "本次付款为二〇二六年第四季度房租，另需要折扣说明请见合同第三条第二款。\n"
            "联系人王会计电话一三九一二三四五六七八\n短行\nABC DEF GHI JKL MNO PQR STU");
        s->Memo_xinxi->setPlainText(note);
        const QStringList hidden = s->memoDisplayLines();
        QVERIFY(hidden.size() > 4);
        s->Button_setcg->click();
        QVERIFY(s->Memo_xinxi->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(s->memoDisplayLines(), hidden);
        // The lines the memo lays out on screen.
        QStringList shown;
        for (QTextBlock block = s->Memo_xinxi->document()->begin(); block.isValid(); block = block.next()) {
            const QTextLayout* layout = block.layout();
            for (int i = 0; i < layout->lineCount(); ++i)
                shown << block.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
        }
        QCOMPARE(hidden, shown);
    }

    void amountField_completesOnlyWhenLeft()
    {
        ChequeFixture f;
        QLineEdit* amount = f.screen->Edit_je;
        amount->setFocus();
        QTRY_VERIFY(amount->hasFocus());
        QTest::keyClicks(amount, QStringLiteral("12"));
        // Its own context menu opens and closes: the amount stays as typed.
        QTimer::singleShot(0, [] {
            if (QWidget* menu = QApplication::activePopupWidget())
                menu->close();
        });
        QContextMenuEvent menuAt(QContextMenuEvent::Mouse, QPoint(5, 5), amount->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(amount, &menuAt);
        QCOMPARE(amount->text(), QStringLiteral("12"));
        // The window losing the focus to another program leaves it as typed too.
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(amount, &away);
        QCOMPARE(amount->text(), QStringLiteral("12"));
        amount->setFocus();
        QTest::keyClicks(amount, QStringLiteral("3"));
        QCOMPARE(amount->text(), QStringLiteral("123"));
        QVERIFY(f.screen->Panel_daxie->text().isEmpty());
        // Leaving for the next field completes it.
        QTest::keyClick(amount, Qt::Key_Tab);
        QTRY_COMPARE(amount->text(), QStringLiteral("123.00"));
        QCOMPARE(f.screen->Panel_daxie->text(), QStringLiteral("壹佰贰拾叁元整"));
    }

    void cleanup() { SetToday(QDate()); }
};

QTEST_MAIN(TestChequeScreen)
#include "tst_chequescreen.moc"
