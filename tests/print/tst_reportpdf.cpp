#include "app/Forms.h"
#include "common/Error.h"
#include "common/Prompt.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "store/DataModule.h"
#include "tests/support/PdfWords.h"
#include "tests/support/PrnRows.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/Shortcuts.h"
#include "tests/support/TestEnv.h"

#include <QPrinter>
#include <QTest>

#include <memory>

using namespace Zt_typro;

// Where a label lands is measured on the PDF itself: pdftotext -bbox reports for each word the
// pen position where its first glyph starts (xMin) and the top of the font's line box (yMin =
// baseline - ascent of the font as embedded in the PDF). The renderer anchors a label's text box
// with Qt::AlignLeft | Qt::AlignTop, so its top edge is the baseline minus QFontMetrics' ascent of
// the same face at the same size: both numbers name the same point of the page.
class TestReportPdf : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void labelLandsOnThePage_data();
    void labelLandsOnThePage();
    void blankLabelPrintsNothing();
    void pageIsTheReportsPage_data();
    void pageIsTheReportsPage();
    void samplePrintSendsTheLayoutPage_data();
    void samplePrintSendsTheLayoutPage();
    void samplePrintWithoutPrinterSaysSo();
    void missingGlyphIsReportedNotPrinted();

private:
    QString pdfPath(const QString& name) const { return m_forms->workDir().filePath(name + QStringLiteral(".pdf")); }
    std::unique_ptr<FormsFixture> m_forms;
};

void TestReportPdf::init()
{
    m_forms = std::make_unique<FormsFixture>();
}

void TestReportPdf::cleanup()
{
    m_forms.reset();
}

void TestReportPdf::labelLandsOnThePage_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("kjmc");
    QTest::addColumn<QVariant>("kjx"); // invalid: keep the initial row
    QTest::addColumn<QVariant>("kjy");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("leftMm");
    QTest::addColumn<double>("topMm");

    // Initial "zz" row of P_zz_fen: 715, 103 -> 10 + 715 × 25.4/96, 5 + 103 × 25.4/96.
    QTest::newRow("zz fen as delivered") << true << "zz" << "P_zz_fen" << QVariant() << QVariant() << "分" << 199.18
                                         << 32.25;
    QTest::newRow("zz corner of the band") << true << "zz" << "P_zz_fen" << QVariant(0) << QVariant(0) << "分" << 10.0
                                           << 5.0;
    QTest::newRow("xj stub payee") << true << "xj" << "P_zz_skrcg" << QVariant(300) << QVariant(200) << "收款人存根"
                                   << 89.375 << 57.917;
    QTest::newRow("zz dragged off the canvas") << true << "zz" << "P_zz_dx" << QVariant(-20) << QVariant(-10)
                                               << "大写金额" << 4.708 << 2.354;
    // Initial "dhpz" row of P_pz_fen: 642, 140 -> 5 + 642 × 25.4/96, 5 + 140 × 25.4/96.
    QTest::newRow("dhpz fen as delivered") << false << "dhpz" << "P_pz_fen" << QVariant() << QVariant() << "分"
                                           << 174.86 << 42.04;
    QTest::newRow("jzd corner of the band") << false << "jzd" << "P_pz_skrmc" << QVariant(0) << QVariant(0)
                                            << "收" << 5.0 << 5.0;
}

void TestReportPdf::labelLandsOnThePage()
{
    QFETCH(bool, cheque);
    QFETCH(QString, code);
    QFETCH(QString, kjmc);
    QFETCH(QVariant, kjx);
    QFETCH(QVariant, kjy);
    QFETCH(QString, text);
    QFETCH(double, leftMm);
    QFETCH(double, topMm);

    if (kjx.isValid()) {
        ExecPrn(QStringLiteral("update prn set kjx = ?, kjy = ? where kjmc = ? and win = ?"), {kjx, kjy, kjmc, code});
        if (QTest::currentTestFailed())
            return;
    }
    const QString path = pdfPath(QStringLiteral("page"));
    // Only the label under test keeps its text, so that poppler cannot join its glyphs with a
    // neighbour's (the digit boxes lie 16 units apart) into one word.
    const auto renderAlone = [&](ReportBand* band, Report* report) {
        ApplyLayoutToBand(*band, *(cheque ? D_M->ADOQ_zb : D_M->ADOQ_zb_pz), code);
        for (ReportLabel* label : band->labels()) {
            if (label->key() != RowFieldKey(kjmc))
                label->setCaption(QString());
        }
        RenderReportToPdf(*report, path);
    };
    if (cheque) {
        TFrm_zz_print form;
        renderAlone(form.QRBand1, form.QuickRep1);
    } else {
        TFrm_pz_print form;
        renderAlone(form.QRBand1, form.QuickRep1);
    }

    const QList<PdfPage> pages = ReadPdfWords(path);
    QCOMPARE(pages.size(), 1);
    const QList<PdfWord> words = pages.first().findStarting(text);
    QVERIFY2(words.size() == 1, qPrintable(pages.first().dump()));
    const PdfWord best = words.first();
    const QString where = QStringLiteral("\"%1\" at %2 mm, %3 mm; expected %4 mm, %5 mm")
                              .arg(text)
                              .arg(best.boxMm.left(), 0, 'f', 4)
                              .arg(best.boxMm.top(), 0, 'f', 4)
                              .arg(leftMm, 0, 'f', 4)
                              .arg(topMm, 0, 'f', 4);
    QVERIFY2(qAbs(best.boxMm.left() - leftMm) <= 0.1, qPrintable(where));
    QVERIFY2(qAbs(best.boxMm.top() - topMm) <= 0.1, qPrintable(where));
    // 10 pt text: the line box of this face is 1.2 to 1.5 em high, 3.5 to 5.3 mm.
    QVERIFY2(best.boxMm.height() > 3.5 && best.boxMm.height() < 5.3, qPrintable(where));
    qInfo().noquote() << where;
}

void TestReportPdf::blankLabelPrintsNothing()
{
    // Initial "xj": 附加信息一, 二, 三 and 付款行名称 are not printed; 附加信息四 is.
    TFrm_zz_print form;
    ApplyLayoutToLabels(&form, QStringLiteral("xj"));
    const QString path = pdfPath(QStringLiteral("xj"));
    RenderReportToPdf(*form.QuickRep1, path);
    const QList<PdfPage> pages = ReadPdfWords(path);
    QCOMPARE(pages.size(), 1);
    const PdfPage& page = pages.first();
    QVERIFY2(!page.contains(QStringLiteral("附加信息一")), qPrintable(page.dump()));
    QVERIFY2(!page.contains(QStringLiteral("附加信息二")), qPrintable(page.dump()));
    QVERIFY2(!page.contains(QStringLiteral("附加信息三")), qPrintable(page.dump()));
    QVERIFY2(!page.contains(QStringLiteral("付款行名称")), qPrintable(page.dump()));
    QVERIFY2(page.contains(QStringLiteral("附加信息四")), qPrintable(page.dump()));
    QVERIFY2(page.contains(QStringLiteral("出票人帐号")), qPrintable(page.dump()));
    QVERIFY2(page.contains(QStringLiteral("杤")), qPrintable(page.dump()));
}

void TestReportPdf::pageIsTheReportsPage_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");
    QTest::newRow("cheque") << true << 297.0 << 200.0;
    QTest::newRow("voucher") << false << 297.0 << 150.0;
}

void TestReportPdf::pageIsTheReportsPage()
{
    QFETCH(bool, cheque);
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);
    const QString path = pdfPath(QStringLiteral("design"));
    if (cheque)
        RenderReportToPdf(*TFrm_zz_print().QuickRep1, path);
    else
        RenderReportToPdf(*TFrm_pz_print().QuickRep1, path);
    const QList<PdfPage> pages = ReadPdfWords(path);
    QCOMPARE(pages.size(), 1);
    // The PDF's page box is kept in whole points (0.35 mm), so it is the page to within half a point.
    QVERIFY2(qAbs(pages.first().sizeMm.width() - widthMm) < 0.18,
             qPrintable(QString::number(pages.first().sizeMm.width())));
    QVERIFY2(qAbs(pages.first().sizeMm.height() - heightMm) < 0.18,
             qPrintable(QString::number(pages.first().sizeMm.height())));
}

void TestReportPdf::samplePrintSendsTheLayoutPage_data()
{
    QTest::addColumn<bool>("cheque");
    QTest::addColumn<QString>("code");
    QTest::addColumn<double>("heightMm");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("leftMm");
    QTest::addColumn<double>("topMm");
    // Initial "zz" P_zz_jecg: 45, 168; initial "dhpz" P_pz_cprmc: 97, 62.
    QTest::newRow("cheque zz") << true << "zz" << 200.0 << "金额存根" << 21.906 << 49.45;
    QTest::newRow("voucher dhpz") << false << "dhpz" << 150.0 << "出票人名称" << 30.665 << 21.404;
}

void TestReportPdf::samplePrintSendsTheLayoutPage()
{
    QFETCH(bool, cheque);
    QFETCH(QString, code);
    QFETCH(double, heightMm);
    QFETCH(QString, text);
    QFETCH(double, leftMm);
    QFETCH(double, topMm);

    // The page the sample print hands to the printer, printed into a PDF file instead.
    ScriptedPrompter prompts;
    const QString path = pdfPath(QStringLiteral("sample"));
    prompts.onPage = [&path](const std::function<void(QPrinter*)>& paint) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        paint(&printer);
    };
    if (cheque) {
        TFrm_zz_print form;
        PrintChequeSample(&form, code);
        QVERIFY(!D_M->ADOQ_zb->isOpen());
    } else {
        TFrm_pz_print form;
        PrintVoucherSample(&form, code);
        QVERIFY(!D_M->ADOQ_zb_pz->isOpen());
    }
    QCOMPARE(prompts.prints, 1);
    QCOMPARE(prompts.previews, 0);

    const QList<PdfPage> pages = ReadPdfWords(path);
    QCOMPARE(pages.size(), 1);
    QVERIFY(qAbs(pages.first().sizeMm.width() - 297.0) < 0.18);
    QVERIFY(qAbs(pages.first().sizeMm.height() - heightMm) < 0.18);
    const QList<PdfWord> words = pages.first().findStarting(text);
    QVERIFY2(words.size() == 1, qPrintable(pages.first().dump()));
    const QString where = QStringLiteral("%1 mm, %2 mm").arg(words.first().boxMm.left()).arg(words.first().boxMm.top());
    QVERIFY2(qAbs(words.first().boxMm.left() - leftMm) <= 0.1, qPrintable(where));
    QVERIFY2(qAbs(words.first().boxMm.top() - topMm) <= 0.1, qPrintable(where));
}

void TestReportPdf::samplePrintWithoutPrinterSaysSo()
{
    ScriptedPrompter prompts;
    prompts.printerAvailable = false;
    TFrm_zz_print form;
    try {
        PrintChequeSample(&form, QStringLiteral("zz"));
        QFAIL("a sample print without a printer must report it");
    } catch (const AppError& e) {
        QCOMPARE(e.message(), QStringLiteral("没有可用的打印机: 请先在系统中安装并设置默认打印机。"));
    }
    QVERIFY(!D_M->ADOQ_zb->isOpen());
}

void TestReportPdf::missingGlyphIsReportedNotPrinted()
{
    TFrm_pz_print form;
    // A private-use character: no installed face has a glyph for it.
    form.QRL_dx->setCaption(QStringLiteral("壹佰元") + QChar(0xE000));
    const QString path = pdfPath(QStringLiteral("boxes"));
    try {
        RenderReportToPdf(*form.QuickRep1, path);
        QFAIL("a caption without glyphs must be reported");
    } catch (const AppError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("QRL_dx")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("打印出来会是方框")), qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
