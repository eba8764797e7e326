// Printing through real CUPS queues (the private daemon of tests/cups/cups-server.sh): the sample
// page of each form and a cheque from its preview go through the print system into cups-pdf, whose
// PDF holds the text as outlines; the page is rasterised and the ink of every label that stands
// alone is found and compared with the ink of the PDF route, which puts each label exactly where
// the layout says.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "cheque/PrintCheque.h"
#include "common/Clock.h"
#include "print/Calibration.h"
#include "print/CalibrationPage.h"
#include "print/ChequePrintForm.h"
#include "print/FormPrinting.h"
#include "print/Placement.h"
#include "print/PrintForm.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"
#include "store/PrinterSettings.h"
#include "store/Settings.h"
#include "tests/support/PdfWords.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/Shortcuts.h"
#include "tests/support/TestEnv.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
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
    void fieldsThePaperCuts_areNamedBeforeAnythingIsStored_data();
    void fieldsThePaperCuts_areNamedBeforeAnythingIsStored();
    void eachFormRemembersItsPrinter();
    void anotherPrinterChosenInThePrintDialog_isCheckedThere();
    void sampleWithoutADefaultPrinter_usesTheRememberedOneOrAsks();
    void ctrlPInThePreview_printsOnTheFormsPrinter();
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
    // The sample goes to the printer the form was last printed on; forgotten, to the default.
    QCOMPARE(ReadFormPrinter(code), kCustomQueue);
    WriteFormPrinter(code, QString());
    setUserDefaultQueue(kA4Queue);
    // What A4 cuts off is asked about first (the real question): Yes prints it anyway.
    QString cutQuestion;
    QTimer::singleShot(0, Frm_main, [&cutQuestion] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            cutQuestion = box->text();
            box->button(QMessageBox::Yes)->click();
        }
    });
    const QImage a4 = rasterise(printSample());
    // Only the cash cheque reaches past A4's 210 mm (its 分 box); the other forms fit across it.
    if (code == QLatin1String("xj"))
        QVERIFY2(cutQuestion.contains(kA4Queue) && cutQuestion.contains(QStringLiteral("分")), qPrintable(cutQuestion));
    else
        QVERIFY2(cutQuestion.isEmpty(), qPrintable(cutQuestion));
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
namespace
{
// The cheque screen opened from the menu with a cheque typed on it, as a clerk types it.
ChequePanel* typeCheque(const QString& number)
{
    Frm_main->show();
    Frm_main->activateWindow();
    if (!QTest::qWaitForWindowActive(Frm_main))
        qWarning("the main window did not become active");
    Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger();
    ChequePanel* s = Frm_main->Panel_zp;
    s->E_ph->setText(number);
    s->CB_skr->setEditText(QStringLiteral("华东机械有限公司"));
    s->Edit_je->setFocus();
    s->Edit_je->clear();
    QTest::keyClicks(s->Edit_je, QStringLiteral("1234.5"));
    s->Edit_yt->setFocus();
    s->Edit_yt->setText(QStringLiteral("设备款"));
    return s;
}

// "票据打印", the type and "确 定".
void runChequeJob(ChequePanel* s, const QString& code)
{
    s->Button_pjdy->click();
    (code == QLatin1String("xj") ? s->RadioButton_xj : s->RadioButton_zz)->setChecked(true);
    s->Button_qd->click();
}

int registered()
{
    QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
    return q.exec(QStringLiteral("select count(*) from zp")) && q.next() ? q.value(0).toInt() : -1;
}

const QString kCutQuestion = QStringLiteral("可打印范围");
} // namespace

// A cash cheque on a queue whose paper is A4: the digit boxes at its right end and the account
// fall off the paper. The clerk is told which, on which paper, before anything is stored; No (the
// default) goes back with the screen kept. On a paper that holds the whole form nothing is asked.
void TestPrintQueue::fieldsThePaperCuts_areNamedBeforeAnythingIsStored_data()
{
    QTest::addColumn<QString>("queue");
    QTest::addColumn<QString>("paper"); // chosen in the calibration panel; empty: the queue's own
    QTest::addColumn<bool>("cut");
    QTest::newRow("A4-only queue") << kA4Queue << QString() << true;
    QTest::newRow("custom queue on A3") << kCustomQueue << QStringLiteral("A3") << false;
}

void TestPrintQueue::fieldsThePaperCuts_areNamedBeforeAnythingIsStored()
{
    QFETCH(QString, queue);
    QFETCH(QString, paper);
    QFETCH(bool, cut);
    FormsFixture forms;
    ScriptedPrompter prompter;
    SetToday(QDate(2005, 12, 25));
    WriteFormPrinter(QStringLiteral("xj"), queue);
    if (!paper.isEmpty())
        WritePrinterPaper(queue, paper);
    WriteOrgDetails(QStringLiteral("某某科技有限公司"), QStringLiteral("6222 0200 1234 5678 901"),
                    QStringLiteral("工商银行某支行"));
    ChequePanel* s = typeCheque(QStringLiteral("00420001"));

    prompter.confirmAnswers.enqueue(false);
    runChequeJob(s, QStringLiteral("xj"));
    const auto asked = prompter.ofKind(QStringLiteral("confirm"));
    QVERIFY(!asked.isEmpty());
    if (cut) {
        const QString text = asked.first().text;
        QVERIFY(asked.first().defaultNo);
        QVERIFY2(text.contains(kCutQuestion) && text.contains(queue) &&
                     text.contains(QStringLiteral("A4 (210 × 297 毫米)")),
                 qPrintable(text));
        // The fields beyond 210 mm: the right-hand digit boxes down to 分, and the account.
        const QString named = text.section(QLatin1Char('\n'), 1, 1);
        const QStringList fields = named.split(QStringLiteral("、"));
        QVERIFY2(fields.contains(QStringLiteral("分")) && fields.contains(QStringLiteral("出票人帐号")),
                 qPrintable(named));
        QVERIFY2(!fields.contains(QStringLiteral("收款人")), qPrintable(named));
        QCOMPARE(asked.size(), 1);
        QCOMPARE(registered(), 0);
        QCOMPARE(prompter.previews, 0);
        QCOMPARE(s->E_ph->text(), QStringLiteral("00420001"));
        QCOMPARE(s->Edit_je->text(), QStringLiteral("1234.50"));

        // The sample page of the same form asks the same on the same paper.
        prompter.questions.clear();
        PrintChequeSample(Frm_zz_print, QStringLiteral("xj"));
        QCOMPARE(prompter.ofKind(QStringLiteral("confirm")).size(), 1);
        QVERIFY(prompter.ofKind(QStringLiteral("confirm")).first().text.contains(kCutQuestion));
        QCOMPARE(prompter.prints, 0);
    } else {
        for (const auto& q : asked)
            QVERIFY2(!q.text.contains(kCutQuestion), qPrintable(q.text));
        QCOMPARE(asked.first().text, QStringLiteral("请认真核对您各项数据的正确性,是否现在开始打印?"));
    }
    SetToday(QDate());
}

// The preview of each form opens on the printer that form was last printed on, and the form
// printed elsewhere keeps its own.
void TestPrintQueue::eachFormRemembersItsPrinter()
{
    FormsFixture forms;
    ScriptedPrompter prompter;
    SetToday(QDate(2005, 12, 25));
    // Both queues on a paper that holds the cheque, so that nothing is cut.
    WritePrinterPaper(kCustomQueue, QStringLiteral("A3"));
    QCOMPARE(FormPrinter(QStringLiteral("zz")), kCustomQueue); // nothing remembered: the default

    // The first cash cheque printed from its preview on the A4 queue.
    ChequePanel* s = typeCheque(QStringLiteral("00420001"));
    prompter.confirmAnswers << true;
    prompter.previewAnswers.enqueue(PreviewResult{true, kA4Queue, kA4Queue});
    runChequeJob(s, QStringLiteral("xj"));
    QCOMPARE(prompter.ofKind(QStringLiteral("preview")).last().text, kCustomQueue);
    QCOMPARE(ReadFormPrinter(QStringLiteral("xj")), kA4Queue);

    // The next cash cheque opens on it, and what its paper cuts is asked about first; a transfer
    // cheque still opens on the default.
    prompter.questions.clear();
    s = typeCheque(QStringLiteral("00420002"));
    prompter.confirmAnswers << true << true; // what is cut, the confirmation
    prompter.previewAnswers.enqueue(PreviewResult{true, kA4Queue, kA4Queue});
    runChequeJob(s, QStringLiteral("xj"));
    QCOMPARE(prompter.ofKind(QStringLiteral("preview")).last().text, kA4Queue);
    QVERIFY(prompter.ofKind(QStringLiteral("confirm")).first().text.contains(kCutQuestion));
    s = typeCheque(QStringLiteral("00420003"));
    prompter.confirmAnswers << true;
    runChequeJob(s, QStringLiteral("zz"));
    QCOMPARE(prompter.ofKind(QStringLiteral("preview")).last().text, kCustomQueue);
    QCOMPARE(ReadFormPrinter(QStringLiteral("zz")), QString::fromUtf8(ScriptedPrompter::kTestPrinter));
    QCOMPARE(ReadFormPrinter(QStringLiteral("xj")), kA4Queue);

    // A remembered printer since removed from the system is passed over for the default.
    WriteFormPrinter(QStringLiteral("dhpz"), QStringLiteral("gone-printer"));
    QCOMPARE(FormPrinter(QStringLiteral("dhpz")), kCustomQueue);
    SetToday(QDate());
}

// The preview opened on a printer whose paper holds the cheque; the clerk picks the A4 queue in
// the print dialog: what it cuts is asked there, and No sends nothing and records no print.
void TestPrintQueue::anotherPrinterChosenInThePrintDialog_isCheckedThere()
{
    FormsFixture forms;
    ScriptedPrompter prompter;
    SetToday(QDate(2005, 12, 25));
    WritePrinterPaper(kCustomQueue, QStringLiteral("A3"));
    prompter.onPage = [](const std::function<void(QPrinter*)>& paint) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(kA4Queue);
        paint(&printer);
    };
    ChequePanel* s = typeCheque(QStringLiteral("00420005"));
    const QStringList before = outputs();
    // Yes to the confirmation, No to what A4 cuts, Yes to keeping the cheque as not printed.
    prompter.confirmAnswers << true << false << true;
    runChequeJob(s, QStringLiteral("xj"));
    QStringList texts;
    for (const auto& q : prompter.ofKind(QStringLiteral("confirm")))
        texts << q.text;
    QCOMPARE(texts.size(), 3);
    QVERIFY2(texts.at(1).contains(kCutQuestion) && texts.at(1).contains(kA4Queue), qPrintable(texts.at(1)));
    QVERIFY(prompter.ofKind(QStringLiteral("confirm")).at(1).defaultNo);
    QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
    QVERIFY(q.exec(QStringLiteral("select group_concat(sj, ';') from zpls")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("登记;预览后未打印"));
    QCOMPARE(ReadFormPrinter(QStringLiteral("xj")), QString());
    QTest::qWait(1000);
    QCOMPARE(outputs(), before);
    SetToday(QDate());
}

// Without a system default printer, the sample page goes to the printer remembered for the form,
// or the clerk chooses one of the installed printers; "没有可用的打印机" is never said while there
// are printers.
void TestPrintQueue::sampleWithoutADefaultPrinter_usesTheRememberedOneOrAsks()
{
    FormsFixture forms;
    ScriptedPrompter prompter;
    // A default that names no installed printer leaves the system without a default.
    qputenv("PRINTER", "no-such-printer");
    qputenv("LPDEST", "no-such-printer");
    const auto restore = qScopeGuard([] {
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
    });
    QFile::remove(QDir::homePath() + QStringLiteral("/.cups/lpoptions"));
    if (!QPrinterInfo::defaultPrinterName().isEmpty())
        QSKIP("the print system still gives a default printer");
    for (const QString& queue : {kCustomQueue, kA4Queue})
        WritePrinterPaper(queue, QStringLiteral("A3"));
    QVERIFY(!QPrinterInfo::printerInfo(kA4Queue).supportedPageSizes().isEmpty());

    // Remembered for the deposit slip: printed there without a question.
    WriteFormPrinter(QStringLiteral("jzd"), kA4Queue);
    prompter.confirmAnswers << true; // the A4 queue's paper may cut the slip
    PrintVoucherSample(Frm_pz_print, QStringLiteral("jzd"));
    QCOMPARE(prompter.ofKind(QStringLiteral("print")).size(), 1);
    QCOMPARE(prompter.ofKind(QStringLiteral("print")).first().text, kA4Queue);
    QVERIFY(prompter.ofKind(QStringLiteral("printer")).isEmpty());

    // Nothing remembered for the wire voucher: the clerk chooses, and the choice is remembered.
    prompter.questions.clear();
    prompter.printerAnswers.enqueue(kCustomQueue);
    PrintVoucherSample(Frm_pz_print, QStringLiteral("dhpz"));
    const auto offered = prompter.ofKind(QStringLiteral("printer"));
    QCOMPARE(offered.size(), 1);
    QVERIFY(offered.first().text.split(QLatin1Char('|')).contains(kA4Queue));
    QVERIFY(offered.first().text.split(QLatin1Char('|')).contains(kCustomQueue));
    QCOMPARE(prompter.ofKind(QStringLiteral("print")).first().text, kCustomQueue);
    QCOMPARE(ReadFormPrinter(QStringLiteral("dhpz")), kCustomQueue);
    QVERIFY(prompter.ofKind(QStringLiteral("error")).isEmpty());

    // Choosing none prints nothing and says nothing.
    prompter.questions.clear();
    WriteFormPrinter(QStringLiteral("dhpz"), QString());
    PrintVoucherSample(Frm_pz_print, QStringLiteral("dhpz"));
    QCOMPARE(prompter.ofKind(QStringLiteral("printer")).size(), 1);
    QVERIFY(prompter.ofKind(QStringLiteral("print")).isEmpty());
}

// Ctrl+P in the real preview opens the print dialog on the form's printer; accepted, the page
// goes to that queue and the printer is remembered for the form.
void TestPrintQueue::ctrlPInThePreview_printsOnTheFormsPrinter()
{
    FormsFixture forms;
    SetToday(QDate(2005, 12, 25));
    WritePrinterPaper(kA4Queue, QString());
    WritePrinterPaper(kCustomQueue, QStringLiteral("A3"));
    WriteFormPrinter(QStringLiteral("zz"), kCustomQueue);
    ChequePanel* s = typeCheque(QStringLiteral("00420009"));
    s->Button_pjdy->click();
    QVERIFY(s->Panel_zplx->isVisible());

    QString dialogPrinter;
    QString previewPrinter;
    QStringList boxes;
    std::function<void()> answer;
    answer = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes << box->text();
            // Yes to printing, No to the voucher offered after it.
            box->button(boxes.size() == 1 ? QMessageBox::Yes : QMessageBox::No)->click();
            if (boxes.size() > 1)
                return;
        } else if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
            dialogPrinter = dialog->printer()->printerName();
            dialog->accept();
        } else if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
            if (previewPrinter.isEmpty()) {
                // The key goes to the preview as the window the clerk works in.
                preview->activateWindow();
                if (!QTest::qWaitForWindowActive(preview))
                    qWarning("the preview did not become active");
                previewPrinter = preview->printer()->printerName();
                // The print dialog opens inside the key press: the next look is due before it.
                QTimer::singleShot(50, Frm_main, answer);
                QTest::keyClick(preview, Qt::Key_P, Qt::ControlModifier);
                return;
            }
        }
        QTimer::singleShot(50, Frm_main, answer);
    };
    const QStringList before = outputs();
    QTimer::singleShot(0, Frm_main, answer);
    QTest::mouseClick(s->Button_qd, Qt::LeftButton);

    QCOMPARE(previewPrinter, kCustomQueue);
    QCOMPARE(dialogPrinter, kCustomQueue);
    QCOMPARE(boxes.size(), 2);
    QString why;
    const QString queued = waitForOutput(before, &why);
    QVERIFY2(!queued.isEmpty(), qPrintable(why));
    QVERIFY(sameSize(sizeMm(rasterise(queued)), QSizeF(297, 420)));
    QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
    QVERIFY(q.exec(QStringLiteral("select sm from zpls where sj = '打印'")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), kCustomQueue);
    QCOMPARE(ReadFormPrinter(QStringLiteral("zz")), kCustomQueue);
    QVERIFY(s->E_ph->text().isEmpty());
    SetToday(QDate());
}

#include "tst_printqueue.moc"
