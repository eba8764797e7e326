// One whole voucher through the real Qt dialogs: the confirmation box is answered Yes, the
// preview prints into a PDF, and the words land where the layout rows of the form code say.
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/Settings.h"
#include "tests/support/PdfWords.h"
#include "tests/voucher/VoucherFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>

using namespace Zt_typro;

namespace
{
// Where a label's text box starts on the voucher sheet (margins 5 mm), in mm.
QPointF voucherAnchorMm(const QPoint& layout)
{
    return {5.0 + layout.x() * 25.4 / 96.0, 5.0 + layout.y() * 25.4 / 96.0};
}
} // namespace

class TestVoucherPrintReal : public QObject
{
    Q_OBJECT

private slots:
    void wholeVoucher_withTheRealDialogs_landsWhereTheLayoutSays()
    {
        VoucherFixture f;
        setPrompter(nullptr); // the Qt dialogs, not the scripted answers
        WriteOrgDetails(QStringLiteral("华东机械有限公司"), QStringLiteral("6222 0001"), QStringLiteral("工商银行某支行"));
        f.openFromMenu();
        f.typeAmount(QStringLiteral("1234.5"));
        f.screen->ComboBox_skrmc->setEditText(QStringLiteral("某某贸易有限公司"));
        f.screen->E_skrzh->setText(QStringLiteral("6217 0002"));
        f.screen->E_skrkhh->setText(QStringLiteral("建设银行"));
        f.screen->RadioButton_jzd->setChecked(true);
        QTest::mouseClick(f.screen->Button_pz_dy, Qt::LeftButton);
        QVERIFY(f.screen->Panel_pzlx->isVisible());

        const QString pdf = f.forms.workDir().filePath(QStringLiteral("voucher.pdf"));
        QStringList boxes;
        bool printed = false;
        std::function<void()> answer;
        answer = [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                boxes << box->windowTitle() + QLatin1Char('|') + box->text();
                box->button(QMessageBox::Yes)->click();
            } else if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
                preview->printer()->setOutputFormat(QPrinter::PdfFormat);
                preview->printer()->setOutputFileName(pdf);
                // What the preview's print button does once the print dialog is accepted.
                preview->findChild<QPrintPreviewWidget*>()->print();
                printed = true;
                preview->accept();
                return;
            }
            QTimer::singleShot(20, Frm_main, answer);
        };
        QTimer::singleShot(0, Frm_main, answer);
        QTest::mouseClick(f.screen->Button_pzlx_qd, Qt::LeftButton);

        QCOMPARE(boxes, QStringList{QStringLiteral("提示|请认真核对您各项数据的正确性,是否现在开始打印?")});
        QVERIFY(printed);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(f.screen->Edit_jine->text(), QString()); // cleared after the preview
        QCOMPARE(f.payees(), QStringList{QStringLiteral("某某贸易有限公司|6217 0002|建设银行|0")});

        const QList<PdfPage> pages = ReadPdfWords(pdf);
        QCOMPARE(pages.size(), 1);
        const PdfPage& page = pages.first();
        QVERIFY(qAbs(page.sizeMm.width() - 297.0) < 0.5);
        QVERIFY(qAbs(page.sizeMm.height() - 150.0) < 0.5);
        const auto rowPosition = [&f](const QString& key) {
            QSqlQuery q = f.sql(QStringLiteral("select kjx, kjy from prn where win = 'jzd' and kjmc = 'P_pz_%1'").arg(key));
            return q.next() ? QPoint(q.value(0).toInt(), q.value(1).toInt()) : QPoint(-1000, -1000);
        };
        const auto landsAt = [&page](const QString& text, const QPointF& at) {
            for (const PdfWord& w : page.words)
                if (w.text.startsWith(text) && qAbs(w.boxMm.left() - at.x()) < 0.1 && qAbs(w.boxMm.top() - at.y()) < 0.1)
                    return true;
            return false;
        };
        const QList<QPair<QString, QString>> expected = {
            {QStringLiteral("skrmc"), QStringLiteral("某某贸易有限公司")},
            {QStringLiteral("cprmc"), QStringLiteral("华东机械有限公司")},
            {QStringLiteral("dx"), QStringLiteral("壹仟贰佰叁拾肆元伍角整")},
            {QStringLiteral("skrkhh"), QStringLiteral("建设银行")},
        };
        for (const auto& [key, text] : expected)
            QVERIFY2(landsAt(text, voucherAnchorMm(rowPosition(key))), qPrintable(key + QLatin1Char('\n') + page.dump()));
    }

    void capitalsFontDialog_opensOnTheCurrentFace()
    {
        VoucherFixture f;
        setPrompter(nullptr); // the real font dialog
        f.openFromMenu();
        const QString drawnBy = QFontInfo(f.screen->P_daxie->font()).family();
        QVERIFY(!drawnBy.isEmpty());
        QString shownFamily;
        std::function<void()> answer;
        answer = [&] {
            if (auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget())) {
                shownFamily = dialog->currentFont().family();
                dialog->accept(); // 确定 without a change
                return;
            }
            QTimer::singleShot(20, Frm_main, answer);
        };
        QTimer::singleShot(0, Frm_main, answer);
        f.screen->popup_fontnameClick();
        // The dialog showed the Song face the capitals are drawn in, and OK kept it.
        QCOMPARE(shownFamily, drawnBy);
        for (const QFont& font :
             {f.screen->P_daxie->font(), Frm_pz_print->QRL_dx->font(), Frm_zz_print->QRL_dx->font()}) {
            QCOMPARE(font.family(), QStringLiteral("宋体"));
            QCOMPARE(QFontInfo(font).family(), drawnBy);
        }
    }
};

QTEST_MAIN(TestVoucherPrintReal)
#include "tst_voucherprint_real.moc"
