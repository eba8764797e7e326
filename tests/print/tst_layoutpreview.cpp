#include "app/Forms.h"
#include "app/MainWindow.h"
#include "common/Prompt.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"
#include "store/PrinterSettings.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/Shortcuts.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Zt_typro;

namespace
{
// The colour of the scans below: no label and no part of Qt's preview is drawn in it.
const QColor kScanGreen(0, 200, 0);

// A scan of a blank form: green all over, widthPx × heightPx (its own proportions, not the page's).
QString writeScan(const QString& path, int widthPx, int heightPx)
{
    QImage image(widthPx, heightPx, QImage::Format_RGB32);
    image.fill(kScanGreen);
    if (!image.save(path, "PNG"))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

bool isScanGreen(QRgb c)
{
    return qAbs(qRed(c) - kScanGreen.red()) < 40 && qAbs(qGreen(c) - kScanGreen.green()) < 40 &&
           qAbs(qBlue(c) - kScanGreen.blue()) < 40;
}

// The rectangle of the grabbed preview that shows the scan's green; empty when none does.
QRect greenArea(const QImage& shot)
{
    QRect area;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (isScanGreen(shot.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

// Number of images placed on the pages of a PDF (pdfimages -list prints two heading lines).
int pdfImageCount(const QString& pdf)
{
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    if (!images.waitForFinished(30000))
        return -1;
    return int(QString::fromUtf8(images.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts).size()) - 2;
}

// What the real preview dialog showed before it was closed.
struct SeenPreview
{
    bool shown = false;
    QRect geometry;
    QRect screenArea;
    QPrintPreviewWidget::ZoomMode zoom = QPrintPreviewWidget::CustomZoom;
    QImage shot;
};

// Answers the next preview dialog: waits until it has rendered its page, reads it and closes it.
void watchPreview(QObject* context, SeenPreview& seen)
{
    auto answer = std::make_shared<std::function<void()>>();
    *answer = [context, &seen, answer] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        auto* view = dialog ? dialog->findChild<QPrintPreviewWidget*>() : nullptr;
        if (!view || view->pageCount() < 1 || !dialog->isVisible()) {
            QTimer::singleShot(20, context, *answer);
            return;
        }
        QTest::qWait(50);
        seen.shown = true;
        seen.geometry = dialog->frameGeometry();
        seen.screenArea = dialog->screen()->availableGeometry();
        seen.zoom = view->zoomMode();
        seen.shot = view->grab().toImage();
        dialog->close();
        // The function held itself to be called again; let it go now that it is done.
        *answer = nullptr;
    };
    QTimer::singleShot(0, context, *answer);
}
} // namespace

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
    void previewFillsTheScreenAndFitsTheWidth();
    void previewShowsThePageOverTheScan_data();
    void previewShowsThePageOverTheScan();
    void scanNeverReachesPrinterOrPdf();

private:
    std::unique_ptr<FormsFixture> m_forms;
};

void TestLayoutPreview::init()
{
    setPrompter(nullptr); // the Qt dialogs
    // No scan remembered from an earlier run.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc")).clear();
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

void TestLayoutPreview::previewFillsTheScreenAndFitsTheWidth()
{
    SeenPreview seen;
    watchPreview(this, seen);
    auto* form = new TFrm_zz_print(Frm_main);
    PreviewChequeLayout(form, QStringLiteral("zz"));
    delete form;
    QVERIFY(seen.shown);
    // A window the size of the screen (its frame included), the page as wide as the window.
    QCOMPARE(seen.geometry.size(), seen.screenArea.size());
    QCOMPARE(seen.zoom, QPrintPreviewWidget::FitToWidth);
}

void TestLayoutPreview::previewShowsThePageOverTheScan_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("scanFor"); // the form code a scan is remembered for; empty: none
    QTest::addColumn<double>("pageAspect");
    QTest::newRow("cheque zz with its scan") << true << "zz" << "zz" << 297.0 / 200.0;
    QTest::newRow("voucher jzd with its scan") << false << "jzd" << "jzd" << 297.0 / 150.0;
    QTest::newRow("cheque xj, scan only for zz") << true << "xj" << "zz" << 0.0;
    QTest::newRow("voucher dhpz without a scan") << false << "dhpz" << "" << 0.0;
}

void TestLayoutPreview::previewShowsThePageOverTheScan()
{
    QFETCH(bool, cheque);
    QFETCH(QString, code);
    QFETCH(QString, scanFor);
    QFETCH(double, pageAspect);

    if (!scanFor.isEmpty()) {
        // Three times as wide as high: only a scan stretched over the whole sheet shows with the
        // page's proportions.
        const QString scan = writeScan(m_forms->workDir().filePath(QStringLiteral("blank.png")), 900, 300);
        WriteDesignerBackground(scanFor, {scan, 0.0});
    }
    SeenPreview seen;
    watchPreview(this, seen);
    if (cheque) {
        auto* form = new TFrm_zz_print(Frm_main);
        PreviewChequeLayout(form, code);
        delete form;
    } else {
        auto* form = new TFrm_pz_print(Frm_main);
        PreviewVoucherLayout(form, code);
        delete form;
    }
    QVERIFY(seen.shown);
    const QRect green = greenArea(seen.shot);
    if (pageAspect == 0.0) {
        QVERIFY2(green.isEmpty(), "a scan shows in the preview of a form code that has none");
        return;
    }
    QVERIFY2(!green.isEmpty(), "the scan does not show in the preview");
    // The scan covers the sheet: the page's proportions, the page's width (fitted to the window).
    const double aspect = double(green.width()) / double(green.height());
    QVERIFY2(qAbs(aspect - pageAspect) < 0.03, qPrintable(QString::number(aspect)));
    QVERIFY2(green.width() > seen.shot.width() * 8 / 10, qPrintable(QString::number(green.width())));
    // The page's labels lie over the scan: dark text inside the green area.
    int dark = 0;
    for (int y = green.top(); y <= green.bottom(); ++y) {
        for (int x = green.left(); x <= green.right(); ++x) {
            if (qGray(seen.shot.pixel(x, y)) < 60)
                ++dark;
        }
    }
    QVERIFY2(dark > 50, qPrintable(QString::number(dark)));
}

void TestLayoutPreview::scanNeverReachesPrinterOrPdf()
{
    const QString scan = writeScan(m_forms->workDir().filePath(QStringLiteral("blank.png")), 600, 400);
    WriteDesignerBackground(QStringLiteral("zz"), {scan, 0.0});
    auto form = std::make_unique<TFrm_zz_print>();
    ApplyLayoutToLabels(form.get(), QStringLiteral("zz"));
    D_M->ADOQ_zb->close();
    QCOMPARE(form->QuickRep1->formCode(), QStringLiteral("zz"));

    // A PDF written by the program.
    const QString written = m_forms->workDir().filePath(QStringLiteral("written.pdf"));
    RenderReportToPdf(*form->QuickRep1, written);
    QCOMPARE(pdfImageCount(written), 0);

    // The page the preview sends to a printer or a file when the operator prints from it.
    ScriptedPrompter prompts;
    const QString fromPreview = m_forms->workDir().filePath(QStringLiteral("preview.pdf"));
    prompts.onPage = [&fromPreview](const std::function<void(QPrinter*)>& paint) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fromPreview);
        paint(&printer);
    };
    PreviewReport(*form->QuickRep1, nullptr);
    QCOMPARE(prompts.previews, 1);
    QCOMPARE(pdfImageCount(fromPreview), 0);

    // The check sees a scan that is painted: drawn on a PDF page, it is one image there.
    const QString control = m_forms->workDir().filePath(QStringLiteral("control.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(control);
    QPainter painter(&printer);
    QVERIFY(PaintFormScan(*form->QuickRep1, painter));
    painter.end();
    QCOMPARE(pdfImageCount(control), 1);
}

QTEST_MAIN(TestLayoutPreview)
#include "tst_layoutpreview.moc"
