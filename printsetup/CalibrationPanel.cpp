#include "printsetup/CalibrationPanel.h"

#include "common/Error.h"
#include "common/Guard.h"
#include "common/Named.h"
#include "common/Prompt.h"
#include "print/Calibration.h"
#include "print/CalibrationPage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

using Zt_typro::named;

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_dyjjz", "Image_dyjjz", "Label_dyjjz", "BitBtn_dyjjz_close", "打印机校准"};

QLabel* caption(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = named<QLabel>(parent, name);
    label->setText(text);
    label->setGeometry(geometry);
    return label;
}

QLineEdit* edit(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* e = named<QLineEdit>(parent, name);
    e->setGeometry(geometry);
    e->setMaxLength(10);
    return e;
}

// The crosshairs of the calibration page on a sheet, by number, as the page labels them.
void nameCrosshairs(QComboBox* box, QSizeF sheetMm)
{
    for (int n = 1; n <= 4; ++n) {
        const QPointF c = Zt_typro::CalibrationCrosshair(n, sheetMm);
        const QString text = QStringLiteral("%1号 (%2, %3)").arg(n).arg(c.x(), 0, 'f', 0).arg(c.y(), 0, 'f', 0);
        if (box->count() < n)
            box->addItem(text, n);
        else
            box->setItemText(n - 1, text);
    }
}

QComboBox* crosshairChoice(QWidget* parent, const char* name, int chosen, const QRect& geometry)
{
    auto* box = named<QComboBox>(parent, name);
    nameCrosshairs(box, QSizeF(Zt_typro::CalibrationPageWidthMm, Zt_typro::CalibrationPageHeightMm));
    box->setCurrentIndex(chosen - 1);
    box->setGeometry(geometry);
    return box;
}
} // namespace

CalibrationPanel::CalibrationPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 460, 378))
{
    Image_dyjjz = titleStrip();
    Label_dyjjz = titleLabel();
    BitBtn_dyjjz_close = closeButton();

    Label_dyj = caption(this, "Label_dyj", QStringLiteral("打印机"), QRect(16, 40, 50, 22));
    ComboBox_dyj = named<QComboBox>(this, "ComboBox_dyj");
    ComboBox_dyj->setGeometry(72, 40, 372, 22);
    Label_zhizhang = caption(this, "Label_zhizhang", QStringLiteral("纸张"), QRect(16, 66, 50, 22));
    ComboBox_zhizhang = named<QComboBox>(this, "ComboBox_zhizhang");
    ComboBox_zhizhang->setGeometry(72, 66, 372, 22);
    Label_dyjts = caption(this, "Label_dyjts", QString(), QRect(16, 90, 428, 20));

    GroupBox_jzz = named<QGroupBox>(this, "GroupBox_jzz");
    GroupBox_jzz->setTitle(QStringLiteral("校准值（打印位置 = 偏移 + 比例 × 版面位置）"));
    GroupBox_jzz->setGeometry(16, 114, 428, 80);
    Label_pyx = caption(GroupBox_jzz, "Label_pyx", QStringLiteral("横向偏移(毫米)"), QRect(8, 22, 96, 22));
    Edit_pyx = edit(GroupBox_jzz, "Edit_pyx", QRect(108, 22, 80, 22));
    Label_pyy = caption(GroupBox_jzz, "Label_pyy", QStringLiteral("纵向偏移(毫米)"), QRect(8, 50, 96, 22));
    Edit_pyy = edit(GroupBox_jzz, "Edit_pyy", QRect(108, 50, 80, 22));
    Label_blx = caption(GroupBox_jzz, "Label_blx", QStringLiteral("横向比例"), QRect(220, 22, 96, 22));
    Edit_blx = edit(GroupBox_jzz, "Edit_blx", QRect(320, 22, 80, 22));
    Label_bly = caption(GroupBox_jzz, "Label_bly", QStringLiteral("纵向比例"), QRect(220, 50, 96, 22));
    Edit_bly = edit(GroupBox_jzz, "Edit_bly", QRect(320, 50, 80, 22));

    GroupBox_cl = named<QGroupBox>(this, "GroupBox_cl");
    GroupBox_cl->setTitle(QStringLiteral("校准页上量得的十字线中心（从纸的左边、上边量起，毫米）"));
    GroupBox_cl->setGeometry(16, 202, 428, 108);
    ComboBox_sz1 = crosshairChoice(GroupBox_cl, "ComboBox_sz1", 1, QRect(8, 22, 120, 22));
    caption(GroupBox_cl, "Label_cl1x", QStringLiteral("横"), QRect(136, 22, 20, 22));
    Edit_cl1x = edit(GroupBox_cl, "Edit_cl1x", QRect(156, 22, 70, 22));
    caption(GroupBox_cl, "Label_cl1y", QStringLiteral("纵"), QRect(234, 22, 20, 22));
    Edit_cl1y = edit(GroupBox_cl, "Edit_cl1y", QRect(254, 22, 70, 22));
    ComboBox_sz2 = crosshairChoice(GroupBox_cl, "ComboBox_sz2", 3, QRect(8, 50, 120, 22));
    caption(GroupBox_cl, "Label_cl2x", QStringLiteral("横"), QRect(136, 50, 20, 22));
    Edit_cl2x = edit(GroupBox_cl, "Edit_cl2x", QRect(156, 50, 70, 22));
    caption(GroupBox_cl, "Label_cl2y", QStringLiteral("纵"), QRect(234, 50, 20, 22));
    Edit_cl2y = edit(GroupBox_cl, "Edit_cl2y", QRect(254, 50, 70, 22));
    Button_jzjs = named<QPushButton>(GroupBox_cl, "Button_jzjs");
    Button_jzjs->setText(QStringLiteral("计算"));
    Button_jzjs->setGeometry(340, 36, 75, 25);
    Label_jzjg = caption(GroupBox_cl, "Label_jzjg", QString(), QRect(8, 78, 412, 22));

    Button_jzy = named<QPushButton>(this, "Button_jzy");
    Button_jzy->setText(QStringLiteral("打印校准页"));
    Button_jzy->setGeometry(248, 322, 96, 25);
    Button_dyjjz_qd = named<QPushButton>(this, "Button_dyjjz_qd");
    setDefaultButton(Button_dyjjz_qd);
    Button_dyjjz_qd->setText(QStringLiteral("确 定"));
    Button_dyjjz_qd->setGeometry(352, 322, 92, 25);

    showCalibration(0.0, 0.0, 1.0, 1.0);

    Zt_typro::connectGuarded(ComboBox_dyj, &QComboBox::currentIndexChanged, this, [this] { ComboBox_dyjChange(); });
    Zt_typro::connectGuarded(ComboBox_zhizhang, &QComboBox::currentIndexChanged, this,
                             [this] { ComboBox_zhizhangChange(); });
    Zt_typro::connectGuarded(Button_jzjs, &QPushButton::clicked, this, [this] { Button_jzjsClick(); });
    Zt_typro::connectGuarded(Button_dyjjz_qd, &QPushButton::clicked, this, [this] { Button_dyjjz_qdClick(); });
    Zt_typro::connectGuarded(Button_jzy, &QPushButton::clicked, this, [this] { Button_jzyClick(); });
}

void CalibrationPanel::open()
{
    show();
    fillPrinters(QPrinterInfo::availablePrinterNames());
}

void CalibrationPanel::fillPrinters(const QStringList& names)
{
    {
        const QSignalBlocker block(ComboBox_dyj);
        ComboBox_dyj->clear();
        ComboBox_dyj->addItems(names);
        const qsizetype preferred = names.indexOf(QPrinterInfo::defaultPrinterName());
        ComboBox_dyj->setCurrentIndex(names.isEmpty() ? -1 : int(qMax<qsizetype>(0, preferred)));
    }
    Label_jzjg->clear();
    if (names.isEmpty()) {
        Label_dyjts->setText(QStringLiteral("本机没有安装打印机: 可以先算出校准值，装好打印机后再保存和打印校准页。"));
        fillPapers();
        showCalibration(0.0, 0.0, 1.0, 1.0);
        return;
    }
    Label_dyjts->setText(QStringLiteral("纸张和校准值只用于这台打印机; PDF 输出和打印预览不使用校准。"));
    ComboBox_dyjChange();
}

QString CalibrationPanel::chosenPrinter() const
{
    return ComboBox_dyj->currentIndex() >= 0 ? ComboBox_dyj->currentText() : QString();
}

QPageSize CalibrationPanel::chosenPaper() const
{
    return Zt_typro::PaperByKey(m_papers, ComboBox_zhizhang->currentData().toString(), m_defaultPaper);
}

void CalibrationPanel::fillPapers()
{
    const QString printer = chosenPrinter();
    QString stored;
    if (!printer.isEmpty())
        stored = Zt_typro::ReadPrinterPaper(printer);
    // Asked of the print system once per printer; the choices below only pick from these.
    m_papers = Zt_typro::PrinterPapers(printer);
    m_defaultPaper = Zt_typro::PrinterDefaultPaper(printer);
    {
        const QSignalBlocker block(ComboBox_zhizhang);
        ComboBox_zhizhang->clear();
        if (!printer.isEmpty()) {
            ComboBox_zhizhang->addItem(
                m_defaultPaper.isValid()
                    ? QStringLiteral("打印机默认纸张: %1").arg(Zt_typro::DescribePaper(m_defaultPaper))
                    : QStringLiteral("打印机默认纸张"),
                QString());
        }
        for (const QPageSize& paper : m_papers)
            ComboBox_zhizhang->addItem(Zt_typro::DescribePaper(paper), paper.key());
        const int found = stored.isEmpty() ? 0 : ComboBox_zhizhang->findData(stored);
        ComboBox_zhizhang->setCurrentIndex(ComboBox_zhizhang->count() == 0 ? -1 : qMax(0, found));
        if (!stored.isEmpty() && found < 0) {
            Label_jzjg->setText(
                QStringLiteral("这台打印机已不再提供原来选的纸张“%1”，现在用它的默认纸张。").arg(stored));
        }
    }
    ComboBox_zhizhangChange();
}

void CalibrationPanel::showCalibration(double offsetX, double offsetY, double scaleX, double scaleY)
{
    Edit_pyx->setText(Zt_typro::FormatCalibrationOffset(offsetX));
    Edit_pyy->setText(Zt_typro::FormatCalibrationOffset(offsetY));
    Edit_blx->setText(Zt_typro::FormatCalibrationScale(scaleX));
    Edit_bly->setText(Zt_typro::FormatCalibrationScale(scaleY));
}

void CalibrationPanel::ComboBox_dyjChange()
{
    Label_jzjg->clear();
    fillPapers();
    const Zt_typro::PrinterCalibration c = Zt_typro::ReadPrinterCalibration(chosenPrinter());
    showCalibration(c.offsetXMm, c.offsetYMm, c.scaleX, c.scaleY);
}

void CalibrationPanel::ComboBox_zhizhangChange()
{
    const QPageSize paper = chosenPaper();
    const QSizeF sheet = Zt_typro::CalibrationSheetMm(paper);
    nameCrosshairs(ComboBox_sz1, sheet);
    nameCrosshairs(ComboBox_sz2, sheet);
    if (chosenPrinter().isEmpty())
        return;
    // The forms are placed from the paper's top-left corner: a smaller paper cuts off what lies
    // beyond it (on A4 portrait the right-hand digit boxes of a cheque).
    const bool small = paper.isValid() && (sheet.width() < Zt_typro::CalibrationPageWidthMm - 0.5 ||
                                           sheet.height() < Zt_typro::CalibrationPageHeightMm - 0.5);
    Label_dyjts->setText(small ? QStringLiteral("纸张小于票据版面 297 × 200 毫米: 纸外的内容打印不出来。")
                               : QStringLiteral("纸张和校准值只用于这台打印机; PDF 输出和打印预览不使用校准。"));
}

void CalibrationPanel::Button_jzjsClick()
{
    const int n1 = ComboBox_sz1->currentData().toInt();
    const int n2 = ComboBox_sz2->currentData().toInt();
    const QPointF measured1(Zt_typro::ParseMeasuredMm(Edit_cl1x->text(), QStringLiteral("第一个十字线的横向位置")),
                            Zt_typro::ParseMeasuredMm(Edit_cl1y->text(), QStringLiteral("第一个十字线的纵向位置")));
    const QPointF measured2(Zt_typro::ParseMeasuredMm(Edit_cl2x->text(), QStringLiteral("第二个十字线的横向位置")),
                            Zt_typro::ParseMeasuredMm(Edit_cl2y->text(), QStringLiteral("第二个十字线的纵向位置")));
    Label_jzjg->clear();
    const QSizeF sheet = Zt_typro::CalibrationSheetMm(chosenPaper());
    const Zt_typro::PrinterCalibration c = Zt_typro::SolveCalibration(
        Zt_typro::CalibrationCrosshair(n1, sheet), measured1, Zt_typro::CalibrationCrosshair(n2, sheet), measured2);
    showCalibration(c.offsetXMm, c.offsetYMm, c.scaleX, c.scaleY);
    Label_jzjg->setText(QStringLiteral("算得: 偏移 %1, %2 毫米, 比例 %3, %4。按“确 定”保存。")
                            .arg(Zt_typro::FormatCalibrationOffset(c.offsetXMm),
                                 Zt_typro::FormatCalibrationOffset(c.offsetYMm),
                                 Zt_typro::FormatCalibrationScale(c.scaleX),
                                 Zt_typro::FormatCalibrationScale(c.scaleY)));
}

void CalibrationPanel::Button_dyjjz_qdClick()
{
    const QString printer = chosenPrinter();
    if (printer.isEmpty())
        throw Zt_typro::AppError(QStringLiteral("没有选择打印机，校准值无法保存。"));
    Zt_typro::PrinterCalibration c;
    c.offsetXMm = Zt_typro::ParseCalibrationOffset(Edit_pyx->text(), QStringLiteral("横向偏移"));
    c.offsetYMm = Zt_typro::ParseCalibrationOffset(Edit_pyy->text(), QStringLiteral("纵向偏移"));
    c.scaleX = Zt_typro::ParseCalibrationScale(Edit_blx->text(), QStringLiteral("横向比例"));
    c.scaleY = Zt_typro::ParseCalibrationScale(Edit_bly->text(), QStringLiteral("纵向比例"));
    Zt_typro::WritePrinterCalibration(printer, c);
    Zt_typro::WritePrinterPaper(printer, ComboBox_zhizhang->currentData().toString());
    showCalibration(c.offsetXMm, c.offsetYMm, c.scaleX, c.scaleY);
    Label_jzjg->setText(QStringLiteral("已保存打印机“%1”的纸张和校准值。").arg(printer));
}

void CalibrationPanel::Button_jzyClick()
{
    const QString printer = chosenPrinter();
    if (printer.isEmpty())
        throw Zt_typro::AppError(QStringLiteral("本机没有安装打印机，无法打印校准页。"));
    bool painted = true;
    QString error;
    // The page goes to the printer being calibrated, whether or not the system has a default one,
    // on the paper chosen here, the one the forms will go on.
    const QPageSize paper = chosenPaper();
    const bool sent = Zt_typro::prompter().print(
        this, printer,
        [&printer, &paper, &painted](QPrinter* p) {
            painted = Zt_typro::PaintCalibrationPageOnPrinter(p, printer, paper);
        },
        &error);
    if (!sent)
        throw Zt_typro::AppError(error.isEmpty() ? QStringLiteral("无法打印校准页: 没有可用的打印机。") : error);
    if (!painted)
        throw Zt_typro::AppError(QStringLiteral("无法打印校准页: 打印机“%1”没有接受这一页。").arg(printer));
}
