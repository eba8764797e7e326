// One whole cheque through the real dialogs: the confirmation box is answered and the print
// preview prints its page into a PDF file, which is read back to find the payee, the capitals
// and the fen digit where the layout puts them.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "common/Clock.h"
#include "print/Report.h"
#include "store/DataModule.h"
#include "tests/support/PdfWords.h"
#include "tests/support/TestEnv.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

using namespace Zt_typro;

namespace
{
// Where the top-left corner of a label's text lands on the cheque form, in mm from the sheet's edge.
QPointF chequeAnchorMm(int kjx, int kjy)
{
    return {10.0 + kjx * 25.4 / 96.0, 5.0 + kjy * 25.4 / 96.0};
}
} // namespace

class TestChequePrintReal : public QObject
{
    Q_OBJECT

private slots:
    void wholeCheque_withTheRealDialogs_landsWhereTheLayoutSays()
    {
        FormsFixture forms;
        SetToday(QDate(2005, 12, 25));
        Frm_main->show();
        Frm_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frm_main));
        Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger();
        ChequePanel* s = Frm_main->Panel_zp;
        s->E_ph->setText(QStringLiteral("00420001"));
        s->CB_skr->setEditText(QStringLiteral("华东机械有限公司"));
        s->Edit_je->setFocus();
        QTest::keyClicks(s->Edit_je, QStringLiteral("1234.5"));
        s->Edit_yt->setFocus();
        s->Edit_yt->setText(QStringLiteral("设备款"));
        QTest::mouseClick(s->Button_pjdy, Qt::LeftButton);
        QVERIFY(s->Panel_zplx->isVisible());

        const QString pdf = forms.workDir().filePath(QStringLiteral("cheque.pdf"));
        QStringList questions;
        bool printed = false;
        QString details;
        QString title;
        std::function<void()> answer;
        answer = [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                questions << box->windowTitle() + QLatin1Char('|') + box->text();
                if (details.isEmpty())
                    details = box->informativeText();
                // Yes to printing; No to the voucher offered afterwards, which ends the job.
                const bool offer = questions.size() > 1;
                box->button(offer ? QMessageBox::No : QMessageBox::Yes)->click();
                if (offer)
                    return;
            } else if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
                // Print from the preview, as the operator does, into a PDF file.
                preview->printer()->setOutputFormat(QPrinter::PdfFormat);
                preview->printer()->setOutputFileName(pdf);
                // What the preview's print button does once the print dialog is accepted.
                title = preview->windowTitle();
                preview->findChild<QPrintPreviewWidget*>()->print();
                printed = true;
                preview->accept();
            }
            QTimer::singleShot(20, Frm_main, answer);
        };
        QTimer::singleShot(0, Frm_main, answer);
        QTest::mouseClick(s->Button_qd, Qt::LeftButton);

        QCOMPARE(questions, (QStringList{QStringLiteral("提示|请认真核对您各项数据的正确性,是否现在开始打印?"),
                                         QStringLiteral("提示|是否打印电汇凭证或进帐单?")}));
        QVERIFY(printed);
        QCOMPARE(details, QStringLiteral("票据: 转帐支票\n票号: 00420001\n收款人: 华东机械有限公司\n金额: 1,234.50 元\n"
                                         "大写: 壹仟贰佰叁拾肆元伍角整\n出票日期: 2005-12-25"));
        QCOMPARE(title, QStringLiteral("转帐支票 00420001 打印预览"));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(s->E_ph->text().isEmpty()); // the screen was cleared after the preview

        QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
        QVERIFY(q.exec(QStringLiteral("select ph, je, hkfs from zp")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("00420001"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("1234.50"));
        // The history says where the page went.
        QVERIFY(q.exec(QStringLiteral("select group_concat(sj || '|' || ifnull(sm, ''), ';') from zpls")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("登记|;打印|") + pdf);

        const QList<PdfPage> pages = ReadPdfWords(pdf);
        QCOMPARE(pages.size(), 1);
        const PdfPage& page = pages.first();
        QVERIFY(qAbs(page.sizeMm.width() - 297.0) < 0.5);
        QVERIFY(qAbs(page.sizeMm.height() - 200.0) < 0.5);
        struct Expect
        {
            QString text;
            QPointF at;
        };
        const QList<Expect> expected = {
            {QStringLiteral("华东机械有限公司"), chequeAnchorMm(270, 66)},
            {QStringLiteral("壹仟贰佰叁拾肆元伍角整"), chequeAnchorMm(270, 98)},
            {QStringLiteral("设备款"), chequeAnchorMm(275, 137)},
        };
        // The stub repeats payee and purpose elsewhere: the face's copy must be at its anchor.
        const auto landsAt = [&page](const QString& text, const QPointF& at) {
            for (const PdfWord& w : page.words)
                if (w.text.startsWith(text) && qAbs(w.boxMm.left() - at.x()) < 0.1 && qAbs(w.boxMm.top() - at.y()) < 0.1)
                    return true;
            return false;
        };
        for (const Expect& e : expected)
            QVERIFY2(landsAt(e.text, e.at), qPrintable(e.text + QLatin1Char('\n') + page.dump()));
        // The fen digit: the last of the digits "￥12345" + "0" that poppler may join; it starts at 分.
        QVERIFY2(landsAt(QStringLiteral("0"), chequeAnchorMm(715, 103)), qPrintable(page.dump()));
        QVERIFY2(landsAt(QStringLiteral("￥"), chequeAnchorMm(619, 103)), qPrintable(page.dump()));
        SetToday(QDate());
    }
};

QTEST_MAIN(TestChequePrintReal)
#include "tst_chequeprint_real.moc"
