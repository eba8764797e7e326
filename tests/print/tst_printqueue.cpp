// Printing through real CUPS queues (the private daemon of tests/cups/cups-server.sh): the sample
// page of each form and a cheque from its preview go through the print system into cups-pdf, whose
// PDF holds the text as outlines; the page is rasterised and the ink of every label that stands
// alone is found and compared with the ink of the PDF route, which puts each label exactly where
// the layout says.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "common/Clock.h"
#include "print/Calibration.h"
#include "print/CalibrationPage.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/PrintForm.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"
#include "store/PrinterSettings.h"
#include "tests/support/PdfWords.h"
#include "tests/support/Shortcuts.h"
#include "tests/support/TestEnv.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace Zt_typro;

namespace
{
const QString kCustomQueue = QStringLiteral("quillmate-custom"); // takes any paper; the default
const QString kA4Queue = QStringLiteral("quillmate-a4");         // knows A4 alone
constexpr int kDpi = 300;
constexpr double kToleranceMm = 0.3;

QString outputFolder()
{
    return qEnvironmentVariable("QUILLMATE_CUPS_DIR") + QStringLiteral("/pdf");
}

QStringList outputs()
{
    return QDir(outputFolder()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(60000);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

// The PDF that the queue wrote for the one job sent since before was taken: waits until the
// queue has no job left and exactly one new file is there. Empty (and the reason in why) when
// none came within a minute.
QString waitForOutput(const QStringList& before, QString* why)
{
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        QStringList fresh = outputs();
        for (const QString& old : before)
            fresh.removeAll(old);
        int code = 0;
        const QString pending = run(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &code);
        if (code == 0 && pending.trimmed().isEmpty() && !fresh.isEmpty()) {
            if (fresh.size() != 1) {
                *why = QStringLiteral("more than one new file: ") + fresh.join(u' ');
                return QString();
            }
            return outputFolder() + QLatin1Char('/') + fresh.first();
        }
        QTest::qWait(200);
    }
    const QString log = qEnvironmentVariable("QUILLMATE_CUPS_DIR") + QStringLiteral("/log/error_log");
    QFile f(log);
    *why = QStringLiteral("no output from the queue; ") +
           (f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().right(3000)) : log);
    return QString();
}

QImage rasterise(const QString& pdf)
{
    const QString base = pdf + QStringLiteral(".raster");
    int code = 0;
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"), QStringLiteral("-singlefile"), pdf,
         base},
        &code);
    return code == 0 ? QImage(base + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8) : QImage();
}

QSizeF sizeMm(const QImage& page)
{
    return {page.width() * 25.4 / kDpi, page.height() * 25.4 / kDpi};
}

// The bounding box of the ink (pixels darker than mid-grey) inside window, in mm from the sheet's
// top-left edge; empty when there is none.
QRectF inkBoxMm(const QImage& page, const QRectF& windowMm)
{
    const double px = kDpi / 25.4;
    const QRect window = QRect(QPoint(int(windowMm.left() * px), int(windowMm.top() * px)),
                               QPoint(int(windowMm.right() * px), int(windowMm.bottom() * px)))
                             .intersected(page.rect());
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
    for (int y = window.top(); y <= window.bottom(); ++y) {
        const uchar* line = page.constScanLine(y);
        for (int x = window.left(); x <= window.right(); ++x) {
            if (line[x] < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    return QRectF(QPointF(left / px, top / px), QPointF((right + 1) / px, (bottom + 1) / px));
}

struct Placed
{
    QString key;
    QRectF boxMm; // the label's text box on the designed page
};

// Around a label's text box, the margin in which its ink is looked for: more than any misplacement
// the tests would let pass, less than half the gap to the next label standing alone.
constexpr double kWindowMm = 0.8;

// The labels with ink whose text box, widened by the window margin, touches no other label's
// widened box: their ink can be told apart on the page.
QList<Placed> labelsStandingAlone(const Report& report)
{
    QImage probe(4, 4, QImage::Format_Grayscale8);
    probe.setDotsPerMeterX(qRound(kDpi / 0.0254));
    probe.setDotsPerMeterY(qRound(kDpi / 0.0254));
    QPainter painter(&probe);
    QList<Placed> all;
    for (const ReportLabel* label : report.band()->labels()) {
        if (label->caption().trimmed().isEmpty())
            continue;
        painter.setFont(label->font());
        const QRectF box = painter.boundingRect(QRectF(0, 0, 1e5, 1e5), Qt::AlignLeft | Qt::AlignTop, label->caption());
        all.append({label->key(), QRectF(report.labelTopLeftMm(*label), box.size() * 25.4 / kDpi)});
    }
    QList<Placed> alone;
    for (const Placed& p : all) {
        const QRectF wide = p.boxMm.adjusted(-kWindowMm, -kWindowMm, kWindowMm, kWindowMm);
        bool touches = false;
        for (const Placed& other : all) {
            touches = touches || (other.key != p.key &&
                                  wide.intersects(other.boxMm.adjusted(-kWindowMm, -kWindowMm, kWindowMm, kWindowMm)));
        }
        if (!touches)
            alone.append(p);
    }
    return alone;
}

// Every label standing alone whose place on the paper lies inside it carries, on printed, the same
// ink as on the PDF route's reference page, moved to where the calibration sends its anchor.
// Returns how many were compared; fails the current test on the first that is off.
int compareInk(const QImage& reference, const QImage& printed, const QList<Placed>& labels,
               const PrinterCalibration& calibration)
{
    const QRectF paper(QPointF(0, 0), sizeMm(printed));
    int compared = 0;
    for (const Placed& p : labels) {
        const QRectF window = p.boxMm.adjusted(-kWindowMm, -kWindowMm, kWindowMm, kWindowMm);
        const QRectF ink = inkBoxMm(reference, window);
        if (ink.isEmpty())
            continue;
        const QPointF anchor = p.boxMm.topLeft();
        const QPointF sent = calibration.apply(anchor);
        const QRectF moved = window.translated(sent - anchor);
        if (!paper.contains(moved))
            continue; // off this paper
        const QRectF printedInk = inkBoxMm(printed, moved);
        const QString where = QStringLiteral(
                                  "%1: reference ink at (%2, %3) mm, printed at (%4, %5) mm, anchor sent to (%6, %7)")
                                  .arg(p.key)
                                  .arg(ink.left(), 0, 'f', 2)
                                  .arg(ink.top(), 0, 'f', 2)
                                  .arg(printedInk.left(), 0, 'f', 2)
                                  .arg(printedInk.top(), 0, 'f', 2)
                                  .arg(sent.x(), 0, 'f', 2)
                                  .arg(sent.y(), 0, 'f', 2);
        if (printedInk.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("no ink where it belongs: ") + where), __FILE__, __LINE__);
            return compared;
        }
        const QPointF offReference = ink.topLeft() - anchor;
        const QPointF offPrinted = printedInk.topLeft() - sent;
        if (qAbs(offPrinted.x() - offReference.x()) > kToleranceMm ||
            qAbs(offPrinted.y() - offReference.y()) > kToleranceMm) {
            QTest::qFail(qPrintable(QStringLiteral("ink misplaced: ") + where), __FILE__, __LINE__);
            return compared;
        }
        ++compared;
    }
    return compared;
}

bool sameSize(QSizeF a, QSizeF b)
{
    return qAbs(a.width() - b.width()) < 1.0 && qAbs(a.height() - b.height()) < 1.0;
}

void setUserDefaultQueue(const QString& queue)
{
    int code = 0;
    const QString out = run(QStringLiteral("lpoptions"), {QStringLiteral("-d"), queue}, &code);
    QVERIFY2(code == 0, qPrintable(out));
    QCOMPARE(QPrinterInfo::defaultPrinterName(), queue);
}
} // namespace

class TestPrintQueue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void samplePages_data();
    void samplePages();
    void chequeFromPreview_calibratedOnThePrinter_plainInPdf();
    void calibrationPage_onTheA4Queue();
};

void TestPrintQueue::initTestCase()
{
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    if (!queues.contains(kCustomQueue) || !queues.contains(kA4Queue)) {
        // As root the test command always starts the private daemon: its absence is a fault.
        if (geteuid() == 0)
            QFAIL(qPrintable(QStringLiteral("the private print queues are missing: ") + queues.join(u' ')));
        QSKIP("no private print queues (the test command starts them when run as root)");
    }
}

void TestPrintQueue::init()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc")).clear();
    setUserDefaultQueue(kCustomQueue);
}

void TestPrintQueue::samplePages_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("transfer cheque") << QStringLiteral("zz");
    QTest::newRow("cash cheque") << QStringLiteral("xj");
    QTest::newRow("wire voucher") << QStringLiteral("dhpz");
    QTest::newRow("deposit slip") << QStringLiteral("jzd");
}

void TestPrintQueue::samplePages()
{
    QFETCH(QString, code);
    FormsFixture forms;
    const bool cheque = code == QLatin1String("zz") || code == QLatin1String("xj");
    PrintForm& form = cheque ? static_cast<PrintForm&>(*Frm_zz_print) : static_cast<PrintForm&>(*Frm_pz_print);
    const auto printSample = [&]() -> QString {
        const QStringList before = outputs();
        if (cheque)
            PrintChequeSample(Frm_zz_print, code);
        else
            PrintVoucherSample(Frm_pz_print, code);
        QString why;
        const QString pdf = waitForOutput(before, &why);
        if (pdf.isEmpty())
            QTest::qFail(qPrintable(why), __FILE__, __LINE__);
        return pdf;
    };

    // The custom-size queue with A3 chosen for it, no calibration: the page is A3 portrait and
    // every label's ink lies where the PDF route puts it.
    WritePrinterPaper(kCustomQueue, QStringLiteral("A3"));
    const QString plain = printSample();
    QVERIFY(!plain.isEmpty());
    const QString referencePdf = forms.workDir().filePath(QStringLiteral("reference.pdf"));
    RenderReportToPdf(*form.QuickRep1, referencePdf);
    const QImage reference = rasterise(referencePdf);
    QVERIFY(!reference.isNull());
    const QSizeF designed = form.QuickRep1->pageSizeMm();
    QVERIFY2(sameSize(sizeMm(reference), designed), "the PDF route keeps the designed page");
    const QList<Placed> labels = labelsStandingAlone(*form.QuickRep1);
    QVERIFY2(labels.size() >= 4, qPrintable(QString::number(labels.size())));

    const QImage a3 = rasterise(plain);
    QVERIFY2(sameSize(sizeMm(a3), QSizeF(297, 420)),
             qPrintable(QStringLiteral("%1 x %2").arg(sizeMm(a3).width()).arg(sizeMm(a3).height())));
    const int comparedPlain = compareInk(reference, a3, labels, PrinterCalibration());
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(comparedPlain, int(labels.size())); // A3 holds the whole designed page

    // With an offset and a scale stored for the queue, the ink moves by what the formula says.
    const PrinterCalibration calibration{1.5, -0.8, 1.01, 0.99};
    WritePrinterCalibration(kCustomQueue, calibration);
    const QImage moved = rasterise(printSample());
    QVERIFY(!moved.isNull());
    const int comparedMoved = compareInk(reference, moved, labels, calibration);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(comparedMoved, int(labels.size()));
    // And the move is real: uncalibrated places would not match the calibrated page.
    QVERIFY(inkBoxMm(moved, labels.first().boxMm.adjusted(-0.2, -0.2, 0.2, 0.2)) !=
            inkBoxMm(a3, labels.first().boxMm.adjusted(-0.2, -0.2, 0.2, 0.2)));

    // The queue that knows A4 alone, on its default paper: A4 portrait, not rotated, not
    // shrunk; what fits on it lies where the PDF route puts it.
    setUserDefaultQueue(kA4Queue);
    const QImage a4 = rasterise(printSample());
    QVERIFY(!a4.isNull());
    QVERIFY2(sameSize(sizeMm(a4), QSizeF(210, 297)),
             qPrintable(QStringLiteral("%1 x %2").arg(sizeMm(a4).width()).arg(sizeMm(a4).height())));
    const int comparedA4 = compareInk(reference, a4, labels, PrinterCalibration());
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(comparedA4 >= 3, qPrintable(QString::number(comparedA4)));
}

void TestPrintQueue::chequeFromPreview_calibratedOnThePrinter_plainInPdf()
{
    FormsFixture forms;
    SetToday(QDate(2005, 12, 25));
    const PrinterCalibration calibration{-2.0, 1.2, 0.99, 1.01};
    WritePrinterCalibration(kCustomQueue, calibration);
    Frm_main->show();
    Frm_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Frm_main));
    Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger();
    ChequePanel* s = Frm_main->Panel_zp;

    // One cheque printed from its preview on the queue, another from its preview into a PDF file.
    const QString referencePdf = forms.workDir().filePath(QStringLiteral("reference.pdf"));
    const QString previewPdf = forms.workDir().filePath(QStringLiteral("preview.pdf"));
    QList<Placed> labels;
    const auto printCheque = [&](const QString& number, bool toPdf) {
        Frm_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frm_main));
        s->E_ph->setText(number);
        s->CB_skr->setEditText(QStringLiteral("华东机械有限公司"));
        s->Edit_je->setFocus();
        QTest::keyClicks(s->Edit_je, QStringLiteral("1234.5"));
        s->Edit_yt->setFocus();
        s->Edit_yt->setText(QStringLiteral("设备款"));
        QTest::mouseClick(s->Button_pjdy, Qt::LeftButton);
        int boxes = 0;
        QString unexpected;
        QString previewPrinter;
        std::function<void()> answer;
        answer = [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                // Yes to printing; No to the voucher offered afterwards, which ends the job.
                QAbstractButton* button = box->button(++boxes == 1 ? QMessageBox::Yes : QMessageBox::No);
                if (!button) {
                    unexpected = box->text();
                    box->reject();
                    return;
                }
                button->click();
                if (boxes > 1)
                    return;
            } else if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
                RenderReportToPdf(*Frm_zz_print->QuickRep1, referencePdf);
                labels = labelsStandingAlone(*Frm_zz_print->QuickRep1);
                previewPrinter = preview->printer()->printerName();
                if (toPdf) {
                    preview->printer()->setOutputFormat(QPrinter::PdfFormat);
                    preview->printer()->setOutputFileName(previewPdf);
                }
                // What the preview's print button does once its print dialog is accepted.
                preview->findChild<QPrintPreviewWidget*>()->print();
                preview->accept();
            }
            QTimer::singleShot(20, Frm_main, answer);
        };
        QTimer::singleShot(0, Frm_main, answer);
        QTest::mouseClick(s->Button_qd, Qt::LeftButton);
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        QCOMPARE(boxes, 2);
        QCOMPARE(previewPrinter, kCustomQueue);
    };

    const QStringList before = outputs();
    printCheque(QStringLiteral("00420001"), false);
    if (QTest::currentTestFailed())
        return;
    QString why;
    const QString queued = waitForOutput(before, &why);
    QVERIFY2(!queued.isEmpty(), qPrintable(why));
    const QImage reference = rasterise(referencePdf);
    const QImage printed = rasterise(queued);
    QVERIFY(!reference.isNull() && !printed.isNull());
    QVERIFY2(labels.size() >= 4, qPrintable(QString::number(labels.size())));
    // The queue's default paper is A4: the cheque's right part falls off it, the rest is calibrated.
    QVERIFY(sameSize(sizeMm(printed), QSizeF(210, 297)));
    const int compared = compareInk(reference, printed, labels, calibration);
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(compared >= 3, qPrintable(QString::number(compared)));

    // From the preview into a PDF file: the designed page, no calibration, whatever the printer.
    printCheque(QStringLiteral("00420002"), true);
    if (QTest::currentTestFailed())
        return;
    const QList<PdfPage> pages = ReadPdfWords(previewPdf);
    QCOMPARE(pages.size(), 1);
    QVERIFY(sameSize(pages.first().sizeMm, QSizeF(297, 200)));
    const ReportLabel* payee = Frm_zz_print->QuickRep1->band()->label(QStringLiteral("skr"));
    QVERIFY(payee);
    const QPointF at = Frm_zz_print->QuickRep1->labelTopLeftMm(*payee);
    bool found = false;
    for (const PdfWord& w : pages.first().words)
        found = found || (w.text.startsWith(QStringLiteral("华东机械")) && qAbs(w.boxMm.left() - at.x()) < 0.1 &&
                          qAbs(w.boxMm.top() - at.y()) < 0.1);
    QVERIFY2(found, qPrintable(pages.first().dump()));

    // The register says where each page went.
    QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
    QVERIFY(q.exec(
        QStringLiteral("select group_concat(sm, ';') from (select sm from zpls where sj = '打印' order by rowid)")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), kCustomQueue + QLatin1Char(';') + previewPdf);
    SetToday(QDate());
}

void TestPrintQueue::calibrationPage_onTheA4Queue()
{
    // The calibration page on A4 portrait: the right-hand crosshairs come in onto the paper, and
    // each crosshair's centre lies where the page says it is.
    const QPageSize paper = PaperForPrinter(kA4Queue);
    QCOMPARE(paper.key(), QStringLiteral("A4"));
    const QSizeF sheet = CalibrationSheetMm(paper);
    QCOMPARE(CalibrationCrosshair(2, sheet), QPointF(185.0, 30.0));
    const QStringList before = outputs();
    QPrinter printer(QPrinterInfo::printerInfo(kA4Queue), QPrinter::HighResolution);
    QVERIFY(PaintCalibrationPageOnPrinter(&printer, kA4Queue, paper));
    QString why;
    const QString pdf = waitForOutput(before, &why);
    QVERIFY2(!pdf.isEmpty(), qPrintable(why));
    const QImage page = rasterise(pdf);
    QVERIFY(sameSize(sizeMm(page), QSizeF(210, 297)));
    for (int n = 1; n <= 4; ++n) {
        const QPointF c = CalibrationCrosshair(n, sheet);
        // The horizontal stroke of the cross, 16 mm long and centred on the crosshair: its ink,
        // looked for left of the circle, ends 2 mm before the centre.
        const QRectF arm = inkBoxMm(page, QRectF(c.x() - 9.0, c.y() - 0.6, 6.0, 1.2));
        QVERIFY2(!arm.isEmpty(), qPrintable(QString::number(n)));
        QVERIFY2(qAbs(arm.left() - (c.x() - 8.0)) < kToleranceMm,
                 qPrintable(QStringLiteral("%1: %2").arg(n).arg(arm.left())));
        QVERIFY2(qAbs(arm.center().y() - c.y()) < kToleranceMm,
                 qPrintable(QStringLiteral("%1: %2").arg(n).arg(arm.center().y())));
    }
}

QTEST_MAIN(TestPrintQueue)
#include "tst_printqueue.moc"
