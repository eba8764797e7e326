#include "app/Forms.h"
#include "app/MainWindow.h"
#include "common/Prompt.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Zt_typro;

// The designer's preview through the real Qt prompter: QPrintPreviewDialog opens (offscreen),
// renders the page, and the call returns once the operator closes it.
class TestLayoutPreview : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void previewOpensTheRealDialogAndReturnsWhenClosed_data();
    void previewOpensTheRealDialogAndReturnsWhenClosed();

private:
    std::unique_ptr<FormsFixture> m_forms;
};

void TestLayoutPreview::init()
{
    setPrompter(nullptr); // the Qt dialogs
    m_forms = std::make_unique<FormsFixture>();
}

void TestLayoutPreview::cleanup()
{
    m_forms.reset();
}

void TestLayoutPreview::previewOpensTheRealDialogAndReturnsWhenClosed_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSizeF>("pageMm");
    QTest::newRow("cheque xj") << true << "xj" << "打印预览" << QSizeF(297, 200);
    QTest::newRow("voucher jzd") << false << "jzd" << "电汇凭证打印预览" << QSizeF(297, 150);
}

void TestLayoutPreview::previewOpensTheRealDialogAndReturnsWhenClosed()
{
    QFETCH(bool, cheque);
    QFETCH(QString, code);
    QFETCH(QString, title);
    QFETCH(QSizeF, pageMm);

    QString seenTitle;
    int seenPages = -1;
    QSizeF seenPage;
    QPageLayout::Orientation seenOrientation = QPageLayout::Landscape;
    bool seenFullPage = false;
    QPrinter::PrinterMode seenMode = QPrinter::ScreenResolution;
    bool closed = false;
    // Looks for the modal dialog until it is up, then reads it and closes it.
    std::function<void()> answer = [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(20, this, answer);
            return;
        }
        seenTitle = dialog->windowTitle();
        if (auto* view = dialog->findChild<QPrintPreviewWidget*>())
            seenPages = view->pageCount();
        seenPage = dialog->printer()->pageLayout().fullRect(QPageLayout::Millimeter).size();
        seenOrientation = dialog->printer()->pageLayout().orientation();
        seenFullPage = dialog->printer()->fullPage();
        seenMode = dialog->printer()->resolution() >= 300 ? QPrinter::HighResolution : QPrinter::ScreenResolution;
        dialog->close();
        closed = true;
    };
    QTimer::singleShot(0, this, answer);

    if (cheque) {
        auto* form = new TFrm_zz_print(Frm_main); // as the designer does: owned by the main window
        PreviewChequeLayout(form, code);
        QCOMPARE(form->QRL_fjxx1->caption(), code == QLatin1String("xj") ? QString() : QStringLiteral("附加信息一"));
        delete form;
        QVERIFY(!D_M->ADOQ_zb->isOpen());
    } else {
        auto* form = new TFrm_pz_print(Frm_main);
        PreviewVoucherLayout(form, code);
        QCOMPARE(form->QRL_fen->position(), QPoint(585, 135));
        delete form;
        QVERIFY(!D_M->ADOQ_zb_pz->isOpen());
    }

    QVERIFY(closed);
    QCOMPARE(seenTitle, title);
    QCOMPARE(seenPages, 1);
    QVERIFY2(qAbs(seenPage.width() - pageMm.width()) < 0.01 && qAbs(seenPage.height() - pageMm.height()) < 0.01,
             qPrintable(QStringLiteral("%1 × %2 mm").arg(seenPage.width()).arg(seenPage.height())));
    QCOMPARE(seenOrientation, QPageLayout::Portrait);
    QVERIFY(seenFullPage);
    QCOMPARE(seenMode, QPrinter::HighResolution);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(TestLayoutPreview)
#include "tst_layoutpreview.moc"
