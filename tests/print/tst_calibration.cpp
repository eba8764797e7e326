// Printer calibration: the two-point solve, the limits, the settings store, and where the
// renderer puts every label of a cheque on a real PDF when a calibration is applied.
#include "app/Forms.h"
#include "common/Error.h"
#include "print/Calibration.h"
#include "print/CalibrationPage.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "store/DataModule.h"
#include "tests/support/PdfWords.h"
#include "tests/support/Shortcuts.h"
#include "tests/support/TestEnv.h"

#include <QPageSize>
#include <QPrinter>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <functional>
#include <memory>

using namespace Zt_typro;

Q_DECLARE_METATYPE(Zt_typro::PrinterCalibration)

namespace
{
QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return e.message();
    }
    return QString();
}

// Where a printer that maps x to a + b × x puts a point.
QPointF printerPuts(QPointF sent, double ax, double bx, double ay, double by)
{
    return {ax + bx * sent.x(), ay + by * sent.y()};
}

// Every layout row, as text, for comparing before and after.
QStringList prnRows()
{
    D_M->ensureConnected();
    QSqlQuery q(QSqlDatabase::database(D_M->connectionName()));
    q.exec(QStringLiteral("select win, kjmc, kjx, kjy, dy from prn order by win, kjmc"));
    QStringList rows;
    while (q.next()) {
        rows.append(QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                             q.value(3).toString(), q.value(4).toString()));
    }
    return rows;
}
} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void formulaMovesPoints_data();
    void formulaMovesPoints();
    void solve_data();
    void solve();
    void solveRefuses_data();
    void solveRefuses();
    void parseTypedValues_data();
    void parseTypedValues();
    void storeRoundTrip_data();
    void storeRoundTrip();
    void storedValueOutOfRangeIsReported();
    void pdfAndPreviewUseNone();
    void calibratedChequeLabelsLandByTheFormula();
    void calibrationPageShowsRulersAndCrosshairs();
    void crosshairsFollowThePaper_data();
    void crosshairsFollowThePaper();

private:
    std::unique_ptr<FormsFixture> m_forms;
};

void TestCalibration::init()
{
    m_forms = std::make_unique<FormsFixture>();
    // No calibration left over from another case.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc")).clear();
}

void TestCalibration::cleanup()
{
    m_forms.reset();
}

void TestCalibration::formulaMovesPoints_data()
{
    QTest::addColumn<PrinterCalibration>("c");
    QTest::addColumn<QPointF>("p");
    QTest::addColumn<QPointF>("expected");

    QTest::newRow("none") << PrinterCalibration{} << QPointF(199.18, 32.25) << QPointF(199.18, 32.25);
    QTest::newRow("offset only") << PrinterCalibration{1.5, -0.8, 1.0, 1.0} << QPointF(10, 5) << QPointF(11.5, 4.2);
    QTest::newRow("offset and scale") << PrinterCalibration{1.5, -0.8, 1.01, 1.01} << QPointF(200, 100)
                                      << QPointF(203.5, 100.2);
    QTest::newRow("scales differ") << PrinterCalibration{0.0, 0.0, 0.98, 1.02} << QPointF(100, 100)
                                   << QPointF(98, 102);
}

void TestCalibration::formulaMovesPoints()
{
    QFETCH(PrinterCalibration, c);
    QFETCH(QPointF, p);
    QFETCH(QPointF, expected);
    const QPointF got = c.apply(p);
    QVERIFY2(qAbs(got.x() - expected.x()) < 1e-9 && qAbs(got.y() - expected.y()) < 1e-9,
             qPrintable(QStringLiteral("%1, %2").arg(got.x()).arg(got.y())));
}

void TestCalibration::solve_data()
{
    // The printer puts x at a + b × x; the crosshairs chosen; what the correction must be.
    QTest::addColumn<double>("ax");
    QTest::addColumn<double>("bx");
    QTest::addColumn<double>("ay");
    QTest::addColumn<double>("by");
    QTest::addColumn<int>("n1");
    QTest::addColumn<int>("n2");
    QTest::addColumn<PrinterCalibration>("expected");

    QTest::newRow("a true printer") << 0.0 << 1.0 << 0.0 << 1.0 << 1 << 3 << PrinterCalibration{0.0, 0.0, 1.0, 1.0};
    QTest::newRow("shifted right and up") << 2.0 << 1.0 << -1.5 << 1.0 << 1 << 3
                                          << PrinterCalibration{-2.0, 1.5, 1.0, 1.0};
    QTest::newRow("shifted left and down, other diagonal")
        << -3.2 << 1.0 << 4.4 << 1.0 << 2 << 4 << PrinterCalibration{3.2, -4.4, 1.0, 1.0};
    // b = 1/1.01: the printer shrinks; the correction stretches by 1.01 and moves back.
    QTest::newRow("shrinks by 1.01") << -1.5 / 1.01 << 1.0 / 1.01 << 0.8 / 1.01 << 1.0 / 1.01 << 1 << 3
                                     << PrinterCalibration{1.5, -0.8, 1.01, 1.01};
    // b = 1/0.97: the printer stretches; the correction scales below 1 with negative offsets.
    QTest::newRow("stretches, scale below 1") << 2.0 / 0.97 << 1.0 / 0.97 << 1.0 / 0.98 << 1.0 / 0.98 << 3 << 1
                                               << PrinterCalibration{-2.0, -1.0, 0.97, 0.98};
    QTest::newRow("x and y differ") << 0.5 << 1.0 / 1.04 << -0.3 << 1.0 / 0.96 << 4 << 2
                                    << PrinterCalibration{-0.5, 0.3, 1.04, 0.96};
}

void TestCalibration::solve()
{
    QFETCH(double, ax);
    QFETCH(double, bx);
    QFETCH(double, ay);
    QFETCH(double, by);
    QFETCH(int, n1);
    QFETCH(int, n2);
    QFETCH(PrinterCalibration, expected);

    const QPointF p1 = CalibrationCrosshair(n1);
    const QPointF p2 = CalibrationCrosshair(n2);
    const PrinterCalibration got =
        SolveCalibration(p1, printerPuts(p1, ax, bx, ay, by), p2, printerPuts(p2, ax, bx, ay, by));
    const QString text = QStringLiteral("got %1 %2 %3 %4")
                             .arg(got.offsetXMm)
                             .arg(got.offsetYMm)
                             .arg(got.scaleX, 0, 'f', 6)
                             .arg(got.scaleY, 0, 'f', 6);
    QVERIFY2(qAbs(got.offsetXMm - expected.offsetXMm) < 1e-9, qPrintable(text));
    QVERIFY2(qAbs(got.offsetYMm - expected.offsetYMm) < 1e-9, qPrintable(text));
    QVERIFY2(qAbs(got.scaleX - expected.scaleX) < 1e-9, qPrintable(text));
    QVERIFY2(qAbs(got.scaleY - expected.scaleY) < 1e-9, qPrintable(text));
    // Sent through the correction and then the printer, every crosshair lands where it belongs.
    for (int n = 1; n <= 4; ++n) {
        const QPointF want = CalibrationCrosshair(n);
        const QPointF landed = printerPuts(got.apply(want), ax, bx, ay, by);
        QVERIFY2(qAbs(landed.x() - want.x()) < 0.06 && qAbs(landed.y() - want.y()) < 0.06, qPrintable(text));
    }
}

void TestCalibration::solveRefuses_data()
{
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("m1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<QPointF>("m2");
    QTest::addColumn<QString>("message");

    QTest::newRow("offset beyond 20 mm")
        << QPointF(30, 30) << QPointF(52, 30) << QPointF(260, 120) << QPointF(282, 120)
        << "横向偏移 -22.00 毫米超出范围: 偏移量应在 -20.0 到 +20.0 毫米之间。";
    QTest::newRow("scale beyond 1.05") << QPointF(30, 30) << QPointF(30, 30) << QPointF(260, 120)
                                       << QPointF(30 + 230 / 1.1, 120) << "横向比例 1.1000 超出范围: 比例应在 0.95 到 1.05 之间。";
    QTest::newRow("scale below 0.95") << QPointF(30, 30) << QPointF(30, 30) << QPointF(260, 120)
                                      << QPointF(260, 30 + 90 / 0.9) << "纵向比例 0.9000 超出范围: 比例应在 0.95 到 1.05 之间。";
    QTest::newRow("same row") << QPointF(30, 30) << QPointF(30, 30) << QPointF(260, 30) << QPointF(260, 30)
                              << "所选的两个十字线横坐标或纵坐标相同，无法算出比例: 请选对角的两个十字线。";
    QTest::newRow("crossed over") << QPointF(30, 30) << QPointF(260, 120) << QPointF(260, 120) << QPointF(30, 30)
                                  << "量得的两个十字线的位置次序与打印的相反，请检查输入的测量值。";
}

void TestCalibration::solveRefuses()
{
    QFETCH(QPointF, p1);
    QFETCH(QPointF, m1);
    QFETCH(QPointF, p2);
    QFETCH(QPointF, m2);
    QFETCH(QString, message);
    QCOMPARE(errorOf([&] { SolveCalibration(p1, m1, p2, m2); }), message);
}

void TestCalibration::parseTypedValues_data()
{
    QTest::addColumn<bool>("offset");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("message"); // empty: accepted

    QTest::newRow("offset") << true << "1.5" << 1.5 << "";
    QTest::newRow("negative offset") << true << " -0.8 " << -0.8 << "";
    QTest::newRow("plus sign") << true << "+20" << 20.0 << "";
    QTest::newRow("lowest offset") << true << "-20.0" << -20.0 << "";
    QTest::newRow("offset beyond") << true << "20.1" << 0.0 << "横向偏移 20.1 毫米超出范围: 偏移量应在 -20.0 到 +20.0 毫米之间。";
    QTest::newRow("offset finer than 0.1")
        << true << "1.55" << 0.0 << "横向偏移“1.55”不是有效的偏移量: 请输入毫米数，最多一位小数，如 1.5 或 -0.8。";
    QTest::newRow("offset empty") << true << "" << 0.0
                                  << "横向偏移“”不是有效的偏移量: 请输入毫米数，最多一位小数，如 1.5 或 -0.8。";
    QTest::newRow("scale") << false << "1.01" << 1.01 << "";
    QTest::newRow("lowest scale") << false << "0.95" << 0.95 << "";
    QTest::newRow("scale beyond") << false << "1.06" << 0.0 << "横向比例 1.06 超出范围: 比例应在 0.95 到 1.05 之间。";
    QTest::newRow("scale a word") << false << "abc" << 0.0
                                  << "横向比例“abc”不是有效的比例: 请输入 0.95 到 1.05 之间的数，最多四位小数，如 1.01。";
}

void TestCalibration::parseTypedValues()
{
    QFETCH(bool, offset);
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, message);
    double got = 0.0;
    const QString error = errorOf([&] {
        got = offset ? ParseCalibrationOffset(text, QStringLiteral("横向偏移"))
                     : ParseCalibrationScale(text, QStringLiteral("横向比例"));
    });
    QCOMPARE(error, message);
    if (message.isEmpty())
        QCOMPARE(got, value);
}

void TestCalibration::storeRoundTrip_data()
{
    QTest::addColumn<QString>("printer");
    QTest::addColumn<PrinterCalibration>("c");

    QTest::newRow("plain name") << "HP_LaserJet" << PrinterCalibration{1.5, -0.8, 1.01, 1.01};
    QTest::newRow("name with slashes and blanks") << "\\\\server\\财务室 打印机/2" << PrinterCalibration{-20, 20, 0.95, 1.05};
}

void TestCalibration::storeRoundTrip()
{
    QFETCH(QString, printer);
    QFETCH(PrinterCalibration, c);

    QCOMPARE(ReadPrinterCalibration(printer), PrinterCalibration());
    WritePrinterCalibration(printer, c);
    QCOMPARE(ReadPrinterCalibration(printer), c);
    // Under its own group of the per-user store, and nowhere else.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc"));
    QCOMPARE(settings.childGroups(), QStringList{QStringLiteral("printers")});
    settings.beginGroup(QStringLiteral("printers"));
    QCOMPARE(settings.childGroups().size(), 1);
    QCOMPARE(ReadPrinterCalibration(QStringLiteral("another printer")), PrinterCalibration());
    QCOMPARE(errorOf([&] { WritePrinterCalibration(printer, PrinterCalibration{0, 0, 1.2, 1.0}); }),
             QStringLiteral("横向比例 1.2000 超出范围: 比例应在 0.95 到 1.05 之间。"));
    QCOMPARE(ReadPrinterCalibration(printer), c);
}

void TestCalibration::storedValueOutOfRangeIsReported()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc"));
    settings.setValue(PrinterCalibrationGroup(QStringLiteral("P1")) + QStringLiteral("/pyx"), QStringLiteral("35.0"));
    settings.sync();
    QCOMPARE(errorOf([] { ReadPrinterCalibration(QStringLiteral("P1")); }),
             QStringLiteral("打印机“P1”存储的校准值有误: 横向偏移 35.00 毫米超出范围: 偏移量应在 -20.0 到 +20.0 毫米之间。"));
}

void TestCalibration::pdfAndPreviewUseNone()
{
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(m_forms->workDir().filePath(QStringLiteral("x.pdf")));
    WritePrinterCalibration(QStringLiteral("x"), PrinterCalibration{3.0, 3.0, 1.0, 1.0});
    QCOMPARE(CalibrationForPrinter(pdf), PrinterCalibration());
}

void TestCalibration::calibratedChequeLabelsLandByTheFormula()
{
    const QStringList rowsBefore = prnRows();
    QCOMPARE(rowsBefore.size(), 116);
    const PrinterCalibration calibration{1.5, -0.8, 1.01, 1.01};
    WritePrinterCalibration(QStringLiteral("Cheque printer"), calibration);

    TFrm_zz_print form;
    ApplyLayoutToLabels(&form, QStringLiteral("zz"));
    QList<QPair<QString, QString>> captions; // name, caption
    for (const ReportLabel* label : form.QRBand1->labels())
        captions.append({label->objectName(), label->caption()});

    int measured = 0;
    for (const auto& [name, text] : captions) {
        if (text.isEmpty())
            continue; // fjxx3 is not printed on "zz"
        // One label at a time, so that poppler cannot join it with a neighbour into one word.
        for (ReportLabel* label : form.QRBand1->labels())
            label->setCaption(label->objectName() == name ? text : QString());
        const ReportLabel* label = form.QRBand1->findChild<ReportLabel*>(name);
        const QPointF design = form.QuickRep1->labelTopLeftMm(*label);
        const QPointF expected = calibration.apply(design);

        // The top-left corner of the first glyph's line box, without and with the calibration.
        const auto firstGlyph = [&](const PrinterCalibration& c, const QString& file) {
            const QString path = m_forms->workDir().filePath(file);
            RenderReportToPdf(*form.QuickRep1, path, c);
            const QList<PdfPage> pages = ReadPdfWords(path);
            if (pages.size() != 1 || pages.first().words.isEmpty())
                return QRectF();
            QRectF first = pages.first().words.first().boxMm;
            for (const PdfWord& w : pages.first().words) {
                if (w.boxMm.left() < first.left())
                    first = w.boxMm;
            }
            return first;
        };
        const QRectF plain = firstGlyph(PrinterCalibration(), name + QStringLiteral("-plain.pdf"));
        const QRectF moved = firstGlyph(calibration, name + QStringLiteral("-calibrated.pdf"));
        QVERIFY2(!plain.isNull() && !moved.isNull(), qPrintable(name));
        // A caption that starts with blanks (" 收   款  人") shows its first glyph that far right of
        // the anchor, on every device: the anchor is where the text box starts.
        const QPointF blank(plain.left() - design.x(), plain.top() - design.y());
        const QString where = QStringLiteral("%1 \"%2\": at %3, %4 mm; design %5, %6; formula %7, %8; blank %9")
                                  .arg(name, text)
                                  .arg(moved.left(), 0, 'f', 3)
                                  .arg(moved.top(), 0, 'f', 3)
                                  .arg(design.x(), 0, 'f', 3)
                                  .arg(design.y(), 0, 'f', 3)
                                  .arg(expected.x(), 0, 'f', 3)
                                  .arg(expected.y(), 0, 'f', 3)
                                  .arg(blank.x(), 0, 'f', 3);
        if (!text.startsWith(u' ')) {
            QVERIFY2(qAbs(blank.x()) <= 0.05 && qAbs(blank.y()) <= 0.05, qPrintable(where));
        }
        QVERIFY2(qAbs(moved.left() - blank.x() - expected.x()) <= 0.05, qPrintable(where));
        QVERIFY2(qAbs(moved.top() - blank.y() - expected.y()) <= 0.05, qPrintable(where));
        // Font size unchanged: the same line box as without the calibration.
        QVERIFY2(qAbs(moved.height() - plain.height()) <= 0.01 && qAbs(moved.width() - plain.width()) <= 0.02,
                 qPrintable(where));
        ++measured;
    }
    QCOMPARE(measured, 32);
    QCOMPARE(prnRows(), rowsBefore);
}

void TestCalibration::calibrationPageShowsRulersAndCrosshairs()
{
    // Even with a calibration stored for the printer, the page shows the printer's own placing.
    WritePrinterCalibration(QStringLiteral("LaserJet"), PrinterCalibration{5.0, 5.0, 1.05, 1.05});
    const QString path = m_forms->workDir().filePath(QStringLiteral("page.pdf"));
    RenderCalibrationPageToPdf(path, QStringLiteral("LaserJet"));
    const QList<PdfPage> pages = ReadPdfWords(path);
    QCOMPARE(pages.size(), 1);
    const PdfPage& page = pages.first();
    QVERIFY2(qAbs(page.sizeMm.width() - 297.0) < 0.5 && qAbs(page.sizeMm.height() - 200.0) < 0.5,
             qPrintable(page.dump()));
    // Ruler numbers centred on their ticks: 100 along the top edge, 150 along the left one.
    bool top100 = false;
    bool left150 = false;
    for (const PdfWord& w : page.find(QStringLiteral("100"))) {
        if (w.boxMm.top() < 15.0 && qAbs(w.boxMm.center().x() - 100.0) < 0.3)
            top100 = true;
    }
    for (const PdfWord& w : page.find(QStringLiteral("150"))) {
        if (w.boxMm.left() < 15.0 && qAbs(w.boxMm.center().y() - 150.0) < 2.0)
            left150 = true;
    }
    QVERIFY2(top100, qPrintable(page.dump()));
    QVERIFY2(left150, qPrintable(page.dump()));
    // Each crosshair's label just below and right of its centre.
    for (int n = 1; n <= 4; ++n) {
        const QPointF c = CalibrationCrosshair(n);
        const QList<PdfWord> words = page.findStarting(QStringLiteral("%1号").arg(n));
        QVERIFY2(words.size() == 1, qPrintable(page.dump()));
        QVERIFY2(qAbs(words.first().boxMm.left() - (c.x() + 2.5)) < 0.1, qPrintable(page.dump()));
        QVERIFY2(qAbs(words.first().boxMm.top() - (c.y() + 2.5)) < 0.1, qPrintable(page.dump()));
        QVERIFY2(page.contains(QStringLiteral("(%1,").arg(c.x(), 0, 'f', 0)), qPrintable(page.dump()));
    }
    QVERIFY2(page.contains(QStringLiteral("LaserJet")), qPrintable(page.dump()));
}

void TestCalibration::crosshairsFollowThePaper_data()
{
    QTest::addColumn<QPageSize>("paper");
    QTest::addColumn<QPointF>("sheet");
    QTest::addColumn<QPointF>("third"); // crosshair 3, the lower right one
    QTest::newRow("no paper: the designed page") << QPageSize() << QPointF(297, 200) << QPointF(260, 120);
    QTest::newRow("A4, portrait") << QPageSize(QPageSize::A4) << QPointF(210, 297) << QPointF(185, 120);
    QTest::newRow("A3") << QPageSize(QPageSize::A3) << QPointF(297, 420) << QPointF(260, 120);
    QTest::newRow("a wide custom paper stays as it is defined")
        << QPageSize(QSizeF(240, 90), QPageSize::Millimeter) << QPointF(240, 90) << QPointF(215, 65);
    QTest::newRow("a narrow paper") << QPageSize(QSizeF(80, 90), QPageSize::Millimeter) << QPointF(80, 90)
                                    << QPointF(55, 65);
    QTest::newRow("smaller than the crosshairs: they keep 20 mm apart")
        << QPageSize(QSizeF(40, 40), QPageSize::Millimeter) << QPointF(40, 40) << QPointF(50, 50);
}

void TestCalibration::crosshairsFollowThePaper()
{
    QFETCH(QPageSize, paper);
    QFETCH(QPointF, sheet);
    QFETCH(QPointF, third);
    const QSizeF size = CalibrationSheetMm(paper);
    QCOMPARE(QPointF(size.width(), size.height()), sheet);
    QCOMPARE(CalibrationCrosshair(1, size), QPointF(30, 30));
    QCOMPARE(CalibrationCrosshair(2, size), QPointF(third.x(), 30));
    QCOMPARE(CalibrationCrosshair(3, size), third);
    QCOMPARE(CalibrationCrosshair(4, size), QPointF(30, third.y()));
    // Diagonal pairs still solve: the printer that adds 1 mm everywhere is found on any paper.
    const PrinterCalibration c = SolveCalibration(
        CalibrationCrosshair(1, size), CalibrationCrosshair(1, size) + QPointF(1, 1), CalibrationCrosshair(3, size),
        CalibrationCrosshair(3, size) + QPointF(1, 1));
    QCOMPARE(c, (PrinterCalibration{-1.0, -1.0, 1.0, 1.0}));
}

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
