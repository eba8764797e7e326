// The printer calibration panel driven as the operator does: the menu item, the printer list,
// typing and storing values, working them out from two measured crosshairs, and the calibration
// page, with the scripted prompter recording every message.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "print/Calibration.h"
#include "print/Report.h"
#include "printsetup/CalibrationPanel.h"
#include "store/PrinterSettings.h"
#include "tests/support/PdfWords.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <memory>

using namespace Zt_typro;

namespace
{
template <typename T>
T* child(const char* name)
{
    T* w = Frm_main->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qWarning("no component %s", name);
    return w;
}

void setText(const char* name, const QString& text)
{
    auto* e = child<QLineEdit>(name);
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
}

void click(const char* name)
{
    auto* b = child<QPushButton>(name);
    QVERIFY2(b && b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

QStringList fieldTexts()
{
    return {child<QLineEdit>("Edit_pyx")->text(), child<QLineEdit>("Edit_pyy")->text(),
            child<QLineEdit>("Edit_blx")->text(), child<QLineEdit>("Edit_bly")->text()};
}
} // namespace

class TestCalibrationPanel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menuOpensThePanel();
    void withoutPrinterThePanelSaysSoAndStaysUsable();
    void choosingAPrinterShowsItsValues();
    void storesTypedValuesUnderThePrinter();
    void refusesValuesOutOfRange_data();
    void refusesValuesOutOfRange();
    void worksOutTheCalibrationFromTwoCrosshairs();
    void printsTheCalibrationPage();
    void realPrinterQueue();

private:
    CalibrationPanel* panel() const { return child<CalibrationPanel>("Panel_dyjjz"); }
    std::unique_ptr<FormsFixture> m_forms;
    std::unique_ptr<ScriptedPrompter> m_prompter;
};

void TestCalibrationPanel::init()
{
    m_forms = std::make_unique<FormsFixture>();
    m_prompter = std::make_unique<ScriptedPrompter>();
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bexholt"), QStringLiteral("qc")).clear();
    Frm_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frm_main));
}

void TestCalibrationPanel::cleanup()
{
    m_prompter.reset();
    m_forms.reset();
}

void TestCalibrationPanel::menuOpensThePanel()
{
    auto* item = child<QAction>("dyj_jz");
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("打印机校准(&C)"));
    QVERIFY(!panel()->isVisible());
    item->trigger();
    QVERIFY(panel()->isVisible());
    QCOMPARE(child<QLabel>("Label_dyjjz")->text(), QStringLiteral("打印机校准"));
    QCOMPARE(child<QPushButton>("Button_dyjjz_qd")->text(), QStringLiteral("确 定"));
    QCOMPARE(child<QPushButton>("Button_jzy")->text(), QStringLiteral("打印校准页"));
    QCOMPARE(child<QPushButton>("Button_jzjs")->text(), QStringLiteral("计算"));
    QStringList listed;
    for (int i = 0; i < child<QComboBox>("ComboBox_dyj")->count(); ++i)
        listed.append(child<QComboBox>("ComboBox_dyj")->itemText(i));
    QCOMPARE(listed, QPrinterInfo::availablePrinterNames());
    QCOMPARE(fieldTexts(), (QStringList{"0.0", "0.0", "1.0000", "1.0000"}));
    // The close button hides it, like every working panel.
    click("BitBtn_dyjjz_close");
    QVERIFY(!panel()->isVisible());
}

void TestCalibrationPanel::withoutPrinterThePanelSaysSoAndStaysUsable()
{
    panel()->show();
    panel()->fillPrinters({});
    QCOMPARE(child<QLabel>("Label_dyjts")->text(),
             QStringLiteral("本机没有安装打印机: 可以先算出校准值，装好打印机后再保存和打印校准页。"));
    click("Button_dyjjz_qd");
    QCOMPARE(m_prompter->last().kind, QStringLiteral("error"));
    QCOMPARE(m_prompter->last().text, QStringLiteral("没有选择打印机，校准值无法保存。"));
    click("Button_jzy");
    QCOMPARE(m_prompter->last().text, QStringLiteral("本机没有安装打印机，无法打印校准页。"));
    QCOMPARE(m_prompter->prints, 0);
    // The values can still be worked out.
    setText("Edit_cl1x", QStringLiteral("31.0"));
    setText("Edit_cl1y", QStringLiteral("29.0"));
    setText("Edit_cl2x", QStringLiteral("261.0"));
    setText("Edit_cl2y", QStringLiteral("119.0"));
    click("Button_jzjs");
    QCOMPARE(fieldTexts(), (QStringList{"-1.0", "1.0", "1.0000", "1.0000"}));
    QVERIFY(panel()->isVisible());
}

void TestCalibrationPanel::choosingAPrinterShowsItsValues()
{
    WritePrinterCalibration(QStringLiteral("柜台"), PrinterCalibration{-2.5, 0.4, 0.99, 1.02});
    panel()->show();
    panel()->fillPrinters({QStringLiteral("Office HP"), QStringLiteral("柜台")});
    QCOMPARE(child<QLabel>("Label_dyjts")->text(),
             QStringLiteral("纸张和校准值只用于这台打印机; PDF 输出和打印预览不使用校准。"));
    QCOMPARE(child<QComboBox>("ComboBox_dyj")->currentText(), QStringLiteral("Office HP"));
    QCOMPARE(fieldTexts(), (QStringList{"0.0", "0.0", "1.0000", "1.0000"}));
    child<QComboBox>("ComboBox_dyj")->setCurrentIndex(1);
    QCOMPARE(fieldTexts(), (QStringList{"-2.5", "0.4", "0.9900", "1.0200"}));
    child<QComboBox>("ComboBox_dyj")->setCurrentIndex(0);
    QCOMPARE(fieldTexts(), (QStringList{"0.0", "0.0", "1.0000", "1.0000"}));
}

void TestCalibrationPanel::storesTypedValuesUnderThePrinter()
{
    panel()->show();
    panel()->fillPrinters({QStringLiteral("Office HP"), QStringLiteral("柜台")});
    child<QComboBox>("ComboBox_dyj")->setCurrentIndex(1);
    setText("Edit_pyx", QStringLiteral("1.5"));
    setText("Edit_pyy", QStringLiteral("-0.8"));
    setText("Edit_blx", QStringLiteral("1.01"));
    setText("Edit_bly", QStringLiteral("1.01"));
    click("Button_dyjjz_qd");
    QVERIFY2(m_prompter->ofKind(QStringLiteral("error")).isEmpty(), qPrintable(m_prompter->last().text));
    QCOMPARE(ReadPrinterCalibration(QStringLiteral("柜台")), (PrinterCalibration{1.5, -0.8, 1.01, 1.01}));
    QCOMPARE(ReadPrinterCalibration(QStringLiteral("Office HP")), PrinterCalibration());
    QCOMPARE(child<QLabel>("Label_jzjg")->text(), QStringLiteral("已保存打印机“柜台”的纸张和校准值。"));
    QCOMPARE(fieldTexts(), (QStringList{"1.5", "-0.8", "1.0100", "1.0100"}));
}

void TestCalibrationPanel::refusesValuesOutOfRange_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("offset x") << "Edit_pyx" << "25" << "横向偏移 25 毫米超出范围: 偏移量应在 -20.0 到 +20.0 毫米之间。";
    QTest::newRow("offset y") << "Edit_pyy" << "-20.5" << "纵向偏移 -20.5 毫米超出范围: 偏移量应在 -20.0 到 +20.0 毫米之间。";
    QTest::newRow("scale x") << "Edit_blx" << "0.9" << "横向比例 0.9 超出范围: 比例应在 0.95 到 1.05 之间。";
    QTest::newRow("scale y") << "Edit_bly" << "1,01"
                             << "纵向比例“1,01”不是有效的比例: 请输入 0.95 到 1.05 之间的数，最多四位小数，如 1.01。";
}

void TestCalibrationPanel::refusesValuesOutOfRange()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    WritePrinterCalibration(QStringLiteral("Office HP"), PrinterCalibration{1.0, 1.0, 1.0, 1.0});
    panel()->show();
    panel()->fillPrinters({QStringLiteral("Office HP")});
    setText(field.toLatin1().constData(), text);
    click("Button_dyjjz_qd");
    QCOMPARE(m_prompter->last().kind, QStringLiteral("error"));
    QCOMPARE(m_prompter->last().text, message);
    QCOMPARE(ReadPrinterCalibration(QStringLiteral("Office HP")), (PrinterCalibration{1.0, 1.0, 1.0, 1.0}));
}

void TestCalibrationPanel::worksOutTheCalibrationFromTwoCrosshairs()
{
    panel()->show();
    panel()->fillPrinters({QStringLiteral("Office HP")});
    // The printer puts x at 4.2 + 0.98 × x and y at y − 0.5: crosshair 2 (260, 30) landed at
    // (259.0, 29.5), crosshair 4 (30, 120) at (33.6, 119.5). The correction: scale 1 / 0.98, offset
    // −4.2 / 0.98 = −4.29 → −4.3 mm; y: scale 1, offset +0.5.
    child<QComboBox>("ComboBox_sz1")->setCurrentIndex(1);
    child<QComboBox>("ComboBox_sz2")->setCurrentIndex(3);
    setText("Edit_cl1x", QStringLiteral("259.0"));
    setText("Edit_cl1y", QStringLiteral("29.5"));
    setText("Edit_cl2x", QStringLiteral("33.6"));
    setText("Edit_cl2y", QStringLiteral("119.5"));
    click("Button_jzjs");
    QVERIFY2(m_prompter->ofKind(QStringLiteral("error")).isEmpty(), qPrintable(m_prompter->last().text));
    QCOMPARE(fieldTexts(), (QStringList{"-4.3", "0.5", "1.0204", "1.0000"}));
    QCOMPARE(child<QLabel>("Label_jzjg")->text(), QStringLiteral("算得: 偏移 -4.3, 0.5 毫米, 比例 1.0204, 1.0000。按“确 定”保存。"));
    // Shown, not yet stored.
    QCOMPARE(ReadPrinterCalibration(QStringLiteral("Office HP")), PrinterCalibration());
    click("Button_dyjjz_qd");
    QCOMPARE(ReadPrinterCalibration(QStringLiteral("Office HP")), (PrinterCalibration{-4.3, 0.5, 1.0204, 1.0}));

    // A measurement that asks for more than the range is refused, the fields keep their values.
    setText("Edit_cl1x", QStringLiteral("200"));
    click("Button_jzjs");
    QCOMPARE(m_prompter->last().kind, QStringLiteral("error"));
    QVERIFY2(m_prompter->last().text.contains(QStringLiteral("超出范围")), qPrintable(m_prompter->last().text));
    QCOMPARE(fieldTexts(), (QStringList{"-4.3", "0.5", "1.0204", "1.0000"}));
    // Typing nonsense is named.
    setText("Edit_cl2y", QStringLiteral("abc"));
    click("Button_jzjs");
    QCOMPARE(m_prompter->last().text,
             QStringLiteral("第二个十字线的纵向位置“abc”不是有效的测量值: 请输入从纸边量起的毫米数，如 31.5。"));
}

void TestCalibrationPanel::printsTheCalibrationPage()
{
    panel()->show();
    panel()->fillPrinters({QStringLiteral("Office HP"), QStringLiteral("柜台")});
    child<QComboBox>("ComboBox_dyj")->setCurrentIndex(1);
    const QString path = m_forms->workDir().filePath(QStringLiteral("page.pdf"));
    m_prompter->onPage = [&path](const std::function<void(QPrinter*)>& paint) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        paint(&printer);
    };
    click("Button_jzy");
    QVERIFY2(m_prompter->ofKind(QStringLiteral("error")).isEmpty(), qPrintable(m_prompter->last().text));
    QCOMPARE(m_prompter->prints, 1);
    const QList<PdfPage> pages = ReadPdfWords(path);
    QCOMPARE(pages.size(), 1);
    QVERIFY2(pages.first().contains(QStringLiteral("柜台")), qPrintable(pages.first().dump()));
    for (int n = 1; n <= 4; ++n) {
        QVERIFY2(pages.first().findStarting(QStringLiteral("%1号").arg(n)).size() == 1,
                 qPrintable(pages.first().dump()));
    }

    QCOMPARE(m_prompter->last().kind, QStringLiteral("print"));
    QCOMPARE(m_prompter->last().text, QStringLiteral("柜台")); // the chosen printer, by name

    // Without a default printer in the system the page still goes to the chosen one.
    m_prompter->printerAvailable = false;
    click("Button_jzy");
    QVERIFY2(m_prompter->ofKind(QStringLiteral("error")).isEmpty(), qPrintable(m_prompter->last().text));
    QCOMPARE(m_prompter->prints, 2);
    QCOMPARE(m_prompter->last().text, QStringLiteral("柜台"));
}

void TestCalibrationPanel::realPrinterQueue()
{
    // Against the test command's private print queues: the papers are the printer's own, the
    // crosshairs follow the paper, and the paper chosen is kept with the calibration and used by
    // the renderer for that printer.
    const QString custom = QStringLiteral("quillmate-custom");
    const QString a4 = QStringLiteral("quillmate-a4");
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    if (!printers.contains(custom) || !printers.contains(a4))
        QSKIP("the private print queues are not running (the test command starts them as root)");
    child<QAction>("dyj_jz")->trigger();
    auto* printerBox = child<QComboBox>("ComboBox_dyj");
    auto* paperBox = child<QComboBox>("ComboBox_zhizhang");
    QCOMPARE(printerBox->currentText(), QPrinterInfo::defaultPrinterName());

    printerBox->setCurrentIndex(printerBox->findText(a4));
    QStringList papers;
    for (int i = 0; i < paperBox->count(); ++i)
        papers << paperBox->itemText(i);
    QCOMPARE(papers, (QStringList{QStringLiteral("打印机默认纸张: A4 (210 × 297 毫米)"),
                                  QStringLiteral("A4 (210 × 297 毫米)")}));
    QCOMPARE(child<QComboBox>("ComboBox_sz2")->itemText(1), QStringLiteral("2号 (185, 30)"));
    // A4 portrait is narrower than the forms: the panel says what that means.
    QCOMPARE(child<QLabel>("Label_dyjts")->text(),
             QStringLiteral("纸张小于票据版面 297 × 200 毫米: 纸外的内容打印不出来。"));
    QCOMPARE(child<QComboBox>("ComboBox_sz1")->itemText(2), QStringLiteral("3号 (185, 120)"));
    // Measured on A4, 2号 and 4号 are worked out from where they really are on that paper (at
    // 260 mm, 186 mm would be far out of range).
    child<QComboBox>("ComboBox_sz1")->setCurrentIndex(1);
    child<QComboBox>("ComboBox_sz2")->setCurrentIndex(3);
    setText("Edit_cl1x", QStringLiteral("186"));
    setText("Edit_cl1y", QStringLiteral("31"));
    setText("Edit_cl2x", QStringLiteral("31"));
    setText("Edit_cl2y", QStringLiteral("121"));
    click("Button_jzjs");
    QVERIFY2(m_prompter->ofKind(QStringLiteral("error")).isEmpty(), qPrintable(m_prompter->last().text));
    QCOMPARE(fieldTexts(), (QStringList{"-1.0", "-1.0", "1.0000", "1.0000"}));

    // A3 on the custom-size queue, stored with its calibration.
    printerBox->setCurrentIndex(printerBox->findText(custom));
    const int a3 = paperBox->findData(QStringLiteral("A3"));
    QVERIFY(a3 > 0);
    QCOMPARE(paperBox->itemText(a3), QStringLiteral("A3 (297 × 420 毫米)"));
    paperBox->setCurrentIndex(a3);
    QCOMPARE(child<QComboBox>("ComboBox_sz2")->itemText(1), QStringLiteral("2号 (260, 30)"));
    QCOMPARE(child<QLabel>("Label_dyjts")->text(),
             QStringLiteral("纸张和校准值只用于这台打印机; PDF 输出和打印预览不使用校准。"));
    setText("Edit_pyx", QStringLiteral("1.5"));
    setText("Edit_pyy", QStringLiteral("-0.8"));
    setText("Edit_blx", QStringLiteral("1.01"));
    setText("Edit_bly", QStringLiteral("1.01"));
    click("Button_dyjjz_qd");
    QCOMPARE(ReadPrinterPaper(custom), QStringLiteral("A3"));
    QCOMPARE(PaperForPrinter(custom).key(), QStringLiteral("A3"));
    QCOMPARE(PaperForPrinter(a4).key(), QStringLiteral("A4")); // nothing stored for it: its default
    QPrinter printer(QPrinterInfo::printerInfo(custom), QPrinter::HighResolution);
    QCOMPARE(printer.printerName(), custom);
    QCOMPARE(CalibrationForPrinter(printer), (PrinterCalibration{1.5, -0.8, 1.01, 1.01}));
    QCOMPARE(PageForPrinter(printer, QPageSize(QPageSize::A5)).key(), QStringLiteral("A3"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    QCOMPARE(PageForPrinter(printer, QPageSize(QPageSize::A5)).key(), QStringLiteral("A5")); // PDF: the designed page

    // Shown again as stored; a paper the printer no longer offers falls back to its default, and
    // the panel says so.
    printerBox->setCurrentIndex(printerBox->findText(a4));
    printerBox->setCurrentIndex(printerBox->findText(custom));
    QCOMPARE(paperBox->currentData().toString(), QStringLiteral("A3"));
    WritePrinterPaper(custom, QStringLiteral("NoSuchPaper"));
    QCOMPARE(PaperForPrinter(custom).key(), PrinterDefaultPaper(custom).key());
    printerBox->setCurrentIndex(printerBox->findText(a4));
    printerBox->setCurrentIndex(printerBox->findText(custom));
    QCOMPARE(paperBox->currentIndex(), 0);
    QVERIFY2(child<QLabel>("Label_jzjg")->text().contains(QStringLiteral("NoSuchPaper")),
             qPrintable(child<QLabel>("Label_jzjg")->text()));
}

QTEST_MAIN(TestCalibrationPanel)
#include "tst_calibrationpanel.moc"
